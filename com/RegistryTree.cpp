#include "com/RegistryTree.h"

#include "platform/Ascii.h"

namespace com {
namespace {

bool HasLineBreakOrZero(std::string_view text) {
    return text.find_first_of(std::string_view("\n\r\0", 3)) != std::string_view::npos;
}

// Calls visit(part) for each part of a path, in order, while it returns true.
template <class Visit> bool ForEachPart(std::string_view path, Visit visit) {
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find('\\', start);
        if (!visit(path.substr(start, end - start)))
            return false;
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

// The entry of map named name, added when missing (with one search).
template <class Map> typename Map::mapped_type& FindOrAdd(Map& map, std::string_view name) {
    auto it = map.lower_bound(name);
    if (it == map.end() || map.key_comp()(name, it->first))
        it = map.emplace_hint(it, std::string(name), typename Map::mapped_type());
    return it->second;
}

} // namespace

const char* KeyPathProblem(std::string_view path) {
    if (path.size() > kMaxKeyPathLength)
        return "a key path longer than 32767 characters";
    const char* problem = nullptr;
    std::size_t depth = 0;
    ForEachPart(path, [&](std::string_view part) {
        if (part.empty())
            problem = "an empty key name";
        else if (part.size() > kMaxKeyNameLength)
            problem = "a key name longer than 255 characters";
        else if (++depth > kMaxKeyDepth)
            problem = "keys nested deeper than 512 levels";
        else
            for (char c : part)
                if (static_cast<unsigned char>(c) < 0x20)
                    problem = "a control character in a key name";
        return problem == nullptr;
    });
    return problem;
}

const char* ValueNameProblem(std::string_view name) {
    if (name.size() > kMaxValueNameLength)
        return "a value name longer than 16383 characters";
    return HasLineBreakOrZero(name) ? "a line break in a value name" : nullptr;
}

bool RegistryTree::NameLess::operator()(std::string_view a, std::string_view b) const {
    return platform::LessIgnoringAsciiCase(a, b);
}

RegistryTree::Key* RegistryTree::Find(std::string_view path) {
    return const_cast<Key*>(static_cast<const RegistryTree*>(this)->Find(path));
}

const RegistryTree::Key* RegistryTree::Find(std::string_view path) const {
    if (path.empty())
        return nullptr;
    const Key* key = &m_root;
    const bool found = ForEachPart(path, [&](std::string_view part) {
        const auto it = key->subkeys.find(part);
        key = it != key->subkeys.end() ? &it->second : nullptr;
        return key != nullptr;
    });
    return found ? key : nullptr;
}

RegistryTree::Key* RegistryTree::Create(std::string_view path) {
    if (KeyPathProblem(path) != nullptr)
        return nullptr;
    Key* key = &m_root;
    ForEachPart(path, [&](std::string_view part) {
        key = &FindOrAdd(key->subkeys, part);
        return true;
    });
    return key;
}

bool RegistryTree::KeyExists(std::string_view path) const {
    return Find(path) != nullptr;
}

bool RegistryTree::CreateKey(std::string_view path) {
    return Create(path) != nullptr;
}

bool RegistryTree::DeleteTree(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    Key* parent = slash == std::string_view::npos ? &m_root : Find(path.substr(0, slash));
    if (path.empty() || parent == nullptr)
        return false;
    const auto it = parent->subkeys.find(path.substr(slash + 1));
    if (it == parent->subkeys.end())
        return false;
    parent->subkeys.erase(it);
    return true;
}

bool RegistryTree::SetRawValue(Key& key, std::string_view name, bool isString,
                               std::string_view data) {
    if (ValueNameProblem(name) != nullptr || (isString && HasLineBreakOrZero(data)))
        return false;
    Value& value = FindOrAdd(key.values, name);
    value.isString = isString;
    value.data = std::string(data);
    return true;
}

bool RegistryTree::SetValue(std::string_view path, std::string_view name, std::string_view text) {
    if (ValueNameProblem(name) != nullptr || HasLineBreakOrZero(text))
        return false;
    Key* key = Create(path);
    return key != nullptr && SetRawValue(*key, name, true, text);
}

bool RegistryTree::DeleteValue(std::string_view path, std::string_view name) {
    Key* key = Find(path);
    if (key == nullptr)
        return false;
    const auto it = key->values.find(name);
    if (it == key->values.end())
        return false;
    key->values.erase(it);
    return true;
}

std::optional<std::string> RegistryTree::GetValue(std::string_view path,
                                                  std::string_view name) const {
    const Key* key = Find(path);
    if (key == nullptr)
        return std::nullopt;
    const auto it = key->values.find(name);
    if (it == key->values.end() || !it->second.isString)
        return std::nullopt;
    return it->second.data;
}

std::vector<std::string> RegistryTree::SubKeyNames(std::string_view path) const {
    std::vector<std::string> names;
    if (const Key* key = Find(path))
        for (const auto& entry : key->subkeys)
            names.push_back(entry.first);
    return names;
}

bool RegistryTree::HasSubKeys(std::string_view path) const {
    const Key* key = Find(path);
    return key != nullptr && !key->subkeys.empty();
}

} // namespace com
