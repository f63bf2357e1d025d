#pragma once
// The melody core as values and functions: an RTX text becomes a Melody
// (its name, the settings in effect and the note list, whose notes come out
// resolved), a Melody becomes the iMelody text of a target handset group,
// and an iMelody text becomes its EMS user-data header in hexadecimal.
// Texts in, texts out: no file, no user, no state.

#include "melody/RtxNote.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace melody {

// The settings in effect: the duration and octave of a note that states
// none, the beat and the style, each as the RTX file wrote it. A batch
// starts from these and carries over whatever a file states.
struct RtxSettings {
    std::string octave = "5";   // key "o"
    std::string duration = "4"; // key "d"
    std::int32_t beat = 120;    // key "b", by the C library's decimal rule
    std::string style = "N";    // key "s"; no writer uses it
};

struct Melody {
    std::string name;     // the name section, cleaned
    RtxSettings settings; // those in effect for the notes
    std::string notes;    // the cleaned note list: items joined by ","

    // The notes, one at a time, resolved with the settings' defaults.
    NoteWalk Notes() const { return NoteWalk(notes, settings.duration, settings.octave); }
};

enum class RtxProblem {
    None,
    NotRtx,   // not exactly two ":" in the text
    NoMelody, // the note section is empty once cleaned
};

struct RtxReading {
    RtxProblem problem = RtxProblem::None;
    // The name and the settings are set unless the text is NotRtx; the
    // notes unless there is any problem.
    Melody melody;
};

// Reads the whole text of an RTX file: name ":" settings ":" notes. The
// settings are those in effect before the file; the melody has them with
// what the file states applied (a later item for a key wins, unknown keys
// are ignored).
RtxReading ParseRtx(std::string_view text, RtxSettings settings);

// The iMelody text of a melody for a target handset group, and what the
// writing found.
struct ImelodyText {
    std::string text;
    bool truncated = false;      // notes were dropped to keep the body within its limit
    bool usesLowOctave = false;  // target 1: a note with the octave text "3"
    bool usesHighOctave = false; // target 1: a note with the octave text "6"

    // Target 1 cannot keep a melody that reaches both octave 3 and octave 6;
    // the text then stops before the body.
    bool OutOfRange() const { return usesLowOctave && usesHighOctave; }
};

// Target 1 keeps a running octave, writes whole, half and dotted notes as
// iMelody durations and shifts a melody that reaches up to octave 6 down by
// one; target 2 prefixes every note off the middle octave and writes whole,
// half and dotted notes as runs of shorter notes. header: the BEGIN,
// VERSION, FORMAT and END lines.
ImelodyText WriteImelody(const Melody& melody, int target, bool header);
// The texts of both targets (first target 1), as the two calls above give
// them, the notes resolved once for both.
std::pair<ImelodyText, ImelodyText> WriteImelodyBoth(const Melody& melody, bool header);

// The EMS user-data header carrying the text as one User Defined Sound
// element, in upper-case hexadecimal digits. The text must be at most
// imelody::kMaxEmsText characters (every writer's is).
std::string EncodeEmsHex(std::string_view imelody);

} // namespace melody
