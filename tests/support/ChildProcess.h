#pragma once
// Programs started as child processes, with their standard streams closed,
// inherited or opened on files.

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

// What each standard stream of a started program is: inherited (empty),
// closed (kClosed) or the file at the given path (input read, output
// created or emptied).
inline const std::string kClosed = "<closed>";
struct Streams {
    std::string in, out, err;
};

// Starts argv (the first is the program's path) in folder cwd ("" for the
// current one); nothing when it could not be started.
std::optional<pid_t> Start(const std::vector<std::string>& argv, const Streams& streams = {},
                           const std::string& cwd = "");

// The exit status of a started program; -1 when it did not start or did
// not end by exiting.
int Wait(std::optional<pid_t> pid);

} // namespace testsupport
