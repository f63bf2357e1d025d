#pragma once
// The lines of an input file as the parts of messages. A line holds, in
// hexadecimal digits, an SMS-SUBMIT or SMS-DELIVER PDU with or without the
// service centre's address in front (as --pdu files and handsets keep
// them), or the user data alone (the lines of .hx1, .hx2 and .lgo files;
// a 72x14 .lgo file holds the bare picture data). A modem's listing in
// PDU mode is read too: each "+CMGL: index,stat,[alpha],length" (or
// "+CMGR: stat,[alpha],length") line is followed by its PDU, with the
// service centre's address. Lines of anything else (the modem's echo of
// the command, "OK", blank lines) are passed over. Texts in, values out.

#include "ems/UserDataHeader.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ems {

// What the hexadecimal lines of a file hold, told by its name.
enum class LineForm {
    Pdu,         // any file but these
    UserData,    // NAME.hx1, NAME.hx2
    PictureFile, // a name ending in "lgo": user data, or a 72x14 picture's bare data
};
LineForm LineFormOf(std::string_view name);

// The user data of one short message, and where it was read.
struct Part {
    std::size_t input = 0; // the number of the input file
    std::string where;     // "NAME:LINE"
    // What the line held: "SMS-DELIVER from +4912345678", "SMS-SUBMIT to
    // 12345", "user data" (the number printable, platform/Ascii.h).
    std::string sender;
    std::string timeStamp; // a deliver's
    std::optional<Concatenation> concatenation;
    std::vector<Element> elements; // but the concatenation
};

// A longer line holds no message and is refused.
inline constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;

// Appends the parts that text holds, and for each line that should hold
// one but does not, "NAME:LINE: the reason". shownName is the input's
// name as the reports show it.
void ReadMessageLines(std::string_view text, std::size_t input, std::string_view shownName,
                      LineForm form, std::vector<Part>& parts, std::vector<std::string>& problems);

} // namespace ems
