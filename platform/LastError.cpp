#include "platform/LastError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

std::string ErrorDescription(int errnum) {
    char buffer[256];
    // GNU strerror_r returns a pointer that may or may not be our buffer.
    const char* text = strerror_r(errnum, buffer, sizeof buffer);
    return text != nullptr ? std::string(text) : std::string();
}

char* FormatLastError(char* buffer, std::size_t capacity) {
    const int code = errno;
    if (buffer == nullptr || capacity == 0)
        return buffer;
    const std::string description = ErrorDescription(code);
    // " (0x" + at most eight digits + ")" + the terminating zero.
    if (!description.empty() && capacity >= description.size() + 14)
        std::snprintf(buffer, capacity, "%s (0x%x)", description.c_str(),
                      static_cast<unsigned>(code));
    else
        buffer[0] = '\0';
    return buffer;
}

} // namespace platform
