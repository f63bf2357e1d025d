#include "sms/PduReader.h"

#include "platform/Ascii.h"
#include "sms/SubmitPdu.h"

#include <cstdint>

namespace sms {
namespace {

// The longest service-centre address: its type octet and ten octets of digits.
constexpr std::size_t kMaxCentreOctets = 11;
constexpr std::size_t kMaxAddressDigits = 20;
constexpr std::size_t kTimeStampOctets = 7;
constexpr std::size_t kMaxUserDataSeptets = 160;

constexpr unsigned kMessageTypeMask = 0x03;
constexpr unsigned kDeliverType = 0x00;
constexpr unsigned kSubmitType = 0x01;
constexpr unsigned kHeaderIndicator = 0x40;
constexpr unsigned kInternationalNumber = 1; // type of number, bits 6-4 of the type octet
constexpr unsigned kAlphanumericNumber = 5;

// The GSM 7-bit default alphabet in UTF-8, and the characters its escape
// (0x1B) gives in front of the septets listed.
const char* const kGsmAlphabet[128] = {
    "@",  "\u00A3", "$",  "\u00A5", "\u00E8", "\u00E9", "\u00F9", "\u00EC", "\u00F2", "\u00C7",
    "\n", "\u00D8", "\u00F8", "\r", "\u00C5", "\u00E5", "\u0394", "_",  "\u03A6", "\u0393",
    "\u039B", "\u03A9", "\u03A0", "\u03A8", "\u03A3", "\u0398", "\u039E", " ", "\u00C6", "\u00E6",
    "\u00DF", "\u00C9", " ",  "!",  "\"", "#",  "\u00A4", "%",  "&",  "'",
    "(",  ")",  "*",  "+",  ",",  "-",  ".",  "/",  "0",  "1",
    "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  ":",  ";",
    "<",  "=",  ">",  "?",  "\u00A1", "A", "B",  "C",  "D",  "E",
    "F",  "G",  "H",  "I",  "J",  "K",  "L",  "M",  "N",  "O",
    "P",  "Q",  "R",  "S",  "T",  "U",  "V",  "W",  "X",  "Y",
    "Z",  "\u00C4", "\u00D6", "\u00D1", "\u00DC", "\u00A7", "\u00BF", "a", "b", "c",
    "d",  "e",  "f",  "g",  "h",  "i",  "j",  "k",  "l",  "m",
    "n",  "o",  "p",  "q",  "r",  "s",  "t",  "u",  "v",  "w",
    "x",  "y",  "z",  "\u00E4", "\u00F6", "\u00F1", "\u00FC", "\u00E0"};
constexpr unsigned kGsmEscape = 0x1B;
struct Extension {
    unsigned septet;
    const char* text;
};
constexpr Extension kGsmExtension[] = {{0x0A, "\f"}, {0x14, "^"},  {0x28, "{"},
                                       {0x29, "}"},  {0x2F, "\\"}, {0x3C, "["},
                                       {0x3D, "~"},  {0x3E, "]"},  {0x40, "|"},
                                       {0x65, "\u20AC"}};

// The octets of a PDU read in order; a read past the end fails with the
// name of the field that was cut short.
class Fields {
public:
    explicit Fields(std::string_view octets) : m_octets(octets) {}

