#pragma once
// Picture texts and message lines for the tests of the picture conversion.

#include "logoconv/PictureFormat.h"

#include <string>
#include <vector>

namespace testsupport {

// Hexadecimal picture data of the given number of rows whose characters
// differ by row and column, so a misplaced character is noticed.
inline std::string Rows(int rows) {
    static const char kDigits[] = "0123456789abcdefABCDEF";
    std::string data;
    for (int r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < logoconv::picture::kRowChars; ++c)
            data += kDigits[(static_cast<std::size_t>(r) * 7 + c) % 22];
    return data;
}

// A message of the picture conversion as a recording user records it.
inline std::string Box(const std::string& text) {
    return "ZEV Urur Orarodude: " + text;
}

} // namespace testsupport
