#include "platform/StandardStreams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

bool OpenStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor is fd itself: every one below it is open.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened < 0)
            return false;
        if (opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
    return true;
}

int FinishStandardStreams(int status, const char* program) {
    const int error = std::fflush(stdout) != 0 ? errno : 0;
    const bool outputLost = error != 0 || std::ferror(stdout) != 0;
    if (outputLost)
        std::fprintf(stderr, "%s: could not write to standard output%s%s\n", program,
                     error != 0 ? ": " : "", error != 0 ? std::strerror(error) : "");
    const bool errorsLost = std::fflush(stderr) != 0 || std::ferror(stderr) != 0;
    return (outputLost || errorsLost) && status == 0 ? 1 : status;
}

} // namespace platform
