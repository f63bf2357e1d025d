#include "picture/LogoReader.h"

#include "picture/PictureFormat.h"

#include "imaging/Image.h"
#include "platform/Ascii.h"
#include "platform/ByteOrderMark.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace picture {
namespace {

using namespace format;

// The longest accepted text: an OTA bitmap header and a 72x28 picture.
constexpr std::size_t kLongestPictureText = kOta72x28Header.size() + kLargePictureChars;
// A file of more bytes than this holds more than kLongestPictureText
// characters even if it were UTF-16 with its byte-order mark and every pair
// of its characters a CR LF read as one.
constexpr std::size_t kReadLimit = 2 * (2 * kLongestPictureText + 1) + 2;

bool IsHexDigit(char c) {
    return platform::HexDigitOf(c) >= 0;
}

// Picture data of a layout's length made of hexadecimal digits only.
bool IsPictureData(std::string_view data, std::size_t length) {
    if (data.size() != length)
        return false;
    for (const char c : data)
        if (!IsHexDigit(c))
            return false;
    return true;
}

LogoImage WithHeader(LogoKind kind, std::string_view text, std::size_t headerLength, int height,
                     std::string_view report) {
    LogoImage image;
    image.kind = kind;
    image.width = kWidth;
    image.height = height;
    image.data.assign(text.substr(headerLength));
    image.valid = IsPictureData(image.data, static_cast<std::size_t>(height) * kRowChars);
    image.threePart = image.valid && height == kLargeHeight;
    image.report.assign(report);
    return image;
}

LogoImage WithoutHeader(LogoKind kind, std::string_view text, int height, std::string_view notice) {
    LogoImage image;
    image.kind = kind;
    image.valid = true;
    image.width = kWidth;
    image.height = height;
    image.data.assign(text);
    image.threePart = height == kLargeHeight;
    image.notice.assign(notice);
    image.report.reserve(notice.size() + 1);
    image.report.append(notice).append("\n");
    return image;
}

// An image of a picture's size as that picture in header-less data; any
// other image is no picture.
LogoImage FromImage(imaging::ImageKind kind, std::string_view bytes) {
    if (bytes.size() > kMaxImageBytes)
        return LogoImage{};
    const auto decoded = imaging::DecodeImage(bytes, kWidth, kLargeHeight);
    if (!decoded || decoded->width != kWidth ||
        (decoded->height != kSmallHeight && decoded->height != kLargeHeight))
        return LogoImage{};
    LogoImage image;
    image.kind = kind == imaging::ImageKind::Png   ? LogoKind::PngImage
                 : kind == imaging::ImageKind::Bmp ? LogoKind::BmpImage
                                                   : LogoKind::PbmImage;
    image.valid = true;
    image.width = kWidth;
    image.height = decoded->height;
    image.data.reserve(decoded->dark.size() / 4);
    for (std::size_t i = 0; i < decoded->dark.size(); i += 4)
        image.data += platform::kUpperHexDigits[decoded->dark[i] << 3 | decoded->dark[i + 1] << 2 |
                                                decoded->dark[i + 2] << 1 | decoded->dark[i + 3]];
    image.threePart = image.height == kLargeHeight;
    image.report.append(imaging::ImageKindName(kind)).append(kImageReportFound);
    image.report.append(std::to_string(image.height)).append(kImageReportColors);
    return image;
}

} // namespace

std::optional<std::string> ReadLogoText(const std::string& path, platform::FileSystem& files) {
    std::string raw;
    std::uintmax_t size = 0;
    if (!platform::ReadFilePrefix(path, kReadLimit, raw, size, files))
        return std::nullopt;
    if (imaging::DetectImage(raw) != imaging::ImageKind::None) {
        if (size > raw.size() &&
            !platform::ReadFilePrefix(path, kMaxImageBytes + 1, raw, size, files))
            return std::nullopt;
        return raw;
    }
    platform::ReadByteOrderMark(raw);
    if (raw.find('\r') == std::string::npos)
        return raw; // no CR LF to fold: the text as it is
    return platform::CrlfToLf(raw);
}

LogoImage RecogniseLogo(std::string_view text) {
    if (const imaging::ImageKind kind = imaging::DetectImage(text);
        kind != imaging::ImageKind::None)
        return FromImage(kind, text);
    if (text.size() >= kOperatorLogoHeaderChars && text.starts_with(kOperatorLogoVersion) &&
        text.substr(kOperatorLogoLineFeedAt, kOperatorLogoLineFeed.size()) == kOperatorLogoLineFeed)
        return WithHeader(LogoKind::OperatorLogoWithHeader, text, kOperatorLogoHeaderChars,
                          kSmallHeight, kOperatorLogoReport);
    if (text.starts_with(kOta72x14Header))
        return WithHeader(LogoKind::OtaBitmap72x14, text, kOta72x14Header.size(), kSmallHeight,
                          kOta72x14Report);
    if (text.starts_with(kOta72x28Header))
        return WithHeader(LogoKind::OtaBitmap72x28, text, kOta72x28Header.size(), kLargeHeight,
                          kOta72x28Report);
    if (IsPictureData(text, kSmallPictureChars))
        return WithoutHeader(LogoKind::OperatorLogoNoHeader, text, kSmallHeight,
                             kOperatorLogoNotice);
    if (IsPictureData(text, kLargePictureChars))
        return WithoutHeader(LogoKind::PictureMessageNoHeader, text, kLargeHeight,
                             kPictureMessageNotice);
    return LogoImage{};
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - 48;
    const int code = static_cast<signed char>(c);
    return code > 96 ? code - 87 : code - 55;
}

std::string NibbleBits(int v) {
    auto bits = static_cast<std::uint32_t>(v);
    std::string reversed;
    do {
        reversed += static_cast<char>('0' + (bits & 1u));
        bits >>= 1;
    } while (bits != 0);
    while (reversed.size() < 4)
        reversed += '0';
    return std::string(reversed.rbegin(), reversed.rend());
}

std::string PictureBits(std::string_view data) {
    static constexpr char kNibbles[] =
        "0000000100100011010001010110011110001001101010111100110111101111";
    std::string bits(4 * data.size(), '0');
    char* out = bits.data();
    for (const char c : data) {
        std::memcpy(out, kNibbles + 4 * std::max(platform::HexDigitOf(c), 0), 4);
        out += 4;
    }
    return bits;
}

imaging::MonoImage PictureCells(const LogoImage& image) {
    imaging::MonoImage cells{image.width, image.height, {}};
    if (image.width <= 0 || image.height <= 0)
        return cells;
    cells.dark.assign(
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height), 0);
    const std::size_t digits = std::min(image.data.size(), cells.dark.size() / 4);
    for (std::size_t i = 0; i < digits; ++i) {
        const int value = std::max(platform::HexDigitOf(image.data[i]), 0);
        for (int bit = 0; bit < 4; ++bit)
            cells.dark[4 * i + static_cast<std::size_t>(bit)] = (value >> (3 - bit)) & 1;
    }
    return cells;
}

} // namespace picture
