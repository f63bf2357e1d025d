// BMP, uncompressed: the file header, an information header of any version
// (OS/2's 12 bytes, or 40 bytes and more), 1, 4 or 8 bits a pixel through
// the colour table, 16, 24 or 32 bits a pixel directly (16 and 32 with
// their bit masks). Rows are stored from the bottom unless the height is
// negative, each padded to four bytes. Every read is checked against the
// bytes there are.

#include "imaging/Image.h"

#include <bit>

namespace imaging {
namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kCoreHeader = 12;
constexpr std::size_t kInfoHeader = 40;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

// Little-endian reads that fail beyond the end instead of reading past it.
class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}
    bool Has(std::size_t at, std::size_t count) const {
        return at <= m_bytes.size() && count <= m_bytes.size() - at;
    }
    std::uint32_t U8(std::size_t at) const { return static_cast<unsigned char>(m_bytes[at]); }
    std::uint32_t U16(std::size_t at) const { return U8(at) | U8(at + 1) << 8; }
    std::uint32_t U32(std::size_t at) const { return U16(at) | U16(at + 2) << 16; }

private:
    std::string_view m_bytes;
};

// One colour channel of a pixel value: the bits of its mask, scaled to 0-255.
struct Channel {
    std::uint32_t mask = 0;
    unsigned Value(std::uint32_t pixel) const {
        if (mask == 0)
            return 255;
        const std::uint32_t bits = (pixel & mask) >> std::countr_zero(mask);
        const std::uint32_t top = mask >> std::countr_zero(mask);
        return static_cast<unsigned>((std::uint64_t{bits} * 255 + top / 2) / top);
    }
};

struct Layout {
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: rows from the top
    unsigned bits = 0;
    std::uint32_t compression = kUncompressed;
    std::size_t paletteAt = 0;
    std::size_t paletteEntry = 4; // bytes an entry: 3 in OS/2's format
    std::size_t paletteSize = 0;
    Channel red, green, blue, alpha;
};

bool ReadLayout(const Reader& in, Layout& layout) {
    if (!in.Has(0, kFileHeader + 4))
        return false;
    const std::size_t headerSize = in.U32(kFileHeader);
    const std::size_t at = kFileHeader;
    if (headerSize == kCoreHeader) {
        if (!in.Has(at, kCoreHeader))
            return false;
        layout.width = in.U16(at + 4);
        layout.height = in.U16(at + 6);
        layout.bits = in.U16(at + 10);
        layout.paletteEntry = 3;
    } else if (headerSize >= kInfoHeader) {
        if (!in.Has(at, headerSize))
            return false;
        layout.width = static_cast<std::int32_t>(in.U32(at + 4));
        layout.height = static_cast<std::int32_t>(in.U32(at + 8));
        layout.bits = in.U16(at + 14);
        layout.compression = in.U32(at + 16);
        layout.paletteSize = in.U32(at + 32);
    } else {
        return false;
    }
    layout.paletteAt = at + headerSize;

    const bool masks = layout.compression == kBitFields || layout.compression == kAlphaBitFields;
    if (layout.compression != kUncompressed && !(masks && (layout.bits == 16 || layout.bits == 32)))
        return false;
    if (layout.bits == 16) {
        layout.red.mask = 0x7C00;
        layout.green.mask = 0x03E0;
        layout.blue.mask = 0x001F;
    } else if (layout.bits == 32) {
        layout.red.mask = 0xFF0000;
        layout.green.mask = 0xFF00;
        layout.blue.mask = 0xFF;
    }
    if (masks) {
        // In the header from version 2 on (alpha from version 3); after a
        // 40-byte header, before the colour table.
        const std::size_t maskAt = headerSize > kInfoHeader ? at + kInfoHeader : layout.paletteAt;
        const std::size_t count =
            headerSize >= kInfoHeader + 16 || layout.compression == kAlphaBitFields ? 4 : 3;
        if (!in.Has(maskAt, 4 * count))
            return false;
        layout.red.mask = in.U32(maskAt);
        layout.green.mask = in.U32(maskAt + 4);
        layout.blue.mask = in.U32(maskAt + 8);
        layout.alpha.mask = count == 4 ? in.U32(maskAt + 12) : 0;
        if (headerSize == kInfoHeader)
            layout.paletteAt += 4 * count;
    }
    if (layout.bits == 1 || layout.bits == 4 || layout.bits == 8) {
        const std::size_t most = std::size_t{1} << layout.bits;
        if (layout.paletteSize == 0 || layout.paletteSize > most)
            layout.paletteSize = most;
        return in.Has(layout.paletteAt, layout.paletteSize * layout.paletteEntry);
    }
    return layout.bits == 16 || layout.bits == 24 || layout.bits == 32;
}

} // namespace

std::optional<MonoImage> DecodeBmp(std::string_view bytes, int maxWidth, int maxHeight) {
    const Reader in(bytes);
    Layout layout;
    if (!bytes.starts_with("BM") || !ReadLayout(in, layout))
        return std::nullopt;
    const std::int64_t rows = layout.height < 0 ? -layout.height : layout.height;
    if (layout.width <= 0 || rows == 0 || layout.width > maxWidth || rows > maxHeight)
        return std::nullopt;

    const auto width = static_cast<std::size_t>(layout.width);
    const std::size_t stride = (width * layout.bits + 31) / 32 * 4;
    const std::size_t rowBytes = (width * layout.bits + 7) / 8;
    const std::size_t dataAt = in.U32(10);
    // The last row need not carry its padding.
    if (!in.Has(dataAt, stride * static_cast<std::size_t>(rows - 1) + rowBytes))
        return std::nullopt;

    MonoImage image;
    image.width = static_cast<int>(layout.width);
    image.height = static_cast<int>(rows);
    image.dark.resize(width * static_cast<std::size_t>(rows));
    for (std::int64_t y = 0; y < rows; ++y) {
        const std::int64_t stored = layout.height < 0 ? y : rows - 1 - y;
        const std::size_t rowAt = dataAt + static_cast<std::size_t>(stored) * stride;
        for (std::size_t x = 0; x < width; ++x) {
            bool dark = false;
            if (layout.bits <= 8) {
                const std::size_t bit = x * layout.bits;
                const std::uint32_t byte = in.U8(rowAt + bit / 8);
                const std::uint32_t index =
                    (byte >> (8 - layout.bits - bit % 8)) & ((1u << layout.bits) - 1);
                if (index >= layout.paletteSize)
                    return std::nullopt;
                const std::size_t entry = layout.paletteAt + index * layout.paletteEntry;
                dark = IsDark(in.U8(entry + 2), in.U8(entry + 1), in.U8(entry));
            } else if (layout.bits == 24) {
                const std::size_t pixel = rowAt + 3 * x;
                dark = IsDark(in.U8(pixel + 2), in.U8(pixel + 1), in.U8(pixel));
            } else {
                const std::size_t at = rowAt + x * layout.bits / 8;
                const std::uint32_t pixel = layout.bits == 16 ? in.U16(at) : in.U32(at);
                dark = IsDark(layout.red.Value(pixel), layout.green.Value(pixel),
                              layout.blue.Value(pixel), layout.alpha.Value(pixel));
            }
            image.dark[static_cast<std::size_t>(y) * width + x] = dark ? 1 : 0;
        }
    }
    return image;
}

} // namespace imaging
