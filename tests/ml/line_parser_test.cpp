// Commands of definition lines: ids, language texts, other languages and unknown commands, the
// mended handling of texts without a usable id, and what stays after an error.
#include "tests/ml/ml_fixture.h"

namespace {

using mltest::MlTest;

using MlParser = MlTest;

TEST_F(MlParser, EachLanguageLoadsItsOwnLines)
{
    const char* file = "#301:\n#ENG Next\n#GER Weiter\n#302:\n#GER Nur deutsch\n";
    ASSERT_EQ(1, Load(file, "ENG"));
    EXPECT_EQ(u"Next", Text(301));
    EXPECT_FALSE(ML_HasString(302));
    ML_Free();
    ASSERT_EQ(1, Load(file, "GER"));
    EXPECT_EQ(u"Weiter", Text(301));
    EXPECT_EQ(u"Nur deutsch", Text(302));
}

TEST_F(MlParser, CommandIsUpperCasedButTheLanguageCodeIsNot)
{
    ASSERT_EQ(1, Load("#1:\n#eng Text\n#Eng More", "ENG"));
    EXPECT_EQ(u"More", Text(1));
    ML_Free();
    // A lower-case code matches no upper-cased command.
    ASSERT_EQ(1, Load("#1:\n#eng Text", "eng"));
    EXPECT_FALSE(ML_HasString(1));
}

TEST_F(MlParser, TextIsTrimmedAndALaterLineReplacesAnEarlierOne)
{
    ASSERT_EQ(1, Load("  #12:\t\n\t#ENG \t  two  words \t\r\n#12:\n#ENG final"));
    EXPECT_EQ(u"final", Text(12));
    ASSERT_EQ(1, Load("#13:\n#ENG \t  two  words \t\r\n#14:\n#ENG"));
    EXPECT_EQ(u"two  words", Text(13));
    // A language command without text stores the empty text, which is a text of its own.
    EXPECT_TRUE(ML_HasString(14));
    EXPECT_EQ(u"", Text(14));
}

TEST_F(MlParser, OtherCommandsAndBlankLinesAreIgnored)
{
    ASSERT_EQ(1, Load("\n   \n\t\r\n#1:\n#FRA Suivant\n#WHATEVER 1 2 3\n#ENG ok\n"));
    EXPECT_EQ(u"ok", Text(1));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MlParser, IdsAreDecimalOnly)
{
    ASSERT_EQ(1, Load("#0:\n#ENG zero\n#1000:\n#ENG last\n#007:\n#ENG seven"));
    EXPECT_EQ(u"zero", Text(0));
    EXPECT_EQ(u"last", Text(1000));
    EXPECT_EQ(u"seven", Text(7));
    // "0x" has become "0X" by the time the number is read, and is refused.
    ASSERT_EQ(0, Load("#0x10:\n#ENG sixteen"));
    EXPECT_EQ(u"\"0X10\" is not number. (line 1)", OnlyMessage());
    EXPECT_FALSE(ML_HasString(16));
}

TEST_F(MlParser, EntriesStoredBeforeAnErrorStay)
{
    ASSERT_EQ(0, Load("#1:\n#ENG kept\n#2:\n#ENG also kept\nbroken line\n#3:\n#ENG never"));
    EXPECT_EQ(u"kept", Text(1));
    EXPECT_EQ(u"also kept", Text(2));
    EXPECT_FALSE(ML_HasString(3));
}

TEST_F(MlParser, TextBeforeTheFirstIdFailsWithoutChangingAnyEntry)
{
    ML_SetString(0, "zero");
    ASSERT_EQ(0, Load("#ENG Hello\n#1:\n#ENG World"));
    EXPECT_EQ(u"Text without id. (line 1)", OnlyMessage());
    EXPECT_EQ(u"zero", Text(0));
    for (int32_t id = 1; id < ML_ENTRY_COUNT; ++id)
        ASSERT_FALSE(ML_HasString(id)) << id;
    // Texts of other languages before the first id are ignored like any other of their lines.
    ASSERT_EQ(1, Load("#GER Hallo\n#1:\n#ENG World"));
    EXPECT_EQ(u"World", Text(1));
}

TEST_F(MlParser, IdsOutsideTheTableFailWhenATextIsStoredForThem)
{
    ASSERT_EQ(0, Load("#1001:\n#GER ignored\n#ENG x"));
    EXPECT_EQ(u"Id 1001 is out of range. (line 3)", OnlyMessage());
    Errors().clear();
    ASSERT_EQ(0, Load("#-5:\n#ENG x"));
    EXPECT_EQ(u"Id -5 is out of range. (line 2)", OnlyMessage());
    for (int32_t id = 0; id < ML_ENTRY_COUNT; ++id)
        ASSERT_FALSE(ML_HasString(id)) << id;
    // An out-of-range id that carries no text of the language is harmless.
    Errors().clear();
    ASSERT_EQ(1, Load("#5000:\n#GER x\n#1:\n#ENG y"));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MlParser, LengthCountsUnitsBeforeEscapes)
{
    ASSERT_EQ(1, Load("#1:\n#ENG a\\nb"));
    const char* text = nullptr;
    EXPECT_EQ(4u, ML_GetStringEx(1, &text));
    EXPECT_STREQ("a\nb", text);
}

}
