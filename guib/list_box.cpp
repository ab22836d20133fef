// The list box: its items and selection, the scroll bar that follows the item count, and the
// selection by mouse, wheel and keys. Its rows are painted in list_box_paint.cpp.
#include "guib/guib.h"

#include <algorithm>
#include <new>

namespace {

constexpr uint32_t BY_MOUSE = 1;
constexpr uint32_t BY_KEYS = 2;

// Navigation keys, by the low 16 bits of a key value.
constexpr uint32_t KEY_PAGE_UP = 33;
constexpr uint32_t KEY_PAGE_DOWN = 34;
constexpr uint32_t KEY_END = 35;
constexpr uint32_t KEY_HOME = 36;
constexpr uint32_t KEY_LEFT = 37;
constexpr uint32_t KEY_UP = 38;
constexpr uint32_t KEY_RIGHT = 39;
constexpr uint32_t KEY_DOWN = 40;

} // namespace

c_GUIB_ListBox::c_GUIB_ListBox(const GUIB_WindowCreate* create)
    : c_GUIB_Window(create)
    , m_defaultItemHeight(
          static_cast<int32_t>(create->environment->Property(GUIB_PROP_SCROLL_BAR_SIZE)) - 1)
{
    uintptr_t font = 0;
    if (m_environment->GetProperty(GUIB_PROP_DEFAULT_FONT, &font) == SYS_OK)
        m_font = GUIB_Ref<c_GUIB_Font>::Adopt(reinterpret_cast<c_GUIB_Font*>(font));
    const auto t = static_cast<int32_t>(m_environment->Property(GUIB_PROP_SCROLL_BAR_SIZE));
    const GUIB_WindowCreate bar { m_rect.right - t, 0, t, m_rect.bottom, 0, 0, this, m_environment,
        ScrollHandler, reinterpret_cast<uintptr_t>(this) };
    m_scrollBar = new c_GUIB_ScrollBar(&bar);
    const GUIB_ScrollInfo info { 0, 0, 0, 0, 1, GUIB_SB_VERTICAL };
    (void)m_scrollBar->SetScrollInfo(&info);
    m_scrollBar->Show(false);
    MarkDirty();
}

c_GUIB_ListBox::~c_GUIB_ListBox()
{
    for (Item& item : m_items)
        item.text->Release();
}

// Rows of the default height that fit; a height property that leaves rows under one pixel
// counts rows of one pixel.
uint32_t c_GUIB_ListBox::VisibleRows() const
{
    return static_cast<uint32_t>(std::max(m_rect.bottom, 0) / std::max(m_defaultItemHeight, 1));
}

uint32_t c_GUIB_ListBox::Page() const
{
    GUIB_ScrollInfo info {};
    m_scrollBar->GetScrollInfo(&info);
    return info.page > 0 ? static_cast<uint32_t>(info.page) : 0;
}

void c_GUIB_ListBox::SetFont(c_GUIB_Font* font)
{
    m_font = GUIB_Ref<c_GUIB_Font>(font);
    MarkDirty();
    if (font == nullptr || !font->IsLoaded())
        return;
    int32_t lineHeight = 0;
    (void)font->GetMetrics(&lineHeight, nullptr);
    for (Item& item : m_items)
        item.height = lineHeight;
    if (static_cast<int64_t>(m_items.size()) - m_rect.bottom / lineHeight >= 2) {
        ShowPages();
        m_scrollBar->Show(true);
    }
}

// The scroll bar's range becomes the item count and its page the visible rows.
void c_GUIB_ListBox::ShowPages()
{
    GUIB_ScrollInfo info {};
    m_scrollBar->GetScrollInfo(&info);
    info.maximum = static_cast<float>(m_items.size());
    info.page = static_cast<float>(VisibleRows());
    (void)m_scrollBar->SetScrollInfo(&info);
}

uint32_t c_GUIB_ListBox::AddItem(const char* text)
{
    try {
        m_items.push_back({ 0, 0, nullptr, m_defaultItemHeight });
        m_items.back().text = new c_GUIB_Text(text);
    } catch (const std::bad_alloc&) {
        if (!m_items.empty() && m_items.back().text == nullptr)
            m_items.pop_back();
        return GUIB_LB_ERROR;
    }
    if (VisibleRows() < m_items.size()) {
        ShowPages();
        m_scrollBar->Show(true);
    }
    MarkDirty();
    return static_cast<uint32_t>(m_items.size() - 1);
}

void c_GUIB_ListBox::ClearSelection()
{
    for (Item& item : m_items)
        item.flags &= ~Item::SELECTED;
}

