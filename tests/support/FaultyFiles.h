#pragma once
// A file system for tests that fails as a failing disk would: a chosen call
// of an operation fails with a chosen error number, or the disk takes only
// so many more bytes (the write that reaches the limit is cut short and
// every later one fails with ENOSPC). Every call is counted, so a test can
// make each call of a run fail in turn. Everything else is the operating
// system's own file system.

#include "platform/FileSystem.h"

#include <array>
#include <cerrno>
#include <cstddef>
#include <unistd.h>

namespace testsupport {

enum class FileOp { Open, Read, Write, Close, Rename };
inline constexpr std::size_t kFileOps = 5;

class FaultyFiles : public platform::FileSystem {
public:
    // The nth call (1 = the next one) of op from now fails with errnum.
    void InjectFailure(FileOp op, int nth, int errnum) { m_failing[Index(op)] = {nth, errnum}; }
    // From now on the disk takes only bytes more bytes.
    void LimitDiskSpace(std::size_t bytes) {
        m_diskLimited = true;
        m_diskLeft = bytes;
    }
    // Forget every arranged failure and any disk limit.
    void ClearFailures() {
        m_failing = {};
        m_diskLimited = false;
    }
    // How many times op was called since the last ResetCounts.
    int Count(FileOp op) const { return m_counts[Index(op)]; }
    void ResetCounts() { m_counts = {}; }

    int Open(int dir, const char* path, int flags, mode_t mode) override {
        return Fails(FileOp::Open) ? -1 : platform::FileSystem::Open(dir, path, flags, mode);
    }
    ssize_t Read(int fd, void* buffer, std::size_t size, off_t offset) override {
        return Fails(FileOp::Read) ? -1 : platform::FileSystem::Read(fd, buffer, size, offset);
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        if (Fails(FileOp::Write))
            return -1;
        if (m_diskLimited) {
            if (m_diskLeft == 0) {
                errno = ENOSPC;
                return -1;
            }
            size = size < m_diskLeft ? size : m_diskLeft;
        }
        const ssize_t written = platform::FileSystem::Write(fd, data, size);
        if (m_diskLimited && written > 0)
            m_diskLeft -= static_cast<std::size_t>(written);
        return written;
    }
    int Close(int fd) override {
        if (Fails(FileOp::Close)) {
            const int errnum = errno;
            ::close(fd); // closed all the same, as a failing close(2) leaves it
            errno = errnum;
            return -1;
        }
        return platform::FileSystem::Close(fd);
    }
    int Rename(int dir, const char* from, const char* to, bool noReplace) override {
        return Fails(FileOp::Rename) ? -1 : platform::FileSystem::Rename(dir, from, to, noReplace);
    }

private:
    struct Failing {
        int callsLeft = 0; // the failing call is the callsLeft-th from now
        int errnum = 0;
    };
    static std::size_t Index(FileOp op) { return static_cast<std::size_t>(op); }
    // Counts the call; true, with errno set, when it is the one to fail.
    bool Fails(FileOp op) {
        ++m_counts[Index(op)];
        Failing& failing = m_failing[Index(op)];
        if (failing.callsLeft == 0 || --failing.callsLeft != 0)
            return false;
        errno = failing.errnum;
        return true;
    }

    std::array<int, kFileOps> m_counts{};
    std::array<Failing, kFileOps> m_failing{};
    bool m_diskLimited = false;
    std::size_t m_diskLeft = 0;
};

} // namespace testsupport
