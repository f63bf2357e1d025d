#pragma once
// Whole-file reading, safe replacement of a file and appending, with errors
// reported instead of ignored. Texts go to disk byte for byte; callers that
// want CR LF line ends convert with LfToCrlf first.

#include "platform/FileIdentity.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Reads the whole file into out. False (out untouched, errno set) when the
// path cannot be opened for reading or is a folder, or a read fails.
bool ReadWholeFile(const std::string& path, std::string& out);

// Reads the whole file into out unless it holds more than maxBytes: then
// false with errno EFBIG, out untouched and nothing read.
bool ReadWholeFile(const std::string& path, std::string& out, std::uintmax_t maxBytes);

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
bool ReadWholeFile(const std::string& path, std::string& out, FileVersion& version);

// The version of the file at path (links followed); false with errno set
// when there is nothing to examine.
bool GetFileVersion(const std::string& path, FileVersion& version);

// Reads at most limit bytes into out and sets size to the file's full size.
bool ReadFilePrefix(const std::string& path, std::size_t limit, std::string& out,
                    std::uintmax_t& size);

// True when the path can be opened for reading (and is not a folder).
bool CanOpenForReading(const std::string& path);

// True when something other than a folder stands at path, whether or not it
// can be opened (a file without read permission still exists).
bool FileExists(const std::string& path);

// True when the path exists and is marked read-only (no write bit at all),
// which counts as not writable even for a privileged user.
bool IsMarkedReadOnly(const std::string& path);

// Replaces (or creates) path with data: the text goes to a short hidden
// temporary file in the same folder, which is renamed over the target only
// when every byte was written. An existing target is therefore either intact
// or completely replaced. A target marked read-only is refused. A replaced
// regular file hands on its permission bits (never set-user-ID, set-group-ID
// or sticky) and, where the process may, its owner and group; a new file, or
// one that replaces a symbolic link, gets 0666 less the umask. False with
// errno set on failure.
bool WriteFileReplacing(const std::string& path, std::string_view data);

// Where a chain of symbolic links starting at path ends: the first name that
// is no link (which need not exist). A relative link is taken from the
// folder of the link. False with errno set for a loop or an unreadable link.
bool ResolveLinks(std::string path, std::string& target);

// WriteFileReplacing for a file that links and other users point at (the
// component registry): a symbolic link at path is followed and the file it
// leads to is replaced, its temporary file in that file's folder, so the
// link stays a link; the replaced file keeps its owner and group as well as
// its permission bits, and when they cannot be kept (EPERM) nothing is replaced.
bool ReplaceSharedFile(const std::string& path, std::string_view data);

// Appends data to path, creating it when missing (never truncating it).
// Only a regular file is appended to (see AppendFile::Open). The data goes
// in with one write under an advisory lock (flock) that every appender
// takes, so appends of several processes never interleave. When the append
// fails half way (disk full), the part already written is taken back, so the
// file ends as it was.
bool AppendToFile(const std::string& path, std::string_view data);

// A file held open for appending across several writes (the logs), each
// write an append as AppendToFile makes it.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens for appending, creating when missing. Refuses, without waiting,
    // anything but a regular file (a folder, pipe, socket or device), and a
    // file marked read-only.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }
    // Writes every byte; false on failure (the file stays open).
    bool Write(std::string_view data);
    // Closes; false when the close reported an error.
    bool Close();

private:
    int m_fd = -1;
};

// Every "\n" written as "\r\n" (on-disk form of the picture files and log).
std::string LfToCrlf(std::string_view text);

// Every "\r\n" pair read as one "\n"; a lone "\r" stays.
std::string CrlfToLf(std::string_view text);

} // namespace platform
