#pragma once
// The steps of the RTX reader and the iMelody writers, one function each,
// for CMelodyConverter's step members (and through them the tests). Not part
// of the melody core's interface, which is melody/Melody.h.

#include "melody/Melody.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace melody {

// ---- Reader (RtxReader.cpp) ----

// Applies one settings item: the key, compared after lowering A to Z, is
// "d", "b", "s" or "o"; any other key changes nothing. The value is stored
// as written ("b" as its decimal value).
void ApplyDefault(RtxSettings& settings, std::string_view key, std::string_view value);
// Applies every item of a settings section, cleaned first, from the left:
// each is key "=" value, an item without "=" changes nothing.
void ApplyDefaults(std::string_view section, RtxSettings& settings);

// ---- Notes (RtxNote.cpp) ----

// Takes one note item apart: the duration while the rest of the item reads
// as a nonzero number, then the pitch characters ("a" to "h", "p", "r",
// "#", "." by their 7-bit value, upper case as lower case; anything else
// rejects the note), then the octave; the defaults fill in what is missing.
// octaveValue is the decimal value of defaultOctave.
void ResolveNote(std::string_view item, std::string_view defaultDuration,
                 std::string_view defaultOctave, std::int32_t octaveValue, RtxNote& note);
RtxNote ResolveNote(std::string_view item, std::string_view defaultDuration,
                    std::string_view defaultOctave);

// ---- Writers (ImelodyWriter.cpp) ----

// The octaves a target-1 melody reaches, by their RTX texts "3" and "6".
struct OctavesUsed {
    bool low = false;
    bool high = false;
};

// Target 1: the note's iMelody text appended to out, its octave prefix only
// where the running octave changes. A rejected note adds nothing.
void AppendNote1(const RtxNote& note, std::int64_t& runningOctave, std::string& out,
                 OctavesUsed& used);
// Target 2: every note off the middle octave prefixed; whole, half and
// dotted notes as runs of shorter copies.
void AppendNote2(const RtxNote& note, std::string& out);
// Lowers every octave prefix of the body by one, giving the first notes
// their octave first when they have none (an empty body stays empty).
void ShiftOctavesDown(std::string& body);

} // namespace melody
