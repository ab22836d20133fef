// patchkit font: renders a TrueType or OpenType file with FreeType, character by character as
// the toolkit captures a system font, and writes the glyphs as font group 0 of a record store,
// the file a language pack carries as its font. Native builds only (FreeType).
#include "guib/guib.h"
#include "guib/posix/freetype_face.h"
#include "tools/command_support.h"
#include "tools/font_commands.h"

#include <charconv>
#include <filesystem>
#include <fstream>
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
};

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
    return reason->empty();
}

// Renders every character of the range the face has; those it lacks are left out.
void RenderRange(
    const guib::posix::FreeTypeFace& face, const FontRequest& request, c_GUIB_Font* font)
{
    std::vector<uint8_t> coverage;
    for (uint32_t code = request.first; code - request.first < request.count; ++code) {
        guib::os::CapturedGlyph glyph {};
        if (face.HasCharacter(code) && face.Render(code, 0, &coverage, &glyph))
            (void)font->AddCoverageGlyph(
                code, glyph.width, glyph.height, glyph.overlap, glyph.coverage);
    }
}

// The font file's bytes: the rendered glyphs as font group 0 of a record store.
SYS_Status MakeFontFile(const guib::posix::FreeTypeFace& face, const FontRequest& request,
    uint32_t* glyphs, std::string* bytes)
{
    c_GUIB_Font* font = new c_GUIB_Font();
    const guib::os::CapturedMetrics metrics = face.Metrics();
    font->SetHeader(GUIB_FONT_COVERAGE, metrics.height, metrics.ascent);
    RenderRange(face, request, font);
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
    guib::posix::FreeTypeFace face;
    if (!face.Open(request.source.c_str(), 0))
        return Fail(err, source + ": not a font file FreeType can read");
    if (!face.SetHeight(-int32_t(request.pixels)))
        return Fail(err,
            source + ": the face cannot be sized to " + std::to_string(request.pixels) + " pixels");
    uint32_t glyphs = 0;
    std::string bytes;
    if (MakeFontFile(face, request, &glyphs, &bytes) != SYS_OK)
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
