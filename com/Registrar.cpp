#include "com/Registrar.h"

#include "com/RegistryFile.h"
#include "platform/Ascii.h"

#include <optional>
#include <stdexcept>
#include <vector>

namespace com {
namespace {

struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class KeyFlag { Plain, ForceRemove, NoRemove, Delete };

struct ScriptKey {
    KeyFlag flag = KeyFlag::Plain;
    std::string name;
    std::optional<std::string> defaultValue;
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<ScriptKey> subkeys;
};

struct Token {
    enum Kind { Word, Quoted, Open, Close, Equals, End } kind;
    std::string text;
};

class Parser {
public:
    Parser(std::string_view script, const ScriptVariables& variables)
        : m_text(script), m_variables(variables) {}

    std::vector<ScriptKey> ParseScript() {
        std::vector<ScriptKey> keys;
        for (Token root = Next(); root.kind != Token::End; root = Next()) {
            if (root.kind != Token::Word ||
                !(platform::EqualsIgnoringAsciiCase(root.text, "HKCR") ||
                  platform::EqualsIgnoringAsciiCase(root.text, "HKEY_CLASSES_ROOT")))
                throw ScriptError("only HKCR can be registered, found '" + root.text + "'");
            Expect(Token::Open, "'{' after the root key");
            for (Token t = Next(); t.kind != Token::Close; t = Next())
                keys.push_back(ParseKey(t, 1));
        }
        return keys;
    }

private:
    // Keys nest no deeper than the registry allows; the bound also keeps a
    // malformed script from exhausting the stack.
    static constexpr int kMaxDepth = 512;

    ScriptKey ParseKey(Token t, int depth) {
        if (depth > kMaxDepth)
            throw ScriptError("keys nested too deeply");
        ScriptKey key;
        if (t.kind == Token::Word) {
            if (platform::EqualsIgnoringAsciiCase(t.text, "ForceRemove"))
                key.flag = KeyFlag::ForceRemove;
            else if (platform::EqualsIgnoringAsciiCase(t.text, "NoRemove"))
                key.flag = KeyFlag::NoRemove;
            else if (platform::EqualsIgnoringAsciiCase(t.text, "Delete"))
                key.flag = KeyFlag::Delete;
            if (key.flag != KeyFlag::Plain)
                t = Next();
        }
        if (t.kind != Token::Word && t.kind != Token::Quoted)
            throw ScriptError("expected a key name");
        key.name = t.text;
        t = Next();
        if (t.kind == Token::Equals) {
            key.defaultValue = ParseStringValue();
            t = Next();
        }
        if (t.kind != Token::Open) {
            m_pending = t;
            return key;
        }
        for (t = Next(); t.kind != Token::Close; t = Next()) {
            if (t.kind == Token::Word && platform::EqualsIgnoringAsciiCase(t.text, "val")) {
                const Token name = Next();
                if (name.kind != Token::Word && name.kind != Token::Quoted)
                    throw ScriptError("expected a value name after 'val'");
                Expect(Token::Equals, "'=' after the value name");
                key.values.emplace_back(name.text, ParseStringValue());
            } else {
                key.subkeys.push_back(ParseKey(t, depth + 1));
            }
        }
        return key;
    }

    std::string ParseStringValue() {
        const Token type = Next();
        if (type.kind != Token::Word || !platform::EqualsIgnoringAsciiCase(type.text, "s"))
            throw ScriptError("only string values (s) are supported");
        const Token value = Next();
        if (value.kind != Token::Quoted)
            throw ScriptError("expected a quoted value");
        return value.text;
    }

    void Expect(Token::Kind kind, const char* what) {
        if (Next().kind != kind)
            throw ScriptError(std::string("expected ") + what);
    }

    Token Next() {
        if (m_pending) {
            Token t = std::move(*m_pending);
            m_pending.reset();
            return t;
        }
        while (m_pos < m_text.size() && platform::IsAsciiSpace(m_text[m_pos]))
            ++m_pos;
        if (m_pos == m_text.size())
            return {Token::End, {}};
        const auto standalone = [&] {
            return m_pos + 1 == m_text.size() || platform::IsAsciiSpace(m_text[m_pos + 1]);
        };
        const char c = m_text[m_pos];
        if (c == '}' || ((c == '{' || c == '=') && standalone())) {
            ++m_pos;
            return {c == '{' ? Token::Open : c == '}' ? Token::Close : Token::Equals, {}};
        }
        if (c == '\'')
            return {Token::Quoted, ReadQuoted()};
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !platform::IsAsciiSpace(m_text[m_pos]))
            ++m_pos;
        return {Token::Word, Substitute(m_text.substr(start, m_pos - start))};
    }

