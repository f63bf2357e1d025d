// An RTX file's text through the reader, both iMelody writers with the
// header on and off, and the EMS encoding. Beyond "no crash, no undefined
// behaviour", every result is checked against what must always hold:
//   - the reader either returns a clean note list or fails with one of its two messages;
//   - each note item is taken apart exactly as a plain, slow reading of the rule gives;
//   - the writer's text has its fixed lines, and its body is the notes that fit,
//     whole, in order, shorter than the body limit; truncation only when a note was dropped;
//   - the hex text is 2n + 8 upper-case digits: n + 3, 0C, n + 1, 00, then the
//     characters with bit 7 cleared;
//   - the text (and the input itself, read as iMelody) sounds as tones within
//     the playable pitches, times and length, and gives a sample for each
//     moment of them.

#include "fuzz/FuzzCheck.h"

#include "melody/ImelodyFormat.h"
#include "melody/ImelodySound.h"
#include "melody/MelodyConverter.h"
#include "sms/UserDataHeader.h"
#include "support/MelodyWriters.h"
#include "support/RecordingUi.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace melody::imelody;

constexpr std::string_view kPath = "in/tune.txt";
constexpr std::string_view kRangeMessage =
    "The melody is in a range that cannot be converted accurately in the EMS standard.";

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool StartsWith(std::string_view text, std::string_view head) {
    return text.substr(0, head.size()) == head;
}

std::vector<std::string_view> Items(std::string_view list) {
    std::vector<std::string_view> items;
    for (;;) {
        const std::size_t comma = list.find(',');
        items.push_back(list.substr(0, comma));
        if (comma == std::string_view::npos)
            return items;
        list.remove_prefix(comma + 1);
    }
}

// ---- The note rule read literally: the "value of the rest" worked out from
// scratch at every position (slow, but obviously right).

bool CSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool RestIsNonZero(std::string_view item, std::size_t pos) {
    while (pos < item.size() && CSpace(item[pos]))
        ++pos;
    if (pos < item.size() && (item[pos] == '+' || item[pos] == '-'))
        ++pos;
    for (; pos < item.size() && item[pos] >= '0' && item[pos] <= '9'; ++pos)
        if (item[pos] != '0')
            return true;
    return false;
}

struct SlowNote {
    std::string durationText, letterText, octaveText;
    bool sharp = false, dotted = false, rejected = false;
};

SlowNote SlowParse(std::string_view raw, const std::string& duration, const std::string& octave) {
    std::string item(raw);
    for (char& c : item)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    SlowNote note;
    std::size_t pos = 0;
    while (pos < item.size() && RestIsNonZero(item, pos))
        note.durationText += item[pos++];
    while (pos < item.size() && !RestIsNonZero(item, pos)) {
        const char c = item[pos];
        const char low = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
        if (low == '.')
            note.dotted = true;
        else if (low == '#')
            note.sharp = true;
        else if ((low >= 'a' && low <= 'h') || low == 'p' || low == 'r')
            note.letterText += c;
        else {
            note.rejected = true;
            break;
        }
        ++pos;
    }
    if (!note.rejected)
        while (pos < item.size() && RestIsNonZero(item, pos))
            note.octaveText += item[pos++];
    if (note.octaveText.empty())
        note.octaveText = octave;
    if (note.durationText.empty())
        note.durationText = duration;
    return note;
}

void CheckParse(const CMelodyConverter& converter, std::string_view item) {
    const RtxNote got = converter.ParseRtxNote(item);
    const SlowNote want = SlowParse(item, converter.m_strDuration, converter.m_strOctave);
    FUZZ_CHECK(got.rejected == want.rejected);
    if (got.rejected)
        return; // no other field counts
    FUZZ_CHECK(got.durationText == want.durationText);
    FUZZ_CHECK(got.letterText == want.letterText);
    FUZZ_CHECK(got.sharp == want.sharp);
    FUZZ_CHECK(got.dotted == want.dotted);
    FUZZ_CHECK(got.octaveText == want.octaveText);
}

void CheckHex(std::string_view text) {
    std::string hex;
    CMelodyConverter::EncodeEmsHex(text, hex);
    const std::size_t n = text.size();
    FUZZ_CHECK(hex.size() == 2 * n + 8);
    const auto octet = [&](std::size_t i) {
        const auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
        return digit(hex[2 * i]) * 16 + digit(hex[2 * i + 1]);
    };
    for (const char c : hex)
        FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    FUZZ_CHECK(static_cast<std::size_t>(octet(0)) == n + 3);
    FUZZ_CHECK(octet(1) == static_cast<int>(sms::udh::kUserDefinedSound));
    FUZZ_CHECK(static_cast<std::size_t>(octet(2)) == n + 1);
    FUZZ_CHECK(octet(3) == 0x00);
    for (std::size_t i = 0; i < n; ++i)
        FUZZ_CHECK(octet(4 + i) == (static_cast<unsigned char>(text[i]) & 0x7F));
}

