#pragma once
// "PictureConverter.log" in the program folder: opened for appending once per
// batch, written with every line feed as CR LF, never truncated.

#include "platform/TextFile.h"

#include <string>
#include <string_view>

namespace logoconv {

inline constexpr std::string_view kPictureLogName = "PictureConverter.log";

// The picture as characters: rows of width cells, "*" for a "1" digit of
// bits and a space for anything else (or for a digit bits lacks), a line
// feed before every row but the first and none after the last.
std::string PictureDrawing(std::string_view bits, int width, int height);

class PictureLog {
public:
    // Opens the log of programDir (a plain prefix), creating it when missing.
    bool Open(std::string_view programDir);
    bool IsOpen() const { return m_file.IsOpen(); }
    // Appends text; nothing happens while the log is not open.
    void Write(std::string_view text);
    void DrawPicture(std::string_view bits, int width, int height);
    void Close() { m_file.Close(); }

private:
    platform::AppendFile m_file;
};

} // namespace logoconv
