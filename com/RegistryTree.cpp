#include "com/RegistryTree.h"

#include "platform/Ascii.h"

#include <algorithm>

namespace com {
namespace {

// Keys and value names are found by their lower-case form.
std::string Lower(std::string_view text) {
    return platform::LowerAscii(text);
}

bool HasLineBreakOrZero(std::string_view text) {
    return text.find_first_of(std::string_view("\n\r\0", 3)) != std::string_view::npos;
}

bool IsValidPath(std::string_view path) {
    if (path.empty() || path.front() == '\\' || path.back() == '\\' ||
        path.find("\\\\") != std::string_view::npos)
        return false;
    std::size_t depth = 1;
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
        if (c == '\\' && ++depth > kMaxKeyDepth)
            return false;
    }
    return true;
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

} // namespace com
