#pragma once
// The user's home folder, under which the per-user files live.

#include <string>

namespace platform {

// $HOME when it holds an absolute path, otherwise the user's entry in the
// password database; empty when neither knows one.
std::string HomeFolder();

} // namespace platform
