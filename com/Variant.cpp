#include "com/Variant.h"

#include "com/Bstr.h"
#include "com/Dispatch.h"

#include <cstring>
#include <string>

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

namespace com {
namespace {

// The tags a VARIANT may hold (before VT_BYREF and VT_ARRAY).
bool IsVariantType(VARTYPE base) {
    return base <= VT_DECIMAL || (base >= VT_I1 && base <= VT_UINT) || base == VT_RECORD;
}

template <class T> T ValueAt(const void* where) {
    T value;
    std::memcpy(&value, where, sizeof value);
    return value;
}

HRESULT NewText(const std::string& ascii, BSTR& text, bool& owned) {
    std::u16string units(ascii.begin(), ascii.end());
    text = SysAllocStringLen(units.data(), static_cast<UINT>(units.size()));
    owned = true;
    return text != nullptr ? S_OK : E_OUTOFMEMORY;
}

} // namespace

HRESULT CoerceToBstr(const VARIANT& arg, BSTR& text, bool& owned) {
    text = nullptr;
    owned = false;
    const VARTYPE base = arg.vt & ~(VT_BYREF | VT_ARRAY);
    const bool byRef = (arg.vt & VT_BYREF) != 0;
    if (!IsVariantType(base) || (byRef && (base == VT_EMPTY || base == VT_NULL)) ||
        (!byRef && base == VT_VARIANT))
        return DISP_E_BADVARTYPE;
    if ((arg.vt & VT_ARRAY) != 0 || (byRef && arg.byref == nullptr))
        return DISP_E_TYPEMISMATCH;
    // The value itself: behind the reference, or at the start of the union.
    const void* value = byRef ? arg.byref : static_cast<const void*>(&arg.llVal);
    switch (base) {
    case VT_EMPTY:
        return S_OK; // the null BSTR is the empty string
    case VT_BSTR:
        text = ValueAt<BSTR>(value);
        return S_OK;
    case VT_VARIANT: {
        const auto* inner = static_cast<const VARIANT*>(value);
        if (inner->vt == (VT_VARIANT | VT_BYREF))
            return DISP_E_TYPEMISMATCH; // one level of reference only
        return CoerceToBstr(*inner, text, owned);
    }
    case VT_ERROR:
        return ValueAt<SCODE>(value) == DISP_E_PARAMNOTFOUND ? DISP_E_PARAMNOTOPTIONAL
                                                             : DISP_E_TYPEMISMATCH;
    case VT_I1:
        return NewText(std::to_string(ValueAt<std::int8_t>(value)), text, owned);
    case VT_UI1:
        return NewText(std::to_string(ValueAt<std::uint8_t>(value)), text, owned);
    case VT_I2:
    case VT_BOOL:
        return NewText(std::to_string(ValueAt<std::int16_t>(value)), text, owned);
    case VT_UI2:
        return NewText(std::to_string(ValueAt<std::uint16_t>(value)), text, owned);
    case VT_I4:
    case VT_INT:
        return NewText(std::to_string(ValueAt<std::int32_t>(value)), text, owned);
    case VT_UI4:
    case VT_UINT:
        return NewText(std::to_string(ValueAt<std::uint32_t>(value)), text, owned);
    case VT_I8:
        return NewText(std::to_string(ValueAt<std::int64_t>(value)), text, owned);
    case VT_UI8:
        return NewText(std::to_string(ValueAt<std::uint64_t>(value)), text, owned);
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

} // namespace com
