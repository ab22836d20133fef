// How messages travel through the window tree: up the parent chain (routing), down the tree
// (broadcasts, including the paint cycle's compose), mouse events front to back, hover and
// hints, activation, focus and capture.
#include "guib/window_lists.h"

#include <algorithm>

namespace {

c_GUIB_Window* WindowOf(uintptr_t p)
{
    return reinterpret_cast<c_GUIB_Window*>(p);
}

uintptr_t Param(const void* p)
{
    return reinterpret_cast<uintptr_t>(p);
}

bool IsPress(uint32_t event)
{
    return event == GUIB_MOUSE_LDOWN || event == GUIB_MOUSE_RDOWN || event == GUIB_MOUSE_MDOWN;
}

bool IsOutsidePress(uint32_t event)
{
    return IsPress(event) || event == GUIB_MOUSE_LDBLCLK;
}

// Messages that climb to the root unchanged and are handled there.
bool GoesToRoot(uint32_t message)
{
    switch (message) {
    case GUIB_MSG_ENTERED:
    case GUIB_MSG_LEFT:
    case GUIB_MSG_CAPTURE:
    case GUIB_MSG_RELEASE:
    case GUIB_MSG_FOCUS_GAINED:
    case GUIB_MSG_FOCUS_LOST:
    case GUIB_MSG_GET_MODIFIERS:
    case GUIB_MSG_CLOSE:
    case GUIB_MSG_VISIBLE_RECT:
    case GUIB_MSG_HIDE_HINT:
    case GUIB_MSG_SIGNAL:
    case GUIB_MSG_GET_ROOT:
        return true;
    default:
        return false;
    }
}

void Offset(GUIB_Rect* r, int32_t dx, int32_t dy)
{
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
}

// The children of a window, each held by a reference while a message is handed to them, so that
// a child handling a message may raise, add or close siblings without upsetting the walk.
class ChildSnapshot {
public:
    explicit ChildSnapshot(const std::vector<c_GUIB_Window*>& children)
        : m_children(children)
    {
        for (c_GUIB_Window* child : m_children)
            child->Grab();
    }
    ~ChildSnapshot()
    {
        for (c_GUIB_Window* child : m_children)
            child->Drop();
    }
    ChildSnapshot(const ChildSnapshot&) = delete;
    ChildSnapshot& operator=(const ChildSnapshot&) = delete;
    const std::vector<c_GUIB_Window*>& Children() const { return m_children; }

private:
    std::vector<c_GUIB_Window*> m_children;
};

} // namespace

uint32_t c_GUIB_Window::Deliver(uint32_t message, uintptr_t p1, uintptr_t p2)
{
    if (!IsEnabled())
        return 0;
    return OnMessage(message, p1, p2);
}

uint32_t c_GUIB_Window::SendUp(uint32_t message, uintptr_t p1, uintptr_t p2)
{
    if (m_parent == nullptr)
        return 0;
    return m_parent->RouteUp(message, p1, p2);
}

// The routing rule, with this window as the receiver.
uint32_t c_GUIB_Window::RouteUp(uint32_t message, uintptr_t p1, uintptr_t p2)
{
    switch (message) {
    case GUIB_MSG_TO_ROOT: {
        auto* point = reinterpret_cast<GUIB_Point*>(p1);
        c_GUIB_Window* receiver = this;
        for (; receiver->m_parent != nullptr; receiver = receiver->m_parent) {
            point->x += receiver->m_x;
            point->y += receiver->m_y;
        }
        return receiver->Deliver(message, p1, p2);
    }
    case GUIB_MSG_TO_FRONT:
        RaiseChild(WindowOf(p1));
        if (m_parent != nullptr)
            return m_parent->RouteUp(GUIB_MSG_TO_FRONT, Param(this), p2);
        return 0;
    case GUIB_MSG_SHOW_HINT:
    case GUIB_MSG_INVALIDATE:
        if (m_parent == nullptr)
            return Deliver(message, p1, p2);
        if (message == GUIB_MSG_SHOW_HINT) {
            reinterpret_cast<GUIB_Point*>(p1)->x += m_x;
            reinterpret_cast<GUIB_Point*>(p1)->y += m_y;
        } else {
            Offset(reinterpret_cast<GUIB_Rect*>(p2), m_x, m_y);
        }
        return m_parent->RouteUp(message, p1, p2);
    case GUIB_MSG_ACTIVATED:
    case GUIB_MSG_GONE:
        if ((m_flags & GUIB_WF_ACTIVATABLE) != 0)
            return KeepActiveChild(message, WindowOf(p1));
        break;
    default:
        if (!GoesToRoot(message))
            return Deliver(message, p1, p2);
        break;
    }
    return m_parent != nullptr ? m_parent->RouteUp(message, p1, p2) : Deliver(message, p1, p2);
}

