// The slider behind every scroll bar: its layout (arrow buttons, track, thumb), the arithmetic
// between value and thumb position, and its mouse input. Painting is the scroll bar's.
#include "guib/guib.h"

#include <algorithm>
#include <cmath>

namespace {

// The environment's bitmaps of the arrow buttons: {normal, under the mouse} for the decrease
// and the increase button, vertical and horizontal.
struct ArrowIcons {
    uint32_t decrease[2];
    uint32_t increase[2];
};
constexpr ArrowIcons VERTICAL_ICONS { { 1, 2 }, { 3, 4 } };
constexpr ArrowIcons HORIZONTAL_ICONS { { 5, 6 }, { 7, 8 } };

uintptr_t Truncated(float value)
{
    return static_cast<uintptr_t>(static_cast<intptr_t>(std::trunc(value)));
}

void SetIcons(c_GUIB_Button* button, c_GUIB_Environment* environment, const uint32_t ids[2])
{
    for (uint32_t state = 0; state < 2; ++state) {
        c_GUIB_Bitmap* icon = nullptr;
        if (environment->GetBitmap(ids[state], &icon) != SYS_OK)
            continue;
        const uint32_t first = state == 0 ? GUIB_ICON_NORMAL : GUIB_ICON_HOVER;
        const uint32_t second = state == 0 ? GUIB_ICON_DISABLED : GUIB_ICON_PRESSED;
        (void)button->SetIcon(icon, first);
        (void)button->SetIcon(icon, second);
        icon->Release();
    }
}

} // namespace

c_GUIB_Slider::c_GUIB_Slider(const GUIB_WindowCreate* create)
    : c_GUIB_Window(create)
    , m_style(create->width <= create->height ? 0x6u : 0x5u)
{
    Layout();
}

c_GUIB_Slider::~c_GUIB_Slider()
{
    // The buttons are children: the window destruction drops their creation references.
    for (c_GUIB_Button* button : { m_decrease, m_increase })
        if (button != nullptr)
            button->Drop();
}

void c_GUIB_Slider::SetSize(int32_t width, int32_t height)
{
    if (width == m_rect.right && height == m_rect.bottom)
        return;
    c_GUIB_Window::SetSize(width, height);
    Layout();
}

void c_GUIB_Slider::Layout()
{
    m_trackLength = IsHorizontal() ? m_rect.right : m_rect.bottom;
    m_buttonSize = 0;
    if ((m_style & GUIB_SB_NO_BUTTONS) == 0)
        LayoutButtons();
    m_trackOffset = m_buttonSize;
    m_trackLength -= 2 * m_buttonSize;
    const float range = m_maximum - m_minimum;
    m_thumbSize = 0;
    if (range > m_page) {
        m_thumbSize = SYS_Round(static_cast<float>(m_trackLength) * m_page / range);
        const int32_t smallest
            = static_cast<int32_t>(m_environment->Property(GUIB_PROP_SCROLL_BAR_SIZE)) / 2;
        if (m_thumbSize < smallest && smallest < m_trackLength)
            m_thumbSize = smallest;
    }
    ThumbFromValue();
}

void c_GUIB_Slider::LayoutButtons()
{
    const int32_t thickness = IsHorizontal() ? m_rect.bottom : m_rect.right;
    const int32_t length = IsHorizontal() ? m_rect.right : m_rect.bottom;
    const auto wanted = static_cast<int32_t>(m_environment->Property(GUIB_PROP_SCROLL_BAR_SIZE));
    m_buttonSize = std::max(0, std::min({ wanted, thickness, length / 2 }));
    PlaceButton(m_decrease, 0, m_buttonSize, thickness);
    PlaceButton(m_increase, length - m_buttonSize, m_buttonSize, thickness);
    if (m_iconsPending) {
        TakeIcons();
        m_iconsPending = false;
    }
}

void c_GUIB_Slider::PlaceButton(
    c_GUIB_Button*& button, int32_t along, int32_t length, int32_t thickness)
{
    const int32_t x = IsHorizontal() ? along : 0;
    const int32_t y = IsHorizontal() ? 0 : along;
    const int32_t width = IsHorizontal() ? length : thickness;
    const int32_t height = IsHorizontal() ? thickness : length;
    if (button != nullptr) {
        button->SetSize(width, height);
        button->SetPosition(x, y);
        return;
    }
    const GUIB_WindowCreate create { x, y, width, height, 0, 0, this, m_environment, ArrowHandler,
        reinterpret_cast<uintptr_t>(this) };
    button = new c_GUIB_Button(&create);
    button->Grab();
    (void)button->SetSignal(2, m_environment->Property(31));
    button->SetButtonStyle(GUIB_BS_REPEAT);
}

void c_GUIB_Slider::TakeIcons()
{
    const ArrowIcons& icons = IsHorizontal() ? HORIZONTAL_ICONS : VERTICAL_ICONS;
    SetIcons(m_decrease, m_environment, icons.decrease);
    SetIcons(m_increase, m_environment, icons.increase);
}

// A track no longer than the thumb leaves it nowhere to move: position 0, value the minimum.
void c_GUIB_Slider::ThumbFromValue()
{
    const float span = m_maximum - m_minimum - m_page;
    const int32_t room = m_trackLength - m_thumbSize;
    if (span == 0 || room <= 0) {
        m_thumbPosition = 0;
        return;
    }
    m_thumbPosition = SYS_Round((m_value - m_minimum) / span * static_cast<float>(room));
}

