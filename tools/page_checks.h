// Checks of what a page of the installer shows, for the review of a patch's pages: texts the
// language lacks, captions that do not fit their boxes, and characters the language's font has
// no glyph for. Each finding is one line of UTF-8 that names what it concerns.
#pragma once

#include "guib/guib.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace patchkit {

// The ids among ids that the text database holds no text for (neither the installer data nor
// the language file sets them), in the given order.
std::vector<int32_t> MissingTexts(const std::vector<int32_t>& ids);

// The characters of text that the font has no glyph for, each once in order of first use. Line
// feeds and carriage returns need none.
std::u16string MissingGlyphs(const c_GUIB_Font& font, std::u16string_view text);

// The finding of a character without a glyph in where (a quoted text or a file's name).
std::string MissingGlyphFinding(char16_t character, const std::string& where);

// Why a control's caption does not fit it, or "" when it does (or the window is no label,
// button or check box, or has no caption or font). A word-wrapped label fits when its wrapped
// lines are no more than the lines its height holds; any other caption is drawn on one line
// and fits when it is no wider than its room (a check box's room is right of its box).
std::string FitFault(c_GUIB_Window& control);

// FitFault and MissingGlyphs of every visible window below root (root included), front to back.
std::vector<std::string> WindowFindings(c_GUIB_Window& root);

// The start of a text for a finding: UTF-8, line feeds as "/", cut after 32 characters with "...".
std::string Excerpt(std::u16string_view text);

}
