// Painting shared by the simple controls: the one-pixel frame and text placed by alignment flags.
#include "guib/guib.h"

void GUIB_DrawFrame(c_GUIB_Bitmap* surface, uint32_t colour)
{
    int32_t w = 0;
    int32_t h = 0;
    surface->GetSize(&w, &h);
    surface->SetColour(colour);
    surface->Line(0, 0, w - 1, 0);
    surface->Line(w - 1, 1, w - 1, h - 2);
    surface->Line(w - 1, h - 1, 0, h - 1);
    surface->Line(0, h - 2, 0, 1);
}

namespace {

template <typename Char>
GUIB_Rect DrawPlaced(const c_GUIB_Font* font, c_GUIB_Bitmap* surface, uint32_t colour,
    const Char* text, GUIB_Rect r, uint32_t flags)
{
    font->MeasureText(text, &r, flags);
    font->OutText(surface, colour, r.left, r.top, text);
    return r;
}

} // namespace

GUIB_Rect GUIB_DrawPlacedText(const c_GUIB_Font* font, c_GUIB_Bitmap* surface, uint32_t colour,
    const char16_t* text, GUIB_Rect r, uint32_t flags)
{
    return DrawPlaced(font, surface, colour, text, r, flags);
}

GUIB_Rect GUIB_DrawPlacedText(const c_GUIB_Font* font, c_GUIB_Bitmap* surface, uint32_t colour,
    const char* text, GUIB_Rect r, uint32_t flags)
{
    return DrawPlaced(font, surface, colour, text, r, flags);
}
