// c_GUIB_Button: the push button. A press captures the mouse; the click comes at the release over
// the button (or at the press for a repeat button), and a button held down repeats on the ticks.
#include "guib/guib.h"

namespace {

// Colour indices and icon slot of one visual state.
struct Look {
    uint32_t fill;
    uint32_t text;
    uint32_t icon;
};

Look LookOf(uint32_t flags, uint32_t press)
{
    const bool hover = (flags & GUIB_WF_HOVER) != 0;
    if ((flags & GUIB_WF_DISABLED) != 0)
        return { 6, 6, GUIB_ICON_DISABLED };
    if ((press & GUIB_PRESS_LOOK) != 0)
        return hover ? Look { 7, 7, GUIB_ICON_PRESSED } : Look { 0, 4, GUIB_ICON_NORMAL };
    if (hover)
        return { 4, 4, GUIB_ICON_HOVER };
    return { 0, 0, GUIB_ICON_NORMAL };
}

// Whether the tick count has passed the tick, also across the count's wrap.
bool TickPassed(uint32_t now, uint32_t tick)
{
    return static_cast<int32_t>(now - tick) > 0;
}

} // namespace

c_GUIB_Button::c_GUIB_Button(const GUIB_WindowCreate* create)
    : c_GUIB_Window(create)
{
    m_flags &= ~GUIB_WF_FOCUSABLE;
    MarkDirty();
}

SYS_Status c_GUIB_Button::SetIcon(c_GUIB_Bitmap* icon, uint32_t index)
{
    if (index >= GUIB_BUTTON_ICONS)
        return GUIB_OUT_OF_RANGE;
    m_icons[index] = GUIB_Ref<c_GUIB_Bitmap>(icon);
    MarkDirty();
    return SYS_OK;
}

void c_GUIB_Button::SetButtonStyle(uint32_t style)
{
    if (std::exchange(m_style, style) != style)
        MarkDirty();
}

void c_GUIB_Button::Click()
{
    Focus();
    Signal(m_signals[2]);
    (void)Notify(GUIB_BN_CLICKED, 0, 0);
}

void c_GUIB_Button::Press()
{
    Capture();
    m_press = GUIB_PRESS_LOOK | GUIB_PRESS_TRACKING;
    MarkDirty();
    m_nextRepeat = GUIB_TickCount() + m_environment->Property(GUIB_PROP_REPEAT_DELAY);
    if ((m_style & GUIB_BS_REPEAT) != 0)
        Click();
}

void c_GUIB_Button::Released()
{
    if ((m_press & GUIB_PRESS_TRACKING) == 0)
        return;
    // Giving the capture back makes the desktop look at the pointer again: a pointer that has
    // left the button brings LEAVE first, which takes the pressed look away.
    ReleaseCapture();
    if ((m_press & GUIB_PRESS_LOOK) != 0 && (m_style & GUIB_BS_REPEAT) == 0)
        Click();
    m_press = 0;
    MarkDirty();
}

// A button disabled while held (often by its own click or repeat handler, at the end of a range)
// gets no input, so the release would never reach it: it gives up the press and the capture at
// the next tick instead, and does not repeat.
void c_GUIB_Button::DropPress()
{
    if (m_press == 0)
        return;
    ReleaseCapture();
    m_press = 0;
    MarkDirty();
}

void c_GUIB_Button::OnMouse(uint32_t event, const GUIB_Point* at, uint32_t, const GUIB_Rect*)
{
    const bool tracking = (m_press & GUIB_PRESS_TRACKING) != 0;
    switch (event) {
    case GUIB_MOUSE_LDOWN:
    case GUIB_MOUSE_LDBLCLK:
        Press();
        break;
    case GUIB_MOUSE_LUP:
        Released();
        break;
    case GUIB_MOUSE_ENTER:
        if (tracking)
            m_press |= GUIB_PRESS_LOOK;
        Signal(m_signals[0]);
        MarkDirty();
        break;
    case GUIB_MOUSE_LEAVE:
        if (tracking)
            m_press &= ~GUIB_PRESS_LOOK;
        MarkDirty();
        break;
    case GUIB_MOUSE_MOVE:
        if (!tracking)
            break;
        m_press = HitTest(at->x, at->y) ? m_press | GUIB_PRESS_LOOK : m_press & ~GUIB_PRESS_LOOK;
        MarkDirty();
        break;
    default:
        break;
    }
}

uint32_t c_GUIB_Button::OnMessage(uint32_t message, uintptr_t p1, uintptr_t p2)
{
    if (message != GUIB_MSG_TICK)
        return c_GUIB_Window::OnMessage(message, p1, p2);
    const uint32_t now = static_cast<uint32_t>(p1);
    if ((m_flags & GUIB_WF_DISABLED) != 0) {
        DropPress();
        return c_GUIB_Window::OnMessage(message, p1, p2);
    }
    if ((m_press & GUIB_PRESS_LOOK) == 0 || (m_flags & GUIB_WF_HOVER) == 0
        || !TickPassed(now, m_nextRepeat))
        return c_GUIB_Window::OnMessage(message, p1, p2);
    (void)Notify(GUIB_BN_REPEAT, 0, 0);
    m_nextRepeat = now + m_environment->Property(GUIB_PROP_REPEAT_INTERVAL);
    return 1;
}

void c_GUIB_Button::Draw()
{
    c_GUIB_Bitmap* surface = m_surface;
    if (surface == nullptr)
        return;
    const int32_t w = m_rect.right;
    const int32_t h = m_rect.bottom;
    const Look look = LookOf(m_flags, m_press);
    surface->SetColour(m_fillColours[look.fill]);
    if ((m_frameStyle & GUIB_FRAME_BIT) != 0) {
        surface->FillRect(1, 1, w - 1, h - 1);
        GUIB_DrawFrame(surface, m_fillColours[3]);
    } else {
        surface->FillRect(&m_rect);
    }
    if ((m_style & GUIB_BS_ROUNDED) != 0) {
        surface->SetPixel(0, 0, 0);
        surface->SetPixel(0, h - 1, 0);
        surface->SetPixel(w - 1, 0, 0);
        surface->SetPixel(w - 1, h - 1, 0);
    }
    const c_GUIB_Bitmap* icon = m_icons[look.icon].Get();
    int32_t iw = 0;
    int32_t ih = 0;
    if (icon != nullptr)
        icon->GetSize(&iw, &ih);
    int32_t tx = (w + iw) / 2;
    if (m_caption != nullptr && m_fonts[0] != nullptr)
        tx = GUIB_DrawPlacedText(m_fonts[0], surface, m_textColours[look.text], m_caption,
            { 0, 0, w + iw, h }, GUIB_ALIGN_HCENTRE | GUIB_ALIGN_VCENTRE)
                 .left;
    if (icon != nullptr)
        icon->BlendTo(surface, tx - iw, (h - ih) / 2, 0, 0, iw, ih);
    Invalidate(&m_rect);
}
