#pragma once
// Data a module carries for readers outside the process that loads it (its
// registration script, strings, type library, version data): zero-terminated
// texts in the section ".quillmere.resources" of the module file, each
// starting with a line "TYPE ID". Readers take them from the file without
// loading the module, and only from a regular file.
//
//   QUILLMERE_MODULE_RESOURCE(kVersion, "VERSION", 1, "FileVersion=1, 0, 0, 1\n");

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#define QUILLMERE_MODULE_RESOURCE(variable, type, id, body)                                        \
    [[gnu::used, gnu::section(".quillmere.resources")]] static const char variable[] =             \
        type " " QUILLMERE_MODULE_RESOURCE_ID_(id) "\n" body
#define QUILLMERE_MODULE_RESOURCE_ID_(id) #id // id may be a macro itself

namespace com {

struct ModuleResource {
    std::string type; // "REGISTRY", "STRING", "TYPELIB", "VERSION"
    int id = 0;
    std::string body;
};

// Every resource of the module file at path, in the order the file holds
// them; nullopt when the file cannot be read or is not a module of this
// platform with resources.
std::optional<std::vector<ModuleResource>> ReadModuleResources(const std::string& path);

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
