#include "platform/TextFile.h"

#include "platform/FileFaults.h"
#include "platform/Interruption.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

using faults::FileOp;

bool Injected(FileOp op) {
    int errnum = 0;
    if (!faults::ShouldFail(op, errnum))
        return false;
    errno = errnum;
    return true;
}

int OpenFile(const char* path, int flags, mode_t mode = 0) {
    if (Injected(FileOp::Open))
        return -1;
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool CloseFile(int fd) {
    if (Injected(FileOp::Close)) {
        ::close(fd);
        return false;
    }
    return ::close(fd) == 0;
}

// Writes every byte; written (when given) receives how many reached the file.
bool WriteAll(int fd, std::string_view data, std::size_t* written = nullptr) {
    if (written != nullptr)
        *written = 0;
    while (!data.empty()) {
        if (Injected(FileOp::Write))
            return false;
        std::size_t chunk = data.size() < (1u << 30) ? data.size() : (1u << 30);
        chunk = faults::WritableBytes(chunk);
        if (chunk == 0) {
            errno = ENOSPC;
            return false;
        }
        const ssize_t n = ::write(fd, data.data(), chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
        if (written != nullptr)
            *written += static_cast<std::size_t>(n);
    }
    return true;
}

// A path with a zero byte in it names some other file (the system reads it
// only up to the zero), so it names no file at all here.
bool HoldsZero(const std::string& path) {
    if (path.find('\0') == std::string::npos)
        return false;
    errno = EINVAL;
    return true;
}

// Reads up to limit bytes of an open file of the given size into out.
bool ReadUpTo(int fd, off_t size, std::size_t limit, std::string& out) {
    std::string text;
    if (size > 0)
        text.reserve(static_cast<std::size_t>(size) < limit ? static_cast<std::size_t>(size)
                                                            : limit);
    char buffer[1 << 16];
    while (text.size() < limit) {
        if (Injected(FileOp::Read))
            return false;
        std::size_t want = limit - text.size();
        if (want > sizeof buffer)
            want = sizeof buffer;
        const ssize_t n = ::read(fd, buffer, want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    out = std::move(text);
    return true;
}

// Opens a regular file for reading and describes it in info. Folders,
// pipes, sockets and devices are refused: they are not files to convert, a
// pipe without a writer would block and a device such as /dev/zero would
// never end.
int OpenForReading(const std::string& path, struct stat& info) {
    if (HoldsZero(path))
        return -1;
    const int fd = OpenFile(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// A file marked read-only (no write bit at all) counts as not writable even
// for a privileged user.
bool IsMarkedReadOnly(const std::string& path) {
    struct stat info {};
    if (HoldsZero(path) || ::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

// Opens for appending, creating the file when missing. Only a regular file
// is a log: a folder, a pipe, a socket or a device is refused without
// waiting for it (a pipe without a reader would block, a device is no place
// for entries), and so is a file marked read-only.
int OpenForAppending(const std::string& path) {
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
    const int fd =
        OpenFile(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Holds the advisory lock that every writer of a log takes around each
// append, so that appends from several processes never interleave and a
// take-back never cuts into another process's text.
class AppendLock {
public:
    explicit AppendLock(int fd) : m_fd(fd) {
        int rc;
        do {
            rc = ::flock(m_fd, LOCK_EX);
        } while (rc != 0 && errno == EINTR);
        m_locked = rc == 0; // a file system without locks still gets the append
    }
    ~AppendLock() {
        if (m_locked)
            ::flock(m_fd, LOCK_UN);
    }
    AppendLock(const AppendLock&) = delete;
    AppendLock& operator=(const AppendLock&) = delete;

private:
    int m_fd;
    bool m_locked = false;
};

// Appends data to a file open for appending, all of it or nothing: a text
// that went in only in part is taken back. (Each append leaves the offset at
// the end of what it wrote, and under the lock nobody appends meanwhile.)
bool AppendWhole(int fd, std::string_view data) {
    const AppendLock lock(fd);
    std::size_t written = 0;
    if (WriteAll(fd, data, &written))
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

// Characters of the target's name that a temporary name starts with: enough
// to tell whose it is, few enough that it fits wherever the target fits.
constexpr std::size_t kTemporaryPrefix = 32;
constexpr char kRandomCharacters[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// Random characters for temporary names, from a generator seeded once per
// process from the system (the clock when the system has no randomness yet).
// A name that is taken is simply drawn again, so they need not be secret.
void AppendRandomCharacters(std::string& text, std::size_t count) {
    static std::atomic<std::uint64_t> state = [] {
        std::uint64_t seed = 0;
        if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof seed)) {
            timespec now{};
            ::clock_gettime(CLOCK_REALTIME, &now);
            seed = static_cast<std::uint64_t>(now.tv_nsec) ^
                   (static_cast<std::uint64_t>(now.tv_sec) << 30) ^
                   (static_cast<std::uint64_t>(::getpid()) << 48);
        }
        return seed;
    }();
    // splitmix64: every call takes a fresh step of the shared state.
    constexpr std::uint64_t kStep = 0x9E3779B97F4A7C15u;
    std::uint64_t x = state.fetch_add(kStep) + kStep;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    x ^= x >> 31;
    constexpr std::uint64_t kChoices = sizeof kRandomCharacters - 1;
    for (std::size_t i = 0; i < count; ++i, x /= kChoices)
        text += kRandomCharacters[x % kChoices];
}

// A hidden name in the target's folder: ".", the first characters of the
// target's name (never half a UTF-8 character), "-" and six random
// characters. At most 40 bytes, so every name that fits can be replaced.
std::string TemporaryName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    std::size_t prefix = std::min(path.size() - name, kTemporaryPrefix);
    while (prefix > 0 && name + prefix < path.size() &&
           (static_cast<unsigned char>(path[name + prefix]) & 0xC0) == 0x80)
        --prefix;
    std::string temp;
    temp.reserve(name + prefix + 8);
    temp.append(path, 0, name).append(".").append(path, name, prefix).append("-");
    AppendRandomCharacters(temp, 6);
    return temp;
}

// Creates the temporary file of a replacing write; token receives its
// place among the temporaries in flight (see Interruption.h). The name is
// made known before the file exists and forgotten only once it is gone
// (renamed or removed), so an interruption at any moment in between removes
// it, and one before or after finds no file of that name. The system gives
// the file the mode of any new file (0666 less the umask).
int CreateTemporary(const std::string& path, std::string& temp, int& token) {
    for (int attempt = 0; attempt < 64; ++attempt) {
        temp = TemporaryName(path);
        token = RememberTemporary(temp);
        const int fd =
            OpenFile(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY, 0666);
        if (fd >= 0)
            return fd;
        const int saved = errno;
        ForgetTemporary(token);
        token = -1;
        errno = saved;
        if (saved != EEXIST)
            return -1;
    }
    return -1;
}

// The replacement of a regular file keeps its owner and group where the
// process may keep them (root converting into a user's folder), and its
// permission bits, but never set-user-ID, set-group-ID or sticky. A group
// that cannot be kept gets none of the old group's rights. True when both
// owner and group were kept.
bool TakeOverOwnerAndMode(int fd, const struct stat& replaced) {
    bool kept = true;
    mode_t mode = replaced.st_mode & 0777;
    if (replaced.st_uid != ::geteuid() || replaced.st_gid != ::getegid()) {
        if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
            kept = false;
            if (::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid) != 0)
                mode &= ~static_cast<mode_t>(S_IRWXG);
        }
    }
    (void)::fchmod(fd, mode); // a mode we cannot set is no reason to fail
    return kept;
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

FileResult ReadWholeFile(const std::string& path, std::string& out, std::uintmax_t maxBytes) {
    struct stat info {};
    const int fd = OpenForReading(path, info);
    if (fd < 0)
        return FileResult::Failed(errno, path);
    std::string text;
    bool ok = static_cast<std::uintmax_t>(info.st_size) <= maxBytes;
    if (!ok)
        errno = EFBIG;
    // A file that grows while it is read is cut one byte past the limit.
    const std::size_t limit =
        maxBytes < SIZE_MAX ? static_cast<std::size_t>(maxBytes) + 1 : SIZE_MAX;
    if (ok && (ok = ReadUpTo(fd, info.st_size, limit, text)) && text.size() > maxBytes) {
        ok = false;
        errno = EFBIG;
    }
    const FileResult result = Outcome(ok, path);
    ::close(fd);
    if (ok)
        out = std::move(text);
    return result;
}

FileResult ReadWholeFile(const std::string& path, std::string& out, FileVersion& version) {
    struct stat info {};
    const int fd = OpenForReading(path, info);
    if (fd < 0)
        return FileResult::Failed(errno, path);
    const bool ok = ReadUpTo(fd, info.st_size, SIZE_MAX, out);
    const FileResult result = Outcome(ok, path);
    ::close(fd);
    if (ok)
        version = VersionOf(info);
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
                          std::uintmax_t& size) {
    struct stat info {};
    const int fd = OpenForReading(path, info);
    if (fd < 0)
        return FileResult::Failed(errno, path);
    size = static_cast<std::uintmax_t>(info.st_size);
    const bool ok = ReadUpTo(fd, info.st_size, limit, out);
    const FileResult result = Outcome(ok, path);
    ::close(fd);
    if (ok && out.size() > size)
        size = out.size();
    return result;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return !HoldsZero(path) && ::lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

namespace {

// WriteFileReplacing; with ownerRequired a replaced file whose owner and
// group cannot both be handed on is left as it is (EPERM).
bool ReplaceFile(const std::string& path, std::string_view data, bool ownerRequired) {
    if (HoldsZero(path))
        return false;
    // What is replaced is the name itself: a symbolic link is replaced by a
    // new file and lends it nothing of the file it points to. A folder and a
    // file marked read-only are refused, behind a link as well.
    struct stat replaced {};
    const bool exists = ::lstat(path.c_str(), &replaced) == 0;
    const bool replacesFile = exists && S_ISREG(replaced.st_mode);
    if (exists) {
        struct stat target = replaced;
        if (!replacesFile && ::stat(path.c_str(), &target) != 0)
            target.st_mode = 0;
        if (S_ISDIR(target.st_mode)) {
            errno = EISDIR;
            return false;
        }
        if (IsMarkedReadOnly(path)) {
            errno = EACCES;
            return false;
        }
    }

    std::string temp;
    int token = -1;
    const int fd = CreateTemporary(path, temp, token);
    if (fd < 0)
        return false;
    bool ok = true;
    int saved = 0;
    if (replacesFile && !TakeOverOwnerAndMode(fd, replaced) && ownerRequired) {
        ok = false;
        saved = EPERM;
    }
    if (ok) {
        ok = WriteAll(fd, data);
        saved = errno;
    }
    if (!CloseFile(fd) && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && (Injected(FileOp::Rename) || ::rename(temp.c_str(), path.c_str()) != 0)) {
        ok = false;
        saved = errno;
    }
    if (!ok)
        ::unlink(temp.c_str());
    ForgetTemporary(token);
    errno = saved;
    return ok;
}

} // namespace

FileResult WriteFileReplacing(const std::string& path, std::string_view data) {
    return Outcome(ReplaceFile(path, data, false), path);
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
    return Outcome(ReplaceFile(target, data, true), target);
}

AppendFile::~AppendFile() {
    Close();
}

FileResult AppendFile::Open(const std::string& path) {
    Close();
    m_fd = OpenForAppending(path);
    m_path = path;
    return Outcome(m_fd >= 0, path);
}

FileResult AppendFile::Write(std::string_view data) {
    if (m_fd < 0)
        return FileResult::Failed(EBADF, m_path);
    return Outcome(AppendWhole(m_fd, data), m_path);
}

FileResult AppendFile::Close() {
    if (m_fd < 0)
        return {};
    const int fd = m_fd;
    m_fd = -1;
    return Outcome(CloseFile(fd), m_path);
}

std::string LfToCrlf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 8);
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string CrlfToLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

} // namespace platform
