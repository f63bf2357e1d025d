// The two iMelody writers: target 1 keeps a running octave, whole, half and
// dotted notes as iMelody durations and shifts a melody that reaches up to
// RTX octave 6 down by one; target 2 prefixes every note off the middle
// octave and writes whole, half and dotted notes as runs of shorter notes.

#include "melody/MelodyConverter.h"
#include "melody/NoteScan.h"
#include "melody/RtxText.h"

#include <string_view>

using melody::NoteScan;

struct CMelodyConverter::NoteDefaults {
    std::string_view duration;
    std::string_view octave;
    std::int32_t octaveValue; // decimal value of octave, worked out once per writing
};

namespace {

constexpr std::string_view kHeaderLines = "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\n";
constexpr std::string_view kEndLine = "END:IMELODY\r\n";
constexpr std::string_view kMelodyLine = "MELODY:";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kLongestBeatLine = "BEAT:-2147483648\r\n";
constexpr std::string_view kOctavePrefixAdded = "*4";
constexpr std::string_view kRangeMessage =
    "The melody is in a range that cannot be converted accurately in the EMS standard.";

// A note is appended only while the body stays shorter than this.
constexpr std::size_t BodyLimit(int target, bool header) {
    if (target == 1)
        return header ? 57 : 116;
    return header ? 49 : 108;
}

// The longest text a writer can return: the body is below its limit, the
// octave shift adds at most one prefix, and the beat is a 32-bit number.
constexpr std::size_t LongestText(int target, bool header) {
    const std::size_t body =
        BodyLimit(target, header) - 1 + (target == 1 ? kOctavePrefixAdded.size() : 0);
    return (header ? kHeaderLines.size() + kEndLine.size() : 0) +
           (target == 2 ? kLongestBeatLine.size() : 0) + kMelodyLine.size() + body +
           kLineEnd.size();
}

static_assert(LongestText(1, true) <= CMelodyConverter::kMaxEmsText &&
                  LongestText(1, false) <= CMelodyConverter::kMaxEmsText &&
                  LongestText(2, true) <= CMelodyConverter::kMaxEmsText &&
                  LongestText(2, false) <= CMelodyConverter::kMaxEmsText,
              "every iMelody text must fit the one-octet lengths of the EMS header");

// Target 1: the iMelody duration code of an RTX duration ("" for any other).
std::string_view DurationCode1(std::string_view duration) {
    if (duration == "1")
        return "0";
    if (duration == "2")
        return "1";
    if (duration == "4")
        return "2";
    if (duration == "8")
        return "3";
    if (duration == "16")
        return "4";
    if (duration == "32")
        return "5";
    return {};
}

// Target 2: the duration code of each copy of the note, one character per
// copy; dotted notes get the extra copies after them. nullptr: one copy
// without a duration code.
const char* CopyCodes2(std::string_view duration, bool dotted) {
    if (duration == "1")
        return dotted ? "222222" : "2222";
    if (duration == "2")
        return dotted ? "222" : "22";
    if (duration == "4")
        return dotted ? "23" : "2";
    if (duration == "8")
        return dotted ? "34" : "3";
    if (duration == "16")
        return dotted ? "45" : "4";
    if (duration == "32")
        return "5";
    return nullptr;
}

// The letters of the note, a lone "p" written as the rest "r".
void AppendLetterText(std::string_view pitch, std::string& out) {
    const std::size_t start = out.size();
    melody::AppendLetters(pitch, out);
    if (out.size() - start == 1 && out[start] == 'p')
        out[start] = 'r';
}

// Every "*" + from in the body becomes "*" + to, left to right.
void ReplacePrefix(std::string& body, char from, char to) {
    const char pattern[] = {'*', from};
    const std::string_view find(pattern, 2);
    for (std::size_t pos = body.find(find); pos != std::string::npos;
         pos = body.find(find, pos + 2))
        body[pos + 1] = to;
}

} // namespace

CMelodyConverter::NoteDefaults CMelodyConverter::Defaults() const {
    return {m_strDuration, m_strOctave, melody::DecimalValue(m_strOctave)};
}

