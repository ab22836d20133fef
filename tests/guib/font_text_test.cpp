// Text layout with a fixed font built here, so every position is exact on every system:
// measuring and placing by alignment flags, drawing and tinting, word wrapping with its last
// line and "...", the wrapped height, the two character sizes, and very long or wide texts.
#include "tests/guib/font_checks.h"
#include "tests/guib/geometry_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int32_t LINE = 10;
constexpr uint32_t INK = 0xFF203040;

// Letters, digits, 0xE9 and 0x161 are 6 pixels wide with ink in their first 5 columns; '.' is 2
// wide with ink in its first; a space is 4 wide without ink; '~' is 6 wide with an overlap of 2.
// Leaked or doubly released glyph pins show as leaks or use after free when the font goes.
class FontText : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string glyphs = "0123456789\xE9";
        for (char c = 'a'; c <= 'z'; ++c)
            glyphs += { c, char(c - 'a' + 'A') };
        for (char c : glyphs)
            Add(uint8_t(c), 6, 5, 0);
        Add(0x161, 6, 5, 0); // shares its low byte with 'a'
        Add('.', 2, 1, 0);
        Add(' ', 4, 0, 0);
        Add('~', 6, 6, 2);
        font.SetHeader(GUIB_FONT_COVERAGE, LINE, 8);
    }
    void Add(uint32_t code, uint32_t width, uint32_t inkColumns, uint32_t overlap)
    {
        std::vector<uint8_t> coverage(width * LINE);
        for (size_t i = 0; i < coverage.size(); ++i)
            coverage[i] = i % width < inkColumns ? 255 : 0;
        ASSERT_EQ(SYS_OK, font.AddCoverageGlyph(code, width, LINE, overlap, coverage.data()));
    }
    GUIB_Rect Measure(const char* text, GUIB_Rect r, uint32_t flags) const
    {
        font.MeasureText(text, &r, flags);
        return r;
    }
    // What OutTextRect into r must draw: each line with OutText, one line height apart.
    std::vector<uint32_t> Lines(const std::vector<const char*>& lines, const GUIB_Rect& r) const
    {
        c_GUIB_Bitmap bitmap(200, 100);
        for (size_t i = 0; i < lines.size(); ++i)
            font.OutText(&bitmap, INK, r.left, r.top + int32_t(i) * LINE, lines[i]);
        return test::PixelsOf(bitmap);
    }
    template <typename Char> std::vector<uint32_t> Wrapped(const Char* text, const GUIB_Rect& r)
    {
        c_GUIB_Bitmap bitmap(200, 100);
        font.OutTextRect(&bitmap, INK, text, &r);
        return test::PixelsOf(bitmap);
    }

    c_GUIB_Font font;
};

// The inked runs of one row as (first column, length).
std::vector<std::pair<int32_t, int32_t>> InkRuns(const c_GUIB_Bitmap& bitmap, int32_t y)
{
    std::vector<std::pair<int32_t, int32_t>> runs;
    int32_t width = test::SizeOf(bitmap).first;
    for (int32_t x = 0; x < width; ++x) {
        if ((bitmap.GetPixel(x, y) >> 24) == 0)
            continue;
        if (runs.empty() || runs.back().first + runs.back().second != x)
            runs.emplace_back(x, 0);
        ++runs.back().second;
    }
    return runs;
}

// Each byte as the wide character of the same code 0 to 255.
std::u16string Widened(const std::string& text)
{
    std::u16string wide;
    for (char c : text)
        wide += char16_t(uint8_t(c));
    return wide;
}

