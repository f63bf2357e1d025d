#include "platform/Ascii.h"
#include "platform/BuildInfo.h"
#include "platform/InputList.h"
#include "platform/LastError.h"
#include "platform/LocalTime.h"
#include "platform/LogFolder.h"
#include "platform/MessagePresenter.h"
#include "platform/ProgramPath.h"

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <utility>
#include <vector>

using namespace platform;

TEST(LocalTime, CtimeTextIsEnglishTwentyFourCharactersAndALineFeed) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ(CtimeText(978426307), "Tue Jan 02 09:05:07 2001\n");
    EXPECT_EQ(CtimeText(315626635), "Wed Jan 02 02:03:55 1980\n");
    const std::string now = CtimeNow();
    ASSERT_EQ(now.size(), 25u);
    EXPECT_TRUE(std::regex_match(now, std::regex("[A-Z][a-z]{2} [A-Z][a-z]{2} \\d\\d "
                                                 "\\d\\d:\\d\\d:\\d\\d \\d{4}\n")));
}

TEST(ProgramPath, FolderOfTheRunningTestEndsInSlash) {
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(ProgramPath().rfind(folder, 0), 0u);
}

TEST(ProgramPath, PathPartsUseOnlyTheSlash) {
    EXPECT_EQ(FolderPart("/in/bells.txt"), "/in/");
    EXPECT_EQ(FolderPart("bells.txt"), "");
    EXPECT_EQ(FolderPart("a\\b.txt"), "");
    EXPECT_EQ(FileNamePart("/in/bells.mix.txt"), "bells.mix.txt");
    EXPECT_EQ(FileNamePart("a\\b.txt"), "a\\b.txt");
    EXPECT_EQ(WithTrailingSlash("/out"), "/out/");
    EXPECT_EQ(WithTrailingSlash("/out/"), "/out/");
    EXPECT_EQ(WithTrailingSlash(""), "");
}

TEST(InputList, EveryCommaCutsAndEmptyPiecesAreNames) {
    EXPECT_EQ(SplitInputList(""), std::vector<std::string>{""});
    EXPECT_EQ(SplitInputList("/in/a.txt"), std::vector<std::string>{"/in/a.txt"});
    EXPECT_EQ(SplitInputList("a, b,"), (std::vector<std::string>{"a", " b", ""}));
    EXPECT_EQ(JoinInputList({"a", " b", ""}), "a, b,");
    EXPECT_EQ(JoinInputList({}), "");
}

TEST(LogFolder, ProgramFolderWhenWritableOtherwiseTheUsersStateFolder) {
    testsupport::TempDir program, home;
    EXPECT_EQ(LogFolder(program.Folder()), program.Folder());
    EXPECT_EQ(LogFolder(ProgramFolder()), ProgramFolder()); // a build keeps its logs beside it

    testsupport::ScopedEnv homeEnv("HOME", home.Path().string());
    testsupport::ScopedEnv stateEnv("XDG_STATE_HOME", home / "state");
    const std::string state = home / "state/quillmere/";
    for (const std::string& unwritable :
         {program / "missing/", program / "missing/deeper/", std::string(kInstalledProgramFolder)})
        EXPECT_EQ(LogFolder(unwritable), state) << unwritable;
    EXPECT_EQ(std::filesystem::status(state).permissions(), std::filesystem::perms::owner_all);

    stateEnv.Set("relative/state"); // not absolute: ignored, as unset
    EXPECT_EQ(LogFolder(program / "missing/"), home / ".local/state/quillmere/");
    EXPECT_TRUE(std::filesystem::is_directory(home / ".local/state/quillmere"));
    stateEnv.Set(std::nullopt);
    EXPECT_EQ(LogFolder(program / "missing/"), home / ".local/state/quillmere/");
}

TEST(LastError, DescribesErrorNumbersAndTheLastErrorWithItsNumberInHex) {
    EXPECT_EQ(ErrorDescription(ENOENT), "No such file or directory");

    char buffer[255];
    errno = EACCES;
    EXPECT_STREQ(FormatLastError(buffer, sizeof buffer), "Permission denied (0xd)");
    errno = 200;
    EXPECT_STREQ(FormatLastError(buffer, sizeof buffer), "Unknown error 200 (0xc8)");
    // Too small for the description and the number: empty, never cut.
    errno = ENOENT;
    char small[30];
    EXPECT_STREQ(FormatLastError(small, sizeof small), "");
    char enough[25 + 14];
    EXPECT_STREQ(FormatLastError(enough, sizeof enough), "No such file or directory (0x2)");
}

namespace {
void Record(void* context, const char* caption, const char* text) {
    static_cast<std::vector<std::pair<std::string, std::string>>*>(context)->emplace_back(caption,
                                                                                          text);
}
} // namespace

TEST(MessagePresenter, InstalledPresenterGetsMessagesAndDefaultPrintsToStandardError) {
    std::vector<std::pair<std::string, std::string>> seen;
    const auto previous = SetMessagePresenter(&Record, &seen);
    ShowMessage("Text", "Caption");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(std::string("Caption"), std::string("Text")));

    SetMessagePresenter(nullptr);
    ::testing::internal::CaptureStderr();
    ShowMessage("Conversion complete.", "EMS Melody Converter");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "EMS Melody Converter: Conversion complete.\n");
    SetMessagePresenter(previous.show, previous.context);
}

TEST(Ascii, OnlyAsciiLettersHaveACaseAndOnlyAsciiBlanksAreWhiteSpace) {
    EXPECT_EQ(LowerAscii("HKEY_Classes\xC9\xE9"), "hkey_classes\xC9\xE9");
    EXPECT_TRUE(EqualsIgnoringAsciiCase("ForceRemove", "forceREMOVE"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC9", "\xE9")); // not letters, whatever the locale
    EXPECT_FALSE(EqualsIgnoringAsciiCase("ab", "abc"));
    for (const char c : {' ', '\t', '\n', '\v', '\f', '\r'})
        EXPECT_TRUE(IsAsciiSpace(c));
    EXPECT_FALSE(IsAsciiSpace('\xA0'));
    EXPECT_FALSE(IsAsciiDigit('\xB2'));
    // Names shown on a line: controls and the backslash escaped, all else kept.
    EXPECT_EQ(PrintableName(std::string("a\nb\rc\td\\e\x01\x1F\x7F\0f \xC3\xA9", 17)),
              "a\\nb\\rc\\td\\\\e\\x01\\x1F\\x7F\\x00f \xC3\xA9");
}
