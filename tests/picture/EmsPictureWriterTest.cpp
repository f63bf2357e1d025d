#include "picture/EmsPictureWriter.h"

#include "support/FaultyFiles.h"
#include "support/Pictures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <sstream>

using namespace picture;
using testsupport::Rows;

TEST(EmsPictureWriter, OutputPathStaysInTheOutputFolder) {
    EXPECT_EQ(OutputPathFor("/in/logo.ota", "/out/"), "/out/logo.lgo");
    EXPECT_EQ(OutputPathFor("pic.jpeg", "/out/"), "/out/pic.jlgo");
    EXPECT_EQ(OutputPathFor("/in/x.ot", "/out/"), "/out/xlgo");
    EXPECT_EQ(OutputPathFor("/in/ab", "OUT/"), "OUT/lgo");
    EXPECT_EQ(OutputPathFor("", "OUT/"), "OUT/lgo");
    EXPECT_EQ(OutputPathFor("/in/..", "OUT/"), "OUT/lgo");
    EXPECT_EQ(OutputPathFor("..", "OUT/"), "OUT/lgo");
    EXPECT_EQ(OutputPathFor("/in/sub/", "OUT/"), "OUT/lgo");
    EXPECT_EQ(OutputPathFor("c:\\in\\a.txt", "OUT/"), "OUT/c:\\in\\a.lgo");
    // Whole UTF-8 characters go; a stray byte is a character of its own.
    EXPECT_EQ(OutputPathFor("/in/logo.\xF0\x9F\x98\x80", "/out/"), "/out/logo.lgo");
    EXPECT_EQ(OutputPathFor("/in/a\xE2\x82\xAC.", "/out/"), "/out/algo");
    EXPECT_EQ(OutputPathFor("/in/\xC3\xA9t\xC3\xA9.txt", "/out/"), "/out/\xC3\xA9t\xC3\xA9.lgo");
    EXPECT_EQ(OutputPathFor("/in/ab\x80\x80\x80", "/out/"), "/out/ablgo");
    EXPECT_EQ(OutputPathFor("/in/\xE2\x82\xAC", "/out/"), "/out/lgo");
}

TEST(EmsPictureWriter, ThreePartFormSplitsTheColumns) {
    const LogoImage image = RecogniseLogo("00481C01" + Rows(28));
    ASSERT_TRUE(image.threePart);
    std::istringstream lines(EmsPictureText(image, "A7"));
    std::string line1, line2, line3, rest;
    std::getline(lines, line1);
    std::getline(lines, line2);
    std::getline(lines, line3);
    EXPECT_FALSE(std::getline(lines, rest));
    ASSERT_EQ(line1.size(), 260u);
    ASSERT_EQ(line2.size(), 252u);
    ASSERT_EQ(line3.size(), 84u);
    EXPECT_EQ(line1.substr(0, 36), "810003A7030117020401130103127300041C");
    EXPECT_EQ(line2.substr(0, 28), "7D0003A70302130103127300041C");
    EXPECT_EQ(line3.substr(0, 28), "290003A70303130103121F00011C");
    for (int r = 0; r < 28; ++r) {
        const std::string row = image.data.substr(static_cast<std::size_t>(r) * 18, 18);
        EXPECT_EQ(line1.substr(36 + 8 * r, 8), row.substr(0, 8)) << r;
        EXPECT_EQ(line2.substr(28 + 8 * r, 8), row.substr(8, 8)) << r;
        EXPECT_EQ(line3.substr(28 + 2 * r, 2), row.substr(16, 2)) << r;
    }
    const LogoImage small = RecogniseLogo(Rows(14));
    EXPECT_EQ(EmsPictureText(small, "A7"), Rows(14));
}

TEST(EmsPictureWriter, ReferenceIsTwoHexCharactersFixedBySecond) {
    std::set<std::string> seen;
    for (std::time_t t = 1'700'000'000; t < 1'700'000'400; ++t) {
        const std::string reference = MakeReference(t);
        ASSERT_EQ(reference.size(), 2u);
        ASSERT_EQ(reference.find_first_not_of("0123456789ABCDEF"), std::string::npos);
        ASSERT_EQ(reference, MakeReference(t));
        seen.insert(reference);
    }
    EXPECT_GT(seen.size(), 100u);
}

TEST(EmsPictureWriter, WritesCrLfAndNeverLeavesAHalfWrittenFile) {
    testsupport::TempDir dir;
    const std::string target = dir / "pic.lgo";
    const LogoImage large = RecogniseLogo(Rows(28));
    ASSERT_TRUE(WriteEmsPicture(target, large));
    const std::string written = testsupport::ReadFile(target);
    EXPECT_EQ(written.size(), 260u + 252u + 84u + 6u);
    EXPECT_EQ(written.substr(260, 2), "\r\n");
    EXPECT_EQ(written.substr(6, 2), written.substr(262 + 6, 2)); // same reference

    const LogoImage small = RecogniseLogo(Rows(14));
    testsupport::FaultyFiles files;
    files.InjectFailure(testsupport::FileOp::Write, 1, ENOSPC);
    EXPECT_FALSE(WriteEmsPicture(target, EmsPictureText(small, ""), files));
    EXPECT_EQ(testsupport::ReadFile(target), written);

    std::filesystem::permissions(target, std::filesystem::perms::owner_read);
    EXPECT_FALSE(WriteEmsPicture(target, small));
    EXPECT_EQ(testsupport::ReadFile(target), written);
    EXPECT_FALSE(WriteEmsPicture(dir / "missing/pic.lgo", small));
}
