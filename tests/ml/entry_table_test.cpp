// Lookups of the entry table: the fallback to entry 1000, integers, flags, and setting texts.
#include "tests/ml/ml_fixture.h"

#include <cstring>

namespace {

using MlLookup = mltest::MlTest;

TEST_F(MlLookup, BadIdsAndEmptyEntriesAnswerWithEntry1000OrTheEmptyText)
{
    ML_SetString(5, "five");
    for (const char* fallback : { "", "fallback" }) {
        if (*fallback != '\0')
            ML_SetString(ML_FALLBACK_ID, fallback);
        for (int32_t id : { 1001, -5, 4, INT32_MIN, INT32_MAX }) {
            EXPECT_STREQ(fallback, ML_GetStringA(id)) << id;
            EXPECT_EQ(Text(ML_FALLBACK_ID), std::u16string(ML_GetStringW(id))) << id;
            const char* text = nullptr;
            EXPECT_EQ(std::strlen(fallback), ML_GetStringEx(id, &text)) << id;
            EXPECT_STREQ(fallback, text) << id;
        }
    }
    EXPECT_STREQ("five", ML_GetStringA(5));
}

TEST_F(MlLookup, GetIntParsesTheEightBitTextAndRefusesBadIds)
{
    struct {
        const char* text;
        int ok;
        int32_t value;
    } cases[] = { { "0x1F", 1, 31 }, { "-42", 1, -42 }, { "abc", 0, 77 }, { "", 0, 77 } };
    for (const auto& c : cases) {
        ML_SetString(1, c.text);
        int32_t value = 77;
        EXPECT_EQ(c.ok, ML_GetInt(1, &value)) << c.text;
        EXPECT_EQ(c.value, value) << c.text;
    }
    // Bad ids are refused; an empty entry falls back to entry 1000.
    ML_SetString(ML_FALLBACK_ID, "12");
    int32_t value = 77;
    EXPECT_EQ(0, ML_GetInt(1001, &value));
    EXPECT_EQ(0, ML_GetInt(-1, &value));
    EXPECT_EQ(77, value);
    EXPECT_EQ(1, ML_GetInt(9, &value));
    EXPECT_EQ(12, value);
}

TEST_F(MlLookup, IsSetIsFalseOnlyForEmptyAndNoneInAnyCase)
{
    for (const char16_t* text : { u"", u"none", u"NONE", u"nOnE" })
        EXPECT_FALSE(ML_IsSet(text));
    EXPECT_FALSE(ML_IsSet(nullptr));
    for (const char16_t* text : { u"None.", u"0", u"NON", u"NONEX", u" none" })
        EXPECT_TRUE(ML_IsSet(text));
    ML_SetString(1, "None");
    ML_SetString(2, "yes");
    EXPECT_FALSE(ML_GetFlag(1));
    EXPECT_TRUE(ML_GetFlag(2));
    EXPECT_FALSE(ML_GetFlag(3));
    ML_SetString(ML_FALLBACK_ID, "on");
    EXPECT_TRUE(ML_GetFlag(3));
}

TEST_F(MlLookup, SetStringWidensByteByByteAndIgnoresBadIds)
{
    ML_SetString(7, "caf\xe9");
    ML_SetString(8, "x");
    ML_SetString(8, nullptr);
    ML_SetString(1001, "x");
    ML_SetString(-1, "x");
    EXPECT_EQ((mltest::Entries { { 7, u"caf\u00e9" } }), Stored());
    EXPECT_EQ(4u, ML_GetStringEx(7, nullptr));
}

}
