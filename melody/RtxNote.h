#pragma once
// One note item of an RTX note list, taken apart.

#include <string>

struct RtxNote {
    std::string durationText; // duration as written, or the default duration
    std::string letterText;   // every note letter gathered, in order (may be empty or several)
    bool sharp = false;       // a "#" was present
    bool dotted = false;      // a "." was present in the pitch part
    std::string octaveText;   // octave as written, or the default octave
    bool rejected = false;    // an unknown character was met: the note converts to nothing
};
