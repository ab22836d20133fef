// Fonts in record stores: a hand-packed font file, damaged headers and glyphs, the line-height
// rule, save and load round trips, and copies.
#include "bigfile/bigfile.h"
#include "tests/guib/font_checks.h"
#include "tests/guib/record_bytes.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

using test::Bytes;
using test::Cat;
using test::Chunk;
using test::FontGroup;
using test::FontHeader;
using test::GlyphGroup;
using test::Group;
using test::Held;
using test::StoreOf;
using test::U32s;

constexpr const char* BAD_HEADER = "c_GUIB_Font::LoadFromStore - corrupted file or wrong version";

const std::vector<uint32_t> GLYPH_A = { 0xFF000000, 0x80000000, 0x40000000, 0xFF000000, 0, 0x10000000 };

// Header height 13 and ascent 10; 'A' 2 × 3 with overlap 1, a transparent space 3 × 13, and a
// listed 'B' without a glyph group.
Bytes SampleFont(uint32_t id = 0)
{
    return FontGroup(id, FontHeader(1, 13, 10), { 65, 32, 66 },
        Cat({ GlyphGroup(65, 2, 3, 1, GLYPH_A), GlyphGroup(32, 3, 13, 0, std::vector<uint32_t>(39)) }));
}

Held<c_GUIB_Font> LoadedFont(const Bytes& bytes, uint32_t id = 0, SYS_Status expected = SYS_OK)
{
    Held<c_GUIB_Font> font(new c_GUIB_Font());
    auto store = StoreOf(bytes);
    EXPECT_EQ(expected, font->LoadFromStore(store.get(), id));
    return font;
}

TEST(Font, LoadsAHandPackedFontFile)
{
    auto font = LoadedFont(SampleFont());
    int32_t height = 0;
    int32_t ascent = 0;
    EXPECT_EQ(SYS_OK, font->GetMetrics(&height, &ascent));
    EXPECT_EQ(13, height); // the tallest glyph
    EXPECT_EQ(10, ascent);
    EXPECT_EQ(1u, font->GetFlags());
    EXPECT_EQ((std::vector<uint32_t> { 32, 65 }), test::CodesOf(*font));
    GUIB_Glyph* glyph = nullptr;
    ASSERT_TRUE(font->GetGlyph('A', &glyph));
    EXPECT_EQ(2u, glyph->width);
    EXPECT_EQ(3u, glyph->height);
    EXPECT_EQ(1u, glyph->overlap);
    EXPECT_EQ(0xFF000000u, glyph->tintColour);
    EXPECT_EQ(GLYPH_A, test::PixelsOf(*glyph->bitmap));
    font->ReleaseGlyph('A');
    EXPECT_FALSE(font->GetGlyph('B', &glyph));
    // The space has its width and no ink.
    ASSERT_TRUE(font->GetGlyph(' ', &glyph));
    EXPECT_EQ(3u, glyph->width);
    EXPECT_EQ(0, test::InkPixels(*glyph));
    font->ReleaseGlyph(' ');
}

struct BadHeader {
    const char* what;
    Bytes header;
};

class FontHeaderRefusal : public ::testing::TestWithParam<BadHeader> { };

TEST_P(FontHeaderRefusal, LeavesTheFontEmptyWithStatus0)
{
    test::TraceCatcher traces;
    auto font = LoadedFont(FontGroup(0, GetParam().header, { 65 }, GlyphGroup(65, 2, 3, 0, GLYPH_A)));
    EXPECT_EQ(0u, font->GetGlyphCount()) << GetParam().what;
    EXPECT_FALSE(font->IsLoaded());
    EXPECT_EQ(0u, font->GetFlags());
    EXPECT_NE(traces.Texts().end(), std::find(traces.Texts().begin(), traces.Texts().end(), BAD_HEADER));
}

INSTANTIATE_TEST_SUITE_P(Font, FontHeaderRefusal,
    ::testing::Values(BadHeader { "24-byte header", Chunk(1, U32s({ 80, 0, 1, 13, 10, 0 })) },
        BadHeader { "version 79", FontHeader(1, 13, 10, 79) }));

