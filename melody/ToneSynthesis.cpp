// Tones as samples: a sine for each note, ramped up and down at its ends.

#include "melody/ImelodyFormat.h"
#include "melody/ImelodySound.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace melody {
namespace {

// The loudest sample, at V15; a melody plays at V7, a little under half.
constexpr double kPeak = 0.9 * 32767;
// The ramps at both ends of a tone, so that it starts and stops without a click.
constexpr double kAttackSeconds = 0.005;
constexpr double kReleaseSeconds = 0.010;

} // namespace

std::vector<std::int16_t> SynthesiseTones(const std::vector<ImelodyTone>& tones, int sampleRate) {
    // Each tone starts at the sample nearest its time, so that no rounding
    // piles up over a melody.
    double seconds = 0;
    for (const ImelodyTone& tone : tones)
        seconds += tone.seconds;
    std::vector<std::int16_t> samples(static_cast<std::size_t>(std::llround(seconds * sampleRate)));
    const double rate = sampleRate;
    double start = 0;
    for (const ImelodyTone& tone : tones) {
        const auto first = static_cast<std::size_t>(std::llround(start * rate));
        start += tone.seconds;
        const auto end =
            std::min(samples.size(), static_cast<std::size_t>(std::llround(start * rate)));
        if (tone.frequency <= 0 || tone.volume <= 0 || first >= end)
            continue;
        const auto length = static_cast<std::size_t>(SoundingPart(end - first, tone.style));
        const double attack = std::min(kAttackSeconds * rate, length / 2.0);
        const double release = std::min(kReleaseSeconds * rate, length / 2.0);
        const double amplitude = kPeak * tone.volume / imelody::kHighestVolume;
        const double step = 2 * std::numbers::pi * tone.frequency / rate;
        for (std::size_t i = 0; i < length; ++i) {
            const double at = static_cast<double>(i);
            const double envelope =
                std::min({1.0, at / attack, (static_cast<double>(length) - at) / release});
            samples[first + i] =
                static_cast<std::int16_t>(std::lround(amplitude * envelope * std::sin(step * at)));
        }
    }
    return samples;
}

std::vector<std::int16_t> RenderImelody(std::string_view text, OctavePrefix octaves,
                                        int sampleRate) {
    return SynthesiseTones(ReadImelodyTones(text, octaves).tones, sampleRate);
}

} // namespace melody
