#include "sms/SubmitPdu.h"

#include "platform/Ascii.h"

#include <algorithm>

namespace sms {
namespace {

constexpr std::string_view kOwnServiceCentre = "00";
constexpr unsigned kSubmitWithHeader = 0x41;
constexpr unsigned kMessageReference = 0x00;
constexpr unsigned kInternational = 0x91;
constexpr unsigned kUnknownType = 0x81;
constexpr unsigned kProtocolIdentifier = 0x00;
constexpr unsigned kEightBitData = 0x04;
// The TPDU's octets besides the address and the user data: the first octet,
// the message reference, the protocol identifier, the data coding scheme
// and the user data length.
constexpr std::size_t kFixedOctets = 5;

using platform::AppendHexOctet;
using platform::IsAsciiDigit;

// The upper-case form of a hexadecimal digit, or 0 for any other character.
char UpperHexDigit(char c) {
    const int value = platform::HexDigitOf(c);
    return value < 0 ? '\0' : platform::kUpperHexDigits[static_cast<std::size_t>(value)];
}

} // namespace

std::optional<Address> ParseNumber(std::string_view number) {
    const bool international = number.starts_with('+');
    const std::string_view digits = international ? number.substr(1) : number;
    if (digits.empty() || digits.size() > kMaxNumberDigits ||
        !std::all_of(digits.begin(), digits.end(), IsAsciiDigit))
        return std::nullopt;
    Address address;
    address.field.reserve(4 + digits.size() + 1);
    AppendHexOctet(address.field, digits.size());
    AppendHexOctet(address.field, international ? kInternational : kUnknownType);
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        address.field += i + 1 < digits.size() ? digits[i + 1] : 'F';
        address.field += digits[i];
    }
    return address;
}

std::optional<PduText> BuildPdus(const Address& to, const std::vector<std::string>& userData) {
    PduText pdus;
    for (const std::string& data : userData) {
        const std::size_t octets = data.size() / 2;
        if (data.size() % 2 != 0 || octets > kMaxUserDataOctets)
            return std::nullopt;
        std::string& text = pdus.text;
        text.append(kOwnServiceCentre);
        AppendHexOctet(text, kSubmitWithHeader);
        AppendHexOctet(text, kMessageReference);
        text.append(to.field);
        AppendHexOctet(text, kProtocolIdentifier);
        AppendHexOctet(text, kEightBitData);
        AppendHexOctet(text, octets);
        for (const char c : data) {
            const char digit = UpperHexDigit(c);
            if (digit == 0)
                return std::nullopt;
            text += digit;
        }
        text.append("\r\n");
        pdus.lengths.push_back(kFixedOctets + to.field.size() / 2 + octets);
    }
    return pdus;
}

} // namespace sms
