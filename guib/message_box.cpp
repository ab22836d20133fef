// c_GUIB_MessageBox: the toolkit's own question box. GUIB_MessageBox sizes it for its title,
// text and buttons and centres it in its parent; the box reports the chosen button to its
// callbacks once and closes itself.
#include "guib/guib.h"

#include <algorithm>
#include <bit>

namespace {

constexpr uint32_t ALL_BUTTONS = GUIB_MB_OK | GUIB_MB_YES | GUIB_MB_NO | GUIB_MB_CANCEL;
// The caption of each button, by its flag's position.
constexpr uint32_t CAPTIONS[GUIB_MB_BUTTON_COUNT]
    = { GUIB_TEXT_OK, GUIB_TEXT_YES, GUIB_TEXT_NO, GUIB_TEXT_CANCEL };

constexpr uint32_t KEY_ENTER = 13;
constexpr uint32_t KEY_ESCAPE = 27;
constexpr uint32_t KEY_SPACE = 32;
constexpr uint32_t KEY_CODE_MASK = 0xFFFF; // a key value's key or character, without modifiers

constexpr uint32_t WHITE = 0xFFFFFFFF;

// The creation record of a box: it has no surface of its own, only its children are drawn.
GUIB_WindowCreate WithoutSurface(const GUIB_WindowCreate* create)
{
    GUIB_WindowCreate record = *create;
    record.flags |= GUIB_WF_NO_BITMAP;
    return record;
}

const GUIB_WindowCreate* Record(const GUIB_WindowCreate& create)
{
    return &create;
}

// A text's width and height as one block (line feeds only), or 0 × 0 for none.
GUIB_Point Measure(const c_GUIB_Font* font, const char16_t* text)
{
    if (font == nullptr || text == nullptr)
        return { 0, 0 };
    GUIB_Rect r { 0, 0, 0, 0 };
    font->MeasureText(text, &r, GUIB_ALIGN_LEFT | GUIB_ALIGN_TOP);
    return { r.right - r.left, r.bottom - r.top };
}

} // namespace

uint32_t GUIB_MessageButtons(uint32_t flags)
{
    flags &= ALL_BUTTONS;
    return flags != 0 ? flags : GUIB_MB_OK;
}

GUIB_MessageMetrics GUIB_GetMessageMetrics(const c_GUIB_Environment* environment, bool hasParent)
{
    const int32_t height
        = static_cast<int32_t>(environment->Property(GUIB_PROP_MESSAGE_BUTTON_HEIGHT));
    return { static_cast<int32_t>(environment->Property(GUIB_PROP_MESSAGE_BUTTON_WIDTH)),
        hasParent ? height : 14, hasParent ? height - 2 : 6,
        static_cast<int32_t>(environment->Property(GUIB_PROP_SCROLL_BAR_SIZE)) };
}

GUIB_Rect GUIB_MessageBoxRect(int32_t parentWidth, int32_t parentHeight,
    const GUIB_MessageMetrics& metrics, const c_GUIB_Font* font, const char16_t* title,
    const char16_t* text, uint32_t buttons)
{
    const int32_t m = metrics.margin;
    const auto n = static_cast<int32_t>(std::popcount(GUIB_MessageButtons(buttons)));
    const int32_t row = (metrics.buttonWidth + m) * n - m;
    const int32_t limit = std::max(parentWidth - 2 * m, 0);
    const int32_t titleWidth = std::min(Measure(font, title).x, limit);
    const GUIB_Point textSize = Measure(font, text);
    const int32_t textWidth = std::min(textSize.x, limit);
    const int32_t textHeight
        = textSize.x > limit ? font->MeasureWrappedHeight(text, textWidth) : textSize.y;
    const int32_t w = std::max({ row, titleWidth, textWidth }) + 2 * m;
    const int32_t h = textHeight + 2 * m + metrics.titleHeight + metrics.buttonHeight - 1;
    const int32_t x = (parentWidth - w) / 2;
    const int32_t y = (parentHeight - h) / 2;
    return { x, y, x + w, y + h };
}

c_GUIB_MessageBox::c_GUIB_MessageBox(const GUIB_WindowCreate* create)
    : c_GUIB_Window(Record(WithoutSurface(create)))
    , m_metrics(GUIB_GetMessageMetrics(create->environment, create->parent != nullptr))
{
    const int32_t w = m_rect.right;
    const int32_t h = m_rect.bottom;
    const int32_t t = m_metrics.titleHeight;
    const int32_t m = m_metrics.margin;
    const auto self = reinterpret_cast<uintptr_t>(this);

    GUIB_WindowCreate part { 0, 0, w, t, 0, 0, this, m_environment, ButtonHandler, self };
    m_titleBar = new c_GUIB_TitleBar(&part);
    (void)m_titleBar->SetTextColour(0, WHITE);

    part = { 0, t - 1, w, h - t + 1, 0, 0, this, m_environment, nullptr, 0 };
    m_body = new c_GUIB_Panel(&part);
    (void)m_body->SetFillColour(1, m_fillColours[2]);

    part = { m, t - 1 + m, w - 2 * m, h - t + 1 - 2 * m - m_metrics.buttonHeight, 0, 0, this,
        m_environment, nullptr, 0 };
    m_label = new c_GUIB_Label(&part);
    m_label->SetFrameStyle(0);
    (void)m_label->SetFillColour(1, 0);
    m_label->SetTextAlign(GUIB_ALIGN_WRAP);

    Focus();
}

