#include "platform/ByteOrderMark.h"

#include <cstdint>
#include <string_view>

namespace platform {
namespace {

std::string FromUtf16(std::string_view units, bool bigEndian) {
    std::string text;
    text.reserve(units.size() / 2 + 1);
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(units[i]);
        const auto b = static_cast<unsigned char>(units[i + 1]);
        return static_cast<std::uint16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    std::size_t i = 0;
    for (; i + 1 < units.size(); i += 2) {
        const std::uint16_t u = unit(i);
        if (u <= 0xFF) {
            text += static_cast<char>(u);
            continue;
        }
        // A surrogate pair is one character: one "?" for both units.
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < units.size()) {
            const std::uint16_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF)
                i += 2;
        }
        text += '?';
    }
    if (i < units.size())
        text += '?'; // half a unit at the end
    return text;
}

} // namespace

void ReadByteOrderMark(std::string& text) {
    const std::string_view view = text;
    if (view.substr(0, 3) == "\xEF\xBB\xBF")
        text.erase(0, 3);
    else if (view.substr(0, 2) == "\xFF\xFE")
        text = FromUtf16(view.substr(2), false);
    else if (view.substr(0, 2) == "\xFE\xFF")
        text = FromUtf16(view.substr(2), true);
}

} // namespace platform
