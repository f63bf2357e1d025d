#include "pellumo/TypeInfoCache.h"

#include "pellumo/ILogoConverter.h"

#include "com/Bstr.h"
#include "com/TypeLib.h"

namespace pellumo {

TypeInfoCache::~TypeInfoCache() {
    if (ITypeInfo* info = m_info.exchange(nullptr)) {
        com::CountReferenceAgain();
        info->Release();
    }
}

HRESULT TypeInfoCache::Load(LCID lcid) {
    if (m_info.load(std::memory_order_acquire) != nullptr)
        return S_OK;
    std::lock_guard lock(m_mutex);
    if (m_info.load(std::memory_order_relaxed) != nullptr)
        return S_OK;
    ITypeLib* lib = nullptr;
    HRESULT hr =
        LoadRegTypeLib(LIBID_PELLUMOLib, PELLUMO_TYPELIB_MAJOR, PELLUMO_TYPELIB_MINOR, lcid, &lib);
    if (FAILED(hr))
        return hr;
    ITypeInfo* info = nullptr;
    hr = lib->GetTypeInfoOfGuid(IID_ILogoConverter, &info);
    lib->Release();
    if (FAILED(hr))
        return hr;
    // Keep the richer form of the type information when there is one.
    void* richer = nullptr;
    if (SUCCEEDED(info->QueryInterface(IID_ITypeInfo2, &richer))) {
        info->Release();
        info = static_cast<ITypeInfo*>(richer);
    }
    try {
        std::vector<Name> names;
        TYPEATTR* attr = nullptr;
        if (SUCCEEDED(info->GetTypeAttr(&attr))) {
            for (UINT i = 0; i < attr->cFuncs; ++i) {
                FUNCDESC* desc = nullptr;
                if (FAILED(info->GetFuncDesc(i, &desc)))
                    continue;
                BSTR name = nullptr;
                if (SUCCEEDED(
                        info->GetDocumentation(desc->memid, &name, nullptr, nullptr, nullptr)) &&
                    name != nullptr)
                    names.push_back({std::u16string(name, SysStringLen(name)), desc->memid});
                SysFreeString(name);
                info->ReleaseFuncDesc(desc);
            }
            info->ReleaseTypeAttr(attr);
        }
        m_names = std::move(names);
    } catch (const std::bad_alloc&) {
        info->Release();
        return E_OUTOFMEMORY;
    }
    // The cache's own reference lasts until the module ends and must not keep
    // it loaded; the references it hands out do.
    com::KeepReferenceUncounted();
    m_info.store(info, std::memory_order_release);
    return S_OK;
}

HRESULT TypeInfoCache::GetTypeInfo(LCID lcid, ITypeInfo** info) {
    if (info == nullptr)
        return E_POINTER;
    *info = nullptr;
    if (const HRESULT hr = Load(lcid); FAILED(hr))
        return hr;
    ITypeInfo* cached = m_info.load(std::memory_order_acquire);
    cached->AddRef();
    *info = cached;
    return S_OK;
}

HRESULT TypeInfoCache::GetIDsOfNames(LCID lcid, LPOLESTR* names, UINT count, DISPID* ids) {
    if (const HRESULT hr = Load(lcid); FAILED(hr))
        return hr;
    if (count == 0)
        return S_OK;
    if (names == nullptr || ids == nullptr)
        return E_POINTER;
    for (UINT i = 0; i < count; ++i)
        if (names[i] == nullptr)
            return E_POINTER;
    ITypeInfo* info = m_info.load(std::memory_order_acquire);
    const std::u16string_view member(names[0]);
    for (auto it = m_names.rbegin(); it != m_names.rend(); ++it) {
        if (it->text != member)
            continue;
        if (count == 1) {
            ids[0] = it->id;
            return S_OK;
        }
        // The other names are the member's parameters: the type information
        // knows them; the member keeps the identifier found here.
        const HRESULT hr = info->GetIDsOfNames(names, count, ids);
        ids[0] = it->id;
        return hr;
    }
    return info->GetIDsOfNames(names, count, ids);
}

HRESULT TypeInfoCache::Invoke(void* instance, DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    if (const HRESULT hr = Load(lcid); FAILED(hr))
        return hr;
    return m_info.load(std::memory_order_acquire)
        ->Invoke(instance, id, flags, params, result, exception, argError);
}

TypeInfoCache& LogoConverterTypeInfo() {
    static TypeInfoCache cache;
    return cache;
}

} // namespace pellumo
