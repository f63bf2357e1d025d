#include "cli/CommandLine.h"

#include <gtest/gtest.h>

using namespace cli;

namespace {
const std::vector<KnownOption> kOptions = {
    {"-o", true}, {"--target", true}, {"--no-header", false}};
}

TEST(CommandLine, OptionsMayStandAnywhereAndFilesAreTakenWhole) {
    ParsedArgs parsed;
    ASSERT_FALSE(ParseArgs({"a,b.txt", "-o", "out", "c d.txt", "--no-header", "--target=2"},
                           kOptions, parsed));
    EXPECT_EQ(parsed.files, (std::vector<std::string>{"a,b.txt", "c d.txt"}));
    EXPECT_EQ(parsed.Value("-o", "."), "out");
    EXPECT_EQ(parsed.Value("--target", "1"), "2");
    EXPECT_TRUE(parsed.Has("--no-header"));
}

TEST(CommandLine, DoubleDashEndsOptionsAndLoneDashIsAFile) {
    ParsedArgs parsed;
    ASSERT_FALSE(ParseArgs({"-", "--", "-o", "--help"}, kOptions, parsed));
    EXPECT_EQ(parsed.files, (std::vector<std::string>{"-", "-o", "--help"}));
    EXPECT_FALSE(parsed.help);
    EXPECT_EQ(parsed.Value("-o", "fallback"), "fallback");
}

TEST(CommandLine, UsageErrors) {
    ParsedArgs parsed;
    EXPECT_TRUE(ParseArgs({"--bogus"}, kOptions, parsed));
    EXPECT_TRUE(ParseArgs({"x", "-o"}, kOptions, parsed));
    EXPECT_TRUE(ParseArgs({"--no-header=1"}, kOptions, parsed));
    ParsedArgs help;
    ASSERT_FALSE(ParseArgs({"-h"}, kOptions, help));
    EXPECT_TRUE(help.help);
}
