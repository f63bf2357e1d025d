#pragma once
// A private memory file system for the hardening tests.

#include <sched.h>
#include <sys/mount.h>

#include <string>

namespace hardening {

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
