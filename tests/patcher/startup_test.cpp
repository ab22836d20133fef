// The installer's start: each failure's message (or silence) with everything shut down again
// and nothing left staged, the language chosen from the record, the only file or the dialog,
// the edition when id 423 is absent or not a number, start folders that do not fit, and a
// second start while the lock is held.
#include "tests/patcher/startup_fixture.h"

#include "installlib/installlib.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace test;

const std::string DATA = "#423:\n#ENG 0\n";
const std::string UNKNOWN_VERSION_KEY
    = "SOFTWARE\\Varnholt\\Ashgrove - unknown version\\Version Info";

struct FailureCase {
    const char* what;
    const char* raw; // non-null: "patcher.cbf" holds these bytes instead of an archive
    std::map<std::string, std::string> members; // no member: no "patcher.cbf" at all
    std::vector<Message> messages;
};

class StartupFailure : public StartupFixture, public ::testing::WithParamInterface<FailureCase> { };

TEST_P(StartupFailure, ShowsItsMessageAndLeavesNothingStarted)
{
    const FailureCase& c = GetParam();
    if (c.raw != nullptr)
        WriteText(m_dir.Path() / "dist" / "patcher.cbf", c.raw);
    else if (!c.members.empty())
        WriteInstallerArchive(c.members);
    EXPECT_EQ(0, Init()) << c.what;
    EXPECT_EQ(c.messages, Seen().messages) << c.what;
    EXPECT_EQ(0u, SYS_InitDepth()) << c.what;
    EXPECT_EQ(std::vector<std::string> {}, Staged()) << c.what << ": the staged copy is deleted";
    EXPECT_EQ(0u, ScheduleDelete(u"probe")) << c.what << ": the installation library is done";
}

INSTANTIATE_TEST_SUITE_P(Cases, StartupFailure,
    ::testing::Values(FailureCase { "no installer archive", nullptr, {}, {} },
        FailureCase { "not an archive", "plain text", {},
            { { "Fatal error", "Cannot load installer data file (patcher.cbf)" } } },
        FailureCase { "no installer data", nullptr, { { "Languages\\ENG.txt", "#1:\n#ENG x\n" } },
            { { "Fatal error", "Patch definition CBF file missing or corrupted(patcher.txt)" } } },
        FailureCase { "no language file", nullptr, { { "patcher.txt", DATA } },
            { { "Critical error", "No language definition file found." } } },
        FailureCase { "no known language", nullptr,
            { { "patcher.txt", DATA }, { "Languages\\readme.txt", "x" } },
            { { "Critical error", "No supported language definition file found." } } },
        FailureCase { "language file damaged", nullptr,
            { { "patcher.txt", DATA }, { "Languages\\GER.txt", "\n#" } },
            { { "Fatal error", "Cannot load language file (Languages\\GER.txt)" } } }));

class Startup : public StartupFixture {
protected:
    // The record of the installed game under the key path.
    void PutRecord(const std::string& keyPath, uint32_t language, uint32_t distribution = 789)
    {
        ASSERT_EQ(SYS_OK, SYS_RegSetDword(Key(keyPath), "Language", language));
        ASSERT_EQ(SYS_OK, SYS_RegSetDword(Key(keyPath), "Distribution", distribution));
    }
};

TEST_F(Startup, OnlyLanguageFileIsLoadedOverTheInstallerDataAndTheCopyStaysStagedUntilDone)
{
    WriteInstallerArchive(Distribution({ "ENG" }));
    ASSERT_EQ(1, Init());
    EXPECT_EQ(std::string("ENG"), PTCH_GetLanguageCode());
    EXPECT_EQ(std::string("Hello from ENG"), ML_GetStringA(1));
    EXPECT_EQ(std::string("Test patch"), ML_GetStringA(PTCH_ID_WINDOW_CAPTION));
    EXPECT_NE(nullptr, PTCH_GetEnvironment());
    EXPECT_TRUE(Seen().messages.empty());
    EXPECT_TRUE(Seen().dialogs.empty());
    const std::vector<std::string> staged = Staged();
    EXPECT_TRUE(std::any_of(staged.begin(), staged.end(),
        [](const std::string& name) { return name.ends_with("patcher.cbf"); }));
    PTCH_Done();
    EXPECT_EQ(std::vector<std::string> {}, Staged());
    EXPECT_EQ(0u, SYS_InitDepth());
}