TEST_F(FontText, MeasureTextPlacesByFlags)
{
    const struct {
        const char* text;
        GUIB_Rect given;
        uint32_t flags;
        GUIB_Rect placed;
    } cases[] = {
        { "ab\n", { 0, 0, 100, 100 }, 5, { 0, 0, 12, 20 } }, // a trailing line feed is a line
        { "\n", { 0, 0, 100, 100 }, 5, { 0, 0, 0, 10 } },
        { "", { 7, 9, 100, 100 }, 5, { 7, 9, 7, 9 } },
        { "ab", { 3, 4, 100, 100 }, 0, { 3, 4, 15, 14 } }, // 0 is left and top
        { "abcde", { 10, 20, 110, 50 }, GUIB_ALIGN_RIGHT, { 80, 20, 110, 50 } },
        { "abcde", { 0, 0, 101, 10 }, GUIB_ALIGN_HCENTRE, { 35, 0, 65, 10 } },
        { "abcdef", { 0, 0, 11, 10 }, GUIB_ALIGN_HCENTRE, { -12, 0, 24, 10 } }, // -25 / 2 = -12
        { "a\nb", { 0, 0, 50, 50 }, GUIB_ALIGN_BOTTOM, { 0, 30, 50, 50 } },
        { "a", { 0, 0, 10, 25 }, GUIB_ALIGN_VCENTRE, { 0, 7, 10, 17 } },
        { "a", { 5, 0, 50, 9 }, GUIB_ALIGN_LEFT | GUIB_ALIGN_RIGHT, { 5, 0, 11, 9 } },
        { "abc\na", { 0, 0, 99, 99 }, GUIB_ALIGN_RIGHT | GUIB_ALIGN_HCENTRE, { 40, 0, 58, 99 } },
        { "~~", { 0, 0, 99, 99 }, 5, { 0, 0, 10, 10 } }, // the overlap only between characters
        { "~~\n", { 0, 0, 99, 99 }, 5, { 0, 0, 8, 20 } }, // and before a line feed
        { "a\x01"
          "b",
            { 0, 0, 99, 99 }, 5, { 0, 0, 12, 10 } }, // no glyph: no room
        { "\x01", { 0, 0, 99, 99 }, 5, { 0, 0, 0, 0 } },
        { "\xE9\xE9", { 0, 0, 99, 99 }, 5, { 0, 0, 12, 10 } }, // codes above 127
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.placed, Measure(c.text, c.given, c.flags)) << c.text;
}

// A 21-pixel text overhangs a 10-pixel rectangle by 6 above and 5 below: the half of -11 is
// taken toward zero.
TEST_F(FontText, VerticalCentringOfATallerText)
{
    font.SetHeader(GUIB_FONT_COVERAGE, 21, 8);
    EXPECT_EQ((GUIB_Rect { 0, -6, 10, 15 }), Measure("a", { 0, 0, 10, 10 }, GUIB_ALIGN_VCENTRE));
}

TEST_F(FontText, OutTextAdvancesAndReturnsAtLineFeeds)
{
    c_GUIB_Bitmap bitmap(60, 30);
    font.OutText(&bitmap, INK, 3, 2, "a.b\n\xE9");
    using Runs = std::vector<std::pair<int32_t, int32_t>>;
    EXPECT_EQ((Runs { { 3, 5 }, { 9, 1 }, { 11, 5 } }), InkRuns(bitmap, 2));
    EXPECT_EQ((Runs { { 3, 5 } }), InkRuns(bitmap, 12));
    EXPECT_EQ(INK, bitmap.GetPixel(3, 11));
    EXPECT_EQ(0u, bitmap.GetPixel(3, 22)); // 10 rows a line
    // Nothing to draw on or with.
    font.OutText(nullptr, INK, 0, 0, "a");
    font.OutText(&bitmap, INK, 0, 0, static_cast<const char*>(nullptr));
    font.OutTextRect(&bitmap, INK, "a", nullptr);
    font.MeasureText("a", nullptr, 5);
}

