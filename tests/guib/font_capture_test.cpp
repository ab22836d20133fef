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

TEST(FontCapture, DefaultFontHasSaneMetrics)
{
    auto font = Captured(test::DefaultLogFont(), &SETUP_OPTIONS);
    test::ExpectSaneSmallFont(*font);
}

TEST(FontCapture, CapturedFontSavesAndLoadsBackIdentical)
{
    auto font = Captured(test::DefaultLogFont(), nullptr);
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

TEST(FontCapture, VerticalOffsetMovesTheInkDown)
{
    const GUIB_FontOptions shifted { 2, 1, 0 };
    auto plain = Captured(test::DefaultLogFont(), &SETUP_OPTIONS, 'H', 1);
    auto lowered = Captured(test::DefaultLogFont(), &shifted, 'H', 1);
    GUIB_Glyph* a = nullptr;
    GUIB_Glyph* b = nullptr;
    ASSERT_TRUE(plain->GetGlyph('H', &a));
    ASSERT_TRUE(lowered->GetGlyph('H', &b));
    ASSERT_EQ(a->width, b->width);
    ASSERT_EQ(a->height, b->height);
    // 'H' has no ink in its cell's last rows (the descent), so nothing is pushed out.
    EXPECT_EQ(test::InkPixels(*a), test::InkPixels(*b));
    for (int32_t y = 0; y + 2 < int32_t(a->height); ++y)
        for (int32_t x = 0; x < int32_t(a->width); ++x)
            EXPECT_EQ(a->bitmap->GetPixel(x, y), b->bitmap->GetPixel(x, y + 2)) << x << "," << y;
    plain->ReleaseGlyph('H');
    lowered->ReleaseGlyph('H');
}

}
