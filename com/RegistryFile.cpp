#include "com/RegistryFile.h"

#include "platform/ProgramPath.h"
#include "platform/TextFile.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <list>
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

// How old a version of a file must be before its parsed form is kept: more
// than the coarsest file-system clock (two seconds) plus a margin.
constexpr std::int64_t kSettledAfterNs = 3'000'000'000;

std::int64_t NowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The last settled versions read, for ReadRegistryFileShared, most recently
// used first: a lookup reads the user's file and the machine's. Freed at
// exit, or with the module that holds this copy of the runtime.
struct SharedRegistries {
    struct Entry {
        std::string path;
        platform::FileVersion version;
        std::shared_ptr<const RegistryTree> tree;
    };
    static constexpr std::size_t kKept = 4;
    std::mutex mutex;
    std::list<Entry> entries;
};

SharedRegistries& Shared() {
    static SharedRegistries shared;
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

std::string SystemRegistryFilePath() {
    if (std::string path = NonEmptyEnv("QUILLMERE_SYSTEM_REGISTRY"); !path.empty())
        return path;
    const std::string folder = platform::ProgramFolder();
    return folder.empty() ? std::string() : folder + "registry.reg";
}

std::vector<std::string> RegistryLookupFiles() {
    std::vector<std::string> files{RegistryFilePath()};
    if (std::string system = SystemRegistryFilePath(); !system.empty() && system != files.front())
        files.push_back(std::move(system));
    return files;
}

HRESULT ReadRegistry(RegistryTree& out) {
    try {
        return ReadRegistryFile(RegistryFilePath(), out);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ReadRegistryFile(const std::string& path, RegistryTree& out) {
    try {
        std::string text;
        if (const platform::FileResult read = platform::ReadWholeFile(path, text); !read) {
            if (read.error != ENOENT)
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

HRESULT ReadRegistryFileShared(const std::string& path, std::shared_ptr<const RegistryTree>& out) {
    try {
        SharedRegistries& shared = Shared();
        platform::FileVersion current;
        if (platform::GetFileVersion(path, current)) {
            std::lock_guard lock(shared.mutex);
            for (auto it = shared.entries.begin(); it != shared.entries.end(); ++it)
                if (it->path == path && it->version == current) {
                    shared.entries.splice(shared.entries.begin(), shared.entries, it);
                    out = it->tree;
                    return S_OK;
                }
        }
        // Parsed outside the lock: a large registry takes a while, and other
        // threads may find their version meanwhile.
        const std::int64_t readAt = NowNs();
        std::string text;
        platform::FileVersion version;
        if (const platform::FileResult read = platform::ReadWholeFile(path, text, version); !read) {
            if (read.error != ENOENT)
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
            shared.entries.remove_if([&](const auto& entry) { return entry.path == path; });
            shared.entries.push_front({path, version, parsed});
            if (shared.entries.size() > SharedRegistries::kKept)
                shared.entries.pop_back();
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
