// patchkit fontinfo: what a font file holds, read with the toolkit's own store and font loader
// so that a file it describes is one the installer loads. Refusals name the first problem.
#include "guib/guib.h"
#include "tools/command_support.h"
#include "tools/font_commands.h"

#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>

namespace patchkit {

namespace {

constexpr uint32_t FONT_ID = 0;
constexpr uint32_t HEADER_CHUNK = 1;
constexpr uint32_t FIRST_LISTED = 32;
constexpr uint32_t LAST_LISTED = 255;

// Reads a regular file of at most the store's file limit whole; the reason otherwise. The
// kind and size are checked before anything is read and no more than that size is read, so a
// device such as /dev/zero, a pipe or a file that grows meanwhile never fills memory.
bool ReadFontFile(const std::filesystem::path& path, std::string* bytes, std::string* reason)
{
    std::error_code error;
    const bool regular = std::filesystem::is_regular_file(path, error);
    const uintmax_t size = regular ? std::filesystem::file_size(path, error) : 0;
    if (error)
        *reason = "cannot read the file";
    else if (!regular)
        *reason = "not a regular file";
    else if (size > GUIB_STORE_FILE_LIMIT)
        *reason = "larger than any font file";
    else {
        std::ifstream file(path, std::ios::binary);
        bytes->resize(static_cast<size_t>(size));
        if (!file || !file.read(bytes->data(), std::streamsize(size)))
            *reason = "cannot read the file";
    }
    return reason->empty();
}

// The version of font group 0's header chunk; the reason when the store holds no sound one.
bool ReadVersion(c_GUIB_Store* store, uint32_t* version, std::string* reason)
{
    const SYS_Status opened = store->OpenGroup(GUIB_GROUP_FONT, FONT_ID);
    if (opened != SYS_OK) {
        *reason = opened == GUIB_STORE_NOT_FOUND
            ? "not a font file (no font group 0)"
            : "not a record store, or one cut short or damaged";
        return false;
    }
    const uint8_t* header = nullptr;
    uint32_t size = 0;
    if (store->FindChunk(HEADER_CHUNK, &header, &size) != SYS_OK)
        *reason = "the font has no header";
    else if (size != GUIB_FONT_HEADER_SIZE)
        *reason = "the font header is " + std::to_string(size) + " bytes, not 20";
    else if (*version = SYS_LoadU32(header); *version < GUIB_FONT_VERSION)
        *reason = "font version " + std::to_string(*version) + " is older than 80";
    (void)store->EndGroup();
    return reason->empty();
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value));
    return text;
}

void Describe(const c_GUIB_Font& font, uint32_t version, std::ostream& out)
{
    int32_t height = 0;
    int32_t ascent = 0;
    (void)font.GetMetrics(&height, &ascent);
    uint32_t* codes = nullptr;
    uint32_t count = 0;
    (void)font.ListCharacters(&codes, &count);
    std::ostringstream text;
    text << "version " << version << "\nflags " << Hex(font.GetFlags()) << "\nheight " << height
         << "\nascent " << ascent << "\nglyphs " << count << "\nfirst "
         << (count != 0 ? std::to_string(codes[0]) : "none") << "\nlast "
         << (count != 0 ? std::to_string(codes[count - 1]) : "none") << "\nmissing";
    SYS_Free(codes);
    for (uint32_t code = FIRST_LISTED; code <= LAST_LISTED; ++code) {
        GUIB_Glyph* glyph = nullptr;
        if (font.GetGlyph(code, &glyph))
            font.ReleaseGlyph(code);
        else
            text << ' ' << code;
    }
    out << text.str() << '\n';
}

// Loads font group 0 of the bytes; the reason when the installer could not use it.
bool LoadFont(const std::string& bytes, c_GUIB_Font* font, uint32_t* version, std::string* reason)
{
    c_GUIB_Store* store = new c_GUIB_Store(bytes.data(), bytes.size());
    bool loaded = ReadVersion(store, version, reason);
    if (loaded && font->LoadFromStore(store, FONT_ID) != SYS_OK)
        *reason = "the font has no character list";
    else if (loaded && !font->IsLoaded())
        *reason = "the font has no glyph and no line height";
    store->Release();
    return reason->empty();
}

}

int FontInfo(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.size() != 2)
        return UsageError(err, "fontinfo");
    const std::filesystem::path path = ArgumentPath(arguments[1]);
    std::string bytes;
    std::string reason;
    if (!ReadFontFile(path, &bytes, &reason))
        return Fail(err, PathText(path) + ": " + reason);
    c_GUIB_Font* font = new c_GUIB_Font();
    uint32_t version = 0;
    if (LoadFont(bytes, font, &version, &reason))
        Describe(*font, version, out);
    font->Release();
    return reason.empty() ? 0 : Fail(err, PathText(path) + ": " + reason);
}

}
