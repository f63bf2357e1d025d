// The RTX reader: name ":" settings ":" notes.

#include "melody/Melody.h"
#include "melody/internal/RtxText.h"
#include "melody/internal/Steps.h"

namespace melody {

RtxReading ParseRtx(std::string_view text, RtxSettings settings) {
    RtxReading reading;
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos || text.find(':', second + 1) != std::string_view::npos) {
        reading.problem = RtxProblem::NotRtx;
        reading.melody.settings = std::move(settings);
        return reading;
    }
    Melody& melody = reading.melody;
    melody.name = CleanSection(text.substr(0, first));
    ApplyDefaults(text.substr(first + 1, second - first - 1), settings);
    melody.settings = std::move(settings);
    melody.notes = CleanSection(text.substr(second + 1));
    if (melody.notes.empty())
        reading.problem = RtxProblem::NoMelody;
    return reading;
}

void ApplyDefaults(std::string_view section, RtxSettings& settings) {
    const std::string clean = CleanSection(section);
    // Without any ",", the text is one item; an item without "=" has an empty
    // key and changes nothing, so every case is the same walk over the items.
    CommaItems items(clean);
    std::string_view item;
    while (items.Next(item)) {
        const std::size_t equals = item.find('=');
        if (equals != std::string_view::npos)
            ApplyDefault(settings, item.substr(0, equals), item.substr(equals + 1));
    }
}

void ApplyDefault(RtxSettings& settings, std::string_view key, std::string_view value) {
    // Every known key is one letter, compared after lowering A to Z.
    if (key.size() != 1)
        return;
    switch (LowerAscii(key[0])) {
    case 'd':
        settings.duration.assign(value);
        break;
    case 'b':
        settings.beat = DecimalValue(value);
        break;
    case 's':
        settings.style.assign(value);
        break;
    case 'o':
        settings.octave.assign(value);
        break;
    default:
        break;
    }
}

} // namespace melody
