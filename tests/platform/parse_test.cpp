// Integer parsing, 8-bit and wide through one table: bases, signs, 32-bit wrapping, and the
// rule that a refused text leaves the output untouched.
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t UNTOUCHED = 777;

TEST(Parse, EightBitAndWideAgree)
{
    struct Case {
        const char* text;
        SYS_Status status;
        int32_t value; // UNTOUCHED unless the status is SYS_OK
    };
    const Case cases[] = {
        { "123", SYS_OK, 123 },
        { "-42", SYS_OK, -42 },
        { "0x1F", SYS_OK, 31 },
        { "0x1f", SYS_OK, 31 },
        { "0x", SYS_OK, 0 },
        { "-", SYS_OK, 0 },
        { "-2147483648", SYS_OK, INT32_MIN },
        { "4294967295", SYS_OK, -1 }, // the bit pattern 0xFFFFFFFF
        { "-4294967295", SYS_OK, 1 },
        { "4294967296", SYS_OK, 0 }, // wraps in 32 bits, as stored settings always read
        { "4294967297", SYS_OK, 1 },
        { "0x100000001", SYS_OK, 1 },
        { "1F", SYS_BAD_ARGUMENT, UNTOUCHED },
        { "12a", SYS_BAD_ARGUMENT, UNTOUCHED },
        { "-0x10", SYS_BAD_ARGUMENT, UNTOUCHED },
        { "0X10", SYS_BAD_ARGUMENT, UNTOUCHED },
        { "+1", SYS_BAD_ARGUMENT, UNTOUCHED },
        { "", SYS_EMPTY, UNTOUCHED },
    };
    for (const auto& c : cases) {
        int32_t narrow = UNTOUCHED;
        int32_t wide = UNTOUCHED;
        EXPECT_EQ(SYS_ParseInt(&narrow, c.text), c.status) << c.text;
        EXPECT_EQ(SYS_WParseInt(&wide, test::Wide(c.text).c_str()), c.status) << c.text;
        EXPECT_EQ(narrow, c.value) << c.text;
        EXPECT_EQ(wide, c.value) << c.text;
    }
}

TEST(Parse, RefusesWideNonDigitsAndNulls)
{
    // U+0131 has the low byte of "1"; it must not be read as that digit.
    int32_t value = UNTOUCHED;
    EXPECT_EQ(SYS_WParseInt(&value, u"1\u0131"), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_WParseInt(&value, u"0x\uFF41"), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_ParseInt(&value, nullptr), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_ParseInt(nullptr, "1"), SYS_BAD_ARGUMENT);
    EXPECT_EQ(value, UNTOUCHED);
}

}
