#pragma once
// The system's description of an error number.

#include <string>

namespace platform {

// Description of errnum as the C library gives it, e.g. "No such file or directory".
std::string ErrorDescription(int errnum);

} // namespace platform
