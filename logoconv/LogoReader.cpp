#include "logoconv/LogoReader.h"

#include "platform/ByteOrderMark.h"
#include "platform/TextFile.h"

#include <cstdint>

namespace logoconv {
namespace {

// The longest accepted text: an OTA bitmap header and a 72x28 picture.
constexpr std::size_t kLongestPictureText = 8 + kLargePictureChars;
// A file of more bytes than this holds more than kLongestPictureText
// characters even if it were UTF-16 with its byte-order mark and every pair
// of its characters a CR LF read as one.
constexpr std::size_t kReadLimit = 2 * (2 * kLongestPictureText + 1) + 2;

constexpr std::string_view kOperatorLogoReport =
    "Operator logo found: OTA BitMap width=72 height=14 colors=1\n";
constexpr std::string_view kOta72x14Report =
    "Ota bitmap found: OTA BitMap width=72 height=14 colors=1\n";
constexpr std::string_view kOta72x28Report =
    "Ota Bitmap found: OTA BitMap width=72 height=28 colors=1\n";
constexpr std::string_view kOperatorLogoNotice =
    "Operator logo without header found! width=72 height=14 colors=1";
constexpr std::string_view kPictureMessageNotice =
    "Picture Message without header found! width=72 height=28 colors=1";

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
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
    image.width = 72;
    image.height = height;
    image.data.assign(text.substr(headerLength));
    image.valid = IsPictureData(image.data, static_cast<std::size_t>(height) * kRowChars);
    image.threePart = image.valid && height == 28;
    image.report.assign(report);
    return image;
}

LogoImage WithoutHeader(LogoKind kind, std::string_view text, int height, std::string_view notice) {
    LogoImage image;
    image.kind = kind;
    image.valid = true;
    image.width = 72;
    image.height = height;
    image.data.assign(text);
    image.threePart = height == 28;
    image.notice.assign(notice);
    image.report.reserve(notice.size() + 1);
    image.report.append(notice).append("\n");
    return image;
}

} // namespace

std::optional<std::string> ReadLogoText(const std::string& path) {
    std::string raw;
    std::uintmax_t size = 0;
    if (!platform::ReadFilePrefix(path, kReadLimit, raw, size))
        return std::nullopt;
    platform::ReadByteOrderMark(raw);
    return platform::CrlfToLf(raw);
}

LogoImage RecogniseLogo(std::string_view text) {
    if (text.size() >= 10 && text.substr(0, 2) == "30" && text.substr(8, 2) == "0A")
        return WithHeader(LogoKind::OperatorLogoWithHeader, text, 10, 14, kOperatorLogoReport);
    if (text.substr(0, 8) == "00480E01")
        return WithHeader(LogoKind::OtaBitmap72x14, text, 8, 14, kOta72x14Report);
    if (text.substr(0, 8) == "00481C01")
        return WithHeader(LogoKind::OtaBitmap72x28, text, 8, 28, kOta72x28Report);
    if (IsPictureData(text, kSmallPictureChars))
        return WithoutHeader(LogoKind::OperatorLogoNoHeader, text, 14, kOperatorLogoNotice);
    if (IsPictureData(text, kLargePictureChars))
        return WithoutHeader(LogoKind::PictureMessageNoHeader, text, 28, kPictureMessageNotice);
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
    std::string bits;
    bits.reserve(4 * data.size());
    for (const char c : data) {
        const int value = IsHexDigit(c) ? HexDigitValue(c) : 0;
        for (int shift = 3; shift >= 0; --shift)
            bits += static_cast<char>('0' + ((value >> shift) & 1));
    }
    return bits;
}

} // namespace logoconv
