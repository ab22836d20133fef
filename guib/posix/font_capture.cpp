// Capture of a system font on POSIX: fontconfig finds the face the logical font names (or a
// sans face when that one is not installed) and FreeType renders each character as GDI would
// draw it, including the 8-bit and OEM drawing options, which read character codes in the
// Western ANSI (1252) and OEM (437) code pages as Windows does on such systems.
#include "guib/os_font.h"
#include "guib/posix/freetype_face.h"

#include <fontconfig/fontconfig.h>

#include <cstring>
#include <string>
#include <strings.h>

namespace {

// Unicode of the bytes 0x80..0x9F of code page 1252; the bytes above are Latin-1.
constexpr char16_t ANSI_HIGH[32]
    = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
          0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
          0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

// Unicode of the bytes 0x80..0xFF of code page 437.
constexpr char16_t OEM_HIGH[128] = { 0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4,
    0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD,
    0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C,
    0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588,
    0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264,
    0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0,
    0x00A0 };

uint32_t AnsiToUnicode(uint8_t byte)
{
    return byte >= 0x80 && byte < 0xA0 ? ANSI_HIGH[byte - 0x80] : byte;
}

// The OEM byte of a character, or "?" when code page 437 has none (as the conversion gives).
uint8_t UnicodeToOem(uint32_t character)
{
    if (character < 0x80)
        return uint8_t(character);
    for (uint32_t i = 0; i < 128; ++i)
        if (OEM_HIGH[i] == character)
            return uint8_t(0x80 + i);
    return '?';
}

// What GDI puts on screen for the character: with 8-bit drawing its low byte read as ANSI; with
// OEM conversion its OEM byte, again read as ANSI by the 8-bit drawing call.
uint32_t DrawnCharacter(uint32_t character, const GUIB_FontOptions& options)
{
    if (options.use8Bit != 0)
        return AnsiToUnicode(uint8_t(character));
    if (options.oemCodePage != 0)
        return AnsiToUnicode(UnicodeToOem(character));
    return character;
}

bool HasFamily(FcPattern* match, const char* family)
{
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
        if (strcasecmp(reinterpret_cast<const char*>(name), family) == 0)
            return true;
    return false;
}

// The file and face index fontconfig matches for the family, weight and slant; with exact set,
// only a face of that very family counts.
bool MatchFace(FcConfig* config, const char* family, const GUIB_LogFont& font, bool exact,
    std::string* file, int* index)
{
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr)
        return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(
        pattern, FC_WEIGHT, FcWeightFromOpenType(font.weight > 0 ? font.weight : 400));
    FcPatternAddInteger(pattern, FC_SLANT, font.italic != 0 ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    FcChar8* path = nullptr;
    const bool found = match != nullptr && (!exact || HasFamily(match, family))
        && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch
        && FcPatternGetInteger(match, FC_INDEX, 0, index) == FcResultMatch;
    if (found)
        file->assign(reinterpret_cast<const char*>(path));
    if (match != nullptr)
        FcPatternDestroy(match);
    return found;
}

// A fontconfig configuration of the capture's own, loaded and destroyed with it: the library's
// shared default one is never released, so it would live on past every capture.
class FontConfig {
public:
    FontConfig()
        : m_config(FcInitLoadConfigAndFonts())
    {
    }
    ~FontConfig()
    {
        if (m_config != nullptr)
            FcConfigDestroy(m_config);
    }
    FontConfig(const FontConfig&) = delete;
    FontConfig& operator=(const FontConfig&) = delete;
    FcConfig* get() const { return m_config; }

private:
    FcConfig* m_config;
};

bool OpenFace(const GUIB_LogFont& font, guib::posix::FreeTypeFace* face)
{
    const FontConfig config;
    if (config.get() == nullptr)
        return false;
    const std::string family(font.faceName, strnlen(font.faceName, sizeof font.faceName));
    std::string file;
    int index = 0;
    if (!(!family.empty() && MatchFace(config.get(), family.c_str(), font, true, &file, &index))
        && !MatchFace(config.get(), "sans-serif", font, false, &file, &index))
        return false;
    return face->Open(file.c_str(), index) && face->SetHeight(font.height);
}

}

bool guib::os::CaptureFont(const GUIB_LogFont& font, uint32_t first, uint32_t last,
    const GUIB_FontOptions& options, CapturedMetrics* metrics, GlyphCallback report, void* context)
{
    guib::posix::FreeTypeFace face;
    if (!OpenFace(font, &face))
        return false;
    *metrics = face.Metrics();
    std::vector<uint8_t> coverage;
    for (uint32_t character = first; character <= last; ++character) {
        CapturedGlyph glyph {};
        if (face.Render(DrawnCharacter(character, options), int32_t(options.verticalOffset),
                &coverage, &glyph)) {
            glyph.character = character;
            report(context, glyph);
        }
    }
    return true;
}
