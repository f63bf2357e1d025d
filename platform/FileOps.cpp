#include "platform/FileOps.h"

#include "platform/Interruption.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

namespace platform::fileops {
namespace {

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

} // namespace

int OpenFile(FileSystem& files, const char* path, int flags, mode_t mode, int dir) {
    int fd;
    do {
        fd = files.Open(dir, path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool CloseFile(FileSystem& files, int fd) {
    return files.Close(fd) == 0;
}

bool WriteAll(FileSystem& files, int fd, std::string_view data, std::size_t* written) {
    if (written != nullptr)
        *written = 0;
    while (!data.empty()) {
        const std::size_t chunk = data.size() < (1u << 30) ? data.size() : (1u << 30);
        const ssize_t n = files.Write(fd, data.data(), chunk);
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

bool RenameFile(FileSystem& files, const std::string& from, const std::string& to, bool noReplace) {
    return files.Rename(AT_FDCWD, from.c_str(), to.c_str(), noReplace) == 0;
}

bool HoldsZero(const std::string& path) {
    if (path.find('\0') == std::string::npos)
        return false;
    errno = EINVAL;
    return true;
}

bool IsMarkedReadOnly(const std::string& path) {
    struct stat info {};
    if (HoldsZero(path) || ::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

int CreateTemporary(FileSystem& files, const std::string& path, std::string& temp, int& token,
                    int dir, std::size_t nameAt) {
    for (int attempt = 0; attempt < 64; ++attempt) {
        temp = TemporaryName(path);
        token = RememberTemporary(temp);
        const int fd = OpenFile(files, temp.c_str() + nameAt,
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY, 0666, dir);
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

bool TakeOverOwnerAndMode(const std::string& temp, const struct stat& replaced) {
    bool kept = true;
    mode_t mode = replaced.st_mode & 0777;
    if (replaced.st_uid != ::geteuid() || replaced.st_gid != ::getegid()) {
        if (::lchown(temp.c_str(), replaced.st_uid, replaced.st_gid) != 0) {
            kept = false;
            // Where the owner cannot be handed on, the group may still be;
            // a group that cannot be kept gets none of the old group's rights.
            if (::lchown(temp.c_str(), static_cast<uid_t>(-1), replaced.st_gid) != 0)
                mode &= ~static_cast<mode_t>(S_IRWXG);
        }
    }
    // A mode that cannot be set is no reason to fail: the file keeps the
    // mode of a new file.
    [[maybe_unused]] const bool modeKept = ::chmod(temp.c_str(), mode) == 0;
    return kept;
}

} // namespace platform::fileops
