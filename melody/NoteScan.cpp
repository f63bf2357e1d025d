#include "melody/NoteScan.h"

#include "melody/RtxText.h"

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

} // namespace

NoteScan ScanRtxNote(std::string_view item) {
    NoteScan scan;
    RestValue rest(item);
    const std::size_t n = item.size();
    std::size_t i = 0;

    // Duration: every character while the rest reads as a nonzero number.
    while (i < n && rest.NonZeroFrom(i))
        ++i;
    scan.duration = item.substr(0, i);

    // Pitch characters, while the rest reads as 0.
    const std::size_t pitchBegin = i;
    for (; i < n && !rest.NonZeroFrom(i); ++i) {
        switch (Classify(item[i])) {
        case PitchClass::Dot:
            scan.dotted = true;
            break;
        case PitchClass::Sharp:
            scan.sharp = true;
            break;
        case PitchClass::Letter:
            break;
        case PitchClass::Other:
            scan.rejected = true;
            scan.pitch = item.substr(pitchBegin, i - pitchBegin);
            return scan;
        }
    }
    scan.pitch = item.substr(pitchBegin, i - pitchBegin);

    // Octave: the characters while the rest is nonzero; whatever follows is ignored.
    const std::size_t octaveBegin = i;
    while (i < n && rest.NonZeroFrom(i))
        ++i;
    scan.octave = item.substr(octaveBegin, i - octaveBegin);
    return scan;
}

void AppendLetters(std::string_view pitch, std::string& out) {
    for (const char c : pitch) {
        if (Classify(c) == PitchClass::Letter)
            out += LowerAscii(c);
    }
}

} // namespace melody
