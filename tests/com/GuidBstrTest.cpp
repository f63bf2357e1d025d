// GUID text and layout; BSTR layout and the 8-bit <-> UTF-16 conversions.

#include "com/Bstr.h"
#include "com/Guid.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Guid, TextRoundTripAndBinaryLayout) {
    constexpr GUID clsid = MakeGuid("{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}");
    EXPECT_EQ(clsid.Data1, 0x72D7EBB1u);
    EXPECT_EQ(clsid.Data2, 0x14E9u);
    EXPECT_EQ(clsid.Data3, 0x42BBu);
    const unsigned char tail[8] = {0xA0, 0xA5, 0x33, 0xE4, 0xCE, 0x02, 0x16, 0x4C};
    EXPECT_EQ(std::memcmp(clsid.Data4, tail, 8), 0);
    EXPECT_EQ(com::GuidToString(clsid), "{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}");
    EXPECT_EQ(com::GuidToString(IID_ISupportErrorInfo), "{DF0B3D60-548F-101B-8E65-08002B2BD119}");

    // Lower case is read, upper case is written.
    const auto lower = com::GuidFromString("{72d7ebb1-14e9-42bb-a0a5-33e4ce02164c}");
    ASSERT_TRUE(lower.has_value());
    EXPECT_EQ(*lower, clsid);
    EXPECT_NE(IID_IUnknown, IID_IDispatch);
}

TEST(Guid, MalformedTextIsRejected) {
    for (const char* text :
         {"", "72D7EBB1-14E9-42BB-A0A5-33E4CE02164C", "{72D7EBB1-14E9-42BB-A0A5-33E4CE02164}",
          "{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}x", "{72D7EBB1-14E9-42BBA-0A5-33E4CE02164C}",
          "{72D7EBB1-14E9-42BB-A0A5-33E4CE02164G}"})
        EXPECT_FALSE(com::GuidFromString(text).has_value()) << text;
}

TEST(Bstr, LayoutPrefixTerminatorAndEmbeddedZeros) {
    const char16_t units[] = {u'a', 0, u'b', u'c'};
    BSTR text = SysAllocStringLen(units, 4);
    ASSERT_NE(text, nullptr);
    std::uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<char*>(text) - 4, 4);
    EXPECT_EQ(prefix, 8u);
    EXPECT_EQ(SysStringLen(text), 4u);
    EXPECT_EQ(SysStringByteLen(text), 8u);
    EXPECT_EQ(text[1], 0);
    EXPECT_EQ(text[4], 0); // terminator after the last unit
    EXPECT_EQ(com::BstrToUtf8(text), std::string("a\0bc", 4));
    SysFreeString(text);

    BSTR copy = SysAllocString(u"Convert");
    EXPECT_EQ(SysStringLen(copy), 7u);
    EXPECT_EQ(std::u16string(copy), u"Convert");
    SysFreeString(copy);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(com::BstrToUtf8(nullptr), "");
    SysFreeString(nullptr);
    BSTR blank = SysAllocStringLen(nullptr, 3);
    EXPECT_EQ(std::u16string(blank, 3), std::u16string(3, u'\0'));
    SysFreeString(blank);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x7FFFFFFF), nullptr); // too long for the prefix
}

TEST(Bstr, Utf8ConversionsKeepEveryCharacterAndByte) {
    const std::string text = "/tmp/caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80,b.ota";
    BSTR wide = com::Utf8ToBstr(text);
    EXPECT_EQ(std::u16string(wide, SysStringLen(wide)), u"/tmp/café € 😀,b.ota");
    EXPECT_EQ(com::BstrToUtf8(wide), text);
    SysFreeString(wide);

    // Bytes that are no UTF-8 (stray, truncated, overlong, encoded surrogate,
    // beyond U+10FFFF) survive the round trip unchanged.
    const std::string raw("a\xFF"
                          "b\xC3"
                          "\xC0\xAF"
                          "\xED\xA0\x80"
                          "\xF4\x90\x80\x80"
                          "\xE2\x82",
                          16);
    const std::u16string escaped = com::Utf8ToUtf16(raw);
    EXPECT_EQ(escaped.substr(0, 3), (std::u16string{u'a', char16_t(0xDCFF), u'b'}));
    EXPECT_EQ(com::Utf16ToUtf8(escaped), raw);
    BSTR fromRaw = com::Utf8ToBstr(raw);
    EXPECT_EQ(com::BstrToUtf8(fromRaw), raw);
    SysFreeString(fromRaw);

    // Lone surrogates from a UTF-16 source that stand for no byte become U+FFFD.
    EXPECT_EQ(com::Utf16ToUtf8(std::u16string{char16_t(0xD800), u'x', char16_t(0xDC10)}),
              "\xEF\xBF\xBDx\xEF\xBF\xBD");
    BSTR empty = com::Utf8ToBstr("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    EXPECT_EQ(empty[0], 0);
    SysFreeString(empty);
}
