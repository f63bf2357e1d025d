// emsconv melody: converts RTX ringtones into iMelody files and EMS headers.
// The files are handed to the converter as a list of paths, so a path
// holding a "," stays one path. Every message of the conversion becomes one
// "CAPTION: TEXT" line on standard error; the replace question is put on the
// terminal only in ask mode.

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/PduOption.h"
#include "cli/TerminalUi.h"
#include "melody/MelodyConverter.h"
#include "platform/Ascii.h"

#include <cstdio>
#include <string>

namespace cli {
namespace {

const char kMelodyUsage[] =
    "Usage: emsconv melody [-o DIR] [--target 1|2|both] [--no-header] [--wav] [--midi]\n"
    "                      [--replace ask|all|never] [--log-dir DIR] [--pdu NUMBER]\n"
    "                      FILE...\n"
    "\n"
    "Converts RTX ringtones (name:settings:notes) into iMelody files and ready-made\n"
    "EMS user-data headers in hexadecimal digits. For FILE dir/song.txt and target 1\n"
    "it writes DIR/song.em1 and DIR/song.hx1; target 2 writes .em2 and .hx2.\n"
    "Each FILE is one path, even when it holds a \",\".\n"
    "\n"
    "Options (before or after the files; \"--\" ends them):\n"
    "  -o DIR             output folder (default: the current folder)\n"
    "  --target 1|2|both  target handset group (default: 1); both converts every\n"
    "                     file for target 1, then for target 2\n"
    "  --no-header        leave out the BEGIN/VERSION/FORMAT and END lines\n"
    "                     (they are written by default)\n"
    "  --wav              also write the melody as the handset plays it, DIR/song.1.wav\n"
    "                     (target 2: song.2.wav), 16-bit 44.1 kHz mono; a WAV that\n"
    "                     cannot be written fails that file and target\n"
    "  --midi             also write the melody as a Standard MIDI File, DIR/song.1.mid\n"
    "                     (target 2: song.2.mid): the notes and rests the WAV plays,\n"
    "                     repeats written out, 480 ticks to a quarter note\n"
    "  --replace MODE     what to do with an output file that exists already:\n"
    "                       ask    ask on the terminal: replace, all or cancel\n"
    "                       all    replace every one without asking\n"
    "                       never  keep every one (the answer Cancel)\n"
    "                     default: ask when standard input is a terminal, else never\n"
    "  --log-dir DIR      folder of MelodyConverter.log (default: the program's folder,\n"
    "                     or ~/.local/state/quillmere/ when that is not writable)\n"
    "  --pdu NUMBER       also write DIR/song.1.pdu (target 2: song.2.pdu): the EMS\n"
    "                     header as an SMS to NUMBER, ready to send (see below)\n"
    "  -h, --help         show this help\n"
    "\n"
    "Every message of the conversion is written to standard error as one line\n"
    "\"CAPTION: TEXT\", ending with \"EMS Melody Converter: Conversion complete.\".\n"
    "Each file and target adds an entry to MelodyConverter.log.\n"
    "\n"
    "With --pdu, NUMBER is 1 to 20 digits, with a leading \"+\" for an international\n"
    "number. A PDU file is asked about and written like the other outputs. It holds\n"
    "one line per SMS: the PDU in upper-case hexadecimal digits as AT+CMGS takes it\n"
    "in PDU mode (AT+CMGF=0), starting with 00 for the handset's own service centre.\n"
    "For each PDU file written, standard output gets the line\n"
    "  PATH: AT+CMGS=LENGTH\n"
    "with the length to give AT+CMGS for the PDU: its octets without the leading 00.\n"
    "\n"
    "The outputs of a file and target are written all or none, every question\n"
    "about them asked first; none of them replaces an input of the run or a file\n"
    "written for an earlier FILE of it. An RTX file over 64 MB is refused. With\n"
    "--replace ask, the end of the input (or ten questions in a row without an\n"
    "answer) keeps the file.\n"
    "\n"
    "Exit status: 0 every file and target converted and written; 1 one failed or\n"
    "was cancelled at the replace question, or standard output or standard error\n"
    "could not be written; 2 usage error; 130, 143 or 129 ended by SIGINT, SIGTERM\n"
    "or SIGHUP (the file and target in hand are left as they were; every one\n"
    "before keeps its outputs and its log entry). A log that cannot be written is\n"
    "reported but does not change the exit status.\n";

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "emsconv melody: %s\n\n%s", platform::PrintableName(problem).c_str(),
                 kMelodyUsage);
    return 2;
}

} // namespace

int RunMelodyCommand(const std::vector<std::string>& args) {
    ParsedArgs parsed;
    if (const auto problem = ParseArgs(args,
                                       {{"-o", true},
                                        {"--target", true},
                                        {"--no-header", false},
                                        {"--wav", false},
                                        {"--midi", false},
                                        kReplaceOption,
                                        {"--log-dir", true},
                                        kPduOption},
                                       parsed))
        return UsageError(*problem);
    if (parsed.help) {
        std::fputs(kMelodyUsage, stdout);
        return 0;
    }
    if (parsed.files.empty())
        return UsageError("no FILE given");

    const std::string target = parsed.Value("--target", "1");
    if (target != "1" && target != "2" && target != "both")
        return UsageError("--target must be 1, 2 or both, not '" + target + "'");
    ReplaceMode mode;
    if (const auto problem = ReadReplaceOption(parsed, mode))
        return UsageError(*problem);
    if (parsed.GivenEmpty("--log-dir"))
        return UsageError("--log-dir needs a folder");
    std::optional<sms::Address> pduTo;
    if (const auto problem = ReadPduOption(parsed, pduTo))
        return UsageError(*problem);

    const std::string outputDir = parsed.Folder("-o", CurrentFolder());
    TerminalUi ui(mode);
    CMelodyConverter converter(ui, parsed.Folder("--log-dir", std::string()));
    if (pduTo)
        converter.WritePdusTo(*pduTo);
    converter.SetWaveOutput(parsed.Has("--wav"));
    converter.SetMidiOutput(parsed.Has("--midi"));
    converter.ConvertMelodies(parsed.files, outputDir, parsed.Has("--no-header") ? 0 : 1,
                              target != "2" ? 1 : 0, target != "1" ? 1 : 0);
    std::fputs(CmgsLines(converter.PduFiles()).c_str(), stdout);
    return converter.AllSucceeded() ? 0 : 1;
}

} // namespace cli
