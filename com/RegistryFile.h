#pragma once
// The registry's home: one text file (see com/RegistryTree.h) at the path in
// QUILLMERE_REGISTRY, by default $XDG_DATA_HOME/quillmere/registry.reg, or
// ~/.local/share/quillmere/registry.reg when XDG_DATA_HOME is unset.
// Beneath the user's registry lies the machine's, read-only for users: the
// file in QUILLMERE_SYSTEM_REGISTRY, by default registry.reg in the program
// folder (an installation writes it with "regsvr --system"). Lookups consult
// the user's file first; a key there hides the same key in the machine's.
//
// Readers see either the old or the new file, never a half-written one: the
// file is only ever replaced whole by renaming a finished temporary file
// over it. Changes are made one at a time under an exclusive lock on the
// file "<path>.lock", so two registrations at once both land.

#include "com/HResult.h"
#include "com/RegistryTree.h"

#include <functional>
#include <string>
#include <vector>

namespace com {

// The user's registry file: the one that registration changes.
std::string RegistryFilePath();

// The machine's registry file (empty when the program folder is unknown).
std::string SystemRegistryFilePath();

// The files a lookup consults, in order: the user's, then the machine's.
std::vector<std::string> RegistryLookupFiles();

// Reads the user's registry; a missing file is an empty registry.
// REGDB_E_READREGDB when the file cannot be read or is malformed.
HRESULT ReadRegistry(RegistryTree& out);

// Reads one registry file, as ReadRegistry reads the user's.
HRESULT ReadRegistryFile(const std::string& path, RegistryTree& out);

// Reads, changes and writes the registry as one step under the lock. The file
// is written only when edit succeeds; edit's failure is returned as it is.
// REGDB_E_READREGDB or REGDB_E_WRITEREGDB when the file cannot be handled (a
// malformed file is never overwritten).
HRESULT EditRegistry(const std::function<HRESULT(RegistryTree&)>& edit);

} // namespace com