    std::string ReadQuoted() {
        std::string raw;
        for (++m_pos; m_pos < m_text.size(); ++m_pos) {
            if (m_text[m_pos] == '\'') {
                if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\'') {
                    raw += '\'';
                    ++m_pos;
                    continue;
                }
                ++m_pos;
                return Substitute(raw);
            }
            raw += m_text[m_pos];
        }
        throw ScriptError("unterminated quoted text");
    }

    std::string Substitute(std::string_view raw) const {
        std::string out;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '%') {
                out += raw[i];
                continue;
            }
            const std::size_t close = raw.find('%', i + 1);
            if (close == std::string_view::npos)
                throw ScriptError("unterminated %variable%");
            const std::string name(raw.substr(i + 1, close - i - 1));
            if (name.empty()) {
                out += '%';
            } else {
                const auto it = m_variables.find(name);
                if (it == m_variables.end())
                    throw ScriptError("unknown variable %" + name + "%");
                out += it->second;
            }
            i = close;
        }
        return out;
    }

    std::string_view m_text;
    const ScriptVariables& m_variables;
    std::size_t m_pos = 0;
    std::optional<Token> m_pending;
};

std::string ChildPath(const std::string& parent, const std::string& name) {
    return parent.empty() ? name : parent + "\\" + name;
}

void Register(RegistryTree& tree, const std::string& parent, const ScriptKey& key) {
    const std::string path = ChildPath(parent, key.name);
    if (key.flag == KeyFlag::Delete) {
        tree.DeleteTree(path);
        return;
    }
    if (key.flag == KeyFlag::ForceRemove)
        tree.DeleteTree(path);
    if (!tree.CreateKey(path))
        throw ScriptError("malformed key name '" + path + "'");
    if (key.defaultValue && !tree.SetValue(path, "", *key.defaultValue))
        throw ScriptError("the registry cannot hold the default value of '" + path + "'");
    for (const auto& [name, text] : key.values)
        if (!tree.SetValue(path, name, text))
            throw ScriptError("the registry cannot hold the value '" + name + "'");
    for (const ScriptKey& subkey : key.subkeys)
        Register(tree, path, subkey);
}

void Unregister(RegistryTree& tree, const std::string& parent, const ScriptKey& key) {
    const std::string path = ChildPath(parent, key.name);
    if (key.flag == KeyFlag::Delete || !tree.KeyExists(path))
        return;
    if (key.flag == KeyFlag::ForceRemove) {
        tree.DeleteTree(path);
        return;
    }
    for (const ScriptKey& subkey : key.subkeys)
        Unregister(tree, path, subkey);
    if (key.flag == KeyFlag::NoRemove)
        return;
    for (const auto& value : key.values)
        tree.DeleteValue(path, value.first);
    if (!tree.HasSubKeys(path))
        tree.DeleteTree(path);
}

} // namespace

HRESULT ApplyRegistrationScript(RegistryTree& tree, std::string_view script,
                                const ScriptVariables& variables, bool registering,
                                std::string* error) {
    try {
        const std::vector<ScriptKey> keys = Parser(script, variables).ParseScript();
        RegistryTree changed = tree;
        for (const ScriptKey& key : keys) {
            if (registering)
                Register(changed, "", key);
            else
                Unregister(changed, "", key);
        }
        tree = std::move(changed);
        return S_OK;
    } catch (const ScriptError& e) {
        if (error != nullptr)
            *error = e.what();
        return E_INVALIDARG;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT UpdateRegistryFromScript(std::string_view script, const ScriptVariables& variables,
                                 bool registering) {
    return EditRegistry([&](RegistryTree& tree) {
        return ApplyRegistrationScript(tree, script, variables, registering);
    });
}

} // namespace com
