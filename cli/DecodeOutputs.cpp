#include "cli/DecodeOutputs.h"

#include "melody/ImelodySound.h"
#include "platform/Ascii.h"
#include "platform/OutputUnit.h"
#include "platform/ProgramPath.h"
#include "platform/ReplaceQuestion.h"

namespace cli {
namespace {

// The file name of the path without its folder and without its last extension.
std::string BaseName(const std::string& path) {
    std::string name = platform::FileNamePart(path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

// How the handsets the melody was written for read an octave prefix: our
// own target-1 files (NAME.hx1, NAME.1.pdu) keep it until the next one;
// every other melody has it for one note, as iMelody has it.
melody::OctavePrefix OctavesOf(const std::string& input) {
    const bool target1 = input.ends_with(".hx1") || input.ends_with(".1.pdu");
    return melody::OctavePrefixOf(target1 ? 1 : 2);
}

} // namespace

DecodeOutputs::Result DecodeOutputs::Write(const std::vector<ems::Content>& contents,
                                           std::size_t input) {
    Result result;
    std::vector<Output> outputs;
    const std::string stem = m_options.outputDir + BaseName(m_inputs[input]);
    for (const ems::Content& content : contents) {
        const bool melody = content.kind == ems::Content::Kind::Melody;
        if (!melody && content.kind != ems::Content::Kind::Picture)
            continue;
        const std::string base = stem + '.' + std::to_string(++m_numbers[stem]);
        outputs.push_back({base + (melody ? ".imy" : ".png"), &content, Form::File, {}});
        if (melody && m_options.wav)
            outputs.push_back({base + ".wav", &content, Form::Wave, {}});
        if (melody && m_options.midi)
            outputs.push_back({base + ".mid", &content, Form::Midi, {}});
    }
    if (outputs.empty())
        return result;

    result.outcome = Outcome::Failed;
    // The names first: a name taken by an earlier input costs no writing.
    for (const Output& output : outputs) {
        if (std::optional<std::string> conflict = m_plan.ConflictByName(output.path)) {
            result.failure = std::move(*conflict);
            return result;
        }
    }
    // Each file is made when it is staged, so that no more than one WAV is
    // held at a time.
    platform::OutputUnit unit;
    const ems::Content* played = nullptr;
    melody::ImelodyTones tones;
    for (Output& output : outputs) {
        const ems::Content& content = *output.content;
        if (output.form != Form::File && played != &content) {
            tones = melody::ReadImelodyTones(content.melody, OctavesOf(m_inputs[input]));
            played = &content;
        }
        if (output.form != Form::File && tones.endless)
            output.note = " (its repeat for ever played once)";
        const std::string data =
            output.form == Form::Wave ? melody::WaveFile(melody::SynthesiseTones(tones.tones))
            : output.form == Form::Midi ? melody::MidiFile(tones)
            : content.kind == ems::Content::Kind::Melody
                ? content.melody
                : imaging::EncodePng(content.picture, m_options.pngScale);
        const bool noPng = content.kind == ems::Content::Kind::Picture && data.empty();
        if (noPng || !unit.Stage(output.path, data)) {
            result.failure =
                "The file: " + platform::PrintableName(output.path) + " could not be written.";
            return result;
        }
    }
    const platform::OutputUnit::Result committed = unit.Commit(
        [&](std::size_t i, const platform::FileIdentity& existing) {
            return platform::AskBeforeReplacing(m_plan, m_ui, m_replaceAll, outputs[i].path,
                                                existing, result.failure);
        },
        [] {});
    switch (committed.outcome) {
    case platform::OutputUnit::Outcome::Committed:
        break;
    case platform::OutputUnit::Outcome::Kept:
        result.outcome = Outcome::Kept;
        result.failure = platform::PrintableName(outputs[committed.output].path) +
                         " exists and was kept";
        return result;
    case platform::OutputUnit::Outcome::Refused:
        return result; // the plan said why
    case platform::OutputUnit::Outcome::Failed:
        result.failure = platform::PrintableName(committed.failure.Message());
        return result;
    }
    result.outcome = Outcome::Written;
    std::vector<std::string> paths;
    for (Output& output : outputs) {
        result.lines.push_back("  wrote " + platform::PrintableName(output.path) + output.note);
        paths.push_back(std::move(output.path));
    }
    m_plan.Written(std::move(paths), input);
    return result;
}

} // namespace cli
