// Capturing a system font into glyphs, on whichever backend is built: the toolkit's default
// font (Tahoma at height -11, characters 32..127, 8-bit drawing) must come out with sane
// metrics, survive a save and load, and honour the vertical offset.
#include "tests/guib/font_checks.h"
#include "tests/guib/record_bytes.h"

#include <gtest/gtest.h>

namespace {

using test::Held;

constexpr GUIB_FontOptions SETUP_OPTIONS { 0, 1, 0 };

Held<c_GUIB_Font> Captured(const GUIB_LogFont& logFont, const GUIB_FontOptions* options,
    uint32_t first = 32, uint32_t count = 96)
{
    Held<c_GUIB_Font> font(new c_GUIB_Font());
    EXPECT_EQ(SYS_OK, font->CreateFontFromWindows(&logFont, first, count, options));
    return font;
}

TEST(FontCapture, DefaultFontHasSaneMetricsAndCopiesIdentical)
{
    auto font = Captured(test::DefaultLogFont(), &SETUP_OPTIONS);
    test::ExpectSaneSmallFont(*font);
    Held<c_GUIB_Font> copy(new c_GUIB_Font());
    ASSERT_EQ(SYS_OK, copy->CopyFrom(*font));
    test::ExpectSameFonts(*font, *copy);
}

TEST(FontCapture, EmptyRangeAndMissingFontAreRefused)
{
    Held<c_GUIB_Font> font(new c_GUIB_Font());
    const GUIB_LogFont logFont = test::DefaultLogFont();
    EXPECT_EQ(GUIB_FONT_EMPTY_RANGE, font->CreateFontFromWindows(&logFont, 32, 0, nullptr));
    EXPECT_EQ(GUIB_FONT_NOT_CREATED, font->CreateFontFromWindows(nullptr, 32, 1, nullptr));
    EXPECT_EQ(0u, font->GetGlyphCount());
}

TEST(FontCapture, RangePastTheLastWideCharacterStopsThere)
{
    auto font = Captured(test::DefaultLogFont(), nullptr, 0xFFFE, 0xFFFFFFFF);
    for (uint32_t code : test::CodesOf(*font))
        EXPECT_GE(code, 0xFFFEu);
}

// 'H' has no ink in its cell's last rows (the descent), so a shift of 2 pushes nothing out.
TEST(FontCapture, VerticalOffsetMovesTheInkDown)
{
    const GUIB_FontOptions shifted { 2, 1, 0 };
    const test::GlyphCopy plain
        = test::GlyphOf(*Captured(test::DefaultLogFont(), &SETUP_OPTIONS, 'H', 1), 'H');
    test::GlyphCopy lowered
        = test::GlyphOf(*Captured(test::DefaultLogFont(), &shifted, 'H', 1), 'H');
    ASSERT_GT(plain.height, 2u);
    ASSERT_EQ(plain.pixels.size(), lowered.pixels.size());
    EXPECT_EQ(test::InkPixels(plain), test::InkPixels(lowered));
    lowered.pixels.erase(lowered.pixels.begin(), lowered.pixels.begin() + 2 * plain.width);
    lowered.pixels.resize(plain.pixels.size());
    EXPECT_EQ(plain, lowered);
}

}
