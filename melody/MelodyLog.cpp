#include "melody/MelodyLog.h"

#include "platform/LogFolder.h"
#include "platform/ProgramPath.h"
#include "platform/TextFile.h"

namespace melody {

std::string MelodyLogPath(const std::string& logFolder) {
    return platform::LogFolderFor(logFolder, platform::ProgramFolder()) + kMelodyLogName;
}

bool AppendToMelodyLog(const std::string& logFolder, std::string_view text) {
    platform::AppendFile log;
    if (!log.Open(MelodyLogPath(logFolder)).ok())
        return false;
    const bool written = log.Write(text).ok();
    return log.Close().ok() && written;
}

} // namespace melody
