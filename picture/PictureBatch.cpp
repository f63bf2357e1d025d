#include "picture/PictureBatch.h"

#include "picture/EmsPictureWriter.h"
#include "picture/LogoReader.h"
#include "picture/PictureLog.h"
#include "picture/PicturePdu.h"
#include "picture/PicturePng.h"
#include "platform/Ascii.h"
#include "platform/InputList.h"
#include "platform/LocalTime.h"
#include "platform/LogFolder.h"
#include "platform/OutputPlan.h"
#include "platform/OutputUnit.h"
#include "platform/TextFile.h"

namespace picture {
namespace {

constexpr std::string_view kNotFound = kNotFoundMessage;
constexpr std::string_view kNotValid = kNotValidMessage;
constexpr std::string_view kNotValidLog = "Error! Not a valid Picture! \n";
constexpr std::string_view kNotWritten = "Error! Could not write to file! ";
constexpr std::string_view kNotWrittenLog = "Error! Could not write to file!\n";
constexpr std::string_view kNoLog = "Error! Could not open the log file!";
constexpr std::string_view kLogNotWritten = "Error! Could not write to the log file!";
constexpr std::string_view kCompleted = "Conversion completed!";

enum class Outcome { Converted, Failed, Cancelled };

// The component's user: shown every message, never asked; every existing
// output is replaced.
class ReplacingUi final : public platform::IReplaceUi {
public:
    explicit ReplacingUi(platform::IMessageUi& ui) : m_ui(ui) {}
    void ShowMessage(const std::string& text, const std::string& caption) override {
        m_ui.ShowMessage(text, caption);
    }
    bool MessagesWait() const override { return m_ui.MessagesWait(); }
    platform::ReplaceAnswer AskReplace(const std::string&) override {
        return platform::ReplaceAnswer::ReplaceAll;
    }

private:
    platform::IMessageUi& m_ui;
};

// One call: its user, plan, log and options.
class Batch {
public:
    Batch(platform::IReplaceUi& ui, const std::vector<std::string>& names,
          std::string_view outputDir, const PictureOutputs& outputs, PictureBatchSummary& summary,
          platform::FileSystem& files)
        : log(files), m_ui(ui), m_plan(names), m_outputDir(outputDir),
          m_folder(std::string(outputDir)), m_outputs(outputs), m_summary(summary), m_files(files) {
    }

    PictureLog log;

    // The log's lock is let go before the user is asked anything, or told
    // anything in a way that waits for them.
    void Show(std::string_view text) {
        if (m_ui.MessagesWait())
            log.Release();
        m_ui.ShowMessage(std::string(text), m_caption);
    }
    Outcome Convert(const std::string& name, std::size_t input);

private:
    struct Output {
        std::string path;
        std::string data;
    };
    Outcome Failed(std::string_view message, std::string_view logLine);
    Outcome Write(const LogoImage& image, std::vector<Output>& outputs, std::size_t input,
                  std::vector<std::size_t>& pduLengths);
    platform::ReplaceVerdict Decide(const std::string& path, const platform::FileIdentity& existing,
                                    std::string& failure);

