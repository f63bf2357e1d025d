#pragma once
// Applying a registration script (com/RegistrationScript.h) to a registry.
//
// Registering creates every key and sets every value; a ForceRemove key is
// deleted whole first, a Delete key is deleted and nothing else happens.
// Unregistering removes a plain key's listed values and then the key itself
// unless other subkeys remain; a ForceRemove key is removed whole; a NoRemove
// key is never removed, but its subkeys are unregistered.

#include "com/HResult.h"
#include "com/RegistrationScript.h"
#include "com/RegistryTree.h"

#include <string>
#include <string_view>
#include <vector>

namespace com {

// Applies the keys of a script to tree, all or nothing: E_INVALIDARG, with a
// description in error, for a value the registry cannot hold (tree untouched).
HRESULT ApplyScriptKeys(RegistryTree& tree, const std::vector<ScriptKey>& keys, bool registering,
                        std::string* error = nullptr);

// Parses script and applies it to tree. E_INVALIDARG, with a description in
// error, for a malformed script or a value the registry cannot hold (tree
// untouched either way).
HRESULT ApplyRegistrationScript(RegistryTree& tree, std::string_view script,
                                const ScriptVariables& variables, bool registering,
                                std::string* error = nullptr);

} // namespace com
