#include "com/RegistryFile.h"

#include "platform/FileAccess.h"
#include "platform/HomeFolder.h"
#include "platform/LastError.h"
#include "platform/ProgramPath.h"
#include "platform/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <list>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace com {
namespace {

// How old a version of a file must be before its parsed form is kept: more
// than the coarsest file-system clock (two seconds) plus a margin.
constexpr std::int64_t kSettledAfterNs = 3'000'000'000;

std::int64_t NowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The last settled versions read, for ReadRegistryFileShared, most recently
// used first: a lookup reads the user's file and the machine's. A malformed
// version is kept too, with what is wrong with it, so that a broken user's
// registry passed over is not parsed again for every lookup. Freed at exit,
// or with the module that holds this copy of the runtime.
struct SharedRegistries {
    struct Entry {
        std::string path;
        platform::FileVersion version;
        std::shared_ptr<const RegistryTree> tree; // null when malformed
        std::string problem;
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

// Reads and parses the registry at path; a missing file is an empty registry.
// version, when given, receives the version read.
HRESULT ReadTree(const std::string& path, std::optional<RegistryTree>& out,
                 platform::FileVersion* version, std::string* error) {
    std::string text;
    platform::FileVersion read;
    if (const platform::FileResult result = platform::ReadWholeFile(path, text, read); !result) {
        if (result.error == ENOENT) {
            out.emplace();
            return S_OK;
        }
        if (error != nullptr)
            *error = "cannot be read: " + platform::ErrorDescription(result.error);
        return REGDB_E_READREGDB;
    }
    if (version != nullptr)
        *version = read;
    out = RegistryTree::FromText(text, error);
    return out ? S_OK : REGDB_E_READREGDB;
}

// Says on standard error, once for each file in the process, that a user's
// registry is passed over.
void ReportIgnored(const std::string& path, const std::string& problem) {
    static std::mutex mutex;
    static std::set<std::string> reported;
    std::lock_guard lock(mutex);
    if (!reported.insert(path).second)
        return;
    std::fprintf(stderr,
                 "%s: the registry %s is not used (%s); registering a component with regsvr "
                 "sets it aside.\n",
                 program_invocation_short_name, path.c_str(), problem.c_str());
}

// "YYYYMMDD-HHMMSS" in local time.
std::string TimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[32] = "";
    if (::localtime_r(&now, &local) != nullptr)
        std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

std::string RegistryFilePath() {
    if (std::string path = NonEmptyEnv("QUILLMERE_REGISTRY"); !path.empty())
        return path;
    // The base directory rules make a relative XDG_DATA_HOME invalid.
    std::string dataHome = NonEmptyEnv("XDG_DATA_HOME");
    if (dataHome.empty() || dataHome.front() != '/') {
        const std::string home = platform::HomeFolder();
        if (home.empty())
            return {};
        dataHome = platform::WithTrailingSlash(home) + ".local/share";
    }
    return platform::WithTrailingSlash(dataHome) + "quillmere/registry.reg";
}

std::string SystemRegistryFilePath() {
    if (std::string path = NonEmptyEnv("QUILLMERE_SYSTEM_REGISTRY"); !path.empty())
        return path;
    const std::string folder = platform::ProgramFolder();
    return folder.empty() ? std::string() : folder + "registry.reg";
}

std::vector<std::string> RegistryLookupFiles() {
    std::vector<std::string> files;
    if (std::string user = RegistryFilePath(); !user.empty())
        files.push_back(std::move(user));
    if (std::string system = SystemRegistryFilePath();
        !system.empty() && (files.empty() || system != files.front()))
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

HRESULT ReadRegistryFile(const std::string& path, RegistryTree& out, std::string* error) {
    try {
        std::optional<RegistryTree> tree;
        const HRESULT hr = ReadTree(path, tree, nullptr, error);
        if (SUCCEEDED(hr))
            out = std::move(*tree);
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ReadRegistryFileShared(const std::string& path, std::shared_ptr<const RegistryTree>& out,
                               std::string* error) {
    try {
        SharedRegistries& shared = Shared();
        platform::FileVersion current;
        if (platform::GetFileVersion(path, current)) {
            std::lock_guard lock(shared.mutex);
            for (auto it = shared.entries.begin(); it != shared.entries.end(); ++it)
                if (it->path == path && it->version == current) {
                    shared.entries.splice(shared.entries.begin(), shared.entries, it);
                    if (it->tree == nullptr && error != nullptr)
                        *error = it->problem;
                    out = it->tree;
                    return out != nullptr ? S_OK : REGDB_E_READREGDB;
                }
        }
        // Parsed outside the lock: a large registry takes a while, and other
        // threads may find their version meanwhile.
        const std::int64_t readAt = NowNs();
        std::optional<RegistryTree> tree;
        platform::FileVersion version;
        std::string problem;
        const HRESULT hr = ReadTree(path, tree, &version, &problem);
        if (error != nullptr)
            *error = problem;
        std::shared_ptr<const RegistryTree> parsed;
        if (tree)
            parsed = std::make_shared<const RegistryTree>(std::move(*tree));
        if ((parsed != nullptr || hr == REGDB_E_READREGDB) && version.modifiedNs != 0 &&
            readAt - version.modifiedNs >= kSettledAfterNs &&
            readAt - version.changedNs >= kSettledAfterNs) {
            std::lock_guard lock(shared.mutex);
            shared.entries.remove_if([&](const auto& entry) { return entry.path == path; });
            shared.entries.push_front({path, version, parsed, problem});
            if (shared.entries.size() > SharedRegistries::kKept)
                shared.entries.pop_back();
        }
        out = std::move(parsed);
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FindInRegistries(const std::function<bool(const RegistryTree&)>& found, bool report) {
    try {
        const std::string user = RegistryFilePath();
        for (const std::string& file : RegistryLookupFiles()) {
            std::shared_ptr<const RegistryTree> tree;
            std::string problem;
            if (const HRESULT hr = ReadRegistryFileShared(file, tree, &problem); FAILED(hr)) {
                if (hr != REGDB_E_READREGDB || file != user)
                    return hr;
                if (report)
                    ReportIgnored(file, problem);
                continue;
            }
            if (found(*tree))
                return S_OK;
        }
        return S_FALSE;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT EditRegistry(const std::function<HRESULT(RegistryTree&)>& edit) {
    try {
        const std::string path = RegistryFilePath();
        if (path.empty())
            return REGDB_E_WRITEREGDB;
        std::error_code ignored;
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!folder.empty())
            std::filesystem::create_directories(folder, ignored);
        // A registry reached through a symbolic link is changed where the link
        // leads, so every name for it shares one lock and the link stays.
        std::string target;
        if (!platform::ResolveLinks(path, target))
            return REGDB_E_WRITEREGDB;
        platform::FileLock lock(target + ".lock");
        if (!lock.Held())
            return REGDB_E_WRITEREGDB;
        RegistryTree tree;
        if (const HRESULT hr = ReadRegistryFile(target, tree); FAILED(hr))
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

BrokenRegistry SetAsideBrokenRegistry() {
    BrokenRegistry result;
    try {
        const std::string path = RegistryFilePath();
        std::string target;
        if (path.empty() || !platform::ResolveLinks(path, target))
            return result;
        platform::FileLock lock(target + ".lock");
        RegistryTree tree;
        if (!lock.Held() || ReadRegistryFile(target, tree, &result.problem) != REGDB_E_READREGDB) {
            result.problem.clear();
            return result;
        }
        const std::string stem = target + ".broken-" + TimeStamp();
        std::string aside = stem;
        for (int n = 2; Exists(aside); ++n)
            aside = stem + "-" + std::to_string(n);
        if (::rename(target.c_str(), aside.c_str()) == 0)
            result.movedTo = aside;
    } catch (const std::bad_alloc&) {
    }
    return result;
}

} // namespace com
