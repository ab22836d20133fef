// c_GUIB_Window's life and state: construction from the environment's defaults, the setters that
// mark the window dirty, and the destruction sequence that leaves the tree cleanly.
#include "guib/window_lists.h"

#include <algorithm>
#include <cstring>

namespace {

// Environment properties copied into every new window: {property, slot}.
struct Copy {
    uint32_t property;
    uint32_t slot;
};
constexpr Copy TEXT_COLOURS[]
    = { { 0, 0 }, { 1, 4 }, { 3, 6 }, { 4, 7 }, { 5, 8 }, { 6, 1 }, { 7, 2 } };
constexpr Copy FILL_COLOURS[]
    = { { 8, 0 }, { 9, 1 }, { 10, 2 }, { 11, 4 }, { 13, 6 }, { 14, 7 }, { 15, 3 }, { 16, 8 } };
constexpr Copy SIGNALS[] = { { 28, 0 }, { 29, 1 }, { 30, 2 }, { 34, 3 }, { 35, 4 } };
constexpr uint32_t DEFAULT_FONT_SLOTS[] = { 0, 4, 7 };
constexpr uint32_t SLOTS = 9;

char16_t* CopyText(const char16_t* text)
{
    if (text == nullptr || text[0] == 0)
        return nullptr;
    size_t n = 0;
    while (text[n] != 0)
        ++n;
    auto* copy = new char16_t[n + 1];
    std::memcpy(copy, text, (n + 1) * sizeof(char16_t));
    return copy;
}

bool SameText(const char16_t* a, const char16_t* b)
{
    if (a == nullptr || b == nullptr)
        return a == b;
    while (*a != 0 && *a == *b)
        ++a, ++b;
    return *a == *b;
}

} // namespace

c_GUIB_Window::c_GUIB_Window(const GUIB_WindowCreate* create)
    : m_x(create->x)
    , m_y(create->y)
    , m_rect { 0, 0, create->width, create->height }
    , m_environment(create->environment)
    , m_parent(create->parent)
    , m_flags(create->flags | GUIB_WF_VISIBLE | GUIB_WF_FOCUSABLE)
    , m_lists(new Lists)
{
    if ((m_flags & GUIB_WF_NO_BITMAP) == 0)
        m_surface = new c_GUIB_Bitmap(create->width, create->height);
    m_id = create->id != 0 ? create->id : m_environment->NextId();
    // A second window with a taken id lives on, but cannot be found by it.
    (void)m_environment->RegisterWindow(this);
    if (m_parent != nullptr)
        m_parent->m_lists->children.insert(m_parent->m_lists->children.begin(), this);
    CopyEnvironment();
    if (create->callback != nullptr)
        (void)AddCallback(create->callback, create->user);
}

void c_GUIB_Window::CopyEnvironment()
{
    const c_GUIB_Environment& env = *m_environment;
    m_frameStyle = env.Property(GUIB_PROP_FRAME_STYLE);
    m_textAlign = env.Property(GUIB_PROP_TEXT_ALIGN);
    for (const Copy& c : SIGNALS)
        m_signals[c.slot] = env.Property(c.property);
    for (const Copy& c : FILL_COLOURS)
        m_fillColours[c.slot] = env.Property(c.property);
    for (const Copy& c : TEXT_COLOURS)
        m_textColours[c.slot] = env.Property(c.property);
    uintptr_t font = 0;
    if (env.GetProperty(GUIB_PROP_DEFAULT_FONT, &font) != SYS_OK)
        return;
    for (uint32_t slot : DEFAULT_FONT_SLOTS)
        (void)SetFont(slot, reinterpret_cast<c_GUIB_Font*>(font));
    reinterpret_cast<c_GUIB_Font*>(font)->Release();
}

c_GUIB_Window::~c_GUIB_Window()
{
    LeaveAncestors();
    Invalidate(&m_rect);
    DropChildren();
    ReleaseCapture();
    for (c_GUIB_Font*& font : m_fonts)
        if (c_GUIB_Font* held = std::exchange(font, nullptr); held != nullptr)
            held->Release();
    if (m_parent != nullptr)
        m_parent->RemoveChild(this);
    m_environment->UnregisterWindow(this);
    if (m_surface != nullptr)
        m_surface->Release();
    delete[] m_caption;
    if (m_hint != nullptr)
        m_hint->Release();
    delete m_lists;
}

