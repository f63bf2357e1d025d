// Reading an iMelody text into the tones a handset plays: the header fields
// that change how it sounds, then the melody, one element at a time.

#include "melody/ImelodyFormat.h"
#include "melody/ImelodySound.h"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <optional>

namespace melody {
namespace {

using namespace imelody;

// A run of decimal digits at pos (after an optional "-" when signed), its
// value held to +-limit; nothing without digits. pos moves past what was read.
std::optional<std::int64_t> ReadNumber(std::string_view text, std::size_t& pos, std::int64_t limit,
                                       bool signed_ = false) {
    std::size_t at = pos;
    const bool negative = signed_ && at < text.size() && text[at] == '-';
    if (negative)
        ++at;
    const std::size_t digits = at;
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min(limit, 10 * value + (text[at] - '0'));
    if (at == digits)
        return std::nullopt;
    pos = at;
    return negative ? -value : value;
}

int HeldVolume(std::int64_t volume) {
    return static_cast<int>(std::clamp<std::int64_t>(volume, 0, kHighestVolume));
}

class ToneReader {
public:
    ToneReader(std::string_view text, OctavePrefix octaves) : m_octaves(octaves) {
        std::string_view melody;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
            if (line.ends_with('\r'))
                line.remove_suffix(1);
            if (line.starts_with(kBeatField)) {
                std::size_t pos = kBeatField.size();
                if (const auto beat = ReadNumber(line, pos, kHighestBeat, true))
                    m_beat = static_cast<double>(std::max<std::int64_t>(*beat, kLowestBeat));
            } else if (line.starts_with(kStyleField)) {
                m_staccato = line.substr(kStyleField.size()) == "S2";
            } else if (line.starts_with(kVolumeField)) {
                std::size_t pos = kVolumeField.size();
                ReadVolume(line, pos);
            } else if (line.starts_with(kMelodyField)) {
                melody = line.substr(kMelodyField.size());
            }
        }
        ReadMelody(melody);
    }

    std::vector<ImelodyTone> Tones() && { return std::move(m_tones); }

private:
    bool Full() const { return m_tones.size() >= kMaxTones || m_seconds >= kMaxRenderSeconds; }

    void Add(ImelodyTone tone) {
        if (Full())
            return;
        m_seconds += tone.seconds;
        m_tones.push_back(tone);
    }

    // "V" and a level, "V+" or "V-" at pos (on "V"); false when it is none.
    bool ReadVolume(std::string_view text, std::size_t& pos) {
        if (pos >= text.size() || text[pos] != kVolumeMark)
            return false;
        std::size_t at = pos + 1;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            m_volume = HeldVolume(m_volume + (text[at] == '+' ? 1 : -1));
            pos = at + 1;
            return true;
        }
        const auto level = ReadNumber(text, at, kHighestVolume);
        if (!level)
            return false;
        m_volume = HeldVolume(*level);
        pos = at;
        return true;
    }

    // The time of a duration and its specifier at pos; nothing without a duration.
    std::optional<double> ReadDuration(std::string_view text, std::size_t& pos) const {
        if (pos >= text.size() || text[pos] < kLongestDuration || text[pos] > kShortestDuration)
            return std::nullopt;
        double seconds = kWholeNoteBeats * 60.0 / m_beat / (1 << (text[pos++] - kLongestDuration));
        if (pos < text.size()) {
            const char specifier = text[pos];
            if (specifier == kDotted)
                seconds *= 1.5;
            else if (specifier == kDoubleDotted)
                seconds *= 1.75;
            else if (specifier == kTriplet)
                seconds *= 2.0 / 3.0;
            if (specifier == kDotted || specifier == kDoubleDotted || specifier == kTriplet)
                ++pos;
        }
        return seconds;
    }

