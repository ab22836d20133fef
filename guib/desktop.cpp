// c_GUIB_Desktop: the root of the window tree. It keeps the dirty rectangles and composes them
// into its back buffer, shows them through its window, destroys closed windows between passes
// and answers the messages that climb to the root.
#include "guib/os_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

struct c_GUIB_Desktop::DirtyList {
    std::vector<GUIB_Rect> rects;
};

struct c_GUIB_Desktop::CloseQueue {
    std::vector<uint32_t> ids;
};

namespace {

uint64_t Area(const GUIB_Rect& r)
{
    return static_cast<uint64_t>(static_cast<int64_t>(r.right) - r.left)
        * static_cast<uint64_t>(static_cast<int64_t>(r.bottom) - r.top);
}

GUIB_Rect Bounds(const GUIB_Rect& a, const GUIB_Rect& b)
{
    return { std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
        std::max(a.bottom, b.bottom) };
}

bool Covers(const GUIB_Rect& outer, const GUIB_Rect& r)
{
    return GUIB_PointInRect(outer, r.left, r.top)
        && GUIB_PointInRect(outer, r.right - 1, r.bottom - 1);
}

char* CopyName(const char* name)
{
    size_t n = std::strlen(name) + 1;
    auto* copy = new char[n];
    std::memcpy(copy, name, n);
    return copy;
}

} // namespace

c_GUIB_Desktop::c_GUIB_Desktop(const GUIB_WindowCreate* create)
    : c_GUIB_Window(create)
    , m_tickStamp(GUIB_TickCount())
    , m_dirty(new DirtyList)
    , m_pendingClose(new CloseQueue)
{
    m_flags |= GUIB_WF_ACTIVATABLE;
}

c_GUIB_Desktop::~c_GUIB_Desktop()
{
    delete m_pendingClose;
    delete m_dirty;
    DestroyDesktopWindow();
    delete[] m_className;
    // The windows still in the tree go with the base class; whatever they report to the root
    // from now on reaches a plain window.
    m_hover = m_capture = m_focus = nullptr;
}

SYS_Status c_GUIB_Desktop::SetWindowMode(uint32_t mode, const GUIB_WindowParams* params)
{
    if (m_mode != 0)
        DestroyDesktopWindow();
    if (mode == 0)
        return SYS_OK;
    if (mode != 1)
        return GUIB_OUT_OF_RANGE;
    delete[] std::exchange(m_className, nullptr);
    if (params != nullptr && params->className != nullptr) {
        m_className = CopyName(params->className);
    } else {
        m_className = new char[32];
        std::snprintf(m_className, 32, "Class_%x", GUIB_TickCount());
    }
    uintptr_t window
        = guib::os::CreateDesktopWindow(this, m_className, m_rect.right, m_rect.bottom, params);
    if (window == 0)
        return GUIB_NO_WINDOW;
    m_window = window;
    m_mode = 1;
    return SYS_OK;
}

uintptr_t c_GUIB_Desktop::GetWindowHandle() const
{
    return m_mode == 1 ? m_window : 0;
}

void c_GUIB_Desktop::DestroyDesktopWindow()
{
    if (m_mode == 1)
        guib::os::DestroyDesktopWindow(m_window, m_className);
    m_window = 0;
    m_mode = 0;
}

uint32_t c_GUIB_Desktop::Pump()
{
    if (m_closed)
        return 0;
    DestroyClosedWindows();
    uint32_t now = GUIB_TickCount();
    // The stamp is never advanced: after the first interval every pass sends a tick.
    if (now - m_tickStamp > m_environment->Property(GUIB_PROP_TICK_INTERVAL))
        (void)Broadcast(GUIB_MSG_TICK, now, 0, GUIB_BC_ALL);
    (void)Broadcast(GUIB_MSG_UPDATE, now, 0, GUIB_BC_ALL);
    FlushDirtyRects();
    if (m_mode == 1)
        guib::os::PumpMessages(m_window);
    return 1;
}

// Each queued window loses the lookup's reference and its creation reference; it survives only
// while somebody else still holds one.
void c_GUIB_Desktop::DestroyClosedWindows()
{
    std::vector<uint32_t> ids;
    ids.swap(m_pendingClose->ids);
    for (uint32_t id : ids) {
        if (c_GUIB_Window* window = m_environment->FindWindow(id); window != nullptr) {
            window->Drop();
            window->Drop();
        }
    }
}

// A window closed twice before the next pass is queued once: a second entry would drop it
// again under whoever still holds it.
void c_GUIB_Desktop::QueueClose(uint32_t id)
{
    auto& ids = m_pendingClose->ids;
    if (std::find(ids.begin(), ids.end(), id) == ids.end())
        ids.push_back(id);
}

void c_GUIB_Desktop::CollectVisible(const GUIB_Rect* r)
{
    GUIB_Rect area = *r;
    if (!GUIB_IntersectRect(&area, &m_rect))
        return;
    GUIB_Rect clip = m_rect;
    GUIB_ComposeTarget record { m_surface, &area, &clip };
    const GUIB_Point origin { -m_x, -m_y };
    (void)Broadcast(GUIB_MSG_COLLECT_VISIBLE, reinterpret_cast<uintptr_t>(&record),
        reinterpret_cast<uintptr_t>(&origin), GUIB_BC_SKIP_HIDDEN | GUIB_BC_REVERSE);
}

void c_GUIB_Desktop::AddVisibleRect(const GUIB_Rect* r)
{
    for (const GUIB_Rect& listed : m_dirty->rects)
        if (Covers(listed, *r))
            return;
    m_dirty->rects.push_back(*r);
}

