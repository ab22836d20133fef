// FreeType rendering of single characters into coverage glyphs, placed and measured the way
// GDI draws a character into the capture bitmap on Windows: pen at 0, baseline at the ascent,
// width from the character's A, B and C spacing, height the font's cell height.
#include "guib/posix/freetype_face.h"

#include FT_TRUETYPE_TABLES_H

#include <algorithm>

namespace guib::posix {

namespace {

// Sizes beyond this would make glyph bitmaps of many megabytes each; no interface text needs
// more than a fraction of it.
constexpr uint32_t MAX_PIXELS_PER_EM = 256;
constexpr uint32_t DEFAULT_PIXELS_PER_EM = 12;

int32_t RoundedScale(int64_t designUnits, uint32_t pixelsPerEm, int64_t unitsPerEm)
{
    return int32_t((designUnits * pixelsPerEm * 2 + unitsPerEm) / (2 * unitsPerEm));
}

// The coverage of pixel column of one row of the rendered bitmap: grey levels as they are,
// bitmap fonts' bits as full ink.
uint8_t InkAt(const FT_Bitmap& ink, const uint8_t* row, uint32_t column)
{
    if (ink.pixel_mode == FT_PIXEL_MODE_MONO)
        return (row[column >> 3] & (0x80 >> (column & 7))) != 0 ? 255 : 0;
    return row[column];
}

const uint8_t* InkRow(const FT_Bitmap& ink, uint32_t row)
{
    // A negative pitch means the rows lie bottom-up in memory.
    if (ink.pitch >= 0)
        return ink.buffer + size_t(row) * size_t(ink.pitch);
    return ink.buffer + size_t(ink.rows - 1 - row) * size_t(-int64_t(ink.pitch));
}

}

FreeTypeFace::~FreeTypeFace()
{
    if (m_face != nullptr)
        FT_Done_Face(m_face);
    if (m_library != nullptr)
        FT_Done_FreeType(m_library);
}

bool FreeTypeFace::Open(const char* path, long index)
{
    if (m_library == nullptr && FT_Init_FreeType(&m_library) != 0) {
        m_library = nullptr;
        return false;
    }
    if (m_face != nullptr)
        FT_Done_Face(m_face);
    m_face = nullptr;
    return FT_New_Face(m_library, path, index, &m_face) == 0;
}

bool FreeTypeFace::SetHeight(int32_t height)
{
    if (m_face == nullptr || !FT_IS_SCALABLE(m_face) || m_face->units_per_EM == 0)
        return false;
    // GDI measures ascent and descent with the Windows metrics of the OS/2 table.
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(m_face, FT_SFNT_OS2));
    const bool windowsMetrics = os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0;
    const int64_t ascent = windowsMetrics ? os2->usWinAscent : m_face->ascender;
    const int64_t descent = windowsMetrics ? os2->usWinDescent : -int64_t { m_face->descender };
    const int64_t unitsPerEm = m_face->units_per_EM;
    int64_t pixelsPerEm = DEFAULT_PIXELS_PER_EM;
    if (height < 0)
        pixelsPerEm = -int64_t { height };
    else if (height > 0 && ascent + descent > 0)
        pixelsPerEm = std::max<int64_t>(
            1, (int64_t { height } * unitsPerEm * 2 + ascent + descent) / (2 * (ascent + descent)));
    if (pixelsPerEm > MAX_PIXELS_PER_EM || FT_Set_Pixel_Sizes(m_face, 0, FT_UInt(pixelsPerEm)) != 0)
        return false;
    m_ascent = RoundedScale(ascent, uint32_t(pixelsPerEm), unitsPerEm);
    m_descent = RoundedScale(descent, uint32_t(pixelsPerEm), unitsPerEm);
    return true;
}

bool FreeTypeFace::HasCharacter(uint32_t character) const
{
    return m_face != nullptr && FT_Get_Char_Index(m_face, character) != 0;
}

bool FreeTypeFace::Render(uint32_t character, int32_t verticalOffset,
    std::vector<uint8_t>* coverage, guib::os::CapturedGlyph* glyph) const
{
    if (m_face == nullptr
        || FT_Load_Glyph(m_face, FT_Get_Char_Index(m_face, character), FT_LOAD_DEFAULT) != 0
        || FT_Render_Glyph(m_face->glyph, FT_RENDER_MODE_NORMAL) != 0)
        return false;
    const FT_GlyphSlot slot = m_face->glyph;
    const FT_Bitmap& ink = slot->bitmap;
    const int64_t advance = (slot->advance.x + 32) >> 6;
    // A, B and C spacing: the ink's offset from the pen, its width, and what is left of the
    // advance after it. A character without ink (a space) is all advance.
    const int64_t a = ink.width != 0 ? slot->bitmap_left : 0;
    const int64_t b = ink.width;
    const int64_t c = advance - a - b;
    const int64_t width = std::max<int64_t>(a, 0) + b + std::max<int64_t>(c, 0);
    const int64_t height = int64_t { m_ascent } + m_descent;
    if (advance <= 0 || width < 1 || height < 1)
        return false;
    coverage->assign(size_t(width * height), 0);
    const int64_t top = int64_t { m_ascent } - slot->bitmap_top + verticalOffset;
    for (uint32_t row = 0; row < ink.rows; ++row) {
        const int64_t y = top + row;
        if (y < 0 || y >= height)
            continue;
        const uint8_t* source = InkRow(ink, row);
        for (uint32_t column = 0; column < ink.width; ++column) {
            const int64_t x = a + column;
            if (x >= 0 && x < width)
                (*coverage)[size_t(y * width + x)] = InkAt(ink, source, column);
        }
    }
    *glyph = { character, uint32_t(width), uint32_t(height),
        uint32_t(std::max<int64_t>(-a, 0) + std::max<int64_t>(-c, 0)), coverage->data() };
    return true;
}

}
