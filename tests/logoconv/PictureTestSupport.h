#pragma once
// Helpers shared by the picture tests: picture texts and a presenter that
// records the messages instead of showing them.

#include "platform/MessagePresenter.h"

#include <string>
#include <vector>

namespace picturetest {

// Hexadecimal picture data of the given number of rows whose characters
// differ by row and column, so a misplaced character is noticed.
inline std::string Rows(int rows) {
    static const char kDigits[] = "0123456789abcdefABCDEF";
    std::string data;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 18; ++c)
            data += kDigits[(r * 7 + c) % 22];
    return data;
}

// Records "CAPTION: TEXT" for every message while it lives.
class RecordedMessages {
public:
    RecordedMessages() {
        m_previous = platform::SetMessagePresenter(
            [](void* context, const char* caption, const char* text) {
                static_cast<RecordedMessages*>(context)->m_lines.push_back(std::string(caption) +
                                                                           ": " + text);
            },
            this);
    }
    ~RecordedMessages() { platform::SetMessagePresenter(m_previous.show, m_previous.context); }
    RecordedMessages(const RecordedMessages&) = delete;
    RecordedMessages& operator=(const RecordedMessages&) = delete;

    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    QuillmereMessagePresenter m_previous{};
    std::vector<std::string> m_lines;
};

inline std::string Box(const std::string& text) {
    return "ZEV Urur Orarodude: " + text;
}

} // namespace picturetest
