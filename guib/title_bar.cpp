// c_GUIB_TitleBar: the caption strip of a movable window. Pressing it and moving the mouse moves
// its parent, so a message box is dragged by its title.
#include "guib/guib.h"

c_GUIB_TitleBar::c_GUIB_TitleBar(const GUIB_WindowCreate* create)
    : c_GUIB_Window(create)
{
    MarkDirty();
}

void c_GUIB_TitleBar::OnMouse(uint32_t event, const GUIB_Point* at, uint32_t, const GUIB_Rect*)
{
    switch (event) {
    case GUIB_MOUSE_LDOWN:
        if (m_parent == nullptr)
            return;
        Capture();
        m_dragging = true;
        // Root coordinates stay put while the parent moves, so the offset from the grab point
        // is the distance the mouse travelled.
        m_grab = *at;
        ToRoot(&m_grab);
        m_parent->GetPosition(&m_parentStart.x, &m_parentStart.y);
        return;
    case GUIB_MOUSE_MOVE: {
        if (!m_dragging || m_parent == nullptr)
            return;
        GUIB_Point now = *at;
        ToRoot(&now);
        m_parent->SetPosition(
            m_parentStart.x + now.x - m_grab.x, m_parentStart.y + now.y - m_grab.y);
        return;
    }
    case GUIB_MOUSE_LUP:
        m_dragging = false;
        ReleaseCapture();
        return;
    default:
        return;
    }
}

GUIB_Rect c_GUIB_TitleBar::CaptionRect(int32_t lineHeight) const
{
    const int32_t left = (m_frameStyle & GUIB_FRAME_BIT) != 0 ? 3 : 2;
    const int32_t top = (m_rect.bottom - lineHeight) / 2;
    return { left, top, m_rect.right - 4, top + lineHeight };
}

void c_GUIB_TitleBar::Draw()
{
    if (m_surface == nullptr)
        return;
    if ((m_frameStyle & GUIB_FRAME_BIT) != 0) {
        const uint32_t drawing = m_surface->GetColour();
        m_surface->SetColour(m_fillColours[3]);
        m_surface->DrawFramedRect(&m_rect, m_fillColours[1]);
        m_surface->SetColour(drawing);
    } else {
        m_surface->FillRect(&m_rect);
    }
    if (m_caption != nullptr && m_fonts[0] != nullptr) {
        int32_t lineHeight = 0;
        (void)m_fonts[0]->GetMetrics(&lineHeight, nullptr);
        const GUIB_Rect r = CaptionRect(lineHeight);
        m_fonts[0]->OutTextRect(m_surface, m_textColours[0], m_caption, &r);
    }
    Invalidate(&m_rect);
}
