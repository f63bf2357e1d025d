#pragma once
// Where the conversion logs go.

#include <string>
#include <string_view>

namespace platform {

// The folder of the logs for a program whose folder is programFolder (a
// plain prefix, normally ending in "/"): programFolder itself when the user
// may create files there and it is not the folder of an installed copy;
// otherwise the user's state folder, $XDG_STATE_HOME/quillmere/ (by default
// ~/.local/state/quillmere/), created when missing.
std::string LogFolder(std::string_view programFolder);

// The folder a log goes to, decided here for every program and batch: the
// folder the user chose (made to end in "/") when one was chosen, otherwise
// LogFolder(programFolder).
std::string LogFolderFor(std::string_view chosen, std::string_view programFolder);

} // namespace platform
