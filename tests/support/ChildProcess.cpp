#include "support/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace testsupport {

std::optional<pid_t> Start(const std::vector<std::string>& argv, const Streams& streams,
                           const std::string& cwd) {
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string* paths[] = {&streams.in, &streams.out, &streams.err};
    for (int fd = 0; fd < 3; ++fd) {
        if (*paths[fd] == kClosed)
            posix_spawn_file_actions_addclose(&actions, fd);
        else if (!paths[fd]->empty())
            posix_spawn_file_actions_addopen(&actions, fd, paths[fd]->c_str(),
                                             fd == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC,
                                             0644);
    }
    if (!cwd.empty())
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return std::nullopt;
    return pid;
}

int Wait(std::optional<pid_t> pid) {
    if (!pid)
        return -1;
    int status = 0;
    if (::waitpid(*pid, &status, 0) != *pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace testsupport
