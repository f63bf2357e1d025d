#include "picture/PictureLog.h"

#include "platform/Ascii.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace picture {

namespace {

// The four cells of each hexadecimal digit value, its highest bit first.
constexpr auto kNibbleCells = [] {
    std::array<char, 64> cells{};
    for (int value = 0; value < 16; ++value)
        for (int bit = 0; bit < 4; ++bit)
            cells[static_cast<std::size_t>(4 * value + bit)] = (value >> (3 - bit)) & 1 ? '*' : ' ';
    return cells;
}();

} // namespace

void AppendDrawing(std::string& out, std::string_view data, int width, int height,
                   std::string_view lineEnd) {
    if (width <= 0 || height <= 0)
        return;
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    // Every cell in one line first (a space where the data ends), then the rows cut from it.
    const std::size_t digits = std::min(data.size(), (w * h + 3) / 4);
    std::string cells(std::max(w * h, 4 * digits), ' ');
    for (std::size_t i = 0; i < digits; ++i) {
        const auto value = static_cast<std::size_t>(std::max(platform::HexDigitOf(data[i]), 0));
        std::memcpy(&cells[4 * i], &kNibbleCells[4 * value], 4);
    }
    out.reserve(out.size() + w * h + (h - 1) * lineEnd.size());
    for (std::size_t row = 0; row < h; ++row) {
        if (row > 0)
            out.append(lineEnd);
        out.append(cells, row * w, w);
    }
}

std::string PictureDrawing(std::string_view data, int width, int height) {
    std::string drawing;
    AppendDrawing(drawing, data, width, height, "\n");
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
        platform::AppendCrlf(m_entry, text);
}

void PictureLog::EndEntry() {
    const bool written =
        m_entry.empty() || !m_file.IsOpen() || m_file.Write(m_entry).ok();
    m_entry.clear();
    if (!written) {
        m_file.Close();
        m_failed = true;
    }
}

void PictureLog::DrawPicture(std::string_view data, int width, int height) {
    if (m_file.IsOpen())
        AppendDrawing(m_entry, data, width, height, "\r\n");
}

} // namespace picture
