#include "picture/PicturePng.h"

#include "picture/EmsPictureWriter.h"
#include "picture/PictureFormat.h"

#include "imaging/Image.h"

namespace picture {

std::string PngPathFor(std::string_view outputPath) {
    return BesideOutput(outputPath, format::kPngEnding);
}

std::string PictureAsPng(const LogoImage& image) {
    if (!image.valid)
        return {};
    imaging::MonoImage mono;
    mono.width = image.width;
    mono.height = image.height;
    const std::string bits = PictureBits(image.data);
    mono.dark.reserve(bits.size());
    for (const char bit : bits)
        mono.dark.push_back(bit == '1' ? 1 : 0);
    mono.dark.resize(static_cast<std::size_t>(image.width) *
                     static_cast<std::size_t>(image.height));
    return imaging::EncodePng(mono);
}

} // namespace picture
