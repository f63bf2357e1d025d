// emsconv decode: reads EMS messages back (PDU lines, a modem's listing, our
// own header files) and writes the melodies and pictures they carry.

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DecodeOutputs.h"
#include "cli/TerminalUi.h"
#include "ems/Contents.h"
#include "ems/MessageLines.h"
#include "ems/Reassembly.h"
#include "platform/Ascii.h"
#include "platform/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {
namespace {

const char kDecodeUsage[] =
    "Usage: emsconv decode [-o DIR] [--wav] [--midi] [--png-scale N]\n"
    "                      [--replace ask|all|never] FILE...\n"
    "\n"
    "Reads EMS messages back and writes what they carry: each iMelody melody as\n"
    "DIR/NAME.N.imy (its text byte for byte) and each picture as a 1-bit PNG\n"
    "image, DIR/NAME.N.png, where NAME is the name of the FILE the message was\n"
    "first read from, without its extension, and N counts the melodies and\n"
    "pictures found for it. A FILE holds, in any mix of lines:\n"
    "  - PDUs in hexadecimal digits, one a line: SMS-SUBMIT (as the .pdu files\n"
    "    of emsconv melody and picture hold them) and SMS-DELIVER (as a\n"
    "    handset's inbox keeps them), with the service centre's address in\n"
    "    front or without it;\n"
    "  - a modem's listing in PDU mode (AT+CMGF=0) as AT+CMGL=4 or AT+CMGR print\n"
    "    it: each \"+CMGL: ...\" line followed by its PDU; the other lines of the\n"
    "    listing (the command, OK) are passed over.\n"
    "Our own NAME.hx1, NAME.hx2 and NAME.lgo files hold user-data headers in\n"
    "hexadecimal digits, one a line, and are read as such.\n"
    "Messages in several parts are put back together by reference and number,\n"
    "across lines and FILEs, in any order: a 72x28 picture sent in three parts\n"
    "gives one 72x28 PNG. Small (16x16), large (32x32) and variable pictures are\n"
    "written; predefined sounds and animations, and animations, are named.\n"
    "\n"
    "Options (before or after the files; \"--\" ends them):\n"
    "  -o DIR          output folder (default: the current folder)\n"
    "  --wav           also write each melody as the handset plays it,\n"
    "                  DIR/NAME.N.wav, 16-bit 44.1 kHz mono\n"
    "  --midi          also write each melody as a Standard MIDI File, DIR/NAME.N.mid\n"
    "  --png-scale N   draw each pixel of a PNG as N x N pixels (1 to 32; default 1)\n"
    "  --replace MODE  what to do with an output file that exists already:\n"
    "                    ask    ask on the terminal: replace, all or cancel\n"
    "                    all    replace every one without asking\n"
    "                    never  keep every one (the answer Cancel)\n"
    "                  default: ask when standard input is a terminal, else never\n"
    "  -h, --help      show this help\n"
    "\n"
    "Standard output gets one line for each message found,\n"
    "  FILE:LINE: KIND NUMBER [at TIME STAMP][, N parts]: ELEMENT, ...\n"
    "and one for each file written, \"  wrote PATH\". A line that holds no readable\n"
    "message, and a message with a part missing, a part read twice with other\n"
    "data or a malformed element, is reported on standard error with its place\n"
    "and the reason; nothing is written for it, and the rest go on.\n"
    "\n"
    "A melody read from NAME.hx1 or NAME.1.pdu is played as the target 1 handsets\n"
    "play it (an octave prefix holds until the next), any other as iMelody has it\n"
    "(a prefix for its note alone); a repeat for ever is played once. Every\n"
    "length is checked against what is there; a line over 1 MB or a FILE over\n"
    "64 MB is refused. The files of a message are written all or none; none of\n"
    "them replaces an input of the run or a file written earlier in it.\n"
    "\n"
    "Exit status: 0 every message decoded and its files written; 1 a FILE, line,\n"
    "message or element that could not be read or decoded, a file not written or\n"
    "kept, or standard output or standard error that could not be written;\n"
    "2 usage error; 130, 143 or 129 ended by SIGINT, SIGTERM or SIGHUP.\n";

// A larger input file is refused.
constexpr std::uintmax_t kMaxInputBytes = std::uintmax_t{64} << 20;
constexpr int kMaxPngScale = 32;

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "emsconv decode: %s\n\n%s", platform::PrintableName(problem).c_str(),
                 kDecodeUsage);
    return 2;
}

void Report(const std::string& problem) {
    std::fprintf(stderr, "emsconv decode: %s\n", problem.c_str());
}

