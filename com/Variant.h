#pragma once
// Tagged values and the argument block of a dispatch call, in their usual
// binary layout: the type tags with the value members for strings, integers
// and interface pointers, passed by value or by reference.

#include "com/Unknown.h"

#include <cstdint>

class IDispatch;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_PTR = 26,
    VT_USERDEFINED = 29,
    VT_RECORD = 36,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
};

using VARIANT_BOOL = std::int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        std::int64_t llVal;
        std::uint64_t ullVal;
        LONG lVal;
        ULONG ulVal;
        std::int16_t iVal;
        USHORT uiVal;
        char cVal;
        std::uint8_t bVal;
        INT intVal;
        UINT uintVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        float fltVal;
        double dblVal;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        void* byref; // any VT_BYREF type: the value it points to
        BSTR* pbstrVal;
        LONG* plVal;
        VARIANT* pvarVal;
        struct {
            void* pvRecord;
            void* pRecInfo;
        } record;
    };
};
using VARIANTARG = VARIANT;
static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*));

// Arguments of IDispatch::Invoke, the last argument first.
struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

// Invoke flags.
constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

void VariantInit(VARIANT* value);
// Frees what the value owns (a string, an interface reference) and empties it.
HRESULT VariantClear(VARIANT* value);

namespace com {

// An argument as a string, coerced as standard dispatch coerces arguments
// (without locale words): a string as it is, by value, by reference or in a
// referenced VARIANT; an integer of any width, and VT_BOOL, as decimal text
// (so VARIANT_TRUE gives "-1"); VT_EMPTY as the empty string. text is then
// the argument's own string (owned false) or a new one for the caller to
// free (owned true). Failures: DISP_E_PARAMNOTOPTIONAL for a missing
// argument (VT_ERROR holding DISP_E_PARAMNOTFOUND), DISP_E_BADVARTYPE for a
// tag that is no variant type, DISP_E_TYPEMISMATCH for a value without a
// text here (objects, arrays, floating point, dates, null), E_OUTOFMEMORY.
HRESULT CoerceToBstr(const VARIANT& arg, BSTR& text, bool& owned);

} // namespace com
