// PNG through libpng's full interface, both ways: read into 8-bit samples,
// written as 1-bit grayscale.

#include "imaging/Image.h"

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <new>
#include <png.h>

namespace imaging {
namespace {

// libpng's failures end in a jump back to the writer, without a word on
// standard error.
[[noreturn]] void JumpBack(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void Quiet(png_structp, png_const_charp) {}

void AppendBytes(png_structp png, png_bytep data, std::size_t length) {
    bool stored = true;
    try {
        static_cast<std::string*>(png_get_io_ptr(png))
            ->append(reinterpret_cast<const char*>(data), length);
    } catch (const std::bad_alloc&) {
        stored = false;
    }
    if (!stored)
        png_error(png, "out of memory");
}
void NoFlush(png_structp) {}

// Writes the packed rows (one bit a pixel, 1 white) as a 1-bit grayscale
// PNG to out. No object with a destructor lives in this frame, which
// libpng's failures leave by a jump.
bool WriteGrayPng(png_uint_32 width, png_uint_32 height, png_bytepp rows, std::string& out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &JumpBack, &Quiet);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, &AppendBytes, &NoFlush);
    png_set_IHDR(png, info, width, height, 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Reading: libpng's full interface, so that every colour type, bit depth and
// interlace comes out as the same 8-bit samples (16 bits scaled, not cut),
// taken as sRGB whatever the file says of its gamma. A palette's indices
// are checked here: one past the palette makes no picture, as in a BMP.

// The image data a picture of at most 72x28 pixels could need, however
// badly compressed, is a few kilobytes; more is no picture, and is refused
// before any of it is inflated.
constexpr std::size_t kMaxImageData = 64 * 1024;

std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
}

// True when the chunks that hold image data (IDAT) come to at most limit
// bytes. Walks the chunk list only as far as it is whole; what lies
// beyond is libpng's to refuse.
bool ImageDataWithin(std::string_view bytes, std::size_t limit) {
    std::size_t total = 0;
    for (std::size_t at = 8; at + 12 <= bytes.size();) {
        const std::uint32_t length = BigEndian32(bytes, at);
        if (bytes.substr(at + 4, 4) == "IDAT" && (total += length) > limit)
            return false;
        if (length > bytes.size() - at - 12)
            break;
        at += 12 + length;
    }
    return true;
}

struct Reading {
    std::string_view rest; // the bytes libpng has not taken yet
    png_uint_32 width = 0, height = 0;
    int colorType = 0;
    std::size_t rowBytes = 0;
    std::vector<png_byte> samples; // the rows, one after the other
    std::vector<png_bytep> rows;
};

void TakeBytes(png_structp png, png_bytep data, std::size_t length) {
    auto* reading = static_cast<Reading*>(png_get_io_ptr(png));
    if (length > reading->rest.size())
        png_error(png, "truncated");
    std::memcpy(data, reading->rest.data(), length);
    reading->rest.remove_prefix(length);
}

bool MakeRows(Reading& reading) {
    try {
        reading.samples.assign(reading.rowBytes * reading.height, 0);
        reading.rows.resize(reading.height);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (png_uint_32 y = 0; y < reading.height; ++y)
        reading.rows[y] = &reading.samples[y * reading.rowBytes];
    return true;
}

// Reads the image into reading: a palette's images as one index a byte,
// every other as 8-bit RGBA. No object with a destructor lives in this
// frame, which libpng's failures leave by a jump.
bool ReadPng(png_structp png, png_infop info, Reading& reading, png_uint_32 maxWidth,
             png_uint_32 maxHeight) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, &reading, &TakeBytes);
    png_read_info(png, info);
    reading.width = png_get_image_width(png, info);
    reading.height = png_get_image_height(png, info);
    reading.colorType = png_get_color_type(png, info);
    if (reading.width == 0 || reading.height == 0 || reading.width > maxWidth ||
        reading.height > maxHeight)
        return false;
    if (reading.colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_packing(png);
    } else {
        png_set_expand(png); // low-depth grey to 8 bits, tRNS to alpha
        png_set_scale_16(png);
        png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    reading.rowBytes = png_get_rowbytes(png, info);
    const std::size_t wanted = reading.colorType == PNG_COLOR_TYPE_PALETTE ? 1 : 4;
    if (reading.rowBytes != wanted * reading.width || !MakeRows(reading))
        return false;
    png_read_image(png, reading.rows.data());
    png_read_end(png, nullptr);
    return true;
}

// The palette's colours (with their transparency) of each index, or
// nothing when an index lies beyond the palette.
std::optional<std::vector<png_byte>> PaletteToRgba(png_structp png, png_infop info,
                                                   const std::vector<png_byte>& indices) {
    png_colorp palette = nullptr;
    int entries = 0;
    if (png_get_PLTE(png, info, &palette, &entries) == 0)
        return std::nullopt;
    png_bytep alpha = nullptr;
    int alphas = 0;
    png_get_tRNS(png, info, &alpha, &alphas, nullptr);
    std::vector<png_byte> rgba;
    rgba.reserve(4 * indices.size());
    for (const png_byte index : indices) {
        if (index >= entries)
            return std::nullopt;
        const png_color& colour = palette[index];
        rgba.insert(rgba.end(), {colour.red, colour.green, colour.blue,
                                 index < alphas ? alpha[index] : png_byte{255}});
    }
    return rgba;
}

} // namespace

std::optional<MonoImage> DecodePng(std::string_view bytes, int maxWidth, int maxHeight) {
    if (maxWidth <= 0 || maxHeight <= 0 || !ImageDataWithin(bytes, kMaxImageData))
        return std::nullopt;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &JumpBack, &Quiet);
    if (png == nullptr)
        return std::nullopt;
    png_infop info = png_create_info_struct(png);
    Reading reading;
    reading.rest = bytes;
    std::optional<std::vector<png_byte>> rgba;
    if (info != nullptr && ReadPng(png, info, reading, static_cast<png_uint_32>(maxWidth),
                                   static_cast<png_uint_32>(maxHeight)))
        rgba = reading.colorType == PNG_COLOR_TYPE_PALETTE
                   ? PaletteToRgba(png, info, reading.samples)
                   : std::move(reading.samples);
    png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    if (!rgba)
        return std::nullopt;