std::optional<int> ReadScale(const std::string& text) {
    if (text.empty() || text.size() > 2)
        return std::nullopt;
    int scale = 0;
    for (const char c : text) {
        if (!platform::IsAsciiDigit(c))
            return std::nullopt;
        scale = 10 * scale + (c - '0');
    }
    if (scale < 1 || scale > kMaxPngScale)
        return std::nullopt;
    return scale;
}

// Reads every file's messages; false when a file or line could not be read.
bool ReadParts(const std::vector<std::string>& files, const std::vector<std::string>& shownNames,
               ems::Reading& reading) {
    std::vector<std::string>& problems = reading.problems;
    for (std::uint32_t i = 0; i < files.size(); ++i) {
        const std::string& shown = shownNames[i];
        std::string text;
        if (const platform::FileResult read = platform::ReadWholeFile(files[i], text, kMaxInputBytes);
            !read) {
            problems.push_back(shown + ": " +
                               (read.error == EFBIG ? std::string("a file over 64 MB, not read")
                                                    : std::strerror(read.error)));
            continue;
        }
        const std::size_t partsBefore = reading.parts.size(), problemsBefore = problems.size();
        ems::ReadMessageLines(text, i, shownNames, ems::LineFormOf(files[i]), reading);
        if (reading.parts.size() == partsBefore && problems.size() == problemsBefore)
            problems.push_back(shown + ": no message found");
    }
    for (const std::string& problem : problems)
        Report(problem);
    return problems.empty();
}

std::string MessageHead(const ems::Message& message, const ems::Origin& origin,
                        const std::string& where) {
    std::string head = where + ": " + ems::SenderText(origin);
    if (!origin.timeStamp.empty())
        head += " at " + origin.timeStamp;
    if (message.parts > 1)
        head += ", " + std::to_string(message.parts) + " parts";
    return head;
}

} // namespace

int RunDecodeCommand(const std::vector<std::string>& args) {
    ParsedArgs parsed;
    if (const auto problem = ParseArgs(args,
                                       {{"-o", true},
                                        {"--wav", false},
                                        {"--midi", false},
                                        {"--png-scale", true},
                                        kReplaceOption},
                                       parsed))
        return UsageError(*problem);
    if (parsed.help) {
        std::fputs(kDecodeUsage, stdout);
        return 0;
    }
    if (parsed.files.empty())
        return UsageError("no FILE given");
    const std::string scaleText = parsed.Value("--png-scale", "1");
    const std::optional<int> scale = ReadScale(scaleText);
    if (!scale)
        return UsageError("--png-scale must be a number from 1 to " +
                          std::to_string(kMaxPngScale) + ", not '" + scaleText + "'");
    ReplaceMode mode;
    if (const auto problem = ReadReplaceOption(parsed, mode))
        return UsageError(*problem);
    const DecodeOptions options{parsed.Folder("-o", CurrentFolder()), parsed.Has("--wav"),
                                parsed.Has("--midi"), *scale};

    std::vector<std::string> shownNames;
    for (const std::string& file : parsed.files)
        shownNames.push_back(platform::PrintableName(file));
    ems::Reading reading;
    bool everything = ReadParts(parsed.files, shownNames, reading);
    TerminalUi ui(mode);
    DecodeOutputs outputs(ui, parsed.files, options);
    for (const ems::Message& message : ems::Reassemble(reading, shownNames)) {
        const std::string where = ems::PlaceText(shownNames, message.input, message.line);
        const std::string head = MessageHead(message, reading.origins[message.origin], where);
        const ems::Contents contents = ems::DecodeElements(message.elements);
        const std::string& problem = !message.problem.empty() ? message.problem : contents.problem;
        if (!problem.empty()) {
            Report(head + ": " + problem + "; nothing written");
            everything = false;
            continue;
        }
        std::string line = head + ":";
        for (const ems::Content& content : contents.items) {
            line += (&content == &contents.items.front() ? " " : ", ") + content.description;
            everything = everything && content.kind != ems::Content::Kind::Unknown;
        }
        if (contents.items.empty())
            line += " no EMS element";
        std::printf("%s\n", line.c_str());
        const DecodeOutputs::Result written = outputs.Write(contents.items, message.input);
        for (const std::string& file : written.lines)
            std::printf("%s\n", file.c_str());
        if (written.outcome != DecodeOutputs::Outcome::Written) {
            std::string failure = written.failure; // a sentence of its own, "... written."
            if (!failure.empty() && failure.back() == '.')
                failure.pop_back();
            Report(where + ": " + failure + "; nothing written");
            everything = false;
        }
    }
    return everything ? 0 : 1;
}

} // namespace cli
