// Recording type libraries in the registry and finding them again.

#include "com/Bstr.h"
#include "com/RegistryFile.h"
#include "com/TypeLib.h"

#include <cstdio>
#include <vector>

namespace com {
namespace {

constexpr const char* kPlatformKey = sizeof(void*) == 8 ? "linux64" : "linux32";

std::string Hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "%lx", value);
    return text;
}

std::string VersionText(WORD major, WORD minor) {
    return Hex(major) + "." + Hex(minor);
}

std::string LibraryKey(REFGUID libid) {
    return "TypeLib\\" + GuidToString(libid);
}

// Releases an interface pointer when it goes out of scope.
template <class T> struct Ref {
    T* p = nullptr;
    ~Ref() {
        if (p != nullptr)
            p->Release();
    }
};

struct Described {
    std::string name;
    std::string help;
};

Described Describe(ITypeLib* lib, INT index) {
    BSTR name = nullptr;
    BSTR help = nullptr;
    Described d;
    if (SUCCEEDED(lib->GetDocumentation(index, &name, &help, nullptr, nullptr))) {
        d.name = BstrToUtf8(name);
        d.help = BstrToUtf8(help);
    }
    SysFreeString(name);
    SysFreeString(help);
    return d;
}

// The interfaces that late-bound and marshalled calls find through the registry.
std::vector<std::pair<GUID, std::string>> AutomationInterfaces(ITypeLib* lib) {
    std::vector<std::pair<GUID, std::string>> found;
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        Ref<ITypeInfo> info;
        if (FAILED(lib->GetTypeInfo(i, &info.p)))
            continue;
        TYPEATTR* attr = nullptr;
        if (FAILED(info.p->GetTypeAttr(&attr)))
            continue;
        const bool automation =
            attr->typekind == TKIND_DISPATCH ||
            (attr->typekind == TKIND_INTERFACE &&
             (attr->wTypeFlags & (TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDUAL)) != 0);
        if (automation)
            found.emplace_back(attr->guid, Describe(lib, static_cast<INT>(i)).name);
        info.p->ReleaseTypeAttr(attr);
    }
    return found;
}

struct LibIdentity {
    GUID guid;
    LCID lcid;
    WORD major;
    WORD minor;
};

HRESULT Identify(ITypeLib* lib, LibIdentity& out) {
    if (lib == nullptr)
        return E_INVALIDARG;
    TLIBATTR* attr = nullptr;
    if (const HRESULT hr = lib->GetLibAttr(&attr); FAILED(hr))
        return hr;
    out = {attr->guid, attr->lcid, attr->wMajorVerNum, attr->wMinorVerNum};
    lib->ReleaseTLibAttr(attr);
    return S_OK;
}

} // namespace

HRESULT RecordTypeLib(RegistryTree& tree, ITypeLib* lib, const std::string& fullPath,
                      const std::string& helpDir) {
    LibIdentity id{};
    if (const HRESULT hr = Identify(lib, id); FAILED(hr))
        return hr;
    const Described doc = Describe(lib, -1);
    const std::string libId = GuidToString(id.guid);
    const std::string version = VersionText(id.major, id.minor);
    const std::string key = LibraryKey(id.guid) + "\\" + version;
    bool ok = tree.SetValue(key, "", doc.help.empty() ? doc.name : doc.help) &&
              tree.SetValue(key + "\\FLAGS", "", "0") &&
              tree.SetValue(key + "\\HELPDIR", "", helpDir) &&
              tree.SetValue(key + "\\" + Hex(id.lcid) + "\\" + kPlatformKey, "", fullPath);
    const std::string proxy = GuidToString(CLSID_PSOAInterface);
    for (const auto& [iid, name] : AutomationInterfaces(lib)) {
        const std::string itf = "Interface\\" + GuidToString(iid);
        ok = ok && tree.SetValue(itf, "", name) &&
             tree.SetValue(itf + "\\ProxyStubClsid", "", proxy) &&
             tree.SetValue(itf + "\\ProxyStubClsid32", "", proxy) &&
             tree.SetValue(itf + "\\TypeLib", "", libId) &&
             tree.SetValue(itf + "\\TypeLib", "Version", version);
    }
    return ok ? S_OK : TYPE_E_REGISTRYACCESS;
}

