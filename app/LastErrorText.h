#pragma once
// The text shown when opening a converter dialog failed unexpectedly.

#include <cstddef>

namespace app {

// Fills buffer (capacity characters, terminating zero included) with the
// system's description of the last error (errno) followed by its number in
// hexadecimal, "DESCRIPTION (0xN)"; the empty text when there is no
// description or it does not fit. Returns buffer.
char* FormatLastErrorText(char* buffer, std::size_t capacity);

} // namespace app
