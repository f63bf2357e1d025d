#pragma once
// Text rules shared by the RTX reader and the iMelody writers: the cleaning
// of a section, the C library's decimal conversion (saturating instead of
// overflowing), the "is the rest a nonzero number" test in linear time, and
// the walk over comma-separated items. Every rule treats a byte as unsigned:
// bytes from 0x80 up are never letters, digits or white space.

#include "platform/Ascii.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace melody {

using platform::IsAsciiDigit;
using platform::IsAsciiSpace;
using platform::LowerAscii;

// The blanks (0x20 only) at both ends removed, then every CR and every LF.
std::string CleanSection(std::string_view section);

// Decimal value by the C library's rule: leading white space, optional sign,
// digits up to the first non-digit; 0 without digits. A value outside 32 bits
// saturates at -2147483648 or 2147483647.
std::int32_t DecimalValue(std::string_view text);

// Answers, for positions of one text, whether the decimal value (as above) of
// the text from that position to its end is nonzero. That holds exactly when,
// after optional white space and an optional sign, a run of digits follows
// that holds a digit other than "0" (an overflowing value saturates and is
// nonzero too). Each answer is derived from one cached scan, so asking for
// positions in increasing order costs linear time over the whole text.
class RestValue {
public:
    explicit RestValue(std::string_view text) : m_text(text) {}

    bool NonZeroFrom(std::size_t pos) {
        if (pos >= m_from && pos < m_to)
            return m_anyNonZero && pos <= m_lastNonZero;
        // Most positions of a note start with a letter (no number at all)
        // or with a digit (no blank or sign to pass).
        const char c = pos < m_text.size() ? m_text[pos] : '\0';
        if (IsAsciiDigit(c))
            return ScanDigits(pos, pos);
        if (!IsAsciiSpace(c) && c != '+' && c != '-')
            return false;
        return Scan(pos);
    }

    // The first position from pos on (or the end of the text) where the
    // rest reads as zero.
    std::size_t ZeroFrom(std::size_t pos) {
        // A nonzero answer holds for every position up to the last nonzero
        // digit of the scan that gave it.
        while (pos < m_text.size() && NonZeroFrom(pos))
            pos = m_lastNonZero + 1;
        return pos;
    }

private:
    bool Scan(std::size_t pos);
    // The digits from k on, the number's first, for the rest from pos.
    bool ScanDigits(std::size_t pos, std::size_t k) {
        const std::size_t n = m_text.size();
        m_anyNonZero = false;
        for (; k < n && IsAsciiDigit(m_text[k]); ++k) {
            if (m_text[k] != '0') {
                m_anyNonZero = true;
                m_lastNonZero = k;
            }
        }
        m_from = pos;
        m_to = k;
        return m_anyNonZero && pos <= m_lastNonZero;
    }

    std::string_view m_text;
    // The last scan covered [m_from, m_to): for a position p in it, the rest
    // is nonzero exactly when p <= m_lastNonZero (a nonzero digit at or after p).
    std::size_t m_from = 1;
    std::size_t m_to = 0;
    std::size_t m_lastNonZero = 0;
    bool m_anyNonZero = false;
};

// The items of a comma-separated text from the left: each text before a ","
// is an item, the text after the last "," is the last one. A text without ","
// is one item; an empty text is one empty item.
class CommaItems {
public:
    explicit CommaItems(std::string_view list) : m_rest(list) {}

    // The next item; false when every item was taken.
    bool Next(std::string_view& item) {
        if (m_done)
            return false;
        const std::size_t comma = m_rest.find(',');
        if (comma == std::string_view::npos) {
            item = m_rest;
            m_done = true;
        } else {
            item = m_rest.substr(0, comma);
            m_rest.remove_prefix(comma + 1);
        }
        return true;
    }

private:
    std::string_view m_rest;
    bool m_done = false;
};

// Appends value in decimal ("-" when negative).
void AppendDecimal(std::string& out, std::int64_t value);

} // namespace melody
