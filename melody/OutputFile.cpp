// Writing one output file: ask before replacing an existing one (unless the
// user said Replace All), then replace it whole or not at all.

#include "melody/MelodyConverter.h"

#include "platform/TextFile.h"

#include <sys/stat.h>

namespace {

// Whether a file stands at path. One that exists but cannot be opened (no
// read permission, no descriptor left) counts: it must not be replaced
// without asking. A folder is no file to replace; writing it fails anyway.
bool FileExists(const std::string& path) {
    struct stat info {};
    return path.find('\0') == std::string::npos && ::lstat(path.c_str(), &info) == 0 &&
           !S_ISDIR(info.st_mode);
}

} // namespace

bool CMelodyConverter::WriteOutputFile(const std::string& path, const std::string& content) {
    if (!m_bReplaceAll && FileExists(path)) {
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
