// emsconv picture: converts Smart Messaging pictures into EMS picture files.
// The files are handed to the picture batch as a list of names, so a name
// holding a "," stays one name, the messages come in file order and the run
// ends with a single "Conversion completed!".

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "logoconv/PictureBatch.h"
#include "platform/LogFolder.h"
#include "platform/ProgramPath.h"

#include <cstdio>
#include <system_error>

namespace cli {
namespace {

const char kPictureUsage[] =
    "Usage: emsconv picture [-o DIR] [--png] [--log-dir DIR] FILE...\n"
    "\n"
    "Converts Smart Messaging pictures in hexadecimal text (operator logos and OTA\n"
    "bitmaps of 72x14 or 72x28 pixels, with or without their header) into EMS\n"
    "picture files. PNG, BMP and PBM images of exactly 72x14 or 72x28 pixels are\n"
    "taken as the same picture (a pixel is dark when its luminance is below half\n"
    "and it is not transparent). FILE dir/logo.ota gives DIR/logo.lgo: the last\n"
    "three characters of the name become \"lgo\". A 72x14 picture is written as\n"
    "its picture data, a 72x28 picture as the three user-data headers of a\n"
    "three-part message. Each FILE is one path, even when it holds a \",\".\n"
    "\n"
    "Options (before or after the files; \"--\" ends them):\n"
    "  -o DIR         output folder (default: the current folder)\n"
    "  --png          also write the picture as a 1-bit PNG image, DIR/logo.png\n"
    "                 (never over an input file)\n"
    "  --log-dir DIR  folder of PictureConverter.log (default: the program's folder,\n"
    "                 or ~/.local/state/quillmere/ when that is not writable)\n"
    "  -h, --help     show this help\n"
    "\n"
    "Every message of the conversion is written to standard error as one line\n"
    "\"CAPTION: TEXT\", ending with \"ZEV Urur Orarodude: Conversion completed!\".\n"
    "Each file adds an entry, with a drawing of the picture, to PictureConverter.log.\n"
    "\n"
    "Exit status: 0 every file converted; 1 a file was not found, not a valid\n"
    "picture or not written (its PNG included); 2 usage error; 130, 143 or 129\n"
    "ended by SIGINT, SIGTERM or SIGHUP (the file being written is removed). A log\n"
    "that cannot be opened or written is reported but does not change the exit\n"
    "status.\n";

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "emsconv picture: %s\n\n%s", problem.c_str(), kPictureUsage);
    return 2;
}

} // namespace

int RunPictureCommand(const std::vector<std::string>& args) {
    ParsedArgs parsed;
    if (const auto problem =
            ParseArgs(args, {{"-o", true}, {"--png", false}, {"--log-dir", true}}, parsed))
        return UsageError(*problem);
    if (parsed.help) {
        std::fputs(kPictureUsage, stdout);
        return 0;
    }
    if (parsed.files.empty())
        return UsageError("no FILE given");
    if (parsed.GivenEmpty("--log-dir"))
        return UsageError("--log-dir needs a folder");

    const std::string outputDir = parsed.Folder("-o", CurrentFolder());
    const std::string logDir = parsed.values.count("--log-dir") != 0
                                   ? parsed.Folder("--log-dir", std::string())
                                   : platform::LogFolder(platform::ProgramFolder());
    platform::PresenterMessageUi ui;
    const logoconv::PictureBatchSummary summary =
        logoconv::ConvertPictureFiles(ui, parsed.files, outputDir, logDir, {parsed.Has("--png")});
    return summary.failed == 0 ? 0 : 1;
}

} // namespace cli
