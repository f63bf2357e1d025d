#pragma once
// Length-prefixed UTF-16 strings. A BSTR points at its first UTF-16 unit; the
// four bytes before it hold the length in bytes (without the terminator) and
// a 16-bit zero follows the last unit, so a BSTR may hold embedded zeros and
// still be read as a zero-terminated string. A null BSTR is the empty string.
//
// The process's 8-bit text is UTF-8. File names on this platform are bytes,
// so the conversions keep every byte: a byte that is not part of valid UTF-8
// becomes the lone surrogate U+DC80..U+DCFF and turns back into the same byte.

#include "com/Types.h"

#include <string>
#include <string_view>

// A new BSTR copied from a zero-terminated string; null for a null text.
BSTR SysAllocString(const OLECHAR* text);
// A new BSTR of length units copied from text (zeros when text is null).
// Null when there is no memory or the length does not fit.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// Frees a BSTR made by the functions above; null is allowed.
void SysFreeString(BSTR text);
// Length in UTF-16 units (0 for null).
UINT SysStringLen(BSTR text);
// Length in bytes (0 for null).
UINT SysStringByteLen(BSTR text);

namespace com {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// A new BSTR holding text (null only when there is no memory).
BSTR Utf8ToBstr(std::string_view text);
// The BSTR's whole content, embedded zeros included, as 8-bit text.
std::string BstrToUtf8(BSTR text);

} // namespace com
