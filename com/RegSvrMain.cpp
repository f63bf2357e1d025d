// regsvr [-u] [--system] MODULE: registers (or with -u unregisters) an
// in-process server by calling its DllRegisterServer (DllUnregisterServer),
// in the user's registry or, with --system, in the machine's.
// regsvr --resources MODULE: prints the resources the module carries.

#include "com/HResult.h"
#include "com/ModuleResources.h"
#include "com/RegistryFile.h"
#include "com/Unknown.h"
#include "platform/BuildInfo.h"
#include "platform/StandardStreams.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <tuple>

namespace {

const char kUsage[] =
    "usage: regsvr [-u] [--system] MODULE\n"
    "       regsvr --resources MODULE\n"
    "  registers the in-process server MODULE; -u unregisters it\n"
    "  --system     in the machine's registry instead of the user's\n"
    "  --resources  print every resource MODULE carries: its type and id, then its text\n"
    "  --version    show the version\n";

const char kRegistries[] =
    "\n"
    "The user's registry is $QUILLMERE_REGISTRY, or quillmere/registry.reg under\n"
    "$XDG_DATA_HOME (by default ~/.local/share); the machine's is\n"
    "$QUILLMERE_SYSTEM_REGISTRY, or registry.reg in the program folder. A component\n"
    "is looked up in the user's registry first, then in the machine's. A user's\n"
    "registry that cannot be read or parsed is passed over; registering or\n"
    "unregistering moves such a registry aside to registry.reg.broken-YYYYMMDD-HHMMSS\n"
    "beside it (it is never deleted) and writes a fresh one.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

void ShowHelp() {
    std::fputs(kUsage, stdout);
    std::fputs(kRegistries, stdout);
    const std::string user = com::RegistryFilePath();
    const std::string machine = com::SystemRegistryFilePath();
    std::printf("\nHere the user's registry is %s\nand the machine's %s.\n",
                user.empty() ? "missing (no home folder)" : user.c_str(),
                machine.empty() ? "unknown" : machine.c_str());
}

void ShowVersionData(const std::string& path) {
    const std::optional<std::string> version = com::ReadModuleResource(path, "VERSION", 1);
    if (!version)
        return;
    std::size_t pos = 0;
    while (pos < version->size()) {
        std::size_t end = version->find('\n', pos);
        if (end == std::string::npos)
            end = version->size();
        std::string line = version->substr(pos, end - pos);
        pos = end + 1;
        if (const std::size_t eq = line.find('='); eq != std::string::npos)
            std::printf("  %s: %s\n", line.substr(0, eq).c_str(), line.substr(eq + 1).c_str());
    }
}

// Prints the resources sorted by type and id.
int ShowResources(const std::string& path) {
    auto resources = com::ReadModuleResources(path);
    if (!resources || resources->empty()) {
        std::fprintf(stderr, "regsvr: %s carries no resources.\n", path.c_str());
        return 1;
    }
    std::sort(resources->begin(), resources->end(), [](const auto& a, const auto& b) {
        return std::tie(a.type, a.id) < std::tie(b.type, b.id);
    });
    const char* separator = "";
    for (const com::ModuleResource& resource : *resources) {
        std::printf("%s%s %d\n%s", separator, resource.type.c_str(), resource.id,
                    resource.body.c_str());
        if (resource.body.empty() || resource.body.back() != '\n')
            std::putchar('\n');
        separator = "\n";
    }
    return 0;
}

// The cause of a failed registration in words.
std::string Cause(HRESULT hr) {
    const std::string registry = com::RegistryFilePath();
    switch (hr) {
    case REGDB_E_READREGDB: {
        com::RegistryTree tree;
        std::string problem;
        if (com::ReadRegistryFile(registry, tree, &problem) == REGDB_E_READREGDB)
            return "registry " + registry +
                   (problem.rfind("line ", 0) == 0 ? " malformed, " : " ") + problem;
        return "registry " + registry + " cannot be read";
    }
    case REGDB_E_WRITEREGDB:
        return registry.empty() ? "registry not writable: there is no home folder to hold it"
                                : "registry not writable: " + registry;
    case REGDB_E_CLASSNOTREG:
    case TYPE_E_LIBNOTREGISTERED:
    case TYPE_E_REGISTRYACCESS:
        return "not registered";
    case CO_E_DLLNOTFOUND:
        return "module not found";
    case CO_E_ERRORINDLL:
        return "not a server";
    case SELFREG_E_CLASS:
        return "the module's registration script is missing or cannot be applied";
    case SELFREG_E_TYPELIB:
        return "the module's type library cannot be read or recorded";
    case E_OUTOFMEMORY:
        return "out of memory";
    case E_UNEXPECTED:
        return "the module cannot find its own path";
    default:
        return "unexpected failure";
    }
}

// Moves a registry that cannot be used out of the way, and says so.
void SetAsideBrokenRegistry() {
    const com::BrokenRegistry broken = com::SetAsideBrokenRegistry();
    if (broken.problem.empty())
        return;
    const std::string registry = com::RegistryFilePath();
    if (broken.movedTo.empty())
        std::fprintf(stderr, "regsvr: the registry %s cannot be used (%s) nor moved aside.\n",
                     registry.c_str(), broken.problem.c_str());
    else
        std::fprintf(stderr,
                     "regsvr: the registry %s could not be used (%s); moved it to %s and writing "
                     "a fresh one.\n",
                     registry.c_str(), broken.problem.c_str(), broken.movedTo.c_str());
}

int Register(const std::string& path, bool unregister) {
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    std::printf("%s\n", path.c_str());
    ShowVersionData(path);

    // Only a regular file goes to the loader: a pipe would block it for ever.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fprintf(stderr, "regsvr: cannot load %s: module not found (no regular file there).\n",
                     path.c_str());
        return 1;
    }
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        std::fprintf(stderr, "regsvr: cannot load %s: not a loadable module (%s).\n", path.c_str(),
                     ::dlerror());
        return 1;
    }
    const auto function = reinterpret_cast<DllRegisterServerFn>(::dlsym(handle, entry));
    if (function == nullptr) {
        std::fprintf(
            stderr, "regsvr: %s has no entry point %s; it is not a server that registers itself.\n",
            path.c_str(), entry);
        ::dlclose(handle);
        return 1;
    }
    SetAsideBrokenRegistry();
    const HRESULT hr = function();
    ::dlclose(handle);
    if (FAILED(hr)) {
        std::fprintf(stderr, "regsvr: %s in %s failed with code 0x%08X (%s).\n", entry,
                     path.c_str(), static_cast<unsigned>(hr), Cause(hr).c_str());
        return 1;
    }
    std::printf("%s in %s succeeded (registry %s).\n", entry, path.c_str(),
                com::RegistryFilePath().c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (!platform::OpenStandardStreams())
        return 1;
    bool unregister = false;
    bool system = false;
    bool resources = false;
    const char* module = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("regsvr %s\n", platform::kVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            ShowHelp();
            return 0;
        }
        if (std::strcmp(argv[i], "-u") == 0 && !unregister)
            unregister = true;
        else if (std::strcmp(argv[i], "--system") == 0 && !system)
            system = true;
        else if (std::strcmp(argv[i], "--resources") == 0 && !resources)
            resources = true;
        else if (module == nullptr && argv[i][0] != '-')
            module = argv[i];
        else
            return Usage();
    }
    if (module == nullptr || (resources && (unregister || system)))
        return Usage();
    std::error_code ignored;
    const std::string path = std::filesystem::absolute(module, ignored).lexically_normal().string();
    if (resources)
        return ShowResources(path);

    // The module records itself in the registry this process names.
    if (system) {
        const std::string systemFile = com::SystemRegistryFilePath();
        if (systemFile.empty()) {
            std::fprintf(stderr, "regsvr: the machine's registry cannot be found.\n");
            return 1;
        }
        ::setenv("QUILLMERE_REGISTRY", systemFile.c_str(), 1);
    }
    return Register(path, unregister);
}
