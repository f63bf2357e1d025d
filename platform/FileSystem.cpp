#include "platform/FileSystem.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

int FileSystem::Open(int dir, const char* path, int flags, mode_t mode) {
    return ::openat(dir, path, flags, mode);
}

ssize_t FileSystem::Read(int fd, void* buffer, std::size_t size, off_t offset) {
    return ::pread(fd, buffer, size, offset);
}

ssize_t FileSystem::Write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

int FileSystem::Close(int fd) {
    return ::close(fd);
}

int FileSystem::Rename(int dir, const char* from, const char* to, bool noReplace) {
    if (noReplace)
        return ::renameat2(dir, from, dir, to, RENAME_NOREPLACE);
    return ::renameat(dir, from, dir, to);
}

FileSystem& SystemFiles() {
    static FileSystem system;
    return system;
}

} // namespace platform
