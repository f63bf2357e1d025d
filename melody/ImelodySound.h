#pragma once
// An iMelody text as sound: the tones a handset plays for it, those tones
// as 16-bit PCM samples (a sine with a short attack and release, so that
// notes do not click) and as a Standard MIDI File, and the samples as a
// RIFF/WAVE file. Texts in, samples and bytes out: no file, no state.
//
// The text is read as iMelody 1.2 defines it: BEAT (quarter notes a
// minute, 120 when not given, held to 25-900), STYLE and VOLUME lines
// before the MELODY line, their names in either case; notes with their
// octave prefix, "#" or "&", letter, duration and specifier; rests;
// volumes; repeats (the block played count times in all, each time as
// written, so that its volume changes carry on from one time to the next
// and after it; "@0", for ever, once; the volume step of "@n V+" applied
// once more for each further time and kept afterwards). What the
// definition does not know, and a note or rest without a duration, plays
// nothing. A rendering ends after ten minutes, a million tones or ten
// million elements read.

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

// How much of its time a note sounds: STYLE:S1 (and a text without STYLE)
// all of it; S0, natural, twenty parts of twenty-one, the last silent;
// S2, staccato, half.
enum class ImelodyStyle { Continuous, Natural, Staccato };

// The sounding part of a time of `length` (samples or ticks) in a style.
constexpr std::uint64_t SoundingPart(std::uint64_t length, ImelodyStyle style) {
    switch (style) {
    case ImelodyStyle::Natural:
        return length * 20 / 21;
    case ImelodyStyle::Staccato:
        return length / 2;
    case ImelodyStyle::Continuous:
        break;
    }
    return length;
}

// The finest time of a melody: 480 to a quarter note, so that every
// duration and specifier, down to a 1/32 triplet (40), is a whole number.
inline constexpr std::uint32_t kTicksPerQuarter = 480;

// One note or rest as it sounds.
struct ImelodyTone {
    double frequency = 0; // Hz; 0 for a rest
    double seconds = 0;   // its time, sounding or not
    int volume = 7;       // 0 to 15
    ImelodyStyle style = ImelodyStyle::Continuous;
    int key = 0;              // the pitch as a MIDI key number: the a of *4, 880 Hz, is 81
    std::uint32_t ticks = 0;  // its time in kTicksPerQuarter to a quarter note
};

// The tones of a text, and what a listener should know of them.
struct ImelodyTones {
    std::vector<ImelodyTone> tones;
    std::int32_t beat = 120; // quarter notes a minute
    bool endless = false;    // a repeat "@0" (for ever) was played once
};

inline constexpr int kSampleRate = 44100;
// The longest rendering.
inline constexpr double kMaxRenderSeconds = 600;
inline constexpr std::size_t kMaxTones = 1000000;
// Elements read, each time a repeat plays its block included.
inline constexpr std::size_t kMaxElementsRead = 10000000;

ImelodyTones ReadImelodyTones(std::string_view text, OctavePrefix octaves);

// Mono samples at sampleRate, one tone after the other.
std::vector<std::int16_t> SynthesiseTones(const std::vector<ImelodyTone>& tones,
                                          int sampleRate = kSampleRate);

std::vector<std::int16_t> RenderImelody(std::string_view text, OctavePrefix octaves,
                                        int sampleRate = kSampleRate);

// A WAVE file of 16-bit PCM mono samples.
std::string WaveFile(std::span<const std::int16_t> samples, int sampleRate = kSampleRate);

// A Standard MIDI File of the tones: format 0, one track, kTicksPerQuarter
// ticks to a quarter note, the tempo of the beat. Each note is the key the
// WAV plays, on channel 1, its velocity from its volume (V15 is 127, V0
// plays nothing), held for its sounding part; rests, silent notes and the
// few keys above MIDI's 127 (#g to #b of *8) are time.
std::string MidiFile(const ImelodyTones& tones);

} // namespace melody
