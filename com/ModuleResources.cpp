#include "com/ModuleResources.h"

#include "platform/FileAccess.h"
#include "platform/ProgramPath.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <elf.h>
#include <filesystem>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

namespace com {
namespace {

constexpr std::string_view kSectionName = ".quillmere.resources";
constexpr unsigned char kNativeClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;

std::optional<std::string> ReadResourceSection(const std::string& path) {
    const platform::ReadOnlyFile file(path);
    ElfW(Ehdr) header;
    if (!file.ReadAt(0, &header, sizeof header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != kNativeClass || header.e_shentsize != sizeof(ElfW(Shdr)) ||
        header.e_shstrndx == SHN_UNDEF || header.e_shstrndx >= header.e_shnum ||
        !file.Fits(header.e_shoff, std::uint64_t{header.e_shnum} * sizeof(ElfW(Shdr))))
        return std::nullopt;
    const auto sectionHeader = [&](unsigned index, ElfW(Shdr) & out) {
        return file.ReadAt(header.e_shoff + std::uint64_t{index} * sizeof out, &out, sizeof out);
    };
    ElfW(Shdr) names;
    if (!sectionHeader(header.e_shstrndx, names) || !file.Fits(names.sh_offset, names.sh_size))
        return std::nullopt;
    std::string nameTable(names.sh_size, '\0');
    if (!file.ReadAt(names.sh_offset, nameTable.data(), names.sh_size))
        return std::nullopt;

    for (unsigned i = 0; i < header.e_shnum; ++i) {
        ElfW(Shdr) section;
        if (!sectionHeader(i, section))
            return std::nullopt;
        if (section.sh_name >= nameTable.size() ||
            std::string_view(nameTable.c_str() + section.sh_name) != kSectionName)
            continue;
        if (section.sh_type != SHT_PROGBITS || !file.Fits(section.sh_offset, section.sh_size))
            return std::nullopt;
        std::string data(section.sh_size, '\0');
        if (!file.ReadAt(section.sh_offset, data.data(), section.sh_size))
            return std::nullopt;
        return data;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::vector<ModuleResource>> ReadModuleResources(const std::string& path) {
    const std::optional<std::string> section = ReadResourceSection(path);
    if (!section)
        return std::nullopt;
    // Texts follow each other, separated by their terminators and any padding.
    std::vector<ModuleResource> resources;
    for (std::size_t pos = 0; pos < section->size();) {
        std::size_t end = section->find('\0', pos);
        if (end == std::string::npos)
            end = section->size();
        const std::string_view text = std::string_view(*section).substr(pos, end - pos);
        pos = end + 1;
        const std::size_t space = text.find(' ');
        const std::size_t newline = text.find('\n');
        if (space == std::string_view::npos || newline == std::string_view::npos || newline < space)
            continue; // padding
        ModuleResource resource;
        resource.type = std::string(text.substr(0, space));
        resource.id = std::atoi(std::string(text.substr(space + 1, newline - space - 1)).c_str());
        resource.body = std::string(text.substr(newline + 1));
        resources.push_back(std::move(resource));
    }
    return resources;
}

std::optional<std::string> ReadModuleResource(const std::string& path, std::string_view type,
                                              int id) {
    const std::optional<std::vector<ModuleResource>> resources = ReadModuleResources(path);
    if (resources)
        for (const ModuleResource& resource : *resources)
            if (resource.type == type && resource.id == id)
                return resource.body;
    return std::nullopt;
}

std::string ModulePathOf(const void* address) {
    Dl_info info;
    link_map* map = nullptr;
    if (::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
        map == nullptr)
        return {};
    // The program itself has an empty name in the loader's list.
    if (map->l_name == nullptr || map->l_name[0] == '\0')
        return platform::ProgramPath();
    std::error_code ignored;
    const std::filesystem::path full = std::filesystem::absolute(map->l_name, ignored);
    return full.lexically_normal().string();
}

namespace {

const char g_anchor = 0;
// Taken while the module is being loaded, when a relative name it was loaded
// by still means what it meant: the host may change folder afterwards.
const std::string g_loadedFrom = ModulePathOf(&g_anchor);

} // namespace

std::string ThisModulePath() {
    return !g_loadedFrom.empty() ? g_loadedFrom : ModulePathOf(&g_anchor);
}

} // namespace com
