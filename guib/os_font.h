// The system side of capturing a font into glyphs; both backends define CaptureFont. Windows
// draws each character with GDI and reads the pixels back; POSIX finds the face through
// fontconfig and renders it with FreeType.
#pragma once

#include "guib/guib.h"

#include <cstdint>

namespace guib::os {

// One rendered character: its extent and its ink as coverage bytes (0 background, 255 full
// ink), width × height of them row by row, top row first.
struct CapturedGlyph {
    uint32_t character;
    uint32_t width;
    uint32_t height;
    uint32_t overlap;
    const uint8_t* coverage;
};

struct CapturedMetrics {
    int32_t height; // the cell height of the font
    int32_t ascent;
};

// Receives each glyph while the capture runs; the coverage is valid during the call only.
using GlyphCallback = void (*)(void* context, const CapturedGlyph& glyph);

// Renders the characters first .. last (16-bit codes, last >= first) with the font: fills
// metrics, then reports every character whose width and height are at least 1, in ascending
// order. False when the font cannot be made; nothing is reported then.
bool CaptureFont(const GUIB_LogFont& font, uint32_t first, uint32_t last,
    const GUIB_FontOptions& options, CapturedMetrics* metrics, GlyphCallback report, void* context);

}
