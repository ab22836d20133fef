// c_GUIB_Label: static text placed by the window's alignment or word-wrapped into the label.
#include "guib/guib.h"

namespace {

// A rectangle lower than one line cannot hold the text at its top or bottom: centre it instead.
uint32_t FittedAlignment(uint32_t align, const c_GUIB_Font* font, const GUIB_Rect& r)
{
    int32_t lineHeight = 0;
    int32_t ascent = 0;
    (void)font->GetMetrics(&lineHeight, &ascent);
    if (lineHeight <= r.bottom - r.top)
        return align;
    return (align & ~(GUIB_ALIGN_TOP | GUIB_ALIGN_BOTTOM)) | GUIB_ALIGN_VCENTRE;
}

} // namespace

c_GUIB_Label::c_GUIB_Label(const GUIB_WindowCreate* create)
    : c_GUIB_Window(create)
{
    MarkDirty();
}

void c_GUIB_Label::Draw()
{
    c_GUIB_Bitmap* surface = m_surface;
    if (surface == nullptr)
        return;
    const bool disabled = (m_flags & GUIB_WF_DISABLED) != 0;
    surface->SetColour(m_fillColours[disabled ? 6 : 1]);
    surface->FillRect(&m_rect);
    GUIB_Rect text = m_rect;
    if ((m_frameStyle & GUIB_FRAME_BIT) != 0) {
        GUIB_DrawFrame(surface, m_fillColours[3]);
        text = { 3, 1, m_rect.right - 4, m_rect.bottom - 1 };
    }
    const c_GUIB_Font* font = m_fonts[0];
    if (m_caption != nullptr && font != nullptr) {
        const uint32_t colour = m_textColours[disabled ? 6 : 0];
        const uint32_t align = FittedAlignment(m_textAlign, font, text);
        if (align == GUIB_ALIGN_WRAP)
            font->OutTextRect(surface, colour, m_caption, &text);
        else
            (void)GUIB_DrawPlacedText(font, surface, colour, m_caption, text, align);
    }
    Invalidate(&m_rect);
}
