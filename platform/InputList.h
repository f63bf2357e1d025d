#pragma once
// Input lists: the files of a conversion as one text, full paths joined by
// "," with no spaces, as the converter fields hold them and hand them on.
// Whoever reads one cuts it at every ","; empty pieces, the one after a
// trailing "," included, count as names.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The names of a list in order: a list without "," is one name, an empty
// list one empty name.
std::vector<std::string> SplitInputList(std::string_view list);

// The first name of a list (the whole list when it holds no ",").
std::string_view FirstInput(std::string_view list);

// The names joined by "," (an empty text for no names).
std::string JoinInputList(const std::vector<std::string>& names);

} // namespace platform
