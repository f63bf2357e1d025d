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
    for (std::size_t from = pos + 1;;) {
        const std::size_t stop = text.find_first_of("\"\\", from);
        if (stop == std::string_view::npos)
            return std::nullopt;
        out.append(text.substr(from, stop - from));
        if (text[stop] == '"') {
            pos = stop + 1;
            return out;
        }
        if (stop + 1 == text.size())
            return std::nullopt; // a "\" that escapes nothing
        out += text[stop + 1];
        from = stop + 2;
    }
}

std::string_view TrimmedEnd(std::string_view line, std::string_view blanks) {
    while (!line.empty() && blanks.find(line.back()) != std::string_view::npos)
        line.remove_suffix(1);
    return line;
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

    // The next line, valid until the next call.
    bool Next(std::string_view& line) {
        if (m_pos >= m_text.size())
            return false;
        line = TakeLine();
        if (line.empty() || line.back() != '\\')
            return true;
        m_joined.assign(line);
        while (!m_joined.empty() && m_joined.back() == '\\') {
            m_joined.pop_back();
            if (m_pos < m_text.size()) {
                const std::string_view next = TakeLine();
                m_joined += next.substr(std::min(next.size(), next.find_first_not_of(" \t")));
            }
            m_joined.resize(TrimmedEnd(m_joined, " \t").size());
        }
        line = m_joined;
        return true;
    }
    // The number of the last line read (from 1).
    int Number() const { return m_number; }

private:
    std::string_view TakeLine() {
        std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos)
            end = m_text.size();
        const std::string_view line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        ++m_number;
        return TrimmedEnd(line, "\r \t");
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_number = 0;
    std::string m_joined; // a line continued over several
};

} // namespace

void RegistryTree::WriteKey(const Key& key, std::string& path, std::string& out) {
    out.append("\n[").append(kRoot).append("\\").append(path).append("]\n");
    for (const auto& [name, value] : key.values) {
        out += name.empty() ? std::string("@") : Quote(name);
        out += '=';
        out += value.isString ? Quote(value.data) : value.data;
        out += '\n';
    }
    const std::size_t length = path.size();
    for (const auto& [name, subkey] : key.subkeys) {
        path.append("\\").append(name);
        WriteKey(subkey, path, out);
        path.resize(length);
    }
}

std::string RegistryTree::ToText() const {
    std::string out(kHeader);
    out += "\n";
    std::string path;
    for (const auto& [name, key] : m_root.subkeys) {
        path = name;
        WriteKey(key, path, out);
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
        std::string_view line;
        while (lines.Next(line)) {
            const std::size_t start = line.find_first_not_of(" \t");
            if (start == std::string::npos || line[start] == ';')
                continue; // blank, or a comment
            const std::string_view content = line.substr(start);
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
        m_current = nullptr;
        if (name.size() == kRoot.size())
            return nullptr;
        if (name[kRoot.size()] != '\\')
            return "only keys under HKEY_CLASSES_ROOT are kept";
        const std::string_view path = name.substr(kRoot.size() + 1);
        if (const char* problem = KeyPathProblem(path))
            return problem;
        m_current = m_tree.Create(path);
        return nullptr;
    }

    // @="text" or "name"="text", or a value of another type kept as raw text.
    const char* ValueLine(std::string_view content) {
        m_headerAllowed = false;
        if (m_current == nullptr)
            return "a value outside of any key";
        std::string name;
        std::size_t at = 1;
        if (content.front() == '"') {
            at = 0;
            const std::optional<std::string> quoted = Unquote(content, at);
            if (!quoted)
                return "unterminated value name";
            name = *quoted;
            if (const char* problem = ValueNameProblem(name))
                return problem;
        }
        if (at >= content.size() || content[at] != '=')
            return "expected '=' after the value name";
        ++at;
        if (at < content.size() && content[at] == '"') {
            const std::optional<std::string> data = Unquote(content, at);
            if (!data || at != content.size())
                return "malformed string value";
            return SetRawValue(*m_current, name, true, *data) ? nullptr : "malformed value";
        }
        return SetRawValue(*m_current, name, false, content.substr(at)) ? nullptr
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
    Key* m_current = nullptr; // the key of the section being read, held for its values
    bool m_headerAllowed = true;
};

std::optional<RegistryTree> RegistryTree::FromText(std::string_view text, std::string* error) {
    return TextReader().Read(text, error);
}

} // namespace com
