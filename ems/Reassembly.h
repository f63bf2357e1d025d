#pragma once
// Messages put back together from their parts. A part without a
// concatenation element is a message of its own; the parts of a message
// in several are found by sender, reference and count, in whatever order
// and from whatever inputs they were read, and joined in the order of
// their numbers. A copy of a part read again is passed over. Values in,
// values out; a sort of the parts of messages in several is the only
// step that is not linear.

#include "ems/MessageLines.h"

#include <string>
#include <vector>

namespace ems {

struct Message {
    std::uint32_t input = 0; // of its first part read
    std::uint32_t line = 0;
    std::uint32_t origin = 0; // in the reading's origins
    unsigned parts = 1;
    std::vector<Element> elements; // of every part, in order
    // Nonempty when the message cannot be put together: a part missing,
    // or one read twice with other data. It then has no elements.
    std::string problem;
};

// The messages of a reading, in the order their first parts were read (its
// parts are moved out). The parts of a message in several share carrier and
// number, not their time stamps. shownNames: the names of the inputs as the
// problems name them.
std::vector<Message> Reassemble(Reading& reading, const std::vector<std::string>& shownNames);

} // namespace ems