bool c_GUIB_Slider::ValueFromThumb(int32_t position)
{
    const float old = m_value;
    const int32_t room = m_trackLength - m_thumbSize;
    if (room <= 0) {
        m_thumbPosition = 0;
        m_value = m_minimum;
    } else {
        m_thumbPosition = std::clamp(position, 0, room);
        m_value = m_minimum
            + (m_maximum - m_minimum - m_page) * static_cast<float>(m_thumbPosition)
                / static_cast<float>(room);
    }
    return m_value != old;
}

// Takes a value already within the range: the thumb follows, and code is sent when it changed.
void c_GUIB_Slider::SetValue(float value, uint32_t code)
{
    if (value == m_value)
        return;
    m_value = value;
    ThumbFromValue();
    MarkDirty();
    (void)Notify(code, Truncated(m_value), 0);
}

SYS_Status c_GUIB_Slider::SetScrollInfo(const GUIB_ScrollInfo* info)
{
    if (info->minimum > info->maximum)
        return GUIB_BAD_RANGE;
    m_minimum = info->minimum;
    m_maximum = info->maximum;
    m_page = info->page;
    m_value = std::max(std::min(info->value, m_maximum - m_page), m_minimum);
    m_step = info->step;
    const uint32_t orientation = info->orientation & (GUIB_SB_HORIZONTAL | GUIB_SB_VERTICAL);
    if (orientation != 0 && orientation != (m_style & 0x3))
        m_iconsPending = true;
    if ((orientation & GUIB_SB_HORIZONTAL) != 0)
        m_style = (m_style | GUIB_SB_HORIZONTAL) & ~GUIB_SB_VERTICAL;
    else if (orientation == GUIB_SB_VERTICAL)
        m_style = (m_style | GUIB_SB_VERTICAL) & ~GUIB_SB_HORIZONTAL;
    Layout();
    MarkDirty();
    return SYS_OK;
}

void c_GUIB_Slider::GetScrollInfo(GUIB_ScrollInfo* info) const
{
    *info = { m_minimum, m_maximum, m_value, m_page, m_step, m_style };
}

GUIB_Rect c_GUIB_Slider::ThumbRect() const
{
    if (m_thumbSize == 0)
        return { 0, 0, 0, 0 };
    const int32_t start = m_trackOffset + m_thumbPosition;
    if (IsHorizontal())
        return { start, 0, start + m_thumbSize, m_rect.bottom };
    return { 0, start, m_rect.right, start + m_thumbSize };
}

void c_GUIB_Slider::OnMouse(uint32_t event, const GUIB_Point* at, uint32_t state, const GUIB_Rect*)
{
    const int32_t a = (IsHorizontal() ? at->x : at->y) - m_trackOffset;
    switch (event) {
    case GUIB_MOUSE_LEAVE:
        if (std::exchange(m_thumbHot, false))
            MarkDirty();
        break;
    case GUIB_MOUSE_WHEEL: {
        const float value = m_value - static_cast<float>(GUIB_GetWheelDelta(state)) * m_step;
        SetValue(std::max(std::min(value, m_maximum - m_page), m_minimum), GUIB_SB_CHANGED);
        break;
    }
    case GUIB_MOUSE_MOVE:
        if (m_thumbSize == 0)
            break;
        if (m_dragging) {
            if (ValueFromThumb(a - m_grabOffset)) {
                MarkDirty();
                (void)Notify(GUIB_SB_TRACKING, Truncated(m_value), 0);
            }
        } else if (bool hot = OnThumb(a); std::exchange(m_thumbHot, hot) != hot) {
            MarkDirty();
        }
        break;
    case GUIB_MOUSE_LDOWN:
    case GUIB_MOUSE_LDBLCLK:
        if (m_thumbSize != 0)
            Press(a);
        break;
    case GUIB_MOUSE_LUP:
        if (!m_dragging)
            break;
        // Dragging ends before the capture does: the release moves the pointer to the window
        // under it again, and that move must not count as part of the drag.
        m_dragging = false;
        ReleaseCapture();
        (void)ValueFromThumb(a - m_grabOffset);
        MarkDirty();
        (void)Notify(GUIB_SB_CHANGED, Truncated(m_value), 0);
        break;
    default:
        break;
    }
}

// On the thumb a drag begins; elsewhere on the track the thumb's middle jumps to the pointer.
void c_GUIB_Slider::Press(int32_t a)
{
    if (OnThumb(a)) {
        Capture();
        m_dragging = true;
        m_grabOffset = a - m_thumbPosition;
        return;
    }
    if (ValueFromThumb(a - m_thumbSize / 2)) {
        MarkDirty();
        (void)Notify(GUIB_SB_CHANGED, Truncated(m_value), 0);
    }
}

void c_GUIB_Slider::Arrow(bool increase)
{
    if (m_maximum - m_minimum <= m_page)
        return;
    if (increase)
        SetValue(std::min(m_value + m_step, m_maximum - m_page), GUIB_SB_CHANGED);
    else
        SetValue(std::max(m_value - m_step, m_minimum), GUIB_SB_CHANGED);
}

uint32_t c_GUIB_Slider::ArrowHandler(
    c_GUIB_Window* button, uintptr_t user, uint32_t code, uintptr_t, uintptr_t)
{
    auto* slider = reinterpret_cast<c_GUIB_Slider*>(user);
    if (code == GUIB_BN_CLICKED || code == GUIB_BN_REPEAT)
        slider->Arrow(button == slider->m_increase);
    return 1;
}
