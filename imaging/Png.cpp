// PNG through libpng: read with its simplified interface, which turns every
// colour type, depth and transparency into 8-bit RGBA; written with the
// full interface, the only one that writes 1-bit grayscale.

#include "imaging/Image.h"

#include <csetjmp>
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

} // namespace

std::optional<MonoImage> DecodePng(std::string_view bytes, int maxWidth, int maxHeight) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()) == 0)
        return std::nullopt;
    if (png.width == 0 || png.height == 0 || png.width > static_cast<png_uint_32>(maxWidth) ||
        png.height > static_cast<png_uint_32>(maxHeight)) {
        png_image_free(&png);
        return std::nullopt;
    }
    png.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> rgba(PNG_IMAGE_SIZE(png));
    const bool read = png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr) != 0;
    png_image_free(&png);
    if (!read)
        return std::nullopt;

    MonoImage image;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.dark.resize(rgba.size() / 4);
    for (std::size_t i = 0; i < image.dark.size(); ++i) {
        const png_byte* pixel = &rgba[4 * i];
        image.dark[i] = IsDark(pixel[0], pixel[1], pixel[2], pixel[3]) ? 1 : 0;
    }
    return image;
}

std::string EncodePng(const MonoImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.dark.size() !=
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return {};
    const auto width = static_cast<std::size_t>(image.width);
    const std::size_t stride = (width + 7) / 8;
    std::vector<png_byte> packed(stride * static_cast<std::size_t>(image.height), 0);
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        png_byte* row = &packed[static_cast<std::size_t>(y) * stride];
        rows[static_cast<std::size_t>(y)] = row;
        for (std::size_t x = 0; x < width; ++x)
            if (!image.Dark(static_cast<int>(x), y))
                row[x / 8] |= static_cast<png_byte>(0x80u >> (x % 8));
    }
    std::string out;
    if (!WriteGrayPng(static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
                      rows.data(), out))
        return {};
    return out;
}

} // namespace imaging