void CMelodyConverter::AppendNote1(std::string_view item, std::int64_t& runningOctave,
                                   const NoteDefaults& defaults, std::string& out) {
    const NoteScan scan = melody::ScanRtxNote(item);
    if (scan.rejected)
        return;
    const std::string_view octave = scan.octave.empty() ? defaults.octave : scan.octave;
    const std::int64_t value =
        scan.octave.empty() ? defaults.octaveValue : melody::DecimalValue(scan.octave);
    if (value != runningOctave + 1) {
        out += '*';
        melody::AppendDecimal(out, value - 1);
        runningOctave = value - 1;
    }
    if (scan.sharp)
        out += '#';
    AppendLetterText(scan.pitch, out);
    out += DurationCode1(scan.duration.empty() ? defaults.duration : scan.duration);
    if (scan.dotted)
        out += '.';
    if (octave == "6")
        m_bUsesHighOctave = true;
    if (octave == "3")
        m_bUsesLowOctave = true;
}

void CMelodyConverter::AppendNote2(std::string_view item, const NoteDefaults& defaults,
                                   std::string& out) {
    const NoteScan scan = melody::ScanRtxNote(item);
    if (scan.rejected)
        return;
    const std::int64_t value =
        scan.octave.empty() ? defaults.octaveValue : melody::DecimalValue(scan.octave);
    std::string copy;
    if (value - 1 != 4) {
        copy += '*';
        melody::AppendDecimal(copy, value - 1);
    }
    if (scan.sharp)
        copy += '#';
    AppendLetterText(scan.pitch, copy);
    const char* codes =
        CopyCodes2(scan.duration.empty() ? defaults.duration : scan.duration, scan.dotted);
    if (codes == nullptr) {
        out += copy;
        return;
    }
    for (; *codes != '\0'; ++codes) {
        out += copy;
        out += *codes;
    }
}

std::string CMelodyConverter::ConvertNote1(std::string_view item, std::int64_t& runningOctave) {
    std::string out;
    AppendNote1(item, runningOctave, Defaults(), out);
    return out;
}

std::string CMelodyConverter::ConvertNote2(std::string_view item) const {
    std::string out;
    AppendNote2(item, Defaults(), out);
    return out;
}

void CMelodyConverter::WriteImelody1(const std::string& notes, std::string& text) {
    WriteImelody(1, notes, text);
}

void CMelodyConverter::WriteImelody2(const std::string& notes, std::string& text) {
    WriteImelody(2, notes, text);
}

void CMelodyConverter::WriteImelody(int target, const std::string& notes, std::string& text) {
    m_bUsesLowOctave = false;
    m_bUsesHighOctave = false;
    m_bTruncated = false;
    if (m_bIncludeHeader != 0)
        text += kHeaderLines;
    if (target == 2 && m_nBeat != 120) {
        text += "BEAT:";
        melody::AppendDecimal(text, m_nBeat);
        text += kLineEnd;
    }
    text += kMelodyLine;

    const std::size_t limit = BodyLimit(target, m_bIncludeHeader != 0);
    const NoteDefaults defaults = Defaults();
    std::int64_t runningOctave = 4;
    std::string body;
    std::string note;
    melody::CommaItems items(notes);
    std::string_view item;
    while (items.Next(item)) {
        if (m_bTruncated) {
            // Nothing more is appended. Target 2 notes change nothing else;
            // target 1 notes still count for the octave flags, until both are set.
            if (target == 2 || (m_bUsesHighOctave && m_bUsesLowOctave))
                break;
            const NoteScan scan = melody::ScanRtxNote(item);
            if (scan.rejected)
                continue;
            const std::string_view octave = scan.octave.empty() ? defaults.octave : scan.octave;
            m_bUsesHighOctave = m_bUsesHighOctave || octave == "6";
            m_bUsesLowOctave = m_bUsesLowOctave || octave == "3";
            continue;
        }
        note.clear();
        if (target == 1)
            AppendNote1(item, runningOctave, defaults, note);
        else
            AppendNote2(item, defaults, note);
        if (body.size() + note.size() < limit)
            body += note;
        else
            m_bTruncated = true;
    }

    if (target == 1 && m_bUsesHighOctave) {
        if (m_bUsesLowOctave)
            throw CEMSError(std::string(kRangeMessage));
        ShiftOctavesDown(body);
    }
    text += body;
    text += kLineEnd;
    if (m_bIncludeHeader != 0)
        text += kEndLine;
}

void CMelodyConverter::ShiftOctavesDown(std::string& body) {
    // An empty body has no notes to move (and no first character to look at).
    if (body.empty())
        return;
    if ((static_cast<unsigned char>(body[0]) & 0x7F) != '*')
        body.insert(0, kOctavePrefixAdded);
    // In this order, so that a prefix lowered once is not lowered again.
    ReplacePrefix(body, '4', '3');
    ReplacePrefix(body, '5', '4');
    ReplacePrefix(body, '6', '5');
}
