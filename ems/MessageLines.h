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
#include <cstdint>
#include <map>
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

// What a line held the user data in.
enum class Carrier { UserData, Submit, Deliver };

// Who sent a message or was sent it, and when, as far as its line tells.
struct Origin {
    Carrier carrier = Carrier::UserData;
    std::string number;    // a deliver's originator, a submit's destination
    std::string timeStamp; // a deliver's
    auto operator<=>(const Origin&) const = default;
};

// "SMS-DELIVER from +4912345678", "SMS-SUBMIT to 12345", "user data" (the
// number printable, platform/Ascii.h).
std::string SenderText(const Origin& origin);

// The user data of one short message, and where it was read. Kept small,
// for a file may hold millions: its origin is a number in the run's list.
struct Part {
    std::uint32_t input = 0; // the number of the input file
    std::uint32_t line = 0;  // from 1
    std::uint32_t origin = 0;
    std::optional<Concatenation> concatenation;
    std::vector<Element> elements; // but the concatenation
};

// What the inputs of a run hold: the parts, each origin once, and for each
// line that should hold a part but does not, "NAME:LINE: the reason".
class Reading {
public:
    std::vector<Part> parts;
    std::vector<Origin> origins;
    std::vector<std::string> problems;

    // The number of the origin in the list, added when it is new.
    std::uint32_t OriginNumber(Origin origin);

private:
    std::map<Origin, std::uint32_t> m_numbers;
};

// "NAME:LINE", the name as the reports show it.
std::string PlaceText(const std::vector<std::string>& shownNames, std::size_t input,
                      std::size_t line);

// A longer line holds no message and is refused.
inline constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;

// Adds what the text of input number `input` holds to the reading.
void ReadMessageLines(std::string_view text, std::uint32_t input,
                      const std::vector<std::string>& shownNames, LineForm form, Reading& reading);

} // namespace ems
