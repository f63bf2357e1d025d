// The RTX reader: name ":" settings ":" notes.

#include "melody/MelodyConverter.h"
#include "melody/NoteScan.h"
#include "melody/RtxText.h"

std::string CMelodyConverter::ReadRtx(std::string_view text) {
    const auto notValid = [this] {
        return CEMSError(m_strCurrentFile + " is not a valid RTX formatted file.");
    };
    const std::size_t first = text.find(':');
    if (first == std::string_view::npos)
        throw notValid();
    const std::string_view name = text.substr(0, first);
    const std::string_view rest = text.substr(first + 1);
    const std::size_t second = rest.find(':');
    if (second == std::string_view::npos)
        throw notValid();
    const std::string_view defaults = rest.substr(0, second);
    const std::string_view notes = rest.substr(second + 1);
    if (notes.find(':') != std::string_view::npos)
        throw notValid();

    SetMelodyName(name);
    ReadDefaults(defaults);
    return CheckNotes(notes);
}

void CMelodyConverter::SetMelodyName(std::string_view section) {
    m_strMelodyName = melody::CleanSection(section);
}

void CMelodyConverter::ReadDefaults(std::string_view section) {
    const std::string clean = melody::CleanSection(section);
    // Without any ",", the text is one item; an item without "=" has an empty
    // key and changes nothing, so every case is the same walk over the items.
    melody::CommaItems items(clean);
    std::string_view item;
    while (items.Next(item)) {
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos)
            continue;
        SetDefault(item.substr(0, equals), item.substr(equals + 1));
    }
}

void CMelodyConverter::SetDefault(std::string_view key, std::string_view value) {
    // Every known key is one letter, compared after lowering A to Z.
    if (key.size() != 1)
        return;
    switch (platform::LowerAscii(key[0])) {
    case 'd':
        m_strDuration.assign(value);
        break;
    case 'b':
        m_nBeat = melody::DecimalValue(value);
        break;
    case 's':
        m_strStyle.assign(value);
        break;
    case 'o':
        m_strOctave.assign(value);
        break;
    default:
        break;
    }
}

std::string CMelodyConverter::CheckNotes(std::string_view section) {
    std::string notes = melody::CleanSection(section);
    if (notes.empty())
        throw CEMSError(m_strCurrentFile + " does not have any melody to convert.");
    return notes;
}

RtxNote CMelodyConverter::ParseRtxNote(std::string_view item) const {
    const melody::NoteScan scan = melody::ScanRtxNote(item);
    RtxNote note;
    note.durationText.assign(scan.duration.empty() ? std::string_view(m_strDuration)
                                                   : scan.duration);
    melody::AppendLetters(scan.pitch, note.letterText);
    note.sharp = scan.sharp;
    note.dotted = scan.dotted;
    note.octaveText.assign(scan.octave.empty() ? std::string_view(m_strOctave) : scan.octave);
    note.rejected = scan.rejected;
    return note;
}
