// patchkit font: renders a TrueType or OpenType file with FreeType, character by character as
// the toolkit captures a system font, and writes the glyphs as font group 0 of a record store,
// the file a language pack carries as its font. Native builds only (FreeType). With a code page
// the font's codes 0..255 are that page's bytes, each drawn as the character the page gives it,
// as a font captured with 8-bit drawing on a system of that code page.
#include "guib/guib.h"
#include "guib/posix/freetype_face.h"
#include "tools/command_support.h"
#include "tools/font_commands.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <ostream>

namespace patchkit {

namespace {

constexpr uint32_t MAX_PIXELS = 256;
constexpr uint32_t LAST_CHARACTER = 0xFFFF;

struct FontRequest {
    std::filesystem::path source;
    std::filesystem::path target;
    uint32_t pixels = 0;
    uint32_t first = 32;
    uint32_t count = 224;
    uint32_t codePage = 0; // 0: the codes are Unicode characters
};

// The Unicode characters of the 256 bytes of a Windows code page; 0 where the page defines no
// character. False when iconv does not know the page.
bool CodePageCharacters(uint32_t codePage, std::vector<uint32_t>* characters)
{
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t converter = iconv_open("UTF-32LE", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    characters->assign(256, 0);
    for (uint32_t code = 1; code < 256; ++code) {
        char byte = static_cast<char>(code);
        unsigned char wide[4] = {};
        char* in = &byte;
        char* out = reinterpret_cast<char*>(wide);
        size_t inLeft = 1;
        size_t outLeft = sizeof wide;
        if (iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1)
            && outLeft == 0)
            (*characters)[code] = wide[0] | wide[1] << 8 | wide[2] << 16 | uint32_t(wide[3]) << 24;
        (void)iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(converter);
    return true;
}

bool ParseNumber(const std::string& text, uint32_t* value)
{
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, *value);
    return error == std::errc() && stop == end && !text.empty();
}

// The two paths and the options; the reason when they do not make a request.
bool ParseRequest(const Arguments& arguments, FontRequest* request, std::string* reason)
{
    std::vector<std::string> paths;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        uint32_t* option = argument == "--size" ? &request->pixels
            : argument == "--first"             ? &request->first
            : argument == "--count"             ? &request->count
            : argument == "--codepage"          ? &request->codePage
                                                : nullptr;
        if (option == nullptr) {
            paths.push_back(argument);
            continue;
        }
        if (++i == arguments.size() || !ParseNumber(arguments[i], option)) {
            *reason = argument + " needs a number";
            return false;
        }
    }
    if (paths.size() != 2 || request->pixels == 0)
        return false;
    request->source = ArgumentPath(paths[0]);
    request->target = ArgumentPath(paths[1]);
    if (request->pixels > MAX_PIXELS)
        *reason = "--size must be 1 to " + std::to_string(MAX_PIXELS) + " pixels";
    else if (request->count == 0 || request->first > LAST_CHARACTER
        || request->count - 1 > LAST_CHARACTER - request->first)
        *reason = "--first and --count must give characters 0 to 65535";
    else if (request->codePage != 0 && request->first + request->count > 256)
        *reason = "with --codepage, --first and --count must give codes 0 to 255";
    return reason->empty();
}

// Renders every character of the range the face has; those it lacks, and codes the code page
// leaves undefined, are left out. characters maps a code to its character when not empty.
void RenderRange(const guib::posix::FreeTypeFace& face, const FontRequest& request,
    const std::vector<uint32_t>& characters, c_GUIB_Font* font)
{
    std::vector<uint8_t> coverage;
    for (uint32_t code = request.first; code - request.first < request.count; ++code) {
        const uint32_t character = characters.empty() ? code : characters[code];
        guib::os::CapturedGlyph glyph {};
        if (character != 0 && face.HasCharacter(character)
            && face.Render(character, 0, &coverage, &glyph))
            (void)font->AddCoverageGlyph(
                code, glyph.width, glyph.height, glyph.overlap, glyph.coverage);
    }
}

// The font file's bytes: the rendered glyphs as font group 0 of a record store.
SYS_Status MakeFontFile(const guib::posix::FreeTypeFace& face, const FontRequest& request,
    const std::vector<uint32_t>& characters, uint32_t* glyphs, std::string* bytes)
{
    c_GUIB_Font* font = new c_GUIB_Font();
    const guib::os::CapturedMetrics metrics = face.Metrics();
    font->SetHeader(GUIB_FONT_COVERAGE, metrics.height, metrics.ascent);
    RenderRange(face, request, characters, font);
    *glyphs = font->GetGlyphCount();
    c_GUIB_Store* store = new c_GUIB_Store();
    const SYS_Status status = font->SaveToStore(store, 0);
    if (status == SYS_OK)
        bytes->assign(reinterpret_cast<const char*>(store->GetData()), store->GetUsedSize());
    store->Release();
    font->Release();
    return status;
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(file.flush());
}

int RenderFont(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    FontRequest request;
    std::string reason;
    if (!ParseRequest(arguments, &request, &reason))
        return reason.empty() ? UsageError(err, "font") : Fail(err, reason);
    const std::string source = PathText(request.source);
    if (!std::filesystem::is_regular_file(request.source))
        return Fail(err, source + ": no such file");
    std::vector<uint32_t> characters;
    if (request.codePage != 0 && !CodePageCharacters(request.codePage, &characters))
        return Fail(err, "code page " + std::to_string(request.codePage) + " is not known");
    guib::posix::FreeTypeFace face;
    if (!face.Open(request.source.c_str(), 0))
        return Fail(err, source + ": not a font file FreeType can read");
    if (!face.SetHeight(-int32_t(request.pixels)))
        return Fail(err,
            source + ": the face cannot be sized to " + std::to_string(request.pixels) + " pixels");
    uint32_t glyphs = 0;
    std::string bytes;
    if (MakeFontFile(face, request, characters, &glyphs, &bytes) != SYS_OK)
        return Fail(err, source + ": the font is larger than a record store holds");
    if (glyphs == 0)
        return Fail(err, source + ": the face has no character of the range");
    if (!WriteFile(request.target, bytes))
        return Fail(err, PathText(request.target) + ": cannot write the file");
    out << "glyphs " << glyphs << "\nheight " << face.Metrics().height << '\n';
    return 0;
}

}

int (*const native::Font)(const Arguments&, std::ostream&, std::ostream&) = RenderFont;

}
