#include "app/LastErrorText.h"

#include "platform/LastError.h"

#include <cerrno>
#include <cstdio>
#include <string>

namespace app {

char* FormatLastErrorText(char* buffer, std::size_t capacity) {
    const int code = errno;
    if (buffer == nullptr || capacity == 0)
        return buffer;
    const std::string description = platform::ErrorDescription(code);
    // " (0x" + at most eight digits + ")" + the terminating zero.
    if (!description.empty() && capacity >= description.size() + 14)
        std::snprintf(buffer, capacity, "%s (0x%x)", description.c_str(),
                      static_cast<unsigned>(code));
    else
        buffer[0] = '\0';
    return buffer;
}

} // namespace app
