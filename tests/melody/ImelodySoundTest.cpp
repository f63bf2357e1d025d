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
        // Natural style sounds for 20/21 of the time; field names in either case.
        {"style:s0\r\nbeat: 60\r\nMELODY:a2r2a2",
         OctavePrefix::ForOneNote,
         3,
         {{0, 20.0 / 21, kA5}, {2, 20.0 / 21, kA5}}},
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
    // Volume changes inside a repeat apply on every time and carry on after
    // it, as does its step; the header's volume with or without its "V".
    for (const char* header : {"VOLUME:V3\r\n", "volume: 3\r\n", "VOLUME:v3\r\n"}) {
        SCOPED_TRACE(header);
        const std::vector<Sound> rising =
            SoundsOf(std::string(header) + "MELODY:(V+a3r3@3V+)a3r3(r3@0)V-a3",
                     OctavePrefix::ForOneNote);
        ASSERT_EQ(rising.size(), 5u);
        for (const auto& [i, volume] : {std::pair{1, 6}, {2, 8}, {3, 8}, {4, 7}})
            EXPECT_NEAR(rising[i].peak / double(rising[0].peak), volume / 4.0, 0.02) << i;
    }
    EXPECT_TRUE(melody::ReadImelodyTones("MELODY:(a3@0)", OctavePrefix::ForOneNote).endless);
    EXPECT_FALSE(melody::ReadImelodyTones("MELODY:(a3@9)", OctavePrefix::ForOneNote).endless);

    // However long a melody says it is, a rendering stops after ten minutes.
    const std::size_t endless =
        melody::RenderImelody("BEAT:25\r\nMELODY:(a0:@999999)", OctavePrefix::ForOneNote, 100)
            .size();
    EXPECT_GE(endless, 600u * 100);
    EXPECT_LE(endless, 620u * 100);
}

TEST(ImelodySound, EachTargetsTextOfAMelodySoundsAsWritten) {
    // c, a quarter of silence, then c an octave up: 1.5 s at 120 beats.
    melody::Melody example = melody::ParseRtx("x:b=120:4c,4p,4c6", {}).melody;
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

TEST(ImelodySound, MidiFileHoldsTheKeysTicksAndTempoTheWavePlays) {
    // Keys and ticks exact from the lowest to the highest note: &c of *0
    // as a 1/32 triplet, #g of *8 double dotted whole, a dotted rest.
    const melody::ImelodyTones tones =
        melody::ReadImelodyTones("MELODY:*0&c5;*8#g0:r3.", OctavePrefix::ForOneNote);
    ASSERT_EQ(tones.tones.size(), 3u);
    EXPECT_EQ(tones.tones[0].key, 23);
    EXPECT_EQ(tones.tones[0].ticks, 40u);
    EXPECT_EQ(tones.tones[1].key, 128);
    EXPECT_EQ(tones.tones[1].ticks, 3360u);
    EXPECT_EQ(tones.tones[2].ticks, 360u);

    // Staccato a at V15 sounds half its time; a key above 127 and a note at
    // V0 are time, as is the rest, up to the end of the track.
    const std::string midi = melody::MidiFile(melody::ReadImelodyTones(
        "BEAT:100\r\nSTYLE:S2\r\nMELODY:V15a2r3*9#b4V0c3", OctavePrefix::ForOneNote));
    EXPECT_EQ(midi, std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0"
                                "MTrk\0\0\0\x15"
                                "\0\xFF\x51\x03\x09\x27\xC0"
                                "\0\x90\x51\x7F\x81\x70\x80\x51\x40"
                                "\x86\x48\xFF\x2F\0",
                                43));
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
