#include "picture/PictureLog.h"

#include "platform/Ascii.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace picture {

namespace {

// The four cells of each byte of picture data, its highest bit first: a
// byte that is no hexadecimal digit stands for 0.
constexpr auto kDigitCells = [] {
    std::array<std::array<char, 4>, 256> cells{};
    for (int c = 0; c < 256; ++c) {
        const int value = std::max(platform::HexDigitOf(static_cast<char>(c)), 0);
        for (int bit = 0; bit < 4; ++bit)
            cells[static_cast<std::size_t>(c)][static_cast<std::size_t>(bit)] =
                (value >> (3 - bit)) & 1 ? '*' : ' ';
    }
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
    char* cell = cells.data();
    for (const char c : data.substr(0, digits)) {
        std::memcpy(cell, kDigitCells[static_cast<unsigned char>(c)].data(), 4);
        cell += 4;
    }
    out.reserve(out.size() + w * h + (h - 1) * lineEnd.size());
    for (std::size_t row = 0; row < h; ++row) {
        if (row > 0)
            out.append(lineEnd);
        out.append(cells.data() + row * w, w);
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
    const bool written = m_entry.empty() || !m_file.IsOpen() || m_file.Write(m_entry).ok();
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
