#include "sms/SubmitPdu.h"
#include "support/SubmitPdus.h"

#include <gtest/gtest.h>

TEST(SubmitPdu, NumbersBecomeSwappedSemiOctetAddresses) {
    const std::vector<std::pair<std::string, std::string>> numbers = {
        {"+4912345", "0791942143F5"},
        {"012", "038110F2"},
        {"7", "0181F7"},
        {"12345678901234567890", "148121436587092143658709"},
        {"+00000000000000000009", "149100000000000000000090"},
    };
    for (const auto& [number, field] : numbers) {
        const std::optional<sms::Address> address = sms::ParseNumber(number);
        ASSERT_TRUE(address) << number;
        EXPECT_EQ(address->field, field);
    }
    for (const std::string& bad : testsupport::kBadNumbers)
        EXPECT_FALSE(sms::ParseNumber(bad)) << "'" << bad << "'";
}

TEST(SubmitPdu, EachUserDataIsOneLineWithItsCmgsLength) {
    const sms::Address to = *sms::ParseNumber("+4912345");
    const std::string udh = "060c0400414243";
    const std::string full(2 * sms::kMaxUserDataOctets, 'a');
    const std::optional<sms::PduText> pdus = sms::BuildPdus(to, {udh, full, ""});
    ASSERT_TRUE(pdus);
    EXPECT_EQ(pdus->text.substr(0, 40), "0041000791942143F5000407060C0400414243\r\n");
    const std::vector<std::string> lines = testsupport::PduLines(pdus->text);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(pdus->lengths, (std::vector<std::size_t>{18, 151, 11}));
    EXPECT_EQ(testsupport::ExpectSubmitPdu(lines[0], "+4912345", udh), 18u);
    EXPECT_EQ(testsupport::ExpectSubmitPdu(lines[1], "+4912345", full), 151u);
    EXPECT_EQ(testsupport::ExpectSubmitPdu(lines[2], "+4912345", ""), 11u);

    // More than one short message holds, half an octet, or no hexadecimal
    // digit: no PDU at all.
    for (const std::string& bad : {full + "00", udh + "0", udh + "0g"})
        EXPECT_FALSE(sms::BuildPdus(to, {udh, bad})) << bad;
}
