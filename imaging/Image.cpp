#include "imaging/Image.h"

namespace imaging {
namespace {

constexpr std::string_view kPngSignature("\x89PNG\r\n\x1a\n", 8);

} // namespace

ImageKind DetectImage(std::string_view bytes) {
    if (bytes.starts_with(kPngSignature))
        return ImageKind::Png;
    if (bytes.starts_with("BM"))
        return ImageKind::Bmp;
    if (bytes.starts_with("P1") || bytes.starts_with("P4"))
        return ImageKind::Pbm;
    return ImageKind::None;
}

std::string_view ImageKindName(ImageKind kind) {
    switch (kind) {
    case ImageKind::Png:
        return "PNG";
    case ImageKind::Bmp:
        return "BMP";
    case ImageKind::Pbm:
        return "PBM";
    case ImageKind::None:
        break;
    }
    return {};
}

std::optional<MonoImage> DecodeImage(std::string_view bytes, int maxWidth, int maxHeight) {
    switch (DetectImage(bytes)) {
    case ImageKind::Png:
        return DecodePng(bytes, maxWidth, maxHeight);
    case ImageKind::Bmp:
        return DecodeBmp(bytes, maxWidth, maxHeight);
    case ImageKind::Pbm:
        return DecodePbm(bytes, maxWidth, maxHeight);
    case ImageKind::None:
        break;
    }
    return std::nullopt;
}

} // namespace imaging
