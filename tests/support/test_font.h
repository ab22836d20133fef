// A font for GUI tests that looks the same on every system: printable ASCII (32 to 126) as 6 × 10
// glyphs whose ink is a fixed pattern of the character's code, so that different texts give
// different frames. No system font is involved.
#pragma once

#include "guib/guib.h"

#include <cstdint>
#include <vector>

namespace test {

inline constexpr int32_t TEST_FONT_HEIGHT = 10;
inline constexpr int32_t TEST_FONT_ADVANCE = 6; // every glyph; a space is blank

// A new font (one reference, for the caller) with the glyphs above.
GUIB_Ref<c_GUIB_Font> MakeTestFont();
// The test font as the bytes of a font file (font group 0 of a store), as a language's ".fnt".
std::vector<uint8_t> TestFontFile();

}
