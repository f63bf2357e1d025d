#pragma once
// A type library's content and its text form, one declaration a line, words
// separated by blanks and "double-quoted" help strings:
//
//   library PELLUMOLib {78165FE8-B27C-486C-B90F-D12678536855} 1.0 409 "Pellumo 1.0 Type Library"
//   importlib stdole2.tlb
//   interface ILogoConverter {5BA4DE79-080E-421B-8AF1-260A249D605F} IDispatch dual,oleautomation
//   "..." method Convert 1 "method Convert" BSTR sRTXfilePATH BSTR sEMSFilePath BSTR sAppfilePath
//   coclass LogoConverter {72D7EBB1-14E9-42BB-A0A5-33E4CE02164C} creatable "..." ILogoConverter
//
// The version is major.minor and the locale hexadecimal. An interface names
// its base (IUnknown or IDispatch) and its flags ("-" for none); each method
// line adds a method, returning HRESULT, to the interface above it, with its
// dispatch identifier and its parameters as type and name pairs. A coclass
// lists its interfaces, the default one first.

#include "com/Guid.h"
#include "com/Variant.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace com {

// A parameter; VT_PTR stands for a pointer to anything.
struct TypeLibParam {
    std::string name;
    VARTYPE type;
};

struct TypeLibMethod {
    std::string name;
    DISPID id;
    std::string help;
    std::vector<TypeLibParam> params;
    VARTYPE result = VT_HRESULT;
    WORD flags = 0; // FUNCFLAG_* bits
};

struct TypeLibType {
    enum class Kind { Interface, CoClass } kind;
    std::string name;
    GUID guid;
    std::string help;
    WORD flags;                           // TYPEFLAG_* bits
    std::string base;                     // interfaces: IUnknown, IDispatch or none
    std::vector<TypeLibMethod> methods;   // interfaces
    std::vector<std::string> implemented; // coclasses, default first
};

struct TypeLibData {
    std::string name;
    GUID guid;
    WORD majorVersion;
    WORD minorVersion;
    LCID lcid;
    std::string help;
    std::vector<std::string> imports;
    std::vector<TypeLibType> types;
};

// Most parameters a method may have.
constexpr std::size_t kMaxMethodParams = 8;

// Parses the text form; nullopt with a description in error when malformed.
std::optional<TypeLibData> ParseTypeLibText(std::string_view text, std::string* error = nullptr);

// The standard automation library that every library imports ("stdole2.tlb"):
// IUnknown and IDispatch, the bases of the interfaces of other libraries.
const std::shared_ptr<const TypeLibData>& StandardTypeLib();

} // namespace com
