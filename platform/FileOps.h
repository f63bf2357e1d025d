#pragma once
// The system calls behind the file operations of platform/, made through
// the file system handed in (FileSystem.h) and retried on EINTR, and the
// small rules the reading, replacing and appending operations share. For
// platform/ itself: callers outside use TextFile.h and OutputUnit.h.

#include "platform/FileSystem.h"

#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace platform::fileops {

int OpenFile(FileSystem& files, const char* path, int flags, mode_t mode = 0, int dir = AT_FDCWD);
bool CloseFile(FileSystem& files, int fd);

// Writes every byte; written (when given) receives how many reached the file.
bool WriteAll(FileSystem& files, int fd, std::string_view data, std::size_t* written = nullptr);

// Renames from over to; RENAME_NOREPLACE when noReplace (EEXIST when to
// exists; EINVAL where the file system cannot promise it).
bool RenameFile(FileSystem& files, const std::string& from, const std::string& to, bool noReplace);

// A path with a zero byte in it names some other file (the system reads it
// only up to the zero), so it names no file at all here (EINVAL).
bool HoldsZero(const std::string& path);

// A file marked read-only (no write bit at all) counts as not writable even
// for a privileged user.
bool IsMarkedReadOnly(const std::string& path);

// Creates a hidden temporary file beside path, for writing, remembered for
// the interruption handlers (Interruption.h) from before it exists until
// ForgetTemporary(token); the system gives it 0666 less the umask. With a
// folder dir, the temporary is created by its name from nameAt on, within dir.
int CreateTemporary(FileSystem& files, const std::string& path, std::string& temp, int& token,
                    int dir = AT_FDCWD, std::size_t nameAt = 0);

// The replacement of a regular file keeps its owner and group where the
// process may keep them (root converting into a user's folder), and its
// permission bits, but never set-user-ID, set-group-ID or sticky. A group
// that cannot be kept gets none of the old group's rights. True when both
// owner and group were kept.
bool TakeOverOwnerAndMode(const std::string& temp, const struct stat& replaced);

} // namespace platform::fileops
