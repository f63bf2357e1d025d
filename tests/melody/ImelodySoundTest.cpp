#include "melody/ImelodySound.h"
#include "melody/Melody.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using melody::OctavePrefix;

namespace {

constexpr double kRate = melody::kSampleRate;

// A stretch of sound, measured from the samples alone.
struct Sound {
    double start = 0;   // seconds
    double seconds = 0; // how long it sounds
    double hz = 0;      // from its upward zero crossings, interpolated
    int peak = 0;
};

// The sounds of a rendering: runs of samples parted by at least 2 ms of silence.
std::vector<Sound> Sounds(const std::vector<std::int16_t>& samples) {
    std::vector<Sound> sounds;
    std::size_t i = 0;
    while (i < samples.size()) {
        while (i < samples.size() && samples[i] == 0)
            ++i;
        if (i == samples.size())
            break;
        const std::size_t first = i;
        std::size_t last = i;
        while (i < samples.size() && i - last < 88) {
            if (samples[i] != 0)
                last = i;
            ++i;
        }
        Sound sound{(first - 1) / kRate, (last + 2 - first) / kRate, 0, 0};
        std::vector<double> crossings;
        for (std::size_t k = first; k < last; ++k) {
            sound.peak = std::max(sound.peak, std::abs(int{samples[k]}));
            if (samples[k] < 0 && samples[k + 1] >= 0)
                crossings.push_back(static_cast<double>(k) +
                                    samples[k] / double(samples[k] - samples[k + 1]));
        }
        if (crossings.size() > 2)
            sound.hz = (crossings.size() - 1) * kRate / (crossings.back() - crossings.front());
        sounds.push_back(sound);
        i = last + 1;
    }
    return sounds;
}

std::vector<Sound> SoundsOf(const std::string& text, OctavePrefix octaves) {
    return Sounds(melody::RenderImelody(text, octaves));
}

const double kC4 = 261.626, kA4 = 440, kA5 = 880;

} // namespace

