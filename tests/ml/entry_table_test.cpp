// Lookups of the entry table: the fallback to entry 1000, integers, flags, and setting texts.
#include "tests/ml/ml_fixture.h"

namespace {

using mltest::MlTest;

using MlLookup = MlTest;

TEST_F(MlLookup, BadIdsAndEmptyEntriesAnswerWithEntry1000)
{
    ML_SetString(ML_FALLBACK_ID, "fallback");
    ML_SetString(5, "five");
    for (int32_t id : { 1001, -5, 4, INT32_MIN, INT32_MAX }) {
        EXPECT_STREQ("fallback", ML_GetStringA(id)) << id;
        EXPECT_EQ(u"fallback", std::u16string(ML_GetStringW(id))) << id;
    }
    EXPECT_STREQ("five", ML_GetStringA(5));
    const char* text = nullptr;
    EXPECT_EQ(8u, ML_GetStringEx(1001, &text));
    EXPECT_STREQ("fallback", text);
}

TEST_F(MlLookup, WithoutEntry1000LookupsGiveTheEmptyText)
{
    EXPECT_STREQ("", ML_GetStringA(3));
    EXPECT_EQ(u"", std::u16string(ML_GetStringW(-5)));
    const char* text = nullptr;
    EXPECT_EQ(0u, ML_GetStringEx(1001, &text));
    EXPECT_STREQ("", text);
    EXPECT_FALSE(ML_GetFlag(3));
}

TEST_F(MlLookup, GetIntParsesTheEightBitText)
{
    ML_SetString(1, "0x1F");
    ML_SetString(2, "abc");
    ML_SetString(3, "-42");
    int32_t value = 77;
    EXPECT_EQ(1, ML_GetInt(1, &value));
    EXPECT_EQ(31, value);
    value = 77;
    EXPECT_EQ(0, ML_GetInt(2, &value));
    EXPECT_EQ(77, value);
    EXPECT_EQ(1, ML_GetInt(3, &value));
    EXPECT_EQ(-42, value);
}

TEST_F(MlLookup, GetIntRefusesBadIdsButFallsBackForEmptyEntries)
{
    ML_SetString(ML_FALLBACK_ID, "12");
    int32_t value = 77;
    EXPECT_EQ(0, ML_GetInt(1001, &value));
    EXPECT_EQ(0, ML_GetInt(-1, &value));
    EXPECT_EQ(77, value);
    EXPECT_EQ(1, ML_GetInt(9, &value));
    EXPECT_EQ(12, value);
    // The empty text of an installer-data load does not parse.
    ML_SetString(ML_FALLBACK_ID, "");
    value = 77;
    EXPECT_EQ(0, ML_GetInt(9, &value));
    EXPECT_EQ(77, value);
}

TEST_F(MlLookup, IsSetIsFalseOnlyForEmptyAndNone)
{
    EXPECT_FALSE(ML_IsSet(nullptr));
    EXPECT_FALSE(ML_IsSet(u""));
    EXPECT_FALSE(ML_IsSet(u"none"));
    EXPECT_FALSE(ML_IsSet(u"NONE"));
    EXPECT_FALSE(ML_IsSet(u"nOnE"));
    EXPECT_TRUE(ML_IsSet(u"None."));
    EXPECT_TRUE(ML_IsSet(u"0"));
    EXPECT_TRUE(ML_IsSet(u"NON"));
    EXPECT_TRUE(ML_IsSet(u"NONEX"));
    EXPECT_TRUE(ML_IsSet(u" none"));
}

TEST_F(MlLookup, GetFlagReadsTheWideText)
{
    ML_SetString(1, "None");
    ML_SetString(2, "yes");
    EXPECT_FALSE(ML_GetFlag(1));
    EXPECT_TRUE(ML_GetFlag(2));
    EXPECT_FALSE(ML_GetFlag(3));
    ML_SetString(ML_FALLBACK_ID, "on");
    EXPECT_TRUE(ML_GetFlag(3));
}

TEST_F(MlLookup, SetStringWidensByteByByteAndNullEmpties)
{
    ML_SetString(7, "caf\xe9");
    EXPECT_EQ(u"caf\u00e9", std::u16string(ML_GetStringW(7)));
    EXPECT_EQ(4u, ML_GetStringEx(7, nullptr));
    EXPECT_TRUE(ML_HasString(7));
    ML_SetString(7, nullptr);
    EXPECT_FALSE(ML_HasString(7));
    // Ids outside the table are ignored rather than written anywhere.
    ML_SetString(1001, "x");
    ML_SetString(-1, "x");
    EXPECT_FALSE(ML_HasString(1001));
    EXPECT_STREQ("", ML_GetStringA(1001));
}

}
