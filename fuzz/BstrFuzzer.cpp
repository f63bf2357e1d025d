// Text to BSTR and back. Every byte string survives the trip unchanged (bytes
// that are not UTF-8 travel as lone surrogates), the BSTR's length prefix and
// terminator are right, and UTF-16 text of any form settles after one trip.

#include "fuzz/FuzzCheck.h"

#include "com/Bstr.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    BSTR bstr = com::Utf8ToBstr(text);
    FUZZ_CHECK(bstr != nullptr);
    const std::u16string wide = com::Utf8ToUtf16(text);
    FUZZ_CHECK(SysStringLen(bstr) == wide.size());
    FUZZ_CHECK(SysStringByteLen(bstr) == 2 * wide.size());
    FUZZ_CHECK(bstr[wide.size()] == 0);
    FUZZ_CHECK(std::u16string_view(bstr, SysStringLen(bstr)) == wide);
    FUZZ_CHECK(com::BstrToUtf8(bstr) == text);
    SysFreeString(bstr);

    // The same bytes read as UTF-16 units.
    std::u16string units(size / 2, u'\0');
    if (!units.empty())
        std::memcpy(units.data(), data, units.size() * 2);
    BSTR copy = SysAllocStringLen(units.data(), static_cast<UINT>(units.size()));
    FUZZ_CHECK(copy != nullptr && SysStringLen(copy) == units.size() && copy[units.size()] == 0);
    const std::string narrow = com::BstrToUtf8(copy);
    SysFreeString(copy);
    const std::u16string back = com::Utf8ToUtf16(narrow);
    FUZZ_CHECK(com::Utf16ToUtf8(back) == narrow);
    FUZZ_CHECK(com::Utf8ToUtf16(com::Utf16ToUtf8(back)) == back);
    return 0;
}
