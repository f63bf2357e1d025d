#include "platform/FileIdentity.h"

#include <sys/stat.h>

namespace platform {

namespace {

bool HoldsZero(const std::string& path) {
    return path.find('\0') != std::string::npos;
}

} // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path, bool followLinks) {
    struct stat info {};
    if (HoldsZero(path) ||
        (followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

void AddIdentities(const std::string& path, std::vector<FileIdentity>& files) {
    struct stat info {};
    if (HoldsZero(path) || ::lstat(path.c_str(), &info) != 0)
        return;
    files.push_back({info.st_dev, info.st_ino});
    if (S_ISLNK(info.st_mode) && ::stat(path.c_str(), &info) == 0)
        files.push_back({info.st_dev, info.st_ino});
}

} // namespace platform
