#include "platform/FileResult.h"

#include "platform/LastError.h"

#include <cerrno>

namespace platform {

FileResult FileResult::Failed(int errnum, std::string path) {
    return {errnum != 0 ? errnum : EIO, std::move(path)};
}

std::string FileResult::Message() const {
    if (ok())
        return {};
    return path + ": " + ErrorDescription(error);
}

} // namespace platform
