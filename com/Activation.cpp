#include "com/Activation.h"

#include "com/RegistryFile.h"

#include <atomic>
#include <chrono>
#include <dlfcn.h>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace {

struct LoadedModule {
    void* handle = nullptr;
    DllGetClassObjectFn getClassObject = nullptr;
    DllCanUnloadNowFn canUnloadNow = nullptr; // null: never unloaded
    int callsInProgress = 0;
    // Since when it has answered S_OK to every unloading check, unused.
    std::optional<std::chrono::steady_clock::time_point> idleSince;
};

// The loaded modules by path. Never destroyed: modules may be used until exit.
struct ModuleTable {
    std::recursive_mutex mutex;
    std::map<std::string, LoadedModule> modules;
};

ModuleTable& Table() {
    static ModuleTable* const table = new ModuleTable;
    return *table;
}

thread_local unsigned t_initCount = 0;
std::atomic<unsigned> g_initialisedThreads{0};

// The first registry holding the class's key answers (the user's before
// the machine's).
std::string InprocServerPath(REFCLSID clsid, HRESULT& hr) {
    const std::string key = "CLSID\\" + com::GuidToString(clsid) + "\\InprocServer32";
    std::string path;
    hr = com::FindInRegistries(
        [&](const com::RegistryTree& tree) {
            if (!tree.KeyExists(key))
                return false;
            path = tree.GetValue(key, "").value_or("");
            return true;
        },
        true);
    if (SUCCEEDED(hr) && path.empty())
        hr = REGDB_E_CLASSNOTREG;
    return path;
}

// Only an absolute path to a regular file is handed to the loader: a relative
// one would be found from wherever the host stands, and opening a pipe or a
// device could block for ever, holding the loader's lock.
bool IsLoadableModulePath(const std::string& path) {
    struct stat info {};
    return !path.empty() && path.front() == '/' && ::stat(path.c_str(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

// Loads (or finds) the module and marks a call in progress so it stays loaded.
HRESULT AcquireModule(const std::string& path, DllGetClassObjectFn& getClassObject) {
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.modules.find(path);
    if (it == table.modules.end()) {
        if (!IsLoadableModulePath(path))
            return CO_E_DLLNOTFOUND;
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr)
            return CO_E_DLLNOTFOUND;
        LoadedModule module;
        module.handle = handle;
        module.getClassObject =
            reinterpret_cast<DllGetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
        module.canUnloadNow =
            reinterpret_cast<DllCanUnloadNowFn>(::dlsym(handle, "DllCanUnloadNow"));
        if (module.getClassObject == nullptr) {
            ::dlclose(handle);
            return CO_E_ERRORINDLL;
        }
        it = table.modules.emplace(path, module).first;
    }
    ++it->second.callsInProgress;
    it->second.idleSince.reset(); // in use again: its idle time starts anew
    getClassObject = it->second.getClassObject;
    return S_OK;
}

// Unloads the modules that can go: those idle for at least delay, or with
// no delay every one that answers S_OK now.
void FreeUnused(std::optional<std::chrono::milliseconds> delay) {
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    const auto now = std::chrono::steady_clock::now();
    for (auto it = table.modules.begin(); it != table.modules.end();) {
        LoadedModule& module = it->second;
        if (module.callsInProgress > 0 || module.canUnloadNow == nullptr ||
            module.canUnloadNow() != S_OK) {
            module.idleSince.reset();
            ++it;
            continue;
        }
        if (delay && !module.idleSince)
            module.idleSince = now;
        if (delay && now - *module.idleSince < *delay) {
            ++it;
            continue;
        }
        ::dlclose(module.handle);
        it = table.modules.erase(it);
    }
}

void ReleaseModule(const std::string& path) {
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    if (auto it = table.modules.find(path); it != table.modules.end())
        --it->second.callsInProgress;
}

} // namespace

HRESULT CoInitialize(void* /*reserved*/) {
    if (t_initCount++ > 0)
        return S_FALSE;
    ++g_initialisedThreads;
    return S_OK;
}

void CoUninitialize() {
    if (t_initCount == 0 || --t_initCount > 0)
        return;
    if (--g_initialisedThreads == 0)
        FreeUnused(std::nullopt);
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* /*serverInfo*/, REFIID riid,
                         void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (t_initCount == 0)
        return CO_E_NOTINITIALIZED;
    if ((context & CLSCTX_INPROC_SERVER) == 0)
        return REGDB_E_CLASSNOTREG;
    try {
        HRESULT hr = S_OK;
        const std::string path = InprocServerPath(clsid, hr);
        if (FAILED(hr))
            return hr;
        DllGetClassObjectFn getClassObject = nullptr;
        if (hr = AcquireModule(path, getClassObject); FAILED(hr))
            return hr;
        hr = getClassObject(clsid, riid, object);
        ReleaseModule(path);
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(outer, riid, object);
    factory->Release();
    if (FAILED(hr))
        *object = nullptr;
    return hr;
}

void CoFreeUnusedLibraries() {
    CoFreeUnusedLibrariesEx(kDefaultUnloadDelayMs, 0);
}

void CoFreeUnusedLibrariesEx(DWORD unloadDelayMs, DWORD /*reserved*/) {
    FreeUnused(std::chrono::milliseconds(unloadDelayMs == INFINITE ? kDefaultUnloadDelayMs
                                                                   : unloadDelayMs));
}
