#include "platform/LogFolder.h"

#include "platform/BuildInfo.h"
#include "platform/HomeFolder.h"
#include "platform/ProgramPath.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Creates every missing folder of path (which ends in "/"), each readable by
// the user alone, as the state folder should be.
void CreateFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return;
    }
}

bool MayCreateFilesIn(std::string_view prefix) {
    const std::string folder = FolderPart(prefix);
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

// $XDG_STATE_HOME/quillmere/ or ~/.local/state/quillmere/, ending in "/".
std::string StateFolder() {
    // Only an absolute XDG_STATE_HOME counts; a relative one is ignored.
    const char* state = std::getenv("XDG_STATE_HOME");
    const std::string base =
        state != nullptr && state[0] == '/' ? std::string(state) : HomeFolder() + "/.local/state";
    return WithTrailingSlash(base) + "quillmere/";
}

} // namespace

std::string LogFolder(std::string_view programFolder) {
    if (programFolder != kInstalledProgramFolder && MayCreateFilesIn(programFolder))
        return std::string(programFolder);
    std::string folder = StateFolder();
    CreateFolders(folder);
    return folder;
}

std::string LogFolderFor(std::string_view chosen, std::string_view programFolder) {
    return chosen.empty() ? LogFolder(programFolder) : WithTrailingSlash(std::string(chosen));
}

} // namespace platform