TEST_F(Startup, RecordedLanguageWinsWithoutDialogWhenItsFileIsThere)
{
    WriteInstallerArchive(Distribution({ "ENG", "AME", "GER" }));
    PutRecord(VERSION_KEY, 5);
    ASSERT_EQ(1, Init());
    EXPECT_EQ(std::string("AME"), PTCH_GetLanguageCode());
    EXPECT_TRUE(Seen().dialogs.empty());
}

TEST_F(Startup, RecordedLanguageWithoutItsFileFallsBackToTheScan)
{
    WriteInstallerArchive(Distribution({ "GER" }));
    PutRecord(VERSION_KEY, 5);
    ASSERT_EQ(1, Init());
    EXPECT_EQ(std::string("GER"), PTCH_GetLanguageCode());
}

TEST_F(Startup, OldDistributionCodeIsRewrittenAtOnce)
{
    WriteInstallerArchive(Distribution({ "ENG" }));
    PutRecord(VERSION_KEY, 1, 794);
    ASSERT_EQ(1, Init());
    EXPECT_EQ(805u, PTCH_GetInstalledRecord()->distribution);
    PTCH_Done();
    EXPECT_EQ(805u, Dword(VERSION_KEY, "Distribution"));
}

TEST_F(Startup, LowerCaseFileNameCountsAndUnrelatedTextFilesDoNot)
{
    auto members = Distribution({});
    members["Languages\\eng.txt"] = "#1:\n#ENG lower\n";
    members["Languages\\notes.txt"] = "#1:\n#ENG notes\n";
    WriteInstallerArchive(members);
    ASSERT_EQ(1, Init());
    EXPECT_EQ(std::string("ENG"), PTCH_GetLanguageCode());
    EXPECT_TRUE(Seen().dialogs.empty());
}

TEST_F(Startup, SeveralLanguagesAskTheDialogInTableOrderAndLoadItsChoice)
{
    WriteInstallerArchive(Distribution({ "GER", "ENG" }));
    Seen().dialogAnswer = 2;
    ASSERT_EQ(1, Init());
    ASSERT_EQ(1u, Seen().dialogs.size());
    EXPECT_EQ((std::vector<uint32_t> { 0, 2 }), Seen().dialogs[0]) << "English mature first";
    EXPECT_EQ(std::string("Hello from GER"), ML_GetStringA(1));
}

TEST_F(Startup, QuittingTheDialogEndsTheStartSilently)
{
    WriteInstallerArchive(Distribution({ "ENG", "GER" }));
    EXPECT_EQ(0, Init());
    EXPECT_EQ(1u, Seen().dialogs.size());
    EXPECT_TRUE(Seen().messages.empty());
    EXPECT_EQ(std::vector<std::string> {}, Staged());
}

TEST_F(Startup, EveryMatchingFileIsACandidateHoweverManyThereAre)
{
    auto members = Distribution({});
    for (int i = 0; i < 20; ++i)
        members["Languages\\ENG." + std::to_string(i) + ".TXT"] = "#1:\n#ENG x\n";
    members["Languages\\ENG.txt"] = "#1:\n#ENG x\n";
    WriteInstallerArchive(members);
    Seen().dialogAnswer = 0;
    ASSERT_EQ(1, Init());
    ASSERT_EQ(1u, Seen().dialogs.size());
    EXPECT_EQ(std::vector<uint32_t>(21, 0), Seen().dialogs[0]);
}

