// The page checks: text lookups without the fallback, glyph lookups, the measures the controls
// draw their captions with (the font's wrapping and its one-line extent), and the characters of
// the language's code page that findings show.
#include "tools/page_checks.h"

#include "ml/ml.h"
#include "tools/definition_session.h"

#include <algorithm>
#include <cstdio>

namespace patchkit {

namespace {

constexpr size_t EXCERPT_UNITS = 32;
constexpr size_t GAPS_NAMED = 20; // characters a glyph finding names before "and N more"

// The window's font of slot 0 with a reference; empty when it has none that is loaded.
GUIB_Ref<c_GUIB_Font> SlotFont(const c_GUIB_Window& window)
{
    c_GUIB_Font* font = nullptr;
    if (window.GetFont(0, &font) != SYS_OK)
        return {};
    auto held = GUIB_Ref<c_GUIB_Font>::Adopt(font);
    return font->IsLoaded() ? held : GUIB_Ref<c_GUIB_Font>();
}

std::string Quoted(std::u16string_view text, uint32_t codePage)
{
    return "'" + Excerpt(text, codePage) + "'";
}

// Where a one-line caption is drawn: a check box's text starts right of its box.
int32_t OneLineRoom(c_GUIB_Window& control)
{
    int32_t width = 0;
    control.GetSize(&width, nullptr);
    if (const auto* box = dynamic_cast<c_GUIB_CheckBox*>(&control))
        return width - box->GetTextRect().left;
    return width;
}

std::string WrapFault(const c_GUIB_Font& font, c_GUIB_Window& label, uint32_t codePage)
{
    int32_t width = 0;
    int32_t height = 0;
    label.GetSize(&width, &height);
    int32_t lineHeight = 0;
    int32_t ascent = 0;
    (void)font.GetMetrics(&lineHeight, &ascent);
    // The wrapping draws one line more only while two more would fit below it, so a box
    // holds its height's whole lines, and always one.
    const int32_t room = std::max(1, height / lineHeight);
    const int32_t needed = font.MeasureWrappedHeight(label.GetCaption(), width) / lineHeight;
    if (needed <= room)
        return "";
    return "label " + Quoted(label.GetCaption(), codePage) + " needs " + std::to_string(needed)
        + " lines, its box holds " + std::to_string(room);
}

const char* KindOf(c_GUIB_Window& control)
{
    if (dynamic_cast<c_GUIB_Button*>(&control) != nullptr)
        return "button";
    if (dynamic_cast<c_GUIB_CheckBox*>(&control) != nullptr)
        return "check box";
    if (dynamic_cast<c_GUIB_Label*>(&control) != nullptr)
        return "label";
    return nullptr;
}

// The characters of one run of bytes; byte by byte when the run is no text of the page.
void AppendBytes(std::u16string& shown, const std::string& bytes, uint32_t codePage)
{
    if (bytes.empty())
        return;
    std::u16string wide(bytes.size() + 1, u'\0');
    auto units = static_cast<uint32_t>(wide.size());
    if (SYS_CodePageToWide(codePage, wide.data(), &units, bytes.c_str()) == SYS_OK) {
        shown.append(wide.data(), units - 1);
        return;
    }
    for (char byte : bytes) {
        char16_t one[2] {};
        units = 2;
        const char single[2] = { byte, 0 };
        const bool converted = SYS_CodePageToWide(codePage, one, &units, single) == SYS_OK;
        shown.push_back(converted && units == 2 ? one[0] : u'\uFFFD');
    }
}

void Collect(c_GUIB_Window& window, GlyphGaps& gaps, std::vector<std::string>& findings)
{
    if (!window.IsVisible())
        return;
    if (const char16_t* caption = window.GetCaption(); caption != nullptr) {
        if (std::string fault = FitFault(window, gaps.CodePage()); !fault.empty())
            findings.push_back(std::move(fault));
        const GUIB_Ref<c_GUIB_Font> font = SlotFont(window);
        if (font.Get() != nullptr)
            gaps.Check(*font.Get(), caption);
    }
    for (uint32_t i = 0; i < window.GetChildCount(); ++i)
        Collect(*window.GetChild(i), gaps, findings);
}

}

std::vector<int32_t> MissingTexts(const std::vector<int32_t>& ids)
{
    std::vector<int32_t> missing;
    for (int32_t id : ids)
        if (!ML_HasString(id))
            missing.push_back(id);
    return missing;
}

std::u16string MissingGlyphs(const c_GUIB_Font& font, std::u16string_view text)
{
    std::u16string missing;
    for (char16_t c : text) {
        if (c == u'\n' || c == u'\r' || missing.find(c) != std::u16string::npos)
            continue;
        GUIB_Glyph* glyph = nullptr;
        if (font.GetGlyph(c, &glyph))
            font.ReleaseGlyph(c);
        else
            missing.push_back(c);
    }
    return missing;
}

std::u16string ShownText(std::u16string_view text, uint32_t codePage)
{
    std::u16string shown;
    std::string bytes;
    for (char16_t unit : text) {
        if (unit <= 0xFF) {
            bytes.push_back(static_cast<char>(unit));
            continue;
        }
        AppendBytes(shown, bytes, codePage);
        bytes.clear();
        shown.push_back(unit);
    }
    AppendBytes(shown, bytes, codePage);
    return shown;
}

std::string UnitName(char16_t unit, uint32_t codePage)
{
    char code[16];
    std::snprintf(
        code, sizeof code, unit <= 0xFF ? "byte 0x%02X" : "U+%04X", static_cast<unsigned>(unit));
    const std::u16string shown = ShownText(std::u16string_view(&unit, 1), codePage);
    if (shown.size() != 1 || shown[0] < 0x20 || shown[0] == 0x7F || shown[0] == u'\uFFFD')
        return code;
    std::string name = std::string(code) + " '";
    AppendUtf8(name, shown, false);
    return name + "'";
}

GlyphGaps::GlyphGaps(uint32_t codePage)
    : m_codePage(codePage)
{
}

void GlyphGaps::Check(const c_GUIB_Font& font, std::u16string_view text, const std::string& where)
{
    const std::u16string missing = MissingGlyphs(font, text);
    if (missing.empty())
        return;
    auto gaps = std::find_if(m_fonts.begin(), m_fonts.end(),
        [&font](const FontGaps& gaps) { return gaps.font == &font; });
    if (gaps == m_fonts.end()) {
        m_fonts.push_back({ &font, {}, where.empty() ? Quoted(text, m_codePage) : where });
        gaps = m_fonts.end() - 1;
    }
    for (char16_t c : missing)
        if (gaps->missing.find(c) == std::u16string::npos)
            gaps->missing.push_back(c);
}

std::vector<std::string> GlyphGaps::Findings(
    const std::function<std::string(const c_GUIB_Font&)>& fontName) const
{
    std::vector<std::string> findings;
    for (const FontGaps& gaps : m_fonts) {
        const size_t count = gaps.missing.size();
        std::string finding = "no glyph in " + fontName(*gaps.font) + " for "
            + std::to_string(count) + (count == 1 ? " character: " : " characters: ");
        for (size_t i = 0; i < count && i < GAPS_NAMED; ++i)
            finding += (i > 0 ? ", " : "") + UnitName(gaps.missing[i], m_codePage);
        if (count > GAPS_NAMED)
            finding += " and " + std::to_string(count - GAPS_NAMED) + " more";
        findings.push_back(finding + "; first in " + gaps.firstIn);
    }
    return findings;
}

std::string FitFault(c_GUIB_Window& control, uint32_t codePage)
{
    const char* kind = KindOf(control);
    const GUIB_Ref<c_GUIB_Font> font = SlotFont(control);
    const char16_t* caption = control.GetCaption();
    if (kind == nullptr || font.Get() == nullptr || caption == nullptr)
        return "";
    if (dynamic_cast<c_GUIB_Label*>(&control) != nullptr
        && control.GetTextAlign() == GUIB_ALIGN_WRAP)
        return WrapFault(*font.Get(), control, codePage);
    GUIB_Rect extent {};
    font.Get()->MeasureText(caption, &extent, GUIB_ALIGN_LEFT | GUIB_ALIGN_TOP);
    const int32_t room = OneLineRoom(control);
    if (extent.right - extent.left <= room)
        return "";
    return std::string(kind) + " " + Quoted(caption, codePage) + " is "
        + std::to_string(extent.right - extent.left) + " px wide, its room " + std::to_string(room)
        + " px";
}

std::vector<std::string> WindowFindings(c_GUIB_Window& root, GlyphGaps& gaps)
{
    std::vector<std::string> findings;
    Collect(root, gaps, findings);
    return findings;
}

std::string Excerpt(std::u16string_view text, uint32_t codePage)
{
    const std::u16string whole = ShownText(text, codePage);
    std::u16string shown = whole.substr(0, EXCERPT_UNITS);
    for (char16_t& c : shown)
        if (c == u'\n' || c == u'\r')
            c = u'/';
    std::string excerpt;
    AppendUtf8(excerpt, shown, false);
    return whole.size() > EXCERPT_UNITS ? excerpt + "..." : excerpt;
}

}
