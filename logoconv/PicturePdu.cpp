#include "logoconv/PicturePdu.h"

#include "logoconv/PictureFormat.h"

#include <algorithm>

namespace logoconv {

std::vector<std::string> PictureUserData(std::string_view emsText, bool threePart) {
    std::vector<std::string> userData;
    if (!threePart) {
        userData.emplace_back(picture::kSmallPictureHead).append(emsText);
        return userData;
    }
    for (std::size_t start = 0; start < emsText.size();) {
        const std::size_t end = std::min(emsText.find('\n', start), emsText.size());
        userData.emplace_back(emsText.substr(start, end - start));
        start = end + 1;
    }
    return userData;
}

} // namespace logoconv
