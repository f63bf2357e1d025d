#pragma once
// iMelody 1.2 text as the writers make it, as a handset plays it, and the
// EMS user-data header that carries it as one User Defined Sound element
// (3GPP TS 23.040).

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

// ---- Playing a melody (melody/ImelodySound.h) ----

// The other header fields: "STYLE:" S0 (natural), S1 (continuous) or S2
// (staccato); "VOLUME:" as in the melody (below). A handset reads the
// names of the fields in either case.
inline constexpr std::string_view kStyleField = "STYLE:";
inline constexpr std::string_view kNaturalStyle = "S0";
inline constexpr std::string_view kStaccatoStyle = "S2";
inline constexpr std::string_view kVolumeField = "VOLUME:";
// The beat is in quarter notes a minute, from 25 to 900.
inline constexpr std::int32_t kLowestBeat = 25;
inline constexpr std::int32_t kHighestBeat = 900;

// A note: octave prefix (optional), "#" (sharp) or "&" (flat) and a letter,
// duration, specifier (optional). A rest: "r", duration, specifier.
inline constexpr std::string_view kNoteLetters = "cdefgab";
inline constexpr int kLetterSemitones[] = {0, 2, 4, 5, 7, 9, 11}; // above c
inline constexpr int kLetterA = 9;
inline constexpr char kSharp = '#';
inline constexpr char kFlat = '&';
inline constexpr char kRest = 'r';
// Octave prefixes "*0" to "*8": the a of octave n sounds at 55 * 2^n Hz.
inline constexpr std::int64_t kHighestOctave = 8;
inline constexpr double kOctaveZeroA = 55.0;
inline constexpr int kOctaveZeroAKey = 33; // its MIDI key number
// Durations "0" (a whole note, four beats) to "5" (a 1/32 note); the
// specifiers "." (dotted, 3/2), ":" (double dotted, 7/4) and ";" (2/3).
inline constexpr char kLongestDuration = '0';
inline constexpr char kShortestDuration = '5';
inline constexpr double kWholeNoteBeats = 4.0;
inline constexpr char kDotted = '.';
inline constexpr char kDoubleDotted = ':';
inline constexpr char kTriplet = ';';
// Volume "V0" to "V15", or one step "V+" or "V-"; a melody starts at V7.
inline constexpr char kVolumeMark = 'V';
inline constexpr int kHighestVolume = 15;
inline constexpr int kDefaultVolume = 7;
// A repeat: "(" elements "@" count, an optional volume step, ")"; the count
// 0 means for ever. Repeats do not nest.
inline constexpr char kRepeatOpen = '(';
inline constexpr char kRepeatCount = '@';
inline constexpr char kRepeatClose = ')';
// Elements that make no sound.
inline constexpr std::string_view kSilentElements[] = {"ledoff", "ledon",   "vibeoff",
                                                       "vibeon", "backoff", "backon"};

// The EMS header: its length, the element identifier (a user defined
// sound, sms/UserDataHeader.h), the element's length, the position of the
// sound in the text (before the first character), then the characters with
// bit 7 cleared. Every length is one octet, so a text may hold kMaxEmsText
// characters at most (every writer's text does).
inline constexpr std::size_t kMaxEmsText = 252;

} // namespace melody::imelody
