// Defines and their substitution, and the escapes resolved when a text is stored.
#include "tests/ml/ml_fixture.h"

namespace {

using mltest::MlTest;

using MlDefines = MlTest;

TEST_F(MlDefines, TextDefineIsSubstitutedBetweenDollarSigns)
{
    ASSERT_EQ(1,
        Load("#DEFINE GAME Space Race\n#1:\n#ENG Welcome to $GAME$!\n"
             "#2:\n#ENG $GAME$$GAME$"));
    EXPECT_EQ(u"Welcome to Space Race!", Text(1));
    EXPECT_EQ(u"Space RaceSpace Race", Text(2));
    EXPECT_EQ(22u, ML_GetStringEx(1, nullptr));
}

TEST_F(MlDefines, DefineValueIsTrimmedAndSubstitutedWhenDefined)
{
    ASSERT_EQ(1, Load("#DEFINE A  alpha \t\n#DEFINE B [$A$]\n#1:\n#ENG $B$"));
    EXPECT_EQ(u"[alpha]", Text(1));
}

TEST_F(MlDefines, NumericDefineReadsTheEntrysCurrentText)
{
    ASSERT_EQ(1,
        Load("#301:\n#ENG old\n#DEFINE T #301\n#1:\n#ENG [$T$]\n"
             "#301:\n#ENG new\n#2:\n#ENG [$T$]"));
    EXPECT_EQ(u"[old]", Text(1));
    EXPECT_EQ(u"[new]", Text(2));
}

TEST_F(MlDefines, NumericDefineSeesEntriesOfEarlierLoads)
{
    ML_SetString(42, "from before");
    ASSERT_EQ(1, Load("#DEFINE N #0x2a\n#1:\n#ENG $N$"));
    EXPECT_EQ(u"from before", Text(1));
}

TEST_F(MlDefines, NumericDefineOfABadIdOrAnEmptyEntryGivesTheFallback)
{
    ASSERT_EQ(1,
        Load("#DEFINE N #5000\n#DEFINE U #77\n#DEFINE M #-1\n"
             "#1:\n#ENG [$N$]\n#2:\n#ENG [$U$]\n#3:\n#ENG [$M$]"));
    EXPECT_EQ(u"[]", Text(1));
    EXPECT_EQ(u"[]", Text(2));
    EXPECT_EQ(u"[]", Text(3));
    // Once entry 1000 holds a text, that text stands in.
    ML_SetString(ML_FALLBACK_ID, "?");
    ASSERT_EQ(1, Load("#DEFINE N #5000\n#DEFINE U #77\n#1:\n#ENG [$N$|$U$]"));
    EXPECT_EQ(u"[?|?]", Text(1));
}

TEST_F(MlDefines, NumericDefineCopiesTheEntrysTextNotItsLongerStoredLength)
{
    // Entry 301 has 5 units but a stored length of 7 (counted before its escapes).
    ASSERT_EQ(1, Load("#301:\n#ENG a\\nb\\nc\n#DEFINE T #301\n#1:\n#ENG [$T$]"));
    EXPECT_EQ(7u, ML_GetStringEx(301, nullptr));
    EXPECT_EQ(u"[a\nb\nc]", Text(1));
    EXPECT_EQ(7u, ML_GetStringEx(1, nullptr));
}

TEST_F(MlDefines, FailedSubstitutionInAValueLeavesTheDefineEmptyWithoutAMessage)
{
    ASSERT_EQ(1, Load("#DEFINE A x$NOPE$y\n#DEFINE B 100$\n#1:\n#ENG <$A$|$B$>"));
    EXPECT_EQ(u"<|>", Text(1));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MlDefines, DefinesDoNotCarryFromOneLoadToTheNext)
{
    ASSERT_EQ(1, Load("#DEFINE A x\n"));
    ASSERT_EQ(0, Load("#1:\n#ENG $A$"));
    EXPECT_EQ(u"$A$ - unknown define. (line 2)", OnlyMessage());
}

TEST_F(MlDefines, NamesCompareAsEightBitText)
{
    // U+0161 narrows to "?", so it names the same define as a literal "?".
    ASSERT_EQ(1, LoadBytes(mltest::Utf16Bytes(u"#DEFINE a? one\n#1:\n#ENG $a\u0161$", false)));
    EXPECT_EQ(u"one", Text(1));
    ASSERT_EQ(0, LoadBytes(mltest::Utf16Bytes(u"#DEFINE a? one\n#DEFINE a\u0161 two", false)));
    EXPECT_EQ(u"\"a\u0161\" already defined. (line 2)", OnlyMessage());
}

TEST_F(MlDefines, ExpansionBeyondTheLoadBudgetFailsInsteadOfGrowingWithoutBound)
{
    // Each define doubles the one before: 2^30 units at the end, far past the budget.
    std::string file = "#DEFINE D0 0123456789abcdef\n";
    for (int i = 1; i <= 26; ++i)
        file += "#DEFINE D" + std::to_string(i) + " $D" + std::to_string(i - 1) + "$$D"
            + std::to_string(i - 1) + "$\n";
    file += "#1:\n#ENG $D26$\n";
    ASSERT_EQ(0, Load(file));
    ASSERT_EQ(1u, Errors().size());
    EXPECT_EQ(u"Text is too long.", Errors()[0].message.substr(0, 17));
    EXPECT_FALSE(ML_HasString(1));
}

TEST_F(MlDefines, LargeExpansionWithinTheBudgetLoads)
{
    // 2^20 units (one mebi-unit) is well within the budget.
    std::string file = "#DEFINE D0 0123456789abcdef\n";
    for (int i = 1; i <= 16; ++i)
        file += "#DEFINE D" + std::to_string(i) + " $D" + std::to_string(i - 1) + "$$D"
            + std::to_string(i - 1) + "$\n";
    file += "#1:\n#ENG $D16$\n";
    ASSERT_EQ(1, Load(file));
    EXPECT_EQ(size_t { 1 } << 20, Text(1).size());
}

using MlEscapes = MlTest;

TEST_F(MlEscapes, LineFeedBackslashAndSlashAreResolved)
{
    ASSERT_EQ(1, Load("#1:\n#ENG a\\nb\n#2:\n#ENG a:\\/\\/b\n#3:\n#ENG c:\\\\dir\\\\\n"));
    EXPECT_EQ(u"a\nb", Text(1));
    EXPECT_EQ(u"a://b", Text(2));
    EXPECT_EQ(u"c:\\dir\\", Text(3));
}

TEST_F(MlEscapes, OtherPairsAndAFinalBackslashStay)
{
    ASSERT_EQ(1, Load("#1:\n#ENG \\t\\x\\\n#2:\n#ENG \\\\n"));
    EXPECT_EQ(u"\\t\\x\\", Text(1));
    // The doubled backslash is resolved first, so the n stays a letter.
    EXPECT_EQ(u"\\n", Text(2));
}

TEST_F(MlEscapes, EscapesInDefinesAreResolvedWhenTheTextIsStored)
{
    ASSERT_EQ(1, Load("#DEFINE NL \\n\n#DEFINE HALF \\\n#1:\n#ENG a$NL$b\n#2:\n#ENG $HALF$n"));
    EXPECT_EQ(u"a\nb", Text(1));
    // A backslash from a define pairs with the unit after it once both are in the text.
    EXPECT_EQ(u"\n", Text(2));
}

}