TEST(Font, LineHeightBelow1IsNotLoaded)
{
    // Height 0 and no glyph of any height: a list box would divide by this line height.
    test::TraceCatcher traces;
    const Bytes flatGlyph = Group(GUIB_GROUP_GLYPH, 65,
        Cat({ Chunk(1, U32s({ 4, 0, 0, 0xFF000000, 0 })), test::BitmapGroup(0, 4, 0, {}) }));
    auto font = LoadedFont(FontGroup(0, FontHeader(1, 0, 0), { 65, 66 }, flatGlyph));
    EXPECT_FALSE(font->IsLoaded());
    EXPECT_EQ(0u, font->GetGlyphCount());
    EXPECT_EQ(0u, font->GetFlags());
    EXPECT_NE(traces.Texts().end(), std::find(traces.Texts().begin(), traces.Texts().end(), BAD_HEADER));
}

TEST(Font, SkipsGlyphsWhoseRecordOrBitmapCannotBeTrusted)
{
    const Bytes shortRecord = Group(GUIB_GROUP_GLYPH, 66,
        Cat({ Chunk(1, U32s({ 2, 3 })), test::BitmapGroup(0, 2, 3, GLYPH_A) }));
    const Bytes mismatch = Group(GUIB_GROUP_GLYPH, 67,
        Cat({ Chunk(1, U32s({ 2, 4, 0, 0xFF000000, 0 })), test::BitmapGroup(0, 2, 3, GLYPH_A) }));
    // A few bytes claiming a bitmap of 2 × 30000 (zero-filled from a short pixel chunk).
    const Bytes huge = Group(GUIB_GROUP_GLYPH, 69,
        Cat({ Chunk(1, U32s({ 2, 30000, 0, 0xFF000000, 0 })), test::BitmapGroup(0, 2, 30000, GLYPH_A) }));
    const Bytes emptyBitmap = Group(GUIB_GROUP_GLYPH, 68,
        Cat({ Chunk(1, U32s({ 0, 0, 0, 0xFF000000, 0 })), test::BitmapGroup(0, 0, 0, {}) }));
    auto font = LoadedFont(FontGroup(0, FontHeader(1, 13, 10), { 65, 66, 67, 68, 69 },
        Cat({ GlyphGroup(65, 2, 3, 0, GLYPH_A), shortRecord, mismatch, emptyBitmap, huge })));
    EXPECT_EQ((std::vector<uint32_t> { 65 }), test::CodesOf(*font));
    int32_t height = 0;
    (void)font->GetMetrics(&height, nullptr);
    EXPECT_EQ(3, height); // the skipped claim of 30000 rows is not the line height
}

TEST(Font, CodeListedTwiceKeepsItsFirstGlyph)
{
    // Found by fuzzing: the second glyph of a code could never be looked up or released again,
    // and outlived the font.
    auto font = LoadedFont(FontGroup(0, FontHeader(1, 13, 10), { 65, 66, 65 },
        Cat({ GlyphGroup(65, 2, 3, 0, GLYPH_A), GlyphGroup(66, 1, 1, 0, { 0 }) })));
    EXPECT_EQ((std::vector<uint32_t> { 65, 66 }), test::CodesOf(*font));
    const uint8_t coverage[1] = {};
    EXPECT_EQ(SYS_BAD_ARGUMENT, font->AddCoverageGlyph(66, 1, 1, 0, coverage));
    EXPECT_EQ(2u, font->GetGlyphCount());
}

TEST(Font, StoreErrorsPassThrough)
{
    LoadedFont(SampleFont(1), 0, GUIB_STORE_NOT_FOUND);
    LoadedFont(Group(GUIB_GROUP_FONT, 0, FontHeader(1, 13, 10)), 0, GUIB_STORE_NOT_FOUND);
    LoadedFont(Group(GUIB_GROUP_FONT, 0, test::RawHeader(GUIB_STORE_MAGIC, 0, 1, 24, 99, 2)), 0,
        GUIB_STORE_DAMAGED);
}

