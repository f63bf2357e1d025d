#include "com/ServerRegistration.h"

#include "com/ModuleResources.h"
#include "com/Registrar.h"
#include "com/RegistryFile.h"
#include "com/TypeLib.h"

#include "platform/ProgramPath.h"

namespace com {
namespace {

HRESULT UpdateServer(int scriptId, bool withTypeLib, bool registering) {
    try {
        const std::string module = ThisModulePath();
        if (module.empty())
            return E_UNEXPECTED;
        const std::optional<std::string> script = ReadModuleResource(module, "REGISTRY", scriptId);
        if (!script)
            return SELFREG_E_CLASS;
        ITypeLib* lib = nullptr;
        if (withTypeLib) {
            if (FAILED(LoadTypeLibFile(module, &lib)))
                return SELFREG_E_TYPELIB;
        }
        const HRESULT hr = EditRegistry([&](RegistryTree& tree) {
            if (ApplyRegistrationScript(tree, *script, {{"MODULE", module}}, registering) != S_OK)
                return SELFREG_E_CLASS;
            if (lib == nullptr)
                return S_OK;
            std::string folder = platform::FolderPart(module);
            if (folder.size() > 1)
                folder.pop_back();
            const HRESULT libResult =
                registering ? RecordTypeLib(tree, lib, module, folder) : EraseTypeLib(tree, lib);
            return FAILED(libResult) ? SELFREG_E_TYPELIB : S_OK;
        });
        if (lib != nullptr)
            lib->Release();
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace

HRESULT RegisterServer(int scriptId, bool withTypeLib) {
    return UpdateServer(scriptId, withTypeLib, true);
}

HRESULT UnregisterServer(int scriptId, bool withTypeLib) {
    return UpdateServer(scriptId, withTypeLib, false);
}

} // namespace com
