#include "picture/LogoReader.h"

#include "picture/EmsPictureWriter.h"
#include "picture/PictureLog.h"
#include "platform/TextFile.h"
#include "support/Pictures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

using namespace picture;
using testsupport::Rows;

namespace {

void ExpectKind(const std::string& text, LogoKind kind, bool valid) {
    const LogoImage image = RecogniseLogo(text);
    EXPECT_EQ(image.kind, kind) << "length " << text.size();
    EXPECT_EQ(image.valid, valid) << "length " << text.size();
}

} // namespace

TEST(LogoReader, HeadersAndLengthsDecideTheLayout) {
    const std::string small = Rows(14), large = Rows(28);
    ExpectKind(small, LogoKind::OperatorLogoNoHeader, true);
    ExpectKind(small + "\n", LogoKind::NotAPicture, false);
    ExpectKind(large, LogoKind::PictureMessageNoHeader, true);
    ExpectKind("00480E01" + small, LogoKind::OtaBitmap72x14, true);
    ExpectKind("00480E01" + small.substr(1), LogoKind::OtaBitmap72x14, false);
    ExpectKind("00480E01" + small + "0", LogoKind::OtaBitmap72x14, false);
    ExpectKind("00481C01" + large, LogoKind::OtaBitmap72x28, true);
    ExpectKind("30F210010A" + small, LogoKind::OperatorLogoWithHeader, true);
    ExpectKind("30F210010A00480E01" + small, LogoKind::OperatorLogoWithHeader, false);
    // Bare data that happens to start like a header is taken for that header.
    ExpectKind("00480E01" + small.substr(8), LogoKind::OtaBitmap72x14, false);
    ExpectKind("30123456"
               "0A" +
                   small.substr(10),
               LogoKind::OperatorLogoWithHeader, false);
    // Headers are compared in upper case only; "0a" makes it plain 262 characters.
    ExpectKind("30F210010a" + small, LogoKind::NotAPicture, false);
    ExpectKind("00480e01" + small, LogoKind::NotAPicture, false);
    ExpectKind("300000000", LogoKind::NotAPicture, false);
    ExpectKind("", LogoKind::NotAPicture, false);
    // Data that is not all hexadecimal digits counts as data of the wrong
    // length: no picture without a header, not valid after one.
    const auto withCharAt = [](int height, std::size_t at, char c) {
        std::string rows = Rows(height);
        rows[at] = c;
        return rows;
    };
    for (const std::string& junk :
         {std::string(252, '\0'), std::string(252, '\x80'), withCharAt(14, 100, ','),
          withCharAt(14, 251, ' '), withCharAt(14, 0, 'g')}) {
        ExpectKind(junk, LogoKind::NotAPicture, false);
        ExpectKind("00480E01" + junk, LogoKind::OtaBitmap72x14, false);
        ExpectKind("30F210010A" + junk, LogoKind::OperatorLogoWithHeader, false);
    }
    ExpectKind(withCharAt(28, 503, '\n'), LogoKind::NotAPicture, false);
    ExpectKind("00481C01" + withCharAt(28, 17, '\0'), LogoKind::OtaBitmap72x28, false);
}

TEST(LogoReader, ImageFieldsFollowTheKind) {
    const LogoImage ota = RecogniseLogo("00481C01" + Rows(28));
    EXPECT_TRUE(ota.threePart && ota.width == 72 && ota.height == 28 && ota.data == Rows(28));
    const LogoImage shortOta = RecogniseLogo("00481C01" + Rows(27));
    EXPECT_FALSE(shortOta.threePart);
    EXPECT_EQ(shortOta.report, "Ota Bitmap found: OTA BitMap width=72 height=28 colors=1\n");
    const LogoImage bare = RecogniseLogo(Rows(14));
    EXPECT_EQ(bare.notice, "Operator logo without header found! width=72 height=14 colors=1");
    EXPECT_EQ(bare.report, bare.notice + "\n");
    const LogoImage none = RecogniseLogo("hello");
    EXPECT_TRUE(none.width == 0 && none.data.empty() && none.report.empty());
}

