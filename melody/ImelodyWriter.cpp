// The two iMelody writers: target 1 keeps a running octave, whole, half and
// dotted notes as iMelody durations and shifts a melody that reaches up to
// RTX octave 6 down by one; target 2 prefixes every note off the middle
// octave and writes whole, half and dotted notes as runs of shorter notes.

#include "melody/ImelodyFormat.h"
#include "melody/Melody.h"
#include "melody/internal/RtxText.h"
#include "melody/internal/Steps.h"

namespace melody {
namespace {

using namespace imelody;

constexpr std::string_view kLongestBeatLine = "BEAT:-2147483648\r\n";
constexpr std::string_view kOctavePrefixAdded = "*4";

// The longest text a writer can return: the body is below its limit, the
// octave shift adds at most one prefix, and the beat is a 32-bit number.
constexpr std::size_t LongestText(int target, bool header) {
    const std::size_t body =
        BodyLimit(target, header) - 1 + (target == 1 ? kOctavePrefixAdded.size() : 0);
    return (header ? kHeaderLines.size() + kEndLine.size() : 0) +
           (target == 2 ? kLongestBeatLine.size() : 0) + kMelodyField.size() + body +
           kLineEnd.size();
}

static_assert(LongestText(1, true) <= kMaxEmsText && LongestText(1, false) <= kMaxEmsText &&
                  LongestText(2, true) <= kMaxEmsText && LongestText(2, false) <= kMaxEmsText,
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
void AppendLetters(const RtxNote& note, std::string& out) {
    if (note.letterText == "p")
        out += 'r';
    else
        out += note.letterText;
}

void AppendOctavePrefix(std::int64_t octave, std::string& out) {
    out += kOctaveMark;
    AppendDecimal(out, octave);
}

void CountOctave(const RtxNote& note, OctavesUsed& used) {
    if (note.octaveText == "6")
        used.high = true;
    if (note.octaveText == "3")
        used.low = true;
}

// Every "*" + from in the body becomes "*" + to, left to right.
void ReplacePrefix(std::string& body, char from, char to) {
    const char pattern[] = {kOctaveMark, from};
    const std::string_view find(pattern, 2);
    for (std::size_t pos = body.find(find); pos != std::string::npos;
         pos = body.find(find, pos + 2))
        body[pos + 1] = to;
}

} // namespace

void AppendNote1(const RtxNote& note, std::int64_t& runningOctave, std::string& out,
                 OctavesUsed& used) {
    if (note.rejected)
        return;
    const std::int64_t octave = note.octaveValue;
    if (octave != runningOctave + 1) {
        AppendOctavePrefix(octave - 1, out);
        runningOctave = octave - 1;
    }
    if (note.sharp)
        out += '#';
    AppendLetters(note, out);
    out += DurationCode1(note.durationText);
    if (note.dotted)
        out += '.';
    CountOctave(note, used);
}

void AppendNote2(const RtxNote& note, std::string& out) {
    if (note.rejected)
        return;
    std::string copy;
    const std::int64_t octave = std::int64_t{note.octaveValue} - 1;
    if (octave != kDefaultOctave)
        AppendOctavePrefix(octave, copy);
    if (note.sharp)
        copy += '#';
    AppendLetters(note, copy);
    const char* codes = CopyCodes2(note.durationText, note.dotted);
    if (codes == nullptr) {
        out += copy;
        return;
    }
    for (; *codes != '\0'; ++codes) {
        out += copy;
        out += *codes;
    }
}

void ShiftOctavesDown(std::string& body) {
    // An empty body has no notes to move (and no first character to look at).
    if (body.empty())
        return;
    if ((static_cast<unsigned char>(body[0]) & 0x7F) != kOctaveMark)
        body.insert(0, kOctavePrefixAdded);
    // In this order, so that a prefix lowered once is not lowered again.
    ReplacePrefix(body, '4', '3');
    ReplacePrefix(body, '5', '4');
    ReplacePrefix(body, '6', '5');
}

namespace {

// One target's text, written note by note.
class TargetWriter {
public:
    TargetWriter(const Melody& melody, int target, bool header)
        : m_target(target), m_header(header), m_limit(BodyLimit(target, header)) {
        std::string& text = m_result.text;
        text.reserve(LongestText(target, header));
        if (header)
            text += kHeaderLines;
        if (target == 2 && melody.settings.beat != kDefaultBeat) {
            text += kBeatField;
            AppendDecimal(text, melody.settings.beat);
            text += kLineEnd;
        }
        text += kMelodyField;
        m_body.reserve(m_limit + kOctavePrefixAdded.size());
    }

    // Takes the next note; false once no further note can change the text
    // or the flags.
    bool Take(const RtxNote& rtx) {
        if (m_result.truncated) {
            // Nothing more is appended. Target 2 notes change nothing else;
            // target 1 notes still count for the octave flags, until both are set.
            if (m_target == 2 || (m_used.high && m_used.low))
                return false;
            if (!rtx.rejected)
                CountOctave(rtx, m_used);
            return true;
        }
        m_note.clear();
        if (m_target == 1)
            AppendNote1(rtx, m_runningOctave, m_note, m_used);
        else
            AppendNote2(rtx, m_note);
        if (m_body.size() + m_note.size() < m_limit)
            m_body += m_note;
        else
            m_result.truncated = true;
        return true;
    }

    ImelodyText Finish() {
        m_result.usesLowOctave = m_used.low;
        m_result.usesHighOctave = m_used.high;
        if (m_target == 1 && m_used.high) {
            if (m_used.low)
                return std::move(m_result); // out of range: the text stops before the body
            ShiftOctavesDown(m_body);
        }
        std::string& text = m_result.text;
        text += m_body;
        text += kLineEnd;
        if (m_header)
            text += kEndLine;
        return std::move(m_result);
    }

private:
    int m_target;
    bool m_header;
    std::size_t m_limit;
    ImelodyText m_result;
    std::int64_t m_runningOctave = kDefaultOctave;
    OctavesUsed m_used;
    std::string m_body;
    std::string m_note;
};

} // namespace

ImelodyText WriteImelody(const Melody& melody, int target, bool header) {
    TargetWriter writer(melody, target, header);
    RtxNote note;
    for (NoteWalk walk = melody.Notes(); walk.Next(note) && writer.Take(note);) {
    }
    return writer.Finish();
}

std::pair<ImelodyText, ImelodyText> WriteImelodyBoth(const Melody& melody, bool header) {
    TargetWriter one(melody, 1, header);
    TargetWriter two(melody, 2, header);
    bool wantOne = true;
    bool wantTwo = true;
    RtxNote note;
    for (NoteWalk walk = melody.Notes(); (wantOne || wantTwo) && walk.Next(note);) {
        wantOne = wantOne && one.Take(note);
        wantTwo = wantTwo && two.Take(note);
    }
    return {one.Finish(), two.Finish()};
}

} // namespace melody
