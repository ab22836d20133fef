// Integer parsing of 8-bit and wide text: decimal, "-" decimal or "0x" hexadecimal, as the
// text definitions and registry values write their numbers.
#include "platform/platform.h"

namespace {

// The value of c as a digit of base, or -1 when it is none. Wide units above 0xFF never are.
template <typename Char> int DigitValue(Char c, uint32_t base)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Only a lower-case "0x" selects base 16; after a "-" the base is always 10, so "-0x10" and
// "0X10" are refused at their "x". The value accumulates in unsigned 32-bit arithmetic and
// wraps, as the stored settings have always been read; a negative value is stored as the
// 32-bit pattern of its two's complement.
template <typename Char> SYS_Status ParseInt(int32_t* value, const Char* text)
{
    if (!value || !text)
        return SYS_BAD_ARGUMENT;
    if (text[0] == 0)
        return SYS_EMPTY;
    uint32_t base = 10;
    bool negative = false;
    const Char* c = text;
    if (c[0] == '0' && c[1] == 'x') {
        base = 16;
        c += 2;
    } else if (c[0] == '-') {
        negative = true;
        ++c;
    }
    uint32_t pattern = 0;
    for (; *c != 0; ++c) {
        int digit = DigitValue(*c, base);
        if (digit < 0)
            return SYS_BAD_ARGUMENT;
        pattern = pattern * base + static_cast<uint32_t>(digit);
    }
    *value = static_cast<int32_t>(negative ? 0u - pattern : pattern);
    return SYS_OK;
}

}

SYS_Status SYS_ParseInt(int32_t* value, const char* text)
{
    return ParseInt(value, text);
}

SYS_Status SYS_WParseInt(int32_t* value, const char16_t* text)
{
    return ParseInt(value, text);
}
