#pragma once
// The classes root of the registry held in memory, and its text form (the
// usual .reg layout):
//
//   REGEDIT4
//
//   [HKEY_CLASSES_ROOT\CLSID\{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}]
//   @="LogoConverter Class"
//   "ThreadingModel"="both"
//
// Key paths are relative to the root, their parts separated by "\"; key and
// value names compare without regard to ASCII case and keep the case they
// were created with. Every key is written as its own section, so a key
// without values or subkeys survives a round trip. Values of types other
// than strings are kept as their raw text and written back unchanged.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace com {

// The limits of the registry this one stands in for, in characters (bytes):
// keys nest at most kMaxKeyDepth deep (parts of a path, levels of a script);
// a key's own name holds at most kMaxKeyNameLength, its path from the root
// at most kMaxKeyPathLength, a value's name at most kMaxValueNameLength. The
// bounds also limit the work and memory that one line of a registry file or
// a script can cost.
inline constexpr std::size_t kMaxKeyDepth = 512;
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxKeyPathLength = 32767;
inline constexpr std::size_t kMaxValueNameLength = 16383;

// Held as a tree: each key keeps its own name only, so a key costs its name
// and not its path, and reading a registry text takes time and memory in
// proportion to its size.
class RegistryTree {
public:
    bool KeyExists(std::string_view path) const;
    // Creates the key and its missing ancestors; false for a malformed path
    // or one beyond the limits above.
    bool CreateKey(std::string_view path);
    // Removes the key with its values and its whole subtree; false when missing.
    bool DeleteTree(std::string_view path);
    // Sets a string value ("" names the default value), creating the key.
    // False for a malformed path, a name beyond its limit or a text holding
    // a line break or zero.
    bool SetValue(std::string_view path, std::string_view name, std::string_view text);
    bool DeleteValue(std::string_view path, std::string_view name);
    // A string value; nullopt when the key, the value or a string is missing.
    std::optional<std::string> GetValue(std::string_view path, std::string_view name) const;
    // Names of the direct subkeys, in sorted order.
    std::vector<std::string> SubKeyNames(std::string_view path) const;
    bool HasSubKeys(std::string_view path) const;

    // Each key as its own section, a key before its subkeys.
    std::string ToText() const;
    // Parses the text form; nullopt with a description in error ("line N:
    // what is wrong") when malformed.
    static std::optional<RegistryTree> FromText(std::string_view text,
                                                std::string* error = nullptr);

private:
    class TextReader; // RegistryText.cpp

    struct NameLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    struct Value {
        bool isString = true;
        std::string data; // the text, or the raw right-hand side of another type
    };
    // Names keep the case they were created with and compare without it.
    struct Key {
        std::map<std::string, Value, NameLess> values; // "" is the default value
        std::map<std::string, Key, NameLess> subkeys;
    };

    Key* Find(std::string_view path);
    const Key* Find(std::string_view path) const;
    Key* Create(std::string_view path);
    static bool SetRawValue(Key& key, std::string_view name, bool isString, std::string_view data);
    static void WriteKey(const Key& key, std::string& path, std::string& out);

    Key m_root; // the classes root itself, which holds no values
};

// What is wrong with a key path or a value name, or nullptr when nothing is.
const char* KeyPathProblem(std::string_view path);
const char* ValueNameProblem(std::string_view name);

} // namespace com
