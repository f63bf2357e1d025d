#include "logoconv/frame/LogoConverterFactory.h"

#include "logoconv/frame/LogoConverter.h"
#include "logoconv/frame/PellumoModule.h"

#include <atomic>

namespace pellumo {
namespace {

class Factory final : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG AddRef() override {
        const ULONG count = ++m_refs;
        if (count == 1)
            LockModule();
        return count;
    }

    ULONG Release() override {
        const ULONG count = --m_refs;
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
    std::atomic<ULONG> m_refs{0};
};

} // namespace

IClassFactory& LogoConverterFactory() {
    static Factory factory;
    return factory;
}

} // namespace pellumo
