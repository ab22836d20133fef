// c_GUIB_CheckBox: a box with a cross and a caption. The layout places both whenever the caption
// or the size changes; the hit test, the input and the drawing work from those rectangles.
#include "guib/guib.h"

#include <algorithm>

c_GUIB_CheckBox::c_GUIB_CheckBox(const GUIB_WindowCreate* create)
    : c_GUIB_Window(create)
{
    uintptr_t font = 0;
    if (m_environment->GetProperty(GUIB_PROP_DEFAULT_FONT, &font) == SYS_OK)
        m_font = GUIB_Ref<c_GUIB_Font>::Adopt(reinterpret_cast<c_GUIB_Font*>(font));
    m_signals[2] = m_environment->Property(GUIB_PROP_CHECK_BOX_SIGNAL);
    m_fillColours[1] = 0;
    // The rectangles exist before the first caption: the box takes clicks from the start.
    Layout();
    MarkDirty();
}

void c_GUIB_CheckBox::SetCheck(uint32_t state)
{
    if (state > GUIB_CHECK_UNDETERMINED || state == m_state)
        return;
    m_state = state;
    MarkDirty();
}

void c_GUIB_CheckBox::SetCaption(const char16_t* text)
{
    c_GUIB_Window::SetCaption(text);
    Layout();
}

void c_GUIB_CheckBox::SetCaption(const char* text)
{
    c_GUIB_Window::SetCaption(text);
    Layout();
}

void c_GUIB_CheckBox::SetSize(int32_t width, int32_t height)
{
    c_GUIB_Window::SetSize(width, height);
    Layout();
}

// The box is s × s, vertically centred at the left edge; the text starts half a box further
// right and is as wide as the caption measures, but no wider than the room left.
void c_GUIB_CheckBox::Layout()
{
    const int32_t w = m_rect.right;
    const int32_t h = m_rect.bottom;
    const int32_t s = static_cast<int32_t>(m_environment->Property(GUIB_PROP_CHECK_BOX_SIZE));
    const int32_t gap = s / 2 + s;
    GUIB_Rect measured { 0, 0, w - gap, h };
    if (m_font)
        m_font->MeasureText(m_caption, &measured, GUIB_ALIGN_LEFT | GUIB_ALIGN_TOP);
    else
        measured.right = 0;
    const int32_t tw = std::min(measured.right, w - gap);
    m_textRect = { gap, 0, gap + tw, h };
    m_boxRect = { 0, (h - s) / 2, s, (h - s) / 2 + s };
    MarkDirty();
}

bool c_GUIB_CheckBox::HitTest(int32_t x, int32_t y)
{
    return GUIB_PointInRect(m_rect, x, y)
        && (GUIB_PointInRect(m_boxRect, x, y) || GUIB_PointInRect(m_textRect, x, y));
}

void c_GUIB_CheckBox::Released()
{
    // Giving the capture back lets the desktop look at the pointer again, which takes the hover
    // away when the pointer is no longer over the box or its text.
    ReleaseCapture();
    const bool toggles = m_tracking && (m_flags & GUIB_WF_HOVER) != 0;
    m_tracking = false;
    if (!toggles)
        return;
    m_state = m_state == GUIB_CHECK_OFF ? GUIB_CHECK_ON : GUIB_CHECK_OFF;
    Signal(m_signals[2]);
    (void)Notify(GUIB_CHK_TOGGLED, m_state, 0);
    MarkDirty();
}

void c_GUIB_CheckBox::OnMouse(uint32_t event, const GUIB_Point*, uint32_t, const GUIB_Rect*)
{
    switch (event) {
    case GUIB_MOUSE_LDOWN:
    case GUIB_MOUSE_LDBLCLK:
        Capture();
        m_tracking = true;
        break;
    case GUIB_MOUSE_LUP:
        Released();
        break;
    case GUIB_MOUSE_ENTER:
        MarkDirty();
        Signal(m_signals[0]);
        break;
    case GUIB_MOUSE_LEAVE:
        MarkDirty();
        break;
    default:
        break;
    }
}

void c_GUIB_CheckBox::Draw()
{
    c_GUIB_Bitmap* surface = m_surface;
    if (surface == nullptr)
        return;
    surface->SetColour(m_fillColours[1]);
    surface->FillRect(&m_rect);
    uint32_t fill = 0;
    uint32_t text = 0;
    if ((m_flags & GUIB_WF_DISABLED) != 0)
        fill = 6, text = 6;
    else if ((m_flags & GUIB_WF_HOVER) != 0)
        fill = 4, text = 7;
    const GUIB_Rect& box = m_boxRect;
    surface->SetColour(m_fillColours[3]);
    surface->DrawFramedRect(&box, m_fillColours[fill]);
    if (m_state == GUIB_CHECK_ON) {
        surface->Line(box.right - 3, box.top + 2, box.left + 2, box.bottom - 3);
        surface->Line(box.left + 2, box.top + 2, box.right - 3, box.bottom - 3);
    }
    if (m_font && m_textRect.right - m_textRect.left > 1)
        m_font->OutText(surface, m_textColours[text], m_textRect.left, m_textRect.top, m_caption);
    Invalidate(&m_rect);
}
