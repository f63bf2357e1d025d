#pragma once
// The path rules of the converter dialogs. "/" is the only separator; file
// lists are input lists (platform/InputList.h).

#include <string>
#include <string_view>
#include <vector>

namespace app {

// Text up to and including the last "/"; empty when there is none.
std::string SplitFolderPart(std::string_view path);

// The folder of the first item of a file list.
std::string InputFolderOf(std::string_view fileList);

// The name proposed by an output Browse: the file list with the input folder
// taken off every item that begins with it. One file gives its name, several
// files from one folder give their names joined by ",".
std::string ProposedSaveName(std::string_view fileList);

// The output folder as Convert hands it on: a "/" appended unless it already
// ends in one (an empty text becomes "/").
std::string DialogFolder(std::string folder);

// The paths that can go into an input list, in order. A path holding ","
// (the list's separator) would be split into two names; each is left out and
// named in refused, one line each ("" when none is).
std::vector<std::string> ListablePaths(const std::vector<std::string>& paths,
                                       std::string& refused);

} // namespace app
