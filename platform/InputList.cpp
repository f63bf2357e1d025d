#include "platform/InputList.h"

namespace platform {

std::vector<std::string> SplitInputList(std::string_view list) {
    std::vector<std::string> names;
    for (;;) {
        const std::size_t comma = list.find(',');
        names.emplace_back(list.substr(0, comma));
        if (comma == std::string_view::npos)
            return names;
        list.remove_prefix(comma + 1);
    }
}

std::string_view FirstInput(std::string_view list) {
    return list.substr(0, list.find(','));
}

std::string JoinInputList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        if (&name != &names.front())
            list += ',';
        list += name;
    }
    return list;
}

} // namespace platform
