#pragma once
// Creating registered in-process components by class identifier.
//
// Each thread initialises the runtime before creating anything (CoInitialize,
// which may be repeated and is undone by as many CoUninitialize calls). A
// class is found under CLSID\{...}\InprocServer32 in the registry; its
// module is loaded once and asked for the class object through its exported
// DllGetClassObject. A module stays loaded while it answers S_FALSE to its
// DllCanUnloadNow; unused modules are unloaded by CoFreeUnusedLibraries and
// when the last initialised thread uninitialises.

#include "com/Unknown.h"

// S_OK for a thread's first call, S_FALSE for a repeated one.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();

// REGDB_E_CLASSNOTREG for a class not registered as an in-process server (or
// a context without CLSCTX_INPROC_SERVER), CO_E_DLLNOTFOUND for a module that
// cannot be loaded, CO_E_ERRORINDLL for one without DllGetClassObject,
// CO_E_NOTINITIALIZED on a thread without CoInitialize.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* serverInfo, REFIID riid,
                         void** object);
// CoGetClassObject for IClassFactory, then its CreateInstance.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object);
void CoFreeUnusedLibraries();
