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
    // Blank first; each row then takes the cells of the digits it spans,
    // up to four at a time, and what the data lacks stays blank.
    const std::size_t start = out.size();
    out.resize(start + w * h + (h - 1) * lineEnd.size(), ' ');
    char* at = out.data() + start;
    for (std::size_t row = 0; row < h; ++row) {
        if (row > 0) {
            std::memcpy(at, lineEnd.data(), lineEnd.size());
            at += lineEnd.size();
        }
        std::size_t cell = row * w;
        const std::size_t end = cell + w;
        for (std::size_t digit = cell / 4; cell < end && digit < data.size(); ++digit) {
            const std::size_t count = std::min(4 - cell % 4, end - cell);
            std::memcpy(at, kDigitCells[static_cast<unsigned char>(data[digit])].data() + cell % 4,
                        count);
            at += count;
            cell += count;
        }
        at += end - cell;
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
