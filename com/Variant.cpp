#include "com/Variant.h"

#include "com/Bstr.h"
#include "com/Dispatch.h"

#include <cstring>

void VariantInit(VARIANT* value) {
    if (value == nullptr)
        return;
    std::memset(static_cast<void*>(value), 0, sizeof *value);
    value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* value) {
    if (value == nullptr)
        return E_INVALIDARG;
    switch (value->vt) {
    case VT_BSTR:
        SysFreeString(value->bstrVal);
        break;
    case VT_UNKNOWN:
        if (value->punkVal != nullptr)
            value->punkVal->Release();
        break;
    case VT_DISPATCH:
        if (value->pdispVal != nullptr)
            value->pdispVal->Release();
        break;
    default:
        break;
    }
    VariantInit(value);
    return S_OK;
}
