#pragma once
// iMelody 1.2 text as the writers make it, and the EMS user-data header that
// carries it as one User Defined Sound element (3GPP TS 23.040).

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace melody::imelody {

// The lines around the melody, written with the header option.
inline constexpr std::string_view kHeaderLines =
    "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\n";
inline constexpr std::string_view kEndLine = "END:IMELODY\r\n";
// "BEAT:" and the beat in decimal, a line of its own (target 2 only).
inline constexpr std::string_view kBeatField = "BEAT:";
// "MELODY:" and the body: the notes, one after the other.
inline constexpr std::string_view kMelodyField = "MELODY:";
inline constexpr std::string_view kLineEnd = "\r\n";

// The beat of a melody without a BEAT line.
inline constexpr std::int32_t kDefaultBeat = 120;
// A note without octave prefix ("*" and the octave) is in this octave.
inline constexpr char kOctaveMark = '*';
inline constexpr std::int64_t kDefaultOctave = 4;

// A note is appended only while the body stays shorter than this, so that
// the melody keeps within 128 bytes.
constexpr std::size_t BodyLimit(int target, bool header) {
    if (target == 1)
        return header ? 57 : 116;
    return header ? 49 : 108;
}

// The EMS header: its length, the element identifier, the element's length,
// the position of the sound in the text (before the first character), then
// the characters with bit 7 cleared. Every length is one octet, so a text
// may hold kMaxEmsText characters at most (every writer's text does).
inline constexpr unsigned kUserDefinedSound = 0x0C;
inline constexpr unsigned kSoundPosition = 0x00;
inline constexpr std::size_t kMaxEmsText = 252;

} // namespace melody::imelody
