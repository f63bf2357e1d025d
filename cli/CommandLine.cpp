#include "cli/CommandLine.h"

#include "platform/ProgramPath.h"

#include <algorithm>
#include <filesystem>

namespace cli {

bool ParsedArgs::Has(const std::string& flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::string ParsedArgs::Value(const std::string& name, const std::string& fallback) const {
    const auto found = values.find(name);
    return found == values.end() ? fallback : found->second;
}

bool ParsedArgs::GivenEmpty(const std::string& name) const {
    const auto found = values.find(name);
    return found != values.end() && found->second.empty();
}

std::string ParsedArgs::Folder(const std::string& name, const std::string& fallback) const {
    const auto found = values.find(name);
    return found == values.end() ? fallback : platform::WithTrailingSlash(found->second);
}

std::string CurrentFolder() {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::string("./") : platform::WithTrailingSlash(current.string());
}

std::optional<std::string> ParseArgs(const std::vector<std::string>& args,
                                     const std::vector<KnownOption>& known, ParsedArgs& parsed) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            parsed.help = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            const auto equals = arg.find('=');
            if (equals != std::string::npos) {
                name = arg.substr(0, equals);
                inlineValue = arg.substr(equals + 1);
            }
        }
        const auto option = std::find_if(known.begin(), known.end(),
                                         [&](const KnownOption& s) { return s.name == name; });
        if (option == known.end())
            return "unknown option '" + name + "'";
        if (!option->takesValue) {
            if (inlineValue)
                return "option '" + name + "' takes no value";
            parsed.flags.push_back(name);
            continue;
        }
        if (inlineValue) {
            parsed.values[name] = *inlineValue;
        } else if (i + 1 < args.size()) {
            parsed.values[name] = args[++i];
        } else {
            return "option '" + name + "' needs a value";
        }
    }
    return std::nullopt;
}

} // namespace cli
