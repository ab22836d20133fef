// The scroll bar: a slider with arrow buttons, painted as a track with a framed thumb.
#include "guib/guib.h"

c_GUIB_ScrollBar::c_GUIB_ScrollBar(const GUIB_WindowCreate* create)
    : c_GUIB_Slider(create)
{
    m_style &= ~GUIB_SB_NO_BUTTONS;
    GUIB_ScrollInfo info {};
    GetScrollInfo(&info);
    info.page = 10;
    (void)SetScrollInfo(&info);
}

void c_GUIB_ScrollBar::Draw()
{
    uint32_t track = m_fillColours[6];
    uint32_t thumb = m_fillColours[6];
    if (IsEnabled()) {
        track = m_fillColours[2];
        thumb = IsDragging() ? m_fillColours[7]
            : IsThumbHot()   ? m_fillColours[4]
                             : m_fillColours[0] | 0xFF000000u;
    }
    m_surface->SetColour(track);
    m_surface->FillRect(&m_rect);
    if (GetThumbSize() != 0) {
        const GUIB_Rect r = ThumbRect();
        m_surface->SetColour(m_fillColours[3]);
        m_surface->DrawFramedRect(&r, thumb);
    }
    if ((m_frameStyle & GUIB_FRAME_BIT) != 0) {
        m_surface->SetColour(m_fillColours[3]);
        m_surface->DrawRect(&m_rect);
    }
    Invalidate(&m_rect);
}