uint32_t c_GUIB_Window::KeepActiveChild(uint32_t message, c_GUIB_Window* child)
{
    if (message == GUIB_MSG_GONE) {
        if (m_activeChild == child)
            m_activeChild = nullptr;
        return 1;
    }
    if (m_activeChild != nullptr && m_activeChild != child)
        m_activeChild->Deactivate();
    m_activeChild = child;
    return 1;
}

void c_GUIB_Window::RaiseChild(c_GUIB_Window* child)
{
    auto& children = m_lists->children;
    if (children.empty() || children.front() == child)
        return;
    auto it = std::find(children.begin(), children.end(), child);
    if (it == children.end())
        return;
    std::rotate(children.begin(), it, it + 1);
    child->MarkDirty();
}

// The children first, then the window's own OnMessage, whose answer is the broadcast's. Unless
// ALL is set, the first child that answers non-zero ends the walk over the children.
uint32_t c_GUIB_Window::Broadcast(uint32_t message, uintptr_t p1, uintptr_t p2, uint32_t flags)
{
    if (((flags & GUIB_BC_SKIP_DISABLED) != 0 && !IsEnabled())
        || ((flags & GUIB_BC_SKIP_HIDDEN) != 0 && !IsVisible()))
        return 0;
    switch (message) {
    case GUIB_MSG_COMPOSE:
    case GUIB_MSG_COLLECT_VISIBLE:
        BroadcastDrawing(message, p1, p2, flags);
        return 0;
    case GUIB_MSG_UPDATE:
        Update();
        break;
    case GUIB_MSG_INVALIDATE_TREE:
        Invalidate(&m_rect);
        break;
    default:
        break;
    }
    if ((flags & GUIB_BC_NO_CHILDREN) == 0)
        (void)BroadcastChildren(message, p1, p2, flags);
    return OnMessage(message, p1, p2);
}

uint32_t c_GUIB_Window::BroadcastChildren(
    uint32_t message, uintptr_t p1, uintptr_t p2, uint32_t flags)
{
    ChildSnapshot snapshot(m_lists->children);
    const auto& children = snapshot.Children();
    bool reverse = (flags & GUIB_BC_REVERSE) != 0;
    for (size_t i = 0; i < children.size(); ++i) {
        c_GUIB_Window* child = children[reverse ? children.size() - 1 - i : i];
        uint32_t answer = child->Broadcast(message, p1, p2, flags);
        if (answer != 0 && (flags & GUIB_BC_ALL) == 0)
            return answer;
    }
    return 0;
}

void c_GUIB_Window::Update()
{
    if ((m_flags & GUIB_WF_DIRTY) == 0)
        return;
    m_flags &= ~GUIB_WF_DIRTY;
    if (m_surface == nullptr)
        Invalidate(&m_rect);
    else
        Draw();
}

// COMPOSE and COLLECT_VISIBLE: p1 is the compose record, p2 the origin of the parent in the
// target's coordinates. Each window narrows a private copy of the clip to itself, so children
// never reach outside their parent; children go back to front so the front one ends on top.
void c_GUIB_Window::BroadcastDrawing(uint32_t message, uintptr_t p1, uintptr_t p2, uint32_t flags)
{
    if (!IsVisible())
        return;
    const auto* target = reinterpret_cast<const GUIB_ComposeTarget*>(p1);
    const auto* origin = reinterpret_cast<const GUIB_Point*>(p2);
    GUIB_Rect placed = m_rect;
    Offset(&placed, origin->x + m_x, origin->y + m_y);
    GUIB_Rect clip = *target->clip;
    GUIB_ComposeTarget mine { target->bitmap, target->area, &clip };
    if (message == GUIB_MSG_COMPOSE) {
        (void)OnMessage(GUIB_MSG_COMPOSE, Param(&mine), Param(&placed));
    } else if (!GUIB_IntersectRect(&clip, &placed)) {
        clip = { 0, 0, 0, 0 };
    } else if (GUIB_Rect visible = clip; GUIB_IntersectRect(&visible, target->area)) {
        (void)RouteUp(GUIB_MSG_VISIBLE_RECT, 0, Param(&visible));
    }
    if (clip.left >= clip.right || clip.top >= clip.bottom)
        return;
    const GUIB_Point childOrigin { placed.left, placed.top };
    const auto& children = m_lists->children;
    for (size_t i = children.size(); i-- > 0;)
        (void)children[i]->Broadcast(message, Param(&mine), Param(&childOrigin), flags);
}

