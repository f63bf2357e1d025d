// The reader and writer operations of CMelodyConverter: each hands its
// work to the melody core (melody/Melody.h and its steps) and keeps what
// the batch carries on in the members.

#include "melody/MelodyConverter.h"

#include "melody/internal/RtxText.h"
#include "melody/internal/Steps.h"

namespace {

constexpr char kNotValid[] = " is not a valid RTX formatted file.";
constexpr char kNoMelody[] = " does not have any melody to convert.";
constexpr char kOutOfRange[] =
    "The melody is in a range that cannot be converted accurately in the EMS standard.";

} // namespace

CMelodyConverter::CMelodyConverter(IMelodyUi& ui, std::string logFolder,
                                   platform::FileSystem& files)
    : m_ui(ui), m_strLogFolder(std::move(logFolder)), m_files(files) {}

CMelodyConverter::~CMelodyConverter() = default;

melody::RtxSettings CMelodyConverter::Settings() const {
    return {m_strOctave, m_strDuration, m_nBeat, m_strStyle};
}

void CMelodyConverter::StoreSettings(melody::RtxSettings&& settings) {
    m_strOctave = std::move(settings.octave);
    m_strDuration = std::move(settings.duration);
    m_nBeat = settings.beat;
    m_strStyle = std::move(settings.style);
}

std::optional<std::string> CMelodyConverter::ReadMelody(std::string_view text,
                                                        melody::Melody& melody) {
    melody::RtxReading reading = melody::ParseRtx(text, Settings());
    if (reading.problem == melody::RtxProblem::NotRtx)
        return m_strCurrentFile + kNotValid;
    m_strMelodyName = reading.melody.name;
    StoreSettings(melody::RtxSettings(reading.melody.settings));
    if (reading.problem == melody::RtxProblem::NoMelody)
        return m_strCurrentFile + kNoMelody;
    melody = std::move(reading.melody);
    return std::nullopt;
}

std::string CMelodyConverter::ReadRtx(std::string_view text) {
    melody::Melody melody;
    if (std::optional<std::string> problem = ReadMelody(text, melody))
        throw CEMSError(std::move(*problem));
    return std::move(melody.notes);
}

void CMelodyConverter::SetMelodyName(std::string_view section) {
    m_strMelodyName = melody::CleanSection(section);
}

void CMelodyConverter::ReadDefaults(std::string_view section) {
    melody::RtxSettings settings = Settings();
    melody::ApplyDefaults(section, settings);
    StoreSettings(std::move(settings));
}

void CMelodyConverter::SetDefault(std::string_view key, std::string_view value) {
    melody::RtxSettings settings = Settings();
    melody::ApplyDefault(settings, key, value);
    StoreSettings(std::move(settings));
}

std::string CMelodyConverter::CheckNotes(std::string_view section) {
    std::string notes = melody::CleanSection(section);
    if (notes.empty())
        throw CEMSError(m_strCurrentFile + kNoMelody);
    return notes;
}

RtxNote CMelodyConverter::ParseRtxNote(std::string_view item) const {
    return melody::ResolveNote(item, m_strDuration, m_strOctave);
}

std::optional<std::string> CMelodyConverter::WriteMelody(const melody::Melody& melody, int target,
                                                         std::string& text) {
    return TakeWritten(melody::WriteImelody(melody, target, m_bIncludeHeader != 0), text);
}

std::optional<std::string> CMelodyConverter::TakeWritten(melody::ImelodyText&& written,
                                                         std::string& text) {
    m_bTruncated = written.truncated;
    m_bUsesLowOctave = written.usesLowOctave;
    m_bUsesHighOctave = written.usesHighOctave;
    if (text.empty())
        text = std::move(written.text);
    else
        text += written.text;
    if (written.OutOfRange())
        return kOutOfRange;
    return std::nullopt;
}

void CMelodyConverter::WriteImelody1(const std::string& notes, std::string& text) {
    if (std::optional<std::string> problem =
            WriteMelody({m_strMelodyName, Settings(), notes}, 1, text))
        throw CEMSError(std::move(*problem));
}

void CMelodyConverter::WriteImelody2(const std::string& notes, std::string& text) {
    if (std::optional<std::string> problem =
            WriteMelody({m_strMelodyName, Settings(), notes}, 2, text))
        throw CEMSError(std::move(*problem));
}

std::string CMelodyConverter::ConvertNote1(std::string_view item, std::int64_t& runningOctave) {
    melody::OctavesUsed used{m_bUsesLowOctave, m_bUsesHighOctave};
    std::string out;
    melody::AppendNote1(ParseRtxNote(item), runningOctave, out, used);
    m_bUsesLowOctave = used.low;
    m_bUsesHighOctave = used.high;
    return out;
}

std::string CMelodyConverter::ConvertNote2(std::string_view item) const {
    std::string out;
    melody::AppendNote2(ParseRtxNote(item), out);
    return out;
}

void CMelodyConverter::ShiftOctavesDown(std::string& body) {
    melody::ShiftOctavesDown(body);
}

void CMelodyConverter::EncodeEmsHex(std::string_view imelody, std::string& hex) {
    hex += melody::EncodeEmsHex(imelody);
}
