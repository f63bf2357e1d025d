// The EMS user-data header around an iMelody text, in hexadecimal digits:
// header length, element identifier 0x0C (User Defined Sound), element
// length, position 0x00, then the characters with bit 7 cleared.

#include "melody/MelodyConverter.h"

namespace {

void AppendHexOctet(std::string& out, std::size_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    out += kDigits[(value >> 4) & 0xF];
    out += kDigits[value & 0xF];
}

} // namespace

void CMelodyConverter::EncodeEmsHex(std::string_view imelody, std::string& hex) {
    const std::size_t n = imelody.size();
    hex.reserve(hex.size() + 2 * n + 8);
    AppendHexOctet(hex, n + 3);
    hex += "0C";
    AppendHexOctet(hex, n + 1);
    hex += "00";
    for (const char c : imelody)
        AppendHexOctet(hex, static_cast<unsigned char>(c) & 0x7F);
}
