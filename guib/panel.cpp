// The picture panel: a background colour and a picture drawn once, centred, tiled, resampled
// to the panel, or scrolled with scroll bars of its own; or a picture that is the surface.
#include "guib/guib.h"

#include <algorithm>

c_GUIB_Panel::c_GUIB_Panel(const GUIB_WindowCreate* create)
    : c_GUIB_Window(create)
{
    m_flags &= ~GUIB_WF_FOCUSABLE;
    MarkDirty();
}

// The previous picture goes, and with it the scroll bars and a surface that was a picture.
SYS_Status c_GUIB_Panel::SetPicture(const GUIB_PictureSetup* setup)
{
    const bool hadPicture = static_cast<bool>(m_picture);
    if (hadPicture && m_surface == m_picture.Get()) {
        m_surface->Release();
        m_surface = new c_GUIB_Bitmap(m_rect.right, m_rect.bottom);
    }
    m_picture.Reset();
    DropScrollBars();
    m_scrollX = 0;
    m_scrollY = 0;
    (void)SetFillColour(1, setup->background);
    m_mode = setup->mode;
    if (setup->picture == nullptr) {
        if (hadPicture)
            MarkDirty();
        return SYS_OK;
    }
    m_picture = GUIB_Ref<c_GUIB_Bitmap>(setup->picture);
    if ((m_mode & GUIB_PM_SURFACE) != 0) {
        m_surface->Release();
        m_surface = setup->picture;
        m_surface->AddRef();
        MarkDirty();
        return SYS_OK;
    }
    switch (m_mode & GUIB_PM_MASK) {
    case GUIB_PM_ONCE:
    case GUIB_PM_TILE:
    case GUIB_PM_CENTRE:
        break;
    case GUIB_PM_STRETCH:
        m_picture->Stretch(m_rect.right, m_rect.bottom);
        break;
    case GUIB_PM_FIT:
        FitPicture();
        break;
    case GUIB_PM_SCROLL: {
        PictureSteps(setup);
        int32_t pw = 0;
        int32_t ph = 0;
        m_picture->GetSize(&pw, &ph);
        MakeScrollBars(pw, ph);
        break;
    }
    default:
        return GUIB_BAD_RANGE;
    }
    MarkDirty();
    return SYS_OK;
}

// A picture larger than the panel either way shrinks by the larger of the two ratios.
void c_GUIB_Panel::FitPicture()
{
    int32_t pw = 0;
    int32_t ph = 0;
    m_picture->GetSize(&pw, &ph);
    if (m_rect.right <= 0 || m_rect.bottom <= 0 || (pw <= m_rect.right && ph <= m_rect.bottom))
        return;
    const float ratio = std::max(static_cast<float>(pw) / static_cast<float>(m_rect.right),
        static_cast<float>(ph) / static_cast<float>(m_rect.bottom));
    m_picture->Stretch(
        SYS_Round(static_cast<float>(pw) / ratio), SYS_Round(static_cast<float>(ph) / ratio));
}

// Without a font to measure, the steps stay at one pixel.
void c_GUIB_Panel::PictureSteps(const GUIB_PictureSetup* setup)
{
    int32_t lineHeight = 0;
    if (m_fonts[0] != nullptr && m_fonts[0]->IsLoaded())
        (void)m_fonts[0]->GetMetrics(&lineHeight, nullptr);
    const int32_t across = lineHeight > 0 ? 4 * lineHeight : 1;
    const int32_t down = lineHeight > 0 ? lineHeight : 1;
    m_horizontalStep = setup->horizontalStep != 0 ? setup->horizontalStep : across;
    m_verticalStep = setup->verticalStep != 0 ? setup->verticalStep : down;
}

void c_GUIB_Panel::GetPicture(GUIB_PictureSetup* setup) const
{
    if (setup == nullptr)
        return;
    setup->background = m_fillColours[1];
    setup->picture = m_picture.Get();
    setup->mode = m_mode;
}

