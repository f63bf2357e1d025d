#include "cli/Commands.h"
#include "ems/Contents.h"
#include "ems/MessageLines.h"
#include "ems/Reassembly.h"
#include "imaging/Image.h"
#include "picture/EmsPictureWriter.h"
#include "picture/LogoReader.h"
#include "picture/PicturePdu.h"
#include "melody/Melody.h"
#include "platform/Ascii.h"
#include "platform/TextFile.h"
#include "sms/SubmitPdu.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

using Files = std::vector<std::pair<std::string, std::string>>; // name, text

struct Decoded {
    std::vector<std::string> melodies;
    std::vector<imaging::MonoImage> pictures;
};

// The files' messages decoded in memory; every line and message must decode.
Decoded DecodeFiles(const Files& files) {
    ems::Reading reading;
    std::vector<std::string> names;
    for (const auto& file : files)
        names.push_back(file.first);
    for (std::uint32_t i = 0; i < files.size(); ++i)
        ems::ReadMessageLines(files[i].second, i, names, ems::LineFormOf(names[i]), reading);
    EXPECT_EQ(reading.problems, std::vector<std::string>{});
    Decoded decoded;
    for (const ems::Message& message : ems::Reassemble(reading, names)) {
        const ems::Contents contents = ems::DecodeElements(message.elements);
        EXPECT_EQ(message.problem + contents.problem, "") << message.line;
        for (const ems::Content& content : contents.items) {
            if (content.kind == ems::Content::Kind::Melody)
                decoded.melodies.push_back(content.melody);
            else if (content.kind == ems::Content::Kind::Picture)
                decoded.pictures.push_back(content.picture);
        }
    }
    return decoded;
}

void ExpectSame(const imaging::MonoImage& got, const imaging::MonoImage& want) {
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
    EXPECT_TRUE(got.dark == want.dark);
}

// What a handset's inbox holds for the user data (hexadecimal digits): an
// SMS-DELIVER from +491701234567 through its service centre, stamped
// 2024-05-10 12:34:S6 +02:00 (S from 0 to 5), 8-bit data in class 1.
std::string DeliverPdu(const std::string& userData, char s = '5') {
    std::string pdu = "07919471103254F6440C91947110325476" "00F5" "42500121436580";
    pdu[pdu.size() - 3] = s;
    platform::AppendHexOctet(pdu, userData.size() / 2);
    return pdu + userData + "\r\n";
}

// The listing a modem prints for AT+CMGL=4 in PDU mode.
std::string Listing(const std::vector<std::string>& userData) {
    std::string listing = "AT+CMGL=4\r\n";
    for (std::size_t i = 0; i < userData.size(); ++i) {
        const std::string pdu = DeliverPdu(userData[i]);
        listing += "+CMGL: " + std::to_string(i + 1) + ",1,," +
                   std::to_string((pdu.size() - 2) / 2 - 8) + "\r\n" + pdu;
    }
    return listing + "\r\nOK\r\n";
}

std::string SubmitPdus(const std::vector<std::string>& userData) {
    return sms::BuildPdus(*sms::ParseNumber("+4912345678"), userData)->text;
}

std::string RandomRtx(std::mt19937& random) {
    static const char* const kDurations[] = {"1", "2", "4", "8", "16", "32", ""};
    static const char* const kOctaves[] = {"4", "5", "6", "7", ""};
    std::string rtx = "tune:d=" + std::string(kDurations[random() % 6]) +
                      ",o=" + kOctaves[random() % 4] + ",b=" + std::to_string(25 + random() % 876) + ":";
    for (std::size_t i = 0, notes = 1 + random() % 30; i < notes; ++i) {
        rtx += std::string(i > 0 ? "," : "") + kDurations[random() % 7] + "abcdefgp"[random() % 8];
        rtx += random() % 4 == 0 ? "#" : "";
        rtx += random() % 5 == 0 ? "." : "";
        rtx += kOctaves[random() % 5];
    }
    return rtx;
}

// A picture element (small, large or variable) of random cells, and its user data.
std::string RandomPicture(std::mt19937& random, imaging::MonoImage& image) {
    const unsigned kind = random() % 3;
    const unsigned octetsWide = kind == 0 ? 2 : kind == 1 ? 4 : 1 + random() % 8;
    const unsigned high = kind == 0 ? 16 : kind == 1 ? 32 : 1 + random() % (128 / octetsWide);
    image = {static_cast<int>(8 * octetsWide), static_cast<int>(high), {}};
    std::string data = kind == 2 ? std::string{'\0', static_cast<char>(octetsWide),
                                               static_cast<char>(high)}
                                 : std::string(1, '\0');
    for (unsigned i = 0; i < octetsWide * high; ++i) {
        const unsigned octet = random() % 256;
        data += static_cast<char>(octet);
        for (int bit = 7; bit >= 0; --bit)
            image.dark.push_back(static_cast<std::uint8_t>((octet >> bit) & 1));
    }
    std::string userData;
    platform::AppendHexOctet(userData, data.size() + 2);
    platform::AppendHexOctet(userData, kind == 0 ? 0x11 : kind == 1 ? 0x10 : 0x12);
    platform::AppendHexOctet(userData, data.size());
    for (const char c : data)
        platform::AppendHexOctet(userData, static_cast<unsigned char>(c));
    return userData;
}

