#pragma once
// The emsconv subcommands. Each takes the arguments after its name and
// returns the process exit status: 0 all converted, 1 something failed or
// was cancelled, 2 usage error.

#include <string>
#include <vector>

namespace cli {

int RunMelodyCommand(const std::vector<std::string>& args);
int RunPictureCommand(const std::vector<std::string>& args);
int RunDecodeCommand(const std::vector<std::string>& args);

} // namespace cli
