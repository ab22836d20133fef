// patchkit topng: a picture loaded into a bitmap exactly as the toolkit loads one, or a font
// file drawn as a sheet of its glyphs, written as a PNG file for review. Native builds only
// (libpng).
#include "bigfile/bigfile.h"
#include "guib/guib.h"
#include "guib/posix/png_writer.h"
#include "tools/command_support.h"
#include "tools/picture_commands.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <ostream>
#include <string_view>

namespace patchkit {

namespace {

constexpr uint32_t SHEET_COLUMNS = 16;
constexpr int32_t SHEET_GAP = 2; // around every cell, so that neighbouring glyphs never touch
constexpr uint32_t WHITE = 0xFFFFFFFF;
constexpr uint32_t BLACK = 0xFF000000;

// The archive file system started for disk files by their names, for one command's run.
class DiskFiles {
public:
    DiskFiles()
    {
        BF_InitParams params {};
        params.plainNames = 1;
        m_started = BF_Init(&params) != 0;
    }
    ~DiskFiles()
    {
        if (m_started)
            BF_Shutdown();
    }
    DiskFiles(const DiskFiles&) = delete;
    DiskFiles& operator=(const DiskFiles&) = delete;
    bool Started() const { return m_started; }

private:
    bool m_started = false;
};

bool IsFontFile(const std::filesystem::path& path)
{
    std::string extension = PathText(path.extension());
    SYS_StrLower(extension.data());
    return extension == ".fnt";
}

// The picture as a bitmap, or null with the loader's reason. A picture that loads although a
// reason was sent (a TGA or JPEG that ends early, damaged JPEG data) is refused too: the
// installer would show it partly black or grey, which a review must not pass.
c_GUIB_Bitmap* LoadPicture(const std::string& input, std::string* reason)
{
    static constexpr std::string_view NO_REASON = "the picture has no pixels";
    TraceReason trace;
    auto* bitmap = new (std::nothrow) c_GUIB_Bitmap(input.c_str());
    *reason = trace.Text(NO_REASON, 0);
    bool damaged = reason->compare(0, NO_REASON.size(), NO_REASON) != 0;
    int32_t width = 0;
    if (bitmap != nullptr)
        bitmap->GetSize(&width, nullptr);
    if (width > 0 && !damaged)
        return bitmap;
    if (bitmap != nullptr)
        bitmap->Release();
    return nullptr;
}

// Every cell is as wide as the widest glyph and as high as the line or the tallest glyph.
void MeasureCells(const c_GUIB_Font& font, const uint32_t* codes, uint32_t count,
    int32_t* cellWidth, int32_t* cellHeight)
{
    (void)font.GetMetrics(cellHeight, nullptr);
    *cellWidth = 1;
    for (uint32_t i = 0; i < count; ++i) {
        GUIB_Glyph* glyph = nullptr;
        if (!font.GetGlyph(codes[i], &glyph))
            continue;
        *cellWidth = std::max(*cellWidth, static_cast<int32_t>(glyph->width));
        *cellHeight = std::max(*cellHeight, static_cast<int32_t>(glyph->height));
        font.ReleaseGlyph(codes[i]);
    }
}

// The glyph's coverage drawn in black: a copy of its bitmap takes the colour and keeps the
// coverage in its alpha, and is blended onto the sheet.
void DrawGlyph(const c_GUIB_Font& font, uint32_t code, c_GUIB_Bitmap* sheet, int32_t x, int32_t y)
{
    GUIB_Glyph* glyph = nullptr;
    if (!font.GetGlyph(code, &glyph))
        return;
    auto* black
        = glyph->bitmap != nullptr ? new (std::nothrow) c_GUIB_Bitmap(*glyph->bitmap) : nullptr;
    if (black != nullptr) {
        int32_t width = 0;
        int32_t height = 0;
        black->GetSize(&width, &height);
        black->Tint(0, 0, width, height, BLACK);
        black->BlendTo(sheet, x, y, 0, 0, width, height);
        black->Release();
    }
    font.ReleaseGlyph(code);
}

// White cells of SHEET_COLUMNS glyphs a row, in character order; null when the sheet would
// exceed the bitmap limits.
c_GUIB_Bitmap* DrawSheet(const c_GUIB_Font& font, const uint32_t* codes, uint32_t count)
{
    int32_t cellWidth = 0;
    int32_t cellHeight = 0;
    MeasureCells(font, codes, count, &cellWidth, &cellHeight);
    uint32_t columns = std::min(count, SHEET_COLUMNS);
    uint32_t rows = (count + SHEET_COLUMNS - 1) / SHEET_COLUMNS;
    int64_t width = int64_t { columns } * (cellWidth + SHEET_GAP) + SHEET_GAP;
    int64_t height = int64_t { rows } * (cellHeight + SHEET_GAP) + SHEET_GAP;
    auto* sheet = new (std::nothrow) c_GUIB_Bitmap();
    if (sheet == nullptr || width > GUIB_MAX_BITMAP_SIDE || height > GUIB_MAX_BITMAP_SIDE
        || !sheet->Create(static_cast<int32_t>(width), static_cast<int32_t>(height))) {
        if (sheet != nullptr)
            sheet->Release();
        return nullptr;
    }
    sheet->SetColour(WHITE);
    sheet->FillRect(0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height));
    for (uint32_t i = 0; i < count; ++i) {
        int32_t x = static_cast<int32_t>(i % SHEET_COLUMNS) * (cellWidth + SHEET_GAP) + SHEET_GAP;
        int32_t y = static_cast<int32_t>(i / SHEET_COLUMNS) * (cellHeight + SHEET_GAP) + SHEET_GAP;
        DrawGlyph(font, codes[i], sheet, x, y);
    }
    return sheet;
}

// The font's glyph sheet, or null with the reason.
c_GUIB_Bitmap* LoadFontSheet(const std::string& input, uint32_t* glyphs, std::string* reason)
{
    auto* font = new (std::nothrow) c_GUIB_Font(input.c_str());
    uint32_t* codes = nullptr;
    *glyphs = 0;
    if (font != nullptr && font->IsLoaded())
        (void)font->ListCharacters(&codes, glyphs);
    c_GUIB_Bitmap* sheet = *glyphs != 0 ? DrawSheet(*font, codes, *glyphs) : nullptr;
    if (*glyphs == 0)
        *reason = "not a font file, or a font without glyphs";
    else if (sheet == nullptr)
        *reason = "the glyph sheet would be larger than a bitmap can be";
    SYS_Free(codes);
    if (font != nullptr)
        font->Release();
    return sheet;
}

int RunToPng(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.size() != 3)
        return UsageError(err, "topng");
    const std::filesystem::path inputPath = ArgumentPath(arguments[1]);
    const std::string input = PathText(inputPath);
    if (!std::filesystem::is_regular_file(inputPath))
        return Fail(err, input + ": no such file");
    DiskFiles files;
    if (!files.Started())
        return Fail(err, "cannot start the archive file system");
    std::string reason;
    uint32_t glyphs = 0;
    bool font = IsFontFile(inputPath);
    c_GUIB_Bitmap* bitmap
        = font ? LoadFontSheet(input, &glyphs, &reason) : LoadPicture(input, &reason);
    if (bitmap == nullptr)
        return Fail(err, input + ": " + reason);
    int32_t width = 0;
    int32_t height = 0;
    bitmap->GetSize(&width, &height);
    bool written = GUIB_WritePng(*bitmap, PathText(ArgumentPath(arguments[2])).c_str());
    bitmap->Release();
    if (!written)
        return Fail(err, arguments[2] + ": cannot write the PNG file");
    if (font)
        out << "glyphs " << glyphs << '\n';
    out << "width " << width << "\nheight " << height << '\n';
    return 0;
}

}

int (*const native::ToPng)(const Arguments&, std::ostream&, std::ostream&) = RunToPng;

}
