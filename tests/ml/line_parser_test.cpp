// Commands of definition lines: ids, language texts, other languages and unknown commands.
// Failing lines are in errors_test.cpp.
#include "tests/ml/ml_fixture.h"

namespace {

using mltest::LoadCase;
using mltest::MlLoads;
using mltest::MlTest;

TEST_P(MlLoads, LoadsExactlyTheseEntries)
{
    ASSERT_EQ(1, Load(GetParam().file, GetParam().language));
    EXPECT_EQ(u"<no messages>", OnlyMessage());
    EXPECT_EQ(GetParam().stored, Stored());
}

constexpr const char* TWO_LANGUAGES = "#301:\n#ENG Next\n#GER Weiter\n#302:\n#GER Nur deutsch\n";

INSTANTIATE_TEST_SUITE_P(Commands, MlLoads,
    ::testing::Values(LoadCase { TWO_LANGUAGES, { { 301, u"Next" } } },
        LoadCase { TWO_LANGUAGES, { { 301, u"Weiter" }, { 302, u"Nur deutsch" } }, "GER" },
        // The command is upper-cased, the language code is not.
        LoadCase { "#1:\n#eng Text\n#Eng More", { { 1, u"More" } } },
        LoadCase { "#1:\n#eng Text", {}, "eng" },
        // Trimmed texts; a later line replaces an earlier one; an empty text is a text.
        LoadCase {
            "  #12:\t\n\t#ENG \t  two  words \t\r\n#13:\n#ENG x\n#13:\n#ENG final\n#14:\n#ENG",
            { { 12, u"two  words" }, { 13, u"final" }, { 14, u"" } } },
        LoadCase { "\n   \n\t\r\n#1:\n#FRA Suivant\n#WHATEVER 1 2 3\n#ENG ok\n", { { 1, u"ok" } } },
        LoadCase { "#0:\n#ENG zero\n#1000:\n#ENG last\n#007:\n#ENG seven",
            { { 0, u"zero" }, { 7, u"seven" }, { 1000, u"last" } } },
        // Other languages' texts before the first id, or under an id outside the table, are
        // ignored like any other of their lines.
        LoadCase { "#GER Hallo\n#5000:\n#GER x\n#1:\n#ENG World", { { 1, u"World" } } }));

using MlLength = MlTest;

TEST_F(MlLength, CountsUnitsBeforeEscapes)
{
    ASSERT_EQ(1, Load("#1:\n#ENG a\\nb"));
    const char* text = nullptr;
    EXPECT_EQ(4u, ML_GetStringEx(1, &text));
    EXPECT_STREQ("a\nb", text);
}

}