void CheckSound(std::string_view text, melody::OctavePrefix octaves) {
    const std::vector<melody::ImelodyTone> tones = melody::ReadImelodyTones(text, octaves).tones;
    FUZZ_CHECK(tones.size() <= melody::kMaxTones);
    // From a 1/32 note at 900 beats to a double-dotted whole note at 25, from
    // "&c" of octave 0 to "#b" of octave 8.
    const double shortest = 240.0 / kHighestBeat / 32 * 2 / 3, longest = 240.0 / kLowestBeat * 1.75;
    const double lowest = 55 * std::exp2(-10 / 12.0), highest = 14080 * std::exp2(3 / 12.0);
    double seconds = 0;
    for (const melody::ImelodyTone& tone : tones) {
        FUZZ_CHECK(tone.seconds >= shortest * 0.999 && tone.seconds <= longest * 1.001);
        FUZZ_CHECK(tone.frequency == 0 ||
                   (tone.frequency >= lowest * 0.999 && tone.frequency <= highest * 1.001));
        FUZZ_CHECK(tone.volume >= 0 && tone.volume <= kHighestVolume);
        seconds += tone.seconds;
    }
    FUZZ_CHECK(seconds < melody::kMaxRenderSeconds + longest);
    constexpr int kRate = 100; // enough to count the samples, cheap to make
    FUZZ_CHECK(melody::SynthesiseTones(tones, kRate).size() ==
               static_cast<std::size_t>(std::llround(seconds * kRate)));
}

// The body a writer must produce: the note texts in order, each appended
// while the body stays below the limit, nothing after the first that does not
// fit. Worked out with a second converter, so the flags of the first stay its own.
struct ExpectedBody {
    std::string body;
    bool truncated = false;
    bool high = false;
    bool low = false;
};

ExpectedBody Expected(const CMelodyConverter& settings, const std::vector<std::string_view>& items,
                      int target, std::size_t limit) {
    testsupport::RecordingUi ui;
    CMelodyConverter other(ui);
    other.m_strOctave = settings.m_strOctave;
    other.m_strDuration = settings.m_strDuration;
    ExpectedBody expected;
    std::int64_t runningOctave = 4;
    for (const std::string_view item : items) {
        const std::string note =
            target == 1 ? other.ConvertNote1(item, runningOctave) : other.ConvertNote2(item);
        if (!expected.truncated && expected.body.size() + note.size() < limit)
            expected.body += note;
        else
            expected.truncated = true;
        const RtxNote parsed = other.ParseRtxNote(item);
        if (!parsed.rejected) {
            expected.high = expected.high || parsed.octaveText == "6";
            expected.low = expected.low || parsed.octaveText == "3";
        }
    }
    return expected;
}

void CheckWriter(CMelodyConverter& converter, const std::string& notes,
                 const std::vector<std::string_view>& items, int target, bool header) {
    converter.m_bIncludeHeader = header ? 1 : 0;
    const std::size_t limit = BodyLimit(target, header);
    const ExpectedBody expected = Expected(converter, items, target, limit);
    std::string text;
    try {
        testsupport::WriteImelodyFor(converter, target, notes, text);
    } catch (const CEMSError& error) {
        FUZZ_CHECK(target == 1 && expected.high && expected.low);
        FUZZ_CHECK(error.m_strMessage == kRangeMessage);
        return;
    }
    FUZZ_CHECK(!(target == 1 && expected.high && expected.low));
    // Truncated exactly when a note did not fit (and so was dropped).
    FUZZ_CHECK(converter.m_bTruncated == expected.truncated);

    std::string_view rest = text;
    if (header) {
        FUZZ_CHECK(StartsWith(rest, kHeaderLines));
        FUZZ_CHECK(EndsWith(rest, kEndLine));
        rest.remove_prefix(kHeaderLines.size());
        rest.remove_suffix(kEndLine.size());
    }
    if (target == 2 && converter.m_nBeat != kDefaultBeat) {
        const std::string beat =
            std::string(kBeatField) + std::to_string(converter.m_nBeat) + std::string(kLineEnd);
        FUZZ_CHECK(StartsWith(rest, beat));
        rest.remove_prefix(beat.size());
    }
    FUZZ_CHECK(StartsWith(rest, kMelodyField));
    FUZZ_CHECK(EndsWith(rest, kLineEnd));
    rest.remove_prefix(kMelodyField.size());
    rest.remove_suffix(kLineEnd.size());

    // Below the limit; shifting the octaves down may add one "*4" in front.
    const bool shifted = target == 1 && expected.high;
    FUZZ_CHECK(rest.size() < limit + (shifted ? 2 : 0));
    std::string body = expected.body;
    if (shifted)
        CMelodyConverter::ShiftOctavesDown(body);
    FUZZ_CHECK(rest == body);
    FUZZ_CHECK(text.size() <= kMaxEmsText);
    CheckHex(text);
    CheckSound(text, melody::OctavePrefixOf(target));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckSound(input, melody::OctavePrefix::KeptUntilChanged);
    testsupport::RecordingUi ui;
    CMelodyConverter converter(ui);
    converter.m_strCurrentFile = kPath;

    std::string notes;
    try {
        notes = converter.ReadRtx(input);
    } catch (const CEMSError& error) {
        const std::string& message = error.m_strMessage;
        const bool colons = EndsWith(message, " is not a valid RTX formatted file.");
        FUZZ_CHECK(colons || EndsWith(message, " does not have any melody to convert."));
        FUZZ_CHECK(StartsWith(message, kPath));
        std::size_t count = 0;
        for (const char c : input)
            count += c == ':' ? 1 : 0;
        FUZZ_CHECK(colons == (count != 2));
        return 0;
    }
    FUZZ_CHECK(!notes.empty());
    FUZZ_CHECK(notes.find_first_of(":\r\n") == std::string::npos);

    const std::vector<std::string_view> items = Items(notes);
    for (const std::string_view item : items)
        CheckParse(converter, item);
    for (const int target : {1, 2})
        for (const bool header : {true, false})
            CheckWriter(converter, notes, items, target, header);
    CheckHex(input.substr(0, kMaxEmsText));
    return 0;
}
