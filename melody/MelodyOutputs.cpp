// The outputs of one file and target, written as one unit: the iMelody
// file, the EMS header, and as asked the WAV, the MIDI file and the PDU file. Nothing is
// written over an input of the batch or over what an earlier file of the
// batch wrote; every replace question is asked before the first file is
// renamed into place; the log entry of a written unit goes in with it.

#include "melody/internal/BatchState.h"

#include "melody/ImelodySound.h"
#include "platform/Ascii.h"
#include "platform/OutputUnit.h"
#include "platform/ProgramPath.h"
#include "platform/ReplaceQuestion.h"

namespace {

struct Output {
    std::string path;
    std::string data;
};

// The file name of the path without its folder and without its last extension.
std::string BaseName(const std::string& path) {
    std::string name = platform::FileNamePart(path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

std::string NotWritten(const std::string& path) {
    return "The file: " + platform::PrintableName(path) + " could not be written.";
}

} // namespace

CMelodyConverter::Outcome CMelodyConverter::WriteOutputs(int target, const std::string& rtxFile,
                                                         std::string imelody, std::size_t input,
                                                         Batch& batch, std::string& entry,
                                                         std::string& failure) {
    // The names first: a name taken by an earlier file costs no writing.
    const std::string base = batch.outputDir + BaseName(rtxFile);
    const char digit = target == 1 ? '1' : '2';
    std::vector<Output> outputs{{base + ".em" + digit, {}}, {base + ".hx" + digit, {}}};
    const std::size_t wave = outputs.size();
    if (m_bWriteWave)
        outputs.push_back({base + '.' + digit + ".wav", {}});
    const std::size_t midi = outputs.size();
    if (m_bWriteMidi)
        outputs.push_back({base + '.' + digit + ".mid", {}});
    if (m_pduTo)
        outputs.push_back({base + '.' + digit + '.' + std::string(sms::kPduFileEnding), {}});
    for (const Output& output : outputs) {
        if (std::optional<std::string> conflict = batch.plan.ConflictByName(output.path)) {
            failure = std::move(*conflict);
            return Outcome::Failed;
        }
    }

    outputs[1].data = melody::EncodeEmsHex(imelody);
    if (m_bWriteWave || m_bWriteMidi) {
        const melody::ImelodyTones tones =
            melody::ReadImelodyTones(imelody, melody::OctavePrefixOf(target));
        if (m_bWriteWave)
            outputs[wave].data = melody::WaveFile(melody::SynthesiseTones(tones.tones));
        if (m_bWriteMidi)
            outputs[midi].data = melody::MidiFile(tones);
    }
    outputs[0].data = std::move(imelody);
    std::vector<std::size_t> pduLengths;
    if (m_pduTo) {
        // Every writer keeps its text short enough for one short message.
        std::optional<sms::PduText> pdus = sms::BuildPdus(*m_pduTo, {outputs[1].data});
        if (!pdus) {
            failure = platform::PrintableName(outputs.back().path) +
                      " could not be written: the header does not fit into one SMS.";
            return Outcome::Failed;
        }
        pduLengths = std::move(pdus->lengths);
        outputs.back().data = std::move(pdus->text);
    }

    platform::OutputUnit unit(m_files, false, &batch.folder);
    for (const Output& output : outputs) {
        if (!unit.Stage(output.path, output.data)) {
            failure = NotWritten(output.path);
            return Outcome::Failed;
        }
    }

    const auto decide = [&](std::size_t i, const platform::FileIdentity& existing) {
        return platform::AskBeforeReplacing(batch.plan, m_ui, m_bReplaceAll, outputs[i].path,
                                            existing, failure, batch.releaseLog);
    };
    const auto finish = [&] {
        entry += "Status: Success\r\n";
        entry +=
            m_bTruncated
                ? "The melody was truncated to accomodate the maximum limit of 128 bytes.\r\n\r\n"
                : "\r\n";
        batch.appendEntry(entry);
    };
    const platform::OutputUnit::Result result = unit.Commit(decide, finish);
    switch (result.outcome) {
    case platform::OutputUnit::Outcome::Committed:
        break;
    case platform::OutputUnit::Outcome::Kept:
        return Outcome::Cancelled;
    case platform::OutputUnit::Outcome::Refused:
        return Outcome::Failed; // decide said why
    case platform::OutputUnit::Outcome::Failed:
        failure = NotWritten(result.failure.path);
        return Outcome::Failed;
    }
    std::vector<std::string> paths;
    for (Output& output : outputs)
        paths.push_back(std::move(output.path));
    if (m_pduTo)
        m_pduFiles.push_back({paths.back(), std::move(pduLengths)});
    batch.plan.Written(std::move(paths), input);
    return Outcome::Succeeded;
}
