// registry_writer PREFIX COUNT: registers the keys Writers\PREFIX_0 to
// Writers\PREFIX_<COUNT-1>, each as its own locked change of the registry,
// so that two of these running at once race for the registry file.

#include "com/Registrar.h"
#include "com/RegistryFile.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: registry_writer PREFIX COUNT\n");
        return 2;
    }
    const std::string prefix = argv[1];
    const int count = std::atoi(argv[2]);
    for (int i = 0; i < count; ++i) {
        const std::string script = "HKCR\n{\n    NoRemove Writers\n    {\n        " + prefix + "_" +
                                   std::to_string(i) + " = s 'written by " + prefix +
                                   "'\n    }\n}\n";
        const HRESULT hr = com::EditRegistry([&](com::RegistryTree& tree) {
            return com::ApplyRegistrationScript(tree, script, {}, true);
        });
        if (hr != S_OK) {
            std::fprintf(stderr, "registry_writer: change %d failed with 0x%08X\n", i,
                         static_cast<unsigned>(hr));
            return 1;
        }
    }
    return 0;
}
