// patchkit's font commands: making a font file of the record-store format from a TrueType or
// OpenType file, and describing one. Same contract as the other commands (tools/patchkit.h).
#pragma once

#include "tools/patchkit.h"

namespace patchkit {

// fontinfo FILE.fnt: one "NAME VALUE" line each for version, flags (hexadecimal), height,
// ascent, glyphs, first and last (character codes, "none" without glyphs), then "missing" and
// the codes of 32..255 without a glyph. A file that is missing, cut short or not a font fails.
int FontInfo(const Arguments& arguments, std::ostream& out, std::ostream& err);

// Commands that need FreeType or libpng, which only native builds have: null in the Windows
// builds, whose dispatch then says so.
namespace native {

// font FONT_FILE OUT.fnt --size PX [--first N] [--count N]: renders the characters first ..
// first + count - 1 (default 32 and 224) that the face has at PX pixels per em into font group
// 0 of OUT.fnt, coverage in the alpha bytes and colour 0xFF000000, exactly as the toolkit loads
// a language's font. Prints "glyphs N" and "height H" (the line height).
extern int (*const Font)(const Arguments& arguments, std::ostream& out, std::ostream& err);

}

}
