#include "com/TypeLibData.h"

#include "com/Dispatch.h"

#include <charconv>
#include <stdexcept>

namespace com {
namespace {

struct TextError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::vector<std::string> SplitWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i == line.size())
            return words;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos)
                throw TextError("unterminated quoted text");
            words.emplace_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        words.emplace_back(line.substr(start, i - start));
    }
}

GUID ParseGuidWord(const std::string& word) {
    const std::optional<GUID> guid = GuidFromString(word);
    if (!guid)
        throw TextError("malformed identifier " + word);
    return *guid;
}

unsigned long ParseNumber(std::string_view word, int base) {
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, base);
    if (ec != std::errc() || end != word.data() + word.size() || word.empty())
        throw TextError("malformed number " + std::string(word));
    return value;
}

WORD ParseFlags(const std::string& word) {
    if (word == "-")
        return 0;
    WORD flags = 0;
    std::size_t start = 0;
    while (start <= word.size()) {
        std::size_t end = word.find(',', start);
        if (end == std::string::npos)
            end = word.size();
        const std::string_view flag = std::string_view(word).substr(start, end - start);
        if (flag == "dual")
            flags |= TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
        else if (flag == "oleautomation")
            flags |= TYPEFLAG_FOLEAUTOMATION;
        else if (flag == "creatable")
            flags |= TYPEFLAG_FCANCREATE;
        else
            throw TextError("unknown flag " + std::string(flag));
        start = end + 1;
    }
    return flags;
}

VARTYPE ParseType(const std::string& word) {
    if (word == "BSTR")
        return VT_BSTR;
    throw TextError("unsupported parameter type " + word);
}

void ParseLine(const std::vector<std::string>& w, TypeLibData& lib, bool& haveLibrary) {
    const std::string& what = w[0];
    if (what == "library") {
        if (w.size() != 6 || haveLibrary)
            throw TextError("expected: library NAME {LIBID} MAJOR.MINOR LCID \"help\"");
        lib.name = w[1];
        lib.guid = ParseGuidWord(w[2]);
        const std::size_t dot = w[3].find('.');
        if (dot == std::string::npos)
            throw TextError("malformed version " + w[3]);
        lib.majorVersion =
            static_cast<WORD>(ParseNumber(std::string_view(w[3]).substr(0, dot), 10));
        lib.minorVersion =
            static_cast<WORD>(ParseNumber(std::string_view(w[3]).substr(dot + 1), 10));
        lib.lcid = static_cast<LCID>(ParseNumber(w[4], 16));
        lib.help = w[5];
        haveLibrary = true;
        return;
    }
    if (!haveLibrary)
        throw TextError("the library line must come first");
    if (what == "importlib" && w.size() == 2) {
        lib.imports.push_back(w[1]);
    } else if (what == "interface" && w.size() == 6) {
        if (w[3] != "IUnknown" && w[3] != "IDispatch")
            throw TextError("an interface derives from IUnknown or IDispatch");
        TypeLibType type{TypeLibType::Kind::Interface,
                         w[1],
                         ParseGuidWord(w[2]),
                         w[5],
                         ParseFlags(w[4]),
                         w[3],
                         {},
                         {}};
        lib.types.push_back(std::move(type));
    } else if (what == "method" && w.size() >= 4 && w.size() % 2 == 0) {
        if (lib.types.empty() || lib.types.back().kind != TypeLibType::Kind::Interface)
            throw TextError("a method belongs to an interface");
        TypeLibMethod method{w[1], static_cast<DISPID>(ParseNumber(w[2], 10)), w[3], {}, VT_HRESULT,
                             0};
        for (std::size_t i = 4; i < w.size(); i += 2)
            method.params.push_back({w[i + 1], ParseType(w[i])});
        if (method.params.size() > kMaxMethodParams)
            throw TextError("too many parameters");
        lib.types.back().methods.push_back(std::move(method));
    } else if (what == "coclass" && w.size() >= 6) {
        TypeLibType type{
            TypeLibType::Kind::CoClass, w[1], ParseGuidWord(w[2]), w[4], ParseFlags(w[3]), {}, {},
            {w.begin() + 5, w.end()}};
        lib.types.push_back(std::move(type));
    } else {
        throw TextError("unknown or malformed declaration '" + what + "'");
    }
}

} // namespace

std::optional<TypeLibData> ParseTypeLibText(std::string_view text, std::string* error) {
    TypeLibData lib{};
    bool haveLibrary = false;
    int lineNumber = 0;
    try {
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos)
                end = text.size();
            const std::string_view line = text.substr(pos, end - pos);
            pos = end + 1;
            ++lineNumber;
            const std::vector<std::string> words = SplitWords(line);
            if (!words.empty() && words[0][0] != '#')
                ParseLine(words, lib, haveLibrary);
        }
        if (!haveLibrary)
            throw TextError("no library line");
        for (const TypeLibType& type : lib.types)
            for (const std::string& name : type.implemented) {
                bool known = false;
                for (const TypeLibType& other : lib.types)
                    known |= other.kind == TypeLibType::Kind::Interface && other.name == name;
                if (!known)
                    throw TextError("coclass " + type.name + " names unknown interface " + name);
            }
    } catch (const TextError& e) {
        if (error != nullptr)
            *error = "line " + std::to_string(lineNumber) + ": " + e.what();
        return std::nullopt;
    }
    return lib;
}

} // namespace com