void c_GUIB_MessageBox::SetTitle(const char16_t* title)
{
    m_titleBar->SetCaption(title);
}

void c_GUIB_MessageBox::SetText(const char16_t* text)
{
    SetCaption(text);
    m_label->SetCaption(text);
}

void c_GUIB_MessageBox::DropButtons()
{
    for (c_GUIB_Button*& button : m_buttons)
        if (c_GUIB_Button* held = std::exchange(button, nullptr); held != nullptr)
            (void)held->Drop();
    m_buttonCount = 0;
}

void c_GUIB_MessageBox::SetButtons(uint32_t flags)
{
    flags = GUIB_MessageButtons(flags);
    DropButtons();
    m_buttonCount = static_cast<uint32_t>(std::popcount(flags));
    m_buttonFlags = flags;
    int32_t bodyWidth = 0;
    int32_t bodyHeight = 0;
    m_body->GetSize(&bodyWidth, &bodyHeight);
    const GUIB_MessageMetrics& mm = m_metrics;
    const auto count = static_cast<int32_t>(m_buttonCount);
    const int32_t y = bodyHeight - mm.margin / 2 - mm.buttonHeight;
    int32_t x = (bodyWidth - (count - 1) * mm.margin - count * mm.buttonWidth) / 2;
    for (uint32_t i = 0; i < GUIB_MB_BUTTON_COUNT; ++i) {
        if ((flags & (1u << i)) == 0)
            continue;
        GUIB_WindowCreate create { x, y, mm.buttonWidth, mm.buttonHeight, 0, 0, m_body,
            m_environment, ButtonHandler, reinterpret_cast<uintptr_t>(this) };
        m_buttons[i] = new c_GUIB_Button(&create);
        m_buttons[i]->SetCaption(GUIB_GetText(static_cast<int32_t>(CAPTIONS[i])));
        x += mm.buttonWidth + mm.margin;
    }
}

c_GUIB_Button* c_GUIB_MessageBox::GetButton(uint32_t flag) const
{
    if (std::popcount(flag) != 1 || (flag & ALL_BUTTONS) == 0)
        return nullptr;
    return m_buttons[std::countr_zero(flag)];
}

// The first answer ends the box: it is closed and waits for the desktop's next pass, and any
// click or key still queued behind the one that answered must not answer a second time.
void c_GUIB_MessageBox::Report(uint32_t flag)
{
    if (m_reported)
        return;
    m_reported = true;
    (void)Notify(GUIB_MB_RESULT, flag, 0);
    Close();
}

uint32_t c_GUIB_MessageBox::ButtonHandler(
    c_GUIB_Window* window, uintptr_t user, uint32_t code, uintptr_t, uintptr_t)
{
    if (code != GUIB_BN_CLICKED)
        return 0;
    auto* box = reinterpret_cast<c_GUIB_MessageBox*>(user);
    for (uint32_t i = 0; i < GUIB_MB_BUTTON_COUNT; ++i) {
        if (box->m_buttons[i] != nullptr && box->m_buttons[i] == window) {
            box->Report(1u << i);
            return 1;
        }
    }
    return 0;
}

uint32_t c_GUIB_MessageBox::OnMessage(uint32_t message, uintptr_t p1, uintptr_t p2)
{
    if (message != GUIB_MSG_KEY_DOWN)
        return c_GUIB_Window::OnMessage(message, p1, p2);
    const uint32_t key = static_cast<uint32_t>(p1) & KEY_CODE_MASK;
    if ((key == KEY_ENTER || key == KEY_SPACE) && m_buttonCount == 1)
        Report(m_buttonFlags);
    else if (key == KEY_ESCAPE && (m_buttonFlags & GUIB_MB_CANCEL) != 0)
        Report(GUIB_MB_CANCEL);
    else if (key == KEY_ESCAPE && (m_buttonFlags & GUIB_MB_NO) != 0)
        Report(GUIB_MB_NO);
    return 1;
}

c_GUIB_MessageBox* GUIB_MessageBox(c_GUIB_Window* parent, const char16_t* title,
    const char16_t* text, uint32_t buttons, GUIB_Callback callback)
{
    if (parent == nullptr)
        return nullptr;
    c_GUIB_Environment* environment = parent->GetEnvironment();
    int32_t parentWidth = 0;
    int32_t parentHeight = 0;
    parent->GetSize(&parentWidth, &parentHeight);
    uintptr_t fontValue = 0;
    GUIB_Ref<c_GUIB_Font> font;
    if (environment->GetProperty(GUIB_PROP_DEFAULT_FONT, &fontValue) == SYS_OK)
        font = GUIB_Ref<c_GUIB_Font>::Adopt(reinterpret_cast<c_GUIB_Font*>(fontValue));
    const GUIB_Rect r = GUIB_MessageBoxRect(parentWidth, parentHeight,
        GUIB_GetMessageMetrics(environment, true), font.Get(), title, text, buttons);
    GUIB_WindowCreate create { r.left, r.top, r.right - r.left, r.bottom - r.top, 0,
        GUIB_WF_CLICK_OUTSIDE, parent, environment, nullptr, 0 };
    auto* box = new c_GUIB_MessageBox(&create);
    if (callback != nullptr)
        (void)box->AddCallback(callback, reinterpret_cast<uintptr_t>(box));
    box->SetTitle(title);
    box->SetText(text);
    box->SetButtons(buttons);
    return box;
}
