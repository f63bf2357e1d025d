#include "platform/FileIdentity.h"

#include <sys/stat.h>

namespace platform {

std::optional<FileIdentity> IdentityOf(const std::string& path, bool followLinks) {
    struct stat info {};
    if (path.find('\0') != std::string::npos ||
        (followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

} // namespace platform
