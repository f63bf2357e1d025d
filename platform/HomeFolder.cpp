#include "platform/HomeFolder.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace platform {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    // The reentrant lookup: threads may ask at once.
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* found = nullptr;
    int rc;
    while ((rc = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found)) ==
               ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (rc != 0 || found == nullptr || entry.pw_dir == nullptr || entry.pw_dir[0] != '/')
        return {};
    return entry.pw_dir;
}

} // namespace platform
