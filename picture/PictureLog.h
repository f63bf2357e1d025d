#pragma once
// "PictureConverter.log" in the program folder: opened for appending once per
// batch, written with every line feed as CR LF, never truncated. Each entry
// is collected whole and appended in one piece under the lock that every
// appender takes, so entries of processes sharing the log never interleave.

#include "platform/TextFile.h"

#include <string>
#include <string_view>
#include <utility>

namespace picture {

inline constexpr std::string_view kPictureLogName = "PictureConverter.log";

// The picture of hexadecimal picture data as characters: rows of width
// cells, "*" for a 1 bit and a space for a 0 bit (a byte that is no
// hexadecimal digit gives four 0 bits) or for a cell the data lacks; a line
// feed before every row but the first and none after the last.
std::string PictureDrawing(std::string_view data, int width, int height);
// The same appended to out, with lineEnd between the rows.
void AppendDrawing(std::string& out, std::string_view data, int width, int height,
                   std::string_view lineEnd);

class PictureLog {
public:
    explicit PictureLog(platform::FileSystem& files = platform::SystemFiles()) : m_file(files) {}
    // Opens the log in logFolder (a plain prefix), creating it when missing.
    bool Open(std::string_view logFolder);
    bool IsOpen() const { return m_file.IsOpen(); }
    // Adds text to the entry in hand (kept as it goes to the file, every
    // line feed as CR LF).
    void Write(std::string_view text);
    // Adds the drawing of hexadecimal picture data (PictureDrawing).
    void DrawPicture(std::string_view data, int width, int height);
    // Appends the entry in hand to the file and starts the next one. When
    // that append fails the log is closed, so that no later entry follows a
    // missing one. Nothing is written while the log is closed.
    void EndEntry();
    // True once after an append failed.
    bool TakeFailure() { return std::exchange(m_failed, false); }
    void Release() { m_file.Release(); }
    void Close() { m_file.Close(); }

private:
    platform::AppendFile m_file;
    std::string m_entry;
    bool m_failed = false;
};

} // namespace picture
