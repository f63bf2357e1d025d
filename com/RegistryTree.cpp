#include "com/RegistryTree.h"

#include "platform/Ascii.h"

#include <algorithm>

namespace com {
namespace {

constexpr std::string_view kRoot = "HKEY_CLASSES_ROOT";
constexpr std::string_view kHeader = "REGEDIT4";

// Keys and value names are found by their lower-case form.
std::string Lower(std::string_view text) {
    return platform::LowerAscii(text);
}

bool HasLineBreakOrZero(std::string_view text) {
    return text.find_first_of(std::string_view("\n\r\0", 3)) != std::string_view::npos;
}

// Keys nest at most this deep, as in the registry this one stands in for; it
// also bounds the work and memory one key line of a registry file can cost.
constexpr std::size_t kMaxDepth = 512;

bool IsValidPath(std::string_view path) {
    if (path.empty() || path.front() == '\\' || path.back() == '\\' ||
        path.find("\\\\") != std::string_view::npos)
        return false;
    std::size_t depth = 1;
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
        if (c == '\\' && ++depth > kMaxDepth)
            return false;
    }
    return true;
}

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

} // namespace

RegistryTree::Key* RegistryTree::Find(std::string_view path) {
    const auto it = m_keys.find(Lower(path));
    return it == m_keys.end() ? nullptr : &it->second;
}

const RegistryTree::Key* RegistryTree::Find(std::string_view path) const {
    const auto it = m_keys.find(Lower(path));
    return it == m_keys.end() ? nullptr : &it->second;
}

bool RegistryTree::KeyExists(std::string_view path) const {
    return Find(path) != nullptr;
}

bool RegistryTree::CreateKey(std::string_view path) {
    if (!IsValidPath(path))
        return false;
    // From the key itself up to the first one that exists: the ancestors of
    // an existing key exist, so setting values of a deep key costs no more
    // than its path.
    const std::string lower = Lower(path);
    for (std::size_t end = path.size();;) {
        const auto [key, created] = m_keys.try_emplace(lower.substr(0, end));
        if (!created)
            break;
        key->second.path = std::string(path.substr(0, end));
        end = path.rfind('\\', end - 1);
        if (end == std::string_view::npos)
            break;
    }
    return true;
}

bool RegistryTree::DeleteTree(std::string_view path) {
    const std::string lower = Lower(path);
    if (m_keys.erase(lower) == 0)
        return false;
    // Every subkey path starts with "parent\", so it sorts before "parent]".
    m_keys.erase(m_keys.lower_bound(lower + "\\"), m_keys.lower_bound(lower + "]"));
    return true;
}

bool RegistryTree::SetRawValue(std::string_view path, std::string_view name, bool isString,
                               std::string_view data) {
    if (HasLineBreakOrZero(name) || (isString && HasLineBreakOrZero(data)) || !CreateKey(path))
        return false;
    Value& value = Find(path)->values[Lower(name)];
    if (value.name.empty())
        value.name = std::string(name);
    value.isString = isString;
    value.data = std::string(data);
    return true;
}

bool RegistryTree::SetValue(std::string_view path, std::string_view name, std::string_view text) {
    return SetRawValue(path, name, true, text);
}

bool RegistryTree::DeleteValue(std::string_view path, std::string_view name) {
    Key* key = Find(path);
    return key != nullptr && key->values.erase(Lower(name)) > 0;
}

std::optional<std::string> RegistryTree::GetValue(std::string_view path,
                                                  std::string_view name) const {
    const Key* key = Find(path);
    if (key == nullptr)
        return std::nullopt;
    const auto it = key->values.find(Lower(name));
    if (it == key->values.end() || !it->second.isString)
        return std::nullopt;
    return it->second.data;
}

std::vector<std::string> RegistryTree::SubKeyNames(std::string_view path) const {
    std::vector<std::string> names;
    const std::string prefix = Lower(path) + "\\";
    for (auto it = m_keys.lower_bound(prefix); it != m_keys.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0)
            break;
        const std::string_view rest = std::string_view(it->second.path).substr(prefix.size());
        if (rest.find('\\') == std::string_view::npos)
            names.emplace_back(rest);
    }
    return names;
}

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

std::optional<RegistryTree> RegistryTree::FromText(std::string_view text, std::string* error) {
    RegistryTree tree;
    std::string current; // path of the section being read; empty before the first
    bool headerAllowed = true;
    int lineNumber = 0;
    const auto fail = [&](const char* what) -> std::optional<RegistryTree> {
        if (error != nullptr)
            *error = "line " + std::to_string(lineNumber) + ": " + what;
        return std::nullopt;
    };
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto takeLine = [&] {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos)
                end = text.size();
            std::string line(text.substr(pos, end - pos));
            pos = end + 1;
            ++lineNumber;
            while (!line.empty() &&
                   (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
                line.pop_back();
            return line;
        };
        std::string line = takeLine();
        // A raw value may go on over several lines, each but the last ending in
        // "\". A "\" on the last line of the text continues nothing and goes.
        while (!line.empty() && line.back() == '\\') {
            line.pop_back();
            if (pos < text.size()) {
                const std::string next = takeLine();
                line += next.substr(std::min(next.size(), next.find_first_not_of(" \t")));
            }
            while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
                line.pop_back();
        }
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == ';')
            continue;
        const std::string_view content = std::string_view(line).substr(start);
        if (content.front() == '[') {
            headerAllowed = false;
            if (content.back() != ']')
                return fail("a key line must end with ']'");
            const std::string_view name = content.substr(1, content.size() - 2);
            if (Lower(name.substr(0, kRoot.size())) != Lower(kRoot))
                return fail("only keys under HKEY_CLASSES_ROOT are kept");
            if (name.size() == kRoot.size()) {
                current.clear();
                continue;
            }
            if (name[kRoot.size()] != '\\')
                return fail("only keys under HKEY_CLASSES_ROOT are kept");
            current = std::string(name.substr(kRoot.size() + 1));
            if (!tree.CreateKey(current))
                return fail("malformed key name");
            continue;
        }
        if (content.front() == '@' || content.front() == '"') {
            headerAllowed = false;
            if (current.empty())
                return fail("a value outside of any key");
            std::string name;
            std::size_t at = 1;
            if (content.front() == '"') {
                at = 0;
                const std::optional<std::string> quoted = Unquote(content, at);
                if (!quoted)
                    return fail("unterminated value name");
                name = *quoted;
            }
            if (at >= content.size() || content[at] != '=')
                return fail("expected '=' after the value name");
            ++at;
            bool ok;
            if (at < content.size() && content[at] == '"') {
                const std::optional<std::string> data = Unquote(content, at);
                if (!data || at != content.size())
                    return fail("malformed string value");
                ok = tree.SetRawValue(current, name, true, *data);
            } else {
                ok = tree.SetRawValue(current, name, false, content.substr(at));
            }
            if (!ok)
                return fail("malformed value");
            continue;
        }
        if (!headerAllowed)
            return fail("unexpected text");
        headerAllowed = false;
    }
    return tree;
}

} // namespace com
