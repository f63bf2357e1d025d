#include "imaging/Image.h"
#include "picture/LogoReader.h"
#include "picture/PicturePng.h"
#include "support/Pictures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

using namespace picture;
using testsupport::AsBmp;
using testsupport::AsPbm;
using testsupport::RowsImage;
using testsupport::UpperRows;

namespace {

// The picture as an 8-bit RGBA PNG (not our writer's form): dark cells
// opaque black, light ones transparent black, but for the first row, which
// is light by colour: opaque white.
std::string AsRgbaPng(const imaging::MonoImage& image) {
    std::vector<png_byte> rgba;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const bool dark = image.Dark(x, y);
            const png_byte value = dark || y > 0 ? 0 : 255;
            rgba.insert(rgba.end(),
                        {value, value, value, dark || y == 0 ? png_byte{255} : png_byte{0}});
        }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&png, nullptr, &size, 0, rgba.data(), 0, nullptr));
    std::string bytes(size, '\0');
    EXPECT_TRUE(png_image_write_to_memory(&png, bytes.data(), &size, 0, rgba.data(), 0, nullptr));
    return bytes;
}

// A valid 72x14 8-bit grey PNG (all white) whose image data is padded with
// empty deflate blocks to at least idatBytes.
std::string PaddedPng(std::size_t idatBytes) {
    const auto bigEndian = [](std::string& out, std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>((value >> shift) & 0xFF);
    };
    const auto chunk = [&](std::string_view kind, std::string_view body) {
        std::string out;
        bigEndian(out, static_cast<std::uint32_t>(body.size()));
        const std::string crcd = std::string(kind) + std::string(body);
        out += crcd;
        bigEndian(out, static_cast<std::uint32_t>(crc32(
                           0, reinterpret_cast<const Bytef*>(crcd.data()), crcd.size())));
        return out;
    };
    std::string rows;
    for (int y = 0; y < 14; ++y)
        rows += '\0' + std::string(72, '\xFF');
    // zlib: its header, empty stored blocks, the rows as the last stored block, Adler-32.
    std::string data("\x78\x01", 2);
    while (data.size() < idatBytes)
        data += std::string("\0\0\0\xFF\xFF", 5);
    data += '\x01';
    data += static_cast<char>(rows.size() & 0xFF);
    data += static_cast<char>(rows.size() >> 8);
    data += static_cast<char>(~rows.size() & 0xFF);
    data += static_cast<char>((~rows.size() >> 8) & 0xFF);
    data += rows;
    bigEndian(data, static_cast<std::uint32_t>(
                        adler32(1, reinterpret_cast<const Bytef*>(rows.data()), rows.size())));
    const std::string header("\0\0\0\x48\0\0\0\x0E\x08\0\0\0\0", 13);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", data) +
           chunk("IEND", "");
}

LogoImage ReadThroughFile(const std::string& bytes) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "image", bytes);
    const std::optional<std::string> text = ReadLogoText(dir / "image");
    return text ? RecogniseLogo(*text) : LogoImage{};
}

} // namespace

TEST(ImageInput, EveryKindAndDepthReadsAsItsHeaderlessTwin) {
    for (const int height : {14, 28}) {
        const imaging::MonoImage picture = RowsImage(height);
        const std::string size = "width=72 height=" + std::to_string(height) + " colors=1\n";
        struct Case {
            std::string name;
            std::string bytes;
            LogoKind kind;
        };
        std::vector<Case> cases = {{"PNG 1-bit", imaging::EncodePng(picture), LogoKind::PngImage},
                                   {"PNG RGBA", AsRgbaPng(picture), LogoKind::PngImage},
                                   {"PBM plain", AsPbm(picture, true), LogoKind::PbmImage},
                                   {"PBM raw", AsPbm(picture, false), LogoKind::PbmImage},
                                   {"BMP top-down", AsBmp(picture, 24, true), LogoKind::BmpImage}};
        for (const int bits : {1, 4, 8, 16, 24, 32})
            cases.push_back(
                {"BMP " + std::to_string(bits), AsBmp(picture, bits), LogoKind::BmpImage});
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name + " " + std::to_string(height));
            const LogoImage image = ReadThroughFile(c.bytes);
            EXPECT_EQ(image.kind, c.kind);
            EXPECT_TRUE(image.valid);
            EXPECT_EQ(image.data, UpperRows(height));
            EXPECT_EQ(image.threePart, height == 28);
            EXPECT_EQ(image.report, c.name.substr(0, 3) + " image found! " + size);
            EXPECT_EQ(image.notice, "");
        }
    }
}

