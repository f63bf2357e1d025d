#include "melody/internal/RtxText.h"

#include <algorithm>
#include <charconv>

namespace melody {

std::string CleanSection(std::string_view section) {
    std::size_t begin = 0;
    std::size_t end = section.size();
    while (begin < end && section[begin] == ' ')
        ++begin;
    while (end > begin && section[end - 1] == ' ')
        --end;
    const std::string_view kept = section.substr(begin, end - begin);
    std::string clean;
    clean.reserve(kept.size());
    // The runs between line breaks, each copied whole; the next CR and the
    // next LF are each looked for once.
    std::size_t cr = kept.find('\r');
    std::size_t lf = kept.find('\n');
    for (std::size_t from = 0;;) {
        const std::size_t cut = std::min(cr, lf);
        if (cut == std::string_view::npos) {
            clean.append(kept, from);
            return clean;
        }
        clean.append(kept, from, cut - from);
        from = cut + 1;
        if (cut == cr)
            cr = kept.find('\r', from);
        else
            lf = kept.find('\n', from);
    }
}

std::int32_t DecimalValue(std::string_view text) {
    constexpr std::int64_t kMax = INT32_MAX;
    constexpr std::int64_t kMinMagnitude = -static_cast<std::int64_t>(INT32_MIN);
    std::size_t i = 0;
    while (i < text.size() && IsAsciiSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The magnitude stops growing once it is past every 32-bit value.
    std::int64_t magnitude = 0;
    for (; i < text.size() && IsAsciiDigit(text[i]); ++i) {
        if (magnitude <= kMinMagnitude)
            magnitude = magnitude * 10 + (text[i] - '0');
    }
    if (negative)
        return magnitude >= kMinMagnitude ? INT32_MIN : static_cast<std::int32_t>(-magnitude);
    return magnitude >= kMax ? INT32_MAX : static_cast<std::int32_t>(magnitude);
}

bool RestValue::Scan(std::size_t pos) {
    const std::size_t n = m_text.size();
    std::size_t k = pos;
    while (k < n && IsAsciiSpace(m_text[k]))
        ++k;
    if (k < n && (m_text[k] == '+' || m_text[k] == '-'))
        ++k;
    return ScanDigits(pos, k);
}

void AppendDecimal(std::string& out, std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

} // namespace melody
