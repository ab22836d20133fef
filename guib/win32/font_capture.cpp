// Capture of a system font with GDI: each character is drawn black on white into a 100 × 100
// memory bitmap, measured with DT_CALCRECT and its ABC widths, and read back pixel by pixel;
// the ink (255 minus the red byte) becomes the glyph's coverage.
#include <windows.h>

#include "guib/os_font.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int CAPTURE_SIZE = 100;

LOGFONTA ToLogFont(const GUIB_LogFont& font)
{
    LOGFONTA logFont {};
    logFont.lfHeight = font.height;
    logFont.lfWidth = font.width;
    logFont.lfEscapement = font.escapement;
    logFont.lfOrientation = font.orientation;
    logFont.lfWeight = font.weight;
    logFont.lfItalic = font.italic;
    logFont.lfUnderline = font.underline;
    logFont.lfStrikeOut = font.strikeOut;
    logFont.lfCharSet = font.charSet;
    logFont.lfOutPrecision = font.outPrecision;
    logFont.lfClipPrecision = font.clipPrecision;
    logFont.lfQuality = font.quality;
    logFont.lfPitchAndFamily = font.pitchAndFamily;
    std::memcpy(logFont.lfFaceName, font.faceName, sizeof logFont.lfFaceName - 1);
    return logFont;
}

// Draws (or with DT_CALCRECT measures) the character: as one 8-bit code, as its bytes in the
// OEM code page (drawn by the 8-bit call), or as a wide character.
void DrawCharacter(
    HDC dc, uint32_t character, const GUIB_FontOptions& options, RECT* r, UINT format)
{
    if (options.use8Bit != 0) {
        char code = char(character);
        (void)DrawTextA(dc, &code, 1, r, format);
    } else if (options.oemCodePage != 0) {
        const wchar_t text[2] = { wchar_t(character), 0 };
        char bytes[16];
        const int size
            = WideCharToMultiByte(CP_OEMCP, 0, text, 2, bytes, sizeof bytes, nullptr, nullptr);
        (void)DrawTextA(dc, bytes, size > 0 ? size - 1 : 0, r, format);
    } else {
        wchar_t code = wchar_t(character);
        (void)DrawTextW(dc, &code, 1, r, format);
    }
}

bool QueryAbc(HDC dc, uint32_t character, const GUIB_FontOptions& options, ABC* abc)
{
    if (options.use8Bit != 0)
        return GetCharABCWidthsA(dc, character, character, abc) != 0;
    return GetCharABCWidthsW(dc, character, character, abc) != 0;
}

// Draws and measures one character; false when it has no extent (no glyph).
bool RenderCharacter(HDC dc, uint32_t character, const GUIB_FontOptions& options,
    std::vector<uint8_t>* coverage, guib::os::CapturedGlyph* glyph)
{
    (void)Rectangle(dc, -1, -1, CAPTURE_SIZE, CAPTURE_SIZE); // default pen and brush: white
    const LONG offset = LONG(options.verticalOffset);
    RECT r { 0, offset, CAPTURE_SIZE - 1, CAPTURE_SIZE - 1 };
    DrawCharacter(dc, character, options, &r, DT_NOPREFIX);
    r.top -= offset;
    DrawCharacter(dc, character, options, &r, DT_NOPREFIX | DT_CALCRECT);
    ABC abc {};
    int64_t width = r.right - r.left;
    int64_t overlap = 0;
    if (QueryAbc(dc, character, options, &abc)) {
        width = int64_t { std::max(abc.abcA, 0) } + abc.abcB + std::max(abc.abcC, 0);
        overlap = int64_t { std::max(-abc.abcA, 0) } + std::max(-abc.abcC, 0);
    }
    const int64_t height = int64_t { r.bottom } - r.top;
    if (width < 1 || height < 1 || r.right == 0)
        return false;
    coverage->assign(size_t(width * height), 0);
    // Pixels outside the capture bitmap read as CLR_INVALID, whose red byte gives no ink.
    for (int64_t y = 0; y < height; ++y)
        for (int64_t x = 0; x < width; ++x)
            (*coverage)[size_t(y * width + x)]
                = uint8_t(255 - GetRValue(GetPixel(dc, int(x), int(y))));
    *glyph = { character, uint32_t(width), uint32_t(height), uint32_t(overlap), coverage->data() };
    return true;
}

}

bool guib::os::CaptureFont(const GUIB_LogFont& font, uint32_t first, uint32_t last,
    const GUIB_FontOptions& options, CapturedMetrics* metrics, GlyphCallback report, void* context)
{
    const LOGFONTA logFont = ToLogFont(font);
    HFONT hfont = CreateFontIndirectA(&logFont);
    if (hfont == nullptr)
        return false;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, CAPTURE_SIZE, CAPTURE_SIZE);
    const bool ready = screen != nullptr && dc != nullptr && bitmap != nullptr;
    if (ready) {
        SelectObject(dc, bitmap);
        SelectObject(dc, hfont);
        SetTextColor(dc, 0);
        SetBkColor(dc, 0xFFFFFF);
        TEXTMETRICA textMetrics {};
        (void)GetTextMetricsA(dc, &textMetrics);
        *metrics = { textMetrics.tmHeight, textMetrics.tmAscent };
        std::vector<uint8_t> coverage;
        for (uint32_t character = first; character <= last; ++character) {
            CapturedGlyph glyph {};
            if (RenderCharacter(dc, character, options, &coverage, &glyph))
                report(context, glyph);
        }
    }
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    if (dc != nullptr)
        DeleteDC(dc);
    if (bitmap != nullptr)
        DeleteObject(bitmap);
    DeleteObject(hfont);
    return ready;
}
