#include "logoconv/PictureBatch.h"

#include "logoconv/EmsPictureWriter.h"
#include "logoconv/LogoReader.h"
#include "logoconv/PictureLog.h"
#include "logoconv/PicturePdu.h"
#include "logoconv/PicturePng.h"
#include "platform/FileIdentity.h"
#include "platform/InputList.h"
#include "platform/LocalTime.h"
#include "platform/TextFile.h"

#include <algorithm>

namespace logoconv {
namespace {

constexpr std::string_view kNotFound = kNotFoundMessage;
constexpr std::string_view kNotValid = kNotValidMessage;
constexpr std::string_view kNotValidLog = "Error! Not a valid Picture! \n";
constexpr std::string_view kNotWritten = "Error! Could not write to file! ";
constexpr std::string_view kNotWrittenLog = "Error! Could not write to file!\n";
constexpr std::string_view kNoLog = "Error! Could not open the log file!";
constexpr std::string_view kLogNotWritten = "Error! Could not write to the log file!";
constexpr std::string_view kCompleted = "Conversion completed!";

enum class Outcome { Converted, Failed };

// The files that the names of a call stand for (a symbolic link and the file
// it leads to alike), sorted: no output of the call may replace one of them.
std::vector<platform::FileIdentity> InputFiles(const std::vector<std::string>& names) {
    std::vector<platform::FileIdentity> files;
    files.reserve(names.size());
    for (const std::string& name : names)
        platform::AddIdentities(name, files);
    std::sort(files.begin(), files.end());
    return files;
}

bool IsInput(const std::string& path, const std::vector<platform::FileIdentity>& inputs) {
    const auto file = platform::IdentityOf(path, false);
    return file && std::binary_search(inputs.begin(), inputs.end(), *file);
}

// The PDU files of a call: written when a number was given, and listed.
struct PduFiles {
    const std::optional<sms::Address>& to;
    std::vector<sms::PduFile>& written;
};

// Writes a file beside the output file, unless it would replace an input of
// this call; nothing to write is a failure too.
bool WriteBeside(const std::string& path, std::string_view data,
                 const std::vector<platform::FileIdentity>& inputs) {
    return !data.empty() && !IsInput(path, inputs) && platform::WriteFileReplacing(path, data).ok();
}

// Writes the PDU file of an output file holding text. True when written, or
// when no number was given.
bool WritePduFile(PduFiles& pdus, const std::string& outputPath, std::string_view text,
                  bool threePart, const std::vector<platform::FileIdentity>& inputs) {
    if (!pdus.to)
        return true;
    const std::string path = BesideOutput(outputPath, sms::kPduFileEnding);
    const std::optional<sms::PduText> built =
        sms::BuildPdus(*pdus.to, PictureUserData(text, threePart));
    if (!built || !WriteBeside(path, built->text, inputs))
        return false;
    pdus.written.push_back({path, built->lengths});
    return true;
}

// The messages of one call, all with the component's caption.
class Messages {
public:
    explicit Messages(platform::IMessageUi& ui) : m_ui(ui) {}
    void Show(std::string_view text) { m_ui.ShowMessage(std::string(text), m_caption); }

private:
    platform::IMessageUi& m_ui;
    const std::string m_caption{kPictureCaption};
};

Outcome ConvertOne(Messages& messages, const std::string& name, std::string_view outputDir,
                   const PictureOutputs& outputs, const std::vector<platform::FileIdentity>& inputs,
                   PduFiles& pdus, PictureLog& log) {
    const std::optional<std::string> text = ReadLogoText(name);
    if (!text) {
        messages.Show(kNotFound);
        log.Write(name);
        log.Write(kNotFound);
        return Outcome::Failed;
    }
    log.Write("Converting : ");
    log.Write(name);
    log.Write(" : ");
    log.Write(platform::CtimeNow());

    const LogoImage image = RecogniseLogo(*text);
    if (!image.notice.empty())
        messages.Show(image.notice);
    log.Write(image.report);
    if (!image.valid) {
        messages.Show(kNotValid);
        log.Write(kNotValidLog);
        return Outcome::Failed;
    }

    // An output that would replace an input of this call is not written.
    Outcome outcome = Outcome::Converted;
    const std::string outputPath = OutputPathFor(name, outputDir);
    const std::string emsText =
        EmsPictureText(image, image.threePart ? MakeReference() : std::string());
    if (!IsInput(outputPath, inputs) && WriteEmsPicture(outputPath, emsText) &&
        WritePduFile(pdus, outputPath, emsText, image.threePart, inputs) &&
        (!outputs.png || WriteBeside(PngPathFor(outputPath), PictureAsPng(image), inputs))) {
        log.DrawPicture(PictureBits(image.data), image.width, image.height);
    } else {
        messages.Show(kNotWritten);
        log.Write(kNotWrittenLog);
        outcome = Outcome::Failed;
    }
    log.Write("\n\n\n");
    return outcome;
}

} // namespace

PictureBatchSummary ConvertPictureFiles(platform::IMessageUi& ui,
                                        const std::vector<std::string>& names,
                                        std::string_view outputDir, std::string_view programDir,
                                        const PictureOutputs& outputs) {
    Messages messages(ui);
    PictureLog log;
    if (!log.Open(programDir))
        messages.Show(kNoLog);
    const std::vector<platform::FileIdentity> inputs = InputFiles(names);
    PictureBatchSummary summary;
    PduFiles pdus{outputs.pduTo, summary.pduFiles};
    for (const std::string& name : names) {
        if (ConvertOne(messages, name, outputDir, outputs, inputs, pdus, log) == Outcome::Converted)
            ++summary.converted;
        else
            ++summary.failed;
        // A failed append closes the log: this is said once per call.
        if (!log.EndEntry())
            messages.Show(kLogNotWritten);
    }
    log.Close();
    messages.Show(kCompleted);
    return summary;
}

PictureBatchSummary RunPictureBatch(platform::IMessageUi& ui, std::string_view inputList,
                                    std::string_view outputDir, std::string_view programDir) {
    return ConvertPictureFiles(ui, platform::SplitInputList(inputList), outputDir, programDir);
}

} // namespace logoconv
