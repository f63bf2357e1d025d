#pragma once
// Globally unique identifiers in their binary layout (32-bit, 16-bit, 16-bit,
// 8 bytes) and their braced upper-case text form
// "{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}".

#include "platform/Ascii.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];

    friend constexpr bool operator==(const GUID& a, const GUID& b) {
        if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
            return false;
        for (int i = 0; i < 8; ++i)
            if (a.Data4[i] != b.Data4[i])
                return false;
        return true;
    }
};
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline bool IsEqualGUID(REFGUID a, REFGUID b) {
    return a == b;
}
inline bool IsEqualIID(REFIID a, REFIID b) {
    return a == b;
}
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) {
    return a == b;
}

namespace com::detail {

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (either case); nullopt otherwise.
constexpr std::optional<GUID> ParseGuid(std::string_view text) {
    constexpr std::string_view shape = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (text.size() != shape.size())
        return std::nullopt;
    std::uint8_t bytes[16] = {};
    int nibble = 0;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] != 'X') {
            if (text[i] != shape[i])
                return std::nullopt;
            continue;
        }
        const int d = platform::HexDigitOf(text[i]);
        if (d < 0)
            return std::nullopt;
        bytes[nibble / 2] = static_cast<std::uint8_t>(bytes[nibble / 2] * 16 + d);
        ++nibble;
    }
    GUID g{};
    g.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
              (std::uint32_t{bytes[2]} << 8) | bytes[3];
    g.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    g.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i)
        g.Data4[i] = bytes[8 + i];
    return g;
}

} // namespace com::detail

// A GUID written in its text form, checked at compile time.
consteval GUID MakeGuid(std::string_view text) {
    const std::optional<GUID> g = com::detail::ParseGuid(text);
    if (!g)
        throw "malformed GUID text";
    return *g;
}

namespace com {

// The braced upper-case text form.
std::string GuidToString(const GUID& guid);

// Parses the braced text form (hex digits in either case); nullopt when malformed.
inline std::optional<GUID> GuidFromString(std::string_view text) {
    return detail::ParseGuid(text);
}

} // namespace com

inline constexpr GUID GUID_NULL = {};
inline constexpr IID IID_NULL = {};
inline constexpr IID IID_IUnknown = MakeGuid("{00000000-0000-0000-C000-000000000046}");
inline constexpr IID IID_IClassFactory = MakeGuid("{00000001-0000-0000-C000-000000000046}");
inline constexpr IID IID_IDispatch = MakeGuid("{00020400-0000-0000-C000-000000000046}");
inline constexpr IID IID_ITypeInfo = MakeGuid("{00020401-0000-0000-C000-000000000046}");
inline constexpr IID IID_ITypeLib = MakeGuid("{00020402-0000-0000-C000-000000000046}");
inline constexpr IID IID_ITypeInfo2 = MakeGuid("{00020412-0000-0000-C000-000000000046}");
inline constexpr IID IID_ISupportErrorInfo = MakeGuid("{DF0B3D60-548F-101B-8E65-08002B2BD119}");
// The automation marshaller that dual interfaces name as their proxy.
inline constexpr CLSID CLSID_PSOAInterface = MakeGuid("{00020424-0000-0000-C000-000000000046}");
