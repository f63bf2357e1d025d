#pragma once
// A registry of the test's own: ScopedRegistry points QUILLMERE_REGISTRY
// at a file in a fresh temporary folder for the lifetime of the object, and
// the machine's registry beneath it (QUILLMERE_SYSTEM_REGISTRY) at another
// file there that does not exist until a test writes it, so that nothing
// registered elsewhere (regsvr --system in the build) is seen; the previous
// settings come back afterwards. And the calls that register a module in it.

#include "com/HResult.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <dlfcn.h>
#include <string>

namespace testsupport {

class ScopedRegistry {
public:
    ScopedRegistry()
        : m_user("QUILLMERE_REGISTRY", Path()),
          m_system("QUILLMERE_SYSTEM_REGISTRY", SystemPath()) {}

    std::string Path() const { return m_dir / "registry.reg"; }
    std::string SystemPath() const { return m_dir / "system.reg"; }
    const TempDir& Dir() const { return m_dir; }

private:
    TempDir m_dir;
    ScopedEnv m_user, m_system;
};

// Calls the exported entry point name of a loaded module; E_FAIL when it has none.
inline HRESULT CallExport(void* module, const char* name) {
    const auto fn = reinterpret_cast<HRESULT (*)()>(::dlsym(module, name));
    return fn != nullptr ? fn() : E_FAIL;
}

// Registers the module at path in the current registry, as the registration
// tool does: loads it, calls its DllRegisterServer and unloads it again.
inline bool RegisterModule(const std::string& path) {
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr)
        return false;
    const bool registered = SUCCEEDED(CallExport(module, "DllRegisterServer"));
    ::dlclose(module);
    return registered;
}

} // namespace testsupport
