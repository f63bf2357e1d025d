#pragma once
// The user-data header of a short message (3GPP TS 23.040) in one place:
// the identifiers of the information elements EMS messages carry and the
// sizes of their data, a builder of header octets as hexadecimal text (at
// compile time too, so that the texts the writers hold are checked against
// these facts), and the reading of a header back into its elements. Every
// length is checked against the octets that are there. Octets in, values
// out.

#include "platform/Ascii.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sms::udh {

// A message in several parts: reference, count of parts, number of this
// part (from 1); the reference is one octet or two.
inline constexpr unsigned kConcatenation8 = 0x00;
inline constexpr unsigned kConcatenation16 = 0x08;
inline constexpr std::size_t kConcatenation8Octets = 3;
inline constexpr std::size_t kConcatenation16Octets = 4;

// Every object element starts with the position of its object in the text.
inline constexpr std::size_t kPositionOctets = 1;
inline constexpr unsigned kPredefinedSound = 0x0B;     // position, sound number
inline constexpr unsigned kUserDefinedSound = 0x0C;    // position, iMelody text
inline constexpr unsigned kPredefinedAnimation = 0x0D; // position, animation number
inline constexpr unsigned kLargeAnimation = 0x0E;      // position, 4 frames of 16x16
inline constexpr unsigned kSmallAnimation = 0x0F;      // position, 4 frames of 8x8
inline constexpr unsigned kLargePicture = 0x10;        // position, 32x32
inline constexpr unsigned kSmallPicture = 0x11;        // position, 16x16
inline constexpr unsigned kVariablePicture = 0x12;     // position, width in octets, height, rows
inline constexpr std::size_t kNumberedOctets = 2;      // a predefined sound or animation
inline constexpr std::size_t kLargePictureOctets = 1 + 32 * 32 / 8;
inline constexpr std::size_t kSmallPictureOctets = 1 + 16 * 16 / 8;
inline constexpr std::size_t kLargeAnimationOctets = 1 + 4 * 16 * 16 / 8;
inline constexpr std::size_t kSmallAnimationOctets = 1 + 4 * 8 * 8 / 8;
inline constexpr std::size_t kVariablePictureHead = 3;

// The count of the objects after it that belong together: pictures put
// side by side.
inline constexpr unsigned kUserPromptIndicator = 0x13;
// How the objects after it may be passed on: the count of elements it
// covers, then its attributes.
inline constexpr unsigned kObjectDistributionIndicator = 0x17;

// Elements that carry nothing to show or play: special message
// indication, application ports, service-centre control, the header's
// source, text formatting, the prompt and object distribution indicators,
// RFC 822 headers, hyperlinks, reply address, language shifts.
inline constexpr unsigned kWithoutObject[] = {0x01, 0x04, 0x05, 0x06, 0x07, 0x0A, 0x13,
                                              0x17, 0x20, 0x21, 0x22, 0x24, 0x25};

// Octets as upper-case hexadecimal digits, two to an octet:
// Hex(0x12, 0x73) holds "1273". Usable at compile time.
template <std::size_t N> struct HexText {
    std::array<char, 2 * N> digits{};
    constexpr std::string_view View() const { return {digits.data(), digits.size()}; }
};
template <typename... Octet> constexpr HexText<sizeof...(Octet)> Hex(Octet... octets) {
    HexText<sizeof...(Octet)> text;
    std::size_t at = 0;
    for (const unsigned octet : {static_cast<unsigned>(octets)...}) {
        text.digits[at++] = platform::kUpperHexDigits[(octet >> 4) & 0xF];
        text.digits[at++] = platform::kUpperHexDigits[octet & 0xF];
    }
    return text;
}

// An identifier as a report shows it: "0x0C".
inline std::string IdText(unsigned id) {
    std::string text = "0x";
    platform::AppendHexOctet(text, id);
    return text;
}

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

} // namespace sms::udh
