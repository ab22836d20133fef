// patchkit preview and the in-process installer session: a distribution of two languages with
// the test font, its pages drawn alike on every system (frame hashes), every page of every
// language written with an index, and the findings of a language with a missing text,
// captions too wide for their boxes and a character its font lacks.
#include "tests/support/frame_check.h"
#include "tests/support/test_font.h"
#include "tests/tools/patchkit_test_support.h"
#include "tools/installer_session.h"
#include "tools/memory_registry.h"
#include "tools/preview_pages.h"

#include "patcher/patcher.h"

#include <set>

namespace {

using namespace test;

// Every text id the pages show.
const std::vector<int> PAGE_TEXTS { 10, 11, 13, 14, 16, 17, 18, 19, 20, 21, 29, 30, 31, 32, 39, 40,
    49, 60, 61, 69, 70, 79, 80, 89, 90, 91, 92, 94, 95, 96, 97, 99, 100, 101, 102, 104, 105, 106,
    109, 110, 111, 116, 119, 120, 121, 122, 129, 130, 131, 132, 133, 139, 140, 141, 145, 146, 149,
    170, 179, 180, 181, 182, 189, 190, 193, 199, 310 };

// A language's texts: "<code> <id>" unless replaced; an empty replacement leaves the id out.
std::string LanguageFile(const std::string& code, const std::map<int, std::string>& replaced)
{
    std::string file;
    for (int id : PAGE_TEXTS) {
        auto found = replaced.find(id);
        const std::string text
            = found != replaced.end() ? found->second : code + " " + std::to_string(id);
        if (!text.empty())
            file += "#" + std::to_string(id) + ":\n#" + code + " " + text + "\n";
    }
    return file;
}

class Preview : public ::testing::Test {
protected:
    // With russian set, a third language with those texts (code page 1251) and a licence in
    // Cyrillic letters, which the test font has no glyphs for.
    void WriteDistribution(const std::map<int, std::string>& german = {},
        const std::map<int, std::string>* russian = nullptr)
    {
        const std::vector<uint8_t> font = TestFontFile();
        const std::string fontBytes(font.begin(), font.end());
        std::filesystem::create_directories(Dist());
        std::vector<CraftedMember> files {
            { "patcher.txt",
                "#300:\n#ENG Preview\n#423:\n#ENG 0\n#413:\n#ENG "
                "Install Path\n#400:\n#ENG game.exe\n#302:\n#ENG 1\n" },
            { "Languages\\ENG.txt", LanguageFile("ENG", {}) }, { "Languages\\ENG.fnt", fontBytes },
            { "Languages\\ENG.la", "The licence." },
            { "Languages\\GER.txt", LanguageFile("GER", german) },
            { "Languages\\GER.fnt", fontBytes }, { "Languages\\GER.la", "Die Lizenz." }
        };
        if (russian != nullptr) {
            files.push_back({ "Languages\\RUS.txt", LanguageFile("RUS", *russian) });
            files.push_back({ "Languages\\RUS.fnt", fontBytes });
            files.push_back({ "Languages\\RUS.la", "\xCB\xE8\xF6\xE5\xED\xE7\xE8\xFF." });
        }
        WriteArchive(Dist() / "patcher.cbf", files);
    }
    std::filesystem::path Dist() const { return m_dir.Path() / "dist"; }
    std::filesystem::path Out() const { return m_dir.Path() / "out"; }
    CommandResult Run(std::vector<std::string> options = {})
    {
        std::vector<std::string> arguments { "preview", PathArgument(Dist()), PathArgument(Out()) };
        arguments.insert(arguments.end(), options.begin(), options.end());
        return RunPatchkit(arguments);
    }

