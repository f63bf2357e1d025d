// Taking note items apart: one walk over each item, the duration and the
// octave left as views into it.

#include "melody/RtxNote.h"

#include "melody/internal/RtxText.h"
#include "melody/internal/Steps.h"

namespace melody {
namespace {

enum class PitchClass { Dot, Sharp, Letter, Other };

PitchClass Classify(char c) {
    // By the 7-bit value of the lower-cased byte.
    const char low = static_cast<char>(static_cast<unsigned char>(LowerAscii(c)) & 0x7F);
    if (low == '.')
        return PitchClass::Dot;
    if (low == '#')
        return PitchClass::Sharp;
    if ((low >= 'a' && low <= 'h') || low == 'p' || low == 'r')
        return PitchClass::Letter;
    return PitchClass::Other;
}

// The decimal value of an octave text: digits alone in every usual note,
// added up at once; any other text by the general rule.
std::int32_t OctaveValue(std::string_view text) {
    if (text.size() > 9)
        return DecimalValue(text);
    std::int32_t value = 0;
    for (const char c : text) {
        if (!IsAsciiDigit(c))
            return DecimalValue(text);
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

void ResolveNote(std::string_view item, std::string_view defaultDuration,
                 std::string_view defaultOctave, std::int32_t octaveValue, RtxNote& note) {
    note.letterText.clear();
    note.sharp = false;
    note.dotted = false;
    note.rejected = false;
    RestValue rest(item);
    const std::size_t n = item.size();
    // Duration: every character while the rest reads as a nonzero number.
    std::size_t i = rest.ZeroFrom(0);
    note.durationText = i > 0 ? item.substr(0, i) : defaultDuration;

    // Pitch characters, while the rest reads as 0.
    for (; i < n && !rest.NonZeroFrom(i); ++i) {
        switch (Classify(item[i])) {
        case PitchClass::Dot:
            note.dotted = true;
            break;
        case PitchClass::Sharp:
            note.sharp = true;
            break;
        case PitchClass::Letter:
            note.letterText += LowerAscii(item[i]);
            break;
        case PitchClass::Other:
            note.rejected = true;
            note.octaveText = defaultOctave;
            note.octaveValue = octaveValue;
            return;
        }
    }

    // Octave: the characters while the rest is nonzero; whatever follows is ignored.
    const std::size_t octaveBegin = i;
    i = rest.ZeroFrom(i);
    if (i > octaveBegin) {
        note.octaveText = item.substr(octaveBegin, i - octaveBegin);
        note.octaveValue = OctaveValue(note.octaveText);
    } else {
        note.octaveText = defaultOctave;
        note.octaveValue = octaveValue;
    }
}

RtxNote ResolveNote(std::string_view item, std::string_view defaultDuration,
                    std::string_view defaultOctave) {
    RtxNote note;
    ResolveNote(item, defaultDuration, defaultOctave, DecimalValue(defaultOctave), note);
    return note;
}

NoteWalk::NoteWalk(std::string_view notes, std::string_view defaultDuration,
                   std::string_view defaultOctave)
    : m_rest(notes), m_duration(defaultDuration), m_octave(defaultOctave),
      m_octaveValue(DecimalValue(defaultOctave)) {}

bool NoteWalk::Next(RtxNote& note) {
    if (m_done)
        return false;
    std::string_view item = m_rest;
    const std::size_t comma = m_rest.find(',');
    if (comma == std::string_view::npos) {
        m_done = true;
    } else {
        item = m_rest.substr(0, comma);
        m_rest.remove_prefix(comma + 1);
    }
    ResolveNote(item, m_duration, m_octave, m_octaveValue, note);
    return true;
}

} // namespace melody
