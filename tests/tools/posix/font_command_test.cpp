// patchkit font with FreeType: the font file it writes is one the toolkit loads, with glyphs
// only for the characters the face has; bad arguments and inputs are refused in one line.
#include "tests/guib/font_checks.h"
#include "tests/guib/record_bytes.h"
#include "tests/tools/patchkit_test_support.h"

namespace {

using test::RunPatchkit;

// Installed by fonts-dejavu-core (toolchain/bootstrap.sh).
const std::string SANS = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class FontCommand : public ::testing::Test {
protected:
    std::string Out(const std::string& name) { return test::PathArgument(m_dir.Path() / name); }
    test::TempDir m_dir;
};

TEST_F(FontCommand, WritesAFontTheToolkitLoads)
{
    auto result = RunPatchkit({ "font", SANS, Out("en.fnt"), "--size", "11" });
    ASSERT_EQ(0, result.status) << result.err;
    const std::string bytes = test::ReadBytes(m_dir.Path() / "en.fnt");
    auto store = test::StoreOf(test::Bytes(bytes.begin(), bytes.end()));
    test::Held<c_GUIB_Font> font(new c_GUIB_Font());
    ASSERT_EQ(SYS_OK, font->LoadFromStore(store.get(), 0));
    int32_t height = 0;
    (void)font->GetMetrics(&height, nullptr);
    EXPECT_EQ("glyphs " + std::to_string(font->GetGlyphCount()) + "\nheight "
            + std::to_string(height) + "\n",
        result.out);
    test::ExpectSaneSmallFont(*font);
    // The face has no DEL and no C1 controls: those are left out, not drawn as boxes.
    const std::vector<uint32_t> codes = test::CodesOf(*font);
    EXPECT_EQ(32u, codes.front());
    EXPECT_EQ(255u, codes.back());
    for (uint32_t code : { 127u, 128u, 159u })
        EXPECT_EQ(codes.end(), std::find(codes.begin(), codes.end(), code)) << code;

    auto info = RunPatchkit({ "fontinfo", Out("en.fnt") });
    EXPECT_EQ(0, info.status) << info.err;
    EXPECT_NE(std::string::npos, info.out.find("glyphs " + std::to_string(codes.size()) + "\n"));
}

TEST_F(FontCommand, TakesTheRangeAndSizeGiven)
{
    auto result = RunPatchkit(
        { "font", SANS, Out("digits.fnt"), "--first", "48", "--count", "10", "--size", "24" });
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ(0u, result.out.find("glyphs 10\nheight "));
    auto info = RunPatchkit({ "fontinfo", Out("digits.fnt") });
    EXPECT_NE(std::string::npos, info.out.find("first 48\nlast 57\n")) << info.out;
}

// A code-page font: each byte code carries the glyph of the character the page gives that byte,
// and bytes the page leaves undefined get none.
TEST_F(FontCommand, DrawsTheBytesOfACodePage)
{
    ASSERT_EQ(0,
        RunPatchkit({ "font", SANS, Out("ru.fnt"), "--size", "11", "--codepage", "1251" }).status);
    ASSERT_EQ(0,
        RunPatchkit(
            { "font", SANS, Out("uni.fnt"), "--size", "11", "--first", "1040", "--count", "64" })
            .status);
    auto load = [&](const std::string& name) {
        const std::string bytes = test::ReadBytes(m_dir.Path() / name);
        auto store = test::StoreOf(test::Bytes(bytes.begin(), bytes.end()));
        auto* font = new c_GUIB_Font();
        EXPECT_EQ(SYS_OK, font->LoadFromStore(store.get(), 0));
        return test::Held<c_GUIB_Font>(font);
    };
    auto codePage = load("ru.fnt");
    auto unicode = load("uni.fnt");
    // 0xC0..0xFF are U+0410..U+044F in code page 1251; 0x98 is undefined there.
    for (uint32_t code = 0xC0; code <= 0xFF; ++code)
        EXPECT_EQ(test::GlyphOf(*unicode, code - 0xC0 + 0x410), test::GlyphOf(*codePage, code));
    const std::vector<uint32_t> codes = test::CodesOf(*codePage);
    EXPECT_EQ(codes.end(), std::find(codes.begin(), codes.end(), 0x98u));
    EXPECT_EQ(255u, codes.back());
}

TEST_F(FontCommand, RefusesBadArgumentsAndInputs)
{
    test::WriteBytes(m_dir.Path() / "text.ttf", "not a font");
    const std::vector<std::vector<std::string>> cases = {
        { "font", SANS, Out("a.fnt") },
        { "font", SANS, Out("a.fnt"), "--size", "0" },
        { "font", SANS, Out("a.fnt"), "--size", "300" },
        { "font", SANS, Out("a.fnt"), "--size", "11x" },
        { "font", SANS, Out("a.fnt"), "--size" },
        { "font", SANS, Out("a.fnt"), "--size", "11", "--first", "65535", "--count", "2" },
        { "font", SANS, Out("a.fnt"), "--size", "11", "--count", "0" },
        { "font", SANS, Out("a.fnt"), "--size", "11", "--first", "1", "--count", "8" },
        { "font", Out("none.ttf"), Out("a.fnt"), "--size", "11" },
        { "font", Out("text.ttf"), Out("a.fnt"), "--size", "11" },
        { "font", SANS, Out("no/such/folder/a.fnt"), "--size", "11" },
        { "font", SANS, Out("a.fnt"), "--size", "11", "--codepage", "99999" },
        { "font", SANS, Out("a.fnt"), "--size", "11", "--codepage", "1251", "--count", "250" },
    };
    for (const auto& arguments : cases)
        EXPECT_TRUE(test::FailsWithOneLine(RunPatchkit(arguments))) << arguments.back();
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "a.fnt"));
}

}
