// The module's only exported entry points.

#include "pellumo/ILogoConverter.h"
#include "pellumo/LogoConverterFactory.h"
#include "pellumo/PellumoIdentity.h"
#include "pellumo/PellumoModule.h"

#include "com/ServerRegistration.h"
#include "com/TypeLib.h"

#define PELLUMO_EXPORT extern "C" __attribute__((visibility("default")))

// Objects, class-object references and server locks count, and so does
// every reference to type information or a type library served from here.
PELLUMO_EXPORT HRESULT DllCanUnloadNow() {
    return pellumo::ModuleLockCount() == 0 && com::ServedReferences() == 0 ? S_OK : S_FALSE;
}

PELLUMO_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_LogoConverter)
        return CLASS_E_CLASSNOTAVAILABLE;
    return pellumo::LogoConverterFactory().QueryInterface(riid, object);
}

// Records the class, its ProgIDs and the type library in the registry, as
// the registration script the module carries says.
PELLUMO_EXPORT HRESULT DllRegisterServer() {
    return com::RegisterServer(PELLUMO_REGISTRY_SCRIPT_ID, true);
}

PELLUMO_EXPORT HRESULT DllUnregisterServer() {
    return com::UnregisterServer(PELLUMO_REGISTRY_SCRIPT_ID, true);
}