void c_GUIB_Panel::GetScrollOffset(int32_t* x, int32_t* y) const
{
    if (x != nullptr)
        *x = m_scrollX;
    if (y != nullptr)
        *y = m_scrollY;
}

// Old bars are hidden at once and destroyed by the root at its next pass.
void c_GUIB_Panel::DropScrollBars()
{
    for (c_GUIB_ScrollBar* bar : { m_horizontal, m_vertical }) {
        if (bar == nullptr)
            continue;
        bar->RemoveCallback(ScrollHandler);
        bar->Show(false);
        bar->Close();
    }
    m_horizontal = nullptr;
    m_vertical = nullptr;
}

// A bar takes the room it needs from the other direction, which may make that one need a bar
// too.
void c_GUIB_Panel::MakeScrollBars(int32_t pw, int32_t ph)
{
    const int32_t w = m_rect.right;
    const int32_t h = m_rect.bottom;
    const auto t = static_cast<int32_t>(m_environment->Property(GUIB_PROP_SCROLL_BAR_SIZE));
    int32_t aw = w;
    int32_t ah = h;
    if (pw > aw)
        ah = h - t;
    if (ph > ah)
        aw = w - t;
    if (pw > aw && ah == h)
        ah = h - t;
    const bool both = aw < w && ah < h;
    const int32_t frame = (m_frameStyle & GUIB_FRAME_BIT) == 0 ? 0 : both ? 1 : 2;
    if (aw < w)
        m_vertical = MakeScrollBar(
            { aw, 0, aw + t, ah }, GUIB_SB_VERTICAL, ph, m_verticalStep, ah - frame);
    if (ah < h)
        m_horizontal = MakeScrollBar(
            { 0, ah, aw, ah + t }, GUIB_SB_HORIZONTAL, pw, m_horizontalStep, aw - frame);
}

c_GUIB_ScrollBar* c_GUIB_Panel::MakeScrollBar(
    const GUIB_Rect& r, uint32_t orientation, int32_t range, int32_t step, int32_t page)
{
    const GUIB_WindowCreate create { r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, this,
        m_environment, ScrollHandler, reinterpret_cast<uintptr_t>(this) };
    auto* bar = new c_GUIB_ScrollBar(&create);
    const GUIB_ScrollInfo info { 0, static_cast<float>(range), 0, static_cast<float>(page),
        static_cast<float>(step), orientation };
    (void)bar->SetScrollInfo(&info);
    return bar;
}

uint32_t c_GUIB_Panel::ScrollHandler(
    c_GUIB_Window* bar, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t)
{
    auto* panel = reinterpret_cast<c_GUIB_Panel*>(user);
    if (code != GUIB_SB_CHANGED && code != GUIB_SB_TRACKING)
        return 0;
    if (bar == panel->m_horizontal)
        panel->m_scrollX = static_cast<int32_t>(p1);
    else if (bar == panel->m_vertical)
        panel->m_scrollY = static_cast<int32_t>(p1);
    else
        return 0;
    panel->MarkDirty();
    return 1;
}

// The wheel scrolls down by notches × the vertical step, as far as the vertical bar allows.
void c_GUIB_Panel::OnMouse(uint32_t event, const GUIB_Point*, uint32_t state, const GUIB_Rect*)
{
    if (event != GUIB_MOUSE_WHEEL || m_vertical == nullptr)
        return;
    GUIB_ScrollInfo info {};
    m_vertical->GetScrollInfo(&info);
    info.value -= static_cast<float>(GUIB_GetWheelDelta(state) * m_verticalStep);
    (void)m_vertical->SetScrollInfo(&info);
    m_vertical->GetScrollInfo(&info);
    const auto position = static_cast<int32_t>(info.value);
    if (position != m_scrollY) {
        m_scrollY = position;
        MarkDirty();
    }
}