TEST_F(Startup, EditionThatIsAbsentOrNotANumberSelectsTheUnknownVersionKey)
{
    for (const char* edition : { "#300:\n#ENG x\n", "#423:\n#ENG abc\n" }) {
        auto members = Distribution({ "ENG", "GER" });
        members["patcher.txt"] = edition;
        WriteInstallerArchive(members);
        PutRecord(UNKNOWN_VERSION_KEY, 2);
        ASSERT_EQ(1, Init()) << edition;
        EXPECT_EQ(std::string("GER"), PTCH_GetLanguageCode()) << edition;
        EXPECT_TRUE(Seen().dialogs.empty()) << edition;
        PTCH_Done();
    }
}

// A folder of exactly the length given: the distribution folder followed by ".\\" steps, so that
// it exists whatever its length.
std::string FolderOfLength(const std::string& folder, size_t length)
{
    std::string padded = folder + "\\";
    while (padded.size() + 2 <= length)
        padded += ".\\";
    if (padded.size() < length)
        padded.insert(folder.size(), "\\");
    return padded;
}

TEST_F(Startup, StartFolderWithoutRoomForTheArchiveNameFailsSilently)
{
    WriteInstallerArchive(Distribution({ "ENG" }));
    for (size_t length : { 200, 248, 249, 258 }) {
        const std::string folder = FolderOfLength(DistributionFolder(), length);
        ASSERT_EQ(length, folder.size());
        ASSERT_EQ(1, PTCH_SetStartFolder(folder.c_str()));
        const int expected = length + std::strlen("patcher.cbf") < PTCH_PATH_CAPACITY ? 1 : 0;
        EXPECT_EQ(expected, PTCH_Init(0)) << length;
        PTCH_Done();
        EXPECT_TRUE(Seen().messages.empty());
        EXPECT_EQ(0u, SYS_InitDepth());
        EXPECT_EQ(std::vector<std::string> {}, Staged());
    }
}

uint32_t NoCurrentFolder(char*, uint32_t)
{
    return 0;
}

TEST_F(Startup, UnknownStartFolderFailsSilently)
{
    WriteInstallerArchive(Distribution({ "ENG" }));
    m_startup.currentFolder = NoCurrentFolder;
    PTCH_ReadCommandLine("patcher.exe");
    EXPECT_EQ(std::string(), PTCH_GetStartFolder());
    EXPECT_EQ(0, PTCH_Init(0));
    EXPECT_TRUE(Seen().messages.empty());
}

TEST_F(Startup, SecondStartWhileTheLockIsHeldBringsTheFirstForwardAndTouchesNothing)
{
    WriteInstallerArchive(Distribution({ "ENG" }));
    uintptr_t firstInstance = 0;
    ASSERT_EQ(patcher::os::InstanceLock::Taken,
        patcher::os::TakeInstanceLock(TestLockName().c_str(), &firstInstance));
    EXPECT_EQ(PTCH_ALREADY_RUNNING, PTCH_Launch(0, CommandLine().c_str()));
    EXPECT_EQ(std::vector<std::string> { PTCH_WINDOW_CLASS }, Seen().broughtForward);
    EXPECT_EQ(std::vector<std::string> {}, Staged());
    EXPECT_EQ(0u, SYS_InitDepth());
    EXPECT_EQ(std::string(), PTCH_GetStartFolder());
    patcher::os::ReleaseInstanceLock(firstInstance);
}

TEST_F(Startup, LockIsGivenUpWhenTheStartFails)
{
    EXPECT_EQ(PTCH_START_FAILED, PTCH_Launch(0, CommandLine().c_str()));
    uintptr_t next = 0;
    EXPECT_EQ(patcher::os::InstanceLock::Taken,
        patcher::os::TakeInstanceLock(TestLockName().c_str(), &next));
    patcher::os::ReleaseInstanceLock(next);
}

}
