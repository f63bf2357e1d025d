#pragma once
// Short messages ready to send (3GPP TS 23.040, TS 27.005): each user data
// wrapped into an SMS-SUBMIT, written as a handset's AT+CMGS takes it in PDU
// mode. Texts in, texts out.
//
// A PDU line is "00" (no service centre address: the handset's own), then
// the TPDU: first octet 41 (SMS-SUBMIT, no validity period, the user data
// starts with a header), message reference 00 (the handset sets it), the
// destination address, protocol identifier 00, data coding scheme 04 (8-bit
// data), the user data length in octets and the user data.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sms {

// A destination number holds 1 to this many digits, after an optional "+"
// that makes it international.
inline constexpr std::size_t kMaxNumberDigits = 20;
// The user data of one short message holds at most this many octets.
inline constexpr std::size_t kMaxUserDataOctets = 140;
// What the name of a PDU file ends in.
inline constexpr std::string_view kPduFileEnding = "pdu";

// The destination address field of a number, in hexadecimal digits: the
// count of digits, the type of address (91 international, 81 otherwise),
// then the digits two an octet, each pair swapped, the last padded with F.
struct Address {
    std::string field;
};

// The address of a number: 1 to kMaxNumberDigits ASCII digits, with an
// optional leading "+"; nothing for any other text.
std::optional<Address> ParseNumber(std::string_view number);

// The PDUs of one message of one or more short messages.
struct PduText {
    std::string text;                 // every PDU on a line of its own, ending in CR LF
    std::vector<std::size_t> lengths; // the AT+CMGS length of each: its TPDU's octets
};

// One SMS-SUBMIT to `to` for each user data (hexadecimal digits, two an
// octet, either case), in order, in upper-case hexadecimal digits. Nothing
// when a user data is no whole number of octets in hexadecimal digits or
// holds more than kMaxUserDataOctets octets.
std::optional<PduText> BuildPdus(const Address& to, const std::vector<std::string>& userData);

// A PDU file that was written: its path and the AT+CMGS length of each of
// its lines, in order.
struct PduFile {
    std::string path;
    std::vector<std::size_t> lengths;
};

} // namespace sms