void c_GUIB_Panel::Draw()
{
    if ((m_mode & GUIB_PM_SURFACE) != 0) {
        Invalidate(&m_rect);
        return;
    }
    GUIB_Rect content = PrepareContent();
    if (m_picture && (m_mode & GUIB_PM_MASK) == GUIB_PM_TILE)
        DrawTiles(content);
    else if (m_picture)
        DrawPicture(content);
    else
        Fill(content, m_fillColours[1]);
    if ((m_frameStyle & GUIB_FRAME_BIT) != 0)
        GUIB_DrawFrame(m_surface, m_fillColours[3]);
    if ((m_flags & GUIB_WF_ACTIVE) != 0)
        m_surface->Line(0, 0, m_rect.right - 1, m_rect.bottom - 1);
    Invalidate(&m_rect);
}

// Inside the frame, and in scroll mode left of and above the bars, whose places are cleared.
GUIB_Rect c_GUIB_Panel::PrepareContent()
{
    GUIB_Rect content = m_rect;
    if ((m_frameStyle & GUIB_FRAME_BIT) != 0)
        content = { 1, 1, m_rect.right - 1, m_rect.bottom - 1 };
    if ((m_mode & GUIB_PM_MASK) != GUIB_PM_SCROLL)
        return content;
    GUIB_Rect vertical {};
    for (c_GUIB_ScrollBar* bar : { m_horizontal, m_vertical }) {
        if (bar == nullptr)
            continue;
        GUIB_Rect r {};
        bar->GetPosition(&r.left, &r.top);
        bar->GetSize(&r.right, &r.bottom);
        r.right += r.left;
        r.bottom += r.top;
        Fill(r, 0);
        if (bar == m_horizontal)
            content.bottom = r.top;
        else
            content.right = r.left, vertical = r;
    }
    if (m_horizontal != nullptr && m_vertical != nullptr) {
        const int32_t side = vertical.right - vertical.left;
        Fill({ vertical.left, vertical.bottom, vertical.right, vertical.bottom + side },
            m_fillColours[1]);
    }
    return content;
}

// A picture without pixels has no tiles: the content shows the background instead.
void c_GUIB_Panel::DrawTiles(const GUIB_Rect& content)
{
    int32_t pw = 0;
    int32_t ph = 0;
    m_picture->GetSize(&pw, &ph);
    if (pw <= 0 || ph <= 0) {
        Fill(content, m_fillColours[1]);
        return;
    }
    for (int32_t y = content.top; y < content.bottom; y += ph)
        for (int32_t x = content.left; x < content.right; x += pw)
            m_picture->CopyTo(m_surface, x, y, 0, 0, std::min(pw, content.right - x),
                std::min(ph, content.bottom - y));
}

// The picture from the scroll offset, cut at the content, with the background around it.
void c_GUIB_Panel::DrawPicture(const GUIB_Rect& content)
{
    int32_t pw = 0;
    int32_t ph = 0;
    m_picture->GetSize(&pw, &ph);
    GUIB_Rect placed { content.left, content.top, 0, 0 };
    if ((m_mode & GUIB_PM_MASK) == GUIB_PM_CENTRE)
        placed = { (m_rect.right - pw) / 2, (m_rect.bottom - ph) / 2, 0, 0 };
    placed.right = placed.left + pw - m_scrollX;
    placed.bottom = placed.top + ph - m_scrollY;
    GUIB_Rect shown = placed;
    if (!GUIB_IntersectRect(&shown, &content)) {
        Fill(content, m_fillColours[1]);
        return;
    }
    const uint32_t background = m_fillColours[1];
    Fill({ content.left, content.top, shown.left, content.bottom }, background);
    Fill({ shown.right, content.top, content.right, content.bottom }, background);
    Fill({ shown.left, content.top, shown.right, shown.top }, background);
    Fill({ shown.left, shown.bottom, shown.right, content.bottom }, background);
    m_picture->CopyTo(m_surface, shown.left, shown.top, m_scrollX + shown.left - placed.left,
        m_scrollY + shown.top - placed.top, shown.right - shown.left, shown.bottom - shown.top);
}

void c_GUIB_Panel::Fill(const GUIB_Rect& r, uint32_t colour)
{
    m_surface->SetColour(colour);
    m_surface->FillRect(&r);
}
