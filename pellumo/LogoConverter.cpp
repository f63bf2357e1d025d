#include "pellumo/LogoConverter.h"

#include "pellumo/PellumoModule.h"
#include "pellumo/TypeInfoCache.h"

#include "com/Bstr.h"
#include "picture/PictureBatch.h"

#include <new>

namespace pellumo {

LogoConverter::LogoConverter(IUnknown* outer) : m_controlling(outer != nullptr ? outer : &m_inner) {
    LockModule();
}

LogoConverter::~LogoConverter() {
    UnlockModule();
}

HRESULT LogoConverter::Create(IUnknown* outer, REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (outer != nullptr && riid != IID_IUnknown)
        return CLASS_E_NOAGGREGATION;
    auto* created = new (std::nothrow) LogoConverter(outer);
    if (created == nullptr)
        return E_OUTOFMEMORY;
    // Hold the object while asking it; a failed request leaves the count at 0 and destroys it.
    created->m_inner.AddRef();
    const HRESULT hr = created->m_inner.QueryInterface(riid, object);
    created->m_inner.Release();
    return hr;
}

HRESULT LogoConverter::Inner::QueryInterface(REFIID riid, void** object) {
    ILogoConverter* primary = &m_owner;
    ISupportErrorInfo* errorInfo = &m_owner;
    return com::QueryInterfaceFrom({{IID_IUnknown, this},
                                    {IID_IDispatch, primary},
                                    {IID_ILogoConverter, primary},
                                    {IID_ISupportErrorInfo, errorInfo}},
                                   riid, object);
}

ULONG LogoConverter::Inner::AddRef() {
    return m_owner.m_refs.AddRef();
}

ULONG LogoConverter::Inner::Release() {
    const ULONG left = m_owner.m_refs.Release();
    if (left == 0)
        delete &m_owner;
    return left;
}

HRESULT LogoConverter::QueryInterface(REFIID riid, void** object) {
    return m_controlling->QueryInterface(riid, object);
}

ULONG LogoConverter::AddRef() {
    return m_controlling->AddRef();
}

ULONG LogoConverter::Release() {
    return m_controlling->Release();
}

HRESULT LogoConverter::GetTypeInfoCount(UINT* count) {
    if (count == nullptr)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

// The index is not looked at: there is one type.
HRESULT LogoConverter::GetTypeInfo(UINT /*index*/, LCID lcid, ITypeInfo** info) {
    return LogoConverterTypeInfo().GetTypeInfo(lcid, info);
}

// The interface identifier is reserved and must be IID_NULL.
HRESULT LogoConverter::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                     DISPID* ids) {
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    return LogoConverterTypeInfo().GetIDsOfNames(lcid, names, count, ids);
}

HRESULT LogoConverter::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    return LogoConverterTypeInfo().Invoke(static_cast<ILogoConverter*>(this), id, lcid, flags,
                                          params, result, exception, argError);
}

// Every outcome of the batch is shown to the user and logged by the batch
// itself; the result only tells whether the call could run at all.
HRESULT LogoConverter::Convert(BSTR sRTXfilePATH, BSTR sEMSFilePath, BSTR sAppfilePath) {
    try {
        const std::string inputList = com::BstrToUtf8(sRTXfilePATH);
        const std::string outputDir = com::BstrToUtf8(sEMSFilePath);
        const std::string programFolder = com::BstrToUtf8(sAppfilePath);
        std::lock_guard lock(ConversionMutex());
        // The messages go to the host's presenter: the program that loaded the module.
        platform::PresenterMessageUi ui;
        picture::RunPictureBatch(ui, inputList, outputDir, programFolder);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT LogoConverter::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == IID_ILogoConverter ? S_OK : S_FALSE;
}

} // namespace pellumo
