#pragma once
// What the elements of a message carry, in the forms files hold: each
// iMelody text (User Defined Sound) byte for byte; each picture (small
// 16x16, large 32x32, variable) as cells, the pictures a User Prompt
// Indicator counts put side by side as one when they are as high; the
// predefined sounds and animations and the user-defined animations by
// name; elements that are not known by identifier. Values in, values out.

#include "ems/UserDataHeader.h"
#include "imaging/Image.h"

#include <string>
#include <vector>

namespace ems {

struct Content {
    enum class Kind {
        Melody,  // melody holds the iMelody text
        Picture, // picture holds the cells
        Named,   // known, but nothing is written for it
        Unknown, // an element that was not decoded
    };
    Kind kind = Kind::Named;
    // As the report names it: "iMelody (71 octets)", "picture 72x28 (3
    // pieces)", "predefined sound 3 (TaDa)", "element 0x14 (5 octets, not decoded)".
    std::string description;
    std::string melody;
    imaging::MonoImage picture;
};

struct Contents {
    std::vector<Content> items;
    std::string problem; // an element is malformed, and which: nothing is to be written
};

Contents DecodeElements(const std::vector<Element>& elements);

} // namespace ems
