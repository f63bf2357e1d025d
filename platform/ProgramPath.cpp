#include "platform/ProgramPath.h"

#include <climits>
#include <unistd.h>
#include <vector>

namespace platform {

std::string ProgramPath() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramFolder() { return FolderPart(ProgramPath()); }

std::string FolderPart(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string FileNamePart(std::string_view path) {
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string WithTrailingSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace platform
