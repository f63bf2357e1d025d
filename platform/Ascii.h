#pragma once
// The character rules of names, keys and numbers in texts: ASCII case, the
// C library's white space and hexadecimal digits, the same in every locale. The letters A to Z
// and a to z alone have a case; every other byte, 0x80 and up included, is
// its own lower and upper case, and no byte from 0x80 up is white space or a
// digit, so no rule depends on the language settings of the user.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// White space of the C library's "C" locale: blank, \t, \n, \v, \f, \r.
constexpr bool IsAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// The hexadecimal digits, upper case, by value.
inline constexpr std::string_view kUpperHexDigits = "0123456789ABCDEF";

// The value of a hexadecimal digit (0-9, a-f, A-F); -1 for any other byte.
// (Looked up: picture data is read a digit at a time.)
inline constexpr auto kHexDigitValues = [] {
    std::array<signed char, 256> values{};
    for (int c = 0; c < 256; ++c)
        values[static_cast<std::size_t>(c)] =
            static_cast<signed char>(c >= '0' && c <= '9'   ? c - '0'
                                     : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                     : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                            : -1);
    return values;
}();

constexpr int HexDigitOf(char c) {
    return kHexDigitValues[static_cast<unsigned char>(c)];
}

// Appends the low eight bits of value as two upper-case hexadecimal digits.
inline void AppendHexOctet(std::string& out, std::size_t value) {
    out += kUpperHexDigits[(value >> 4) & 0xF];
    out += kUpperHexDigits[value & 0xF];
}

// "A" to "Z" lowered; every other byte unchanged.
constexpr char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The text with "A" to "Z" lowered.
inline std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = LowerAscii(c);
    return lower;
}

// True when a and b are the same but for the case of ASCII letters.
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

// True when a sorts before b once "A" to "Z" are lowered, byte by byte as
// unsigned values: the order of platform::LowerAscii texts.
constexpr bool LessIgnoringAsciiCase(std::string_view a, std::string_view b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const auto x = static_cast<unsigned char>(LowerAscii(a[i]));
        const auto y = static_cast<unsigned char>(LowerAscii(b[i]));
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

// A name (a path) as it is written into a line of text on a terminal or in
// a log: every ASCII control character and the backslash escaped (\n, \r,
// \t, \\, others \xNN), so that no name can break a line
// or forge one. The file itself keeps its real name.
inline std::string PrintableName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F && c != '\\') {
            out += c;
            continue;
        }
        out += '\\';
        switch (c) {
        case '\n':
            out += 'n';
            break;
        case '\r':
            out += 'r';
            break;
        case '\t':
            out += 't';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += 'x';
            AppendHexOctet(out, byte);
        }
    }
    return out;
}

} // namespace platform
