#include "picture/PicturePdu.h"

#include "picture/PictureFormat.h"

#include <algorithm>

namespace picture {

std::vector<std::string> PictureUserData(std::string_view emsText, bool threePart) {
    std::vector<std::string> userData;
    if (!threePart) {
        userData.emplace_back(format::kSmallPictureHead).append(emsText);
        return userData;
    }
    for (std::size_t start = 0; start < emsText.size();) {
        const std::size_t end = std::min(emsText.find('\n', start), emsText.size());
        userData.emplace_back(emsText.substr(start, end - start));
        start = end + 1;
    }
    return userData;
}

} // namespace picture
