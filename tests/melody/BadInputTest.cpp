// Any byte sequence is either converted or refused with a message, in time
// linear in its length.

#include "melody/ImelodyFormat.h"
#include "melody/MelodyConverter.h"
#include "support/MelodyWriters.h"
#include "support/RecordingUi.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

struct BadInput : ::testing::Test {
    testsupport::RecordingUi ui;
    CMelodyConverter converter{ui, "/nonexistent/"};

    // Reads the text and writes both targets; checks every text produced.
    void Convert(const std::string& rtx) {
        std::string notes;
        try {
            notes = converter.ReadRtx(rtx);
        } catch (const CEMSError&) {
            return;
        }
        for (const int target : {1, 2}) {
            std::string text;
            try {
                testsupport::WriteImelodyFor(converter, target, notes, text);
            } catch (const CEMSError&) {
                continue;
            }
            ASSERT_LE(text.size(), melody::imelody::kMaxEmsText);
            std::string hex;
            CMelodyConverter::EncodeEmsHex(text, hex);
            ASSERT_EQ(hex.size(), 2 * text.size() + 8);
            ASSERT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
        }
    }
};

TEST_F(BadInput, RandomBytes) {
    static const char kAlphabet[] = "::,,,==  \t\r\n0123456789+-#.cdpPrxX\0\x80\xE3\xFF\xAA\xBA";
    const std::string alphabet(kAlphabet, sizeof kAlphabet - 1);
    std::mt19937 random(2024);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const std::size_t length = random() % 80;
        for (std::size_t i = 0; i < length; ++i)
            text += round % 3 == 0 ? static_cast<char>(random() % 256)
                                   : alphabet[random() % alphabet.size()];
        if (round % 2 == 1)
            text = "T:" + text.substr(0, length / 3) + ":" + text.substr(length / 3);
        Convert(text);
        if (HasFatalFailure())
            FAIL() << "input of " << text.size() << " bytes, round " << round;
    }
}

// Inputs that take quadratic time under a naive walk; each is a few MB.
TEST_F(BadInput, PathologicalInputsRunInLinearTime) {
    const std::size_t big = 2'000'000;
    Convert("T::" + std::string(big, ' ') + "8c");     // a duration of blanks
    Convert("T::8c" + std::string(big, ' ') + "6");    // an octave of blanks
    Convert("T::" + std::string(big, ' ') + "c");      // blanks without a number
    Convert("T::8" + std::string(big, 'c') + "6,8c3"); // one note of many letters
    Convert("T::" + std::string(big, '0') + "1");      // zeros before the digit
    Convert("T::c" + std::string(big, '-'));           // signs without digits
    Convert("T::" + std::string(big, '9'));            // one huge duration
    Convert("T::" + std::string(big, ','));            // empty notes
    Convert("T:" + std::string(big, ',') + ":8c");     // empty settings
    Convert(std::string(big, ':'));                    // colons
    Convert(std::string(big, '\0') + "::8c");          // NUL bytes
    Convert("T:o=" + std::string(big, '6') + ",d=" + std::string(big, '8') + ":" +
            std::string(big / 2, ','));        // huge defaults used by every note
    Convert("T:o=6:" + std::string(big, ',')); // flags counted after the limit
    std::string manyNotes = "T::";
    for (std::size_t i = 0; i < big / 4; ++i)
        manyNotes += i % 2 == 0 ? "8c6," : "x,";
    Convert(manyNotes);
    SUCCEED();
}

TEST_F(BadInput, HugeDefaultsAreUsedAsTheyAre) {
    converter.ReadRtx("T:o=" + std::string(100, '9') + ",d=" + std::string(100, '8') + ":,");
    std::string text;
    converter.WriteImelody1(converter.ReadRtx("T::,"), text);
    EXPECT_EQ(text, "MELODY:*2147483646\r\n"); // no duration code, one octave prefix
    text.clear();
    converter.WriteImelody2("c", text);
    EXPECT_EQ(text, "MELODY:*2147483646c\r\n");
}

} // namespace
