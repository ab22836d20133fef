// Formatting: the byte-count formatter's unit steps, and the wide formatter, whose numbers
// must read exactly as the C library's snprintf writes them and whose text directives take
// wide ("%s") or 8-bit ("%hs") strings.
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(Format, FormatSizeUnitSteps)
{
    const std::pair<uint64_t, const char*> cases[] = {
        { 0, "0 B" },
        { 1023, "1023 B" },
        { 1024, "1.00 KB" },
        { 102399, "100.00 KB" },
        { 102400, "100 KB" },
        { 1048575, "1023 KB" },
        { 1048576, "1.00 MB" },
        { 5368709120ull, "5.00 GB" },
        { 2048ull << 40, "2048 TB" },
        { UINT64_MAX, "16777215 TB" },
    };
    for (const auto& [count, expected] : cases) {
        char16_t out[32];
        EXPECT_EQ(SYS_FormatSize(out, 32, count), std::string(expected).size());
        EXPECT_EQ(test::Narrow(out), expected);
    }
}

// Formats with SYS_WFormat and snprintf and expects the same text and length.
template <typename... Args>
void ExpectLikeSnprintf(const char16_t* wide, const char* narrow, Args... args)
{
    char expected[256];
    int expectedLength = std::snprintf(expected, sizeof expected, narrow, args...);
    char16_t actual[256];
    EXPECT_EQ(SYS_WFormat(actual, 256, wide, args...), expectedLength) << narrow;
    EXPECT_EQ(test::Narrow(actual), expected) << narrow;
}
#define EXPECT_LIKE_SNPRINTF(format, ...) ExpectLikeSnprintf(u"" format, format, __VA_ARGS__)

TEST(WideFormat, NumbersMatchTheCLibrary)
{
    EXPECT_LIKE_SNPRINTF("%d|%i|%+05d|% d|%-6d|", 0, INT_MIN, 42, 5, -7);
    EXPECT_LIKE_SNPRINTF("%05.3d|%-05d|%+.0d|", 7, -3, 0);
    EXPECT_LIKE_SNPRINTF("%x|%#08x|%#X|%#o", 255u, 255u, 0xABCu, 8u);
    EXPECT_LIKE_SNPRINTF("%hhd|%hhu|%hd|%lld|%lx", 300, 511, 70000, LLONG_MIN, ULONG_MAX);
    EXPECT_LIKE_SNPRINTF("%zu|%jd|%td", SIZE_MAX, INTMAX_MIN, PTRDIFF_MIN);
    EXPECT_LIKE_SNPRINTF("%f|%.3f|%010.2f|%-8.1f|%F", 0.0, 3.14159, -1.5, 2.25, 1e15);
    EXPECT_LIKE_SNPRINTF("%e|%E|%g|%G|%#.3g", 12345.678, 1e-10, 0.0001, 1e20, 1.0);
    EXPECT_LIKE_SNPRINTF("%08f|%-6f|", INFINITY, -INFINITY);
    EXPECT_LIKE_SNPRINTF("%*d|%-*d|%*d|", 5, 42, 5, 42, -5, 42);
    EXPECT_LIKE_SNPRINTF("%.*f|%.*f|%*.*f", 2, 1.0, -1, 1.0, 8, 3, 3.14159);
    EXPECT_LIKE_SNPRINTF("%.120d|%.0f", 1, 1e100); // longer than the formatter's small buffer
}

std::string WFormat(const char16_t* format, ...)
{
    char16_t out[64];
    va_list arguments;
    va_start(arguments, format);
    int length = SYS_WFormatV(out, 64, format, arguments);
    va_end(arguments);
    std::string text = test::Narrow(out);
    EXPECT_EQ(length, length < 0 ? -1 : static_cast<int>(text.size()));
    return length < 0 ? "error:" + text : text;
}

TEST(WideFormat, TextAndPointerDirectives)
{
    EXPECT_EQ(WFormat(u"%s|%hs|%ls", u"wide", "narrow", u"long"), "wide|narrow|long");
    EXPECT_EQ(WFormat(u"%5.2s|%-4hs|", u"abc", "x"), "   ab|x   |");
    EXPECT_EQ(WFormat(u"%s|%hs", nullptr, nullptr), "(null)|(null)");
    EXPECT_EQ(WFormat(u"%c%hc%-3c|%%", 'a', 'b', 'c'), "abc  |%");
    const char16_t unterminated[3] = { u'x', u'y', u'z' }; // precision bounds the read
    EXPECT_EQ(WFormat(u"%.3s", unterminated), "xyz");
    std::string zeros(2 * sizeof(void*), '0');
    EXPECT_EQ(WFormat(u"%p", reinterpret_cast<void*>(0xBEEF)), "0x" + zeros.substr(4) + "beef");
    // Units pass through untouched; 8-bit text widens without sign extension.
    char16_t out[8];
    EXPECT_EQ(SYS_WFormat(out, 8, u"%c%s%hs", 0x161, u"\u00E9", "\xE9"), 3);
    EXPECT_EQ(std::u16string(out), u"\u0161\u00E9\u00E9");
}

TEST(WideFormat, MalformedDirectivesFail)
{
    for (const char16_t* format :
        { u"abc%", u"%y", u"%n", u"%Lf", u"%hhs", u"%zp", u"%99999999999d" })
        EXPECT_EQ(WFormat(format, 1), "error:") << test::Narrow(format);
    EXPECT_EQ(WFormat(nullptr), "");
}

}
