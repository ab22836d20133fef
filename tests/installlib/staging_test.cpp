// Staging in the temporary folder: the folder as the system answers it (including answers that
// do not fit the buffer), the separator rule, and joins that must fail instead of overrunning.
#include "tests/installlib/installlib_fixture.h"

#include "bigfile/bigfile.h"
#include "tests/support/archive_builder.h"

namespace {

using namespace test;

// What the stand-in for GetTempPath answers: the folder, or a fixed answer when set.
struct TempAnswer {
    std::u16string folder;
    uint32_t answer = 0; // 0: the folder's length (or the size it needs)
};
TempAnswer g_temp;

template <typename Char> uint32_t AnswerTemp(Char* buffer, uint32_t capacity)
{
    if (g_temp.answer != 0)
        return g_temp.answer;
    const std::u16string& folder = g_temp.folder;
    if (folder.size() >= capacity)
        return static_cast<uint32_t>(folder.size() + 1);
    for (size_t i = 0; i <= folder.size(); ++i)
        buffer[i] = static_cast<Char>(i < folder.size() ? folder[i] : 0);
    return static_cast<uint32_t>(folder.size());
}

uint32_t FakeTempPathW(char16_t* buffer, uint32_t capacity)
{
    return AnswerTemp(buffer, capacity);
}

uint32_t FakeTempPathA(char* buffer, uint32_t capacity)
{
    return AnswerTemp(buffer, capacity);
}

class InstallLibFilesStaging : public InstallLibFixture {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        g_temp = { m_dir.Path().u16string() + u"/stage" + u"\\", 0 };
        std::filesystem::create_directory(m_dir.Path() / "stage");
        m_calls.tempPathW = FakeTempPathW;
        m_calls.tempPathA = FakeTempPathA;
        WriteText(m_dir.Path() / "patcher.cbf", "archive bytes");
    }
    std::u16string Stage(bool wide, size_t capacity = INSTALLLIB_PATH_CAPACITY)
    {
        Start(wide);
        GuardedBuffer<char16_t> output(capacity);
        const int result = CopyToTemp(PathOf("patcher.cbf").c_str(), output.Data(), capacity);
        EXPECT_TRUE(output.GuardsIntact());
        return result == 1 ? std::u16string(output.Data()) : u"failed";
    }
};

TEST_F(InstallLibFilesStaging, StagedCopyGoesIntoTheTemporaryFolderUnderItsOwnName)
{
    for (bool wide : { true, false }) {
        EXPECT_EQ(g_temp.folder + u"patcher.cbf", Stage(wide)) << wide;
        EXPECT_EQ("archive bytes", ReadText(m_dir.Path() / "stage" / "patcher.cbf"));
        Done();
    }
}

TEST_F(InstallLibFilesStaging, FolderGetsOneSeparatorOnly)
{
    g_temp.folder = m_dir.Path().u16string() + u"/stage";
    EXPECT_EQ(g_temp.folder + u"\\patcher.cbf", Stage(true));
    Done();
    g_temp.folder += u"\\";
    EXPECT_EQ(g_temp.folder + u"patcher.cbf", Stage(true));
}

TEST_F(InstallLibFilesStaging, AnswerThatDoesNotFitTheBufferFails)
{
    g_temp.answer = 300; // the size GetTempPath asks for when the folder is longer than 259
    EXPECT_EQ(u"failed", Stage(true));
    Done();
    EXPECT_EQ(u"failed", Stage(false));
    Done();
    g_temp.answer = 0;
    g_temp.folder = std::u16string(259, u'x');
    EXPECT_EQ(u"failed", Stage(true));
}

TEST_F(InstallLibFilesStaging, OutputTooSmallStagesNothing)
{
    EXPECT_EQ(u"failed", Stage(true, g_temp.folder.size() + 5));
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "stage" / "patcher.cbf"));
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
    EXPECT_EQ(g_temp.folder + u"tool.exe", std::u16string(output.Data()));
    EXPECT_EQ("MZ", ReadText(m_dir.Path() / "stage" / "tool.exe"));

    // A 100-unit folder and a 200-character name need more than 260 units.
    const std::u16string dir = m_dir.Path().u16string();
    g_temp.folder = dir + u"\\" + std::u16string(98 - dir.size(), u'f') + u"\\";
    ASSERT_EQ(100u, g_temp.folder.size());
    EXPECT_EQ(0, ExtractToTemp(longName.c_str(), output.Data(), output.Capacity()));
    EXPECT_TRUE(output.GuardsIntact());
    BF_Shutdown();
}

}
