// Fonts in record stores: a hand-packed font file, damaged headers and glyphs, the line-height
// rule, save and load round trips, and copies.
#include "tests/guib/file_fixture.h"
#include "tests/guib/font_checks.h"
#include "tests/guib/record_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace test;

constexpr const char* BAD_HEADER = "c_GUIB_Font::LoadFromStore - corrupted file or wrong version";

const std::vector<uint32_t> GLYPH_A
    = { 0xFF000000, 0x80000000, 0x40000000, 0xFF000000, 0, 0x10000000 };

// Header height 13 and ascent 10; 'A' 2 × 3 with overlap 1, a transparent space 3 × 13, and a
// listed 'B' without a glyph group.
Bytes SampleFont(uint32_t id = 0)
{
    return FontGroup(id, FontHeader(1, 13, 10), { 65, 32, 66 },
        Cat({ GlyphGroup(65, 2, 3, 1, GLYPH_A),
            GlyphGroup(32, 3, 13, 0, std::vector<uint32_t>(39)) }));
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
    EXPECT_EQ(std::pair(13, 10), std::pair(height, ascent));
    EXPECT_EQ(1u, font->GetFlags());
    EXPECT_EQ((std::vector<uint32_t> { 32, 65 }), CodesOf(*font));
    EXPECT_EQ((GlyphCopy { 2, 3, 1, 0xFF000000, GLYPH_A }), GlyphOf(*font, 'A'));
    GUIB_Glyph* glyph = nullptr;
    EXPECT_FALSE(font->GetGlyph('B', &glyph));
    // The space has its width and no ink.
    EXPECT_EQ((GlyphCopy { 3, 13, 0, 0xFF000000, std::vector<uint32_t>(39) }), GlyphOf(*font, ' '));
}

// A header chunk of 24 bytes or of version 79, and a font whose line height would be 0 (height
// 0 and no glyph of any height: a list box would divide by it), leave the font empty with
// status 0.
TEST(Font, BadHeadersAndZeroLineHeightLeaveTheFontEmpty)
{
    const Bytes glyph = GlyphGroup(65, 2, 3, 0, GLYPH_A);
    const Bytes flatGlyph = Group(GUIB_GROUP_GLYPH, 65,
        Cat({ Chunk(1, U32s({ 4, 0, 0, 0xFF000000, 0 })), BitmapGroup(0, 4, 0, {}) }));
    const std::pair<const char*, Bytes> cases[] = {
        { "24-byte header", FontGroup(0, Chunk(1, U32s({ 80, 0, 1, 13, 10, 0 })), { 65 }, glyph) },
        { "version 79", FontGroup(0, FontHeader(1, 13, 10, 79), { 65 }, glyph) },
        { "line height 0", FontGroup(0, FontHeader(1, 0, 0), { 65, 66 }, flatGlyph) },
    };
    for (const auto& [what, bytes] : cases) {
        TraceCatcher traces;
        auto font = LoadedFont(bytes);
        EXPECT_EQ(0u, font->GetGlyphCount()) << what;
        EXPECT_FALSE(font->IsLoaded()) << what;
        EXPECT_EQ(0u, font->GetFlags()) << what;
        const auto& texts = traces.Texts();
        EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), BAD_HEADER)) << what;
    }
}

TEST(Font, SkipsGlyphsWhoseRecordOrBitmapCannotBeTrusted)
{
    auto glyph = [](uint32_t code, const std::vector<uint32_t>& record, uint32_t height) {
        return Group(GUIB_GROUP_GLYPH, code,
            Cat({ Chunk(1, U32s(record)), BitmapGroup(0, 2, height, GLYPH_A) }));
    };
    // An 8-byte record, a record whose size is not its bitmap's, a bitmap of 0 × 0, a few
    // bytes claiming a bitmap of 2 × 30000, and a 2 × 4 glyph whose pixel chunk holds only 6 of
    // its 8 pixels: pixels a file does not hold are never allocated for it.
    auto font = LoadedFont(FontGroup(0, FontHeader(1, 13, 10), { 65, 66, 67, 68, 69, 70 },
        Cat({ GlyphGroup(65, 2, 3, 0, GLYPH_A), glyph(66, { 2, 3 }, 3),
            glyph(67, { 2, 4, 0, 0xFF000000, 0 }, 3),
            Group(GUIB_GROUP_GLYPH, 68,
                Cat({ Chunk(1, U32s({ 0, 0, 0, 0xFF000000, 0 })), BitmapGroup(0, 0, 0, {}) })),
            glyph(69, { 2, 30000, 0, 0xFF000000, 0 }, 30000),
            glyph(70, { 2, 4, 0, 0xFF000000, 0 }, 4) })));
    EXPECT_EQ((std::vector<uint32_t> { 65 }), CodesOf(*font));
    int32_t height = 0;
    (void)font->GetMetrics(&height, nullptr);
    EXPECT_EQ(3, height); // the skipped claim of 30000 rows is not the line height
}

