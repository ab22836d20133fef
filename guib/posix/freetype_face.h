// A font face opened with FreeType, sized like a Windows logical font and rendered glyph by
// glyph into the coverage records the toolkit's fonts are made of. Shared by the native capture
// of system fonts and by patchkit's font command, which render the same way.
#pragma once

#include "guib/os_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <vector>

namespace guib::posix {

class FreeTypeFace {
public:
    FreeTypeFace() = default;
    ~FreeTypeFace();
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    // Opens face number index of the font file; false when FreeType cannot read it.
    bool Open(const char* path, long index);
    // Sizes the face by the height of a logical font: below 0 the character (em) height in
    // pixels, above 0 the cell height (ascent + descent), 0 a default of 12 pixels per em.
    // False when the face cannot take the size.
    bool SetHeight(int32_t height);
    // Ascent and cell height at the current size, rounded as GDI rounds its text metrics.
    guib::os::CapturedMetrics Metrics() const { return { m_ascent + m_descent, m_ascent }; }
    bool HasCharacter(uint32_t character) const;
    // Renders the (Unicode) character as GDI draws one with its pen at 0 and its baseline at
    // the ascent plus verticalOffset: a cell-high glyph whose width is the advance widened by
    // ink that passes it, and whose overlap is the ink outside the advance. Characters the face
    // lacks are drawn with its missing-glyph shape. False when the glyph has no extent or cannot
    // be rendered; coverage receives width × height bytes.
    bool Render(uint32_t character, int32_t verticalOffset, std::vector<uint8_t>* coverage,
        guib::os::CapturedGlyph* glyph) const;

private:
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
    int32_t m_ascent = 0;
    int32_t m_descent = 0;
};

}
