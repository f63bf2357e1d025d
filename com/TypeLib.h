#pragma once
// Type libraries: loading one from a module file (its resource TYPELIB 1,
// see com/ModuleResources.h) or from a text file in the form of
// com/TypeLibData.h, finding a registered one again, and recording one in
// the registry:
//
//   TypeLib\{LIBID}\MAJOR.MINOR          @ = help string
//       FLAGS, HELPDIR, LCID\linux64    @ = full path of the file holding it
//   Interface\{IID}                     @ = name, for each dual or automation interface
//       ProxyStubClsid, ProxyStubClsid32, TypeLib (@ = {LIBID}, Version)

#include "com/Dispatch.h"
#include "com/RegistryTree.h"
#include "com/TypeLibData.h"

#include <optional>
#include <string>

HRESULT LoadTypeLib(LPCOLESTR path, ITypeLib** lib);
// The registered library with this major version and at least this minor
// version (the highest such), for the locale, its primary language or the
// neutral locale; a request for a default locale also finds US English.
HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** lib);
HRESULT RegisterTypeLib(ITypeLib* lib, LPCOLESTR fullPath, LPCOLESTR helpDir);
HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, INT syskind);

namespace com {

// The references to library and type-information objects that this copy of
// the runtime has handed out and that are not yet released. Releasing one
// runs this copy's code, so a module carrying the runtime must stay loaded
// while any is outstanding (its DllCanUnloadNow answers S_FALSE).
LONG ServedReferences();
// For a reference a module keeps for itself until it is unloaded (a cache):
// KeepReferenceUncounted takes it out of the count, CountReferenceAgain puts
// it back just before it is released.
void KeepReferenceUncounted();
void CountReferenceAgain();

// A new library object over data, with one reference.
HRESULT CreateTypeLib(TypeLibData data, ITypeLib** lib);
// Loads from a module file or a type library text file.
HRESULT LoadTypeLibFile(const std::string& path, ITypeLib** lib);

// The registry edits behind RegisterTypeLib and UnRegisterTypeLib.
HRESULT RecordTypeLib(RegistryTree& tree, ITypeLib* lib, const std::string& fullPath,
                      const std::string& helpDir);
HRESULT EraseTypeLib(RegistryTree& tree, ITypeLib* lib);
// Path of the file holding a registered library (rules of LoadRegTypeLib).
std::optional<std::string> FindRegisteredTypeLib(const RegistryTree& tree, REFGUID libid,
                                                 WORD major, WORD minor, LCID lcid);

} // namespace com
