// The FreeType capture: faces that are not installed fall back to a sans face, positive
// heights size the cell, and the 8-bit option reads codes in the Western ANSI code page.
#include "tests/guib/font_checks.h"
#include "tests/guib/record_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

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

// With the 8-bit option a code is a byte of the Western ANSI code page: 0x80 is the euro sign,
// 0xE9 is "é" as in Unicode. With the OEM option, "é" becomes byte 0x82 of code page 437, which
// code page 1252 reads as a low quotation mark.
TEST(FontCapture, EightBitAndOemOptionsDrawTheByteReadAsAnsi)
{
    const GUIB_LogFont logFont = WithFace("DejaVu Sans");
    const GUIB_FontOptions eightBit { 0, 1, 0 };
    const GUIB_FontOptions oem { 0, 0, 1 };
    for (auto [options, code, unicode] : { std::tuple(&eightBit, 0x80u, 0x20ACu),
             std::tuple(&eightBit, 0xE9u, 0xE9u), std::tuple(&oem, 0xE9u, 0x201Au) }) {
        Held<c_GUIB_Font> font(new c_GUIB_Font());
        Held<c_GUIB_Font> reference(new c_GUIB_Font());
        ASSERT_EQ(SYS_OK, font->CreateFontFromWindows(&logFont, code, 1, options));
        ASSERT_EQ(SYS_OK, reference->CreateFontFromWindows(&logFont, unicode, 1, nullptr));
        const test::GlyphCopy expected = test::GlyphOf(*reference, unicode);
        EXPECT_FALSE(expected.pixels.empty()) << unicode;
        EXPECT_EQ(expected.pixels, test::GlyphOf(*font, code).pixels) << code;
    }
}

TEST(FontCapture, SizesBeyondTheCapAreRefused)
{
    Held<c_GUIB_Font> font(new c_GUIB_Font());
    const GUIB_LogFont huge = WithFace("DejaVu Sans", -100000);
    EXPECT_EQ(GUIB_FONT_NOT_CREATED, font->CreateFontFromWindows(&huge, 32, 1, nullptr));
}

}