    TempDir m_dir;
};

TEST_F(Preview, PagesLookTheSameOnEverySystem)
{
    WriteDistribution();
    patchkit::MemoryRegistry registry;
    registry.SetString(GetGameKeyPath(0), "Install Path", m_dir.File("game"));
    patchkit::InstallerSession session({ Dist(), "GER", false, nullptr });
    ASSERT_EQ(PTCH_LAUNCHED, session.Launch());
    session.Start();
    ASSERT_EQ(0u, PTCH_GetCurrentPage());
    EXPECT_TRUE(MatchesFrame("preview/start", *session.Desktop()->GetSurface()));
    PTCH_ShowPage(1);
    session.Settle(3, false);
    EXPECT_TRUE(MatchesFrame("preview/licence", *session.Desktop()->GetSurface()));
    PTCH_ShowPage(13, uint64_t { 700 } << 20, uint64_t { 1536 } << 20);
    session.Settle(3, false);
    EXPECT_TRUE(MatchesFrame("preview/no_space", *session.Desktop()->GetSurface()));
    PTCH_ShowPage(4); // no patch archive: the retry box
    session.Settle(3, false);
    EXPECT_TRUE(MatchesFrame("preview/retry", *session.Desktop()->GetSurface()));
}

TEST_F(Preview, WritesEveryPageOfEveryLanguageAndAnIndex)
{
    WriteDistribution();
    const CommandResult result = Run({ "--strict" });
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("", result.err);
    EXPECT_EQ("pages 18, languages 2, findings 0\n", result.out);
    for (const char* code : { "ENG", "GER" })
        for (const std::string& file : patchkit::PreviewPageFiles())
            EXPECT_TRUE(std::filesystem::is_regular_file(Out() / code / (file + ".png")))
                << code << " " << file;
    const std::string index = ReadBytes(Out() / "index.html");
    EXPECT_NE(std::string::npos, index.find("<th>ENG</th><th>GER</th>"));
    EXPECT_NE(std::string::npos, index.find("src=\"GER/09-retry.png\""));
    EXPECT_NE(std::string::npos, index.find("No findings."));
    // No file of the user's was touched: the distribution holds what it held.
    EXPECT_EQ(std::vector<std::string> { "patcher.cbf" }, [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Dist()))
            names.push_back(entry.path().filename().string());
        return names;
    }());
}

TEST_F(Preview, NamesMissingTextsOverlongCaptionsAndMissingGlyphs)
{
    // Russian texts are bytes of code page 1251: 0xDD 0xF2 0xEE is "Это".
    const std::map<int, std::string> russian { { 20, "\xDD\xF2\xEE" }, { 21, "\xF2\xEE\xF2" } };
    WriteDistribution({ { 21, "" }, { 13, "Weiter zur Installation" }, { 20, "Gr\xC4n" },
                          { 29, std::string(60, 'x') } },
        &russian);
    const CommandResult result = Run({ "--strict" });
    EXPECT_EQ(1, result.status);
    std::multiset<std::string> lines;
    std::istringstream err(result.err);
    for (std::string line; std::getline(err, line);)
        lines.insert(line);
    for (const char* expected : { "GER start: text 21 missing",
             "GER start: button 'Weiter zur Installation' is 138 px wide, its room 75 px",
             "GER shortcuts: button 'Weiter zur Installation' is 138 px wide, its room 75 px",
             "GER start: label 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...' is 360 px wide, its room "
             "350 px",
             "GER start: no glyph in Languages\\GER.fnt for 1 character: byte 0xC4 '\xC3\x84'; "
             "first in 'Gr\xC3\x84n'",
             // Two texts of the page, one finding naming the letters of both.
             "RUS start: no glyph in Languages\\RUS.fnt for 3 characters: byte 0xF2 "
             "'\xD1\x82', byte 0xEE '\xD0\xBE', byte 0xDD '\xD0\xAD'; first in "
             "'\xD1\x82\xD0\xBE\xD1\x82'",
             "RUS licence: no glyph in Languages\\RUS.fnt for 7 characters: byte 0xCB "
             "'\xD0\x9B', byte 0xE8 '\xD0\xB8', byte 0xF6 '\xD1\x86', byte 0xE5 '\xD0\xB5', "
             "byte 0xED '\xD0\xBD', byte 0xE7 '\xD0\xB7', byte 0xFF '\xD1\x8F'; first in "
             "Languages\\RUS.la" })
        EXPECT_EQ(1u, lines.count(expected)) << expected << "\nin:\n" << result.err;
    for (const std::string& line : lines)
        EXPECT_NE(0u, line.rfind("ENG", 0)) << line;
    EXPECT_NE(
        std::string::npos, ReadBytes(Out() / "index.html").find("GER start: text 21 missing"));
    EXPECT_EQ(0, Run().status) << "findings alone do not fail without --strict";
}

TEST_F(Preview, BadInputFailsWithOneLine)
{
    EXPECT_TRUE(FailsWithOneLine(Run())) << "no distribution folder";
    std::filesystem::create_directories(Dist());
    EXPECT_TRUE(FailsWithOneLine(Run())) << "no patcher.cbf";
    WriteDistribution();
    EXPECT_TRUE(FailsWithOneLine(Run({ "--lang", "RUS" })));
    EXPECT_TRUE(FailsWithOneLine(Run({ "--colour" })));
    EXPECT_TRUE(FailsWithOneLine(RunPatchkit({ "preview", PathArgument(Dist()) })));
}

}
