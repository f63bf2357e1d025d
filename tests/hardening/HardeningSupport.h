#pragma once
// Helpers of the hardening tests: log texts without their clock times, the
// files of a folder and a private memory file system.

#include <sched.h>
#include <sys/mount.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

namespace hardening {

// The text with every clock time line ("Wed Jan 02 02:03:55 1980\n") as "<time>".
inline std::string Untimed(const std::string& text) {
    static const std::regex time(
        "[A-Z][a-z]{2} [A-Z][a-z]{2} \\d\\d \\d\\d:\\d\\d:\\d\\d \\d{4}\n");
    return std::regex_replace(text, time, "<time>");
}

// Names of the entries of a folder, sorted.
inline std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A memory file system mounted on a folder, seen by this process alone (it
// moves to a mount namespace of its own first, so nothing outlives it), and
// unmounted again when the object goes.
class PrivateMount {
public:
    // False when this process may not mount here (then nothing changed).
    bool Mount(const std::string& folder, const std::string& options) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("quillmere-test", folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
            return false;
        m_folder = folder;
        return true;
    }
    ~PrivateMount() {
        if (!m_folder.empty())
            ::umount2(m_folder.c_str(), MNT_DETACH);
    }

private:
    std::string m_folder;
};

} // namespace hardening
