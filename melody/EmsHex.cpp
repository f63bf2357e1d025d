// The EMS user-data header around an iMelody text, in hexadecimal digits:
// header length, element identifier (User Defined Sound), element length,
// position, then the characters with bit 7 cleared.

#include "melody/ImelodyFormat.h"
#include "melody/Melody.h"
#include "platform/Ascii.h"

namespace melody {

using platform::AppendHexOctet;

std::string EncodeEmsHex(std::string_view imelody) {
    const std::size_t n = imelody.size();
    std::string hex;
    hex.reserve(2 * n + 8);
    AppendHexOctet(hex, n + 3);
    AppendHexOctet(hex, imelody::kUserDefinedSound);
    AppendHexOctet(hex, n + 1);
    AppendHexOctet(hex, imelody::kSoundPosition);
    for (const char c : imelody)
        AppendHexOctet(hex, static_cast<unsigned char>(c) & 0x7F);
    return hex;
}

} // namespace melody
