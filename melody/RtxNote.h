#pragma once
// The note model: one note item of an RTX note list taken apart, with the
// melody's default duration and octave for the parts it lacks. What the
// reader resolves is what the writers (and any other consumer) take.

#include <cstdint>
#include <string>
#include <string_view>

struct RtxNote {
    // The texts view the note item or the defaults: a note lives no longer
    // than its note list and the settings it was resolved with.
    std::string_view durationText; // duration as written, or the default duration
    std::string letterText;        // every note letter gathered, in order (may be empty or several)
    bool sharp = false;            // a "#" was present
    bool dotted = false;           // a "." was present in the pitch part
    std::string_view octaveText;   // octave as written, or the default octave
    bool rejected = false;         // an unknown character was met: the note converts to nothing
    std::int32_t octaveValue = 0;  // the decimal value of octaveText (saturated at 32 bits)
};

namespace melody {

// The notes of a note list from the left: each text before a "," is an
// item, the text after the last "," the last one (an empty list is one
// empty item). Items are taken as they are, not trimmed.
class NoteWalk {
public:
    NoteWalk(std::string_view notes, std::string_view defaultDuration,
             std::string_view defaultOctave);

    // Resolves the next item into note (whose letter text is reused); false
    // when every item was taken. Other fields than rejected do not count
    // for a rejected note.
    bool Next(RtxNote& note);

private:
    std::string_view m_rest;
    bool m_done = false;
    std::string_view m_duration;
    std::string_view m_octave;
    std::int32_t m_octaveValue; // worked out once for the whole list
};

} // namespace melody
