#include "platform/TextFile.h"

#include "platform/FileOps.h"
#include "platform/OutputUnit.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

using namespace fileops;

// Reads up to limit bytes of an open regular file of the given size into
// text, after the bytes that text already holds from its start. A read that gives fewer bytes than
// asked, once the size the file had is reached, has met its end: a regular file's read is short
// only there, so no further read is needed to find it.
bool ReadUpTo(FileSystem& files, int fd, off_t size, std::size_t limit, std::string& text) {
    const std::size_t expected = size > 0 ? static_cast<std::size_t>(size) : 0;
    std::size_t length = text.size();
    while (length < limit) {
        // Room for the whole file and one byte more, then 64 KiB at a time.
        const std::size_t want = std::min(limit - length, length < expected ? expected + 1 - length
                                                                            : std::size_t{1} << 16);
        text.resize(length + want);
        const ssize_t n = files.Read(fd, text.data() + length, want, static_cast<off_t>(length));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        length += static_cast<std::size_t>(n);
        if (n == 0 || (static_cast<std::size_t>(n) < want && length >= expected))
            break;
    }
    text.resize(length);
    return true;
}

// Whether fd is open on a regular file (described in info); otherwise errno
// tells why: EISDIR for a folder, EINVAL for anything else.
bool IsRegularFile(int fd, struct stat& info) {
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        return true;
    errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return false;
}

// Opens a regular file for reading and describes it in info. Folders,
// pipes, sockets and devices are refused: they are not files to convert, a
// pipe without a writer would block and a device such as /dev/zero would
// never end.
// fd when it is open on a regular file (described in info); otherwise it is
// closed, errno tells why, and the result is -1. (Opened with O_NONBLOCK so
// as not to wait on a pipe or a device: that changes nothing for a regular
// file.)
int OnlyIfRegular(int fd, struct stat& info) {
    if (fd < 0)
        return -1;
    if (!IsRegularFile(fd, info)) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

// Opens path for reading, without waiting for a pipe or a device.
int OpenToRead(FileSystem& files, const std::string& path) {
    if (HoldsZero(path))
        return -1;
    return OpenFile(files, path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
}

int OpenForReading(FileSystem& files, const std::string& path, struct stat& info) {
    return OnlyIfRegular(OpenToRead(files, path), info);
}

// Reads path from its start: at most limit bytes into text, size set to
// the file's full size; a file of more than refuseAbove bytes fails with
// EFBIG, read no further. The first read goes to a small buffer, at offset
// 0: a pipe, a socket or a terminal refuses that (and a folder any read),
// so none is waited on. A read that gives some bytes but fewer than asked
// has met the end of a regular file, which needs no further look; after
// any other (nothing, or all that was asked, as a device such as /dev/zero
// gives) the file is looked at, anything but a regular file refused and a
// larger one read on.
FileResult ReadStart(FileSystem& files, const std::string& path, std::size_t limit,
                     std::uintmax_t refuseAbove, std::string& text, std::uintmax_t& size) {
    constexpr std::size_t kFirstRead = std::size_t{16} << 10;
    const int fd = OpenToRead(files, path);
    if (fd < 0)
        return FileResult::Failed(errno, path);
    char first[kFirstRead];
    const std::size_t want = limit < kFirstRead ? limit + 1 : kFirstRead;
    ssize_t n;
    do {
        n = files.Read(fd, first, want, 0);
    } while (n < 0 && errno == EINTR);
    bool ok = n >= 0;
    if (!ok && errno == ESPIPE)
        errno = EINVAL; // no file to convert
    if (ok) {
        text.assign(first, static_cast<std::size_t>(n));
        size = text.size();
    }
    if (ok && (n == 0 || text.size() == want)) {
        struct stat info {};
        ok = IsRegularFile(fd, info);
        if (ok && static_cast<std::uintmax_t>(info.st_size) > refuseAbove) {
            ok = false;
            errno = EFBIG;
        }
        if (ok && n > 0)
            ok = ReadUpTo(files, fd, info.st_size, limit, text);
        // (more than the size when the file grew while it was read)
        size = std::max<std::uintmax_t>(static_cast<std::uintmax_t>(info.st_size), text.size());
    }
    const FileResult result = ok ? FileResult() : FileResult::Failed(errno, path);
    ::close(fd);
    return result;
}

// Opens for appending, creating the file when missing. Only a regular file
// is a log: a folder, a pipe, a socket or a device is refused without
// waiting for it (a pipe without a reader would block, a device is no place
// for entries), and so is a file marked read-only.
int OpenForAppending(FileSystem& files, const std::string& path) {
    if (HoldsZero(path))
        return -1;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    if (IsMarkedReadOnly(path)) {
        errno = EACCES;
        return -1;
    }
    return OnlyIfRegular(
        OpenFile(files, path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY, 0666),
        info);
}

// The advisory lock that every writer of a log takes around its appends,
// so that appends from several processes never interleave and a take-back
// never cuts into another process's text. (A file system without locks
// still gets the appends.)
bool LockForAppending(int fd) {
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

// Appends data to a file open for appending and locked, all of it or
// nothing: a text that went in only in part is taken back. (Each append
// leaves the offset at the end of what it wrote, and under the lock nobody
// appends meanwhile.)
bool AppendWhole(FileSystem& files, int fd, std::string_view data) {
    std::size_t written = 0;
    if (WriteAll(files, fd, data, &written))
        return true;
    const int saved = errno;
    if (written > 0) {
        const off_t end = ::lseek(fd, 0, SEEK_CUR);
        struct stat info {};
        if (end >= static_cast<off_t>(written) && ::fstat(fd, &info) == 0 && info.st_size == end) {
            // Should the file refuse to shrink, the failure is reported all
            // the same; a signal only makes us try again.
            int rc;
            do {
                rc = ::ftruncate(fd, end - static_cast<off_t>(written));
            } while (rc != 0 && errno == EINTR);
        }
    }
    errno = saved;
    return false;
}

std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// What a step that sets errno when it fails comes to.
FileResult Outcome(bool ok, const std::string& path) {
    return ok ? FileResult() : FileResult::Failed(errno, path);
}

FileVersion VersionOf(const struct stat& info) {
    FileVersion version;
    version.file = {info.st_dev, info.st_ino};
    version.size = static_cast<std::uint64_t>(info.st_size);
    version.modifiedNs = Nanoseconds(info.st_mtim);
    version.changedNs = Nanoseconds(info.st_ctim);
    return version;
}

} // namespace

FileResult ReadWholeFile(const std::string& path, std::string& out, std::uintmax_t maxBytes,
                         FileSystem& files) {
    // A file that grows while it is read is cut one byte past the limit.
    const std::size_t limit =
        maxBytes < SIZE_MAX ? static_cast<std::size_t>(maxBytes) + 1 : SIZE_MAX;
    std::string text;
    std::uintmax_t size = 0;
    FileResult result = ReadStart(files, path, limit, maxBytes, text, size);
    if (result && text.size() > maxBytes)
        result = FileResult::Failed(EFBIG, path);
    if (result)
        out = std::move(text);
    return result;
}

FileResult ReadWholeFile(const std::string& path, std::string& out, FileVersion& version) {
    struct stat info {};
    FileSystem& files = SystemFiles();
    const int fd = OpenForReading(files, path, info);
    if (fd < 0)
        return FileResult::Failed(errno, path);
    std::string text;
    const bool ok = ReadUpTo(files, fd, info.st_size, SIZE_MAX, text);
    const FileResult result = Outcome(ok, path);
    ::close(fd);
    if (ok) {
        out = std::move(text);
        version = VersionOf(info);
    }
    return result;
}

FileResult GetFileVersion(const std::string& path, FileVersion& version) {
    struct stat info {};
    if (HoldsZero(path) || ::stat(path.c_str(), &info) != 0)
        return FileResult::Failed(errno, path);
    version = VersionOf(info);
    return {};
}

FileResult ReadFilePrefix(const std::string& path, std::size_t limit, std::string& out,
                          std::uintmax_t& size, FileSystem& files) {
    std::string text;
    const FileResult result = ReadStart(files, path, limit, kAnySize, text, size);
    if (result) {
        if (text.size() > limit)
            text.resize(limit); // the first read asks for one byte more
        out = std::move(text);
    }
    return result;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return !HoldsZero(path) && ::lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

FileResult WriteFileReplacing(const std::string& path, std::string_view data, FileSystem& files) {
    return ReplaceWhole(path, data, false, files);
}

FileResult ResolveLinks(std::string path, std::string& target) {
    if (HoldsZero(path))
        return FileResult::Failed(errno, path);
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            target = std::move(path);
            return {};
        }
        std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 0) + 256, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n < 0)
            return FileResult::Failed(errno, path);
        if (static_cast<std::size_t>(n) == link.size() || n == 0)
            return FileResult::Failed(n == 0 ? ENOENT : ENAMETOOLONG, path);
        link.resize(static_cast<std::size_t>(n));
        if (link.front() != '/') {
            const std::size_t slash = path.rfind('/');
            link.insert(0, slash == std::string::npos ? std::string() : path.substr(0, slash + 1));
        }
        path = std::move(link);
    }
    return FileResult::Failed(ELOOP, path);
}