    bool Take(std::size_t count, std::string_view field, std::string_view& out) {
        if (m_octets.size() - m_at < count) {
            if (m_problem.empty())
                m_problem = "the PDU ends inside the " + std::string(field);
            return false;
        }
        out = m_octets.substr(m_at, count);
        m_at += count;
        return true;
    }
    bool Octet(std::string_view field, unsigned& out) {
        std::string_view one;
        if (!Take(1, field, one))
            return false;
        out = static_cast<unsigned char>(one[0]);
        return true;
    }
    std::size_t Left() const { return m_octets.size() - m_at; }
    std::string_view Rest() const { return m_octets.substr(m_at); }
    std::string& Problem() { return m_problem; }

private:
    std::string_view m_octets;
    std::size_t m_at = 0;
    std::string m_problem;
};

unsigned Septet(std::string_view packed, std::size_t index) {
    const std::size_t bit = 7 * index;
    const std::size_t octet = bit / 8;
    const unsigned shift = bit % 8;
    unsigned value = static_cast<unsigned char>(packed[octet]) >> shift;
    if (shift > 1 && octet + 1 < packed.size())
        value |= static_cast<unsigned>(static_cast<unsigned char>(packed[octet + 1])) << (8 - shift);
    return value & 0x7F;
}

// Seven-bit packed text of count characters in UTF-8.
std::string GsmText(std::string_view packed, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        unsigned septet = Septet(packed, i);
        if (septet == kGsmEscape && i + 1 < count) {
            septet = Septet(packed, ++i);
            const char* extended = nullptr;
            for (const Extension& extension : kGsmExtension)
                if (extension.septet == septet)
                    extended = extension.text;
            text += extended != nullptr ? extended : kGsmAlphabet[septet];
            continue;
        }
        text += kGsmAlphabet[septet];
    }
    return text;
}

// The digits of semi-octets, the first in the low half of each octet: the
// number's digits and "*", "#", "a" to "c"; an "F" ends them.
std::string SemiOctetDigits(std::string_view octets, std::size_t count) {
    static constexpr std::string_view kDigits = "0123456789*#abc";
    std::string digits;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned octet = static_cast<unsigned char>(octets[i / 2]);
        const unsigned digit = i % 2 == 0 ? octet & 0x0F : octet >> 4;
        if (digit >= kDigits.size())
            break;
        digits += kDigits[digit];
    }
    return digits;
}

// An address field: the count of its useful semi-octets, the type of
// address and the digits (or the seven-bit name).
bool ReadAddress(Fields& fields, std::string_view field, std::string& number) {
    unsigned digits = 0, type = 0;
    if (!fields.Octet(field, digits) || !fields.Octet(field, type))
        return false;
    if (digits > kMaxAddressDigits) {
        fields.Problem() = "the " + std::string(field) + " claims " + std::to_string(digits) +
                           " digits (at most " + std::to_string(kMaxAddressDigits) + ")";
        return false;
    }
    std::string_view octets;
    if (!fields.Take((digits + 1) / 2, field, octets))
        return false;
    const unsigned numberType = (type >> 4) & 0x07;
    if (numberType == kAlphanumericNumber) {
        number = GsmText(octets, digits * 4 / 7);
        return true;
    }
    number.clear();
    if (numberType == kInternationalNumber)
        number.push_back('+');
    number += SemiOctetDigits(octets, digits);
    return true;
}

// Two digits of a time-stamp octet, the first in its low half.
void AppendSwapped(std::string& out, unsigned octet) {
    for (const unsigned digit : {octet & 0x0F, octet >> 4})
        out += digit <= 9 ? static_cast<char>('0' + digit) : '?';
}

// "2024-05-01 12:34:56 +02:00": the year of two digits taken from 1990 to
// 2089, the zone from its quarters of an hour (bit 3 of its first digit is
// the sign).
std::string TimeStampText(std::string_view octets) {
    std::string year;
    AppendSwapped(year, static_cast<unsigned char>(octets[0]));
    std::string text = year[0] == '?' ? "??" : year[0] >= '9' ? "19" : "20";
    text += year;
    const char* const separators[] = {"-", "-", " ", ":", ":"};
    for (int i = 1; i < 6; ++i) {
        text += separators[i - 1];
        AppendSwapped(text, static_cast<unsigned char>(octets[static_cast<std::size_t>(i)]));
    }
    const unsigned zone = static_cast<unsigned char>(octets[6]);
    const unsigned tens = zone & 0x07, ones = zone >> 4;
    text += (zone & 0x08) != 0 ? " -" : " +";
    if (ones > 9) {
        text += "??:??";
        return text;
    }
    const unsigned quarters = tens * 10 + ones;
    const unsigned hours = quarters / 4, minutes = quarters % 4 * 15;
    text += static_cast<char>('0' + hours / 10);
    text += static_cast<char>('0' + hours % 10);
    text += ':';
    text += static_cast<char>('0' + minutes / 10);
    text += static_cast<char>('0' + minutes % 10);
    return text;
}

