// The registry's text form (see com/RegistryTree.h): written key by key,
// read line by line, one handler for each kind of line.

#include "com/RegistryTree.h"

#include "platform/Ascii.h"

#include <algorithm>

namespace com {
namespace {

constexpr std::string_view kRoot = "HKEY_CLASSES_ROOT";
constexpr std::string_view kHeader = "REGEDIT4";

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// Reads a quoted text starting at text[pos] == '"'; pos ends after the closing quote.
std::optional<std::string> Unquote(std::string_view text, std::size_t& pos) {
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\') {
            if (++pos == text.size())
                return std::nullopt;
            c = text[pos];
        }
        out += c;
    }
    return std::nullopt;
}

void TrimEnd(std::string& line, std::string_view blanks) {
    while (!line.empty() && blanks.find(line.back()) != std::string_view::npos)
        line.pop_back();
}

// The logical lines of a registry text, after a byte-order mark: each line
// without its line end and the blanks before it. A raw value may go on over
// several lines, each but the last ending in "\"; a "\" on the last line of
// the text continues nothing and goes.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF")
            m_text.remove_prefix(3);
    }

    bool Next(std::string& line) {
        if (m_pos >= m_text.size())
            return false;
        line = TakeLine();
        while (!line.empty() && line.back() == '\\') {
            line.pop_back();
            if (m_pos < m_text.size()) {
                const std::string next = TakeLine();
                line += next.substr(std::min(next.size(), next.find_first_not_of(" \t")));
            }
            TrimEnd(line, " \t");
        }
        return true;
    }
    // The number of the last line read (from 1).
    int Number() const { return m_number; }

private:
    std::string TakeLine() {
        std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos)
            end = m_text.size();
        std::string line(m_text.substr(m_pos, end - m_pos));
        m_pos = end + 1;
        ++m_number;
        TrimEnd(line, "\r \t");
        return line;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_number = 0;
};

} // namespace

std::string RegistryTree::ToText() const {
    std::string out(kHeader);
    out += "\n";
    for (const auto& [lower, key] : m_keys) {
        out.append("\n[").append(kRoot).append("\\").append(key.path).append("]\n");
        for (const auto& [lowerName, value] : key.values) {
            out += value.name.empty() ? std::string("@") : Quote(value.name);
            out += '=';
            out += value.isString ? Quote(value.data) : value.data;
            out += '\n';
        }
    }
    return out;
}

// Reads the lines of a registry text into a tree. Each handler takes one
// kind of line, without its leading blanks, and returns what is wrong with
// it (nullptr when nothing is).
class RegistryTree::TextReader {
public:
    std::optional<RegistryTree> Read(std::string_view text, std::string* error) {
        LineReader lines(text);
        std::string line;
        while (lines.Next(line)) {
            const std::size_t start = line.find_first_not_of(" \t");
            if (start == std::string::npos || line[start] == ';')
                continue; // blank, or a comment
            const std::string_view content = std::string_view(line).substr(start);
            const char* wrong = content.front() == '[' ? KeyLine(content)
                                : content.front() == '@' || content.front() == '"'
                                    ? ValueLine(content)
                                    : OtherLine();
            if (wrong != nullptr) {
                if (error != nullptr)
                    *error = "line " + std::to_string(lines.Number()) + ": " + wrong;
                return std::nullopt;
            }
        }
        return std::move(m_tree);
    }

private:
    // "[HKEY_CLASSES_ROOT\path]": the key that the values after it belong to.
    const char* KeyLine(std::string_view content) {
        m_headerAllowed = false;
        if (content.back() != ']')
            return "a key line must end with ']'";
        const std::string_view name = content.substr(1, content.size() - 2);
        if (!platform::EqualsIgnoringAsciiCase(name.substr(0, kRoot.size()), kRoot))
            return "only keys under HKEY_CLASSES_ROOT are kept";
        if (name.size() == kRoot.size()) {
            m_current.clear();
            return nullptr;
        }
        if (name[kRoot.size()] != '\\')
            return "only keys under HKEY_CLASSES_ROOT are kept";
        m_current = std::string(name.substr(kRoot.size() + 1));
        return m_tree.CreateKey(m_current) ? nullptr : "malformed key name";
    }

    // @="text" or "name"="text", or a value of another type kept as raw text.
    const char* ValueLine(std::string_view content) {
        m_headerAllowed = false;
        if (m_current.empty())
            return "a value outside of any key";
        std::string name;
        std::size_t at = 1;
        if (content.front() == '"') {
            at = 0;
            const std::optional<std::string> quoted = Unquote(content, at);
            if (!quoted)
                return "unterminated value name";
            name = *quoted;
        }
        if (at >= content.size() || content[at] != '=')
            return "expected '=' after the value name";
        ++at;
        if (at < content.size() && content[at] == '"') {
            const std::optional<std::string> data = Unquote(content, at);
            if (!data || at != content.size())
                return "malformed string value";
            return m_tree.SetRawValue(m_current, name, true, *data) ? nullptr : "malformed value";
        }
        return m_tree.SetRawValue(m_current, name, false, content.substr(at)) ? nullptr
                                                                              : "malformed value";
    }

    // The header line ("REGEDIT4" or any other), once, before any key.
    const char* OtherLine() {
        if (!m_headerAllowed)
            return "unexpected text";
        m_headerAllowed = false;
        return nullptr;
    }

    RegistryTree m_tree;
    std::string m_current; // path of the section being read; empty before the first
    bool m_headerAllowed = true;
};

std::optional<RegistryTree> RegistryTree::FromText(std::string_view text, std::string* error) {
    return TextReader().Read(text, error);
}

} // namespace com
