#pragma once
// The system's description of an error number.

#include <cstddef>
#include <string>

namespace platform {

// Description of errnum as the C library gives it, e.g. "No such file or directory".
std::string ErrorDescription(int errnum);

// Fills buffer (capacity characters, terminating zero included) with the
// system's description of the last error (errno) followed by its number in
// hexadecimal, "DESCRIPTION (0xN)"; the empty text when there is no
// description or it does not fit. Returns buffer.
char* FormatLastError(char* buffer, std::size_t capacity);

} // namespace platform
