// Wide strings: the unsigned unit comparison, plain widening and narrowing, and the comment
// stripper carrying its block-comment state from line to line.
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(WideStrings, CompareAndConvertUnitsUnsigned)
{
    EXPECT_EQ(SYS_WStrCompare(u"\u00E9", u"a"), 1u);
    EXPECT_EQ(SYS_WStrCompare(u"\uFFFF", u"\u7FFF"), 1u);
    EXPECT_EQ(SYS_WStrCompare(u"ab", u"abc"), 2u);
    char narrow[8];
    EXPECT_EQ(SYS_WStrToStr(narrow, sizeof narrow, u"\u0161\u00E9"), 2u);
    EXPECT_STREQ(narrow, "?\xE9");
    // Widening zero-extends: the byte 0xE9 is the unit 0x00E9, not 0xFFE9.
    char16_t wide[8];
    EXPECT_EQ(SYS_StrToWStr(wide, 8, "\xE9z"), 2u);
    EXPECT_EQ(std::u16string(wide), u"\u00E9z");
}

TEST(WideStrings, StripCommentsCarriesBlockAcrossLines)
{
    struct Line {
        const char16_t* text;
        const char* kept;
        uint32_t insideAfter;
    };
    // One file's lines in order; the flag runs on from each line to the next.
    const Line lines[] = {
        { u"abc // x", "abc ", 0 },
        { u"a/*b", "a", 1 },
        { u"still /* inside // too", "", 1 },
        { nullptr, "", 1 },
        { u"c*/d", "d", 0 },
        { u"x/*/y", "x", 1 }, // "/*/" opens a comment and does not close it
        { u"*/\"q // r\"", "\"q ", 0 }, // quotation marks do not protect "//"
        { u"p/*1*/q/*2*/r", "pqr", 0 },
    };
    uint32_t inside = 0;
    for (const auto& line : lines) {
        char16_t out[32];
        size_t length = SYS_WStripComments(out, 32, line.text, &inside);
        EXPECT_EQ(test::Narrow(out), line.kept) << line.kept;
        EXPECT_EQ(length, std::string(line.kept).size());
        EXPECT_EQ(inside, line.insideAfter) << line.kept;
    }
}

}
