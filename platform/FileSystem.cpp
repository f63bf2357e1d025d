#include "platform/FileSystem.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

int FileSystem::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

ssize_t FileSystem::Read(int fd, void* buffer, std::size_t size) {
    return ::read(fd, buffer, size);
}

ssize_t FileSystem::Write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

int FileSystem::Close(int fd) {
    return ::close(fd);
}

int FileSystem::Rename(const char* from, const char* to, bool noReplace) {
    if (noReplace)
        return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
    return ::rename(from, to);
}

FileSystem& SystemFiles() {
    static FileSystem system;
    return system;
}

} // namespace platform
