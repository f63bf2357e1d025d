#pragma once
// Names compared the way the registry and type libraries compare them:
// ASCII letters in either case are equal.

#include <cctype>
#include <string_view>

namespace com {

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace com