    MonoImage image;
    image.width = static_cast<int>(reading.width);
    image.height = static_cast<int>(reading.height);
    image.dark.resize(rgba->size() / 4);
    for (std::size_t i = 0; i < image.dark.size(); ++i) {
        const png_byte* pixel = &(*rgba)[4 * i];
        image.dark[i] = IsDark(pixel[0], pixel[1], pixel[2], pixel[3]) ? 1 : 0;
    }
    return image;
}

std::string EncodePng(const MonoImage& image, int scale) {
    if (image.width <= 0 || image.height <= 0 || scale < 1 ||
        image.dark.size() !=
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return {};
    // Each row of cells is packed once, its pixels scale wide, and handed to
    // libpng scale times.
    const auto factor = static_cast<std::size_t>(scale);
    const std::size_t width = static_cast<std::size_t>(image.width) * factor;
    const std::size_t stride = (width + 7) / 8;
    std::vector<png_byte> packed(stride * static_cast<std::size_t>(image.height), 0);
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height) * factor);
    for (int y = 0; y < image.height; ++y) {
        png_byte* row = &packed[static_cast<std::size_t>(y) * stride];
        for (std::size_t copy = 0; copy < factor; ++copy)
            rows[static_cast<std::size_t>(y) * factor + copy] = row;
        for (std::size_t x = 0; x < width; ++x)
            if (!image.Dark(static_cast<int>(x / factor), y))
                row[x / 8] |= static_cast<png_byte>(0x80u >> (x % 8));
    }
    std::string out;
    if (!WriteGrayPng(static_cast<png_uint_32>(width), static_cast<png_uint_32>(rows.size()),
                      rows.data(), out))
        return {};
    return out;
}

} // namespace imaging
