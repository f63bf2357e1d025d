#pragma once
// Reading UTF-8 one character at a time, for texts that may hold stray bytes.

#include <cstddef>
#include <string_view>

namespace platform {

// Length of the valid UTF-8 sequence starting at text[i] (shortest form, no
// surrogate, at most U+10FFFF), with its code point in codePoint; 0 when no
// valid sequence starts there. i must be below text.size().
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& codePoint);

} // namespace platform