// A font made by hand: a few glyphs of varied coverage, one of them a transparent space.
Held<c_GUIB_Font> MadeFont()
{
    Held<c_GUIB_Font> font(new c_GUIB_Font());
    font->SetHeader(GUIB_FONT_COVERAGE | 0x40, 9, 7);
    for (uint32_t code : { uint32_t('x'), uint32_t('y'), uint32_t(' '), 0x20ACu }) {
        const uint32_t width = code % 5 + 1;
        std::vector<uint8_t> coverage(width * 9);
        for (size_t i = 0; i < coverage.size() && code != ' '; ++i)
            coverage[i] = uint8_t(i * 37 + code);
        EXPECT_EQ(SYS_OK, font->AddCoverageGlyph(code, width, 9, code % 2, coverage.data()));
    }
    return font;
}

TEST(Font, SavedFontLoadsBackIdentical)
{
    auto font = MadeFont();
    Held<c_GUIB_Store> store(new c_GUIB_Store());
    ASSERT_EQ(SYS_OK, font->SaveToStore(store.get(), 0));
    Held<c_GUIB_Font> loaded(new c_GUIB_Font());
    ASSERT_EQ(SYS_OK, loaded->LoadFromStore(store.get(), 0));
    test::ExpectSameFonts(*font, *loaded);
    // Saved again, the loaded font gives the same file.
    Held<c_GUIB_Store> again(new c_GUIB_Store());
    ASSERT_EQ(SYS_OK, loaded->SaveToStore(again.get(), 0));
    EXPECT_EQ(test::BytesOf(*store), test::BytesOf(*again));
}

TEST(Font, WritesTheFileLayoutByteForByte)
{
    Held<c_GUIB_Font> font(new c_GUIB_Font());
    font->SetHeader(1, 13, 10);
    const uint8_t coverage[6] = { 0xFF, 0x80, 0x40, 0xFF, 0, 0x10 };
    ASSERT_EQ(SYS_OK, font->AddCoverageGlyph(65, 2, 3, 1, coverage));
    Held<c_GUIB_Store> store(new c_GUIB_Store());
    ASSERT_EQ(SYS_OK, font->SaveToStore(store.get(), 0));
    EXPECT_EQ(FontGroup(0, FontHeader(1, 13, 10), { 65 }, GlyphGroup(65, 2, 3, 1, GLYPH_A)),
        test::BytesOf(*store));
}

TEST(Font, CopyHasTheSameGlyphsMetricsAndFlags)
{
    auto font = MadeFont();
    Held<c_GUIB_Font> copy(new c_GUIB_Font());
    ASSERT_EQ(SYS_OK, copy->CopyFrom(*font));
    test::ExpectSameFonts(*font, *copy);

    // A font without glyphs writes no code list and so cannot be copied.
    Held<c_GUIB_Font> empty(new c_GUIB_Font());
    Held<c_GUIB_Font> none(new c_GUIB_Font());
    EXPECT_EQ(GUIB_STORE_NOT_FOUND, none->CopyFrom(*empty));
}

TEST(Font, LoadsFontGroup0OfAFile)
{
    BF_InitParams params {};
    params.plainNames = 1;
    ASSERT_EQ(1, BF_Init(&params));
    test::TempDir dir;
    const Bytes bytes = SampleFont();
    std::ofstream(dir.Path() / "en.fnt", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    Held<c_GUIB_Font> font(new c_GUIB_Font(dir.File("en.fnt").c_str()));
    Held<c_GUIB_Font> missing(new c_GUIB_Font(dir.File("xx.fnt").c_str()));
    BF_Shutdown();
    EXPECT_EQ((std::vector<uint32_t> { 32, 65 }), test::CodesOf(*font));
    EXPECT_TRUE(font->IsLoaded());
    EXPECT_FALSE(missing->IsLoaded());
}

}
