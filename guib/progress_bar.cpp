// c_GUIB_ProgressBar: a bar from 0 to 100 with its percentage written over it.
#include "guib/guib.h"

#include <algorithm>
#include <cstdio>

c_GUIB_ProgressBar::c_GUIB_ProgressBar(const GUIB_WindowCreate* create)
    : c_GUIB_Window(create)
{
    MarkDirty();
}

void c_GUIB_ProgressBar::SetValue(int32_t value, uint32_t flags)
{
    value = std::clamp(value, 0, 100);
    if (value == m_value)
        return;
    m_value = value;
    std::snprintf(m_percentText, sizeof m_percentText, "%3d %%", static_cast<int>(value));
    if ((flags & GUIB_PB_NO_REDRAW) == 0)
        MarkDirty();
}

// Worked out from the present size, so that a bar resized or reframed after its last value
// still ends where the value says.
int32_t c_GUIB_ProgressBar::GetBarLength() const
{
    const int32_t span = (m_frameStyle & GUIB_FRAME_BIT) != 0 ? m_rect.right - 1 : m_rect.right;
    return static_cast<int32_t>(static_cast<int64_t>(span) * m_value / 100);
}

void c_GUIB_ProgressBar::Draw()
{
    c_GUIB_Bitmap* surface = m_surface;
    if (surface == nullptr)
        return;
    const bool framed = (m_frameStyle & GUIB_FRAME_BIT) != 0;
    const int32_t inset = framed ? 1 : 0;
    const GUIB_Rect inner { inset, inset, m_rect.right - inset, m_rect.bottom - inset };
    const int32_t bar = GetBarLength();
    if (bar > 0) {
        surface->SetColour(m_fillColours[4]);
        surface->FillRect(0, 0, bar, inner.bottom);
    }
    if (bar < inner.right) {
        surface->SetColour(m_fillColours[0]);
        surface->FillRect(bar, 0, inner.right, inner.bottom);
    }
    if (framed)
        GUIB_DrawFrame(surface, m_fillColours[3]);
    if (m_fonts[0] != nullptr)
        (void)GUIB_DrawPlacedText(m_fonts[0], surface, m_textColours[0], m_percentText, m_rect,
            GUIB_ALIGN_HCENTRE | GUIB_ALIGN_VCENTRE);
    Invalidate(&m_rect);
}