// Coverage glyphs take the text colour once and keep it; other fonts draw their glyphs as
// they are.
TEST_F(FontText, CoverageGlyphsAreTintedOnceAndKeepTheColour)
{
    c_GUIB_Bitmap bitmap(20, 10);
    font.OutText(&bitmap, 0xFFFF0000, 0, 0, "a");
    EXPECT_EQ(0xFFFF0000u, bitmap.GetPixel(0, 0));
    EXPECT_EQ(0xFFFF0000u, test::GlyphOf(font, 'a').tintColour);
    EXPECT_EQ(0xFF000000u, test::GlyphOf(font, 'b').tintColour);
    font.SetHeader(0, LINE, 8);
    font.OutText(&bitmap, 0xFF00FF00, 6, 0, "ab");
    EXPECT_EQ(0xFFFF0000u, bitmap.GetPixel(6, 0));
    EXPECT_EQ(0xFF000000u, bitmap.GetPixel(12, 0));
}

TEST_F(FontText, OutTextRectWrapsWordsAndEndsWithAnEllipsis)
{
    const struct {
        const char* text;
        int32_t width;
        int32_t height;
        std::vector<const char*> lines;
    } cases[] = {
        { "aaa bbb ccc", 40, 90, { "aaa bbb", "ccc" } }, // the space after bbb does not fit
        { "aaa bbb  ccc", 40, 90, { "aaa bbb", "ccc" } }, // leading spaces are not drawn
        { "aa bbb", 23, 90, { "aa", "bbb" } }, // the word goes whole
        { "abcdefgh", 20, 90, { "abc", "def", "gh" } }, // too wide: broken by character
        { "aa bbbbbbbb", 20, 90, { "aa b", "bbb", "bbb", "b" } },
        { "ab\n\ncd", 100, 90, { "ab", "", "cd" } },
        { "aaaa bbbb", 40, 15, { "aaaa b..." } }, // less than two lines high: one line
        { "aaaa bbbb", 40, 5, { "aaaa b..." } },
        { "aaaa bb", 40, 15, { "aaaa bb" } }, // the rest fits without "..."
        { "aa\nbb", 100, 15, { "aa" } }, // a line feed on the last line ends it
        { "aaa bbb ccc dddd", 40, 25, { "aaa bbb", "ccc dd..." } },
        { "aaa bbb ccc dddd", 40, 30, { "aaa bbb", "ccc", "dddd" } }, // two more lines fit
        { "ab", 4, 15, { "..." } }, // narrower than "...": it still marks the cut
        { "", 40, 90, {} },
    };
    for (const auto& c : cases) {
        const GUIB_Rect r { 5, 3, 5 + c.width, 3 + c.height };
        EXPECT_EQ(Lines(c.lines, r), Wrapped(c.text, r)) << c.text << " in " << r;
    }
}

// With room for every line, OutTextRect draws exactly the lines MeasureWrappedHeight counts.
TEST_F(FontText, WrappedHeightCountsTheLinesDrawn)
{
    const char* texts[]
        = { "aaa bbb ccc", "abcdefgh", "a\n\nb", "aa bbbbbbbb", " x y z w", "ab cd\nef gh ij" };
    for (const char* text : texts)
        for (int32_t width : { 0, 7, 20, 40, 200 }) {
            c_GUIB_Bitmap bitmap(200, 200);
            const GUIB_Rect r { 0, 0, width, 100000 };
            font.OutTextRect(&bitmap, INK, text, &r);
            int32_t lowest = -1;
            for (int32_t y = 0; y < 200; ++y)
                if (!InkRuns(bitmap, y).empty())
                    lowest = y;
            EXPECT_EQ(lowest + 1, font.MeasureWrappedHeight(text, width)) << text << " " << width;
        }
    EXPECT_EQ(0, font.MeasureWrappedHeight("", 50));
    EXPECT_EQ(0, font.MeasureWrappedHeight(static_cast<const char16_t*>(nullptr), 50));
    EXPECT_EQ(10, font.MeasureWrappedHeight("\x01", 50));
    font.SetHeader(GUIB_FONT_COVERAGE, 0, 0); // not loaded: nothing to count in
    EXPECT_EQ(0, font.MeasureWrappedHeight("aaa bbb", 0));
}

