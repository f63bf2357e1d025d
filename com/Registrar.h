#pragma once
// Registration scripts in the usual text form:
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
// may hold quotes or braces of its own.
//
// Registering creates every key and sets every value; a ForceRemove key is
// deleted whole first, a Delete key is deleted and nothing else happens.
// Unregistering removes a plain key's listed values and then the key itself
// unless other subkeys remain; a ForceRemove key is removed whole; a NoRemove
// key is never removed, but its subkeys are unregistered.

#include "com/HResult.h"
#include "com/RegistryTree.h"

#include <map>
#include <string>
#include <string_view>

namespace com {

using ScriptVariables = std::map<std::string, std::string>;

// Applies script to tree. E_INVALIDARG, with a description in error, for a
// malformed script (tree untouched) or a value the registry cannot hold.
HRESULT ApplyRegistrationScript(RegistryTree& tree, std::string_view script,
                                const ScriptVariables& variables, bool registering,
                                std::string* error = nullptr);

// Applies script to the registry file as one locked step (com/RegistryFile.h).
HRESULT UpdateRegistryFromScript(std::string_view script, const ScriptVariables& variables,
                                 bool registering);

} // namespace com
