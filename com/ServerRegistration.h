#pragma once
// What an in-process server's DllRegisterServer and DllUnregisterServer do,
// in one locked step of the registry: run the registration script the module
// carries as its resource REGISTRY scriptId, with %MODULE% standing for the
// module's full path, and, when asked, record or remove the type library the
// module carries (its resource TYPELIB 1). The module is the one this copy of
// the runtime is linked into. SELFREG_E_CLASS when the script is missing,
// malformed or asks for what the registry cannot hold.

#include "com/HResult.h"

namespace com {

HRESULT RegisterServer(int scriptId, bool withTypeLib);
HRESULT UnregisterServer(int scriptId, bool withTypeLib);

} // namespace com
