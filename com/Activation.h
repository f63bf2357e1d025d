#pragma once
// Creating registered in-process components by class identifier.
//
// Each thread initialises the runtime before creating anything (CoInitialize,
// which may be repeated and is undone by as many CoUninitialize calls). A
// class is found under CLSID\{...}\InprocServer32 in the registry (the
// user's, then the machine's; see com/RegistryFile.h); its module, named by
// an absolute path to a regular file, is loaded once and asked for the class
// object through its exported DllGetClassObject. A module stays loaded while it answers S_FALSE to
// its DllCanUnloadNow; unused modules are unloaded by CoFreeUnusedLibraries(Ex) and when the last
// initialised thread uninitialises.
//
// Unloading is delayed: a thread may still be returning from the module's
// code just after its last object went, so CoFreeUnusedLibraries unloads a
// module only once it has answered S_OK on two of its calls at least an
// unload delay apart (kDefaultUnloadDelayMs, or the delay given to
// CoFreeUnusedLibrariesEx), with no use of the module in between. The last
// CoUninitialize unloads every module that answers S_OK at once.

#include "com/Unknown.h"

// S_OK for a thread's first call, S_FALSE for a repeated one.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();

// REGDB_E_CLASSNOTREG for a class not registered as an in-process server (or
// a context without CLSCTX_INPROC_SERVER), REGDB_E_READREGDB when the
// machine's registry cannot be read, CO_E_DLLNOTFOUND for a module that
// cannot be loaded or whose path is relative or names no regular file, CO_E_ERRORINDLL for one
// without DllGetClassObject, CO_E_NOTINITIALIZED on a thread without CoInitialize.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* serverInfo, REFIID riid,
                         void** object);
// CoGetClassObject for IClassFactory, then its CreateInstance.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object);
// The delay of CoFreeUnusedLibraries, and of CoFreeUnusedLibrariesEx(INFINITE).
constexpr DWORD kDefaultUnloadDelayMs = 5000;
constexpr DWORD INFINITE = 0xFFFFFFFF;

void CoFreeUnusedLibraries();
// With an unload delay of its own in milliseconds (tests use a short one).
void CoFreeUnusedLibrariesEx(DWORD unloadDelayMs, DWORD reserved);