    void ReadMelody(std::string_view text) {
        constexpr std::size_t kNoRepeat = SIZE_MAX;
        std::size_t repeatFrom = kNoRepeat; // the first tone of the open repeat
        std::int64_t repeatCount = 1;
        int repeatStep = 0;
        std::size_t pos = 0;
        while (pos < text.size() && !Full()) {
            const char c = text[pos];
            if (const auto silent = std::find_if(
                    std::begin(kSilentElements), std::end(kSilentElements),
                    [&](std::string_view word) { return text.substr(pos).starts_with(word); });
                silent != std::end(kSilentElements)) {
                pos += silent->size();
            } else if (c == kOctaveMark) {
                ++pos;
                if (const auto octave = ReadNumber(text, pos, kHighestOctave + 1, true))
                    m_prefix = std::clamp<std::int64_t>(*octave, 0, kHighestOctave);
            } else if (c == kVolumeMark) {
                if (!ReadVolume(text, pos))
                    ++pos;
            } else if (c == kRepeatOpen) {
                ++pos;
                if (repeatFrom == kNoRepeat) {
                    repeatFrom = m_tones.size();
                    repeatCount = 1;
                    repeatStep = 0;
                }
            } else if (c == kRepeatCount) {
                ++pos;
                repeatCount =
                    ReadNumber(text, pos, static_cast<std::int64_t>(kMaxTones)).value_or(1);
                if (pos + 1 < text.size() && text[pos] == kVolumeMark &&
                    (text[pos + 1] == '+' || text[pos + 1] == '-')) {
                    repeatStep = text[pos + 1] == '+' ? 1 : -1;
                    pos += 2;
                }
            } else if (c == kRepeatClose) {
                ++pos;
                if (repeatFrom != kNoRepeat)
                    Repeat(repeatFrom, repeatCount, repeatStep);
                repeatFrom = kNoRepeat;
            } else {
                ReadNoteOrRest(text, pos);
            }
        }
    }

    // The tones from first on played count times in all.
    void Repeat(std::size_t first, std::int64_t count, int step) {
        const std::size_t last = m_tones.size();
        if (first == last)
            return;
        for (std::int64_t time = 1; time < count && !Full(); ++time)
            for (std::size_t i = first; i < last && !Full(); ++i) {
                ImelodyTone tone = m_tones[i];
                tone.volume = HeldVolume(tone.volume + time * step);
                Add(tone);
            }
    }

    void ReadNoteOrRest(std::string_view text, std::size_t& pos) {
        int semitone = 0;
        if (text[pos] == kSharp || text[pos] == kFlat)
            semitone = text[pos++] == kSharp ? 1 : -1;
        if (pos >= text.size())
            return;
        const char letter = text[pos++];
        const std::size_t index = kNoteLetters.find(letter);
        if (letter != kRest && index == std::string_view::npos)
            return; // no element: the character is passed over
        const std::optional<double> seconds = ReadDuration(text, pos);
        // A rest takes a prefix as a note does.
        const std::int64_t octave = m_prefix.value_or(m_octave);
        if (m_octaves == OctavePrefix::KeptUntilChanged)
            m_octave = octave;
        m_prefix.reset();
        if (!seconds)
            return;
        if (letter == kRest) {
            Add({0.0, *seconds, m_volume, m_staccato});
            return;
        }
        semitone += kLetterSemitones[index] - kLetterA;
        const double frequency =
            kOctaveZeroA * std::exp2(static_cast<double>(octave) + semitone / 12.0);
        Add({frequency, *seconds, m_volume, m_staccato});
    }

    OctavePrefix m_octaves;
    double m_beat = kDefaultBeat;
    bool m_staccato = false;
    int m_volume = kDefaultVolume;
    std::int64_t m_octave = kDefaultOctave; // of a note without prefix
    std::optional<std::int64_t> m_prefix;   // the prefix read for the next note
    std::vector<ImelodyTone> m_tones;
    double m_seconds = 0;
};

} // namespace

std::vector<ImelodyTone> ReadImelodyTones(std::string_view text, OctavePrefix octaves) {
    return ToneReader(text, octaves).Tones();
}

} // namespace melody
