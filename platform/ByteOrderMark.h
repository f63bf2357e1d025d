#pragma once
// Texts saved as "Unicode" by a desktop editor: a file that starts with a
// byte-order mark is read as the 8-bit text the converters work on.

#include <string>

namespace platform {

// Reads text that starts with a byte-order mark as that encoding:
// - UTF-8: the mark is dropped, every other byte stays as it is;
// - UTF-16, little- or big-endian: one byte per character, U+0000 to U+00FF
//   as that byte (so the text reads like its 8-bit twin saved in ISO 8859-1)
//   and any other character, or a unit that is no whole character, as "?",
//   which no RTX or picture syntax uses.
// Text without a mark is left unchanged.
void ReadByteOrderMark(std::string& text);

} // namespace platform
