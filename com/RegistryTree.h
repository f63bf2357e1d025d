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

// Keys nest at most this deep (parts of a path, levels of a script), as in
// the registry this one stands in for; the bound also limits the work and
// memory that one line of a registry file or a script can cost.
inline constexpr std::size_t kMaxKeyDepth = 512;

class RegistryTree {
public:
    bool KeyExists(std::string_view path) const;
    // Creates the key and its missing ancestors; false for a malformed path.
    bool CreateKey(std::string_view path);
    // Removes the key with its values and its whole subtree; false when missing.
    bool DeleteTree(std::string_view path);
    // Sets a string value ("" names the default value), creating the key.
    // False for a malformed path or a text holding a line break or zero.
    bool SetValue(std::string_view path, std::string_view name, std::string_view text);
    bool DeleteValue(std::string_view path, std::string_view name);
    // A string value; nullopt when the key, the value or a string is missing.
    std::optional<std::string> GetValue(std::string_view path, std::string_view name) const;
    // Names of the direct subkeys, in sorted order.
    std::vector<std::string> SubKeyNames(std::string_view path) const;
    bool HasSubKeys(std::string_view path) const { return !SubKeyNames(path).empty(); }

    std::string ToText() const;
    // Parses the text form; nullopt with a description in error when malformed.
    static std::optional<RegistryTree> FromText(std::string_view text,
                                                std::string* error = nullptr);

private:
    class TextReader; // RegistryText.cpp

    struct Value {
        std::string name;
        bool isString = true;
        std::string data; // the text, or the raw right-hand side of another type
    };
    struct Key {
        std::string path;                    // as created
        std::map<std::string, Value> values; // by lower-case name
    };

    Key* Find(std::string_view path);
    const Key* Find(std::string_view path) const;
    bool SetRawValue(std::string_view path, std::string_view name, bool isString,
                     std::string_view data);

    std::map<std::string, Key> m_keys; // by lower-case path; a parent sorts before its subkeys
};

} // namespace com
