#pragma once
// The one rule that takes an RTX note item apart, without copying it: the
// duration and octave are views into the item, the pitch characters are the
// span walked between them. ParseRtxNote and both note converters use it.

#include <cstddef>
#include <string>
#include <string_view>

namespace melody {

struct NoteScan {
    std::string_view duration; // as written; empty when the item has none
    std::string_view pitch;    // the pitch characters walked (the rejecting one excluded)
    bool sharp = false;
    bool dotted = false;
    bool rejected = false;
    std::string_view octave; // as written; empty when the item has none
};

// Walks the item once, left to right (upper-case letters count as lower-case ones).
NoteScan ScanRtxNote(std::string_view item);

// Appends the note letters of a pitch span ("a" to "h", "p", "r" by their
// 7-bit value after lower-casing A to Z), each as its lower-cased byte.
void AppendLetters(std::string_view pitch, std::string& out);

} // namespace melody
