// patchkit's picture command: a picture or a font file shown as a PNG file for review. Same
// contract as the other commands (tools/patchkit.h).
#pragma once

#include "tools/patchkit.h"

namespace patchkit::native {

// topng INPUT OUT.png: INPUT is a BMP, TGA or JPEG picture, loaded exactly as the toolkit loads
// a picture into a bitmap, or a ".fnt" font file drawn as a sheet of its glyphs in black on
// white (16 to a row, in character order). OUT.png is an 8-bit RGBA PNG with the bitmap's
// alpha. Prints "width W" and "height H" (and "glyphs N" for a font). A missing, cut or
// foreign input fails with one line. Needs libpng, which only native builds have: null in the
// Windows builds.
extern int (*const ToPng)(const Arguments& arguments, std::ostream& out, std::ostream& err);

}
