#include "melody/ImelodyFormat.h"
#include "melody/Melody.h"
#include "melody/MelodyConverter.h"
#include "sms/SubmitPdu.h"
#include "support/RecordingUi.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <utility>

namespace {

using melody::imelody::kMaxEmsText;
const std::string kHeader(melody::imelody::kHeaderLines);
const std::string kEnd(melody::imelody::kEndLine);
const std::string kRange =
    "The melody is in a range that cannot be converted accurately in the EMS standard.";

std::string Repeat(const std::string& item, int times, const std::string& separator = ",") {
    std::string list;
    for (int i = 0; i < times; ++i)
        list += (i == 0 ? "" : separator) + item;
    return list;
}

struct Writer : ::testing::Test {
    testsupport::RecordingUi ui;
    CMelodyConverter converter{ui, "/nonexistent/"};

    std::string Write(int target, const std::string& notes) {
        std::string text;
        if (target == 1)
            converter.WriteImelody1(notes, text);
        else
            converter.WriteImelody2(notes, text);
        return text;
    }
    std::string Hex(const std::string& text) {
        std::string hex;
        CMelodyConverter::EncodeEmsHex(text, hex);
        return hex;
    }
};

TEST_F(Writer, ConvertNote1KeepsARunningOctave) {
    std::int64_t octave = 4;
    EXPECT_EQ(converter.ConvertNote1("8c", octave), "c3");
    EXPECT_EQ(octave, 4);
    EXPECT_EQ(converter.ConvertNote1("8d#6", octave), "*5#d3");
    EXPECT_EQ(octave, 5);
    EXPECT_TRUE(converter.m_bUsesHighOctave);
    EXPECT_EQ(converter.ConvertNote1("4.p", octave), "*4r2.");
    EXPECT_EQ(octave, 4);
    EXPECT_EQ(converter.ConvertNote1("16g5", octave), "g4");
    EXPECT_EQ(octave, 4);

    const auto alone = [this](const std::string& item) {
        std::int64_t running = 4;
        return converter.ConvertNote1(item, running);
    };
    EXPECT_EQ(alone("32a7"), "*6a5");
    EXPECT_EQ(alone("1c"), "c0");
    EXPECT_EQ(alone("2c"), "c1");
    EXPECT_EQ(alone("64c"), "c");
    EXPECT_EQ(alone("8x6"), "");
    EXPECT_EQ(alone(""), "2");
    EXPECT_EQ(alone("8pp"), "pp3"); // only a lone "p" becomes "r"
    EXPECT_EQ(alone("8r"), "r3");
    EXPECT_EQ(alone("8c 6"), "*5c3");
    EXPECT_FALSE(converter.m_bUsesLowOctave);
    EXPECT_EQ(alone("8c3"), "*2c3");
    EXPECT_TRUE(converter.m_bUsesLowOctave);

    converter.m_strOctave = "6";
    EXPECT_EQ(alone("8c"), "*5c3"); // the running octave starts at 4 whatever the default

    // Octaves far outside 32 bits saturate, and "octave - 1" does not overflow.
    EXPECT_EQ(alone("8c-99999999999"), "*-2147483649c3");
    std::int64_t running = 4;
    EXPECT_EQ(converter.ConvertNote1("8c99999999999", running), "*2147483646c3");
    EXPECT_EQ(converter.ConvertNote1("8d99999999999", running), "d3");
    running = INT32_MAX;
    EXPECT_EQ(converter.ConvertNote1("8c99999999999", running), "*2147483646c3");
}

TEST_F(Writer, ConvertNote2WritesEveryOctaveAndSplitsLongNotes) {
    EXPECT_EQ(converter.ConvertNote2("8c"), "c3");
    EXPECT_EQ(converter.ConvertNote2("8d#6"), "*5#d3");
    EXPECT_EQ(converter.ConvertNote2("4.p"), "r2r3");
    EXPECT_EQ(converter.ConvertNote2("1c"), "c2c2c2c2");
    EXPECT_EQ(converter.ConvertNote2("1c#6"), "*5#c2*5#c2*5#c2*5#c2");
    EXPECT_EQ(converter.ConvertNote2("2.e"), "e2e2e2");
    EXPECT_EQ(converter.ConvertNote2("1.a"), "a2a2a2a2a2a2");
    EXPECT_EQ(converter.ConvertNote2("8.f6"), "*5f3*5f4");
    EXPECT_EQ(converter.ConvertNote2("16.g"), "g4g5");
    EXPECT_EQ(converter.ConvertNote2("32.g"), "g5");
    EXPECT_EQ(converter.ConvertNote2("2p"), "r2r2");
    EXPECT_EQ(converter.ConvertNote2("64.c4"), "*3c");
    EXPECT_EQ(converter.ConvertNote2("8x"), "");
    EXPECT_EQ(converter.ConvertNote2("8c-2147483648"), "*-2147483649c3");
    EXPECT_FALSE(converter.m_bUsesHighOctave);
}

TEST_F(Writer, WholeTexts) {
    EXPECT_EQ(Write(1, "8c,8d"), "MELODY:c3d3\r\n");
    EXPECT_EQ(Write(1, "8c"), "MELODY:c3\r\n");
    EXPECT_EQ(Write(1, "8c,"), "MELODY:c32\r\n");
    converter.m_bIncludeHeader = 1;
    EXPECT_EQ(Write(1, "8c,8d"), kHeader + "MELODY:c3d3\r\n" + kEnd);
    EXPECT_EQ(Write(2, "8c,8d"), kHeader + "MELODY:c3d3\r\n" + kEnd);

    converter.m_bIncludeHeader = 0;
    converter.m_nBeat = 100;
    EXPECT_EQ(Write(2, "8c"), "BEAT:100\r\nMELODY:c3\r\n");
    EXPECT_EQ(Write(1, "8c"), "MELODY:c3\r\n");
    converter.m_nBeat = INT32_MIN;
    EXPECT_EQ(Write(2, "8c"), "BEAT:-2147483648\r\nMELODY:c3\r\n");
    converter.m_nBeat = 120;
    EXPECT_EQ(Write(2, "8c"), "MELODY:c3\r\n");
}

TEST_F(Writer, OctaveSixIsShiftedDownAndCannotMeetOctaveThree) {
    EXPECT_EQ(Write(1, "8c,8d6"), "MELODY:*3c3*4d3\r\n");
    EXPECT_TRUE(converter.m_bUsesHighOctave);
    EXPECT_EQ(Write(1, "8d6,8c7,8c4"), "MELODY:*4d3*5c3*3c3\r\n"); // *3 before the shift stays *3
    EXPECT_EQ(Write(2, "8c3,8d6"), "MELODY:*2c3*5d3\r\n");

    std::string text;
    try {
        converter.WriteImelody1("8c3,8d6", text);
        ADD_FAILURE() << "no error for octaves 3 and 6";
    } catch (const CEMSError& error) {
        EXPECT_EQ(error.m_strMessage, kRange);
    }
    // The octave flags count for notes dropped by the limit too.
    try {
        converter.WriteImelody1(Repeat("8c", 60) + ",8c3,8c,8d6", text);
        ADD_FAILURE() << "no error for octaves 3 and 6 after the limit";
    } catch (const CEMSError& error) {
        EXPECT_EQ(error.m_strMessage, kRange);
        EXPECT_TRUE(converter.m_bTruncated);
    }
    // A default octave "6" marks every note; "06" is octave 6 but not the text "6".
    converter.m_strOctave = "6";
    EXPECT_EQ(Write(1, "8c,8d"), "MELODY:*4c3d3\r\n");
    converter.m_strOctave = "06";
    EXPECT_EQ(Write(1, "8c,8d"), "MELODY:*5c3d3\r\n");
}

TEST_F(Writer, BodyLimits) {
    converter.m_bIncludeHeader = 1;
    const std::string fits1 = Repeat("c3", 28, "");
    EXPECT_EQ(Write(1, Repeat("8c", 28)), kHeader + "MELODY:" + fits1 + "\r\n" + kEnd);
    EXPECT_FALSE(converter.m_bTruncated);
    EXPECT_EQ(Write(1, Repeat("8c", 29) + ",x,8c"), kHeader + "MELODY:" + fits1 + "\r\n" + kEnd);
    EXPECT_TRUE(converter.m_bTruncated);
    // No later note is appended, however short.
    EXPECT_EQ(Write(1, Repeat("8c", 27) + ",16c#,8c"),
              kHeader + "MELODY:" + Repeat("c3", 27, "") + "\r\n" + kEnd);
    EXPECT_EQ(Write(2, Repeat("8c", 30)),
              kHeader + "MELODY:" + Repeat("c3", 24, "") + "\r\n" + kEnd);
    EXPECT_TRUE(converter.m_bTruncated);

    converter.m_bIncludeHeader = 0;
    EXPECT_EQ(Write(1, Repeat("8c", 58)), "MELODY:" + Repeat("c3", 57, "") + "\r\n");
    EXPECT_TRUE(converter.m_bTruncated);
    EXPECT_EQ(Write(2, Repeat("8c", 58)), "MELODY:" + Repeat("c3", 53, "") + "\r\n");
    EXPECT_EQ(Write(1, "8c"), "MELODY:c3\r\n");
    EXPECT_FALSE(converter.m_bTruncated); // cleared at the start of each writing

    // A first note too long for the body leaves it empty; with octave 6 it stays empty.
    EXPECT_EQ(Write(1, "8" + std::string(200, 'c') + "6"), "MELODY:\r\n");
    EXPECT_TRUE(converter.m_bTruncated);
    EXPECT_TRUE(converter.m_bUsesHighOctave);
}

// The batch writes both targets from one walk over the notes: each text and
// each flag as the target's own writing gives it, wherever either stops.
TEST(BothTargets, OneWalkGivesWhatEachTargetWrites) {
    const auto Facts = [](const melody::ImelodyText& t) {
        return std::tie(t.text, t.truncated, t.usesLowOctave, t.usesHighOctave);
    };
    const std::string lists[] = {
        "8c,8d",
        "",
        "8c3,8d6",
        "4.p,2a5,32g,8e,1c7,x,,8 7c",
        Repeat("8c", 60) + ",8c3,8c,8d6", // target 1 truncated, then out of range
        Repeat("8c", 30) + ",8d6",        // target 2 stops first, target 1 goes on
        Repeat("16c#6", 40) + ",x,8c3",   // both truncated, a rejected item
        "8" + std::string(200, 'c') + "6" // a first note longer than a body
    };
    for (const std::string& notes : lists) {
        for (const bool header : {false, true}) {
            melody::Melody melody{"Tune", {}, notes};
            melody.settings.beat = header ? 100 : 120;
            const auto [one, two] = melody::WriteImelodyBoth(melody, header);
            for (const auto& [target, both] : {std::pair{1, &one}, std::pair{2, &two}}) {
                SCOPED_TRACE(notes + (header ? " with header, " : ", ") + std::to_string(target));
                const melody::ImelodyText alone = melody::WriteImelody(melody, target, header);
                EXPECT_EQ(Facts(*both), Facts(alone));
            }
        }
    }
}

TEST_F(Writer, ShiftOctavesDown) {
    const auto shifted = [](std::string body) {
        CMelodyConverter::ShiftOctavesDown(body);
        return body;
    };
    EXPECT_EQ(shifted("c3*5d3"), "*3c3*4d3");
    EXPECT_EQ(shifted("*5c3*6d3*4e3*3f3"), "*4c3*5d3*3e3*3f3");
    EXPECT_EQ(shifted("*7c*-1d**4"), "*7c*-1d**3");
    EXPECT_EQ(shifted(""), "");
    EXPECT_EQ(shifted("*"), "*");
}

TEST_F(Writer, EncodeEmsHex) {
    EXPECT_EQ(Hex("ABC"), "060C0400414243");
    EXPECT_EQ(Hex("A\r\n"), "060C0400410D0A");
    EXPECT_EQ(Hex(""), "030C0100");
    EXPECT_EQ(Hex(std::string(20, 'x')).substr(0, 8), "170C1500");
    EXPECT_EQ(Hex("\xE9"), "040C020069");
    EXPECT_EQ(Hex(std::string("\0", 1)), "040C020000");
    EXPECT_EQ(Hex("MELODY:c3d3\r\n"), "100C0E004D454C4F44593A633364330D0A");
    converter.m_bIncludeHeader = 1;
    const std::string text = Write(1, "8c,8d");
    EXPECT_EQ(text.size(), 71u);
    EXPECT_EQ(Hex(text).substr(0, 34), "4A0C4800424547494E3A494D454C4F4459");
    EXPECT_EQ(Hex(std::string(252, 'a')).substr(0, 8), "FF0CFD00");
}

TEST_F(Writer, LongestTextsFitTheOneOctetLengthsAndOneSms) {
    // Every note as long as the body allows, an octave shift (with or without
    // the octave put in front), the longest beat: the header is the user
    // data of one short message.
    std::size_t longest = 0;
    for (const int header : {0, 1}) {
        converter.m_bIncludeHeader = header;
        converter.m_nBeat = INT32_MIN;
        for (const int target : {1, 2}) {
            for (const char* first : {"6,", "5,"}) {
                for (int length = 1; length < 130; ++length) {
                    std::string notes = "8";
                    notes.append(length, 'c').append(first).append(Repeat("8c6", 70));
                    const std::string text = Write(target, notes);
                    ASSERT_LE(text.size(), kMaxEmsText);
                    EXPECT_EQ(Hex(text).size(), 2 * text.size() + 8);
                    longest = std::max(longest, Hex(text).size() / 2);
                }
            }
        }
    }
    EXPECT_LE(longest, sms::kMaxUserDataOctets);
}

} // namespace
