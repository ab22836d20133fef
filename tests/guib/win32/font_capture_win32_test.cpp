// The GDI capture against GDI itself: the captured font has the system font's text metrics,
// and each glyph the width and overlap of its ABC spacing.
#include <windows.h>

#include "tests/guib/font_checks.h"
#include "tests/guib/record_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// The system font of the default logical font, selected into a memory context.
class GdiFont {
public:
    GdiFont()
    {
        const GUIB_LogFont font = test::DefaultLogFont();
        LOGFONTA logFont {};
        logFont.lfHeight = font.height;
        logFont.lfWeight = font.weight;
        logFont.lfOutPrecision = font.outPrecision;
        logFont.lfClipPrecision = font.clipPrecision;
        logFont.lfQuality = font.quality;
        logFont.lfPitchAndFamily = font.pitchAndFamily;
        std::memcpy(logFont.lfFaceName, font.faceName, sizeof font.faceName);
        m_font = CreateFontIndirectA(&logFont);
        m_dc = CreateCompatibleDC(nullptr);
        SelectObject(m_dc, m_font);
    }
    ~GdiFont()
    {
        DeleteDC(m_dc);
        DeleteObject(m_font);
    }
    HDC dc() const { return m_dc; }

private:
    HFONT m_font;
    HDC m_dc;
};

TEST(FontCapture, TahomaHasGdisMetricsAndSpacing)
{
    test::Held<c_GUIB_Font> font(new c_GUIB_Font());
    const GUIB_LogFont logFont = test::DefaultLogFont();
    const GUIB_FontOptions options { 0, 1, 0 };
    ASSERT_EQ(SYS_OK, font->CreateFontFromWindows(&logFont, 32, 96, &options));
    GdiFont gdi;
    char face[32] = {};
    GetTextFaceA(gdi.dc(), sizeof face, face);
    EXPECT_STREQ("Tahoma", face);
    TEXTMETRICA metrics {};
    ASSERT_NE(0, GetTextMetricsA(gdi.dc(), &metrics));
    int32_t height = 0;
    int32_t ascent = 0;
    (void)font->GetMetrics(&height, &ascent);
    EXPECT_EQ(metrics.tmHeight, height);
    EXPECT_EQ(metrics.tmAscent, ascent);
    for (uint32_t code = 33; code < 127; ++code) {
        ABC abc {};
        ASSERT_NE(0, GetCharABCWidthsA(gdi.dc(), code, code, &abc));
        GUIB_Glyph* glyph = nullptr;
        ASSERT_TRUE(font->GetGlyph(code, &glyph)) << code;
        EXPECT_EQ(
            uint32_t(std::max(abc.abcA, 0) + int(abc.abcB) + std::max(abc.abcC, 0)), glyph->width)
            << code;
        EXPECT_EQ(uint32_t(std::max(-abc.abcA, 0) + std::max(-abc.abcC, 0)), glyph->overlap)
            << code;
        font->ReleaseGlyph(code);
    }
}

}
