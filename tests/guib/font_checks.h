// Checks shared by the font tests: two fonts with the same glyphs, metrics and flags, the codes
// of a font, and the sanity of a font captured from a system font on either backend.
#pragma once

#include "tests/guib/bitmap_checks.h"

#include <gtest/gtest.h>

#include <vector>

namespace test {

inline std::vector<uint32_t> CodesOf(const c_GUIB_Font& font)
{
    uint32_t* codes = nullptr;
    uint32_t count = 0;
    EXPECT_EQ(SYS_OK, font.ListCharacters(&codes, &count));
    std::vector<uint32_t> list;
    for (uint32_t i = 0; i < count; ++i)
        list.push_back(codes[i]);
    SYS_Free(codes);
    return list;
}

inline void ExpectSameFonts(const c_GUIB_Font& expected, const c_GUIB_Font& actual)
{
    int32_t expectedHeight = 0, expectedAscent = 0, height = 0, ascent = 0;
    (void)expected.GetMetrics(&expectedHeight, &expectedAscent);
    (void)actual.GetMetrics(&height, &ascent);
    EXPECT_EQ(expectedHeight, height);
    EXPECT_EQ(expectedAscent, ascent);
    EXPECT_EQ(expected.GetFlags(), actual.GetFlags());
    const std::vector<uint32_t> codes = CodesOf(expected);
    ASSERT_EQ(codes, CodesOf(actual));
    for (uint32_t code : codes) {
        GUIB_Glyph* a = nullptr;
        GUIB_Glyph* b = nullptr;
        ASSERT_TRUE(expected.GetGlyph(code, &a));
        ASSERT_TRUE(actual.GetGlyph(code, &b));
        EXPECT_EQ(a->width, b->width) << code;
        EXPECT_EQ(a->height, b->height) << code;
        EXPECT_EQ(a->overlap, b->overlap) << code;
        EXPECT_EQ(a->tintColour, b->tintColour) << code;
        EXPECT_NE(a->bitmap, b->bitmap);
        EXPECT_EQ(PixelsOf(*a->bitmap), PixelsOf(*b->bitmap)) << code;
        expected.ReleaseGlyph(code);
        actual.ReleaseGlyph(code);
    }
}

// Coverage pixels of a glyph whose colour bytes are all 0 (black ink).
inline int InkPixels(const GUIB_Glyph& glyph)
{
    int32_t width = 0;
    int32_t height = 0;
    glyph.bitmap->GetSize(&width, &height);
    int ink = 0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t pixel = glyph.bitmap->GetPixel(x, y);
            EXPECT_EQ(0u, pixel & 0x00FFFFFF);
            ink += (pixel >> 24) != 0;
        }
    return ink;
}

// What any capture of a small interface font (an 11-pixel sans face, characters 32..127) must
// give, whichever renderer made it.
inline void ExpectSaneSmallFont(const c_GUIB_Font& font)
{
    int32_t height = 0;
    int32_t ascent = 0;
    (void)font.GetMetrics(&height, &ascent);
    EXPECT_GE(height, 10);
    EXPECT_LE(height, 18);
    EXPECT_GE(ascent, 7);
    EXPECT_LT(ascent, height);
    EXPECT_TRUE(font.IsLoaded());
    EXPECT_EQ(GUIB_FONT_COVERAGE, font.GetFlags() & GUIB_FONT_COVERAGE);
    EXPECT_GE(font.GetGlyphCount(), 95u); // every printable ASCII character
    for (uint32_t code = 33; code < 127; ++code) {
        GUIB_Glyph* glyph = nullptr;
        ASSERT_TRUE(font.GetGlyph(code, &glyph)) << code;
        EXPECT_GE(glyph->width, 1u) << code;
        EXPECT_LE(glyph->width, 16u) << code;
        EXPECT_EQ(uint32_t(height), glyph->height) << code;
        EXPECT_LE(glyph->overlap, 4u) << code;
        EXPECT_EQ(0xFF000000u, glyph->tintColour);
        EXPECT_GT(InkPixels(*glyph), 0) << code;
        font.ReleaseGlyph(code);
    }
    GUIB_Glyph* space = nullptr;
    GUIB_Glyph* i = nullptr;
    GUIB_Glyph* w = nullptr;
    ASSERT_TRUE(font.GetGlyph(' ', &space));
    ASSERT_TRUE(font.GetGlyph('i', &i));
    ASSERT_TRUE(font.GetGlyph('W', &w));
    // A space draws no ink but keeps its advance.
    EXPECT_GE(space->width, 2u);
    EXPECT_EQ(0, InkPixels(*space));
    EXPECT_GT(w->width, i->width);
    for (char code : { ' ', 'i', 'W' })
        font.ReleaseGlyph(uint32_t(code));
}

// The logical font the toolkit's set-up captures its default font from.
inline GUIB_LogFont DefaultLogFont()
{
    GUIB_LogFont font {};
    font.height = -11;
    font.weight = 400;
    font.outPrecision = 3;
    font.clipPrecision = 2;
    font.quality = 1;
    font.pitchAndFamily = 0x22;
    const char face[] = "Tahoma";
    for (size_t i = 0; i < sizeof face; ++i)
        font.faceName[i] = face[i];
    return font;
}

}
