#include "cli/TerminalUi.h"

#include "platform/Ascii.h"
#include "platform/MessagePresenter.h"

#include <cstdio>
#include <unistd.h>

namespace cli {
namespace {

// The longest answer line: a longer line is no answer.
constexpr std::size_t kMaxAnswer = 4096;
// Questions in a row without an answer, after which the input counts as ended.
constexpr int kMaxUnanswered = 10;

} // namespace

std::optional<std::string> ReadReplaceOption(const ParsedArgs& parsed, ReplaceMode& mode) {
    const std::string replace =
        parsed.Value(kReplaceOption.name, ::isatty(STDIN_FILENO) != 0 ? "ask" : "never");
    if (replace == "ask")
        mode = ReplaceMode::Ask;
    else if (replace == "all")
        mode = ReplaceMode::All;
    else if (replace == "never")
        mode = ReplaceMode::Never;
    else
        return "--replace must be ask, all or never, not '" + replace + "'";
    return std::nullopt;
}

void TerminalUi::ShowMessage(const std::string& text, const std::string& caption) {
    platform::ShowMessage(text, caption);
}

ReplaceAnswer TerminalUi::AskReplace(const std::string& prompt) {
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

// One line of standard input, without its line end and surrounding blanks,
// lower-cased. At most kMaxAnswer characters are read: a longer line is
// TooLong, and so is each further piece of it that later calls read.
// End at the end of the input (a last line without its line feed is read,
// and the next output is put on a line of its own).
TerminalUi::Line TerminalUi::ReadLine(std::string& line) {
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

} // namespace cli
