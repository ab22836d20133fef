// Writing a bitmap to a PNG file, for tests, patchkit and page previews. Native builds only:
// libpng exists for them alone, so Windows builds have neither this header's function nor
// anything that calls it.
#pragma once

#include "guib/guib.h"

// Writes the bitmap as an 8-bit RGBA PNG that keeps its alpha bytes (not premultiplied) to
// path, a native file name. False when the bitmap has no pixels or the file cannot be written;
// a failed write removes the partial file.
bool GUIB_WritePng(const c_GUIB_Bitmap& bitmap, const char* path);
