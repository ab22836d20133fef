// Checks shared by the font tests: a glyph as one comparable value, two fonts with the same
// glyphs, metrics and flags, the codes of a font, and the sanity of a font captured from a
// system font on either backend.
#pragma once

#include "tests/guib/bitmap_checks.h"

#include <gtest/gtest.h>

#include <ostream>
#include <utility>
#include <vector>

namespace test {

// A glyph's record fields and pixels; a character without a glyph gives the empty value.
struct GlyphCopy {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t overlap = 0;
    uint32_t tintColour = 0;
    std::vector<uint32_t> pixels;
    bool operator==(const GlyphCopy&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const GlyphCopy& g)
    {
        return out << g.width << " x " << g.height << ", overlap " << g.overlap << ", tint "
                   << g.tintColour << ", " << g.pixels.size() << " pixels";
    }
};

inline GlyphCopy GlyphOf(const c_GUIB_Font& font, uint32_t code)
{
    GUIB_Glyph* glyph = nullptr;
    if (!font.GetGlyph(code, &glyph))
        return {};
    GlyphCopy copy { glyph->width, glyph->height, glyph->overlap, glyph->tintColour,
        PixelsOf(*glyph->bitmap) };
    font.ReleaseGlyph(code);
    return copy;
}

inline std::vector<uint32_t> CodesOf(const c_GUIB_Font& font)
{
    uint32_t* codes = nullptr;
    uint32_t count = 0;
    EXPECT_EQ(SYS_OK, font.ListCharacters(&codes, &count));
    std::vector<uint32_t> list(codes, codes + count);
    SYS_Free(codes);
    return list;
}

inline void ExpectSameFonts(const c_GUIB_Font& expected, const c_GUIB_Font& actual)
{
    int32_t height = 0, ascent = 0, actualHeight = 0, actualAscent = 0;
    (void)expected.GetMetrics(&height, &ascent);
    (void)actual.GetMetrics(&actualHeight, &actualAscent);
    EXPECT_EQ(std::pair(height, ascent), std::pair(actualHeight, actualAscent));
    EXPECT_EQ(expected.GetFlags(), actual.GetFlags());
    const std::vector<uint32_t> codes = CodesOf(expected);
    ASSERT_EQ(codes, CodesOf(actual));
    for (uint32_t code : codes)
        EXPECT_EQ(GlyphOf(expected, code), GlyphOf(actual, code)) << code;
}

// Coverage pixels of a glyph whose colour bytes are all 0 (black ink).
inline int InkPixels(const GlyphCopy& glyph)
{
    int ink = 0;
    for (uint32_t pixel : glyph.pixels) {
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
        const GlyphCopy glyph = GlyphOf(font, code);
        EXPECT_GE(glyph.width, 1u) << code;
        EXPECT_LE(glyph.width, 16u) << code;
        EXPECT_EQ(uint32_t(height), glyph.height) << code;
        EXPECT_LE(glyph.overlap, 4u) << code;
        EXPECT_EQ(0xFF000000u, glyph.tintColour) << code;
        EXPECT_GT(InkPixels(glyph), 0) << code;
    }
    // A space draws no ink but keeps its advance.
    const GlyphCopy space = GlyphOf(font, ' ');
    EXPECT_GE(space.width, 2u);
    EXPECT_EQ(0, InkPixels(space));
    EXPECT_GT(GlyphOf(font, 'W').width, GlyphOf(font, 'i').width);
}

// The logical font the toolkit's set-up captures its default font from.
inline GUIB_LogFont DefaultLogFont()
{
    return { -11, 0, 0, 0, 400, 0, 0, 0, 0, 3, 2, 1, 0x22, "Tahoma" };
}

}
