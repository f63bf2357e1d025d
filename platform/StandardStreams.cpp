#include "platform/StandardStreams.h"

#include <cerrno>
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

} // namespace platform
