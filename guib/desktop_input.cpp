// The desktop's input: system messages from its window become toolkit mouse events, routed by
// hit testing or to the window holding the capture, and key messages for the focus window.
#include "guib/os_window.h"

namespace {

int32_t LowWord(intptr_t value)
{
    return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF));
}

int32_t HighWord(intptr_t value)
{
    return static_cast<int16_t>(
        static_cast<uint16_t>((static_cast<uintptr_t>(value) >> 16) & 0xFFFF));
}

bool TakesSystemCapture(uint32_t event)
{
    return event == GUIB_MOUSE_LDOWN || event == GUIB_MOUSE_LDBLCLK || event == GUIB_MOUSE_RDOWN
        || event == GUIB_MOUSE_MDOWN;
}

bool EndsSystemCapture(uint32_t event)
{
    return event == GUIB_MOUSE_LUP || event == GUIB_MOUSE_RUP || event == GUIB_MOUSE_MUP;
}

// The held-button bits each event sets or clears.
uint32_t ButtonsAfter(uint32_t buttons, uint32_t event)
{
    switch (event) {
    case GUIB_MOUSE_LDOWN:
    case GUIB_MOUSE_LDBLCLK:
        return buttons | GUIB_BTN_LEFT;
    case GUIB_MOUSE_LUP:
        return buttons & ~GUIB_BTN_LEFT;
    case GUIB_MOUSE_RDOWN:
        return buttons | GUIB_BTN_RIGHT;
    case GUIB_MOUSE_RUP:
        return buttons & ~GUIB_BTN_RIGHT;
    case GUIB_MOUSE_MDOWN:
        return buttons | GUIB_BTN_MIDDLE;
    case GUIB_MOUSE_MUP:
        return buttons & ~GUIB_BTN_MIDDLE;
    default:
        return buttons;
    }
}

// The toolkit event of a system mouse message other than the wheel, or -1.
int32_t MouseEventOf(uint32_t message)
{
    switch (message) {
    case GUIB_WM_MOUSEMOVE:
        return GUIB_MOUSE_MOVE;
    case GUIB_WM_LBUTTONDOWN:
        return GUIB_MOUSE_LDOWN;
    case GUIB_WM_LBUTTONUP:
        return GUIB_MOUSE_LUP;
    case GUIB_WM_LBUTTONDBLCLK:
        return GUIB_MOUSE_LDBLCLK;
    case GUIB_WM_RBUTTONDOWN:
    case GUIB_WM_RBUTTONDBLCLK:
        return GUIB_MOUSE_RDOWN;
    case GUIB_WM_RBUTTONUP:
        return GUIB_MOUSE_RUP;
    case GUIB_WM_MBUTTONDOWN:
        return GUIB_MOUSE_MDOWN;
    case GUIB_WM_MBUTTONUP:
        return GUIB_MOUSE_MUP;
    default:
        return -1;
    }
}

} // namespace

intptr_t c_GUIB_Desktop::HandleSystemMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (m_closed)
        return 0;
    switch (message) {
    case GUIB_WM_ERASEBKGND:
        return 1;
    case GUIB_WM_CLOSE:
        guib::os::DetachDesktop(m_window);
        m_closed = true;
        return 0;
    case GUIB_WM_KEYDOWN:
        KeyDown(static_cast<uint32_t>(wParam));
        return 0;
    case GUIB_WM_KEYUP:
        KeyUp(static_cast<uint32_t>(wParam));
        return 0;
    case GUIB_WM_CHAR:
        Character(static_cast<uint32_t>(wParam));
        return 0;
    case GUIB_WM_MOUSEWHEEL: {
        int32_t x = LowWord(lParam);
        int32_t y = HighWord(lParam);
        if (m_mode == 1)
            guib::os::ScreenToClient(m_window, &x, &y);
        (void)ProcessMouse(GUIB_MOUSE_WHEEL, x, y, HighWord(static_cast<intptr_t>(wParam)) / 120);
        return 0;
    }
    default:
        if (int32_t event = MouseEventOf(message); event >= 0)
            (void)ProcessMouse(static_cast<uint32_t>(event), LowWord(lParam), HighWord(lParam), 0);
        return 0;
    }
}

