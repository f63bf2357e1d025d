#include "platform/LastError.h"

#include <cstring>

namespace platform {

std::string ErrorDescription(int errnum) {
    char buffer[256];
    // GNU strerror_r returns a pointer that may or may not be our buffer.
    const char* text = strerror_r(errnum, buffer, sizeof buffer);
    return text != nullptr ? std::string(text) : std::string();
}

} // namespace platform
