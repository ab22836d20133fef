// The engine's work around the copy: the command line and folder of a started program, the free
// space of the nearest folder that can tell, and the version recorded at the end of the patch.
#include "tests/patcher/patcher_fixture.h"

namespace {

using namespace test;

struct Started {
    std::string program;
    std::string commandLine;
    std::string folder;
    int calls = 0;
};
Started g_started;

bool RecordStart(const char* program, const char* commandLine, const char* folder)
{
    g_started
        = { program, commandLine != nullptr ? commandLine : "(none)", folder, g_started.calls + 1 };
    return true;
}

std::vector<std::string> g_asked;
bool OnlyTheRootAnswers(const char* folder, uint64_t* bytes)
{
    g_asked.push_back(folder);
    *bytes = 12345;
    return std::string(folder) == "C:\\";
}

class EngineFinish : public PatcherFixture {
protected:
    void SetUp() override
    {
        PatcherFixture::SetUp();
        g_started = {};
        g_asked.clear();
        m_calls.startProgram = RecordStart;
    }
};

TEST_F(EngineFinish, ProgramStartsWithItsQuotedPathAndArgumentsInItsFolder)
{
    ASSERT_EQ(1, PTCH_RunProgram("C:\\Games\\Ash\\ash.exe", "-window -lang en"));
    EXPECT_EQ("C:\\Games\\Ash\\ash.exe", g_started.program);
    EXPECT_EQ("\"C:\\Games\\Ash\\ash.exe\" -window -lang en", g_started.commandLine);
    EXPECT_EQ("C:\\Games\\Ash\\", g_started.folder);
    ASSERT_EQ(1, PTCH_RunProgram("ash.exe", ""));
    EXPECT_EQ("(none)", g_started.commandLine);
    EXPECT_EQ("", g_started.folder);
}

TEST_F(EngineFinish, CommandLinePastTheSystemsLimitIsRefusedBeforeAnythingStarts)
{
    const std::string program = "C:\\Games\\ash.exe";
    const std::string fits(32767 - program.size() - 3, 'a');
    EXPECT_EQ(1, PTCH_RunProgram(program.c_str(), fits.c_str()));
    EXPECT_EQ(32767u, g_started.commandLine.size());
    EXPECT_EQ(0, PTCH_RunProgram(program.c_str(), (fits + "a").c_str()));
    EXPECT_EQ(0, PTCH_RunProgram(program.c_str(), std::string(40000, 'a').c_str()));
    EXPECT_EQ(1, g_started.calls);
}

TEST_F(EngineFinish, FreeSpaceIsAskedOfTheNearestFolderThatAnswers)
{
    m_calls.freeDiskSpace = OnlyTheRootAnswers;
    uint64_t bytes = 0;
    ASSERT_EQ(1, GetFreeDiskSpace("C:\\Games\\Ash\\", &bytes));
    EXPECT_EQ(12345u, bytes);
    EXPECT_EQ((std::vector<std::string> { "C:\\Games\\Ash\\", "C:\\Games\\", "C:\\" }), g_asked);
    g_asked.clear();
    EXPECT_EQ(0, GetFreeDiskSpace("\\\\server\\share\\Ash", &bytes));
    EXPECT_EQ((std::vector<std::string> {
                  "\\\\server\\share\\Ash", "\\\\server\\share\\", "\\\\server\\", "\\\\" }),
        g_asked);
}

TEST_F(EngineFinish, FreeSpaceOfTheRealDiskPastAMissingFolder)
{
    uint64_t bytes = 0;
    ASSERT_EQ(1, GetFreeDiskSpace((Folder("game") + "\\not\\yet").c_str(), &bytes));
    EXPECT_GT(bytes, 0u);
    EXPECT_EQ(0, GetFreeDiskSpace("", &bytes));
}

TEST_F(EngineFinish, NewVersionIsRecordedUnlessAnOlderPatchKeepsTheNewerOne)
{
    VI_SelectKey(GAME_KEY);
    const VersionInfo installed { "Main", 100, 0, "Old", 103, 0, 0, 791, 0, 0 };
    ASSERT_EQ(1, VI_Set(&installed));
    ASSERT_EQ(1, VI_Flush());
    ML_SetString(PTCH_ID_NEW_VERSION, "102");
    ML_SetString(PTCH_ID_NEW_VERSION_DATE, "2004.04.28");
    ML_SetString(PTCH_ID_NEW_VERSION_NAME, "1.02");
    ML_SetString(PTCH_ID_EDITOR_VERSION, "51");

    EXPECT_EQ(1, PTCH_RecordVersion(true));
    EXPECT_EQ(103u, Dword(VERSION_KEY, "Patch version"));

    EXPECT_EQ(1, PTCH_RecordVersion(false));
    EXPECT_EQ(102u, Dword(VERSION_KEY, "Patch version"));
    EXPECT_EQ(VI_PackDate(2004, 4, 28), Dword(VERSION_KEY, "Patch version time"));
    EXPECT_EQ("1.02", Text(VERSION_KEY, "Patch version name"));
    EXPECT_EQ(51u, Dword(VERSION_KEY, "Editor version"));
    EXPECT_EQ("Main", Text(VERSION_KEY, "Main version name")) << "kept as it was";
    EXPECT_EQ(791u, Dword(VERSION_KEY, "Distribution"));
}

}
