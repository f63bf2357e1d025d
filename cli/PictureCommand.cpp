// emsconv picture: converts Smart Messaging pictures into EMS picture files.
// The files are handed to the picture batch as a list of names, so a name
// holding a "," stays one name, the messages come in file order and the run
// ends with a single "Conversion completed!".

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/PduOption.h"
#include "cli/TerminalUi.h"
#include "picture/PictureBatch.h"
#include "platform/Ascii.h"
#include "platform/LogFolder.h"
#include "platform/ProgramPath.h"

#include <cstdio>
#include <system_error>

namespace cli {
namespace {

const char kPictureUsage[] =
    "Usage: emsconv picture [-o DIR] [--png] [--replace ask|all|never] [--log-dir DIR]\n"
    "                       [--pdu NUMBER] FILE...\n"
    "\n"
    "Converts Smart Messaging pictures in hexadecimal text (operator logos and OTA\n"
    "bitmaps of 72x14 or 72x28 pixels, with or without their header) into EMS\n"
    "picture files. PNG, BMP and PBM images of exactly 72x14 or 72x28 pixels are\n"
    "taken as the same picture (a pixel is dark when its luminance is below half\n"
    "and it is not transparent). FILE dir/logo.ota gives DIR/logo.lgo: the last\n"
    "three characters of the name become \"lgo\". A 72x14 picture is written as\n"
    "its picture data, a 72x28 picture as the three user-data headers of a\n"
    "three-part message. Each FILE is one path, even when it holds a \",\".\n"
    "A file's outputs (.lgo, .png, .pdu) are written all or none; none of them\n"
    "replaces an input of the run or a file written for an earlier FILE of it.\n"
    "\n"
    "Options (before or after the files; \"--\" ends them):\n"
    "  -o DIR         output folder (default: the current folder)\n"
    "  --png          also write the picture as a 1-bit PNG image, DIR/logo.png\n"
    "  --replace MODE what to do with an output file that exists already:\n"
    "                   ask    ask on the terminal: replace, all or cancel\n"
    "                   all    replace every one without asking\n"
    "                   never  keep every one (the answer Cancel)\n"
    "                 default: ask when standard input is a terminal, else never\n"
    "  --log-dir DIR  folder of PictureConverter.log (default: the program's folder,\n"
    "                 or ~/.local/state/quillmere/ when that is not writable)\n"
    "  --pdu NUMBER   also write DIR/logo.pdu (\"pdu\" in place of \"lgo\"): the picture\n"
    "                 as SMS to NUMBER, ready to send (see below)\n"
    "  -h, --help     show this help\n"
    "\n"
    "Every message of the conversion is written to standard error as one line\n"
    "\"CAPTION: TEXT\", ending with \"ZEV Urur Orarodude: Conversion completed!\".\n"
    "Each file adds an entry, with a drawing of the picture, to PictureConverter.log.\n"
    "\n"
    "With --pdu, NUMBER is 1 to 20 digits, with a leading \"+\" for an international\n"
    "number. A PDU file is written like the .lgo file beside it and holds one line\n"
    "per SMS: one for a 72x14 picture (sent as one variable picture), three for a\n"
    "72x28 picture (the three lines of its .lgo file). Each line is the PDU in\n"
    "upper-case hexadecimal digits as AT+CMGS takes it in PDU mode (AT+CMGF=0),\n"
    "starting with 00 for the handset's own service centre. For each PDU file\n"
    "written, standard output gets the line\n"
    "  PATH: AT+CMGS=LENGTH ...\n"
    "with the length to give AT+CMGS for each of its lines, in order: the octets\n"
    "of the PDU without its leading 00.\n"
    "\n"
    "Exit status: 0 every file converted; 1 a file was not found, not a valid\n"
    "picture, not written or kept at the replace question, or standard output or\n"
    "standard error could not be written; 2 usage error; 130, 143 or 129 ended by\n"
    "SIGINT, SIGTERM or SIGHUP (the file in hand is left as it was; every file\n"
    "before it keeps its outputs and its log entry). A log that cannot be opened\n"
    "or written is reported but does not change the exit status.\n";

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "emsconv picture: %s\n\n%s", platform::PrintableName(problem).c_str(),
                 kPictureUsage);
    return 2;
}

} // namespace

int RunPictureCommand(const std::vector<std::string>& args) {
    ParsedArgs parsed;
    if (const auto problem = ParseArgs(
            args,
            {{"-o", true}, {"--png", false}, kReplaceOption, {"--log-dir", true}, kPduOption},
            parsed))
        return UsageError(*problem);
    if (parsed.help) {
        std::fputs(kPictureUsage, stdout);
        return 0;
    }
    if (parsed.files.empty())
        return UsageError("no FILE given");
    if (parsed.GivenEmpty("--log-dir"))
        return UsageError("--log-dir needs a folder");
    ReplaceMode mode;
    if (const auto problem = ReadReplaceOption(parsed, mode))
        return UsageError(*problem);
    std::optional<sms::Address> pduTo;
    if (const auto problem = ReadPduOption(parsed, pduTo))
        return UsageError(*problem);

    const std::string outputDir = parsed.Folder("-o", CurrentFolder());
    const std::string logFolder =
        platform::LogFolderFor(parsed.Value("--log-dir", ""), platform::ProgramFolder());
    TerminalUi ui(mode);
    const picture::PictureBatchSummary summary = picture::ConvertPictureFiles(
        ui, parsed.files, outputDir, logFolder, {.png = parsed.Has("--png"), .pduTo = pduTo});
    std::fputs(CmgsLines(summary.pduFiles).c_str(), stdout);
    return summary.failed == 0 && summary.cancelled == 0 ? 0 : 1;
}

} // namespace cli
