// emsconv: the command-line front end of the melody and picture converters,
// and the decoder that reads EMS messages back.

#include "cli/Commands.h"
#include "platform/BuildInfo.h"
#include "platform/Interruption.h"
#include "platform/StandardStreams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
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

// What the command printed must have reached its reader: a standard output
// or standard error that could not take it (a full disk, a closed pipe) ends
// the command with status 1, said on standard error where that still works.
int Finished(int status) {
    const int error = std::fflush(stdout) != 0 ? errno : 0;
    const bool outputLost = error != 0 || std::ferror(stdout) != 0;
    if (outputLost)
        std::fprintf(stderr, "emsconv: could not write to standard output%s%s\n",
                     error != 0 ? ": " : "", error != 0 ? std::strerror(error) : "");
    const bool errorsLost = std::fflush(stderr) != 0 || std::ferror(stderr) != 0;
    return (outputLost || errorsLost) && status == 0 ? 1 : status;
}

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
        return Finished(0);
    }
    if (command == "--version") {
        std::printf("emsconv %s\n", platform::kVersion);
        return Finished(0);
    }
    if (command == "melody")
        return Finished(cli::RunMelodyCommand(args));
    if (command == "picture")
        return Finished(cli::RunPictureCommand(args));
    if (command == "decode")
        return Finished(cli::RunDecodeCommand(args));
    std::fprintf(stderr, "emsconv: unknown command '%s'\n\n%s", command.c_str(), kUsage);
    return 2;
}
