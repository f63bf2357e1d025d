// The EMS user-data header around an iMelody text, in hexadecimal digits:
// header length, element identifier (User Defined Sound), element length,
// position, then the characters with bit 7 cleared.

#include "melody/ImelodyFormat.h"
#include "melody/Melody.h"
#include "platform/Ascii.h"
#include "sms/UserDataHeader.h"

namespace melody {

std::string EncodeEmsHex(std::string_view imelody) {
    const std::size_t n = imelody.size();
    std::string hex(2 * n + 8, '0');
    char* out = hex.data();
    const auto put = [&out](std::size_t octet) {
        *out++ = platform::kUpperHexDigits[(octet >> 4) & 0xF];
        *out++ = platform::kUpperHexDigits[octet & 0xF];
    };
    put(n + 3);
    put(sms::udh::kUserDefinedSound);
    put(n + 1);
    put(0); // the sound's position: before the first character
    for (const char c : imelody)
        put(static_cast<unsigned char>(c) & 0x7F);
    return hex;
}

} // namespace melody