void c_GUIB_Window::ComposeSurface(GUIB_ComposeTarget* target, const GUIB_Rect* placed)
{
    if (!GUIB_IntersectRect(target->clip, placed)) {
        *target->clip = { 0, 0, 0, 0 };
        return;
    }
    GUIB_Rect part = *target->clip;
    if (m_surface == nullptr || !GUIB_IntersectRect(&part, target->area))
        return;
    m_surface->BlendTo(target->bitmap, part.left, part.top, part.left - placed->left,
        part.top - placed->top, part.right - part.left, part.bottom - part.top);
}

uint32_t c_GUIB_Window::OnMessage(uint32_t message, uintptr_t p1, uintptr_t p2)
{
    switch (message) {
    case GUIB_MSG_COMPOSE:
        ComposeSurface(
            reinterpret_cast<GUIB_ComposeTarget*>(p1), reinterpret_cast<const GUIB_Rect*>(p2));
        return 0;
    case GUIB_MSG_TICK:
        TickHint(static_cast<uint32_t>(p1));
        return 0;
    case GUIB_MSG_SHOW_HINT:
    case GUIB_MSG_HIDE_HINT:
        return Notify(message, p1, p2);
    default:
        return 0;
    }
}

// The hint shows once the mouse has rested on the window for more than a second, counted from
// the first tick after the last mouse event (which resets the start to 0).
void c_GUIB_Window::TickHint(uint32_t now)
{
    if ((m_flags & GUIB_WF_HOVER) == 0 || m_hintShown || m_hint == nullptr
        || m_hint->GetText() == nullptr)
        return;
    if (m_hoverStart == 0) {
        m_hoverStart = now;
        return;
    }
    if (now - m_hoverStart <= 1000) // by difference, so the tick count wrapping does no harm
        return;
    GUIB_Point at { m_lastMouse.x + m_x, m_lastMouse.y + m_y };
    (void)SendUp(GUIB_MSG_SHOW_HINT, Param(&at), Param(m_hint->GetText()));
    m_hintShown = true;
}

void c_GUIB_Window::Invalidate(const GUIB_Rect* r)
{
    GUIB_Rect moved = *r;
    Offset(&moved, m_x, m_y);
    (void)SendUp(GUIB_MSG_INVALIDATE, 0, Param(&moved));
}

uint32_t c_GUIB_Window::DispatchMouse(
    uint32_t event, const GUIB_Point* at, uint32_t state, const GUIB_Rect* clip)
{
    if (!IsEnabled() || !IsVisible())
        return 0;
    const GUIB_Point p { at->x - m_x, at->y - m_y };
    GUIB_Rect mine = *clip;
    Offset(&mine, -m_x, -m_y);
    if (!GUIB_IntersectRect(&mine, &m_rect))
        mine = { 0, 0, 0, 0 };
    bool captured = (m_flags & GUIB_WF_CAPTURE) != 0;
    if (!captured) {
        ChildSnapshot snapshot(m_lists->children);
        for (c_GUIB_Window* child : snapshot.Children()) {
            if (child->DispatchMouse(event, &p, state, &mine) != 0) {
                if (IsPress(event))
                    Activate();
                return 1;
            }
        }
    }
    bool hit = GUIB_PointInRect(mine, p.x, p.y) && HitTest(p.x, p.y);
    if (!hit && !captured) {
        if ((m_flags & GUIB_WF_CLICK_OUTSIDE) == 0)
            return 0;
        // A window that wants presses outside it swallows every event that reaches it, so
        // nothing behind it sees them.
        if (IsOutsidePress(event))
            OnMouse(GUIB_MOUSE_DOWN_OUTSIDE, &p, state, &mine);
        return 1;
    }
    if (((m_flags & GUIB_WF_HOVER) != 0) != hit)
        (void)SendUp(hit ? GUIB_MSG_ENTERED : GUIB_MSG_LEFT, Param(this), 0);
    m_lastMouse = p;
    m_hoverStart = 0;
    OnMouse(event, &p, state, &mine);
    if (IsPress(event))
        Activate();
    return 1;
}