// The alphabet of a data coding scheme; nothing for compressed text.
std::optional<Alphabet> AlphabetOf(unsigned scheme) {
    const unsigned group = scheme >> 4;
    if (group <= 0x7) { // general data coding, perhaps marked for deletion
        if ((scheme & 0x20) != 0)
            return std::nullopt;
        switch ((scheme >> 2) & 0x03) {
        case 1:
            return Alphabet::EightBit;
        case 2:
            return Alphabet::Ucs2;
        default:
            return Alphabet::Gsm7;
        }
    }
    if (group == 0xE)
        return Alphabet::Ucs2;
    if (group == 0xF)
        return (scheme & 0x04) != 0 ? Alphabet::EightBit : Alphabet::Gsm7;
    return Alphabet::Gsm7; // message waiting groups, and the reserved ones
}

} // namespace

std::optional<std::string> OctetsOfHex(std::string_view hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string octets;
    octets.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = platform::HexDigitOf(hex[i]), low = platform::HexDigitOf(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        octets += static_cast<char>(high << 4 | low);
    }
    return octets;
}

PduReading ReadPdu(std::string_view octets, ServiceCentre centre) {
    PduReading reading;
    Fields fields(octets);
    const auto failed = [&] {
        reading.problem = std::move(fields.Problem());
        return reading;
    };
    std::string_view skipped;
    unsigned value = 0;
    if (centre == ServiceCentre::Included) {
        if (!fields.Octet("service centre address", value))
            return failed();
        if (value > kMaxCentreOctets) {
            fields.Problem() = "the service centre address claims " + std::to_string(value) +
                               " octets (at most " + std::to_string(kMaxCentreOctets) + ")";
            return failed();
        }
        if (!fields.Take(value, "service centre address", skipped))
            return failed();
    }
    unsigned first = 0;
    if (!fields.Octet("first octet", first))
        return failed();
    ShortMessage message;
    const unsigned type = first & kMessageTypeMask;
    if (type != kDeliverType && type != kSubmitType) {
        fields.Problem() = type == 2 ? "a status report or command, no message"
                                     : "a message type that is reserved";
        return failed();
    }
    message.kind = type == kSubmitType ? PduKind::Submit : PduKind::Deliver;
    message.hasHeader = (first & kHeaderIndicator) != 0;
    if (message.kind == PduKind::Submit && !fields.Octet("message reference", value))
        return failed();
    const char* const addressField =
        message.kind == PduKind::Submit ? "destination address" : "originator address";
    unsigned scheme = 0;
    if (!ReadAddress(fields, addressField, message.number) ||
        !fields.Octet("protocol identifier", value) || !fields.Octet("data coding scheme", scheme))
        return failed();
    if (message.kind == PduKind::Deliver) {
        std::string_view stamp;
        if (!fields.Take(kTimeStampOctets, "time stamp", stamp))
            return failed();
        message.timeStamp = TimeStampText(stamp);
    } else {
        // No validity period, a relative one (one octet), or an enhanced or absolute one (seven).
        const unsigned format = (first >> 3) & 0x03;
        const std::size_t length = format == 0 ? 0 : format == 2 ? 1 : kTimeStampOctets;
        if (!fields.Take(length, "validity period", skipped))
            return failed();
    }
    unsigned length = 0;
    if (!fields.Octet("user data length", length))
        return failed();
    const std::optional<Alphabet> alphabet = AlphabetOf(scheme);
    if (!alphabet) {
        fields.Problem() = "compressed user data (data coding scheme " +
                           std::string(1, platform::kUpperHexDigits[scheme >> 4]) +
                           platform::kUpperHexDigits[scheme & 0x0F] + ")";
        return failed();
    }
    message.alphabet = *alphabet;
    const bool septets = message.alphabet == Alphabet::Gsm7;
    const std::size_t most = septets ? kMaxUserDataSeptets : kMaxUserDataOctets;
    const std::size_t needed = septets ? (length * 7 + 7) / 8 : length;
    if (length > most || needed != fields.Left()) {
        fields.Problem() = "the user data length says " + std::to_string(length) +
                           (septets ? " septets (" + std::to_string(needed) + " octets)" : " octets") +
                           ", the PDU holds " + std::to_string(fields.Left()) + " octets of user data";
        if (length > most)
            fields.Problem() += " (at most " + std::to_string(most) + (septets ? " septets)" : " octets)");
        return failed();
    }
    message.userData = fields.Rest();
    reading.message = std::move(message);
    return reading;
}

} // namespace sms
