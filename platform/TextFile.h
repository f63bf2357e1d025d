#pragma once
// Whole-file reading, safe replacement of a file and appending, through the
// file system handed in (the operating system's by default). Every
// operation answers with a FileResult: the error number and the path of a
// failure, never an errno to read afterwards. Texts go to disk byte for byte;
// callers that want CR LF line ends convert with LfToCrlf first.

#include "platform/FileIdentity.h"
#include "platform/FileResult.h"
#include "platform/FileSystem.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// No limit on the size of a file read whole.
inline constexpr std::uintmax_t kAnySize = UINTMAX_MAX;

// Reads the whole file into out. Fails (out untouched) when the path cannot
// be opened for reading or is no regular file (a folder, a pipe, a device),
// when a read fails, and with EFBIG, nothing read, when the file holds more
// than maxBytes.
FileResult ReadWholeFile(const std::string& path, std::string& out,
                         std::uintmax_t maxBytes = kAnySize, FileSystem& files = SystemFiles());

// Which version of a file was seen: the file itself (device and inode), its
// size and its modification and status-change times. A file replaced by
// renaming another over it, or changed in place, shows another version.
struct FileVersion {
    FileIdentity file;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0; // since the epoch
    std::int64_t changedNs = 0;
    bool operator==(const FileVersion&) const = default;
};

// ReadWholeFile that also tells which version it read (taken before reading,
// so a change during the read shows as a later version).
FileResult ReadWholeFile(const std::string& path, std::string& out, FileVersion& version);

// The version of the file at path (links followed); fails when there is
// nothing to examine.
FileResult GetFileVersion(const std::string& path, FileVersion& version);

// Reads at most limit bytes into out and sets size to the file's full size.
FileResult ReadFilePrefix(const std::string& path, std::size_t limit, std::string& out,
                          std::uintmax_t& size, FileSystem& files = SystemFiles());

// True when something other than a folder stands at path, whether or not it
// can be opened (a file without read permission still exists).
bool FileExists(const std::string& path);

// Replaces (or creates) path with data: the text goes to a short hidden
// temporary file in the same folder, which is renamed over the target only
// when every byte was written. An existing target is therefore either intact
// or completely replaced. A target marked read-only (no write bit at all,
// which counts even for a privileged user) is refused with EACCES. A
// replaced regular file hands on its permission bits (never set-user-ID,
// set-group-ID or sticky) and, where the process may, its owner and group; a
// new file, or one that replaces a symbolic link, gets 0666 less the umask.
FileResult WriteFileReplacing(const std::string& path, std::string_view data,
                              FileSystem& files = SystemFiles());

// Where a chain of symbolic links starting at path ends: the first name that
// is no link (which need not exist). A relative link is taken from the
// folder of the link. Fails for a loop or an unreadable link.
FileResult ResolveLinks(std::string path, std::string& target);

// WriteFileReplacing for a file that links and other users point at (the
// component registry): a symbolic link at path is followed and the file it
// leads to is replaced, its temporary file in that file's folder, so the
// link stays a link; the replaced file keeps its owner and group as well as
// its permission bits, and when they cannot be kept (EPERM) nothing is replaced.
FileResult ReplaceSharedFile(const std::string& path, std::string_view data);

// A file held open for appending (the logs), never truncated. Each write is
// one append under an advisory lock (flock) that every appender takes, so
// appends of several processes never interleave; when an append fails half
// way (disk full), the part already written is taken back, so the file ends
// as it was. The lock taken for a write is kept for the writes that follow
// within a few milliseconds (a batch appends thousands of entries a second),
// and let go by Release, which a caller calls before it waits for anything
// (a question to the user), and by Close.
class AppendFile {
public:
    // files: where the log is appended to.
    explicit AppendFile(FileSystem& files = SystemFiles()) : m_files(files) {}
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens for appending, creating when missing. Refuses, without waiting,
    // anything but a regular file (a folder, pipe, socket or device), and a
    // file marked read-only (EACCES).
    FileResult Open(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }
    // Appends every byte or none; EBADF when the file is not open. The file
    // stays open after a failure.
    FileResult Write(std::string_view data);
    // Lets go of the lock kept since the last write, if any.
    void Release();
    // Closes; fails when the close reported an error.
    FileResult Close();

private:
    static constexpr std::chrono::milliseconds kLockHeld{10};

    FileSystem& m_files;
    int m_fd = -1;
    std::string m_path;
    bool m_locked = false;
    std::chrono::steady_clock::time_point m_lockedSince;
};

// Every "\n" written as "\r\n" (on-disk form of the picture files and log).
std::string LfToCrlf(std::string_view text);
// The same, appended to out.
void AppendCrlf(std::string& out, std::string_view text);

// Every "\r\n" pair read as one "\n"; a lone "\r" stays.
std::string CrlfToLf(std::string_view text);

} // namespace platform
