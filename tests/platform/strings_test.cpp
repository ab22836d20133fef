// 8-bit strings: the signed-byte comparison, ASCII-only case changes, token splitting (in place
// and with too little room) and the path splitting rules not shown by the bounded-output table.
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(Strings, CompareUsesSignedBytes)
{
    EXPECT_EQ(SYS_StrCompare("abc", "abd"), 2u);
    EXPECT_EQ(SYS_StrCompare("abd", "abc"), 1u);
    EXPECT_EQ(SYS_StrCompare("ab", "abc"), 2u);
    EXPECT_EQ(SYS_StrCompare("", nullptr), 0u);
    // A byte of 0x80 or above is negative, so it sorts before every ASCII character.
    EXPECT_EQ(SYS_StrCompare("\xE9", "a"), 2u);
    EXPECT_EQ(SYS_StrCompare("a", "\xE9"), 1u);
}

TEST(Strings, CaseChangesOnlyAsciiLetters)
{
    char text[] = "aZ\xE9@[`{z";
    EXPECT_EQ(SYS_StrUpper(text), 8u);
    EXPECT_STREQ(text, "AZ\xE9@[`{Z");
    EXPECT_EQ(SYS_StrLower(text), 8u);
    EXPECT_STREQ(text, "az\xE9@[`{z");
}

std::string Bytes(const char* data, size_t count)
{
    return std::string(data, count);
}

TEST(Strings, SplitTokensDropsSeparatorRuns)
{
    char out[16];
    EXPECT_EQ(SYS_SplitTokens(out, sizeof out, ".1..2.", "."), 2u);
    EXPECT_EQ(Bytes(out, 5),
        Bytes("1\0"
              "2\0\0",
            5));
    EXPECT_EQ(SYS_SplitTokens(out, sizeof out, " a,,b ;c", " ,;"), 3u);
    EXPECT_EQ(Bytes(out, 7), Bytes("a\0b\0c\0\0", 7));
    EXPECT_EQ(SYS_SplitTokens(out, sizeof out, "...", "."), 0u);
    EXPECT_EQ(Bytes(out, 2), Bytes("\0\0", 2));
}

TEST(Strings, SplitTokensInPlaceAndTooSmall)
{
    char name[] = "de.txt\0"; // the spare byte takes the list's closing NUL
    EXPECT_EQ(SYS_SplitTokens(name, sizeof name, name, "."), 2u);
    EXPECT_EQ(Bytes(name, 8), Bytes("de\0txt\0\0", 8));
    // An empty text in place: two bytes hold the empty list; one byte gets only what fits.
    for (size_t capacity : { 2, 1 }) {
        test::GuardedBuffer<char> buffer(capacity, '\0');
        EXPECT_EQ(SYS_SplitTokens(buffer.Data(), capacity, buffer.Data(), "."), 0u);
        EXPECT_EQ(Bytes(buffer.Data(), capacity), Bytes("\0\0", capacity));
        EXPECT_TRUE(buffer.GuardsIntact()) << capacity;
    }
    test::GuardedBuffer<char> tight(4); // "ab.c" needs 6: an empty list instead
    EXPECT_EQ(SYS_SplitTokens(tight.Data(), 4, "ab.c", "."), 0u);
    EXPECT_EQ(Bytes(tight.Data(), 2), Bytes("\0\0", 2));
    EXPECT_TRUE(tight.GuardsIntact());
}

TEST(Strings, PathWithoutSeparatorOrName)
{
    char out[16];
    EXPECT_EQ(SYS_PathDir(out, sizeof out, "file.txt"), 8u);
    EXPECT_STREQ(out, "file.txt");
    EXPECT_EQ(SYS_PathFileName(out, sizeof out, "a/b\\c.txt"), 5u);
    EXPECT_STREQ(out, "c.txt");
    EXPECT_EQ(SYS_PathFileName(out, sizeof out, "dir/"), 0u);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(SYS_PathDir(out, sizeof out, nullptr), 0u);
    EXPECT_STREQ(out, "");
}

}
