// patchkit topng: pictures come out as the toolkit's bitmaps (alpha kept, rows top first),
// fonts as a black-on-white glyph sheet, and missing, cut or foreign inputs fail with one line
// (pictures the installer would show partly black included).
#include "guib/guib.h"
#include "tests/support/jpeg_codec.h"
#include "tests/support/picture_writer.h"
#include "tests/tools/patchkit_test_support.h"

#include <png.h>

namespace {

using test::RunPatchkit;

// A PNG read back with libpng as 8-bit RGBA; empty when it cannot be read.
struct Png {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
};

Png ReadPng(const std::filesystem::path& path)
{
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    Png png;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return png;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
        return png;
    return { image.width, image.height, rgba };
}

// Three-byte pixels with an opaque alpha byte added to each.
std::vector<uint8_t> Opaque(const std::vector<uint8_t>& rgb)
{
    std::vector<uint8_t> rgba;
    for (size_t i = 0; i < rgb.size(); i += 3)
        rgba.insert(rgba.end(), { rgb[i], rgb[i + 1], rgb[i + 2], 0xFF });
    return rgba;
}

class ToPngCommand : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        test::WriteBytes(m_dir.Path() / name, std::string(bytes.begin(), bytes.end()));
        return test::PathArgument(m_dir.Path() / name);
    }
    std::string Out() const { return test::PathArgument(m_dir.Path() / "out.png"); }
    test::TempDir m_dir;
};

// A 32-bit TGA stored bottom row first with alpha bits: the PNG has its rows top first and
// every alpha byte, as the bitmap holds them.
TEST_F(ToPngCommand, TgaKeepsItsAlpha)
{
    test::ByteWriter tga;
    tga.Bytes(test::TgaHeader(2, 2, 2, 32, 8));
    tga.Bytes({ 1, 2, 3, 0x00, 4, 5, 6, 0x40 }).Bytes({ 7, 8, 9, 0x80, 10, 11, 12, 0xFF });
    auto result = RunPatchkit({ "topng", Write("icon.tga", tga.Data()), Out() });
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ("width 2\nheight 2\n", result.out);
    Png png = ReadPng(m_dir.Path() / "out.png");
    std::vector<uint8_t> expected
        = { 9, 8, 7, 0x80, 12, 11, 10, 0xFF, 3, 2, 1, 0x00, 6, 5, 4, 0x40 };
    EXPECT_EQ(expected, png.rgba);
}

TEST_F(ToPngCommand, BmpAndJpegComeOutOpaque)
{
    std::vector<uint8_t> rgb = test::PatternPixels(5, 3, 3);
    auto result = RunPatchkit({ "topng", Write("back.bmp", test::BmpFile24(5, 3, rgb)), Out() });
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ(Opaque(rgb), ReadPng(m_dir.Path() / "out.png").rgba);

    std::vector<uint8_t> jpeg
        = test::EncodeJpeg(test::PatternPixels(20, 12, 3), 20, 12, 3, JCS_RGB);
    result = RunPatchkit({ "topng", Write("back.JPG", jpeg), Out() });
    ASSERT_EQ(0, result.status) << result.err;
    Png png = ReadPng(m_dir.Path() / "out.png");
    EXPECT_EQ(20u, png.width);
    EXPECT_EQ(Opaque(test::DecodeJpeg(jpeg).pixels), png.rgba);
}

// A font of three glyphs: 'A' fully covered, 'B' half covered, and a blank space that still
// takes its cell. Cells are as wide as the widest glyph and as high as the line, 2 pixels apart.
TEST_F(ToPngCommand, FontBecomesAGlyphSheet)
{
    auto* font = new c_GUIB_Font();
    font->SetHeader(GUIB_FONT_COVERAGE, 3, 2);
    ASSERT_EQ(SYS_OK, font->AddCoverageGlyph(' ', 2, 3, 0, std::vector<uint8_t>(6, 0x00).data()));
    ASSERT_EQ(SYS_OK, font->AddCoverageGlyph('A', 2, 3, 0, std::vector<uint8_t>(6, 0xFF).data()));
    ASSERT_EQ(SYS_OK, font->AddCoverageGlyph('B', 1, 3, 0, std::vector<uint8_t>(3, 0x80).data()));
    auto* store = new c_GUIB_Store();
    ASSERT_EQ(SYS_OK, font->SaveToStore(store, 0));
    std::vector<uint8_t> bytes(store->GetData(), store->GetData() + store->GetUsedSize());
    store->Release();
    font->Release();

    auto result = RunPatchkit({ "topng", Write("en.FNT", bytes), Out() });
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ("glyphs 3\nwidth 14\nheight 7\n", result.out);
    Png png = ReadPng(m_dir.Path() / "out.png");
    ASSERT_EQ(14u * 7u * 4u, png.rgba.size());
    auto grey = [&](uint32_t x, uint32_t y) {
        const uint8_t* p = &png.rgba[(y * 14 + x) * 4];
        return p[0] == p[1] && p[1] == p[2] && p[3] == 0xFF ? p[0] : -1;
    };
    for (uint32_t y = 0; y < 7; ++y)
        for (uint32_t x = 0; x < 14; ++x) {
            bool inA = x >= 6 && x < 8 && y >= 2 && y < 5;
            bool inB = x == 10 && y >= 2 && y < 5;
            int expected = inA ? 0 : inB ? (255 * 128) >> 8 : 255;
            EXPECT_EQ(expected, grey(x, y)) << x << ", " << y;
        }
}

TEST_F(ToPngCommand, RefusesMissingCutAndForeignInputs)
{
    std::vector<uint8_t> bmp = test::BmpFile24(4, 4, test::PatternPixels(4, 4, 3));
    std::vector<uint8_t> jpeg = test::EncodeJpeg(test::PatternPixels(8, 8, 3), 8, 8, 3, JCS_RGB);
    const std::vector<std::pair<std::string, std::string>> cases = {
        { test::PathArgument(m_dir.Path() / "none.tga"), "no such file" },
        { Write("cut.bmp", std::vector<uint8_t>(bmp.begin(), bmp.end() - 5)),
            "BMP pixel data cut short" },
        { Write("cut.jpg", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 30)), "" },
        { Write("cut.tga", test::TgaHeader(2, 4, 4, 24, 0)), "TGA pixel data cut short" },
        { Write("rows.jpg", std::vector<uint8_t>(jpeg.begin(), jpeg.end() - 40)), "Premature end" },
        { Write("text.bmp", { 'h', 'e', 'l', 'l', 'o' }), "not a BMP file" },
        { Write("picture.png", bmp), "extension not known" },
        { Write("text.fnt", { 'h', 'e', 'l', 'l', 'o' }), "not a font file" },
        { Write("bitmap.fnt", bmp), "not a font file" },
    };
    for (const auto& [input, reason] : cases) {
        SCOPED_TRACE(input);
        auto result = RunPatchkit({ "topng", input, Out() });
        EXPECT_TRUE(test::FailsWithOneLine(result));
        EXPECT_NE(std::string::npos, result.err.find(reason)) << result.err;
        EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "out.png"));
    }
    EXPECT_TRUE(test::FailsWithOneLine(RunPatchkit({ "topng", Write("a.bmp", bmp) })));
    auto unwritable = RunPatchkit(
        { "topng", Write("b.bmp", bmp), test::PathArgument(m_dir.Path() / "no/dir/out.png") });
    EXPECT_TRUE(test::FailsWithOneLine(unwritable));
}

}
