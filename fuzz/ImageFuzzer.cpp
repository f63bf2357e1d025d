// Any bytes through the image readers (PNG, BMP, PBM), each tried whatever
// the signature says: a decoded image has the size it claims within the
// limits, and written as PNG it reads back the same. Through the picture
// reader, an image is a picture exactly when it decodes to 72x14 or 72x28.

#include "fuzz/FuzzCheck.h"

#include "imaging/Image.h"
#include "picture/LogoReader.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace {

constexpr int kMaxSide = 128;

void CheckDecoded(const std::optional<imaging::MonoImage>& image) {
    if (!image)
        return;
    FUZZ_CHECK(image->width >= 1 && image->width <= kMaxSide);
    FUZZ_CHECK(image->height >= 1 && image->height <= kMaxSide);
    FUZZ_CHECK(image->dark.size() ==
               static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height));
    for (const std::uint8_t cell : image->dark)
        FUZZ_CHECK(cell <= 1);
    const std::string png = imaging::EncodePng(*image);
    const auto again = imaging::DecodePng(png, image->width, image->height);
    FUZZ_CHECK(again && again->width == image->width && again->height == image->height);
    FUZZ_CHECK(again->dark == image->dark);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckDecoded(imaging::DecodePng(bytes, kMaxSide, kMaxSide));
    CheckDecoded(imaging::DecodeBmp(bytes, kMaxSide, kMaxSide));
    CheckDecoded(imaging::DecodePbm(bytes, kMaxSide, kMaxSide));

    const auto decoded = imaging::DecodeImage(bytes, 72, 28);
    const bool pictureSized =
        decoded && decoded->width == 72 && (decoded->height == 14 || decoded->height == 28);
    if (imaging::DetectImage(bytes) != imaging::ImageKind::None) {
        const picture::LogoImage image = picture::RecogniseLogo(bytes);
        FUZZ_CHECK(image.valid == pictureSized);
        FUZZ_CHECK(!image.valid ||
                   image.data.size() == static_cast<std::size_t>(decoded->height) * 18);
    }
    return 0;
}