uint32_t c_GUIB_ListBox::SetCurrent(uint32_t index, uint32_t select)
{
    const uint32_t old = m_current;
    if (index == GUIB_LB_NONE) {
        ClearSelection();
        m_current = GUIB_LB_NONE;
        MarkDirty();
        return old;
    }
    if (!Valid(index))
        return GUIB_LB_ERROR;
    m_items[index].flags
        = (m_items[index].flags & ~Item::SELECTED) | (select != 0 ? Item::SELECTED : 0);
    m_current = select != 0 ? index : GUIB_LB_NONE;
    MarkDirty();
    const uint64_t page = Page();
    if (m_top <= index && m_top + page > index)
        return old;
    const uint32_t top = m_top;
    if (m_top + page > index)
        m_top = index;
    else if (page != 0)
        m_top = index - static_cast<uint32_t>(page) + 1;
    if (m_top != top) {
        GUIB_ScrollInfo info {};
        m_scrollBar->GetScrollInfo(&info);
        info.value = static_cast<float>(m_top);
        (void)m_scrollBar->SetScrollInfo(&info);
    }
    return old;
}

uint32_t c_GUIB_ListBox::SetSelected(uint32_t index, uint32_t on)
{
    const uint32_t flag = on != 0 ? Item::SELECTED : 0;
    if (index == GUIB_LB_ALL) {
        for (Item& item : m_items)
            item.flags = (item.flags & ~Item::SELECTED) | flag;
        MarkDirty();
        return GUIB_LB_NONE;
    }
    if (!Valid(index))
        return GUIB_LB_ERROR;
    const uint32_t old = m_items[index].flags & Item::SELECTED;
    m_items[index].flags = (m_items[index].flags & ~Item::SELECTED) | flag;
    MarkDirty();
    return old;
}

uint32_t c_GUIB_ListBox::IsSelected(uint32_t index) const
{
    return Valid(index) ? m_items[index].flags & Item::SELECTED : GUIB_LB_ERROR;
}

uint32_t c_GUIB_ListBox::SelectRange(uint32_t a, uint32_t b, uint32_t on)
{
    if (!Valid(a) || !Valid(b))
        return GUIB_LB_ERROR;
    for (uint32_t i = std::min(a, b); i <= std::max(a, b); ++i)
        m_items[i].flags = (m_items[i].flags & ~Item::SELECTED) | (on != 0 ? Item::SELECTED : 0);
    MarkDirty();
    return 0;
}

uint32_t c_GUIB_ListBox::SetItemData(uint32_t index, uint32_t value)
{
    return Valid(index) ? std::exchange(m_items[index].data, value) : GUIB_LB_ERROR;
}

uint32_t c_GUIB_ListBox::GetItemData(uint32_t index) const
{
    return Valid(index) ? m_items[index].data : GUIB_LB_ERROR;
}

uint32_t c_GUIB_ListBox::SetItemHeight(uint32_t index, uint32_t height)
{
    if (!Valid(index))
        return GUIB_LB_ERROR;
    MarkDirty();
    return static_cast<uint32_t>(
        std::exchange(m_items[index].height, static_cast<int32_t>(height)));
}

uint32_t c_GUIB_ListBox::GetItemHeight(uint32_t index) const
{
    return Valid(index) ? static_cast<uint32_t>(m_items[index].height) : GUIB_LB_ERROR;
}

uint32_t c_GUIB_ListBox::SetTop(uint32_t top)
{
    return std::exchange(m_top, top);
}

uint32_t c_GUIB_ListBox::ShowScrollBar(uint32_t on)
{
    const uint32_t old = m_scrollBar->IsVisible() ? 1 : 0;
    m_scrollBar->Show(on != 0);
    return old;
}

void c_GUIB_ListBox::SetSize(int32_t width, int32_t height)
{
    c_GUIB_Window::SetSize(width, height);
    ShowPages();
    const bool fits = VisibleRows() >= m_items.size();
    if (fits)
        m_top = 0;
    m_scrollBar->Show(!fits);
    int32_t barWidth = 0;
    m_scrollBar->GetSize(&barWidth, nullptr);
    m_scrollBar->SetSize(barWidth, height);
    m_scrollBar->SetPosition(width - barWidth, 0);
}

// Row k shows item top + k; its span of y counts both ends, so the first row that matches wins.
uint32_t c_GUIB_ListBox::ItemAt(const GUIB_Point* point) const
{
    if (point->y <= 0 || m_items.empty())
        return GUIB_LB_NONE;
    int64_t start = 1;
    for (uint64_t index = m_top; index < m_items.size() && start < m_rect.bottom; ++index) {
        const int64_t end = start + m_items[index].height;
        if (point->y >= start && point->y <= end)
            return static_cast<uint32_t>(index);
        start = end;
    }
    return GUIB_LB_NONE;
}

// Asks the callbacks whether the selection may change.
bool c_GUIB_ListBox::Cancelled(uint32_t how)
{
    return Notify(GUIB_LB_SELCHANGING, m_current, how) != 0;
}

