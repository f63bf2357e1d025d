#include "sms/PduReader.h"
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

TEST(ReadPdu, NumbersTimeStampsAndUserDataOfEachForm) {
    struct Case {
        std::string hex;
        sms::ServiceCentre centre;
        sms::PduKind kind;
        std::string number, timeStamp, userData;
        sms::Alphabet alphabet;
        bool header;
    } cases[] = {
        // What --pdu writes, read back, and the same with a service centre.
        {"0041000791942143F5000403020102", sms::ServiceCentre::Included, sms::PduKind::Submit,
         "+4912345", "", "\x02\x01\x02", sms::Alphabet::EightBit, true},
        {"07919471103254F6" "41000791942143F5000403020102", sms::ServiceCentre::Included,
         sms::PduKind::Submit, "+4912345", "", "\x02\x01\x02", sms::Alphabet::EightBit, true},
        // A relative validity period; 7-bit text of 3 septets in 3 octets;
        // a national number with "*" and "#".
        {"1100048121BA0000AA03C3E210", sms::ServiceCentre::Absent, sms::PduKind::Submit, "12*#", "",
         "\xC3\xE2\x10", sms::Alphabet::Gsm7, false},
        // An absolute validity period; UCS-2.
        {"19000181F10008" "42500121436580" "0200E9", sms::ServiceCentre::Absent,
         sms::PduKind::Submit, "1", "", std::string("\x00\xE9", 2), sms::Alphabet::Ucs2, false},
        // A deliver from an alphanumeric sender ("Quill", 35 bits in 9
        // semi-octets) through a service centre, in a zone 3:45 behind.
        {"0591214365F7" "04" "09D0D17A9ACD06" "00F5" "99211332959559" "00",
         sms::ServiceCentre::Included, sms::PduKind::Deliver, "Quill",
         "1999-12-31 23:59:59 -03:45", "", sms::Alphabet::EightBit, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hex);
        const sms::PduReading reading = sms::ReadPdu(*sms::OctetsOfHex(c.hex), c.centre);
        ASSERT_TRUE(reading.message) << reading.problem;
        EXPECT_EQ(reading.message->kind, c.kind);
        EXPECT_EQ(reading.message->number, c.number);
        EXPECT_EQ(reading.message->timeStamp, c.timeStamp);
        EXPECT_EQ(reading.message->userData, c.userData);
        EXPECT_EQ(reading.message->alphabet, c.alphabet);
        EXPECT_EQ(reading.message->hasHeader, c.header);
    }
    EXPECT_FALSE(sms::OctetsOfHex("0g"));
    EXPECT_FALSE(sms::OctetsOfHex("012"));
    EXPECT_EQ(sms::ReadPdu(*sms::OctetsOfHex("0C"), sms::ServiceCentre::Included).problem,
              "the service centre address claims 12 octets (at most 11)");
    EXPECT_EQ(sms::ReadPdu(*sms::OctetsOfHex("001581"), sms::ServiceCentre::Absent).problem,
              "the originator address claims 21 digits (at most 20)");
    EXPECT_EQ(sms::ReadPdu(*sms::OctetsOfHex("01000181F000240101"), sms::ServiceCentre::Absent).problem,
              "compressed user data (data coding scheme 24)");
}
