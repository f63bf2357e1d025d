// Tones as a Standard MIDI File: the header chunk and one track chunk of
// delta-timed events, every number big-endian.

#include "melody/ImelodyFormat.h"
#include "melody/ImelodySound.h"

#include <algorithm>
#include <cmath>

namespace melody {
namespace {

constexpr int kHighestKey = 127;
constexpr int kHighestVelocity = 127;
constexpr unsigned char kNoteOn = 0x90; // channel 1
constexpr unsigned char kNoteOff = 0x80;
constexpr unsigned char kReleaseVelocity = 0x40;

void PutBigEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A delta time: seven bits an octet, the most significant first, each but
// the last with its top bit set.
void PutVariableLength(std::string& out, std::uint64_t value) {
    value = std::min<std::uint64_t>(value, 0x0FFFFFFF); // the longest a delta may be
    int shift = 21;
    while (shift > 0 && (value >> shift) == 0)
        shift -= 7;
    for (; shift > 0; shift -= 7)
        out += static_cast<char>(0x80 | ((value >> shift) & 0x7F));
    out += static_cast<char>(value & 0x7F);
}

void PutEvent(std::string& track, std::uint64_t delta, unsigned char status, int key,
              int velocity) {
    PutVariableLength(track, delta);
    track += static_cast<char>(status);
    track += static_cast<char>(key);
    track += static_cast<char>(velocity);
}

} // namespace

std::string MidiFile(const ImelodyTones& sound) {
    std::string track;
    // The tempo: microseconds a quarter note.
    const auto tempo = static_cast<std::uint32_t>(std::lround(60e6 / sound.beat));
    track += std::string("\x00\xFF\x51\x03", 4);
    PutBigEndian(track, tempo, 3);

    std::uint64_t pending = 0; // ticks since the last event
    for (const ImelodyTone& tone : sound.tones) {
        const std::uint64_t sounding = SoundingPart(tone.ticks, tone.style);
        if (tone.frequency <= 0 || tone.volume <= 0 || tone.key > kHighestKey || sounding == 0) {
            pending += tone.ticks;
            continue;
        }
        const int velocity = static_cast<int>(
            std::lround(static_cast<double>(tone.volume) * kHighestVelocity /
                        imelody::kHighestVolume));
        PutEvent(track, pending, kNoteOn, tone.key, velocity);
        PutEvent(track, sounding, kNoteOff, tone.key, kReleaseVelocity);
        pending = tone.ticks - sounding;
    }
    // The end of the track, after the last rest.
    PutVariableLength(track, pending);
    track += std::string("\xFF\x2F\x00", 3);

    std::string file = "MThd";
    PutBigEndian(file, 6, 4);
    PutBigEndian(file, 0, 2); // format 0
    PutBigEndian(file, 1, 2); // one track
    PutBigEndian(file, kTicksPerQuarter, 2);
    file += "MTrk";
    PutBigEndian(file, static_cast<std::uint32_t>(track.size()), 4);
    file += track;
    return file;
}

} // namespace melody
