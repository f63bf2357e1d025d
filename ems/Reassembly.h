#pragma once
// Messages put back together from their parts. A part without a
// concatenation element is a message of its own; the parts of a message
// in several are found by sender, reference and count, in whatever order
// and from whatever inputs they were read, and joined in the order of
// their numbers. A copy of a part read again is passed over. Values in,
// values out; linear in the parts.

#include "ems/MessageLines.h"

#include <string>
#include <vector>

namespace ems {

struct Message {
    std::size_t input = 0;  // of its first part read
    std::string where;      // of its first part read
    std::string sender;
    std::string timeStamp;
    unsigned parts = 1;
    std::vector<Element> elements; // of every part, in order
    // Nonempty when the message cannot be put together: a part missing,
    // or one read twice with other data. It then has no elements.
    std::string problem;
};

// The messages, in the order their first parts were read.
std::vector<Message> Reassemble(std::vector<Part> parts);

} // namespace ems
