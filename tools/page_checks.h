// Checks of what a page of the installer shows, for the review of a patch's pages: texts the
// language lacks, captions that do not fit their boxes, and characters the language's font has
// no glyph for. Each finding is one line of UTF-8 that names what it concerns. The installer's
// texts are 8-bit text of the language's code page, each byte a unit of its own (the font has a
// glyph per byte value); findings show the characters the bytes stand for in that page.
#pragma once

#include "guib/guib.h"

#include <cstdint>
#include <functional>
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

// The characters an installer's text stands for: runs of units up to 0xFF are the bytes of
// codePage, units above it are characters already. Bytes that are no text of the page (a lead
// byte without its trail byte, a code the page leaves free) become U+FFFD each.
std::u16string ShownText(std::u16string_view text, uint32_t codePage);

// One unit of an installer's text for a finding: "byte 0xDD 'Э'" (the character of codePage; a
// byte that is no character alone, or a control code, without one), or "U+0416 'Ж'" above 0xFF.
std::string UnitName(char16_t unit, uint32_t codePage);

// The start of a text for a finding: ShownText in UTF-8, line feeds as "/", cut after 32
// characters with "...".
std::string Excerpt(std::u16string_view text, uint32_t codePage);

// The characters the fonts of one page have no glyph for, gathered over the page's texts: per
// font the distinct characters in order of first use and the text the first of them is in.
class GlyphGaps {
public:
    explicit GlyphGaps(uint32_t codePage);
    uint32_t CodePage() const { return m_codePage; }
    // Notes the characters of text that font lacks; where names the text (a file's name), or
    // is empty for the text's quoted excerpt.
    void Check(const c_GUIB_Font& font, std::u16string_view text, const std::string& where = {});
    // One finding per font, in the order of their first gaps: "no glyph in <name> for N
    // characters: <first 20 units>[ and M more]; first in <where>".
    std::vector<std::string> Findings(
        const std::function<std::string(const c_GUIB_Font&)>& fontName) const;

private:
    struct FontGaps {
        const c_GUIB_Font* font;
        std::u16string missing;
        std::string firstIn;
    };
    uint32_t m_codePage;
    std::vector<FontGaps> m_fonts;
};

// Why a control's caption does not fit it, or "" when it does (or the window is no label,
// button or check box, or has no caption or font). A word-wrapped label fits when its wrapped
// lines are no more than the lines its height holds; any other caption is drawn on one line
// and fits when it is no wider than its room (a check box's room is right of its box).
std::string FitFault(c_GUIB_Window& control, uint32_t codePage);

// FitFault of every visible window below root (root included), front to back; their captions'
// characters without a glyph go to gaps.
std::vector<std::string> WindowFindings(c_GUIB_Window& root, GlyphGaps& gaps);

}