uint32_t c_GUIB_Desktop::ProcessMouse(uint32_t event, int32_t x, int32_t y, int32_t wheel)
{
    if (m_mode == 1 && TakesSystemCapture(event))
        guib::os::CaptureMouse(m_window);
    if (m_mode == 1 && EndsSystemCapture(event))
        guib::os::ReleaseMouse();
    if (event == GUIB_MOUSE_MOVE) {
        if (x == m_lastX && y == m_lastY)
            return 1;
        m_lastX = x;
        m_lastY = y;
    }
    m_buttons = event == GUIB_MOUSE_WHEEL ? GUIB_PackWheel(m_buttons, wheel)
                                          : ButtonsAfter(m_buttons, event);
    GUIB_Point at { x, y };
    GUIB_Rect clip = m_rect;
    if (m_capture == nullptr) {
        clip.left += m_x, clip.right += m_x, clip.top += m_y, clip.bottom += m_y;
        return DispatchMouse(event, &at, m_buttons, &clip);
    }
    // The capture window is given the point in its parent's coordinates, wherever it lies.
    c_GUIB_Window* captured = m_capture;
    captured->Grab();
    if (c_GUIB_Window* parent = captured->GetParent(); parent != nullptr) {
        GUIB_Point offset { 0, 0 };
        parent->ToRoot(&offset);
        parent->Drop();
        at = { x - offset.x - m_x, y - offset.y - m_y };
        clip = { m_rect.left - offset.x, m_rect.top - offset.y, m_rect.right - offset.x,
            m_rect.bottom - offset.y };
    }
    uint32_t answer = captured->DispatchMouse(event, &at, m_buttons, &clip);
    captured->Drop();
    return answer;
}

// After a capture ends, the window under the pointer learns about it at once: a move at the
// unchanged position passes the motion filter.
void c_GUIB_Desktop::ReleasedCapture()
{
    m_capture = nullptr;
    m_lastX -= 1;
    (void)ProcessMouse(GUIB_MOUSE_MOVE, m_lastX + 1, m_lastY, 0);
}

// A mouse event that no child took ends the hover.
void c_GUIB_Desktop::OnMouse(uint32_t event, const GUIB_Point*, uint32_t, const GUIB_Rect*)
{
    if (event == GUIB_MOUSE_ENTER || event == GUIB_MOUSE_LEAVE || m_hover == nullptr)
        return;
    c_GUIB_Window* hover = std::exchange(m_hover, nullptr);
    hover->MouseLeave();
}

void c_GUIB_Desktop::KeyDown(uint32_t virtualKey)
{
    if (GUIB_IsCharKey(virtualKey))
        return; // it comes again as a character
    HideHint();
    DeliverKey(GUIB_MSG_KEY_DOWN, GUIB_KeyToChar(GUIB_TranslateKey(virtualKey)), false);
}

void c_GUIB_Desktop::KeyUp(uint32_t virtualKey)
{
    DeliverKey(GUIB_MSG_KEY_UP, GUIB_KeyToChar(GUIB_TranslateKey(virtualKey)), true);
}

void c_GUIB_Desktop::Character(uint32_t character)
{
    if (GUIB_IsIgnoredChar(character))
        return;
    HideHint();
    DeliverKey(GUIB_MSG_KEY_DOWN, character + GUIB_KEY_CHAR, false);
}

void c_GUIB_Desktop::DeliverKey(uint32_t message, uint32_t key, bool evenDisabled)
{
    if (m_focus == nullptr)
        return;
    if (!evenDisabled && (!m_focus->IsEnabled() || !m_focus->IsVisible()))
        return;
    (void)m_focus->OnMessage(message, key, 0);
}
