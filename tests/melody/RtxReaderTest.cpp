#include "melody/MelodyConverter.h"
#include "melody/internal/RtxText.h"
#include "support/RecordingUi.h"

#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

struct Reader : ::testing::Test {
    testsupport::RecordingUi ui;
    CMelodyConverter converter{ui, "/nonexistent/"};

    // The message of the error ReadRtx throws, or "" when it returns.
    std::string ReadError(const std::string& text) {
        try {
            converter.ReadRtx(text);
        } catch (const CEMSError& error) {
            return error.m_strMessage;
        }
        return {};
    }
};

TEST_F(Reader, FreshConverterHoldsTheInitialSettings) {
    EXPECT_FALSE(converter.m_bUsesLowOctave || converter.m_bUsesHighOctave ||
                 converter.m_bReplaceAll || converter.m_bTruncated);
    EXPECT_EQ(converter.m_strOctave, "5");
    EXPECT_EQ(converter.m_strDuration, "4");
    EXPECT_EQ(converter.m_bIncludeHeader, 0);
    EXPECT_EQ(converter.m_strTitle, "EMS Melody Converter");
    EXPECT_EQ(converter.m_strCurrentFile, "");
    EXPECT_EQ(converter.m_nBeat, 120);
    EXPECT_EQ(converter.m_strStyle, "N");
    EXPECT_EQ(converter.m_strMelodyName, "");
}

TEST_F(Reader, SplitsNameSettingsAndNotes) {
    EXPECT_EQ(converter.ReadRtx(" Tune :d=8,o=6,b=90,s=S:8c,8d#6,4.p\r\n  "), "8c,8d#6,4.p");
    EXPECT_EQ(converter.m_strMelodyName, "Tune");
    EXPECT_EQ(converter.m_strDuration, "8");
    EXPECT_EQ(converter.m_strOctave, "6");
    EXPECT_EQ(converter.m_nBeat, 90);
    EXPECT_EQ(converter.m_strStyle, "S");

    // Line breaks anywhere are dropped; a blank before the final break stays.
    EXPECT_EQ(converter.ReadRtx("T:d=4:8c,8d,\r\n8e"), "8c,8d,8e");
    EXPECT_EQ(converter.ReadRtx("T:d=4:8c,8d \r\n"), "8c,8d ");
    EXPECT_EQ(converter.ReadRtx("T:d=4:\t8c "), "\t8c");
}

TEST_F(Reader, SettingsKeysAndValues) {
    converter.ReadRtx("Tune:D=8:8c");
    EXPECT_EQ(converter.m_strDuration, "8");
    converter.ReadRtx("Tune:d=4, o=6:8c"); // the key is " o"
    EXPECT_EQ(converter.m_strOctave, "5");
    converter.ReadRtx("Tune:x=1,d=16:8c");
    EXPECT_EQ(converter.m_strDuration, "16");
    converter.ReadRtx("Tune:d=2,d=32,o:8c"); // the later item wins, an item without "=" is ignored
    EXPECT_EQ(converter.m_strDuration, "32");
    converter.ReadRtx("Tune:s=a=b,o=:8c"); // values keep further "=", may be empty
    EXPECT_EQ(converter.m_strStyle, "a=b");
    EXPECT_EQ(converter.m_strOctave, "");
    converter.ReadRtx("Tune:o:8c"); // one item without "=": nothing changes
    EXPECT_EQ(converter.m_strOctave, "");

    converter.ReadRtx("Tune:b=abc:8c");
    EXPECT_EQ(converter.m_nBeat, 0);
    converter.ReadRtx("Tune:b=90x:8c");
    EXPECT_EQ(converter.m_nBeat, 90);
    converter.ReadRtx("Tune:B= \t-45:8c");
    EXPECT_EQ(converter.m_nBeat, -45);
    converter.ReadRtx("Tune:b=99999999999999999999:8c");
    EXPECT_EQ(converter.m_nBeat, INT32_MAX);
    converter.ReadRtx("Tune:b=-2147483649:8c");
    EXPECT_EQ(converter.m_nBeat, INT32_MIN);
    converter.ReadRtx("Tune:b=:8c");
    EXPECT_EQ(converter.m_nBeat, 0);
}