TEST(ImelodySound, TimesPitchesAndVolumesAsMeasuredFromTheSamples) {
    struct Expected {
        double start, seconds, hz;
    };
    struct Case {
        std::string text;
        OctavePrefix octaves;
        double total;
        std::vector<Expected> sounds;
    } cases[] = {
        // Durations at BEAT 60, every specifier, sharp and flat alike.
        {"BEGIN:IMELODY\r\nBEAT:60\r\nMELODY:a1r1#a3.r3&b4:r3c5;\r\nEND:IMELODY\r\n",
         OctavePrefix::ForOneNote,
         2 + 2 + 0.75 + 0.5 + 0.4375 + 0.5 + 1.0 / 12,
         {{0, 2, kA5},
          {4, 0.75, kA5 * 1.059463},
          {5.25, 0.4375, kA5 * 1.059463},
          {6.1875, 1.0 / 12, 2 * kC4}}},
        // The default octave, the octave prefixes *0 to *8 (*9 held to *8).
        {"MELODY:*0a3r3*3a3r3a3r3*8a3r3*9a3",
         OctavePrefix::ForOneNote,
         2.25,
         {{0, 0.25, 55}, {0.5, 0.25, kA4}, {1, 0.25, kA5}, {1.5, 0.25, 14080}, {2, 0.25, 14080}}},
        // Target 1's handsets keep a prefix's octave; target 2's do not.
        {"MELODY:*5c3r3c3",
         OctavePrefix::KeptUntilChanged,
         0.75,
         {{0, 0.25, 4 * kC4}, {0.5, 0.25, 4 * kC4}}},
        {"MELODY:*5c3r3c3",
         OctavePrefix::ForOneNote,
         0.75,
         {{0, 0.25, 4 * kC4}, {0.5, 0.25, 2 * kC4}}},
        // Staccato sounds for half the time; a repeat plays its block count times.
        {"STYLE:S2\r\nMELODY:a2(r3a3@3)",
         OctavePrefix::ForOneNote,
         2,
         {{0, 0.25, kA5}, {0.75, 0.125, kA5}, {1.25, 0.125, kA5}, {1.75, 0.125, kA5}}},
        // What is no iMelody element plays nothing; nor does a note without duration.
        {"MELODY:h2cledon#x", OctavePrefix::ForOneNote, 0, {}},
        {"BEAT:100\r\n", OctavePrefix::ForOneNote, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::vector<std::int16_t> samples = melody::RenderImelody(c.text, c.octaves);
        EXPECT_NEAR(samples.size() / kRate, c.total, 1 / kRate);
        const std::vector<Sound> sounds = Sounds(samples);
        ASSERT_EQ(sounds.size(), c.sounds.size());
        for (std::size_t i = 0; i < sounds.size(); ++i) {
            EXPECT_NEAR(sounds[i].start, c.sounds[i].start, 0.001) << i;
            EXPECT_NEAR(sounds[i].seconds, c.sounds[i].seconds, 0.001) << i;
            EXPECT_NEAR(sounds[i].hz / c.sounds[i].hz, 1, 0.001) << i;
        }
    }

    // Volumes: V15 is five times V3; a repeat's volume step applies once more each time.
    const std::vector<Sound> loud = SoundsOf("MELODY:(V15a3r3@2V-)V3a3", OctavePrefix::ForOneNote);
    ASSERT_EQ(loud.size(), 3u);
    EXPECT_NEAR(loud[1].peak / double(loud[0].peak), 14.0 / 15, 0.01);
    EXPECT_NEAR(loud[0].peak / double(loud[2].peak), 5, 0.05);
    EXPECT_EQ(SoundsOf("VOLUME:V0\r\nMELODY:a3", OctavePrefix::ForOneNote).size(), 0u);

    // However long a melody says it is, a rendering stops after ten minutes.
    const std::size_t endless =
        melody::RenderImelody("BEAT:25\r\nMELODY:(a0:@999999)", OctavePrefix::ForOneNote, 100)
            .size();
    EXPECT_GE(endless, 600u * 100);
    EXPECT_LE(endless, 620u * 100);
}

TEST(ImelodySound, EachTargetsTextOfAMelodySoundsAsWritten) {
    // c, a quarter of silence, then c an octave up: 1.5 s at 120 beats.
    melody::Melody example = melody::ReadRtx("x:b=120:4c,4p,4c6", {}).melody;
    for (const int target : {1, 2}) {
        SCOPED_TRACE(target);
        const std::string text = melody::WriteImelody(example, target, true).text;
        const std::vector<std::int16_t> samples =
            melody::RenderImelody(text, melody::OctavePrefixOf(target));
        EXPECT_EQ(samples.size(), 66150u);
        const std::vector<Sound> sounds = Sounds(samples);
        ASSERT_EQ(sounds.size(), 2u);
        EXPECT_NEAR(sounds[0].seconds, 0.5, 0.001);
        EXPECT_NEAR(sounds[1].start, 1.0, 0.001);
        EXPECT_NEAR(sounds[1].hz / sounds[0].hz, 2.000, 0.01);
        // Target 1 moves a melody that reaches octave 6 down by one.
        EXPECT_NEAR(sounds[0].hz, target == 1 ? kC4 : 2 * kC4, 0.5);
    }
}

TEST(ImelodySound, WaveFileHeaderAndLittleEndianSamples) {
    const std::vector<std::int16_t> samples = {0, 1, -2, 32767};
    const std::string wave = melody::WaveFile(samples, 22050);
    const std::string expected = std::string(
        "RIFF\x2C\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x22\x56\0\0\x44\xAC\0\0\x02\0\x10\0"
        "data\x08\0\0\0\0\0\x01\0\xFE\xFF\xFF\x7F",
        52);
    EXPECT_EQ(wave, expected);
    EXPECT_EQ(melody::WaveFile({}).size(), 44u);
}