void c_GUIB_Window::MouseEnter()
{
    m_flags |= GUIB_WF_HOVER;
    OnMouse(GUIB_MOUSE_ENTER, &m_lastMouse, 0, &m_rect);
    (void)Notify(GUIB_MOUSE_ENTER, 0, 0);
}

void c_GUIB_Window::MouseLeave()
{
    if ((m_flags & GUIB_WF_HOVER) == 0)
        return;
    if (m_hintShown) {
        (void)SendUp(GUIB_MSG_HIDE_HINT, 0, 0);
        m_hintShown = false;
    }
    m_flags &= ~GUIB_WF_HOVER;
    OnMouse(GUIB_MOUSE_LEAVE, &m_lastMouse, 0, &m_rect);
    (void)Notify(GUIB_MOUSE_LEAVE, 0, 0);
}

void c_GUIB_Window::Activate()
{
    if ((m_flags & GUIB_WF_ACTIVATABLE) == 0 || (m_flags & GUIB_WF_ACTIVE) != 0)
        return;
    (void)SendUp(GUIB_MSG_ACTIVATED, Param(this), 0);
    m_flags |= GUIB_WF_ACTIVE;
    if (m_activeChild != nullptr)
        m_activeChild->Activate();
    ToFront();
    (void)OnMessage(GUIB_MSG_ACTIVATED, 1, 0);
    MarkDirty();
}

void c_GUIB_Window::Deactivate()
{
    if ((m_flags & GUIB_WF_ACTIVATABLE) == 0 || (m_flags & GUIB_WF_ACTIVE) == 0)
        return;
    m_flags &= ~GUIB_WF_ACTIVE;
    if (m_activeChild != nullptr)
        m_activeChild->Deactivate();
    (void)OnMessage(GUIB_MSG_ACTIVATED, 0, 0);
    MarkDirty();
}

void c_GUIB_Window::ToFront()
{
    (void)SendUp(GUIB_MSG_TO_FRONT, Param(this), 0);
}

void c_GUIB_Window::ToRoot(GUIB_Point* p)
{
    (void)RouteUp(GUIB_MSG_TO_ROOT, Param(p), 0);
}

void c_GUIB_Window::Capture()
{
    if ((m_flags & GUIB_WF_CAPTURE) != 0)
        return;
    m_flags |= GUIB_WF_CAPTURE;
    (void)SendUp(GUIB_MSG_CAPTURE, Param(this), 0);
}

void c_GUIB_Window::ReleaseCapture()
{
    if ((m_flags & GUIB_WF_CAPTURE) == 0)
        return;
    m_flags &= ~GUIB_WF_CAPTURE;
    (void)SendUp(GUIB_MSG_RELEASE, Param(this), 0);
}

void c_GUIB_Window::Focus()
{
    if ((m_flags & GUIB_WF_FOCUSED) != 0 || (m_flags & GUIB_WF_FOCUSABLE) == 0)
        return;
    (void)SendUp(GUIB_MSG_FOCUS_GAINED, Param(this), 0);
    m_flags |= GUIB_WF_FOCUSED;
    (void)OnMessage(GUIB_MSG_FOCUS_CHANGED, 1, 0);
    MarkDirty();
}

void c_GUIB_Window::Unfocus()
{
    if ((m_flags & GUIB_WF_FOCUSED) == 0)
        return;
    (void)SendUp(GUIB_MSG_FOCUS_LOST, Param(this), 0);
    m_flags &= ~GUIB_WF_FOCUSED;
    (void)OnMessage(GUIB_MSG_FOCUS_CHANGED, 0, 0);
    MarkDirty();
}
