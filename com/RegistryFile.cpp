#include "com/RegistryFile.h"

#include "platform/ProgramPath.h"
#include "platform/TextFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
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

HRESULT EditRegistry(const std::function<HRESULT(RegistryTree&)>& edit) {
    try {
        const std::string path = RegistryFilePath();
        std::error_code ignored;
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!folder.empty())
            std::filesystem::create_directories(folder, ignored);
        FileLock lock(path + ".lock");
        if (!lock.Held())
            return REGDB_E_WRITEREGDB;
        RegistryTree tree;
        if (const HRESULT hr = ReadRegistry(tree); FAILED(hr))
            return hr;
        const HRESULT hr = edit(tree);
        if (FAILED(hr))
            return hr;
        if (!platform::WriteFileReplacing(path, tree.ToText()))
            return REGDB_E_WRITEREGDB;
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace com
