#pragma once
// Ordinary image files as pictures of one bit a pixel: PNG (through libpng),
// BMP and netpbm PBM read here, and PNG written. A pixel is dark when its
// luminance is below half and it is not transparent (alpha below half);
// PBM's 1 is dark. Bytes in, bytes out: no file, no state.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace imaging {

// A picture of one bit a pixel, rows from the top, each from the left.
struct MonoImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> dark; // width * height cells, 1 dark, 0 light

    bool Dark(int x, int y) const {
        return dark[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                    static_cast<std::size_t>(x)] != 0;
    }
};

enum class ImageKind { None, Png, Bmp, Pbm };

// The kind of image the bytes begin like, by its signature: PNG's eight
// bytes, "BM", or "P1" / "P4" (plain and raw PBM).
ImageKind DetectImage(std::string_view bytes);

// The kind's name as people know it: "PNG", "BMP", "PBM" ("" for None).
std::string_view ImageKindName(ImageKind kind);

// Whether a pixel of these 8-bit sRGB values is dark.
constexpr bool IsDark(unsigned red, unsigned green, unsigned blue, unsigned alpha = 255) {
    // Luminance below half (Rec. 601 weights, in thousandths), and opaque.
    return 2 * alpha >= 255 && 2 * (299 * red + 587 * green + 114 * blue) < 255 * 1000;
}

// Decodes an image of any of the kinds; nothing when the bytes are no whole
// image of their kind, or when it is wider than maxWidth or higher than
// maxHeight (refused before any pixel is decoded).
std::optional<MonoImage> DecodeImage(std::string_view bytes, int maxWidth, int maxHeight);

// Each kind alone (DecodeImage picks by the signature).
std::optional<MonoImage> DecodePng(std::string_view bytes, int maxWidth, int maxHeight);
std::optional<MonoImage> DecodeBmp(std::string_view bytes, int maxWidth, int maxHeight);
std::optional<MonoImage> DecodePbm(std::string_view bytes, int maxWidth, int maxHeight);

// A PNG file of the picture: 1-bit grayscale, dark cells black, light cells
// white, each cell a square of scale x scale pixels. Empty when the picture
// has no pixels, the scale is below 1, or libpng fails.
std::string EncodePng(const MonoImage& image, int scale = 1);

} // namespace imaging