// Drops each child's creation reference. A child that somebody else still holds outlives this
// window: it is taken out of the tree first (its input state handed back while the ancestors
// still exist), so that it never reaches its destroyed parent.
void c_GUIB_Window::DropChildren()
{
    std::vector<c_GUIB_Window*> children = m_lists->children;
    for (c_GUIB_Window* child : children) {
        child->Drop();
        auto& current = m_lists->children;
        if (std::find(current.begin(), current.end(), child) == current.end())
            continue;
        child->LeaveInput();
        RemoveChild(child);
        child->m_parent = nullptr;
    }
}

// Gives up capture, focus, hover and activation for the window and its subtree.
void c_GUIB_Window::LeaveInput()
{
    for (c_GUIB_Window* child : m_lists->children)
        child->LeaveInput();
    LeaveAncestors();
}

// Tells the ancestors that the window no longer counts: its activatable ancestor forgets it
// and the root gives up its capture, focus and hover.
void c_GUIB_Window::LeaveAncestors()
{
    if ((m_flags & GUIB_WF_ACTIVATABLE) != 0)
        (void)SendUp(GUIB_MSG_GONE, reinterpret_cast<uintptr_t>(this), 0);
    ReleaseCapture();
    Unfocus();
    if ((m_flags & GUIB_WF_HOVER) != 0)
        (void)SendUp(GUIB_MSG_LEFT, reinterpret_cast<uintptr_t>(this), 0);
}

void c_GUIB_Window::RemoveChild(c_GUIB_Window* child)
{
    auto& children = m_lists->children;
    children.erase(std::remove(children.begin(), children.end(), child), children.end());
    if (m_activeChild == child)
        m_activeChild = nullptr;
}

uint32_t c_GUIB_Window::Grab()
{
    return ++m_refCount;
}

uint32_t c_GUIB_Window::Drop()
{
    uint32_t count = --m_refCount;
    if (count == 0)
        delete this;
    return count;
}

uint32_t c_GUIB_Window::SetFlags(uint32_t mask)
{
    uint32_t old = m_flags;
    m_flags |= mask & GUIB_WF_CHANGEABLE;
    FlagsChanged(old, mask & GUIB_WF_CHANGEABLE);
    return old;
}

uint32_t c_GUIB_Window::ClearFlags(uint32_t mask)
{
    uint32_t old = m_flags;
    m_flags &= ~(mask & GUIB_WF_CHANGEABLE);
    FlagsChanged(old, mask & GUIB_WF_CHANGEABLE);
    return old;
}

void c_GUIB_Window::FlagsChanged(uint32_t old, uint32_t mask)
{
    if (mask == 0 || m_flags == old || mask == GUIB_WF_KEEP_DISABLED)
        return;
    MarkDirty();
    if ((mask & GUIB_WF_VISIBLE) == 0)
        return;
    (void)Broadcast(GUIB_MSG_INVALIDATE_TREE, 0, 0, GUIB_BC_REVERSE | GUIB_BC_ALL);
    (void)Broadcast(GUIB_MSG_VISIBILITY_CHANGED, IsVisible() ? 1 : 0, 0, GUIB_BC_ALL);
}

void c_GUIB_Window::Show(bool show)
{
    (void)(show ? SetFlags(GUIB_WF_VISIBLE) : ClearFlags(GUIB_WF_VISIBLE));
}

void c_GUIB_Window::Enable(bool enable)
{
    if (IsEnabled() == enable)
        return;
    (void)(enable ? ClearFlags(GUIB_WF_DISABLED) : SetFlags(GUIB_WF_DISABLED));
    for (c_GUIB_Window* child : m_lists->children) {
        if (enable) {
            if ((child->m_flags & GUIB_WF_KEEP_DISABLED) == 0)
                child->Enable(true);
        } else if (child->IsEnabled()) {
            (void)child->ClearFlags(GUIB_WF_KEEP_DISABLED);
            child->Enable(false);
        } else {
            (void)child->SetFlags(GUIB_WF_KEEP_DISABLED);
        }
    }
}

