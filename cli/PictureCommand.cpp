#include "cli/Commands.h"

#include <cstdio>

namespace cli {

int RunPictureCommand(const std::vector<std::string>&) {
    std::fputs("emsconv: this command is not built yet\n", stderr);
    return 2;
}

} // namespace cli
