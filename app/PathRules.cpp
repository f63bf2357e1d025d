#include "app/PathRules.h"

#include "platform/InputList.h"
#include "platform/ProgramPath.h"

namespace app {

std::string SplitFolderPart(std::string_view path) {
    return platform::FolderPart(path);
}

std::string InputFolderOf(std::string_view fileList) {
    return SplitFolderPart(platform::SplitInputList(fileList).front());
}

std::string ProposedSaveName(std::string_view fileList) {
    std::vector<std::string> names = platform::SplitInputList(fileList);
    const std::string folder = SplitFolderPart(names.front());
    if (!folder.empty())
        for (std::string& name : names)
            if (name.starts_with(folder))
                name.erase(0, folder.size());
    return platform::JoinInputList(names);
}

std::string DialogFolder(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::vector<std::string> ListablePaths(const std::vector<std::string>& paths,
                                       std::string& refused) {
    std::vector<std::string> listable;
    refused.clear();
    for (const std::string& path : paths) {
        if (path.find(',') == std::string::npos) {
            listable.push_back(path);
            continue;
        }
        refused += (refused.empty() ? "" : "\n") + path +
                   " cannot be converted: its name holds a comma, which separates the files "
                   "of the list.";
    }
    return listable;
}

} // namespace app
