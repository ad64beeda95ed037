#include "framework/SysUtils.h"

#include <cstdint>

namespace {

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Hex digits from `pos` to the end, as a 32-bit pattern; false on a bad digit, none, or overflow.
bool ParseHex(const AnsiString& text, size_t pos, int& value)
{
    if (pos >= text.size()) return false;
    std::uint32_t result = 0;
    for (; pos < text.size(); ++pos) {
        int digit = HexDigitValue(text[pos]);
        if (digit < 0) return false;
        // Leading zeros are free; a ninth significant digit does not fit the 32 bits.
        if (result > 0x0FFFFFFFu) return false;
        result = (result << 4) | static_cast<std::uint32_t>(digit);
    }
    value = static_cast<int>(result);
    return true;
}

// Optional sign and decimal digits from `pos` to the end, within the signed 32-bit range.
bool ParseDecimal(const AnsiString& text, size_t pos, int& value)
{
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos >= text.size()) return false;
    // Accumulate the magnitude; the negative side reaches one further than the positive.
    const std::uint32_t limit = negative ? 2147483648u : 2147483647u;
    std::uint32_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c < '0' || c > '9') return false;
        std::uint32_t digit = static_cast<std::uint32_t>(c - '0');
        if (magnitude > (limit - digit) / 10) return false;
        magnitude = magnitude * 10 + digit;
    }
    // Two's complement negation keeps -2147483648 exact without signed overflow.
    value = static_cast<int>(negative ? 0u - magnitude : magnitude);
    return true;
}

} // namespace

int StrToIntDef(const AnsiString& text, int defaultValue)
{
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;

    bool ok;
    int value = 0;
    if (pos < text.size() && (text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X')) {
        ok = ParseHex(text, pos + 1, value);
    } else if (pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        ok = ParseHex(text, pos + 2, value);
    } else {
        ok = ParseDecimal(text, pos, value);
    }
    return ok ? value : defaultValue;
}