// Both character sizes run the same layout; 8-bit characters are codes 0 to 255.
TEST_F(FontText, WideAndEightBitTextsLayOutAlike)
{
    const std::string texts[] = { "aaa bbb ccc dddd", "\xE9\xE9 \xE9\n.~~ x\x01y",
        " lead\n\ntrail ", "abcdefghijklmnopqrstuvwxyz0123456789" };
    const GUIB_Rect r { 2, 1, 42, 31 };
    for (const std::string& text : texts) {
        const std::u16string wide = Widened(text);
        EXPECT_EQ(Wrapped(text.c_str(), r), Wrapped(wide.c_str(), r)) << text;
        EXPECT_EQ(font.MeasureWrappedHeight(text.c_str(), 30),
            font.MeasureWrappedHeight(wide.c_str(), 30));
        GUIB_Rect narrow = r;
        GUIB_Rect wideRect = r;
        font.MeasureText(text.c_str(), &narrow, GUIB_ALIGN_HCENTRE | GUIB_ALIGN_BOTTOM);
        font.MeasureText(wide.c_str(), &wideRect, GUIB_ALIGN_HCENTRE | GUIB_ALIGN_BOTTOM);
        EXPECT_EQ(narrow, wideRect) << text;
        c_GUIB_Bitmap narrowOut(100, 40);
        c_GUIB_Bitmap wideOut(100, 40);
        font.OutText(&narrowOut, INK, 1, 1, text.c_str());
        font.OutText(&wideOut, INK, 1, 1, wide.c_str());
        EXPECT_EQ(test::PixelsOf(narrowOut), test::PixelsOf(wideOut)) << text;
    }
    // Wide codes that share a low byte are different characters, each with its own glyph.
    EXPECT_EQ(Wrapped("aaaa aa", r), Wrapped(u"a\u0161a\u0161 a\u0161", r));
    GUIB_Rect placed { 0, 0, 9, 9 };
    font.MeasureText(u"\u0162", &placed, 5);
    EXPECT_EQ((GUIB_Rect { 0, 0, 0, 0 }), placed);
}

// A long tail of characters that take no room on the last line: each of them asks whether the
// rest (here a final '.') fits, which must not walk the whole rest each time.
TEST_F(FontText, LongTailOnTheLastLineTakesLinearTime)
{
    const std::string text = "aaaaaa" + std::string(300000, '\x01') + ".";
    const GUIB_Rect r { 5, 3, 45, 13 };
    EXPECT_EQ(Lines({ "aaaaaa." }, r), Wrapped(text.c_str(), r));
    EXPECT_EQ(10, font.MeasureWrappedHeight(text.c_str(), 40));
}

// Sums beyond 32 bits saturate instead of wrapping: 40000 glyphs of 65535 pixels.
TEST_F(FontText, WidthsBeyondTheIntegerRangeSaturate)
{
    const std::vector<uint8_t> coverage(65535, 255);
    ASSERT_EQ(SYS_OK, font.AddCoverageGlyph('#', 65535, 1, 0, coverage.data()));
    const std::string text(40000, '#');
    EXPECT_EQ((GUIB_Rect { 0, 0, INT32_MAX, 10 }), Measure(text.c_str(), { 0, 0, 1, 1 }, 5));
    EXPECT_EQ((GUIB_Rect { INT32_MIN, 0, 1, 1 }),
        Measure(text.c_str(), { 0, 0, 1, 1 }, GUIB_ALIGN_RIGHT));
    c_GUIB_Bitmap bitmap(20, 20);
    const GUIB_Rect r { INT32_MIN, 0, INT32_MAX, 20 };
    font.OutTextRect(&bitmap, INK, text.c_str(), &r);
    EXPECT_EQ(INK, bitmap.GetPixel(0, 0)); // glyph 32768 lies at -32768 + 65535 wide
    EXPECT_EQ(10 * 40000, font.MeasureWrappedHeight(text.c_str(), 0));
}

}
