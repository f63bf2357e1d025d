#pragma once
// Short messages as handsets and modems hold them (3GPP TS 23.040, TS
// 27.005): an SMS-SUBMIT or SMS-DELIVER PDU taken apart into its number,
// time stamp and user data. Octets in, values out; every length is checked
// against the octets that are there, so no PDU is read beyond its end.

#include <optional>
#include <string>
#include <string_view>

namespace sms {

enum class PduKind { Submit, Deliver };

// How the text of the user data is coded (from the data coding scheme).
enum class Alphabet { Gsm7, EightBit, Ucs2 };

struct ShortMessage {
    PduKind kind = PduKind::Deliver;
    // Who sent a deliver, or whom a submit is for: "+" and digits for an
    // international number, digits (and "*", "#", "a" to "c"), or the name
    // an alphanumeric sender gives (UTF-8).
    std::string number;
    // A deliver's service-centre time stamp, "2024-05-01 12:34:56 +02:00"
    // (a digit that is none shown as "?"); empty for a submit.
    std::string timeStamp;
    Alphabet alphabet = Alphabet::EightBit;
    bool hasHeader = false; // the user data begins with a header (TP-UDHI)
    std::string userData;   // its octets as sent (seven-bit text still packed)
};

struct PduReading {
    std::optional<ShortMessage> message;
    std::string problem; // why there is none: "the PDU ends inside the time stamp"
};

// Whether a PDU begins with the service centre's address, its length octet
// first ("00" for the handset's own), as AT+CMGL, AT+CMGR and AT+CMGS have it.
enum class ServiceCentre { Included, Absent };

// The PDU must end where its user data ends.
PduReading ReadPdu(std::string_view octets, ServiceCentre centre);

// The octets of hexadecimal digits (either case), two to an octet; nothing
// when the text holds another character or an odd number of digits.
std::optional<std::string> OctetsOfHex(std::string_view hex);

} // namespace sms
