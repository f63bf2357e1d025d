#pragma once
// The information elements of a user-data header that EMS messages carry
// (3GPP TS 23.040) as the decoder reports them: their identifiers and sizes
// (from sms/UserDataHeader.h) and the names of the predefined sounds and
// animations.

#include "sms/UserDataHeader.h"

#include <string_view>

namespace ems::element {

// The identifiers and sizes themselves: sms/UserDataHeader.h.
using namespace sms::udh;

inline constexpr std::string_view kPredefinedSoundNames[] = {
    "Chimes high", "Chimes low", "Ding", "TaDa", "Notify",
    "Drum",        "Claps",      "FanFar", "Chord high", "Chord low"};
inline constexpr std::string_view kPredefinedAnimationNames[] = {
    "I am ironic, flirty", "I am glad",     "I am sceptic",       "I am sad",
    "WOW!",                "I am crying",   "I am winking",       "I am laughing",
    "I am indifferent",    "In love, kissing", "I am confused",   "Tongue hanging out",
    "I am angry",          "Wearing glasses",  "Devil"};

} // namespace ems::element
