#include "app/PathRules.h"

#include "platform/ProgramPath.h"

namespace app {

std::string SplitFolderPart(std::string_view path) {
    return platform::FolderPart(path);
}

std::string InputFolderOf(std::string_view fileList) {
    return SplitFolderPart(fileList.substr(0, fileList.find(',')));
}

std::string ProposedSaveName(std::string_view fileList) {
    const std::string folder = InputFolderOf(fileList);
    std::string proposed;
    proposed.reserve(fileList.size());
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = fileList.find(',', start);
        std::string_view item = fileList.substr(start, comma - start);
        if (!folder.empty() && item.starts_with(folder))
            item.remove_prefix(folder.size());
        proposed.append(item);
        if (comma == std::string_view::npos)
            break;
        proposed += ',';
        start = comma + 1;
    }
    return proposed;
}

std::string WithFolderSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace app
