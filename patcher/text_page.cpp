// TextPage: the licence or news file of the chosen language, rendered once into a picture that
// a panel scrolls. A file that cannot be shown is replaced by a fixed text naming it.
#include "patcher/patcher_internal.h"

#include "bigfile/bigfile.h"
#include "ml/ml.h"

namespace {

using namespace patcher::detail;

constexpr int32_t HEADING_LICENCE = 40;
constexpr int32_t HEADING_NEWS = 80;
constexpr size_t MISSING_TEXT_CAPACITY = 200;
// Room between the picture's edges and the text.
constexpr int32_t TEXT_LEFT = 3;
constexpr int32_t TEXT_TOP = 2;

SYS_Block<char[]> MissingText(uint32_t kind, const char* path)
{
    const bool news = kind == PTCH_TEXT_NEWS;
    SYS_Block<char[]> text
        = SYS_AllocArray<char>(MISSING_TEXT_CAPACITY, news ? "News text" : "LA text", TAG);
    if (text)
        (void)SYS_Format(text.get(), MISSING_TEXT_CAPACITY,
            news ? "Cannot show readme file. Maybe, this file missing! (%s)"
                 : "Cannot show license agreement. %s file missing!",
            path);
    return text;
}

// The file's bytes with a terminator after those actually read; null when it cannot be shown.
SYS_Block<char[]> FileText(BF_Handle file)
{
    const uint64_t size = BF_GetSize(file);
    if (size > PTCH_PAGE_TEXT_LIMIT)
        return {};
    SYS_Block<char[]> text = SYS_AllocArray<char>(static_cast<size_t>(size) + 1, "LA text", TAG);
    if (text) {
        const uint32_t read = BF_Read(file, text.get(), static_cast<uint32_t>(size));
        text[read <= size ? read : 0] = 0;
    }
    return text;
}

}

int PTCH_PageTextPath(uint32_t kind, const char* languageCode, char* path, size_t capacity)
{
    const char* extension = kind == PTCH_TEXT_NEWS ? "nws" : "la";
    const int length = SYS_Format(path, capacity, "%s\\%s.%s", "Languages",
        languageCode != nullptr ? languageCode : "", extension);
    return length >= 0 && static_cast<size_t>(length) < capacity ? 1 : 0;
}

SYS_Block<char[]> PTCH_ReadPageText(uint32_t kind, const char* path)
{
    SYS_Block<char[]> text;
    if (BF_Handle file = BF_OpenEx(path, BF_GENERIC_READ, 0); file != 0) {
        text = FileText(file);
        BF_Close(file);
    }
    return text ? std::move(text) : MissingText(kind, path);
}

TextPage::TextPage(const GUIB_WindowCreate* create, uint32_t kind, const char* languageCode)
    : c_GUIB_Window(create)
{
    // Only the children are drawn: the page needs no surface of its own.
    if (m_surface != nullptr)
        m_surface->Release();
    m_surface = nullptr;
    m_flags |= GUIB_WF_NO_BITMAP;

    const int32_t width = m_rect.right;
    const auto t = static_cast<int32_t>(m_environment->Property(GUIB_PROP_SCROLL_BAR_SIZE));
    GUIB_WindowCreate child = { 0, 0, width, t, 0, 0, this, m_environment, nullptr, 0 };
    m_heading = new c_GUIB_Label(&child);
    (void)m_heading->SetTextColour(0, m_environment->Property(PROP_PAGE_TEXT_COLOUR));
    m_heading->SetTextAlign(GUIB_ALIGN_HCENTRE | GUIB_ALIGN_VCENTRE);
    m_heading->SetCaption(ML_GetStringA(kind == PTCH_TEXT_NEWS ? HEADING_NEWS : HEADING_LICENCE));

    char path[PATH_CAPACITY] = {};
    (void)PTCH_PageTextPath(kind, languageCode, path, sizeof path);
    const int32_t visible = m_rect.bottom - t + 1;
    const SYS_Block<char[]> text = PTCH_ReadPageText(kind, path);
    GUIB_Ref<c_GUIB_Bitmap> picture = RenderText(text ? text.get() : "", visible);

    child = { 0, t - 1, width, visible, 0, 0, this, m_environment, nullptr, 0 };
    m_panel = new c_GUIB_Panel(&child);
    int32_t lineHeight = 0;
    int32_t ascent = 0;
    if (m_fonts[0] != nullptr)
        (void)m_fonts[0]->GetMetrics(&lineHeight, &ascent);
    const GUIB_PictureSetup setup { m_fillColours[1], picture.Get(), GUIB_PM_SCROLL, 0,
        lineHeight };
    (void)m_panel->SetPicture(&setup);
}

// The text wrapped to the page's width less a scroll bar, or to the whole width when it fits
// the visible height without one. It is drawn in the width it was measured with, so that the
// line breaks are those the height was counted for and no line runs past the picture's edge.
GUIB_Ref<c_GUIB_Bitmap> TextPage::RenderText(const char* text, int32_t visibleHeight) const
{
    const c_GUIB_Font* font = m_fonts[0];
    const auto t = static_cast<int32_t>(m_environment->Property(GUIB_PROP_SCROLL_BAR_SIZE));
    const auto measure = [&](int32_t width) {
        return (font != nullptr ? font->MeasureWrappedHeight(text, width - 2 * TEXT_LEFT) : 0)
            + 2 * TEXT_TOP;
    };
    int32_t width = m_rect.right - t;
    int32_t height = measure(width);
    if (height < visibleHeight) {
        width = m_rect.right;
        height = measure(width);
    }
    auto picture = GUIB_Ref<c_GUIB_Bitmap>::Adopt(new c_GUIB_Bitmap(width, height));
    picture->SetColour(m_fillColours[1]);
    picture->FillRect(0, 0, width, height);
    const GUIB_Rect place = { TEXT_LEFT, TEXT_TOP, width - TEXT_LEFT, height };
    if (font != nullptr)
        font->OutTextRect(picture.Get(), 0xFF000000, text, &place);
    return picture;
}

void TextPage::Draw()
{
}