TEST_F(Reader, FailuresAndWhatTheyLeaveBehind) {
    converter.m_strCurrentFile = "/in/t.txt";
    const std::string notValid = "/in/t.txt is not a valid RTX formatted file.";
    const std::string noMelody = "/in/t.txt does not have any melody to convert.";
    EXPECT_EQ(ReadError(""), notValid);
    EXPECT_EQ(ReadError("no colon at all"), notValid);
    EXPECT_EQ(ReadError("Tune:d=8"), notValid);
    EXPECT_EQ(ReadError("a:b:c:8c"), notValid);
    EXPECT_EQ(converter.m_strDuration, "4"); // a text failing the colon test changes nothing

    EXPECT_EQ(ReadError("Tune:d=8:"), noMelody);
    EXPECT_EQ(converter.m_strDuration, "8"); // stored before the notes were checked
    EXPECT_EQ(converter.m_strMelodyName, "Tune");
    EXPECT_EQ(ReadError("Tune:d=4: \r\n "), noMelody);
    EXPECT_EQ(ReadError("Tune:d=4:\r\n\r\n"), noMelody);
}

TEST_F(Reader, ParseRtxNote) {
    RtxNote note = converter.ParseRtxNote("16c#6");
    EXPECT_EQ(note.durationText, "16");
    EXPECT_EQ(note.letterText, "c");
    EXPECT_TRUE(note.sharp);
    EXPECT_FALSE(note.dotted);
    EXPECT_EQ(note.octaveText, "6");
    EXPECT_EQ(note.octaveValue, 6);
    EXPECT_FALSE(note.rejected);

    EXPECT_TRUE(converter.ParseRtxNote("8.c5").dotted);
    EXPECT_TRUE(converter.ParseRtxNote("8c.5").dotted);
    EXPECT_FALSE(converter.ParseRtxNote("8c5.").dotted); // after the octave: ignored
    EXPECT_TRUE(converter.ParseRtxNote("#.c").sharp);

    note = converter.ParseRtxNote("c");
    EXPECT_EQ(note.durationText, "4");
    EXPECT_EQ(note.octaveText, "5");
    note = converter.ParseRtxNote("");
    EXPECT_EQ(note.letterText, "");
    EXPECT_EQ(note.durationText, "4");
    EXPECT_EQ(note.octaveText, "5");
    EXPECT_FALSE(note.rejected);

    note = converter.ParseRtxNote("8C6");
    EXPECT_EQ(note.letterText, "c");
    EXPECT_EQ(note.octaveText, "6");
    EXPECT_EQ(converter.ParseRtxNote(" 8c6").durationText, " 8");
    EXPECT_EQ(converter.ParseRtxNote("-8c6").durationText, "-8");
    EXPECT_EQ(converter.ParseRtxNote("8cd6").letterText, "cd");
    note = converter.ParseRtxNote("8c 6");
    EXPECT_FALSE(note.rejected);
    EXPECT_EQ(note.octaveText, " 6");
    EXPECT_EQ(converter.ParseRtxNote("8c6x9").octaveText, "6");

    EXPECT_TRUE(converter.ParseRtxNote("8x6").rejected);
    EXPECT_TRUE(converter.ParseRtxNote("8 c6").rejected);
    EXPECT_TRUE(converter.ParseRtxNote("0c6").rejected);
    EXPECT_TRUE(converter.ParseRtxNote("10c").rejected); // the duration stops before the 0
    EXPECT_TRUE(converter.ParseRtxNote(std::string("8c\0", 3)).rejected);

    // Letters are classified by their 7-bit value and kept as they were.
    note = converter.ParseRtxNote("8\xE3\xA3\xAE");
    EXPECT_FALSE(note.rejected);
    EXPECT_EQ(note.letterText, "\xE3");
    EXPECT_TRUE(note.sharp);
    EXPECT_TRUE(note.dotted);
    EXPECT_TRUE(converter.ParseRtxNote("8\xC3").rejected); // 7-bit "C" is no lower-case letter

    converter.m_strOctave = "06";
    converter.m_strDuration = "04";
    note = converter.ParseRtxNote("c");
    EXPECT_EQ(note.octaveText, "06");
    EXPECT_EQ(note.octaveValue, 6);
    EXPECT_EQ(note.durationText, "04");
}

