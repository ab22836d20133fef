// Staging in the temporary folder: the folder as the system answers it (including answers that
// do not fit the buffer), the separator rule, and joins that must fail instead of overrunning.
#include "tests/installlib/installlib_fixture.h"

#include "bigfile/bigfile.h"
#include "tests/support/archive_builder.h"

namespace {

using namespace test;

// What the stand-in for GetTempPath answers: the folder, or a fixed answer when set.
std::u16string g_tempFolder;
uint32_t g_tempAnswer = 0;

template <typename Char> uint32_t FakeTempPath(Char* buffer, uint32_t capacity)
{
    if (g_tempAnswer != 0)
        return g_tempAnswer;
    if (g_tempFolder.size() >= capacity)
        return static_cast<uint32_t>(g_tempFolder.size() + 1);
    std::copy(g_tempFolder.begin(), g_tempFolder.end(), buffer);
    buffer[g_tempFolder.size()] = 0;
    return static_cast<uint32_t>(g_tempFolder.size());
}

class InstallLibFilesStaging : public InstallLibFixture {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        g_tempFolder = m_dir.Path().u16string() + u"/stage\\";
        g_tempAnswer = 0;
        std::filesystem::create_directory(m_dir.Path() / "stage");
        m_calls.tempPathW = FakeTempPath<char16_t>;
        m_calls.tempPathA = FakeTempPath<char>;
        WriteText(m_dir.Path() / "patcher.cbf", "archive bytes");
    }
    // The staged path, or "failed".
    std::u16string Stage(bool wide, size_t capacity = INSTALLLIB_PATH_CAPACITY)
    {
        Start(wide);
        GuardedBuffer<char16_t> output(capacity);
        const int result = CopyToTemp(PathOf("patcher.cbf").c_str(), output.Data(), capacity);
        EXPECT_TRUE(output.GuardsIntact());
        Done();
        return result == 1 ? std::u16string(output.Data()) : u"failed";
    }
};

TEST_F(InstallLibFilesStaging, StagedCopyGoesIntoTheFolderUnderItsOwnNameAfterOneSeparator)
{
    const std::u16string stage = m_dir.Path().u16string() + u"/stage";
    for (bool wide : { true, false }) {
        for (const std::u16string& folder : { stage, stage + u"\\" }) {
            g_tempFolder = folder;
            EXPECT_EQ(stage + u"\\patcher.cbf", Stage(wide)) << wide;
            EXPECT_EQ("archive bytes", ReadText(m_dir.Path() / "stage" / "patcher.cbf"));
            std::filesystem::remove(m_dir.Path() / "stage" / "patcher.cbf");
        }
    }
}

TEST_F(InstallLibFilesStaging, FolderOrOutputThatDoesNotFitStagesNothing)
{
    g_tempAnswer = 300; // the size GetTempPath asks for when the folder is longer than 259
    EXPECT_EQ(u"failed", Stage(true));
    EXPECT_EQ(u"failed", Stage(false));
    g_tempAnswer = 0;
    EXPECT_EQ(u"failed", Stage(true, g_tempFolder.size() + 5));
    g_tempFolder = std::u16string(259, u'x');
    EXPECT_EQ(u"failed", Stage(true));
    EXPECT_FALSE(Exists("stage/patcher.cbf"));
}

TEST_F(InstallLibFilesStaging, ExtractedProgramKeepsItsNameAndLongNamesFail)
{
    const std::string base = m_dir.File("");
    BF_InitParams params {};
    params.baseDir = base.c_str();
    ASSERT_EQ(1, BF_Init(&params));
    const std::string longName(200, 'p');
    WriteBytes(m_dir.File("data.cbf"),
        BuildArchive({ StoredMember("SETUP\\TOOL.EXE", { 'M', 'Z' }),
            StoredMember(longName, { 'M', 'Z' }) }));
    ASSERT_EQ(BF_OK, LoadBF(PathOf("data.cbf").c_str(), 0));
    Start();
    GuardedBuffer<char16_t> output(INSTALLLIB_PATH_CAPACITY);
    EXPECT_EQ(1, ExtractToTemp("setup\\tool.exe", output.Data(), output.Capacity()));
    EXPECT_EQ(g_tempFolder + u"tool.exe", std::u16string(output.Data()));
    EXPECT_EQ("MZ", ReadText(m_dir.Path() / "stage" / "tool.exe"));

    // A 100-unit folder and a 200-character name need more than 260 units.
    const std::u16string dir = m_dir.Path().u16string();
    g_tempFolder = dir + u"\\" + std::u16string(98 - dir.size(), u'f') + u"\\";
    EXPECT_EQ(0, ExtractToTemp(longName.c_str(), output.Data(), output.Capacity()));
    EXPECT_TRUE(output.GuardsIntact());
    BF_Shutdown();
}

}
