#pragma once
// Two ways of holding a file that the other file operations do not cover:
// an exclusive lock on a lock file (writers of the component registry take
// turns under it), and a regular file read at offsets (a module's sections).

#include <cstdint>
#include <string>

namespace platform {

// Holds an exclusive advisory lock (flock) on the lock file at path,
// created when missing, for its lifetime; waits for it.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock(); // closing the last descriptor releases the lock
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// A file open for reading at offsets. Only a regular file is opened, without
// waiting on a pipe or a device: anything else reads as an empty file.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    std::uint64_t Size() const { return m_size; }
    bool Fits(std::uint64_t offset, std::uint64_t size) const {
        return offset <= m_size && size <= m_size - offset;
    }
    // Reads size bytes at offset; false when the file is shorter.
    bool ReadAt(std::uint64_t offset, void* out, std::uint64_t size) const;

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

} // namespace platform