TEST(MelodyCore, AMelodyIsReadAsAValueWhoseNotesComeOutResolved) {
    melody::RtxSettings earlier;
    earlier.duration = "8"; // carried over from an earlier file
    const melody::RtxReading reading = melody::ParseRtx(" Tune :o=6,b=90:16c#,x,4.p5\r\n", earlier);
    ASSERT_EQ(reading.problem, melody::RtxProblem::None);
    const melody::Melody& tune = reading.melody;
    EXPECT_EQ(tune.name, "Tune");
    EXPECT_EQ(tune.settings.octave, "6");
    EXPECT_EQ(tune.settings.duration, "8");
    EXPECT_EQ(tune.settings.beat, 90);
    EXPECT_EQ(tune.settings.style, "N");
    EXPECT_EQ(tune.notes, "16c#,x,4.p5");

    std::vector<std::string> notes;
    RtxNote note;
    for (melody::NoteWalk walk = tune.Notes(); walk.Next(note);)
        notes.push_back(note.rejected ? "rejected"
                                      : std::string(note.durationText) + "|" + note.letterText +
                                            (note.sharp ? "#" : "") + (note.dotted ? "." : "") +
                                            "|" + std::string(note.octaveText) + "=" +
                                            std::to_string(note.octaveValue));
    EXPECT_EQ(notes, (std::vector<std::string>{"16|c#|6=6", "rejected", "4|p.|5=5"}));

    EXPECT_EQ(melody::ParseRtx("a:b:c:d", earlier).problem, melody::RtxProblem::NotRtx);
    const melody::RtxReading empty = melody::ParseRtx("E:d=2:  ", earlier);
    EXPECT_EQ(empty.problem, melody::RtxProblem::NoMelody);
    EXPECT_EQ(empty.melody.name, "E");
    EXPECT_EQ(empty.melody.settings.duration, "2");
}

// The C library's answer, one position at a time.
bool ReferenceNonZero(const std::string& text, std::size_t pos) {
    return std::strtol(text.c_str() + pos, nullptr, 10) != 0;
}

TEST(RtxText, RestValueAgreesWithTheCLibraryAtEveryPosition) {
    const std::string alphabet = " \t+-0019c.\xB1\xE0";
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const std::size_t length = random() % 14;
        for (std::size_t i = 0; i < length; ++i)
            text += alphabet[random() % alphabet.size()];
        text += round % 2 == 0 ? "" : "99999999999999999999999";
        melody::RestValue rest(text);
        for (std::size_t pos = 0; pos <= text.size(); ++pos)
            ASSERT_EQ(rest.NonZeroFrom(pos), ReferenceNonZero(text, pos))
                << "text '" << text << "' position " << pos;
    }
}

TEST(RtxText, DecimalValueSaturatesAtThirtyTwoBits) {
    EXPECT_EQ(melody::DecimalValue(""), 0);
    EXPECT_EQ(melody::DecimalValue("  +17x"), 17);
    EXPECT_EQ(melody::DecimalValue("\v\f-0"), 0);
    EXPECT_EQ(melody::DecimalValue("- 5"), 0);
    EXPECT_EQ(melody::DecimalValue("2147483647"), INT32_MAX);
    EXPECT_EQ(melody::DecimalValue("2147483648"), INT32_MAX);
    EXPECT_EQ(melody::DecimalValue("-2147483648"), INT32_MIN);
    EXPECT_EQ(melody::DecimalValue("-2147483647"), -2147483647);
    EXPECT_EQ(melody::DecimalValue("-000000000000000000000000000003"), -3);
    EXPECT_EQ(melody::DecimalValue(std::string(5000, '9')), INT32_MAX);
    EXPECT_EQ(melody::DecimalValue("\xA0"
                                   "5"),
              0); // 0xA0 is no white space here
}

TEST(RtxText, CleanSection) {
    EXPECT_EQ(melody::CleanSection("  a b  "), "a b");
    EXPECT_EQ(melody::CleanSection(" a \r\n "), "a ");
    EXPECT_EQ(melody::CleanSection("\ta\r\nb\n\r"), "\tab");
    EXPECT_EQ(melody::CleanSection("    "), "");
    EXPECT_EQ(melody::CleanSection(""), "");
}

} // namespace
