#pragma once
// A recognised picture as a PNG image: 72 pixels wide, 14 or 28 high, one
// bit a pixel, dark exactly where the log's drawing has a "*".

#include "picture/LogoReader.h"

#include <string>
#include <string_view>

namespace picture {

// The PNG's path beside the output file: "png" in place of its "lgo".
std::string PngPathFor(std::string_view outputPath);

// The PNG file of a valid image (empty for one that is not valid).
std::string PictureAsPng(const LogoImage& image);

} // namespace picture