    platform::IReplaceUi& m_ui;
    const std::string m_caption{kPictureCaption};
    platform::OutputPlan m_plan;
    std::string_view m_outputDir;
    platform::OutputFolder m_folder; // held open for the units
    const PictureOutputs& m_outputs;
    PictureBatchSummary& m_summary;
    platform::FileSystem& m_files;
    bool m_replaceAll = false;
};

Outcome Batch::Failed(std::string_view message, std::string_view logLine) {
    Show(message);
    log.Write(logLine);
    log.Write("\n\n\n");
    return Outcome::Failed;
}

Outcome Batch::Convert(const std::string& name, std::size_t input) {
    const std::optional<std::string> text = ReadLogoText(name, m_files);
    if (!text) {
        Show(kNotFound);
        log.Write(platform::PrintableName(name));
        log.Write(kNotFound);
        return Outcome::Failed;
    }
    log.Write("Converting : ");
    log.Write(platform::PrintableName(name));
    log.Write(" : ");
    log.Write(platform::CtimeNow());

    const LogoImage image = RecogniseLogo(*text);
    if (!image.notice.empty())
        Show(image.notice);
    log.Write(image.report);
    if (!image.valid) {
        Show(kNotValid);
        log.Write(kNotValidLog);
        return Outcome::Failed;
    }

    // The names first: a name taken by an earlier file costs no writing.
    const std::string outputPath = OutputPathFor(name, m_outputDir);
    std::vector<Output> outputs{{outputPath, {}}};
    if (m_outputs.png)
        outputs.push_back({PngPathFor(outputPath), {}});
    if (m_outputs.pduTo)
        outputs.push_back({BesideOutput(outputPath, sms::kPduFileEnding), {}});
    for (const Output& output : outputs)
        if (const std::optional<std::string> conflict = m_plan.ConflictByName(output.path))
            return Failed(*conflict, *conflict + "\n");

    const std::string emsText =
        EmsPictureText(image, image.threePart ? MakeReference() : std::string());
    outputs[0].data = platform::LfToCrlf(emsText);
    if (m_outputs.png)
        outputs[1].data = PictureAsPng(image);
    std::vector<std::size_t> pduLengths;
    if (m_outputs.pduTo) {
        std::optional<sms::PduText> pdus =
            sms::BuildPdus(*m_outputs.pduTo, PictureUserData(emsText, image.threePart));
        if (pdus) {
            outputs.back().data = std::move(pdus->text);
            pduLengths = std::move(pdus->lengths);
        }
    }
    return Write(image, outputs, input, pduLengths);
}

// Writes the outputs of a valid picture as one unit, its drawing going into
// the log with them.
Outcome Batch::Write(const LogoImage& image, std::vector<Output>& outputs, std::size_t input,
                     std::vector<std::size_t>& pduLengths) {
    platform::OutputUnit unit(m_files, false, &m_folder);
    for (const Output& output : outputs)
        if (output.data.empty() || !unit.Stage(output.path, output.data))
            return Failed(kNotWritten, kNotWrittenLog);

    std::string failure;
    const platform::OutputUnit::Result result = unit.Commit(
        [&](std::size_t i, const platform::FileIdentity& existing) {
            return Decide(outputs[i].path, existing, failure);
        },
        [&] {
            log.DrawPicture(image.data, image.width, image.height);
            log.Write("\n\n\n");
            log.EndEntry();
        });
    switch (result.outcome) {
    case platform::OutputUnit::Outcome::Committed:
        break;
    case platform::OutputUnit::Outcome::Kept:
        log.Write("Cancelled: " + platform::PrintableName(outputs[result.output].path) +
                  " already exists and was kept.\n\n\n\n");
        return Outcome::Cancelled;
    case platform::OutputUnit::Outcome::Refused:
        return Failed(failure, failure + "\n");
    case platform::OutputUnit::Outcome::Failed:
        return Failed(kNotWritten, kNotWrittenLog);
    }
    std::vector<std::string> paths;
    for (Output& output : outputs)
        paths.push_back(std::move(output.path));
    if (m_outputs.pduTo)
        m_summary.pduFiles.push_back({paths.back(), std::move(pduLengths)});
    m_plan.Written(std::move(paths), input);
    return Outcome::Converted;
}

platform::ReplaceVerdict Batch::Decide(const std::string& path,
                                       const platform::FileIdentity& existing,
                                       std::string& failure) {
    if (std::optional<std::string> conflict = m_plan.ConflictByIdentity(path, existing)) {
        failure = std::move(*conflict);
        return platform::ReplaceVerdict::Refuse;
    }
    if (m_replaceAll)
        return platform::ReplaceVerdict::Replace;
    log.Release();
    switch (m_ui.AskReplace("The file: " + platform::PrintableName(path) +
                            " already exists, would you like to replace it?")) {
    case platform::ReplaceAnswer::ReplaceAll:
        m_replaceAll = true;
        return platform::ReplaceVerdict::Replace;
    case platform::ReplaceAnswer::Replace:
        return platform::ReplaceVerdict::Replace;
    case platform::ReplaceAnswer::DoNotReplace:
        break;
    }
    return platform::ReplaceVerdict::Keep;
}

} // namespace

PictureBatchSummary ConvertPictureFiles(platform::IReplaceUi& ui,
                                        const std::vector<std::string>& names,
                                        std::string_view outputDir, std::string_view logFolder,
                                        const PictureOutputs& outputs,
                                        platform::FileSystem& files) {
    PictureBatchSummary summary;
    Batch batch(ui, names, outputDir, outputs, summary, files);
    if (!batch.log.Open(logFolder))
        batch.Show(kNoLog);
    for (std::size_t i = 0; i < names.size(); ++i) {
        switch (batch.Convert(names[i], i)) {
        case Outcome::Converted:
            ++summary.converted;
            break;
        case Outcome::Failed:
            ++summary.failed;
            break;
        case Outcome::Cancelled:
            ++summary.cancelled;
            break;
        }
        // A failed append closes the log: this is said once per call.
        batch.log.EndEntry();
        if (batch.log.TakeFailure())
            batch.Show(kLogNotWritten);
    }
    batch.log.Close();
    batch.Show(kCompleted);
    return summary;
}

PictureBatchSummary RunPictureBatch(platform::IMessageUi& ui, std::string_view inputList,
                                    std::string_view outputDir, std::string_view programFolder,
                                    platform::FileSystem& files) {
    ReplacingUi replacing(ui);
    return ConvertPictureFiles(replacing, platform::SplitInputList(inputList), outputDir,
                               platform::LogFolderFor({}, programFolder), {}, files);
}

} // namespace picture
