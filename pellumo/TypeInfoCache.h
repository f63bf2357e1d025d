#pragma once
// The type information of ILogoConverter, loaded from the registered type
// library on first use (once, under a lock) and kept with a table of its
// member names until the module is unloaded. A failed load caches nothing,
// so a later call tries again.

#include "com/Dispatch.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace pellumo {

class TypeInfoCache {
public:
    TypeInfoCache() = default;
    ~TypeInfoCache(); // releases what was loaded
    TypeInfoCache(const TypeInfoCache&) = delete;
    TypeInfoCache& operator=(const TypeInfoCache&) = delete;

    // The type information with a reference added for the caller.
    HRESULT GetTypeInfo(LCID lcid, ITypeInfo** info);
    // The first name is looked up in the member names, last to first, by
    // exact length and characters; a miss sends all the names to the type
    // information's own lookup, whose answer is returned. The names after
    // the first are the member's parameters, which the type information
    // resolves (DISP_E_UNKNOWNNAME for one the member does not have).
    HRESULT GetIDsOfNames(LCID lcid, LPOLESTR* names, UINT count, DISPID* ids);
    // Lets the type information call the member on instance (the dual interface).
    HRESULT Invoke(void* instance, DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError);

private:
    struct Name {
        std::u16string text;
        DISPID id;
    };

    HRESULT Load(LCID lcid);

    std::mutex m_mutex;
    std::atomic<ITypeInfo*> m_info{nullptr}; // set last, after m_names
    std::vector<Name> m_names;
};

// The module's one cache, for ILogoConverter.
TypeInfoCache& LogoConverterTypeInfo();

} // namespace pellumo
