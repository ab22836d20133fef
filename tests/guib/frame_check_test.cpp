// The frame checks of the GUI tests: the hash, and the manifest's pass, fail and update cases
// against a temporary manifest and picture folder.
#include "tests/support/frame_check.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_support.h"
#include "tools/png/portable_png.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using test::FrameHash;
using test::MatchesFrame;

const std::vector<uint32_t> SIX
    = { 0xFF112233, 0x80445566, 0x00000000, 0xFFFFFFFF, 0x01020304, 0x7F00FF00 };

// Values from an independent FNV-1a 64 over the little-endian bytes of width, height, pixels.
TEST(FrameHash, KnownAnswers)
{
    EXPECT_EQ(FrameHash(SIX.data(), 3, 2, 3), 0xd3b6ee81eb2c9554ull);
    uint32_t black = 0xFF000000;
    EXPECT_EQ(FrameHash(&black, 1, 1, 1), 0x7e1f2542cd31c948ull);
    // The same pixel bytes in another shape are another frame; rows are read by the stride, and
    // nothing between them.
    EXPECT_NE(FrameHash(SIX.data(), 6, 1, 6), FrameHash(SIX.data(), 3, 2, 3));
    std::vector<uint32_t> padded
        = { SIX[0], SIX[1], SIX[2], 0xDEAD, 0xBEEF, SIX[3], SIX[4], SIX[5], 0xDEAD, 0xBEEF };
    EXPECT_EQ(FrameHash(padded.data(), 3, 2, 5), FrameHash(SIX.data(), 3, 2, 3));
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every check reads and writes a manifest and a picture folder of its own.
class FrameCheck : public ::testing::Test {
protected:
    void WriteManifest(const std::string& text)
    {
        std::ofstream(m_manifest, std::ios::binary) << text;
    }
    std::string Manifest() const { return ReadText(m_manifest); }
    bool Picture(const std::string& file) const { return fs::exists(m_dir.Path() / "out" / file); }

    test::TempDir m_dir;
    fs::path m_manifest = m_dir.Path() / "frames.manifest";
    test::ScopedEnvironment m_manifestSwitch { "PATCHER_FRAME_MANIFEST",
        m_dir.File("frames.manifest").c_str() };
    test::ScopedEnvironment m_output { "PATCHER_FRAME_OUTPUT", m_dir.File("out").c_str() };
    test::ScopedEnvironment m_update { "PATCHER_UPDATE_FRAMES", nullptr };
    c_GUIB_Bitmap m_bitmap { 3, 2 };
    void SetUp() override { std::copy(SIX.begin(), SIX.end(), m_bitmap.GetPixels()); }
};

TEST_F(FrameCheck, UnknownFrameFailsAndLeavesItsPicture)
{
    auto result = MatchesFrame("kit/new", m_bitmap);
    EXPECT_FALSE(result);
    EXPECT_NE(std::string(result.message()).find("not in the manifest"), std::string::npos);
    EXPECT_NE(std::string(result.message()).find("PATCHER_UPDATE_FRAMES=1"), std::string::npos);
    EXPECT_TRUE(Picture("kit/new.seen.png"));
    EXPECT_FALSE(fs::exists(m_manifest));
}

TEST_F(FrameCheck, UpdateRecordsSortedThenMatches)
{
    {
        test::ScopedEnvironment update("PATCHER_UPDATE_FRAMES", "1");
        EXPECT_TRUE(MatchesFrame("kit/zeta", m_bitmap));
        GUIB_Frame frame { m_bitmap.GetPixels(), 2, 3 };
        EXPECT_TRUE(MatchesFrame("kit/alpha", frame));
    }
    std::string text = Manifest();
    EXPECT_EQ(text.substr(text.find('\n') + 1),
        "kit/alpha 2x3 84c816e778b8cd24\n"
        "kit/zeta 3x2 d3b6ee81eb2c9554\n");
    EXPECT_EQ(text[0], '#');
    EXPECT_TRUE(MatchesFrame("kit/zeta", m_bitmap));
    EXPECT_TRUE(Picture("kit/zeta.png"));
}

TEST_F(FrameCheck, MismatchNamesBothAndWritesTheSeenPicture)
{
    WriteManifest("# frames\nkit/button 3x2 d3b6ee81eb2c9554\n");
    ASSERT_TRUE(MatchesFrame("kit/button", m_bitmap));
    m_bitmap.SetPixel(2, 1, 0xFF0000FF);
    auto result = MatchesFrame("kit/button", m_bitmap);
    EXPECT_FALSE(result);
    std::string message = result.message();
    for (const char* part :
        { "kit/button", "expected 3x2 d3b6ee81eb2c9554", "seen 3x2 ", "button.seen.png" })
        EXPECT_NE(message.find(part), std::string::npos) << part << " in " << message;
    EXPECT_TRUE(Picture("kit/button.seen.png"));
    EXPECT_TRUE(Picture("kit/button.png"));

    // Recording the new picture replaces the entry alone and clears the seen picture.
    WriteManifest("# frames\nkit/a 1x1 0000000000000001\nkit/button 3x2 d3b6ee81eb2c9554\n");
    test::ScopedEnvironment update("PATCHER_UPDATE_FRAMES", "1");
    EXPECT_TRUE(MatchesFrame("kit/button", m_bitmap));
    EXPECT_NE(Manifest().find("kit/a 1x1 0000000000000001\nkit/button 3x2 "), std::string::npos);
    EXPECT_EQ(Manifest().find("d3b6ee81eb2c9554"), std::string::npos);
    EXPECT_FALSE(Picture("kit/button.seen.png"));
}

// A picture from an earlier recording of the name is replaced, not taken for the new one.
TEST_F(FrameCheck, ExpectedPictureFollowsTheRecordedFrame)
{
    test::ScopedEnvironment update("PATCHER_UPDATE_FRAMES", "1");
    ASSERT_TRUE(MatchesFrame("kit/x", m_bitmap));
    ASSERT_TRUE(MatchesFrame("kit/x", SIX.data() + 3, 1, 1, 1));
    std::vector<uint8_t> white
        = portable_png::EncodePng(SIX.data() + 3, 1, 1, 1, "frame 1x1 06ae331f7a94eb61");
    EXPECT_EQ(
        ReadText(m_dir.Path() / "out" / "kit" / "x.png"), std::string(white.begin(), white.end()));
}

TEST_F(FrameCheck, RefusesNamesThatLeaveThePictureFolderOrBreakTheManifest)
{
    test::ScopedEnvironment update("PATCHER_UPDATE_FRAMES", "1");
    for (const char* name : { "", "Kit/button", "kit//button", "/kit", "kit/", "kit/../../x", "..",
             "./kit", "kit button", "kit\\button", "c:kit" })
        EXPECT_FALSE(MatchesFrame(name, m_bitmap)) << name;
    EXPECT_FALSE(fs::exists(m_manifest));
    EXPECT_TRUE(MatchesFrame("a.b-c_d/0/x..y", m_bitmap));
}

// Frames without pixels are refused, and the same hash of another size is a mismatch.
TEST_F(FrameCheck, RefusesFramesWithoutPixelsOrOfAnotherSize)
{
    c_GUIB_Bitmap empty;
    EXPECT_FALSE(MatchesFrame("kit/empty", empty));
    EXPECT_FALSE(MatchesFrame("kit/narrow", SIX.data(), 3, 2, 2));
    WriteManifest("kit/button 6x1 d3b6ee81eb2c9554\r\n"); // Windows line ends are read too
    EXPECT_FALSE(MatchesFrame("kit/button", m_bitmap));
}

// A manifest it cannot read is reported, and an update leaves it as it was.
TEST_F(FrameCheck, MalformedManifestIsNeverRewritten)
{
    for (const char* text : { "kit/a 3x2 d3b6ee81eb2c955\n", "kit/a 3x2  d3b6ee81eb2c9554\n",
             "kit/a 0x2 d3b6ee81eb2c9554\n", "kit/a 3*2 d3b6ee81eb2c9554\n",
             "kit/a 3x2 d3b6ee81eb2c9554\nkit/a 3x2 d3b6ee81eb2c9554\n" }) {
        WriteManifest(text);
        auto result = MatchesFrame("kit/a", m_bitmap);
        EXPECT_FALSE(result) << text;
        EXPECT_NE(std::string(result.message()).find("frames.manifest:"), std::string::npos);
        test::ScopedEnvironment update("PATCHER_UPDATE_FRAMES", "1");
        EXPECT_FALSE(MatchesFrame("kit/b", m_bitmap));
        EXPECT_EQ(Manifest(), text);
    }
}

// Updates running side by side take turns: none is lost, and no lock is left behind.
TEST_F(FrameCheck, ConcurrentUpdatesKeepEveryEntry)
{
    test::ScopedEnvironment update("PATCHER_UPDATE_FRAMES", "1");
    std::vector<std::thread> writers;
    std::vector<int> passed(8, 0);
    for (int i = 0; i < 8; ++i)
        writers.emplace_back([&, i] {
            for (int round = 0; round < 5; ++round)
                passed[size_t(i)] += bool(MatchesFrame(
                    "kit/t" + std::to_string(i) + "_" + std::to_string(round), m_bitmap));
        });
    for (auto& writer : writers)
        writer.join();
    EXPECT_EQ(passed, std::vector<int>(8, 5));
    std::string text = Manifest();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 41);
    EXPECT_FALSE(fs::exists(m_dir.Path() / "frames.manifest.lock"));
}

}
