#include "picture/PictureLog.h"

#include <algorithm>

namespace picture {

std::string PictureDrawing(std::string_view bits, int width, int height) {
    if (width <= 0 || height <= 0)
        return {};
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    std::string drawing(h * (w + 1) - 1, ' ');
    for (std::size_t row = 0; row < h; ++row) {
        char* cells = drawing.data() + row * (w + 1);
        if (row > 0)
            cells[-1] = '\n';
        const std::size_t first = row * w;
        const std::size_t drawn = first < bits.size() ? std::min(w, bits.size() - first) : 0;
        const char* digits = bits.data() + first;
        for (std::size_t column = 0; column < drawn; ++column) // "*" for "1", " " for the rest
            cells[column] = static_cast<char>(' ' + ('*' - ' ') * (digits[column] == '1'));
    }
    return drawing;
}

bool PictureLog::Open(std::string_view logFolder) {
    std::string path;
    path.reserve(logFolder.size() + kPictureLogName.size());
    path.append(logFolder).append(kPictureLogName);
    return m_file.Open(path).ok();
}

void PictureLog::Write(std::string_view text) {
    if (m_file.IsOpen())
        m_entry.append(text);
}

void PictureLog::EndEntry() {
    const bool written =
        m_entry.empty() || !m_file.IsOpen() || m_file.Write(platform::LfToCrlf(m_entry)).ok();
    m_entry.clear();
    if (!written) {
        m_file.Close();
        m_failed = true;
    }
}

void PictureLog::DrawPicture(std::string_view bits, int width, int height) {
    Write(PictureDrawing(bits, width, height));
}

} // namespace picture
