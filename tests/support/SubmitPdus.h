#pragma once
// Reading back a PDU file of the conversions: its lines, each taken apart
// as a short message ready for AT+CMGS, independently of how it was built.

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <string>
#include <vector>

namespace testsupport {

// Texts that are no destination number: empty, 21 digits, letters, "+"
// alone, an inner "+", blanks.
inline const std::vector<std::string> kBadNumbers = {
    "",    "123456789012345678901", "+123456789012345678901", "12a4", "+", "1+2", "++1", " 12",
    "0x12"};

// The lines of a PDU file; every line must end in CR LF.
inline std::vector<std::string> PduLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "a line without CR LF: " << text.substr(start);
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Expects the line to be "00" (the handset's service centre) and an
// SMS-SUBMIT with a user data header, message reference 0, the number
// ("+" and digits: type 91, digits alone: type 81), protocol identifier 0,
// 8-bit data, no validity period, and the user data (hexadecimal digits of
// either case) with its length. Returns its AT+CMGS length: the octets after
// the "00".
inline std::size_t ExpectSubmitPdu(const std::string& line, const std::string& number,
                                   std::string userData) {
    std::size_t at = 0;
    const auto octet = [&]() -> unsigned {
        if (at + 2 > line.size()) {
            ADD_FAILURE() << "the PDU ends early: " << line;
            return 0;
        }
        at += 2;
        return static_cast<unsigned>(std::stoul(line.substr(at - 2, 2), nullptr, 16));
    };
    EXPECT_EQ(octet(), 0x00u) << "service centre";
    EXPECT_EQ(octet(), 0x41u) << "first octet";
    EXPECT_EQ(octet(), 0x00u) << "message reference";
    const unsigned digits = octet();
    const unsigned type = octet();
    std::string decoded = type == 0x91 ? "+" : type == 0x81 ? "" : "?";
    for (unsigned i = 0; i < digits && at + 2 <= line.size(); i += 2, at += 2) {
        decoded += line[at + 1];
        if (i + 1 < digits)
            decoded += line[at];
        else
            EXPECT_EQ(line[at], 'F') << "padding";
    }
    EXPECT_EQ(decoded, number);
    EXPECT_EQ(octet(), 0x00u) << "protocol identifier";
    EXPECT_EQ(octet(), 0x04u) << "data coding scheme";
    const unsigned length = octet();
    for (char& c : userData)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(line.substr(at), userData);
    EXPECT_EQ(2 * length, userData.size()) << "user data length";
    EXPECT_LE(length, 140u);
    return line.size() / 2 - 1;
}

} // namespace testsupport