TEST(ImageInput, OtherSizesAndBrokenImagesAreNoPicture) {
    const std::string png = imaging::EncodePng(RowsImage(14));
    std::string bmp = AsBmp(RowsImage(14), 8);
    std::string badIndex = bmp;
    badIndex[14 + 32] = 2; // a colour table of two entries, then indexes 254 and 255
    std::string rle = bmp;
    rle[14 + 16] = 1;
    std::string farData = bmp;
    farData[13] = '\x7F';
    std::string tooLarge = png;
    tooLarge.resize(format::kMaxImageBytes + 1, '\0');
    imaging::MonoImage wide{73, 14, std::vector<std::uint8_t>(73 * 14, 1)};
    imaging::MonoImage tall{72, 29, std::vector<std::uint8_t>(72 * 29, 1)};
    imaging::MonoImage low{72, 13, std::vector<std::uint8_t>(72 * 13, 1)};
    const std::vector<std::string> broken = {png.substr(0, png.size() / 2),
                                             png.substr(0, 8),
                                             tooLarge,
                                             bmp.substr(0, bmp.size() - 20),
                                             badIndex,
                                             rle,
                                             farData,
                                             "BM",
                                             AsBmp(wide, 24),
                                             AsBmp(low, 1),
                                             imaging::EncodePng(tall),
                                             imaging::EncodePng(wide),
                                             AsPbm(tall, false),
                                             "P1 72 14 " + std::string(1007, '1'),
                                             "P1 72 14 " + std::string(1007, '1') + "2",
                                             AsPbm(RowsImage(14), false).substr(0, 100),
                                             "P4 72 14" + std::string(126, '\0'),
                                             "P1 0 0",
                                             "P1 99999999999999999999 14",
                                             // pixels that index past their palette
                                             testsupport::ReadFile(PNG_FIXTURES "bad-index.png"),
                                             // image data far beyond what 72x14 needs
                                             PaddedPng(65 * 1024)};
    for (std::size_t i = 0; i < broken.size(); ++i) {
        const LogoImage image = ReadThroughFile(broken[i]);
        EXPECT_EQ(image.kind, LogoKind::NotAPicture) << i;
        EXPECT_TRUE(!image.valid && image.report.empty() && image.data.empty()) << i;
    }
}

TEST(ImageInput, PngOutputIsTheDrawingAndReadsBackAsThePicture) {
    for (const int height : {14, 28}) {
        const LogoImage picture = RecogniseLogo(testsupport::Rows(height));
        const std::string png = PictureAsPng(picture);
        // IHDR: 72 x height, 1 bit, grayscale.
        ASSERT_GT(png.size(), 26u);
        EXPECT_EQ(png.substr(16, 8),
                  std::string("\0\0\0\x48\0\0\0", 7) + static_cast<char>(height));
        EXPECT_EQ(png.substr(24, 2), std::string("\x01\x00", 2));
        const auto decoded = imaging::DecodePng(png, 72, 28);
        ASSERT_TRUE(decoded);
        std::string drawn;
        for (const std::uint8_t dark : decoded->dark)
            drawn += dark ? '1' : '0';
        EXPECT_EQ(drawn, PictureBits(picture.data));
        EXPECT_EQ(RecogniseLogo(png).data, UpperRows(height));
    }
    EXPECT_EQ(PictureAsPng(RecogniseLogo("00480E01")), "");
    EXPECT_EQ(PngPathFor("out/logo.lgo"), "out/logo.png");
    EXPECT_EQ(PngPathFor("out/xlgo"), "out/xpng");
}

TEST(ImageInput, PngsOfOtherEncodersReadAsTheirEightBitTwin) {
    // Every colour type, 8 and 16 bits, interlaced or not, with and without
    // gamma chunks: written by netpbm and ImageMagick (png/make.sh).
    const auto read = [](const std::string& bytes) {
        const auto image = imaging::DecodePng(bytes, 72, 28);
        return image ? image->dark : std::vector<std::uint8_t>{};
    };
    const std::vector<std::uint8_t> twin = read(testsupport::ReadFile(PNG_FIXTURES "g8.png"));
    ASSERT_EQ(twin.size(), 72u * 14u);
    EXPECT_EQ(twin, read(imaging::EncodePng(imaging::DecodeImage(
                        testsupport::ReadFile(PROJECT_DIR "samples/pictures/operator_logo_image.png"),
                        72, 28)
                                                .value())));
    for (const char* name : {"g8i", "g16", "g16i", "rgb8", "rgb8i", "rgb16", "rgb16i", "pal", "pali",
                             "im48i", "im64", "im64i", "im8i", "imgai"})
        EXPECT_EQ(read(testsupport::ReadFile(PNG_FIXTURES + std::string(name) + ".png")), twin)
            << name;
    // Image data padded short of the limit is still a picture.
    EXPECT_EQ(read(PaddedPng(60 * 1024)), std::vector<std::uint8_t>(72 * 14, 0));
}
