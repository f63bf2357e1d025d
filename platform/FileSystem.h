#pragma once
// The system calls behind every file operation of platform/ (reading a
// file, writing one through a temporary file, appending to a log): the
// operating system's own by default. The batches and logs take one, so
// that a test can hand in a double that fails a chosen call, as a failing
// disk would. Each call answers as the system call does: -1 (or a short
// count) with errno set.

#include <cstddef>
#include <sys/types.h>

namespace platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual int Open(const char* path, int flags, mode_t mode);
    virtual ssize_t Read(int fd, void* buffer, std::size_t size);
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual int Close(int fd);
    // rename(2), or renameat2(2) with RENAME_NOREPLACE when noReplace.
    virtual int Rename(const char* from, const char* to, bool noReplace);
};

// The operating system's file system.
FileSystem& SystemFiles();

} // namespace platform
