// Writing one output file: ask before replacing an existing one (unless the
// user said Replace All), then replace it whole or not at all.

#include "melody/MelodyConverter.h"

#include "platform/TextFile.h"

bool CMelodyConverter::WriteOutputFile(const std::string& path, const std::string& content) {
    // An existing file that cannot be opened still counts: it must not be
    // replaced without asking.
    if (!m_bReplaceAll && platform::FileExists(path)) {
        const ReplaceAnswer answer =
            m_ui.AskReplace("The file: " + path + " already exists, would you like to replace it?");
        if (answer == ReplaceAnswer::ReplaceAll)
            m_bReplaceAll = true;
        else if (answer != ReplaceAnswer::Replace)
            return false;
    }
    // Through a temporary file renamed over the target: an existing file is
    // either intact or completely replaced, and a read-only one is refused.
    if (!platform::WriteFileReplacing(path, content))
        throw CEMSError("The file: " + path + " could not be written.");
    return true;
}