// Found by fuzzing: the second glyph of a code could never be looked up or released again, and
// outlived the font.
TEST(Font, CodeListedTwiceKeepsItsFirstGlyph)
{
    auto font = LoadedFont(FontGroup(0, FontHeader(1, 13, 10), { 65, 66, 65 },
        Cat({ GlyphGroup(65, 2, 3, 0, GLYPH_A), GlyphGroup(66, 1, 1, 0, { 0 }) })));
    EXPECT_EQ((std::vector<uint32_t> { 65, 66 }), CodesOf(*font));
    const uint8_t coverage[1] = {};
    EXPECT_EQ(SYS_BAD_ARGUMENT, font->AddCoverageGlyph(66, 1, 1, 0, coverage));
    EXPECT_EQ(2u, font->GetGlyphCount());
}

// Codes are matched to glyph groups in one walk whatever their order: here listed backwards
// (so no code is above the ones before it), one listed twice, one without a group, and groups
// stored in a third order. A second group of a code is never used, even when the first is bad.
TEST(Font, ManyGlyphsInAnyOrderLoadInOneWalk)
{
    constexpr uint32_t COUNT = 8000;
    std::vector<uint32_t> codes;
    for (uint32_t code = COUNT; code > 0; --code)
        codes.push_back(code);
    codes.push_back(7);
    Bytes glyphs;
    for (uint32_t i = 0; i < COUNT; ++i) {
        const uint32_t code = (i * 7919) % COUNT + 1; // every code once, scattered
        const uint32_t height = 1 + code % 3;
        const Bytes glyph = GlyphGroup(code, 1, height, 0, std::vector<uint32_t>(height, code));
        if (code != 5)
            glyphs.insert(glyphs.end(), glyph.begin(), glyph.end());
    }
    const Bytes badFirst = Group(GUIB_GROUP_GLYPH, 9, Chunk(1, U32s({ 1, 1 })));
    auto font = LoadedFont(FontGroup(0, FontHeader(1, 13, 10), codes,
        Cat({ badFirst, glyphs, GlyphGroup(3, 1, 1, 0, { 0xAB }) })));
    EXPECT_EQ(COUNT - 2, font->GetGlyphCount()); // neither 5 (no group) nor 9 (bad first group)
    EXPECT_EQ((GlyphCopy { 1, 1, 0, 0xFF000000, { 3 } }), GlyphOf(*font, 3));
    EXPECT_EQ((GlyphCopy { 1, 3, 0, 0xFF000000, { COUNT, COUNT, COUNT } }), GlyphOf(*font, COUNT));
}

TEST(Font, StoreErrorsPassThrough)
{
    LoadedFont(SampleFont(1), 0, GUIB_STORE_NOT_FOUND);
    LoadedFont(Group(GUIB_GROUP_FONT, 0, FontHeader(1, 13, 10)), 0, GUIB_STORE_NOT_FOUND);
    LoadedFont(Group(GUIB_GROUP_FONT, 0, RawHeader(GUIB_STORE_MAGIC, 0, 1, 24, 99, 2)), 0,
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

// Saved and loaded back, and saved again, a font gives the same glyphs and the same file.
TEST(Font, SavedFontLoadsBackIdentical)
{
    auto font = MadeFont();
    Held<c_GUIB_Store> store(new c_GUIB_Store());
    ASSERT_EQ(SYS_OK, font->SaveToStore(store.get(), 0));
    auto loaded = LoadedFont(BytesOf(*store));
    ExpectSameFonts(*font, *loaded);
    Held<c_GUIB_Store> again(new c_GUIB_Store());
    ASSERT_EQ(SYS_OK, loaded->SaveToStore(again.get(), 0));
    EXPECT_EQ(BytesOf(*store), BytesOf(*again));
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
        BytesOf(*store));
}

// A font without glyphs writes no code list and so cannot be copied.
TEST(Font, CopyHasTheSameGlyphsMetricsAndFlags)
{
    auto font = MadeFont();
    Held<c_GUIB_Font> copy(new c_GUIB_Font());
    ASSERT_EQ(SYS_OK, copy->CopyFrom(*font));
    ExpectSameFonts(*font, *copy);
    Held<c_GUIB_Font> empty(new c_GUIB_Font());
    Held<c_GUIB_Font> none(new c_GUIB_Font());
    EXPECT_EQ(GUIB_STORE_NOT_FOUND, none->CopyFrom(*empty));
}

using FontFile = FileFixture;

TEST_F(FontFile, LoadsFontGroup0OfAFile)
{
    Held<c_GUIB_Font> font(new c_GUIB_Font(Put("en.fnt", SampleFont()).c_str()));
    Held<c_GUIB_Font> missing(new c_GUIB_Font(m_dir.File("xx.fnt").c_str()));
    EXPECT_EQ((std::vector<uint32_t> { 32, 65 }), CodesOf(*font));
    EXPECT_TRUE(font->IsLoaded());
    EXPECT_FALSE(missing->IsLoaded());
}

}
