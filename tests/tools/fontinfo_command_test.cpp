// patchkit fontinfo on font files packed by hand: the fixed report, and one-line refusals of
// files that are missing, cut short, foreign or of an old version.
#include "tests/guib/record_bytes.h"
#include "tests/tools/patchkit_test_support.h"

namespace {

using test::Bytes;
using test::Cat;
using test::RunPatchkit;

class FontInfoCommand : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& bytes)
    {
        test::WriteBytes(m_dir.Path() / name, std::string(bytes.begin(), bytes.end()));
        return test::PathArgument(m_dir.Path() / name);
    }
    test::TempDir m_dir;
};

// Glyphs for 32..126 and 160..255 except 65 ('A'), each 2 × 4 with one inked pixel.
Bytes SampleFontFile(uint32_t version = 80)
{
    std::vector<uint32_t> codes;
    Bytes glyphs;
    for (uint32_t code = 32; code < 256; ++code) {
        if (code == 65 || (code >= 127 && code < 160))
            continue;
        codes.push_back(code);
        glyphs
            = Cat({ glyphs, test::GlyphGroup(code, 2, 4, 0, { 0xFF000000, 0, 0, 0, 0, 0, 0, 0 }) });
    }
    return test::FontGroup(0, test::FontHeader(0x41, 4, 3, version), codes, glyphs);
}

TEST_F(FontInfoCommand, ReportsHeaderGlyphsAndMissingCharacters)
{
    auto result = RunPatchkit({ "fontinfo", Write("en.fnt", SampleFontFile(81)) });
    EXPECT_EQ(0, result.status) << result.err;
    std::string missing = "missing 65";
    for (int code = 127; code < 160; ++code)
        missing += ' ' + std::to_string(code);
    EXPECT_EQ("version 81\nflags 0x00000041\nheight 4\nascent 3\nglyphs 190\nfirst 32\nlast 255\n"
            + missing + '\n',
        result.out);
}

TEST_F(FontInfoCommand, RefusesMissingCutForeignAndOldFiles)
{
    const Bytes font = SampleFontFile();
    const Bytes cut(font.begin(), font.begin() + ptrdiff_t(font.size() / 2));
    const Bytes bitmap = test::BitmapGroup(0, 1, 1, { 0 });
    const std::vector<std::pair<std::string, std::string>> cases = {
        { test::PathArgument(m_dir.Path() / "none.fnt"), "cannot read" },
        { test::PathArgument(m_dir.Path()), "not a regular file" },
        { Write("cut.fnt", cut), "cut short" },
        { Write("empty.fnt", {}), "not a font file" },
        { Write("text.fnt", { 'h', 'e', 'l', 'l', 'o' }), "cut short" },
        { Write("bitmap.fnt", bitmap), "not a font file" },
        { Write("old.fnt", SampleFontFile(79)), "version 79" },
        { Write("flat.fnt", test::FontGroup(0, test::FontHeader(1, 0, 0), {}, {})),
            "no line height" },
    };
    for (const auto& [file, reason] : cases) {
        auto result = RunPatchkit({ "fontinfo", file });
        EXPECT_TRUE(test::FailsWithOneLine(result)) << file;
        EXPECT_NE(std::string::npos, result.err.find(reason)) << result.err;
    }
    EXPECT_TRUE(test::FailsWithOneLine(RunPatchkit({ "fontinfo" })));
}

}
