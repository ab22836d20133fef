// patchkit dump and lint on definition files written to disk, run in process: the fixed output
// formats, errors as FILE:LINE: MESSAGE, and lint's warnings about unusable settings and
// templates.
#include "tests/tools/patchkit_test_support.h"

namespace {

using test::RunPatchkit;

class MlCommands : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes)
    {
        test::WriteBytes(m_dir.Path() / name, bytes);
        return test::PathArgument(m_dir.Path() / name);
    }
    test::TempDir m_dir;
};

using MlDump = MlCommands;

TEST_F(MlDump, PrintsEachEntryWithTextInIdOrderWithEscapes)
{
    std::string file = Write("GER.txt",
        "#20:\n#GER zwei\\nZeilen\n#3:\n#GER a\tb\\\\c\n#ENG no\n"
        "#7:\n#ENG only english\n#5:\n#GER\n#4:\n#GER caf\xe9\n");
    auto result = RunPatchkit({ "dump", file, "--lang", "GER" });
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("3\ta\\tb\\\\c\n4\tcaf\xc3\xa9\n5\t\n20\tzwei\\nZeilen\n", result.out);
    EXPECT_EQ("", result.err);
}

TEST_F(MlDump, WritesUtf16TextsAsUtf8)
{
    std::u16string text = u"#1:\n#ENG \u4e2d\U0001F600\n#2:\n#ENG x";
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    auto result = RunPatchkit({ "dump", "--lang", "ENG", Write("u16.txt", bytes) });
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("1\t\xe4\xb8\xad\xf0\x9f\x98\x80\n2\tx\n", result.out);
}

TEST_F(MlDump, DefinitionErrorGoesToStderrAsFileLineMessage)
{
    std::string file = Write("bad.txt", "#1:\n#ENG fine\n\n#ENG $MISSING$\n");
    auto result = RunPatchkit({ "dump", file, "--lang", "ENG" });
    EXPECT_EQ(1, result.status);
    EXPECT_EQ("", result.out);
    EXPECT_EQ(file + ":4: $MISSING$ - unknown define. (line 4)\n", result.err);
}

TEST_F(MlDump, UnreadableFileAndBadArgumentsFailWithOneLine)
{
    EXPECT_TRUE(test::FailsWithOneLine(
        RunPatchkit({ "dump", test::PathArgument(m_dir.Path() / "none.txt"), "--lang", "ENG" })));
    std::string file = Write("ok.txt", "#1:\n#ENG x\n");
    EXPECT_TRUE(test::FailsWithOneLine(RunPatchkit({ "dump", file })));
    EXPECT_TRUE(test::FailsWithOneLine(RunPatchkit({ "dump", file, "--lang" })));
    EXPECT_TRUE(test::FailsWithOneLine(RunPatchkit({ "dump", file, file, "--lang", "ENG" })));
    EXPECT_TRUE(
        test::FailsWithOneLine(RunPatchkit({ "dump", file, "--lang", "ENG", "--verbose" })));
}

using MlLint = MlCommands;

TEST_F(MlLint, CleanFilesPassSilently)
{
    std::string a = Write("ENG.txt", "#DEFINE G Game\n#10:\n#ENG Next in $G$\n#GER Weiter\n");
    std::string b = Write("POL.txt", "#10:\n#POL Dalej\n");
    auto result = RunPatchkit({ "lint", a, b });
    EXPECT_EQ(0, result.status) << result.out << result.err;
    EXPECT_EQ("", result.out);
    EXPECT_EQ("", result.err);
}

TEST_F(MlLint, ReportsTheFirstErrorOfEveryLanguage)
{
    // GER fails at line 3; ENG and FRA both stop at line 7, which is reported once.
    std::string file = Write("ENG.txt",
        "#1:\n#ENG ok\n#GER $X$\n#FRA d'accord\n#2:\n"
        "#ENG fine\nbroken\n");
    auto result = RunPatchkit({ "lint", file });
    EXPECT_EQ(1, result.status);
    EXPECT_EQ(file + ":7: \"broken\"is not a command (line 7)\n" + file
            + ":3: $X$ - unknown define. (line 3)\n",
        result.out);
    EXPECT_EQ("", result.err);
}

TEST_F(MlLint, GivenLanguagesAreTheOnlyOnesChecked)
{
    std::string file = Write("ENG.txt", "#1:\n#ENG ok\n#GER $X$\n");
    EXPECT_EQ(0, RunPatchkit({ "lint", file, "--lang", "ENG" }).status);
    auto result = RunPatchkit({ "lint", "--lang", "GER", file, "--lang", "ENG" });
    EXPECT_EQ(1, result.status);
    EXPECT_EQ(file + ":3: $X$ - unknown define. (line 3)\n", result.out);
}

TEST_F(MlLint, FileWithoutLanguageLinesIsStillCheckedForSyntax)
{
    std::string file = Write("defs.txt", "#DEFINE A 1\n#DEFINE A 2\n");
    auto result = RunPatchkit({ "lint", file });
    EXPECT_EQ(1, result.status);
    EXPECT_EQ(file + ":2: \"A\" already defined. (line 2)\n", result.out);
}

TEST_F(MlLint, WarnsAboutUnusableSettingsOfTheInstallerData)
{
    std::string file = Write("Patcher.TXT",
        "#308:\n#ENG 120\n#309:\n#ENG two\n#421:\n#ENG\n"
        "#422:\n#ENG 2004-04-28\n#260:\n#ENG red\n#261:\n"
        "#ENG none\n#280:\n#ENG 0xFF00FF\n#423:\n#GER x\n");
    auto result = RunPatchkit({ "lint", file });
    EXPECT_EQ(0, result.status) << result.out;
    std::string prefix = file + ": warning: id ";
    EXPECT_EQ(prefix + "309 \"two\" is not a number\n" + prefix
            + "260 \"red\" is set but is not a number\n" + prefix
            + "422 \"2004-04-28\" is not three numbers separated by \".\"\n",
        result.out);
    // Well-formed dates pass, as the installer splits them.
    file = Write("patcher.txt", "#422:\n#ENG 2004.04.28\n#423:\n#ENG 2\n");
    EXPECT_EQ("", RunPatchkit({ "lint", file }).out);
}

TEST_F(MlLint, WarnsAboutTemplatesWithWrongConversions)
{
    std::string file = Write("GER.txt",
        "#101:\n#GER Version %s noetig\n#ENG needs %d and %s\n"
        "#181:\n#GER %s %s %s (100%%)\n#ENG %s %5s\n");
    auto result = RunPatchkit({ "lint", file });
    EXPECT_EQ(0, result.status) << result.out;
    std::string prefix = file + ": warning: ENG: text ";
    EXPECT_EQ(prefix + "101 holds the conversion \"%d\"; only \"%s\" is filled in\n" + prefix
            + "181 must hold exactly 3 \"%s\" (it holds 2)\n",
        result.out);
}

TEST_F(MlLint, UnreadableFileAndBadArgumentsFailWithOneLine)
{
    std::string good = Write("ENG.txt", "#1:\n#ENG ok\n");
    auto result = RunPatchkit({ "lint", test::PathArgument(m_dir.Path() / "none.txt") });
    EXPECT_TRUE(test::FailsWithOneLine(result));
    EXPECT_TRUE(test::FailsWithOneLine(RunPatchkit({ "lint" })));
    EXPECT_TRUE(test::FailsWithOneLine(RunPatchkit({ "lint", good, "--lang" })));
    EXPECT_TRUE(test::FailsWithOneLine(RunPatchkit({ "lint", good, "--strict" })));
}

}
