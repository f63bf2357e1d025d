// regsvr [-u] [--system] MODULE: registers (or with -u unregisters) an
// in-process server by calling its DllRegisterServer (DllUnregisterServer),
// in the user's registry or, with --system, in the machine's.

#include "com/HResult.h"
#include "com/ModuleResources.h"
#include "com/RegistryFile.h"
#include "com/Unknown.h"
#include "platform/BuildInfo.h"
#include "platform/StandardStreams.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <string>

namespace {

const char kUsage[] =
    "usage: regsvr [-u] [--system] MODULE\n"
    "  registers the in-process server MODULE; -u unregisters it\n"
    "  --system    in the machine's registry (registry.reg in the program folder)\n"
    "              instead of the user's\n"
    "  --version   show the version\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
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

} // namespace

int main(int argc, char** argv) {
    if (!platform::OpenStandardStreams())
        return 1;
    bool unregister = false;
    bool system = false;
    const char* module = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("regsvr %s\n", platform::kVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "-u") == 0 && !unregister)
            unregister = true;
        else if (std::strcmp(argv[i], "--system") == 0 && !system)
            system = true;
        else if (module == nullptr && argv[i][0] != '-')
            module = argv[i];
        else
            return Usage();
    }
    if (module == nullptr)
        return Usage();
    // The module records itself in the registry this process names.
    if (system) {
        const std::string systemFile = com::SystemRegistryFilePath();
        if (systemFile.empty()) {
            std::fprintf(stderr, "regsvr: the machine's registry cannot be found.\n");
            return 1;
        }
        ::setenv("QUILLMERE_REGISTRY", systemFile.c_str(), 1);
    }

    std::error_code ignored;
    const std::string path = std::filesystem::absolute(module, ignored).lexically_normal().string();
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    std::printf("%s\n", path.c_str());
    ShowVersionData(path);

    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        std::fprintf(stderr, "regsvr: cannot load %s: %s\n", path.c_str(), ::dlerror());
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
    const HRESULT hr = function();
    ::dlclose(handle);
    if (FAILED(hr)) {
        std::fprintf(stderr, "regsvr: %s in %s failed with code 0x%08X.\n", entry, path.c_str(),
                     static_cast<unsigned>(hr));
        return 1;
    }
    std::printf("%s in %s succeeded (registry %s).\n", entry, path.c_str(),
                com::RegistryFilePath().c_str());
    return 0;
}
