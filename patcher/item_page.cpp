// ItemPage: the wizard's pages of texts, check boxes and link buttons. Heights come from the
// texts wrapped to the page's width; anchored items sit at the top and bottom and the others
// share the remaining height with equal gaps, check boxes in a row packed together.
#include "patcher/patcher_internal.h"

#include <algorithm>

namespace {

using namespace patcher::detail;

struct Slot {
    int32_t margin;
    int32_t y;
    int32_t height;
};

int32_t MarginOf(const PageItem& item, int32_t pageWidth)
{
    return item.margin != 0 ? item.margin : pageWidth / 10;
}

int32_t HeightOf(const PageItem& item, int32_t width, const c_GUIB_Font& font, int32_t checkSize)
{
    switch (item.type) {
    case PTCH_ITEM_TEXT:
    case PTCH_ITEM_LINK:
        return font.MeasureWrappedHeight(item.text, width) + 2;
    case PTCH_ITEM_CHECK_BOX:
        return font.MeasureWrappedHeight(item.text, width - (checkSize + checkSize / 2)) + 2;
    default:
        return 0;
    }
}

// A check box right after a check box gets no gap of its own. The item before the first
// flowing one counts as a text, whatever it is.
bool Packed(const PageItem* items, uint32_t index, uint32_t firstFlowing)
{
    return index > firstFlowing && items[index].type == PTCH_ITEM_CHECK_BOX
        && items[index - 1].type == PTCH_ITEM_CHECK_BOX;
}

// Places the items vertically in a page of the height; slots hold the heights on entry.
void PlaceItems(const PageItem* items, uint32_t count, int32_t pageHeight, Slot* slots)
{
    int32_t top = 0;
    uint32_t first = 0;
    if (count >= 1 && items[0].anchor != 0) {
        slots[0].y = 0;
        top = slots[0].height + 1;
        first = 1;
    }
    int32_t bottom = pageHeight;
    uint32_t end = count;
    if (count >= 2 && items[count - 1].anchor != 0) {
        slots[count - 1].y = pageHeight - slots[count - 1].height + 1;
        bottom = slots[count - 1].y;
        end = count - 1;
    }
    int32_t total = 0;
    int32_t gaps = 1;
    for (uint32_t i = first; i < end; ++i) {
        total += slots[i].height;
        gaps += Packed(items, i, first) ? 0 : 1;
    }
    const int32_t gap = bottom < top || bottom - top < total ? 0 : (bottom - top - total) / gaps;
    int32_t y = top;
    for (uint32_t i = first; i < end; ++i) {
        if (!Packed(items, i, first))
            y += gap;
        slots[i].y = y;
        y += slots[i].height;
    }
}

GUIB_WindowCreate ChildOf(ItemPage* page, const GUIB_Rect& r, GUIB_Callback callback)
{
    return { r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, page, page->GetEnvironment(),
        callback, reinterpret_cast<uintptr_t>(page) };
}

}

ItemPage::ItemPage(const GUIB_WindowCreate* create, const PageItem* items, uint32_t count)
    : c_GUIB_Window(create)
{
    MarkDirty();
    const c_GUIB_Font* font = m_fonts[0];
    if (font == nullptr || items == nullptr)
        return;
    count = std::min(count, PTCH_MAX_PAGE_ITEMS);
    const int32_t width = m_rect.right;
    const auto checkSize = static_cast<int32_t>(m_environment->Property(GUIB_PROP_CHECK_BOX_SIZE));
    Slot slots[PTCH_MAX_PAGE_ITEMS] = {};
    for (uint32_t i = 0; i < count; ++i) {
        slots[i].margin = MarginOf(items[i], width);
        slots[i].height = HeightOf(items[i], width - 2 * slots[i].margin, *font, checkSize);
    }
    PlaceItems(items, count, m_rect.bottom, slots);
    for (uint32_t i = 0; i < count; ++i)
        MakeControl(items[i],
            { slots[i].margin, slots[i].y, width - slots[i].margin, slots[i].y + slots[i].height });
}

void ItemPage::MakeControl(const PageItem& item, const GUIB_Rect& place)
{
    const uint32_t textA = m_environment->Property(PROP_PAGE_TEXT_COLOUR);
    const uint32_t textB = m_environment->Property(PROP_CHECK_TEXT_COLOUR);
    if (item.type == PTCH_ITEM_TEXT) {
        const GUIB_Rect wider = { place.left - 2, place.top, place.right + 2, place.bottom };
        GUIB_WindowCreate create = ChildOf(this, wider, ControlHandler);
        auto* label = new c_GUIB_Label(&create);
        label->SetFrameStyle(0);
        (void)label->SetFillColour(1, 0);
        (void)label->SetTextColour(0, textA);
        label->SetTextAlign(GUIB_ALIGN_WRAP);
        label->SetCaption(item.text);
    } else if (item.type == PTCH_ITEM_CHECK_BOX) {
        GUIB_WindowCreate create = ChildOf(this, place, ControlHandler);
        auto* box = new c_GUIB_CheckBox(&create);
        box->SetFrameStyle(0);
        (void)box->SetFillColour(1, 0);
        (void)box->SetTextColour(4, textA);
        (void)box->SetTextColour(0, textB);
        box->SetCaption(item.text);
        const auto* value = reinterpret_cast<const uint32_t*>(item.value);
        box->SetCheck(value != nullptr && *value != 0 ? GUIB_CHECK_ON : GUIB_CHECK_OFF);
        m_checks[m_checkCount++] = { box, item.value };
    } else if (item.type == PTCH_ITEM_LINK) {
        GUIB_WindowCreate create = ChildOf(this, place, ControlHandler);
        auto* button = new c_GUIB_Button(&create);
        button->SetFrameStyle(0);
        for (uint32_t index : { 0u, 4u, 7u }) {
            (void)button->SetFillColour(index, 0);
            (void)button->SetTextColour(index, m_textColours[index]);
        }
        button->SetCaption(item.text);
        m_links[m_linkCount++] = { button, item.value };
    }
}

void ItemPage::Draw()
{
    if (m_surface == nullptr)
        return;
    if ((m_frameStyle & GUIB_FRAME_BIT) != 0) {
        m_surface->SetColour(m_fillColours[3]);
        m_surface->DrawFramedRect(&m_rect, m_fillColours[1]);
    } else {
        m_surface->SetColour(m_fillColours[1]);
        m_surface->FillRect(&m_rect);
    }
    c_GUIB_Window::Draw();
    Invalidate(&m_rect);
}

uint32_t ItemPage::OnControlEvent(c_GUIB_Window* sender, uint32_t code, uintptr_t value)
{
    if (code == GUIB_BN_CLICKED) {
        for (uint32_t i = 0; i < m_linkCount; ++i) {
            if (m_links[i].control != sender)
                continue;
            const auto* target = reinterpret_cast<const char*>(m_links[i].value);
            if (target != nullptr && target[0] != 0)
                (void)Sys().openTarget(target);
            return 1;
        }
    } else if (code == GUIB_CHK_TOGGLED) {
        for (uint32_t i = 0; i < m_checkCount; ++i) {
            if (m_checks[i].control != sender)
                continue;
            if (auto* choice = reinterpret_cast<uint32_t*>(m_checks[i].value); choice != nullptr)
                *choice = static_cast<uint32_t>(value);
            return 1;
        }
    }
    return 0;
}

uint32_t ItemPage::ControlHandler(
    c_GUIB_Window* sender, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t)
{
    return reinterpret_cast<ItemPage*>(user)->OnControlEvent(sender, code, p1);
}