void c_GUIB_ListBox::OnMouse(uint32_t event, const GUIB_Point* at, uint32_t state, const GUIB_Rect*)
{
    uint32_t modifiers = 0;
    (void)SendUp(GUIB_MSG_GET_MODIFIERS, reinterpret_cast<uintptr_t>(&modifiers), 0);
    switch (event) {
    case GUIB_MOUSE_LDOWN:
        Focus();
        Capture();
        Press(ItemAt(at), modifiers);
        break;
    case GUIB_MOUSE_MOVE:
        if ((state & GUIB_BTN_LEFT) != 0 && (m_flags & GUIB_WF_CAPTURE) != 0)
            Sweep(ItemAt(at), modifiers);
        break;
    case GUIB_MOUSE_LDBLCLK:
        if (uint32_t item = ItemAt(at); item != GUIB_LB_NONE && item == m_current)
            (void)Notify(GUIB_LB_DBLCLK, item, 0);
        break;
    case GUIB_MOUSE_LUP:
        ReleaseCapture();
        break;
    case GUIB_MOUSE_WHEEL:
        Wheel(state);
        break;
    case GUIB_MOUSE_DOWN_OUTSIDE:
        (void)Notify(GUIB_MOUSE_DOWN_OUTSIDE, reinterpret_cast<uintptr_t>(at), state);
        break;
    default:
        break;
    }
}

void c_GUIB_ListBox::Press(uint32_t item, uint32_t modifiers)
{
    if (item == GUIB_LB_NONE || Cancelled(BY_MOUSE))
        return;
    m_dragState = 1;
    uint32_t select = 1;
    if ((modifiers & GUIB_KEY_SHIFT) != 0) {
        ClearSelection();
        (void)SelectRange(m_anchor, item, 1);
    } else if ((modifiers & GUIB_KEY_CTRL) != 0) {
        m_anchor = item;
        select = IsSelected(item) != 0 ? 0 : 1;
        m_dragState = select;
    } else {
        ClearSelection();
        m_anchor = item;
    }
    (void)SetCurrent(item, select);
    (void)Notify(GUIB_LB_SELCHANGED, m_current, BY_MOUSE);
}

void c_GUIB_ListBox::Sweep(uint32_t item, uint32_t modifiers)
{
    if (item == GUIB_LB_NONE || item == m_current || Cancelled(BY_MOUSE))
        return;
    if ((modifiers & GUIB_KEY_CTRL) == 0)
        ClearSelection();
    (void)SelectRange(m_anchor, item, m_dragState);
    (void)SetCurrent(item, 1);
    (void)Notify(GUIB_LB_SELCHANGED, item, BY_MOUSE);
}

// The wheel moves the current item without asking; an empty list has nothing to move to.
void c_GUIB_ListBox::Wheel(uint32_t state)
{
    if (m_items.empty())
        return;
    const int64_t current = static_cast<int32_t>(m_current);
    const int64_t last = static_cast<int64_t>(m_items.size()) - 1;
    const auto item = static_cast<uint32_t>(
        std::clamp(current - GUIB_GetWheelDelta(state), int64_t { 0 }, last));
    ClearSelection();
    (void)SetCurrent(item, 1);
    (void)Notify(GUIB_LB_SELCHANGED, item, BY_MOUSE);
}

uint32_t c_GUIB_ListBox::OnMessage(uint32_t message, uintptr_t p1, uintptr_t p2)
{
    if (message == GUIB_MSG_KEY_DOWN)
        Key(static_cast<uint32_t>(p1));
    return c_GUIB_Window::OnMessage(message, p1, p2);
}

// Typed characters share their codes with the navigation keys ("!" is 33) and are left alone.
void c_GUIB_ListBox::Key(uint32_t key)
{
    const uint32_t code = key & 0xFFFF;
    if ((key & GUIB_KEY_CHAR) != 0 || code < KEY_PAGE_UP || code > KEY_DOWN || m_items.empty()
        || Cancelled(BY_KEYS))
        return;
    const int64_t n = static_cast<int64_t>(m_items.size());
    const int64_t page = Page();
    const bool none = m_current == GUIB_LB_NONE;
    const int64_t c = none ? 0 : m_current;
    int64_t item = c;
    switch (code) {
    case KEY_PAGE_UP:
        item = none || page == 0 ? 0 : std::max<int64_t>(c + 1 - page, 0);
        break;
    case KEY_PAGE_DOWN:
        item = none ? n - 1 : std::min(page != 0 ? c + page - 1 : n, n - 1);
        break;
    case KEY_END:
        item = n - 1;
        break;
    case KEY_HOME:
        item = 0;
        break;
    case KEY_LEFT:
    case KEY_UP:
        item = c > 0 ? c - 1 : c;
        break;
    default:
        item = c + 1 < n ? c + 1 : c;
        break;
    }
    const bool arrow = code >= KEY_LEFT;
    const uint32_t target = none && arrow ? GUIB_LB_NONE : static_cast<uint32_t>(item);
    ClearSelection();
    if ((key & GUIB_KEY_SHIFT) != 0)
        (void)SelectRange(m_anchor, target, 1);
    else if (code != KEY_HOME && code != KEY_END)
        m_anchor = target;
    (void)SetCurrent(target, 1);
    (void)Notify(GUIB_LB_SELCHANGED, target, BY_KEYS);
}

uint32_t c_GUIB_ListBox::ScrollHandler(
    c_GUIB_Window*, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t)
{
    if (code == GUIB_SB_CHANGED || code == GUIB_SB_TRACKING) {
        auto* list = reinterpret_cast<c_GUIB_ListBox*>(user);
        list->m_top = static_cast<uint32_t>(p1);
        list->MarkDirty();
    }
    return 1;
}
