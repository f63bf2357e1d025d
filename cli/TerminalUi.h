#pragma once
// The user of an emsconv command on a terminal: every message of a
// conversion becomes one "CAPTION: TEXT" line on standard error, and the
// replace question is answered by the --replace mode, or in ask mode by
// the user on the terminal ("[r]eplace, replace [a]ll, [c]ancel").

#include "cli/CommandLine.h"
#include "melody/MelodyUi.h"

#include <optional>
#include <string>

namespace cli {

enum class ReplaceMode { Ask, All, Never };

inline const KnownOption kReplaceOption{"--replace", true};

// Reads --replace into mode (default: ask when standard input is a
// terminal, else never). Returns the usage error text for any other value.
std::optional<std::string> ReadReplaceOption(const ParsedArgs& parsed, ReplaceMode& mode);

class TerminalUi : public IMelodyUi {
public:
    explicit TerminalUi(ReplaceMode mode) : m_mode(mode) {}

    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool MessagesWait() const override { return false; }
    // With --replace ask: an answer line over 4 KiB is no answer; the end of
    // the input, or ten questions in a row without an answer, keep the file
    // (and every later one).
    ReplaceAnswer AskReplace(const std::string& prompt) override;

private:
    enum class Line { Read, TooLong, End };
    Line ReadLine(std::string& line);

    ReplaceMode m_mode;
    bool m_inLongLine = false; // the last line read stopped inside a line too long
    bool m_inputEnded = false;
};

} // namespace cli