void c_GUIB_Window::SetFrameStyle(uint32_t style)
{
    if (std::exchange(m_frameStyle, style) != style)
        MarkDirty();
}

void c_GUIB_Window::SetTextAlign(uint32_t align)
{
    if (std::exchange(m_textAlign, align) != align)
        MarkDirty();
}

SYS_Status c_GUIB_Window::SetSignal(uint32_t slot, uint32_t value)
{
    if (slot >= std::size(m_signals))
        return GUIB_OUT_OF_RANGE;
    m_signals[slot] = value;
    return SYS_OK;
}

uint32_t c_GUIB_Window::GetSignal(uint32_t slot) const
{
    return slot < std::size(m_signals) ? m_signals[slot] : 0;
}

void c_GUIB_Window::Signal(uint32_t value)
{
    if (m_signalsEnabled && value != 0)
        (void)SendUp(GUIB_MSG_SIGNAL, value, 0);
}

SYS_Status c_GUIB_Window::SetColour(uint32_t* colours, uint32_t index, uint32_t colour)
{
    if (index >= SLOTS)
        return GUIB_OUT_OF_RANGE;
    if (std::exchange(colours[index], colour) != colour)
        MarkDirty();
    return SYS_OK;
}

SYS_Status c_GUIB_Window::SetFillColour(uint32_t index, uint32_t colour)
{
    return SetColour(m_fillColours, index, colour);
}

SYS_Status c_GUIB_Window::SetTextColour(uint32_t index, uint32_t colour)
{
    return SetColour(m_textColours, index, colour);
}

namespace {

SYS_Status ReadColour(const uint32_t* colours, uint32_t index, uint32_t* colour)
{
    if (index >= SLOTS)
        return GUIB_OUT_OF_RANGE;
    *colour = colours[index];
    return SYS_OK;
}

// Hints are kept as shared texts; an empty text clears the hint.
template <typename Char> void SetHintFrom(c_GUIB_Window* window, const Char* text)
{
    c_GUIB_Text* wrapper = text != nullptr && text[0] != 0 ? new c_GUIB_Text(text) : nullptr;
    window->SetHintText(wrapper);
    if (wrapper != nullptr)
        wrapper->Release();
}

} // namespace

SYS_Status c_GUIB_Window::GetFillColour(uint32_t index, uint32_t* colour) const
{
    return ReadColour(m_fillColours, index, colour);
}

SYS_Status c_GUIB_Window::GetTextColour(uint32_t index, uint32_t* colour) const
{
    return ReadColour(m_textColours, index, colour);
}

SYS_Status c_GUIB_Window::GetFont(uint32_t slot, c_GUIB_Font** font) const
{
    if (slot >= SLOTS)
        return GUIB_OUT_OF_RANGE;
    if (m_fonts[slot] == nullptr)
        return GUIB_SLOT_EMPTY;
    m_fonts[slot]->AddRef();
    *font = m_fonts[slot];
    return SYS_OK;
}

SYS_Status c_GUIB_Window::SetFont(uint32_t slot, c_GUIB_Font* font)
{
    if (slot >= SLOTS)
        return GUIB_OUT_OF_RANGE;
    if (font != nullptr)
        font->AddRef();
    if (c_GUIB_Font* old = std::exchange(m_fonts[slot], font); old != nullptr)
        old->Release();
    MarkDirty();
    return SYS_OK;
}

void c_GUIB_Window::SetCaption(const char* text)
{
    if (text == nullptr) {
        SetCaption(static_cast<const char16_t*>(nullptr));
        return;
    }
    std::vector<char16_t> wide(text, text + std::strlen(text) + 1);
    for (char16_t& unit : wide)
        unit = static_cast<unsigned char>(unit);
    SetCaption(wide.data());
}

void c_GUIB_Window::SetCaption(const char16_t* text)
{
    char16_t* copy = CopyText(text);
    if (!SameText(copy, m_caption))
        MarkDirty();
    delete[] std::exchange(m_caption, copy);
}

void c_GUIB_Window::SetHint(const char16_t* text)
{
    SetHintFrom(this, text);
}

void c_GUIB_Window::SetHint(const char* text)
{
    SetHintFrom(this, text);
}

