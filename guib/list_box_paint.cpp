// Painting of the list box: its rows from the top item, the current row's lines, the space
// below the rows and the frame, leaving the strip under a shown scroll bar transparent.
#include "guib/guib.h"

void c_GUIB_ListBox::Draw()
{
    const int32_t w = m_rect.right;
    const int32_t h = m_rect.bottom;
    int32_t reserved = 0;
    if (m_scrollBar->IsVisible()) {
        int32_t barWidth = 0;
        m_scrollBar->GetSize(&barWidth, nullptr);
        m_surface->SetColour(0);
        m_surface->FillRect(w - barWidth, 0, w, h);
        reserved = barWidth - 1;
    }
    if (m_font && m_font->IsLoaded()) {
        const int32_t y = DrawRows(m_font.Get(), reserved);
        const bool keepLine = (m_frameStyle & GUIB_LB_SEPARATORS) != 0
            || (!m_items.empty() && m_current == m_items.size() - 1);
        m_surface->SetColour(m_fillColours[2]);
        m_surface->FillRect(0, keepLine ? y + 1 : y, w - reserved - 1, h);
    }
    if ((m_frameStyle & GUIB_FRAME_BIT) != 0)
        GUIB_DrawFrame(m_surface, m_fillColours[3]);
    Invalidate(&m_rect);
}

int32_t c_GUIB_ListBox::DrawRows(const c_GUIB_Font* font, int32_t reserved)
{
    const int32_t right = m_rect.right - reserved - 1;
    const uint32_t page = Page();
    int32_t y = 0;
    int32_t currentTop = -1;
    int32_t currentHeight = 0;
    for (uint64_t index = m_top; index < m_items.size() && (page == 0 || index - m_top < page);
         ++index) {
        const Item& item = m_items[index];
        DrawRow(font, item, y, reserved);
        if (index == m_current) {
            currentTop = y;
            currentHeight = item.height;
        }
        y += item.height;
        if ((m_frameStyle & GUIB_LB_SEPARATORS) != 0) {
            m_surface->SetColour(m_fillColours[3]);
            m_surface->Line(0, y, right, y);
        }
        if (y >= m_rect.bottom)
            break;
    }
    if (currentTop >= 0) {
        m_surface->SetColour(m_fillColours[3]);
        m_surface->Line(1, currentTop, right - 1, currentTop);
        m_surface->Line(1, currentTop + currentHeight, right - 1, currentTop + currentHeight);
    }
    return y;
}

// The row's background and its text, placed by the window's text alignment and wrapped into
// what is left of the row.
void c_GUIB_ListBox::DrawRow(const c_GUIB_Font* font, const Item& item, int32_t y, int32_t reserved)
{
    const int32_t w = m_rect.right;
    const char16_t* text = item.text->GetText();
    GUIB_Rect measured { 0, 0, 0, 0 };
    font->MeasureText(text, &measured, 0);
    const int32_t textWidth = measured.right - measured.left;
    const int32_t textHeight = measured.bottom - measured.top;
    int32_t x = 2;
    int32_t top = y + ((item.height - textHeight - 1) >> 1);
    if ((m_textAlign & GUIB_ALIGN_RIGHT) != 0)
        x = w - textWidth - reserved - 2;
    if ((m_textAlign & GUIB_ALIGN_HCENTRE) != 0)
        x = (w - textWidth - reserved - 2) / 2;
    if ((m_textAlign & GUIB_ALIGN_TOP) != 0)
        top = y;
    if ((m_textAlign & GUIB_ALIGN_BOTTOM) != 0)
        top = y + item.height - textHeight - 1;
    const bool selected = (item.flags & Item::SELECTED) != 0;
    const bool separated = (m_frameStyle & GUIB_LB_SEPARATORS) != 0;
    m_surface->SetColour(m_fillColours[selected ? 4 : 2]);
    m_surface->FillRect(1, selected || separated ? y + 1 : y, w - reserved - 1, y + item.height);
    const GUIB_Rect box { x + 2, top, w - reserved - 1, top + item.height };
    font->OutTextRect(m_surface, m_textColours[4], text, &box);
}
