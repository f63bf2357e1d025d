#include "com/RegistryFile.h"

#include "platform/TextFile.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace com {
namespace {

// Holds an exclusive lock on a lock file for its lifetime.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd < 0)
            return;
        int rc;
        do {
            rc = ::flock(m_fd, LOCK_EX);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~FileLock() {
        if (m_fd >= 0)
            ::close(m_fd); // closing the last descriptor releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// How old a version of the file must be before its parsed form is kept: more
// than the coarsest file-system clock (two seconds) plus a margin.
constexpr std::int64_t kSettledAfterNs = 3'000'000'000;

std::int64_t NowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The last settled version read, for ReadRegistryShared. Freed at exit, or
// with the module that holds this copy of the runtime.
struct SharedRegistry {
    std::mutex mutex;
    std::string path;
    platform::FileVersion version;
    std::shared_ptr<const RegistryTree> tree;
};

SharedRegistry& Shared() {
    static SharedRegistry shared;
    return shared;
}

std::string NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace

std::string RegistryFilePath() {
    if (std::string path = NonEmptyEnv("QUILLMERE_REGISTRY"); !path.empty())
        return path;
    std::string dataHome = NonEmptyEnv("XDG_DATA_HOME");
    if (dataHome.empty())
        dataHome = NonEmptyEnv("HOME") + "/.local/share";
    return dataHome + "/quillmere/registry.reg";
}

HRESULT ReadRegistry(RegistryTree& out) {
    try {
        const std::string path = RegistryFilePath();
        std::string text;
        if (!platform::ReadWholeFile(path, text)) {
            if (errno != ENOENT)
                return REGDB_E_READREGDB;
            out = RegistryTree();
            return S_OK;
        }
        std::optional<RegistryTree> tree = RegistryTree::FromText(text);
        if (!tree)
            return REGDB_E_READREGDB;
        out = std::move(*tree);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ReadRegistryShared(std::shared_ptr<const RegistryTree>& out) {
    try {
        const std::string path = RegistryFilePath();
        SharedRegistry& shared = Shared();
        platform::FileVersion current;
        if (platform::GetFileVersion(path, current)) {
            std::lock_guard lock(shared.mutex);
            if (shared.tree != nullptr && shared.path == path && shared.version == current) {
                out = shared.tree;
                return S_OK;
            }
        }
        // Parsed outside the lock: a large registry takes a while, and other
        // threads may find their version meanwhile.
        const std::int64_t readAt = NowNs();
        std::string text;
        platform::FileVersion version;
        if (!platform::ReadWholeFile(path, text, version)) {
            if (errno != ENOENT)
                return REGDB_E_READREGDB;
            out = std::make_shared<const RegistryTree>();
            return S_OK;
        }
        std::optional<RegistryTree> tree = RegistryTree::FromText(text);
        if (!tree)
            return REGDB_E_READREGDB;
        auto parsed = std::make_shared<const RegistryTree>(std::move(*tree));
        if (readAt - version.modifiedNs >= kSettledAfterNs &&
            readAt - version.changedNs >= kSettledAfterNs) {
            std::lock_guard lock(shared.mutex);
            shared.path = path;
            shared.version = version;
            shared.tree = parsed;
        }
        out = std::move(parsed);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT EditRegistry(const std::function<HRESULT(RegistryTree&)>& edit) {
    try {
        const std::string path = RegistryFilePath();
        std::error_code ignored;
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!folder.empty())
            std::filesystem::create_directories(folder, ignored);
        // A registry reached through a symbolic link is changed where the link
        // leads, so every name for it shares one lock and the link stays.
        std::string target;
        if (!platform::ResolveLinks(path, target))
            return REGDB_E_WRITEREGDB;
        FileLock lock(target + ".lock");
        if (!lock.Held())
            return REGDB_E_WRITEREGDB;
        RegistryTree tree;
        if (const HRESULT hr = ReadRegistry(tree); FAILED(hr))
            return hr;
        const HRESULT hr = edit(tree);
        if (FAILED(hr))
            return hr;
        if (!platform::ReplaceSharedFile(target, tree.ToText()))
            return REGDB_E_WRITEREGDB;
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace com