void c_GUIB_Window::SetHintText(c_GUIB_Text* text)
{
    if (text != nullptr)
        text->AddRef();
    if (c_GUIB_Text* old = std::exchange(m_hint, text); old != nullptr)
        old->Release();
}

void c_GUIB_Window::GetPosition(int32_t* x, int32_t* y) const
{
    if (x != nullptr)
        *x = m_x;
    if (y != nullptr)
        *y = m_y;
}

void c_GUIB_Window::GetSize(int32_t* width, int32_t* height) const
{
    if (width != nullptr)
        *width = m_rect.right;
    if (height != nullptr)
        *height = m_rect.bottom;
}

void c_GUIB_Window::SetPosition(int32_t x, int32_t y)
{
    if (x == m_x && y == m_y)
        return;
    (void)Broadcast(GUIB_MSG_INVALIDATE_TREE, 0, 0, GUIB_BC_REVERSE | GUIB_BC_ALL);
    m_x = x;
    m_y = y;
    (void)Broadcast(GUIB_MSG_INVALIDATE_TREE, 0, 0, GUIB_BC_REVERSE | GUIB_BC_ALL);
}

void c_GUIB_Window::SetSize(int32_t width, int32_t height)
{
    if (width < m_rect.right || height < m_rect.bottom)
        Invalidate(&m_rect);
    m_rect = { 0, 0, width, height };
    if (m_surface != nullptr) {
        m_surface->Release();
        m_surface = new c_GUIB_Bitmap(width, height);
    }
    MarkDirty();
}

c_GUIB_Window* c_GUIB_Window::GetParent() const
{
    if (m_parent != nullptr)
        m_parent->Grab();
    return m_parent;
}

c_GUIB_Window* c_GUIB_Window::GetRoot()
{
    if (m_parent == nullptr)
        return nullptr;
    c_GUIB_Window* root = m_parent;
    while (root->m_parent != nullptr)
        root = root->m_parent;
    root->Grab();
    return root;
}

uint32_t c_GUIB_Window::GetChildCount() const
{
    return static_cast<uint32_t>(m_lists->children.size());
}

c_GUIB_Window* c_GUIB_Window::GetChild(uint32_t index) const
{
    return index < m_lists->children.size() ? m_lists->children[index] : nullptr;
}

void c_GUIB_Window::Close()
{
    if (Notify(GUIB_MSG_CLOSE, reinterpret_cast<uintptr_t>(this), 0) == 0)
        (void)SendUp(GUIB_MSG_CLOSE, m_id, 0);
}

void c_GUIB_Window::Draw()
{
}

bool c_GUIB_Window::HitTest(int32_t x, int32_t y)
{
    return GUIB_PointInRect(m_rect, x, y);
}

void c_GUIB_Window::OnMouse(uint32_t, const GUIB_Point*, uint32_t, const GUIB_Rect*)
{
}

SYS_Status c_GUIB_Window::AddCallback(GUIB_Callback callback, uintptr_t user)
{
    RemoveCallback(callback);
    auto& callbacks = m_lists->callbacks;
    callbacks.insert(callbacks.begin(), { callback, user });
    return SYS_OK;
}

void c_GUIB_Window::RemoveCallback(GUIB_Callback callback)
{
    auto& callbacks = m_lists->callbacks;
    callbacks.erase(std::remove_if(callbacks.begin(), callbacks.end(),
                        [callback](const Lists::Callback& c) { return c.function == callback; }),
        callbacks.end());
}

// Calls a snapshot of the callbacks, so that a callback may add or remove callbacks: one
// removed before its turn is skipped.
uint32_t c_GUIB_Window::Notify(uint32_t code, uintptr_t p1, uintptr_t p2)
{
    if (m_lists->callbacks.empty())
        return 0;
    std::vector<Lists::Callback> snapshot = m_lists->callbacks;
    for (const Lists::Callback& c : snapshot) {
        auto& current = m_lists->callbacks;
        auto it = std::find_if(current.begin(), current.end(),
            [&c](const Lists::Callback& held) { return held.function == c.function; });
        if (it == current.end())
            continue;
        uint32_t answer = it->function(this, it->user, code, p1, p2);
        if (answer != 0 && code != GUIB_MSG_SHOW_HINT)
            return answer;
    }
    return 0;
}
