#pragma once
// The object LogoConverter: the dual interface ILogoConverter (which also
// answers for IUnknown and IDispatch) and ISupportErrorInfo. Created alone,
// it counts its own references; created inside an outer object, its
// interfaces delegate to the outer object's IUnknown and it keeps its count
// in an inner IUnknown that only the outer object holds. Every living object
// holds a lock on the module.

#include "pellumo/ILogoConverter.h"

#include "com/ObjectBase.h"

namespace pellumo {

class LogoConverter final : public ILogoConverter, public ISupportErrorInfo {
public:
    // The class object's CreateInstance: E_POINTER for a null out-pointer,
    // CLASS_E_NOAGGREGATION for an outer object asking for anything but
    // IUnknown, E_OUTOFMEMORY, or the failure of the interface request (the
    // new object is then destroyed).
    static HRESULT Create(IUnknown* outer, REFIID riid, void** object);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

    HRESULT Convert(BSTR sRTXfilePATH, BSTR sEMSFilePath, BSTR sAppfilePath) override;

    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    // The object's own IUnknown: its identity and its reference count.
    class Inner final : public IUnknown {
    public:
        explicit Inner(LogoConverter& owner) : m_owner(owner) {}
        HRESULT QueryInterface(REFIID riid, void** object) override;
        ULONG AddRef() override;
        ULONG Release() override;

    private:
        LogoConverter& m_owner;
    };

    explicit LogoConverter(IUnknown* outer);
    ~LogoConverter();

    Inner m_inner{*this};
    IUnknown* m_controlling; // the outer object's IUnknown, or m_inner
    com::RefCount m_refs;
};

} // namespace pellumo
