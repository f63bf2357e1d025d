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
    // openat(2): a relative path is taken from the folder dir (AT_FDCWD: the
    // current folder).
    virtual int Open(int dir, const char* path, int flags, mode_t mode);
    // pread(2): reading at an offset, which a pipe, a socket or a terminal refuses.
    virtual ssize_t Read(int fd, void* buffer, std::size_t size, off_t offset);
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual int Close(int fd);
    // renameat(2) within the folder dir, or renameat2(2) with
    // RENAME_NOREPLACE when noReplace.
    virtual int Rename(int dir, const char* from, const char* to, bool noReplace);
};

// The operating system's file system.
FileSystem& SystemFiles();

} // namespace platform