FileResult ReplaceSharedFile(const std::string& path, std::string_view data) {
    std::string target;
    if (FileResult resolved = ResolveLinks(path, target); !resolved)
        return resolved;
    return ReplaceWhole(target, data, true);
}

AppendFile::~AppendFile() {
    Close();
}

FileResult AppendFile::Open(const std::string& path) {
    Close();
    m_fd = OpenForAppending(m_files, path);
    m_path = path;
    return Outcome(m_fd >= 0, path);
}

FileResult AppendFile::Write(std::string_view data) {
    if (m_fd < 0)
        return FileResult::Failed(EBADF, m_path);
    const auto now = std::chrono::steady_clock::now();
    if (!m_locked) {
        m_locked = LockForAppending(m_fd);
        m_lockedSince = now;
    }
    const FileResult result = Outcome(AppendWhole(m_files, m_fd, data), m_path);
    if (now - m_lockedSince >= kLockHeld)
        Release();
    return result;
}

void AppendFile::Release() {
    if (m_locked && m_fd >= 0)
        ::flock(m_fd, LOCK_UN);
    m_locked = false;
}

FileResult AppendFile::Close() {
    if (m_fd < 0)
        return {};
    Release();
    const int fd = m_fd;
    m_fd = -1;
    return Outcome(CloseFile(m_files, fd), m_path);
}

std::string LfToCrlf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32 + 16);
    AppendCrlf(out, text);
    return out;
}

void AppendCrlf(std::string& out, std::string_view text) {
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t lf = std::min(text.find('\n', start), text.size());
        out.append(text, start, lf - start);
        if (lf < text.size())
            out.append("\r\n");
        start = lf + 1;
    }
}

std::string CrlfToLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t start = 0; start < text.size();) {
        std::size_t cr = text.find("\r\n", start);
        if (cr == std::string_view::npos)
            cr = text.size();
        out.append(text, start, cr - start);
        start = cr + 1; // the "\n" is taken with what follows
    }
    return out;
}

} // namespace platform
