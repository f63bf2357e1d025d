#pragma once
// Data a module carries for readers outside the process that loads it (its
// type library, its version data): zero-terminated texts in the section
// ".quillmere.resources" of the module file, each starting with a line
// "TYPE ID". Readers take them from the file without loading the module.
//
//   QUILLMERE_MODULE_RESOURCE(kVersion, "VERSION", 1, "FileVersion=1, 0, 0, 1\n");

#include <optional>
#include <string>
#include <string_view>

#define QUILLMERE_MODULE_RESOURCE(variable, type, id, body)                                        \
    [[gnu::used, gnu::section(".quillmere.resources")]] static const char variable[] =             \
        type " " #id "\n" body

namespace com {

// The body of resource TYPE ID in the module file at path; nullopt when the
// file cannot be read, is not a module of this platform or lacks the resource.
std::optional<std::string> ReadModuleResource(const std::string& path, std::string_view type,
                                              int id);

// Full path of the module file (shared library or program) holding address.
std::string ModulePathOf(const void* address);

// Full path of the module this copy of the runtime is linked into, as it was
// when the module was loaded.
std::string ThisModulePath();

} // namespace com
