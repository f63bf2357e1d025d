#include "picture/PicturePng.h"

#include "picture/EmsPictureWriter.h"
#include "picture/PictureFormat.h"

#include "imaging/Image.h"

namespace picture {

std::string PngPathFor(std::string_view outputPath) {
    return BesideOutput(outputPath, format::kPngEnding);
}

std::string PictureAsPng(const LogoImage& image) {
    return image.valid ? imaging::EncodePng(PictureCells(image)) : std::string();
}

} // namespace picture