TEST(LogoReader, BitsOfDigitsAndOfOtherCharacters) {
    EXPECT_EQ(NibbleBits(HexDigitValue('a')), "1010");
    EXPECT_EQ(NibbleBits(HexDigitValue('A')), "1010");
    EXPECT_EQ(NibbleBits(HexDigitValue('F')), "1111");
    EXPECT_EQ(NibbleBits(0), "0000");
    EXPECT_EQ(NibbleBits(HexDigitValue('z')), "100011"); // 'z' - 87 = 35
    EXPECT_LT(HexDigitValue('\xff'), 0);
    EXPECT_EQ(PictureBits("0f9A"), "0000111110011010");
    // Every character gives exactly four digits, so a drawing keeps its width.
    EXPECT_EQ(PictureBits(std::string("g\xff\0-", 4)), std::string(16, '0'));

    // A drawing of any size is the bits cut into rows: "*" for 1, blank
    // for 0 and for cells past the data.
    const std::string data("0f9A\xff", 5);
    const std::string bits = PictureBits(data);
    for (int width = 1; width <= 9; ++width) {
        for (int height = 1; height <= 6; ++height) {
            std::string expected;
            for (int row = 0; row < height; ++row) {
                expected += row > 0 ? "\n" : "";
                for (int column = 0; column < width; ++column) {
                    const auto cell = static_cast<std::size_t>(row * width + column);
                    expected += cell < bits.size() && bits[cell] == '1' ? '*' : ' ';
                }
            }
            EXPECT_EQ(PictureDrawing(data, width, height), expected) << width << "x" << height;
        }
    }
    EXPECT_EQ(PictureDrawing(data, 0, 3), "");
}

TEST(LogoReader, ReadingFoldsCrLfAndStopsEarlyOnHugeFiles) {
    testsupport::TempDir dir;
    EXPECT_FALSE(ReadLogoText(dir / "missing.txt"));
    EXPECT_FALSE(ReadLogoText(dir.Folder()));

    const std::string file = dir / "logo.ota";
    testsupport::WriteFile(file, "00480E01\r\n" + Rows(14).substr(1));
    EXPECT_EQ(*ReadLogoText(file), "00480E01\n" + Rows(14).substr(1));
    testsupport::WriteFile(file, Rows(14) + "\r\n");
    EXPECT_EQ(ReadLogoText(file)->size(), 253u);

    // Whatever is cut from a long file, recognition gives what the whole would.
    const std::vector<std::string> starts = {"00480E01", "00481C01", "30F210010A", "",
                                             std::string(600, '\n')};
    for (const std::string& start : starts)
        for (std::size_t length : {1023u, 1024u, 1025u, 1026u, 5000u})
            for (const char* filler : {"0", "\r\n", "\r"}) {
                std::string whole = start;
                while (whole.size() < length)
                    whole += filler;
                whole.resize(length);
                testsupport::WriteFile(file, whole);
                const LogoImage read = RecogniseLogo(*ReadLogoText(file));
                const LogoImage full = RecogniseLogo(platform::CrlfToLf(whole));
                EXPECT_EQ(read.kind, full.kind) << length;
                EXPECT_EQ(read.valid, full.valid) << length;
                EXPECT_EQ(read.report, full.report) << length;
                EXPECT_EQ(read.notice, full.notice) << length;
            }
}

TEST(LogoReader, AnyBytesGiveConsistentImagesDrawingsAndForms) {
    std::mt19937 random(20240607);
    const std::vector<std::string> starts = {"", "00480E01", "00481C01", "30ABCDEF0A"};
    for (int round = 0; round < 3000; ++round) {
        std::string text = starts[random() % starts.size()];
        const std::size_t length = random() % 4 == 0 ? random() % 600 : (random() % 2 ? 252 : 504);
        while (text.size() < length)
            text += static_cast<char>(random() % 256);
        const LogoImage image = RecogniseLogo(text);
        if (!image.valid)
            continue;
        ASSERT_EQ(image.data.size(), static_cast<std::size_t>(image.height) * 18);
        const std::string drawing = PictureDrawing(image.data, 72, image.height);
        ASSERT_EQ(drawing.size(), static_cast<std::size_t>(image.height) * 73 - 1);
        const std::string form = EmsPictureText(image, "7F");
        ASSERT_EQ(form.size(), image.threePart ? 260u + 252u + 84u + 3u : 252u);
    }
}