HRESULT EraseTypeLib(RegistryTree& tree, ITypeLib* lib) {
    LibIdentity id{};
    if (const HRESULT hr = Identify(lib, id); FAILED(hr))
        return hr;
    const std::string libId = GuidToString(id.guid);
    for (const auto& entry : AutomationInterfaces(lib)) {
        const std::string itf = "Interface\\" + GuidToString(entry.first);
        // An interface that another library has taken over stays.
        if (tree.GetValue(itf + "\\TypeLib", "") == libId)
            tree.DeleteTree(itf);
    }
    const std::string libKey = LibraryKey(id.guid);
    tree.DeleteTree(libKey + "\\" + VersionText(id.major, id.minor));
    if (tree.KeyExists(libKey) && !tree.HasSubKeys(libKey))
        tree.DeleteTree(libKey);
    return S_OK;
}

std::optional<std::string> FindRegisteredTypeLib(const RegistryTree& tree, REFGUID libid,
                                                 WORD major, WORD minor, LCID lcid) {
    const std::string libKey = LibraryKey(libid);
    std::string best;
    long bestMinor = -1;
    for (const std::string& name : tree.SubKeyNames(libKey)) {
        unsigned foundMajor = 0, foundMinor = 0;
        char extra = 0;
        if (std::sscanf(name.c_str(), "%x.%x%c", &foundMajor, &foundMinor, &extra) != 2 ||
            foundMajor != major || foundMinor < minor)
            continue;
        if (foundMinor == minor) {
            best = name;
            break;
        }
        if (static_cast<long>(foundMinor) > bestMinor) {
            best = name;
            bestMinor = foundMinor;
        }
    }
    if (best.empty())
        return std::nullopt;
    std::vector<LCID> candidates{lcid, lcid & 0x3FF, LOCALE_NEUTRAL};
    if (lcid == LOCALE_NEUTRAL || lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT) {
        candidates.push_back(LOCALE_EN_US);
        candidates.push_back(LOCALE_EN_US & 0x3FF);
    }
    for (const LCID candidate : candidates)
        if (auto path = tree.GetValue(
                libKey + "\\" + best + "\\" + Hex(candidate) + "\\" + kPlatformKey, ""))
            return path;
    return std::nullopt;
}

} // namespace com

HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** lib) {
    if (lib == nullptr)
        return E_INVALIDARG;
    *lib = nullptr;
    std::optional<std::string> path; // from the first registry that knows the library
    const HRESULT found = com::FindInRegistries(
        [&](const com::RegistryTree& tree) {
            return (path = com::FindRegisteredTypeLib(tree, libid, major, minor, lcid)).has_value();
        },
        false);
    if (FAILED(found))
        return TYPE_E_REGISTRYACCESS;
    if (!path)
        return TYPE_E_LIBNOTREGISTERED;
    ITypeLib* loaded = nullptr;
    if (const HRESULT hr = com::LoadTypeLibFile(*path, &loaded); FAILED(hr))
        return hr;
    com::LibIdentity id{};
    if (FAILED(com::Identify(loaded, id)) || id.guid != libid) {
        loaded->Release();
        return TYPE_E_LIBNOTREGISTERED;
    }
    *lib = loaded;
    return S_OK;
}

HRESULT RegisterTypeLib(ITypeLib* lib, LPCOLESTR fullPath, LPCOLESTR helpDir) {
    if (lib == nullptr || fullPath == nullptr)
        return E_INVALIDARG;
    const std::string path = com::Utf16ToUtf8(fullPath);
    const std::string help = helpDir != nullptr ? com::Utf16ToUtf8(helpDir) : std::string();
    return com::EditRegistry(
        [&](com::RegistryTree& tree) { return com::RecordTypeLib(tree, lib, path, help); });
}

HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, INT /*syskind*/) {
    return com::EditRegistry([&](com::RegistryTree& tree) {
        const std::optional<std::string> path =
            com::FindRegisteredTypeLib(tree, libid, major, minor, lcid);
        if (!path)
            return TYPE_E_REGISTRYACCESS;
        com::Ref<ITypeLib> lib;
        if (const HRESULT hr = com::LoadTypeLibFile(*path, &lib.p); FAILED(hr))
            return hr;
        return com::EraseTypeLib(tree, lib.p);
    });
}
