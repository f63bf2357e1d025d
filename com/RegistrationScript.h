#pragma once
// Registration scripts in the usual text form, read into a tree of keys:
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {72D7EBB1-14E9-42BB-A0A5-33E4CE02164C} = s 'LogoConverter Class'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'both'
//               }
//           }
//       }
//   }
//
// A key is a word or a quoted 'name', optionally preceded by a flag and
// followed by "= s 'default value'" and by a braced block of named values
// ("val Name = s 'text'") and subkeys. Quotes inside a quoted text are
// doubled. %NAME% is replaced by the value of variable NAME, and %% by "%";
// the replacement happens inside the text it stands in, so a replaced text
// may hold quotes or braces of its own. Words are compared without regard
// to ASCII case. What the keys do to a registry is com/Registrar.h's.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace com {

using ScriptVariables = std::map<std::string, std::string>;

struct ScriptKey {
    enum class Flag { Plain, ForceRemove, NoRemove, Delete } flag = Flag::Plain;
    std::string name;
    std::optional<std::string> defaultValue;
    std::vector<std::pair<std::string, std::string>> values; // name, text
    std::vector<ScriptKey> subkeys;
};

// The keys under the root (HKCR or HKEY_CLASSES_ROOT, which may appear more
// than once); nothing, with a description in error, for a malformed script
// or keys nested deeper than the registry allows (kMaxKeyDepth).
std::optional<std::vector<ScriptKey>> ParseRegistrationScript(std::string_view script,
                                                              const ScriptVariables& variables,
                                                              std::string* error = nullptr);

} // namespace com
