#include "app/ConverterApp.h"
#include "platform/BuildInfo.h"
#include "platform/StandardStreams.h"

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] = "Usage: quillmere [--version | --help]\n"
                      "\n"
                      "Starts the Quillmere desktop converter: Smart Messaging melodies and\n"
                      "pictures to EMS. emsconv does the same conversions on the command line.\n";

} // namespace

int main(int argc, char** argv) {
    if (!platform::OpenStandardStreams())
        return 1;
    // The program takes no arguments of its own; these two answer without a window.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Quillmere %s\n", platform::kVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    return theApp.Run(argc, argv);
}
