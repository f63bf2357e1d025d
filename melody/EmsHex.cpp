// The EMS user-data header around an iMelody text, in hexadecimal digits:
// header length, element identifier (User Defined Sound), element length,
// position, then the characters with bit 7 cleared.

#include "melody/ImelodyFormat.h"
#include "melody/Melody.h"
#include "platform/Ascii.h"
#include "sms/UserDataHeader.h"

#include <array>
#include <cstring>

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
    // Two digits per character, from a table of the 128 seven-bit values.
    static constexpr auto kPairs = [] {
        std::array<char, 256> pairs{};
        for (std::size_t value = 0; value < 128; ++value) {
            pairs[2 * value] = platform::kUpperHexDigits[value >> 4];
            pairs[2 * value + 1] = platform::kUpperHexDigits[value & 0xF];
        }
        return pairs;
    }();
    for (const char c : imelody) {
        std::memcpy(out, &kPairs[2 * (static_cast<unsigned char>(c) & 0x7F)], 2);
        out += 2;
    }
    return hex;
}

} // namespace melody
