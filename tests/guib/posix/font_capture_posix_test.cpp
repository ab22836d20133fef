// The FreeType capture: faces that are not installed fall back to a sans face, positive
// heights size the cell, and the 8-bit option reads codes in the Western ANSI code page.
#include "tests/guib/font_checks.h"
#include "tests/guib/record_bytes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using test::Held;

GUIB_LogFont WithFace(const char* face, int32_t height = -11)
{
    GUIB_LogFont font = test::DefaultLogFont();
    std::memset(font.faceName, 0, sizeof font.faceName);
    std::strncpy(font.faceName, face, sizeof font.faceName - 1);
    font.height = height;
    return font;
}

Held<c_GUIB_Font> Captured(const GUIB_LogFont& logFont, const GUIB_FontOptions* options = nullptr)
{
    Held<c_GUIB_Font> font(new c_GUIB_Font());
    EXPECT_EQ(SYS_OK, font->CreateFontFromWindows(&logFont, 32, 224, options));
    return font;
}

TEST(FontCapture, FaceNotInstalledFallsBackToSans)
{
    auto missing = Captured(WithFace("No Such Face 9173"));
    auto sans = Captured(WithFace("sans-serif"));
    auto unnamed = Captured(WithFace(""));
    test::ExpectSaneSmallFont(*missing);
    test::ExpectSameFonts(*sans, *missing);
    test::ExpectSameFonts(*sans, *unnamed);
}

TEST(FontCapture, PositiveHeightIsTheCellHeight)
{
    for (int32_t cell : { 13, 20, 31 }) {
        auto font = Captured(WithFace("DejaVu Sans", cell));
        int32_t height = 0;
        (void)font->GetMetrics(&height, nullptr);
        EXPECT_NEAR(cell, height, 1) << cell;
    }
}

TEST(FontCapture, EightBitDrawingReadsCodesAsWesternAnsi)
{
    const GUIB_FontOptions eightBit { 0, 1, 0 };
    auto ansi = Captured(WithFace("DejaVu Sans"), &eightBit);
    Held<c_GUIB_Font> euro(new c_GUIB_Font());
    const GUIB_LogFont logFont = WithFace("DejaVu Sans");
    ASSERT_EQ(SYS_OK, euro->CreateFontFromWindows(&logFont, 0x20AC, 1, nullptr));
    // Byte 0x80 of code page 1252 is the euro sign; 0xE9 is the same in both.
    GUIB_Glyph* fromByte = nullptr;
    GUIB_Glyph* fromUnicode = nullptr;
    ASSERT_TRUE(ansi->GetGlyph(0x80, &fromByte));
    ASSERT_TRUE(euro->GetGlyph(0x20AC, &fromUnicode));
    EXPECT_EQ(test::PixelsOf(*fromUnicode->bitmap), test::PixelsOf(*fromByte->bitmap));
    ansi->ReleaseGlyph(0x80);
    euro->ReleaseGlyph(0x20AC);
}

TEST(FontCapture, OemOptionDrawsTheOemByteReadAsAnsi)
{
    // "é" is byte 0x82 in code page 437, which code page 1252 reads as a low quotation mark.
    const GUIB_LogFont logFont = WithFace("DejaVu Sans");
    const GUIB_FontOptions oem { 0, 0, 1 };
    Held<c_GUIB_Font> converted(new c_GUIB_Font());
    Held<c_GUIB_Font> quote(new c_GUIB_Font());
    ASSERT_EQ(SYS_OK, converted->CreateFontFromWindows(&logFont, 0xE9, 1, &oem));
    ASSERT_EQ(SYS_OK, quote->CreateFontFromWindows(&logFont, 0x201A, 1, nullptr));
    GUIB_Glyph* a = nullptr;
    GUIB_Glyph* b = nullptr;
    ASSERT_TRUE(converted->GetGlyph(0xE9, &a));
    ASSERT_TRUE(quote->GetGlyph(0x201A, &b));
    EXPECT_EQ(test::PixelsOf(*b->bitmap), test::PixelsOf(*a->bitmap));
    converted->ReleaseGlyph(0xE9);
    quote->ReleaseGlyph(0x201A);
}

TEST(FontCapture, SizesBeyondTheCapAreRefused)
{
    Held<c_GUIB_Font> font(new c_GUIB_Font());
    const GUIB_LogFont huge = WithFace("DejaVu Sans", -100000);
    EXPECT_EQ(GUIB_FONT_NOT_CREATED, font->CreateFontFromWindows(&huge, 32, 1, nullptr));
}

}
