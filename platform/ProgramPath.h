#pragma once
// Where the running program lives, and the path rules built on "/".

#include <string>
#include <string_view>

namespace platform {

// Full path of the running executable; empty when it cannot be found.
std::string ProgramPath();

// Folder of the running executable, ending in "/" (empty when unknown).
std::string ProgramFolder();

// Text up to and including the last "/"; empty when there is none.
std::string FolderPart(std::string_view path);

// Text after the last "/"; the whole path when there is none.
std::string FileNamePart(std::string_view path);

// The folder with a trailing "/" added when it lacks one (an empty text stays empty).
std::string WithTrailingSlash(std::string folder);

} // namespace platform