// Passes over the list until one merges nothing: B takes the bounding box of A and B whenever
// that box costs no more pixels than the two together, and A goes.
void c_GUIB_Desktop::MergeDirtyRects()
{
    auto& rects = m_dirty->rects;
    for (bool merged = true; merged;) {
        merged = false;
        for (size_t a = 0; a < rects.size(); ++a) {
            for (size_t b = a + 1; b < rects.size();) {
                GUIB_Rect u = Bounds(rects[a], rects[b]);
                if (Area(u) > Area(rects[a]) + Area(rects[b])) {
                    ++b;
                    continue;
                }
                rects[b] = u;
                rects.erase(rects.begin() + static_cast<ptrdiff_t>(a));
                merged = true;
            }
        }
    }
}

// Each rectangle is cleared before the tree is composed into it, so that translucent windows
// are blended onto what lies behind them now, not onto their own earlier pixels.
void c_GUIB_Desktop::FlushDirtyRects()
{
    MergeDirtyRects();
    std::vector<GUIB_Rect> rects;
    rects.swap(m_dirty->rects);
    if (m_surface == nullptr)
        return;
    const uint32_t colour = m_surface->GetColour();
    for (const GUIB_Rect& r : rects) {
        m_surface->SetColour(0);
        m_surface->FillRect(&r);
        GUIB_Rect clip = r;
        GUIB_ComposeTarget record { m_surface, &r, &clip };
        const GUIB_Point origin { -m_x, -m_y };
        (void)Broadcast(GUIB_MSG_COMPOSE, reinterpret_cast<uintptr_t>(&record),
            reinterpret_cast<uintptr_t>(&origin), GUIB_BC_SKIP_HIDDEN | GUIB_BC_REVERSE);
        Present(&r);
    }
    m_surface->SetColour(colour);
}

void c_GUIB_Desktop::Present(const GUIB_Rect* r)
{
    if (m_mode != 1 || m_surface == nullptr)
        return;
    guib::os::PresentBitmap(m_window, *m_surface, m_x + r->left, m_y + r->top, *r);
    GUIB_Rect shown = *r;
    if (GUIB_IntersectRect(&shown, &m_rect))
        m_presentedPixels += Area(shown);
}

uint32_t c_GUIB_Desktop::GetDirtyRectCount() const
{
    return static_cast<uint32_t>(m_dirty->rects.size());
}

GUIB_Rect c_GUIB_Desktop::GetDirtyRect(uint32_t index) const
{
    return index < m_dirty->rects.size() ? m_dirty->rects[index] : GUIB_Rect { 0, 0, 0, 0 };
}

bool c_GUIB_Desktop::ReadPresented(uint32_t* pixels) const
{
    return m_mode == 1 && guib::os::ReadClient(m_window, pixels, m_rect.right, m_rect.bottom);
}

bool c_GUIB_Desktop::PostSystemMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) const
{
    return m_mode == 1 && guib::os::PostMessageTo(m_window, message, wParam, lParam);
}

void c_GUIB_Desktop::ClientToScreen(GUIB_Point* p) const
{
    if (m_mode == 1)
        guib::os::ClientToScreen(m_window, &p->x, &p->y);
}

void c_GUIB_Desktop::HideHint()
{
    if (!m_hintShowing)
        return;
    (void)BroadcastChildren(GUIB_MSG_HIDE_HINT, 0, 0, GUIB_BC_SKIP_HIDDEN);
    m_hintShowing = false;
}

uint32_t c_GUIB_Desktop::OnMessage(uint32_t message, uintptr_t p1, uintptr_t p2)
{
    auto* window = reinterpret_cast<c_GUIB_Window*>(p1);
    switch (message) {
    case GUIB_MSG_ENTERED:
        if (m_hover != nullptr)
            m_hover->MouseLeave();
        m_hover = window;
        window->MouseEnter();
        return 0;
    case GUIB_MSG_LEFT:
        if (m_hover == window)
            window->MouseLeave();
        m_hover = nullptr;
        return 0;
    case GUIB_MSG_CAPTURE:
        m_capture = window;
        return 0;
    case GUIB_MSG_RELEASE:
        if (m_capture == window)
            ReleasedCapture();
        return 0;
    case GUIB_MSG_FOCUS_GAINED:
        if (m_focus != nullptr)
            m_focus->Unfocus();
        m_focus = window;
        return 0;
    case GUIB_MSG_FOCUS_LOST:
        if (m_focus == window)
            m_focus = nullptr;
        return 0;
    case GUIB_MSG_GET_MODIFIERS:
        *reinterpret_cast<uint32_t*>(p1) = GUIB_GetModifiers();
        return 0;
    case GUIB_MSG_INVALIDATE:
        CollectVisible(reinterpret_cast<const GUIB_Rect*>(p2));
        return 0;
    case GUIB_MSG_CLOSE:
        QueueClose(static_cast<uint32_t>(p1));
        return 0;
    case GUIB_MSG_VISIBLE_RECT:
        AddVisibleRect(reinterpret_cast<const GUIB_Rect*>(p2));
        return 0;
    case GUIB_MSG_SHOW_HINT: {
        uint32_t answer = BroadcastChildren(GUIB_MSG_SHOW_HINT, p1, p2, GUIB_BC_SKIP_HIDDEN);
        m_hintShowing = true;
        return answer;
    }
    case GUIB_MSG_HIDE_HINT:
        HideHint();
        return 0;
    case GUIB_MSG_SIGNAL:
        return BroadcastChildren(GUIB_MSG_SIGNAL, p1, p2, GUIB_BC_SKIP_DISABLED);
    case GUIB_MSG_GET_ROOT:
        *reinterpret_cast<c_GUIB_Window**>(p1) = this;
        return 0;
    default:
        return 0;
    }
}
