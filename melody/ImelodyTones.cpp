// Reading an iMelody text into the tones a handset plays: the header fields
// that change how it sounds, then the melody, one element at a time.

#include "melody/ImelodyFormat.h"
#include "melody/ImelodySound.h"
#include "platform/Ascii.h"

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

// The value of a header line whose name is field, in either case, without
// the blanks after the colon; nothing when the line is another field.
std::optional<std::string_view> FieldValue(std::string_view line, std::string_view field) {
    if (line.size() < field.size() ||
        !platform::EqualsIgnoringAsciiCase(line.substr(0, field.size()), field))
        return std::nullopt;
    line.remove_prefix(field.size());
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line;
}

// A repeat's count and volume step, as its "@" says.
struct RepeatMark {
    std::int64_t count = 1;
    int step = 0;
};

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
            if (const auto beat = FieldValue(line, kBeatField)) {
                std::size_t pos = 0;
                if (const auto value = ReadNumber(*beat, pos, kHighestBeat, true))
                    m_sound.beat = static_cast<std::int32_t>(std::max<std::int64_t>(*value, kLowestBeat));
            } else if (const auto style = FieldValue(line, kStyleField)) {
                m_style = StyleOf(*style);
            } else if (const auto volume = FieldValue(line, kVolumeField)) {
                // "V3", "V+" or "V-"; the "V" may be lower case or left out.
                std::string text(*volume);
                if (text.empty() || (text[0] != kVolumeMark && text[0] != 'v'))
                    text.insert(text.begin(), kVolumeMark);
                text[0] = kVolumeMark;
                std::size_t pos = 0;
                ReadVolume(text, pos);
            } else if (const auto body = FieldValue(line, kMelodyField)) {
                melody = *body;
            }
        }
        ReadElements(melody, nullptr);
    }

    ImelodyTones Tones() && { return std::move(m_sound); }

private:
    static ImelodyStyle StyleOf(std::string_view value) {
        if (platform::EqualsIgnoringAsciiCase(value, kNaturalStyle))
            return ImelodyStyle::Natural;
        if (platform::EqualsIgnoringAsciiCase(value, kStaccatoStyle))
            return ImelodyStyle::Staccato;
        return ImelodyStyle::Continuous;
    }

    bool Full() const {
        return m_sound.tones.size() >= kMaxTones || m_seconds >= kMaxRenderSeconds ||
               m_read >= kMaxElementsRead;
    }

    void Add(ImelodyTone tone) {
        if (Full())
            return;
        m_seconds += tone.seconds;
        m_sound.tones.push_back(tone);
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

    struct Duration {
        double seconds;
        std::uint32_t ticks;
    };

    // The time of a duration and its specifier at pos; nothing without a duration.
    std::optional<Duration> ReadDuration(std::string_view text, std::size_t& pos) const {
        if (pos >= text.size() || text[pos] < kLongestDuration || text[pos] > kShortestDuration)
            return std::nullopt;
        const int shift = text[pos++] - kLongestDuration;
        double seconds = kWholeNoteBeats * 60.0 / m_sound.beat / (1 << shift);
        std::uint32_t ticks = 4 * kTicksPerQuarter >> shift;
        if (pos < text.size()) {
            const char specifier = text[pos];
            if (specifier == kDotted) {
                seconds *= 1.5;
                ticks = ticks * 3 / 2;
            } else if (specifier == kDoubleDotted) {
                seconds *= 1.75;
                ticks = ticks * 7 / 4;
            } else if (specifier == kTriplet) {
                seconds *= 2.0 / 3.0;
                ticks = ticks * 2 / 3;
            }
            if (specifier == kDotted || specifier == kDoubleDotted || specifier == kTriplet)
                ++pos;
        }
        return Duration{seconds, ticks};
    }

    // The elements of text, one after the other. repeat: the mark of the
    // block being read the first time, which its "@" sets; another "@"
    // is read and passed over.
    void ReadElements(std::string_view text, RepeatMark* repeat) {
        std::size_t pos = 0;
        while (pos < text.size() && !Full()) {
            ++m_read;
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
                // Repeats do not nest: a "(" inside a block is passed over,
                // and so is one that no ")" closes.
                const std::size_t close = text.find(kRepeatClose, pos + 1);
                if (repeat != nullptr || m_inRepeat || close == std::string_view::npos) {
                    ++pos;
                    continue;
                }
                PlayRepeat(text.substr(pos + 1, close - pos - 1));
                pos = close + 1;
            } else if (c == kRepeatCount) {
                ++pos;
                RepeatMark mark;
                mark.count =
                    ReadNumber(text, pos, static_cast<std::int64_t>(kMaxTones)).value_or(1);
                if (pos + 1 < text.size() && text[pos] == kVolumeMark &&
                    (text[pos + 1] == '+' || text[pos + 1] == '-')) {
                    mark.step = text[pos + 1] == '+' ? 1 : -1;
                    pos += 2;
                }
                if (repeat != nullptr) {
                    repeat->count = mark.count;
                    repeat->step = mark.step != 0 ? mark.step : repeat->step;
                }
            } else if (c == kRepeatClose) {
                ++pos;
            } else {
                ReadNoteOrRest(text, pos);
            }
        }
    }

    // A block played count times in all: each time its elements are read
    // as written, a step moving the volume of every later time by one more.
    void PlayRepeat(std::string_view block) {
        m_inRepeat = true;
        RepeatMark mark;
        ReadElements(block, &mark);
        if (mark.count == 0)
            m_sound.endless = true;
        for (std::int64_t time = 1; time < mark.count && !Full(); ++time) {
            m_volumeStep += mark.step;
            ReadElements(block, nullptr);
        }
        m_volume = HeldVolume(m_volume + m_volumeStep);
        m_volumeStep = 0;
        m_inRepeat = false;
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
        const std::optional<Duration> duration = ReadDuration(text, pos);
        // A rest takes a prefix as a note does.
        const std::int64_t octave = m_prefix.value_or(m_octave);
        if (m_octaves == OctavePrefix::KeptUntilChanged)
            m_octave = octave;
        m_prefix.reset();
        if (!duration)
            return;
        const int volume = HeldVolume(m_volume + m_volumeStep);
        if (letter == kRest) {
            Add({0.0, duration->seconds, volume, m_style, 0, duration->ticks});
            return;
        }
        semitone += kLetterSemitones[index] - kLetterA;
        const double frequency =
            kOctaveZeroA * std::exp2(static_cast<double>(octave) + semitone / 12.0);
        const int key = kOctaveZeroAKey + 12 * static_cast<int>(octave) + semitone;
        Add({frequency, duration->seconds, volume, m_style, key, duration->ticks});
    }

    OctavePrefix m_octaves;
    ImelodyTones m_sound;
    ImelodyStyle m_style = ImelodyStyle::Continuous;
    int m_volume = kDefaultVolume;
    int m_volumeStep = 0; // the step of the repeat's times so far
    bool m_inRepeat = false;
    std::int64_t m_octave = kDefaultOctave; // of a note without prefix
    std::optional<std::int64_t> m_prefix;   // the prefix read for the next note
    double m_seconds = 0;
    std::size_t m_read = 0; // elements read
};

} // namespace

ImelodyTones ReadImelodyTones(std::string_view text, OctavePrefix octaves) {
    return ToneReader(text, octaves).Tones();
}

} // namespace melody
