// emsconv: the command-line front end of the melody and picture converters,
// and the decoder that reads EMS messages back.

#include "cli/Commands.h"
#include "platform/BuildInfo.h"
#include "platform/Interruption.h"
#include "platform/StandardStreams.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: emsconv COMMAND [OPTIONS] FILE...\n"
    "\n"
    "Converts Smart Messaging content into EMS content, and reads EMS messages back.\n"
    "\n"
    "Commands:\n"
    "  melody   RTX ringtones to iMelody files (.em1/.em2) and EMS headers in hex (.hx1/.hx2)\n"
    "  picture  Smart Messaging pictures to EMS picture files (.lgo)\n"
    "  decode   EMS messages (PDUs, a modem's AT+CMGL listing, .hx1/.hx2/.lgo files) to\n"
    "           iMelody files (.imy), PNG pictures, WAV and MIDI files\n"
    "\n"
    "Run 'emsconv COMMAND --help' for the options of a command,\n"
    "'emsconv --version' for the version.\n";

} // namespace

int main(int argc, char** argv) {
    if (!platform::OpenStandardStreams())
        return 1;
    platform::EndCleanlyOnInterruption();
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return platform::FinishStandardStreams(0, "emsconv");
    }
    if (command == "--version") {
        std::printf("emsconv %s\n", platform::kVersion);
        return platform::FinishStandardStreams(0, "emsconv");
    }
    if (command == "melody")
        return platform::FinishStandardStreams(cli::RunMelodyCommand(args), "emsconv");
    if (command == "picture")
        return platform::FinishStandardStreams(cli::RunPictureCommand(args), "emsconv");
    if (command == "decode")
        return platform::FinishStandardStreams(cli::RunDecodeCommand(args), "emsconv");
    std::fprintf(stderr, "emsconv: unknown command '%s'\n\n%s", command.c_str(), kUsage);
    return 2;
}
