// emsconv melody: converts RTX ringtones into iMelody files and EMS headers.
// The files are handed to the converter as a list of paths, so a path
// holding a "," stays one path. Every message of the conversion becomes one
// "CAPTION: TEXT" line on standard error; the replace question is put on the
// terminal only in ask mode.

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/PduOption.h"
#include "melody/MelodyConverter.h"
#include "platform/Ascii.h"
#include "platform/MessagePresenter.h"
#include "platform/ProgramPath.h"

#include <cstdio>
#include <string>
#include <system_error>
#include <unistd.h>

namespace cli {
namespace {

const char kMelodyUsage[] =
    "Usage: emsconv melody [-o DIR] [--target 1|2|both] [--no-header] [--wav]\n"
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
    "An RTX file over 64 MB is refused. With --replace ask, the end of the input\n"
    "(or ten questions in a row without an answer) keeps the file.\n"
    "\n"
    "Exit status: 0 every file and target converted and written; 1 one failed or\n"
    "was cancelled at the replace question; 2 usage error; 130, 143 or 129 ended\n"
    "by SIGINT, SIGTERM or SIGHUP (the file being written is removed). A log that\n"
    "cannot be written is reported but does not change the exit status.\n";

enum class ReplaceMode { Ask, All, Never };

// The longest answer line: a longer line is no answer.
constexpr std::size_t kMaxAnswer = 4096;
// Questions in a row without an answer, after which the input counts as ended.
constexpr int kMaxUnanswered = 10;

// The conversion's messages on standard error, its replace question answered
// by the chosen mode (or by the user on the terminal).
class TerminalMelodyUi : public IMelodyUi {
public:
    explicit TerminalMelodyUi(ReplaceMode mode) : m_mode(mode) {}

    void ShowMessage(const std::string& text, const std::string& caption) override {
        platform::ShowMessage(caption, text);
    }

    ReplaceAnswer AskReplace(const std::string& prompt) override {
        switch (m_mode) {
        case ReplaceMode::All:
            return ReplaceAnswer::ReplaceAll;
        case ReplaceMode::Never:
            return ReplaceAnswer::DoNotReplace;
        case ReplaceMode::Ask:
            break;
        }
        for (int unanswered = 0;; ++unanswered) {
            std::fprintf(stderr, "%s [r]eplace, replace [a]ll, [c]ancel: ", prompt.c_str());
            std::fflush(stderr);
            std::string answer;
            const Line line = unanswered < kMaxUnanswered ? ReadLine(answer) : Line::End;
            if (line == Line::End) {
                // No more answers: keep the file, now and at every later question.
                m_inputEnded = true;
                std::fputc('\n', stderr);
                return ReplaceAnswer::DoNotReplace;
            }
            if (line == Line::TooLong)
                continue;
            if (answer == "r" || answer == "replace")
                return ReplaceAnswer::Replace;
            if (answer == "a" || answer == "all" || answer == "replace all")
                return ReplaceAnswer::ReplaceAll;
            if (answer == "c" || answer == "cancel")
                return ReplaceAnswer::DoNotReplace;
        }
    }

private:
    enum class Line { Read, TooLong, End };

    // One line of standard input, without its line end and surrounding blanks,
    // lower-cased. At most kMaxAnswer characters are read: a longer line is
    // TooLong, and so is each further piece of it that later calls read.
    // End at the end of the input (a last line without its line feed is read,
    // and the next output is put on a line of its own).
    Line ReadLine(std::string& line) {
        line.clear();
        if (m_inputEnded)
            return Line::End;
        const bool continued = m_inLongLine;
        m_inLongLine = false;
        bool any = false;
        int c = EOF;
        while (line.size() <= kMaxAnswer && (c = std::fgetc(stdin)) != EOF) {
            any = true;
            if (c == '\n')
                break;
            line += platform::LowerAscii(static_cast<char>(c));
        }
        if (!any)
            return Line::End;
        if (c == EOF)
            std::fputc('\n', stderr);
        if (line.size() > kMaxAnswer) {
            m_inLongLine = true;
            return Line::TooLong;
        }
        if (continued)
            return Line::TooLong; // the end of a line that was too long
        const auto first = line.find_first_not_of(" \t\r");
        const auto last = line.find_last_not_of(" \t\r");
        line = first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
        return Line::Read;
    }

    ReplaceMode m_mode;
    bool m_inLongLine = false; // the last line read stopped inside a line too long
    bool m_inputEnded = false;
};

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "emsconv melody: %s\n\n%s", problem.c_str(), kMelodyUsage);
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
                                        {"--replace", true},
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
    const std::string replace =
        parsed.Value("--replace", ::isatty(STDIN_FILENO) != 0 ? "ask" : "never");
    ReplaceMode mode;
    if (replace == "ask")
        mode = ReplaceMode::Ask;
    else if (replace == "all")
        mode = ReplaceMode::All;
    else if (replace == "never")
        mode = ReplaceMode::Never;
    else
        return UsageError("--replace must be ask, all or never, not '" + replace + "'");
    if (parsed.GivenEmpty("--log-dir"))
        return UsageError("--log-dir needs a folder");
    std::optional<sms::Address> pduTo;
    if (const auto problem = ReadPduOption(parsed, pduTo))
        return UsageError(*problem);

    const std::string outputDir = parsed.Folder("-o", CurrentFolder());
    TerminalMelodyUi ui(mode);
    CMelodyConverter converter(ui, parsed.Folder("--log-dir", std::string()));
    if (pduTo)
        converter.WritePdusTo(*pduTo);
    converter.SetWaveOutput(parsed.Has("--wav"));
    converter.ConvertMelodies(parsed.files, outputDir, parsed.Has("--no-header") ? 0 : 1,
                              target != "2" ? 1 : 0, target != "1" ? 1 : 0);
    std::fputs(CmgsLines(converter.PduFiles()).c_str(), stdout);
    return converter.AllSucceeded() ? 0 : 1;
}

} // namespace cli
