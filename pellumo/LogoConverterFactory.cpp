#include "pellumo/LogoConverterFactory.h"

#include "pellumo/LogoConverter.h"
#include "pellumo/PellumoModule.h"

#include "com/ObjectBase.h"

namespace pellumo {
namespace {

class Factory final : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override {
        return com::QueryInterfaceFrom({{IID_IUnknown, this}, {IID_IClassFactory, this}}, riid,
                                       object);
    }

    ULONG AddRef() override {
        const ULONG count = m_refs.AddRef();
        if (count == 1)
            LockModule();
        return count;
    }

    ULONG Release() override {
        const ULONG count = m_refs.Release();
        if (count == 0)
            UnlockModule();
        return count;
    }

    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        return LogoConverter::Create(outer, riid, object);
    }

    HRESULT LockServer(BOOL lock) override {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }

private:
    com::RefCount m_refs;
};

} // namespace

IClassFactory& LogoConverterFactory() {
    static Factory factory;
    return factory;
}

} // namespace pellumo
