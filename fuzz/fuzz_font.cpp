// Fuzz target of font loading: arbitrary bytes as a font file. A loaded font must keep its
// promises (each glyph's bitmap is the size its record says and no taller than the line
// height, a font with glyphs is loaded) and must survive a copy through a written store
// unchanged in its glyph count and metrics. Text is then laid out with it, so that glyph
// metrics from a file (widths, overlaps larger than widths) cannot upset the layout.
#include "guib/guib.h"

#include <cstdint>
#include <cstdlib>

namespace {

void CheckGlyphs(const c_GUIB_Font& font)
{
    int32_t height = 0;
    (void)font.GetMetrics(&height, nullptr);
    uint32_t* codes = nullptr;
    uint32_t count = 0;
    if (font.ListCharacters(&codes, &count) != SYS_OK)
        return;
    if (count != 0 && !font.IsLoaded())
        std::abort();
    for (uint32_t i = 0; i < count; ++i) {
        GUIB_Glyph* glyph = nullptr;
        if (!font.GetGlyph(codes[i], &glyph))
            std::abort();
        int32_t width = 0;
        int32_t rows = 0;
        glyph->bitmap->GetSize(&width, &rows);
        if (width < 1 || uint32_t(width) != glyph->width || uint32_t(rows) != glyph->height
            || rows > height)
            std::abort();
        font.ReleaseGlyph(codes[i]);
    }
    SYS_Free(codes);
}

void CheckCopy(const c_GUIB_Font& font)
{
    c_GUIB_Font* copy = new c_GUIB_Font();
    int32_t height = 0, ascent = 0, copyHeight = 0, copyAscent = 0;
    (void)font.GetMetrics(&height, &ascent);
    if (copy->CopyFrom(font) == SYS_OK) {
        (void)copy->GetMetrics(&copyHeight, &copyAscent);
        if (copy->GetGlyphCount() != font.GetGlyphCount() || copyHeight != height
            || copyAscent != ascent || copy->GetFlags() != font.GetFlags())
            std::abort();
    }
    copy->Release();
}

// Every 8-bit code in one string, wrapped into a small rectangle and measured; the same in wide
// characters above 255.
void CheckLayout(const c_GUIB_Font& font)
{
    char text[256];
    char16_t wide[256];
    for (int i = 0; i < 255; ++i) {
        text[i] = char(i + 1);
        wide[i] = char16_t((i + 1) * 131);
    }
    text[255] = 0;
    wide[255] = 0;
    c_GUIB_Bitmap target(48, 40);
    const GUIB_Rect r { -5, 3, 40, 37 };
    font.OutTextRect(&target, 0xFF000000, text, &r);
    font.OutTextRect(&target, 0xFF000000, wide, &r);
    font.OutText(&target, 0xFF000000, 2, 2, wide);
    GUIB_Rect measured = r;
    font.MeasureText(text, &measured, GUIB_ALIGN_HCENTRE | GUIB_ALIGN_VCENTRE);
    if (font.MeasureWrappedHeight(text, 30) < 0 || font.MeasureWrappedHeight(wide, 1) < 0)
        std::abort();
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    c_GUIB_Store* store = new c_GUIB_Store(data, size);
    c_GUIB_Font* font = new c_GUIB_Font();
    (void)font->LoadFromStore(store, 0);
    store->Release();
    CheckGlyphs(*font);
    if (font->GetGlyphCount() != 0) {
        CheckCopy(*font);
        CheckLayout(*font);
    }
    font->Release();
    return 0;
}
