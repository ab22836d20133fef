// The encoding decision, line ends and comments of definition files: the parts that decide
// which units a line holds before any command is read.
#include "tests/ml/ml_fixture.h"

namespace {

using mltest::Entries;
using mltest::LoadCase;
using mltest::MlLoads;
using mltest::MlTest;
using mltest::Utf16;

INSTANTIATE_TEST_SUITE_P(Encoding, MlLoads,
    ::testing::Values(
        // Even size without a zero high byte is 8-bit, not six UTF-16 units.
        LoadCase { "#4:\n#ENG abc", { { 4, u"abc" } } },
        // An odd size is 8-bit even with zero bytes; a zero ends the text, so the bad line after
        // it is never read.
        LoadCase { std::string("#5:\n#ENG ab\0c\nbad line\n#6:\n#ENG def", 35), { { 5, u"ab" } } },
        LoadCase { Utf16(std::u16string(u"#7:\n#ENG x\0y\n#8:\n#ENG z", 23)), { { 7, u"x" } } },
        // UTF-16 without a byte-order mark and without a final line feed.
        LoadCase { Utf16(u"#9:\n#ENG last"), { { 9, u"last" } } },
        // An 8-bit "\r\n" at an odd offset of a file read as UTF-16 is the unit 0x0A0D.
        LoadCase {
            Utf16(u"#1:\u0A0D#ENG one\u0A0D#2:\u0A0D#ENG two"), { { 1, u"one" }, { 2, u"two" } } },
        // A byte-order mark alone with a line feed, an empty file, one zero byte.
        LoadCase { std::string("\xFF\xFE\n\0", 4), {} }, LoadCase { "", {} },
        LoadCase { std::string(1, '\0'), {} }));

INSTANTIATE_TEST_SUITE_P(Comments, MlLoads,
    ::testing::Values(
        // Line 2 ends inside the comment, so its text before "/*" goes too; line 4 resumes.
        LoadCase { "#1:\n#ENG before /* start\n#ENG inside\nstill */ #ENG after\n#2:\n"
                   "#ENG x /* short */ y\n",
            { { 1, u"after" }, { 2, u"x  y" } } },
        LoadCase { "#1:\n#ENG a://b\n#2:\n#ENG \"x // y\"\n#3:  // id of the next text\n#ENG z",
            { { 1, u"a:" }, { 2, u"\"x" }, { 3, u"z" } } },
        // Everything after an unclosed "/*" is comment, including lines that would be errors.
        LoadCase { "#1:\n#ENG a\n/*\nnot a command\n#ENG b", { { 1, u"a" } } }));

using MlEncoding = MlTest;

TEST_F(MlEncoding, Utf16FileAndItsEightBitTwinLoadTheSameEntries)
{
    const std::u16string text = u"#1:\r\n#ENG caf\u00e9 au lait\r\n#2:\n#ENG \u00ff\\n!";
    ASSERT_EQ(1, Load(Utf16(text, true)));
    const mltest::Entries wide = Stored();
    EXPECT_EQ((Entries { { 1, u"caf\u00e9 au lait" }, { 2, u"\u00ff\n!" } }), wide);
    ML_Free();
    std::string eightBit;
    for (char16_t unit : text)
        eightBit.push_back(static_cast<char>(unit));
    ASSERT_EQ(1, Load(eightBit));
    EXPECT_EQ(wide, Stored());
    EXPECT_STREQ("caf\xe9 au lait", ML_GetStringA(1));
}

TEST_F(MlEncoding, UnitsAboveFfNarrowToQuestionMarks)
{
    ASSERT_EQ(1, Load(Utf16(u"#3:\n#ENG \u0161koda \u4e2d", true)));
    EXPECT_EQ(u"\u0161koda \u4e2d", Text(3));
    EXPECT_STREQ("?koda ?", ML_GetStringA(3));
}

}
