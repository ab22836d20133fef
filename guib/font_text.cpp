// Text layout with a c_GUIB_Font: drawing a string at a point, measuring it and placing it by
// alignment flags, word-wrapped output ending in "..." where the rectangle runs out, and the
// height wrapped text needs. Each operation is one template over the character type, so 8-bit
// and wide strings run the same code.
#include "guib/guib.h"

#include <algorithm>
#include <type_traits>

namespace {

constexpr uint32_t TAB = 9;
constexpr uint32_t LINE_FEED = 10;
constexpr uint32_t SPACE = 32;
constexpr const char* ELLIPSIS = "...";

// 8-bit characters are codes 0 to 255 whether char is signed or not.
template <typename Char> uint32_t CodeOf(Char c)
{
    return uint32_t(std::make_unsigned_t<Char>(c));
}

int32_t Saturate(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int64_t LineHeightOf(const c_GUIB_Font& font)
{
    int32_t height = 0;
    (void)font.GetMetrics(&height, nullptr);
    return height;
}

// Overlaps are unchecked 32-bit claims of the font file, so an advance may be negative.
int64_t Advance(const GUIB_Glyph* glyph, bool more)
{
    if (glyph == nullptr)
        return 0;
    return int64_t { glyph->width } - (more ? int64_t { glyph->overlap } : 0);
}

// Tints the glyph to the colour when the font's glyphs are coverage masks and it carries
// another one (the tint stays with the glyph, so one colour is applied once), then blends it.
void DrawGlyph(const c_GUIB_Font& font, GUIB_Glyph* glyph, c_GUIB_Bitmap* target, uint32_t colour,
    int64_t x, int64_t y)
{
    c_GUIB_Bitmap* bitmap = glyph->bitmap;
    if (bitmap == nullptr)
        return;
    int32_t width = 0;
    int32_t height = 0;
    bitmap->GetSize(&width, &height);
    if ((font.GetFlags() & GUIB_FONT_COVERAGE) != 0 && glyph->tintColour != colour) {
        bitmap->Tint(0, 0, width, height, colour);
        glyph->tintColour = colour;
    }
    bitmap->BlendTo(target, Saturate(x), Saturate(y), 0, 0, width, height);
}

// The glyph of one character, pinned for the holder's lifetime; none for a line feed.
class PinnedGlyph {
public:
    PinnedGlyph(const c_GUIB_Font& font, uint32_t code)
        : m_font(font)
        , m_code(code)
    {
        if (code != LINE_FEED && !font.GetGlyph(code, &m_glyph))
            m_glyph = nullptr;
    }
    ~PinnedGlyph()
    {
        if (m_glyph != nullptr)
            m_font.ReleaseGlyph(m_code);
    }
    PinnedGlyph(const PinnedGlyph&) = delete;
    PinnedGlyph& operator=(const PinnedGlyph&) = delete;
    GUIB_Glyph* Get() const { return m_glyph; }

private:
    const c_GUIB_Font& m_font;
    uint32_t m_code;
    GUIB_Glyph* m_glyph = nullptr;
};

template <typename Char>
void DrawText(const c_GUIB_Font& font, c_GUIB_Bitmap* target, uint32_t colour, int32_t x0,
    int32_t y0, const Char* text)
{
    if (target == nullptr || text == nullptr)
        return;
    const int64_t lineHeight = LineHeightOf(font);
    int64_t x = x0;
    int64_t y = y0;
    for (size_t i = 0; text[i] != 0; ++i) {
        if (CodeOf(text[i]) == LINE_FEED) {
            x = x0;
            y += lineHeight;
            continue;
        }
        PinnedGlyph glyph(font, CodeOf(text[i]));
        if (glyph.Get() == nullptr)
            continue;
        DrawGlyph(font, glyph.Get(), target, colour, x, y);
        x += Advance(glyph.Get(), text[i + 1] != 0);
    }
}

struct TextExtent {
    int64_t width;
    int64_t height;
};

// The widest line and one line height per line feed, plus one when any character has a glyph.
template <typename Char> TextExtent ExtentOf(const c_GUIB_Font& font, const Char* text)
{
    int64_t widest = 0;
    int64_t line = 0;
    int64_t lineFeeds = 0;
    bool anyGlyph = false;
    for (size_t i = 0; text != nullptr && text[i] != 0; ++i) {
        if (CodeOf(text[i]) == LINE_FEED) {
            ++lineFeeds;
            line = 0;
            continue;
        }
        PinnedGlyph glyph(font, CodeOf(text[i]));
        anyGlyph = anyGlyph || glyph.Get() != nullptr;
        line += Advance(glyph.Get(), text[i + 1] != 0);
        widest = std::max(widest, line);
    }
    return { widest, ((anyGlyph ? 1 : 0) + lineFeeds) * LineHeightOf(font) };
}

// Places the extent in *r by the flags in their order, each later one overriding. Every flag
// measures from the given edges, except that right alignment keeps the right edge as left
// alignment may have moved it.
void Place(TextExtent text, GUIB_Rect* r, uint32_t flags)
{
    const int64_t l = r->left, t = r->top, rr = r->right, b = r->bottom;
    int64_t left = l, top = t, right = rr, bottom = b;
    if (flags == 0)
        flags = GUIB_ALIGN_LEFT | GUIB_ALIGN_TOP;
    if ((flags & GUIB_ALIGN_LEFT) != 0)
        right = l + text.width;
    if ((flags & GUIB_ALIGN_RIGHT) != 0)
        left = right - text.width;
    if ((flags & GUIB_ALIGN_TOP) != 0) {
        top = t;
        bottom = t + text.height;
    }
    if ((flags & GUIB_ALIGN_BOTTOM) != 0) {
        top = b - text.height;
        bottom = b;
    }
    if ((flags & GUIB_ALIGN_HCENTRE) != 0) {
        left = l + (rr - l - text.width) / 2;
        right = left + text.width;
    }
    if ((flags & GUIB_ALIGN_VCENTRE) != 0) {
        // Text taller than the rectangle overhangs it by about as much above as below.
        if (b - t >= text.height) {
            top = t + (b - t - text.height) / 2;
            bottom = top + text.height;
        } else {
            bottom = b - (b - t - text.height) / 2;
            top = bottom - text.height;
        }
    }
    *r = { Saturate(left), Saturate(top), Saturate(right), Saturate(bottom) };
}

int64_t EllipsisWidth(const c_GUIB_Font& font)
{
    GUIB_Rect r { 0, 0, 100, 100 };
    font.MeasureText(ELLIPSIS, &r, GUIB_ALIGN_LEFT | GUIB_ALIGN_TOP);
    return int64_t { r.right } - r.left;
}

// The glyphs met so far, one slot per low byte of the code, so that a character seen before
// reuses its glyph without another lookup. A miss takes a new pin, which the table gives back;
// since hits and misses depend only on the codes and on which of them have glyphs, a fresh
// cache run over the same entries meets the same misses.
class RecentGlyphs {
public:
    bool Find(uint32_t code, GUIB_Glyph** glyph) const
    {
        const Slot& slot = m_slots[code & 0xFF];
        if (slot.glyph == nullptr || slot.code != code)
            return false;
        *glyph = slot.glyph;
        return true;
    }
    void Put(uint32_t code, GUIB_Glyph* glyph) { m_slots[code & 0xFF] = { code, glyph }; }

private:
    struct Slot {
        uint32_t code;
        GUIB_Glyph* glyph;
    };
    Slot m_slots[256] = {};
};

// One entry per character of a text. Each glyph is pinned when the table first meets it
// (again after another code has taken its cache slot) and released when the table goes. The
// block is proportional to the text; when it cannot be had the table is empty and the layout
// does nothing.
template <typename Char> class GlyphTable {
public:
    struct Entry {
        GUIB_Glyph* glyph; // none for a line feed or a character without a glyph
        uint32_t width;
        uint32_t overlap;
    };

    GlyphTable(const c_GUIB_Font& font, const Char* text)
        : m_font(font)
        , m_text(text)
    {
        size_t length = 0;
        while (text != nullptr && text[length] != 0)
            ++length;
        if (length == 0)
            return;
        m_entries = SYS_AllocArray<Entry>(length, "iOutTextRect tmp", SYS_TAG_GUIB);
        if (m_entries == nullptr)
            return;
        RecentGlyphs recent;
        for (size_t i = 0; i < length; ++i) {
            const uint32_t code = Code(i);
            GUIB_Glyph* glyph = nullptr;
            if (code != LINE_FEED && !recent.Find(code, &glyph) && font.GetGlyph(code, &glyph))
                recent.Put(code, glyph);
            m_entries[i] = glyph != nullptr ? Entry { glyph, glyph->width, glyph->overlap }
                                            : Entry { nullptr, 0, 0 };
        }
        m_length = length;
    }
    // Meets the misses of the construction again, each of which holds one pin.
    ~GlyphTable()
    {
        RecentGlyphs recent;
        for (size_t i = 0; i < m_length; ++i) {
            GUIB_Glyph* cached = nullptr;
            if (m_entries[i].glyph != nullptr && !recent.Find(Code(i), &cached)) {
                m_font.ReleaseGlyph(Code(i));
                recent.Put(Code(i), m_entries[i].glyph);
            }
        }
    }
    GlyphTable(const GlyphTable&) = delete;
    GlyphTable& operator=(const GlyphTable&) = delete;

    size_t Size() const { return m_length; }
    uint32_t Code(size_t i) const { return CodeOf(m_text[i]); }
    GUIB_Glyph* Glyph(size_t i) const { return m_entries[i].glyph; }
    int64_t Advance(size_t i) const
    {
        const Entry& entry = m_entries[i];
        return int64_t { entry.width } - (i + 1 < m_length ? int64_t { entry.overlap } : 0);
    }
    // The advances of the word from i up to a line feed, space, tab or the end.
    int64_t WordWidth(size_t i) const
    {
        int64_t width = 0;
        for (; i < m_length && !EndsWord(Code(i)); ++i)
            width += Advance(i);
        return width;
    }
    // The advances from i to the end. Asked for ever later positions on the last line, the sum
    // is taken once and then shortened, so a long tail of characters that fit (or take no room)
    // costs linear time rather than a walk to the end for each of them.
    int64_t RestWidth(size_t i)
    {
        if (!m_restKnown) {
            m_rest = 0;
            for (size_t j = i; j < m_length; ++j)
                m_rest += Advance(j);
            m_restFrom = i;
            m_restKnown = true;
        }
        for (; m_restFrom < i; ++m_restFrom)
            m_rest -= Advance(m_restFrom);
        return m_rest;
    }

private:
    static bool EndsWord(uint32_t code)
    {
        return code == LINE_FEED || code == SPACE || code == TAB;
    }

    const c_GUIB_Font& m_font;
    const Char* m_text;
    SYS_Block<Entry[]> m_entries;
    size_t m_length = 0;
    bool m_restKnown = false;
    size_t m_restFrom = 0;
    int64_t m_rest = 0;
};

struct WrapArea {
    int64_t width;
    int64_t height;
    bool heightLimited; // without a limit there is no last line and no "..."
    int64_t lineHeight;
    int64_t ellipsisWidth;
};

// The line breaking of wrapped text. Run calls sink.Glyph(i, x, y) for every character drawn
// and sink.Ellipsis(x, y) when "..." ends the text, positions relative to the area's top-left.
template <typename Char> class LineBreaker {
public:
    LineBreaker(GlyphTable<Char>& table, const WrapArea& area)
        : m_table(table)
        , m_area(area)
        , m_lastLine(area.heightLimited && area.height < 2 * area.lineHeight)
    {
    }

    template <typename Sink> void Run(Sink& sink)
    {
        for (size_t i = 0; i < m_table.Size(); ++i) {
            const uint32_t code = m_table.Code(i);
            if (code == LINE_FEED) {
                if (m_lastLine)
                    return;
                NewLine();
                m_wordStart = true;
                continue;
            }
            if (!m_lastLine) {
                BreakBefore(i, code);
            } else if (RunsOut(i)) {
                sink.Ellipsis(m_x, m_y);
                return;
            }
            if (m_table.Glyph(i) != nullptr && !(code == SPACE && m_x == 0)) {
                sink.Glyph(i, m_x, m_y);
                m_x += m_table.Advance(i);
            }
        }
    }
    uint64_t LineBreaks() const { return m_lineBreaks; }

private:
    // A new line is the last one when two more line heights would not fit below it.
    void NewLine()
    {
        m_x = 0;
        m_y += m_area.lineHeight;
        ++m_lineBreaks;
        m_lastLine = m_area.heightLimited && m_area.height < m_y + 2 * m_area.lineHeight;
    }
    // A word goes to the next line whole when it fits there; inside a word, and at spaces and
    // tabs, a character that does not fit starts the next line.
    void BreakBefore(size_t i, uint32_t code)
    {
        const bool separator = code == SPACE || code == TAB;
        if (separator || !m_wordStart) {
            if (m_x + m_table.Advance(i) > m_area.width)
                NewLine();
        } else {
            const int64_t word = m_table.WordWidth(i);
            if (m_x + word > m_area.width && word <= m_area.width)
                NewLine();
        }
        m_wordStart = separator;
    }
    // Whether "..." replaces the character: it and "..." do not fit, nor does the whole rest.
    bool RunsOut(size_t i)
    {
        return m_x + m_table.Advance(i) + m_area.ellipsisWidth > m_area.width
            && m_x + m_table.RestWidth(i) > m_area.width;
    }

    GlyphTable<Char>& m_table;
    const WrapArea m_area;
    bool m_lastLine;
    bool m_wordStart = true;
    int64_t m_x = 0;
    int64_t m_y = 0;
    uint64_t m_lineBreaks = 0;
};

template <typename Char> struct DrawingSink {
    const c_GUIB_Font& font;
    const GlyphTable<Char>& table;
    c_GUIB_Bitmap* target;
    uint32_t colour;
    int64_t left;
    int64_t top;

    void Glyph(size_t i, int64_t x, int64_t y)
    {
        DrawGlyph(font, table.Glyph(i), target, colour, left + x, top + y);
    }
    void Ellipsis(int64_t x, int64_t y)
    {
        font.OutText(target, colour, Saturate(left + x), Saturate(top + y), ELLIPSIS);
    }
};

struct MeasuringSink {
    void Glyph(size_t, int64_t, int64_t) { }
    void Ellipsis(int64_t, int64_t) { }
};

template <typename Char>
void DrawWrapped(const c_GUIB_Font& font, c_GUIB_Bitmap* target, uint32_t colour, const Char* text,
    const GUIB_Rect* r)
{
    if (target == nullptr || r == nullptr)
        return;
    GlyphTable<Char> table(font, text);
    if (table.Size() == 0)
        return;
    const WrapArea area { int64_t { r->right } - r->left, int64_t { r->bottom } - r->top, true,
        LineHeightOf(font), EllipsisWidth(font) };
    LineBreaker<Char> breaker(table, area);
    DrawingSink<Char> sink { font, table, target, colour, r->left, r->top };
    breaker.Run(sink);
}

template <typename Char>
int32_t WrappedHeight(const c_GUIB_Font& font, const Char* text, int32_t width)
{
    if (!font.IsLoaded())
        return 0;
    GlyphTable<Char> table(font, text);
    if (table.Size() == 0)
        return 0;
    const int64_t lineHeight = LineHeightOf(font);
    LineBreaker<Char> breaker(table, { width, 0, false, lineHeight, 0 });
    MeasuringSink sink;
    breaker.Run(sink);
    // Breaks are at most one per character, so the product cannot overflow 64 bits.
    return Saturate(int64_t(breaker.LineBreaks() + 1) * lineHeight);
}

}

void c_GUIB_Font::OutText(
    c_GUIB_Bitmap* target, uint32_t colour, int32_t x, int32_t y, const char* text) const
{
    DrawText(*this, target, colour, x, y, text);
}

void c_GUIB_Font::OutText(
    c_GUIB_Bitmap* target, uint32_t colour, int32_t x, int32_t y, const char16_t* text) const
{
    DrawText(*this, target, colour, x, y, text);
}

void c_GUIB_Font::MeasureText(const char* text, GUIB_Rect* r, uint32_t flags) const
{
    if (r != nullptr)
        Place(ExtentOf(*this, text), r, flags);
}

void c_GUIB_Font::MeasureText(const char16_t* text, GUIB_Rect* r, uint32_t flags) const
{
    if (r != nullptr)
        Place(ExtentOf(*this, text), r, flags);
}

void c_GUIB_Font::OutTextRect(
    c_GUIB_Bitmap* target, uint32_t colour, const char* text, const GUIB_Rect* r) const
{
    DrawWrapped(*this, target, colour, text, r);
}

void c_GUIB_Font::OutTextRect(
    c_GUIB_Bitmap* target, uint32_t colour, const char16_t* text, const GUIB_Rect* r) const
{
    DrawWrapped(*this, target, colour, text, r);
}

int32_t c_GUIB_Font::MeasureWrappedHeight(const char* text, int32_t width) const
{
    return WrappedHeight(*this, text, width);
}

int32_t c_GUIB_Font::MeasureWrappedHeight(const char16_t* text, int32_t width) const
{
    return WrappedHeight(*this, text, width);
}
