#include "com/RegistrationScript.h"

#include "com/RegistryTree.h"

#include "platform/Ascii.h"

#include <stdexcept>

namespace com {
namespace {

using platform::EqualsIgnoringAsciiCase;
using platform::IsAsciiSpace;

struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
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
                !(EqualsIgnoringAsciiCase(root.text, "HKCR") ||
                  EqualsIgnoringAsciiCase(root.text, "HKEY_CLASSES_ROOT")))
                throw ScriptError("only HKCR can be registered, found '" + root.text + "'");
            Expect(Token::Open, "'{' after the root key");
            for (Token t = Next(); t.kind != Token::Close; t = Next())
                keys.push_back(ParseKey(t, 1));
        }
        return keys;
    }

private:
    // The bound also keeps a malformed script from exhausting the stack.
    ScriptKey ParseKey(Token t, std::size_t depth) {
        if (depth > kMaxKeyDepth)
            throw ScriptError("keys nested too deeply");
        ScriptKey key;
        if (t.kind == Token::Word) {
            if (EqualsIgnoringAsciiCase(t.text, "ForceRemove"))
                key.flag = ScriptKey::Flag::ForceRemove;
            else if (EqualsIgnoringAsciiCase(t.text, "NoRemove"))
                key.flag = ScriptKey::Flag::NoRemove;
            else if (EqualsIgnoringAsciiCase(t.text, "Delete"))
                key.flag = ScriptKey::Flag::Delete;
            if (key.flag != ScriptKey::Flag::Plain)
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
            if (t.kind == Token::Word && EqualsIgnoringAsciiCase(t.text, "val")) {
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
        if (type.kind != Token::Word || !EqualsIgnoringAsciiCase(type.text, "s"))
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
        while (m_pos < m_text.size() && IsAsciiSpace(m_text[m_pos]))
            ++m_pos;
        if (m_pos == m_text.size())
            return {Token::End, {}};
        const auto standalone = [&] {
            return m_pos + 1 == m_text.size() || IsAsciiSpace(m_text[m_pos + 1]);
        };
        const char c = m_text[m_pos];
        if (c == '}' || ((c == '{' || c == '=') && standalone())) {
            ++m_pos;
            return {c == '{' ? Token::Open : c == '}' ? Token::Close : Token::Equals, {}};
        }
        if (c == '\'')
            return {Token::Quoted, ReadQuoted()};
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !IsAsciiSpace(m_text[m_pos]))
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

} // namespace

std::optional<std::vector<ScriptKey>> ParseRegistrationScript(std::string_view script,
                                                              const ScriptVariables& variables,
                                                              std::string* error) {
    try {
        return Parser(script, variables).ParseScript();
    } catch (const ScriptError& e) {
        if (error != nullptr)
            *error = e.what();
        return std::nullopt;
    }
}

} // namespace com
