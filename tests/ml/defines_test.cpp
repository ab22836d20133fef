// Defines and their substitution, and the escapes resolved when a text is stored.
#include "tests/ml/ml_fixture.h"

namespace {

using mltest::Entries;
using mltest::LoadCase;
using mltest::MlLoads;
using mltest::MlTest;

std::u16string Repeated(std::u16string_view unit, int count)
{
    std::u16string text;
    while (count-- > 0)
        text += unit;
    return text;
}

INSTANTIATE_TEST_SUITE_P(Substitution, MlLoads,
    ::testing::Values(
        LoadCase { "#DEFINE GAME Space Race\n#1:\n#ENG Welcome to $GAME$!\n#2:\n#ENG $GAME$$GAME$",
            { { 1, u"Welcome to Space Race!" }, { 2, u"Space RaceSpace Race" } } },
        // Values are trimmed and substituted when defined.
        LoadCase { "#DEFINE A  alpha \t\n#DEFINE B [$A$]\n#1:\n#ENG $B$", { { 1, u"[alpha]" } } },
        // A numeric define reads the entry's current text.
        LoadCase {
            "#301:\n#ENG old\n#DEFINE T #301\n#1:\n#ENG [$T$]\n#301:\n#ENG new\n#2:\n#ENG [$T$]",
            { { 1, u"[old]" }, { 2, u"[new]" }, { 301, u"new" } } },
        // A bad id or an entry without text gives entry 1000, here unset: the empty text.
        LoadCase { "#DEFINE N #5000\n#DEFINE U #77\n#DEFINE M #-1\n#1:\n#ENG [$N$|$U$|$M$]",
            { { 1, u"[||]" } } },
        // Entry 301 has 5 units but a stored length of 7: only its text is copied.
        LoadCase { "#301:\n#ENG a\\nb\\nc\n#DEFINE T #301\n#1:\n#ENG [$T$]",
            { { 1, u"[a\nb\nc]" }, { 301, u"a\nb\nc" } } },
        // A failed substitution in a value leaves the define empty without a message.
        LoadCase { "#DEFINE A x$NOPE$y\n#DEFINE B 100$\n#1:\n#ENG <$A$|$B$>", { { 1, u"<|>" } } },
        // U+0161 narrows to "?", so it names the same define as a literal "?".
        LoadCase { mltest::Utf16(u"#DEFINE a? one\n#1:\n#ENG $a\u0161$"), { { 1, u"one" } } },
        // 2^20 units are well within the load's budget.
        LoadCase { mltest::DoublingDefines(16), { { 1, Repeated(u"0123456789abcdef", 65536) } } }));

INSTANTIATE_TEST_SUITE_P(Escapes, MlLoads,
    ::testing::Values(LoadCase { "#1:\n#ENG a\\nb\n#2:\n#ENG a:\\/\\/b\n#3:\n#ENG c:\\\\dir\\\\\n",
                          { { 1, u"a\nb" }, { 2, u"a://b" }, { 3, u"c:\\dir\\" } } },
        // Other pairs and a final backslash stay; "\\\\n" resolves the doubled backslash first.
        LoadCase { "#1:\n#ENG \\t\\x\\\n#2:\n#ENG \\\\n", { { 1, u"\\t\\x\\" }, { 2, u"\\n" } } },
        // Escapes from defines are resolved in the stored text, where a lone backslash pairs.
        LoadCase { "#DEFINE NL \\n\n#DEFINE HALF \\\n#1:\n#ENG a$NL$b\n#2:\n#ENG $HALF$n",
            { { 1, u"a\nb" }, { 2, u"\n" } } }));

using MlDefineState = MlTest;

TEST_F(MlDefineState, NumericDefineSeesEarlierLoadsAndTheFallbackText)
{
    ML_SetString(42, "from before");
    ML_SetString(ML_FALLBACK_ID, "?");
    ASSERT_EQ(1, Load("#DEFINE N #0x2a\n#DEFINE B #5000\n#DEFINE U #77\n#1:\n#ENG $N$[$B$|$U$]"));
    EXPECT_EQ(u"from before[?|?]", Text(1));
    EXPECT_EQ(16u, ML_GetStringEx(1, nullptr));
}

TEST_F(MlDefineState, DefinesDoNotCarryFromOneLoadToTheNext)
{
    ASSERT_EQ(1, Load("#DEFINE A x\n"));
    ASSERT_EQ(0, Load("#1:\n#ENG $A$"));
    EXPECT_EQ(u"$A$ - unknown define. (line 2)", OnlyMessage());
}

TEST_F(MlDefineState, ExpansionBeyondTheLoadBudgetFailsInsteadOfGrowingWithoutBound)
{
    ASSERT_EQ(0, Load(mltest::DoublingDefines(26))); // 2^30 units
    EXPECT_EQ(u"Text is too long.", OnlyMessage().substr(0, 17));
    EXPECT_FALSE(ML_HasString(1));
}

TEST_F(MlDefineState, AnUnknownNameIsReportedBeforeTheTextIsFoundTooLong)
{
    // Entry 1 and the defines use about 3 × 2^23 of the 2^25 units; entry 2 would need 2^24 more.
    ASSERT_EQ(0, Load(mltest::DoublingDefines(19) + "#2:\n#ENG $D19$$D19$$NOPE$"));
    EXPECT_EQ(u"$NOPE$ - unknown define. (line 24)", OnlyMessage());
    EXPECT_FALSE(ML_HasString(2));
}

}
