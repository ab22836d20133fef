// The encoding decision, line ends and comments of definition files: the parts that decide
// which units a line holds before any command is read.
#include "tests/ml/ml_fixture.h"

namespace {

using mltest::MlTest;
using mltest::Utf16Bytes;

using MlEncoding = MlTest;

TEST_F(MlEncoding, Utf16FileAndItsEightBitTwinLoadTheSameEntries)
{
    // 0xE9 is a letter in both forms; the UTF-16 file has a byte-order mark, the 8-bit one none.
    const std::u16string text = u"#1:\r\n#ENG caf\u00e9 au lait\r\n#2:\n#ENG \u00ff\\n!";
    ASSERT_EQ(1, LoadBytes(Utf16Bytes(text, true)));
    std::u16string wide1 = Text(1), wide2 = Text(2);
    std::string narrow1 = ML_GetStringA(1);

    ML_Free();
    std::vector<uint8_t> eightBit;
    for (char16_t unit : text)
        eightBit.push_back(static_cast<uint8_t>(unit));
    ASSERT_EQ(1, LoadBytes(eightBit));
    EXPECT_EQ(u"caf\u00e9 au lait", Text(1));
    EXPECT_EQ(wide1, Text(1));
    EXPECT_EQ(wide2, Text(2));
    EXPECT_EQ(u"\u00ff\n!", Text(2));
    EXPECT_EQ(narrow1, ML_GetStringA(1));
    EXPECT_EQ("caf\xe9 au lait", narrow1);
}

TEST_F(MlEncoding, UnitsAboveFfKeepTheirWideFormAndNarrowToQuestionMarks)
{
    ASSERT_EQ(1, LoadBytes(Utf16Bytes(u"#3:\n#ENG \u0161koda \u4e2d", true)));
    EXPECT_EQ(u"\u0161koda \u4e2d", Text(3));
    EXPECT_STREQ("?koda ?", ML_GetStringA(3));
}

TEST_F(MlEncoding, EvenSizeWithoutAZeroHighByteIsEightBit)
{
    // 12 bytes, no zero byte anywhere: read as 8-bit, not as six UTF-16 units.
    ASSERT_EQ(12u, std::string_view("#4:\n#ENG abc").size());
    ASSERT_EQ(1, Load("#4:\n#ENG abc"));
    EXPECT_EQ(u"abc", Text(4));
}

TEST_F(MlEncoding, OddSizeIsEightBitEvenWithZeroBytes)
{
    // A zero byte at an odd offset of an odd-sized file does not make it UTF-16; the zero ends
    // only its own line's content.
    std::string bytes("#5:\n#ENG ab\0c\n#6:\n#ENG de", 25);
    ASSERT_EQ(1u, bytes.size() % 2);
    ASSERT_EQ(1, Load(bytes));
    EXPECT_EQ(u"ab", Text(5));
    EXPECT_EQ(u"de", Text(6));
}

TEST_F(MlEncoding, Utf16WithoutFinalLineFeedStoresTheLastTextExactly)
{
    // The decoded text is exactly the file's units: nothing past the last one is read.
    ASSERT_EQ(1, LoadBytes(Utf16Bytes(u"#9:\n#ENG last", false)));
    EXPECT_EQ(u"last", Text(9));
    EXPECT_EQ(4u, ML_GetStringEx(9, nullptr));
}

TEST_F(MlEncoding, EmptyAndTinyFilesLoadNothing)
{
    // A byte-order mark alone has no zero high byte: it is 8-bit text and not a command.
    EXPECT_EQ(0, LoadBytes({ 0xFF, 0xFE }));
    Errors().clear();
    EXPECT_EQ(1, Load(""));
    EXPECT_EQ(1, LoadBytes({ 0xFF, 0xFE, '\n', 0 }));
    EXPECT_EQ(1, LoadBytes({ 0x00 }));
    EXPECT_TRUE(Errors().empty());
    for (int32_t id = 0; id < ML_ENTRY_COUNT; ++id)
        EXPECT_FALSE(ML_HasString(id)) << id;
}

using MlLines = MlTest;

TEST_F(MlLines, CarriageReturnBeforeLineFeedIsDroppedAndLinesAreCounted)
{
    ASSERT_EQ(0, Load("#1:\r\n#ENG a\r\n\r\n// note\r\nbad\r\n"));
    EXPECT_EQ(u"a", Text(1));
    EXPECT_EQ(u"\"bad\"is not a command (line 5)", OnlyMessage());
    EXPECT_EQ(5, Errors()[0].line);
}

TEST_F(MlLines, SwappedCarriageReturnLineFeedUnitEndsALine)
{
    // An 8-bit "\r\n" at an odd offset of a file read as UTF-16 becomes the unit 0x0A0D.
    std::u16string text = u"#1:";
    text += char16_t(0x0A0D);
    text += u"#ENG one";
    text += char16_t(0x0A0D);
    text += u"oops";
    ASSERT_EQ(0, LoadBytes(Utf16Bytes(text, false)));
    EXPECT_EQ(u"one", Text(1));
    EXPECT_EQ(u"\"oops\"is not a command (line 3)", OnlyMessage());
}

TEST_F(MlLines, BlockCommentOpenedMidLineHidesThatLineAndRunsOnUntilClosed)
{
    // Line 2 ends inside the comment, so even its text before "/*" is ignored; line 4 resumes
    // after "*/".
    ASSERT_EQ(1,
        Load("#1:\n#ENG before /* start\n#ENG inside\nstill */ #ENG after\n#2:\n"
             "#ENG x /* short */ y\n"));
    EXPECT_EQ(u"after", Text(1));
    EXPECT_EQ(u"x  y", Text(2));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MlLines, LineCommentEndsTheContentEvenInsideQuotes)
{
    ASSERT_EQ(1,
        Load("#1:\n#ENG a://b\n#2:\n#ENG \"x // y\"\n#3:  // id of the next text\n"
             "#ENG z"));
    EXPECT_EQ(u"a:", Text(1));
    EXPECT_EQ(u"\"x", Text(2));
    EXPECT_EQ(u"z", Text(3));
}

TEST_F(MlLines, ErrorAfterAnUnclosedBlockCommentIsNeverReached)
{
    // Everything after an unclosed "/*" is comment, including lines that would be errors.
    ASSERT_EQ(1, Load("#1:\n#ENG a\n/*\nnot a command\n#ENG b"));
    EXPECT_EQ(u"a", Text(1));
    EXPECT_TRUE(Errors().empty());
}

}
