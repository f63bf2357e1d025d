#pragma once
// An iMelody text as sound: the tones a handset plays for it, those tones
// as 16-bit PCM samples (a sine with a short attack and release, so that
// notes do not click), and the samples as a RIFF/WAVE file. Texts in,
// samples and bytes out: no file, no state.
//
// The text is read as iMelody 1.2 defines it: BEAT (quarter notes a
// minute, 120 when not given, held to 25-900), STYLE (S2, staccato, sounds
// each note for half its time) and VOLUME lines before the MELODY line;
// notes with their octave prefix, "#" or "&", letter, duration and
// specifier; rests; volumes; repeats (the block played count times in all,
// "@0", for ever, once; the volume step of "@n V+" applied once more for
// each further time). What the definition does not know, and a note or
// rest without a duration, plays nothing. A rendering ends after ten
// minutes or a million tones.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace melody {

// What a note without octave prefix is in. iMelody's default octave, *4
// (target 2 writes for handsets that take it so); or the octave of the
// last prefix (target 1 writes a prefix only where the octave changes).
enum class OctavePrefix { ForOneNote, KeptUntilChanged };

constexpr OctavePrefix OctavePrefixOf(int target) {
    return target == 1 ? OctavePrefix::KeptUntilChanged : OctavePrefix::ForOneNote;
}

// One note or rest as it sounds.
struct ImelodyTone {
    double frequency = 0; // Hz; 0 for a rest
    double seconds = 0;   // its time, sounding or not
    int volume = 7;       // 0 to 15
    bool staccato = false;
};

inline constexpr int kSampleRate = 44100;
// The longest rendering.
inline constexpr double kMaxRenderSeconds = 600;
inline constexpr std::size_t kMaxTones = 1000000;

std::vector<ImelodyTone> ReadImelodyTones(std::string_view text, OctavePrefix octaves);

// Mono samples at sampleRate, one tone after the other.
std::vector<std::int16_t> SynthesiseTones(const std::vector<ImelodyTone>& tones,
                                          int sampleRate = kSampleRate);

std::vector<std::int16_t> RenderImelody(std::string_view text, OctavePrefix octaves,
                                        int sampleRate = kSampleRate);

// A WAVE file of 16-bit PCM mono samples.
std::string WaveFile(std::span<const std::int16_t> samples, int sampleRate = kSampleRate);

} // namespace melody
