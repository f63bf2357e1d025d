#pragma once
// A user-data header taken apart (3GPP TS 23.040): its length octet, then
// information elements, each an identifier, a length and that many octets.
// Every length is checked against the octets that are there. Octets in,
// values out.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ems {

struct Element {
    unsigned id = 0;
    std::string data;
    bool operator==(const Element&) const = default;
};

// The part a short message is of a message in several.
struct Concatenation {
    unsigned reference = 0;
    bool wideReference = false; // a 16-bit reference
    unsigned count = 0;         // the message's parts
    unsigned number = 0;        // this one's, from 1
};

struct HeaderReading {
    std::vector<Element> elements; // in order, but for the concatenation
    std::optional<Concatenation> concatenation;
    std::string problem; // nonempty: the header is malformed, and why
};

// The header at the start of userData (the text, if any, follows it).
HeaderReading ReadUserDataHeader(std::string_view userData);

} // namespace ems
