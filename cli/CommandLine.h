#pragma once
// The argument conventions shared by every emsconv subcommand: options may
// stand before or after the files, "--" ends the options, each file is one
// argument taken whole, "--name=value" and "--name value" are the same.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cli {

struct KnownOption {
    std::string name; // "-o", "--target", ...
    bool takesValue;
};

struct ParsedArgs {
    std::map<std::string, std::string> values; // last value given for each option
    std::vector<std::string> flags;            // options without value, in order
    std::vector<std::string> files;
    bool help = false;

    bool Has(const std::string& flag) const;
    std::string Value(const std::string& name, const std::string& fallback) const;
    // True when the option was given with an empty value.
    bool GivenEmpty(const std::string& name) const;
    // The option's value as a folder ending in "/", or fallback when not given.
    std::string Folder(const std::string& name, const std::string& fallback) const;
};

// The current folder ending in "/" ("./" when it cannot be found): the
// default output folder of every command.
std::string CurrentFolder();

// Parses args against the known options. Returns the usage error text, or nothing on success.
std::optional<std::string> ParseArgs(const std::vector<std::string>& args,
                                     const std::vector<KnownOption>& known, ParsedArgs& parsed);

} // namespace cli
