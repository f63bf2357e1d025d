// Netpbm's bitmap: "P1" (plain: the pixels as the digits 0 and 1) or "P4"
// (raw: eight pixels a byte, the first in the high bit, each row starting
// a byte), then the width and the height in decimal. White space separates
// the fields, and a "#" comment may stand in it up to the raster. 1 is black.

#include "imaging/Image.h"

namespace imaging {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

class Scanner {
public:
    explicit Scanner(std::string_view bytes) : m_bytes(bytes) {}

    // Skips white space and comments.
    void SkipSpace() {
        while (m_at < m_bytes.size()) {
            if (m_bytes[m_at] == '#') {
                while (m_at < m_bytes.size() && m_bytes[m_at] != '\n' && m_bytes[m_at] != '\r')
                    ++m_at;
            } else if (IsSpace(m_bytes[m_at])) {
                ++m_at;
            } else {
                return;
            }
        }
    }
    // A decimal number of 1 to limit after white space; false beyond limit.
    bool Number(int limit, int& value) {
        SkipSpace();
        value = 0;
        const std::size_t begin = m_at;
        while (m_at < m_bytes.size() && m_bytes[m_at] >= '0' && m_bytes[m_at] <= '9') {
            value = 10 * value + (m_bytes[m_at++] - '0');
            if (value > limit)
                return false;
        }
        return m_at > begin && value > 0;
    }
    bool AtEnd() const { return m_at >= m_bytes.size(); }
    char Next() { return m_bytes[m_at++]; }
    std::string_view Rest() const { return m_bytes.substr(m_at); }

private:
    std::string_view m_bytes;
    std::size_t m_at = 2; // after the magic number
};

} // namespace

std::optional<MonoImage> DecodePbm(std::string_view bytes, int maxWidth, int maxHeight) {
    const bool plain = bytes.starts_with("P1");
    if (!plain && !bytes.starts_with("P4"))
        return std::nullopt;
    Scanner in(bytes);
    MonoImage image;
    if (!in.Number(maxWidth, image.width) || !in.Number(maxHeight, image.height))
        return std::nullopt;
    const auto width = static_cast<std::size_t>(image.width);
    image.dark.resize(width * static_cast<std::size_t>(image.height));

    if (plain) {
        for (std::uint8_t& cell : image.dark) {
            in.SkipSpace();
            if (in.AtEnd())
                return std::nullopt;
            const char digit = in.Next();
            if (digit != '0' && digit != '1')
                return std::nullopt;
            cell = digit == '1' ? 1 : 0;
        }
        return image;
    }

    // One white-space character ends the height; the raster follows.
    if (in.AtEnd() || !IsSpace(in.Next()))
        return std::nullopt;
    const std::string_view raster = in.Rest();
    const std::size_t stride = (width + 7) / 8;
    if (raster.size() < stride * static_cast<std::size_t>(image.height))
        return std::nullopt;
    for (std::size_t y = 0; y < static_cast<std::size_t>(image.height); ++y)
        for (std::size_t x = 0; x < width; ++x) {
            const auto byte = static_cast<unsigned char>(raster[y * stride + x / 8]);
            image.dark[y * width + x] = (byte >> (7 - x % 8)) & 1;
        }
    return image;
}

} // namespace imaging
