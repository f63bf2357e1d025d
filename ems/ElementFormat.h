#pragma once
// The information elements of a user-data header that EMS messages carry
// (3GPP TS 23.040): their identifiers, the sizes of their data, and the
// names of the predefined sounds and animations.

#include "platform/Ascii.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace ems::element {

// A message in several parts: reference, count of parts, number of this
// part (from 1); the reference is one octet or two.
inline constexpr unsigned kConcatenation8 = 0x00;
inline constexpr unsigned kConcatenation16 = 0x08;
inline constexpr std::size_t kConcatenation8Octets = 3;
inline constexpr std::size_t kConcatenation16Octets = 4;

// Every element below starts with the position of its object in the text.
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

// Elements that carry nothing to show or play: special message
// indication, application ports, service-centre control, the header's
// source, text formatting, the prompt and object distribution indicators,
// RFC 822 headers, hyperlinks, reply address, language shifts.
inline constexpr unsigned kWithoutObject[] = {0x01, 0x04, 0x05, 0x06, 0x07, 0x0A, 0x13,
                                              0x17, 0x20, 0x21, 0x22, 0x24, 0x25};

inline constexpr std::string_view kPredefinedSoundNames[] = {
    "Chimes high", "Chimes low", "Ding", "TaDa", "Notify",
    "Drum",        "Claps",      "FanFar", "Chord high", "Chord low"};
inline constexpr std::string_view kPredefinedAnimationNames[] = {
    "I am ironic, flirty", "I am glad",     "I am sceptic",       "I am sad",
    "WOW!",                "I am crying",   "I am winking",       "I am laughing",
    "I am indifferent",    "In love, kissing", "I am confused",   "Tongue hanging out",
    "I am angry",          "Wearing glasses",  "Devil"};

// An identifier as the report shows it: "0x0C".
inline std::string IdText(unsigned id) {
    std::string text = "0x";
    platform::AppendHexOctet(text, id);
    return text;
}

} // namespace ems::element
