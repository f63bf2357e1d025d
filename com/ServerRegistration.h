#pragma once
// What an in-process server's DllRegisterServer and DllUnregisterServer do,
// in one locked step of the registry: run the module's registration script
// with %MODULE% standing for the module's full path and, when asked, record
// or remove the type library the module carries (its resource TYPELIB 1).
// The module is the one this copy of the runtime is linked into.

#include "com/HResult.h"

#include <string_view>

namespace com {

HRESULT RegisterServer(std::string_view script, bool withTypeLib);
HRESULT UnregisterServer(std::string_view script, bool withTypeLib);

} // namespace com