// The 72x28 sample as our picture writer writes it, reference 0x4F.
std::string PictureMessageLgo() {
    const picture::LogoImage image =
        picture::RecogniseLogo(*picture::ReadLogoText(PROJECT_DIR "samples/pictures/picture_message.txt"));
    return platform::LfToCrlf(picture::EmsPictureText(image, "4F"));
}

} // namespace

TEST(Decode, WhatTheWritersSendComesBackExactly) {
    std::mt19937 random(24);
    int melodies = 0;
    for (int i = 0; i < 300; ++i) {
        const melody::RtxReading reading = melody::ParseRtx(RandomRtx(random), {});
        for (const int target : {1, 2}) {
            const melody::ImelodyText text = melody::WriteImelody(reading.melody, target, random() % 2);
            if (text.OutOfRange())
                continue;
            SCOPED_TRACE(text.text);
            ++melodies;
            const std::string hex = melody::EncodeEmsHex(text.text);
            for (const Files& files : {Files{{"song.hx1", hex}}, Files{{"song.1.pdu", SubmitPdus({hex})}},
                                       Files{{"inbox.txt", Listing({hex})}}})
                EXPECT_EQ(DecodeFiles(files).melodies, std::vector<std::string>{text.text});
        }
    }
    EXPECT_GT(melodies, 400);

    for (const auto& entry : std::filesystem::directory_iterator(PROJECT_DIR "samples/pictures")) {
        const picture::LogoImage image = picture::RecogniseLogo(*picture::ReadLogoText(entry.path()));
        if (!image.valid)
            continue;
        SCOPED_TRACE(entry.path().string());
        imaging::MonoImage want{image.width, image.height, {}};
        for (const char bit : picture::PictureBits(image.data).substr(0, 72 * image.height))
            want.dark.push_back(bit == '1' ? 1 : 0);
        const std::string lgo = picture::EmsPictureText(image, "A7");
        const std::vector<std::string> userData = picture::PictureUserData(lgo, image.threePart);
        for (const Files& files : {Files{{"logo.lgo", platform::LfToCrlf(lgo)}},
                                   Files{{"logo.pdu", SubmitPdus(userData)}},
                                   Files{{"inbox.txt", Listing(userData)}}}) {
            const Decoded decoded = DecodeFiles(files);
            ASSERT_EQ(decoded.pictures.size(), 1u);
            ExpectSame(decoded.pictures[0], want);
        }
    }

    // Small, large and variable pictures of every size a message holds.
    for (int i = 0; i < 100; ++i) {
        imaging::MonoImage want;
        const std::string userData = RandomPicture(random, want);
        const Decoded decoded = DecodeFiles({{"inbox.txt", Listing({userData})}});
        ASSERT_EQ(decoded.pictures.size(), 1u) << userData;
        ExpectSame(decoded.pictures[0], want);
    }
}

TEST(Decode, PartsShuffledAcrossTwoFilesGiveTheSameFiles) {
    // The 72x28 picture twice: received with its 8-bit reference, and sent
    // with the same reference widened to 16 bits (the header one octet longer).
    std::vector<std::string> received, sent;
    const std::string lgo = PictureMessageLgo();
    for (std::size_t start = 0; start < lgo.size();) {
        const std::size_t end = lgo.find("\r\n", start);
        std::string line = lgo.substr(start, end - start);
        start = end + 2;
        received.push_back(DeliverPdu(line, static_cast<char>('0' + received.size())));
        std::string wide;
        platform::AppendHexOctet(wide, std::stoul(line.substr(0, 2), nullptr, 16) + 1);
        sent.push_back(SubmitPdus({wide + "0804124F" + line.substr(8)}));
    }
    std::vector<std::string> lines = received;
    lines.insert(lines.end(), sent.begin(), sent.end());
    std::shuffle(lines.begin(), lines.end(), std::mt19937(7));
    testsupport::TempDir in, out;
    std::string a, b;
    for (std::size_t i = 0; i < lines.size(); ++i)
        (i % 2 == 0 ? a : b) += lines[i];
    WriteFile(in / "a.txt", a);
    WriteFile(in / "b.pdu", "OK\r\n" + b);

    const imaging::MonoImage want = DecodeFiles({{"p.lgo", lgo}}).pictures.at(0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(cli::RunDecodeCommand({"-o", out.Folder(), in / "a.txt", in / "b.pdu", "--png-scale", "3"}), 0);
    const std::string report = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 4) << report;
    // Each part has its own time stamp; the report gives the first read.
    EXPECT_NE(report.find("SMS-DELIVER from +491701234567 at 2024-05-10 12:34:"), std::string::npos);
    EXPECT_NE(report.find(" +02:00, 3 parts: picture 72x28 (3 pieces)\n"), std::string::npos)
        << report;
    EXPECT_NE(report.find("SMS-SUBMIT to +4912345678, 3 parts: picture 72x28 (3 pieces)\n"),
              std::string::npos)
        << report;
    const std::vector<std::string> written = testsupport::FilesIn(out.Path());
    ASSERT_EQ(written.size(), 2u);
    for (const std::string& name : written) {
        const std::optional<imaging::MonoImage> png = imaging::DecodePng(ReadFile(out / name), 216, 84);
        ASSERT_TRUE(png && png->width == 216 && png->height == 84) << name;
        for (int y = 0; y < 84; ++y)
            for (int x = 0; x < 216; ++x)
                ASSERT_EQ(png->Dark(x, y), want.Dark(x / 3, y / 3)) << name << ' ' << x << ',' << y;
    }
}

