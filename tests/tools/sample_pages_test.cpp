// The sample patch's pages in its four languages as patchkit preview renders them. The frame
// manifest holds each picture; the Windows build reads its pictures back from the real window,
// so the same entries prove that both systems show the same pixels.
#include "tests/support/frame_check.h"
#include "tools/preview_pages.h"

#include <cctype>
#include <filesystem>

namespace {

TEST(SamplePages, LookTheSameOnEverySystem)
{
    const std::filesystem::path dist = SAMPLE_DISTRIBUTION;
    if (!std::filesystem::exists(dist / "patcher.cbf"))
        GTEST_SKIP() << "the sample distribution is built by the native tree: " << dist;
    patchkit::DistributionFacts facts;
    std::string reason;
    ASSERT_TRUE(patchkit::ReadDistribution(dist, &facts, &reason)) << reason;
    EXPECT_EQ((std::vector<std::string> { "CZE", "ENG", "GER", "RUS" }), facts.languages);
    const std::filesystem::path out = std::filesystem::temp_directory_path() / "sample_pages";
    for (const std::string& code : facts.languages) {
        std::vector<patchkit::RenderedPage> pages;
        std::string folder = "sample/";
        for (char c : code)
            folder.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        const auto check = [&folder](const std::string& file, const std::vector<uint32_t>& pixels,
                               int32_t width, int32_t height) {
            // The language dialog comes before any language file and is drawn with the system's
            // own font, which differs between systems.
            if (file.find("language") == std::string::npos) {
                EXPECT_TRUE(
                    test::MatchesFrame(folder + "/" + file, pixels.data(), width, height, width));
            }
        };
        EXPECT_TRUE(patchkit::RenderLanguage(dist, facts, code, out / code, &pages, &reason, check))
            << reason;
        for (const patchkit::RenderedPage& page : pages)
            EXPECT_EQ(std::vector<std::string> {}, page.findings) << code << " " << page.file;
    }
    std::error_code ignored;
    std::filesystem::remove_all(out, ignored);
}

}
