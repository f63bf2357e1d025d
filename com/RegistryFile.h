#pragma once
// The registry's home: one text file (see com/RegistryTree.h) at the path in
// QUILLMERE_REGISTRY, by default $XDG_DATA_HOME/quillmere/registry.reg, or
// ~/.local/share/quillmere/registry.reg when XDG_DATA_HOME is unset or not
// an absolute path. The home folder is $HOME, or the password database's
// when HOME is unset, empty or relative; without one there is no user's
// registry. Beneath the user's registry lies the machine's, read-only for
// users: the file in QUILLMERE_SYSTEM_REGISTRY, by default registry.reg in
// the program folder (an installation writes it with "regsvr --system").
// Lookups consult the user's file first; a key there hides the same key in
// the machine's. A user's file that cannot be read or parsed hides nothing:
// lookups pass over it, and registering sets it aside (SetAsideBrokenRegistry).
//
// Readers see either the old or the new file, never a half-written one: the
// file is only ever replaced whole by renaming a finished temporary file
// over it. Changes are made one at a time under an exclusive lock on the
// file "<path>.lock", so two registrations at once both land. When the path
// is a symbolic link, the file it leads to is the one replaced (and locked)
// and the link stays; a rewrite keeps the file's owner, group and mode, so a
// registration made by the administrator leaves a user's registry the user's.

#include "com/HResult.h"
#include "com/RegistryTree.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace com {

// The user's registry file: the one that registration changes; empty when
// there is no home folder to hold it.
std::string RegistryFilePath();

// The machine's registry file (empty when the program folder is unknown).
std::string SystemRegistryFilePath();

// The files a lookup consults, in order: the user's, then the machine's.
std::vector<std::string> RegistryLookupFiles();

// Reads the user's registry; a missing file is an empty registry.
// REGDB_E_READREGDB when the file cannot be read or is malformed.
HRESULT ReadRegistry(RegistryTree& out);

// Reads one registry file, as ReadRegistry reads the user's; error, when
// given, receives what is wrong ("line 3: unexpected text").
HRESULT ReadRegistryFile(const std::string& path, RegistryTree& out, std::string* error = nullptr);

// ReadRegistryFile for readers that only look (activation, type libraries):
// each file is parsed once per version (its identity, size and times) and
// shared, never changed. A version younger than a few seconds is not kept
// but read again next time: within one tick of the file system's clock a
// rewrite may show the same size and times, even the same inode when an
// earlier file's was freed.
HRESULT ReadRegistryFileShared(const std::string& path, std::shared_ptr<const RegistryTree>& out,
                               std::string* error = nullptr);

// Hands the registries of RegistryLookupFiles, in order, as
// ReadRegistryFileShared reads them, to found until it answers true (S_OK);
// a file is read only when its turn comes. S_FALSE when none answered true.
// A user's registry that cannot be read or parsed counts as missing; with
// report, standard error says so, once for each file in the process.
// REGDB_E_READREGDB when the machine's cannot be read or parsed.
HRESULT FindInRegistries(const std::function<bool(const RegistryTree&)>& found, bool report);

// Reads, changes and writes the registry as one step under the lock. The file
// is written only when edit succeeds; edit's failure is returned as it is.
// REGDB_E_READREGDB or REGDB_E_WRITEREGDB when the file cannot be handled (a
// malformed file is never overwritten).
HRESULT EditRegistry(const std::function<HRESULT(RegistryTree&)>& edit);

// What SetAsideBrokenRegistry found and did.
struct BrokenRegistry {
    std::string problem; // what is wrong with the user's registry; empty when nothing is
    std::string movedTo; // where the file went; empty when it stayed
};

// Under the lock, moves a user's registry that cannot be read or parsed out
// of the way, renamed to "<file>.broken-YYYYMMDD-HHMMSS" beside it (never
// deleted), so that the next change writes a fresh one. A file reached
// through a symbolic link is moved where the link leads.
BrokenRegistry SetAsideBrokenRegistry();

} // namespace com