TEST(Decode, MalformedInputIsReportedWithItsPlaceAndWritesNothing) {
    const std::string lgo = PictureMessageLgo();
    const std::size_t line2 = lgo.find("\r\n") + 2, line3 = lgo.find("\r\n", line2) + 2;
    const std::string pdu = "0041000581" "2143F5" "0004" "06" "050C03004142";
    struct Case {
        std::string name, text;
        std::string report; // on standard error, or for an element not decoded, standard output
    } cases[] = {
        {"short.pdu", "0041\n", "short.pdu:1: the PDU ends inside the message reference"},
        {"odd.pdu", "0041000\n", "odd.pdu:1: an odd number of hexadecimal digits"},
        {"long.pdu", std::string(ems::kMaxLineBytes + 2, '0') + "\n", "long.pdu:1: a line over 1 MB, not read"},
        {"report.pdu", "0002000C91947110325476\n", "report.pdu:1: a status report or command, no message"},
        {"lying.pdu", "0041000581" "2143F5" "0004" "10" "0102030405\n",
         "lying.pdu:1: the user data length says 16 octets, the PDU holds 5 octets of user data"},
        {"udhl.pdu", "0041000581" "2143F5" "0004" "03" "050003\n",
         "udhl.pdu:1: the header length (5 octets) runs past the end of the user data (3 octets)"},
        {"element.hx1", "030C0500", "element.hx1:1: element 0x0C of 5 octets runs past the end of the header (1 left)"},
        {"listed.txt", "+CMGL: 1,0,,99\r\n" + pdu + "\r\n",
         "listed.txt:2: the listing gives the PDU 99 octets, the line holds 16 after"},
        {"nopdu.txt", "+CMGL: 1,0,,16\r\nOK\r\n", "nopdu.txt:1: no PDU follows the listing line"},
        {"missing.lgo", lgo.substr(0, line2) + lgo.substr(line3),
         "missing.lgo:1: user data, 3 parts: part 2 of 3 (reference 79) missing; nothing written"},
        {"twice.lgo", lgo + lgo.substr(line2, 12) + "FF" + lgo.substr(line2 + 14),
         "twice.lgo:1: user data, 3 parts: part 2 of 3 (reference 79) is read twice with other data, "
         "at twice.lgo:2 and twice.lgo:4; nothing written"},
        {"sizes.hx2", "0612040001020F", "sizes.hx2:1: user data: picture of 4 octets (5 expected); nothing written"},
        {"unknown.hx2", "047F020102\r\n", "unknown.hx2:1: user data: element 0x7F (2 octets, not decoded)"},
        {"nothing.txt", "OK\r\n", "nothing.txt: no message found"},
    };
    testsupport::TempDir in, out;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(in.Path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(in / c.name, c.text);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(cli::RunDecodeCommand({"-o", out.Folder(), c.name}), 1);
        const std::string report =
            testing::internal::GetCapturedStderr() + testing::internal::GetCapturedStdout();
        EXPECT_NE(report.find(c.report), std::string::npos) << report;
        EXPECT_EQ(testsupport::FilesIn(out.Path()), std::vector<std::string>{});
    }

    std::filesystem::current_path(previous);

    // The rest of a run goes on; usage errors are status 2.
    WriteFile(in / "good.pdu", pdu);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(cli::RunDecodeCommand({"-o", out.Folder(), in / "short.pdu", in / "good.pdu"}), 1);
    EXPECT_EQ(ReadFile(out / "good.1.imy"), "AB");
    // An output folder that is not there: the message once, one sentence.
    EXPECT_EQ(cli::RunDecodeCommand({"-o", out / "gone/", in / "good.pdu"}), 1);
    testing::internal::GetCapturedStdout();
    const std::string unwritten = testing::internal::GetCapturedStderr();
    EXPECT_NE(unwritten.find("good.1.imy could not be written; nothing written\n"), std::string::npos)
        << unwritten;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (const auto& args : {std::vector<std::string>{}, {"--png-scale", "0", "x"}, {"--png-scale=33", "x"},
                             {"--replace", "maybe", "x"}, {"--bogus", "x"}})
        EXPECT_EQ(cli::RunDecodeCommand(args), 2);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("--png-scale must be a number from 1 to 32, not '0'"),
              std::string::npos);
}
