#pragma once
// Which file a path names, told by device and inode, so that two paths
// naming the same file are known for it.

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

// The file at path; a symbolic link itself unless followLinks. Nothing when
// nothing stands there.
std::optional<FileIdentity> IdentityOf(const std::string& path, bool followLinks);

// Adds what path names to files: the file itself and, when it is a symbolic
// link, also the file it leads to. Nothing when nothing stands there.
void AddIdentities(const std::string& path, std::vector<FileIdentity>& files);

} // namespace platform
