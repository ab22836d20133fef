// The unattended run through the program's own entry: a patch applied with a line per file and
// registry value, the refusal and failure pages' texts with their exit codes, the language it
// chooses without asking, the log file, a missing archive that is not waited for, and the
// switches it takes and refuses.
#include "tests/patcher/startup_fixture.h"

#include "tests/support/archive_builder.h"

#include <sstream>

namespace {

using namespace test;

std::vector<uint8_t> Bytes(const std::string& text)
{
    return { text.begin(), text.end() };
}

class Silent : public StartupFixture {
protected:
    void SetUp() override
    {
        StartupFixture::SetUp();
        m_game = Folder("game");
        m_log = m_dir.File("run.log");
    }

    // The installer data (with data) and a patch archive "patch.cbf", the game installed.
    void Prepare(const std::string& data, const std::vector<ArchiveMember>& patch = {})
    {
        WriteInstallerArchive(WizardDistribution(data));
        if (!patch.empty())
            WriteFile(m_dir.Path() / "dist" / "patch.cbf", BuildArchive(patch));
        ASSERT_EQ(SYS_OK, SYS_RegSetString(Key(GAME_KEY), "Install Path", m_game.c_str()));
    }
    // The program run with switches after its path.
    int Run(const std::string& switches)
    {
        const std::string line = "\"" + DistributionFolder() + "\\patcher.exe\" " + switches;
        return PTCH_Run(0, line.c_str());
    }
    int RunLogged(const std::string& switches = "")
    {
        return Run("/silent /log=" + m_log + switches);
    }
    std::string Log() const
    {
        std::ifstream in(m_log, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // A file of the game as the log names it: the system's own path.
    std::string GameFile(const std::filesystem::path& name) const
    {
        return (std::filesystem::path(m_game) / name).string();
    }

    std::string m_game;
    std::string m_log;
};

TEST_F(Silent, PatchesWithALinePerFileAndRegistryValue)
{
    Prepare("#421:\n#ENG 102\n#422:\n#ENG 2024.5.6\n#420:\n#ENG Second\n",
        { StoredMember("patch\\Data\\New.txt", Bytes("new")),
            StoredMember("patch\\Old.txt", Bytes("replaced")) });
    WriteText(std::filesystem::path(m_game) / "old.txt", "old");
    EXPECT_EQ(0, RunLogged());
    const std::string log = Log();
    EXPECT_NE(std::string::npos,
        log.find("written " + GameFile(std::filesystem::path("data") / "new.txt") + "\n"))
        << log;
    EXPECT_NE(std::string::npos, log.find("replaced " + GameFile("old.txt") + "\n")) << log;
    const std::string value = "registry HKEY_LOCAL_MACHINE\\" + std::string(VERSION_KEY) + "\\";
    EXPECT_NE(std::string::npos, log.find(value + "Patch version = 102\n")) << log;
    EXPECT_NE(std::string::npos, log.find(value + "Patch version name = \"Second\"\n")) << log;
    EXPECT_EQ(102u, Dword(VERSION_KEY, "Patch version"));
    EXPECT_TRUE(Seen().messages.empty());
    EXPECT_FALSE(PTCH_IsRunning());
    EXPECT_EQ(0u, SYS_InitDepth());
}

#ifndef _WIN32
// Shortcuts go to the folders the system names (here private ones), one line each.
TEST_F(Silent, ShortcutsAreReportedByTheirFiles)
{
    const std::string desktop = Folder("desktop");
    const std::string data = Folder("data");
    ScopedEnvironment desktopDir("XDG_DESKTOP_DIR", desktop.c_str());
    ScopedEnvironment dataHome("XDG_DATA_HOME", data.c_str());
    Prepare("#414:\n#ENG Demo\n#450:\n#ENG DGame\n#451:\n#ENG game.exe\n#455:\n#ENG "
            "PManual\n#456:\n#ENG manual.txt\n",
        { StoredMember("patch\\A.txt", Bytes("a")) });
    EXPECT_EQ(0, RunLogged());
    EXPECT_NE(std::string::npos, Log().find("shortcut " + desktop + "/Game.desktop\n")) << Log();
    EXPECT_NE(
        std::string::npos, Log().find("shortcut " + data + "/applications/Demo/Manual.desktop\n"))
        << Log();
}
#endif

TEST_F(Silent, KeptProgramsOfANewerInstallationAreReported)
{
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(Key(VERSION_KEY), "Patch version", 102));
    Prepare(
        "#421:\n#ENG 101\n#425:\n#ENG 1\n", { StoredMember("patch\\Game.exe", Bytes("older")) });
    WriteText(std::filesystem::path(m_game) / "game.exe", "newer");
    EXPECT_EQ(0, RunLogged());
    EXPECT_NE(std::string::npos, Log().find("kept " + GameFile("game.exe") + "\n")) << Log();
    EXPECT_EQ(102u, Dword(VERSION_KEY, "Patch version")) << "a downgrade records nothing";
}

TEST_F(Silent, NewerInstalledVersionRefusesWithPageNineAndWritesNothing)
{
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(Key(VERSION_KEY), "Patch version", 102));
    Prepare(
        "#421:\n#ENG 101\n#422:\n#ENG 2024.1.2\n", { StoredMember("patch\\A.txt", Bytes("a")) });
    EXPECT_EQ(2, RunLogged());
    EXPECT_EQ(
        "T90\nT91\nT94: \nT95: 1.02\nT96: 1950-00-00\nT92\nT94: \nT95: 1.01\nT96: 2024-01-02\n",
        Log());
    EXPECT_EQ(std::vector<std::string> {}, TreeOf(m_game));
}

TEST_F(Silent, RefusalsPrintTheirPagesText)
{
    // The disk check follows the start page's decision, as accepting the licence does.
    Prepare("#308:\n#ENG 2000000000\n");
    EXPECT_EQ(2, RunLogged());
    EXPECT_EQ(0u, Log().find("T180\nOn " + m_game + " free ")) << Log();
    EXPECT_NE(std::string::npos, Log().find("\nT182\n")) << Log();
}

TEST_F(Silent, EscapingMemberFailsWithPageElevenAndNothingWritten)
{
    Prepare("",
        { StoredMember("patch\\Good.txt", Bytes("good")),
            StoredMember("patch\\..\\..\\Escaped.txt", Bytes("bad")) });
    EXPECT_EQ(3, RunLogged());
    // The log goes on with the record the start rewrote (no patch version yet), as ever.
    EXPECT_EQ(0u, Log().find("T190\nCannot create\nPATCH\\..\\..\\ESCAPED.TXT\nregistry "))
        << Log();
    EXPECT_EQ(std::vector<std::string> {}, TreeOf(m_game));
}

TEST_F(Silent, MissingArchiveFailsAtOnceAfterTheArchivesBeforeIt)
{
    Prepare("#309:\n#ENG 2\n#311:\n#ENG Insert archive 2\n");
    WriteFile(m_dir.Path() / "dist" / "patch01.cbf",
        BuildArchive({ StoredMember("patch\\First.txt", Bytes("1")) }));
    EXPECT_EQ(3, RunLogged());
    EXPECT_EQ(0u, Log().find("written " + GameFile("first.txt") + "\nT190\nInsert archive 2\n"))
        << Log();
}

TEST_F(Silent, FailedStartIsReportedInsteadOfShown)
{
    EXPECT_EQ(1, RunLogged()) << "no patcher.cbf";
    EXPECT_TRUE(Seen().messages.empty());
    EXPECT_EQ(0u, SYS_InitDepth());
    WriteText(m_dir.Path() / "dist" / "patcher.cbf", "plain text");
    EXPECT_EQ(1, RunLogged());
    EXPECT_EQ("The installer could not start.\nFatal error: Cannot load installer data file "
              "(patcher.cbf)\nThe installer could not start.\n",
        Log());
    EXPECT_TRUE(Seen().messages.empty());
}

TEST_F(Silent, LogIsAppendedAndTheErrorStreamServesWithoutOne)
{
    // No game key: the game is not installed, page 6.
    WriteInstallerArchive(WizardDistribution(""));
    WriteText(m_log, "earlier run\n");
    EXPECT_EQ(2, Run("/SILENT /Log=\"" + m_log + "\" /LANG=eng"));
    EXPECT_EQ(2, RunLogged());
    EXPECT_EQ("earlier run\nT70\nT70\n", Log());
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(2, Run("/silent"));
    EXPECT_EQ("T70\n", ::testing::internal::GetCapturedStderr());
}

// The language of an unattended run: the record's, else the switch's, else the first file's.
struct LanguageCase {
    const char* what;
    uint32_t recordLanguage; // 0: no record
    const char* switches;
    const char* shown; // text 70 of the chosen language
};

class SilentLanguage : public Silent, public ::testing::WithParamInterface<LanguageCase> { };

TEST_P(SilentLanguage, IsChosenWithoutAsking)
{
    const LanguageCase& c = GetParam();
    auto members = Distribution({ "ENG", "GER" });
    members["Languages\\ENG.txt"] = "#70:\n#ENG english\n";
    members["Languages\\GER.txt"] = "#70:\n#GER german\n";
    WriteInstallerArchive(members);
    if (c.recordLanguage != 0) {
        ASSERT_EQ(SYS_OK, SYS_RegSetDword(Key(VERSION_KEY), "Language", c.recordLanguage));
    }
    EXPECT_EQ(2, RunLogged(c.switches)) << c.what;
    EXPECT_EQ(std::string(c.shown) + "\n", Log()) << c.what;
    EXPECT_TRUE(Seen().dialogs.empty()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, SilentLanguage,
    ::testing::Values(LanguageCase { "first candidate", 0, "", "english" },
        LanguageCase { "switch", 0, " /lang=GER", "german" },
        LanguageCase { "switch without its file", 0, " /lang=CZE", "english" },
        LanguageCase { "record over switch", 1, " /lang=ger", "english" }));

TEST_F(Silent, RefusedSwitchEndsBeforeTheStart)
{
    for (const char* bad : { " /quiet", " /lang=XX", " /lang", " /silent=1", " /log=" }) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(1, Run(std::string("/silent") + bad)) << bad;
        EXPECT_EQ(std::string("Unknown switch or bad value: ") + (bad + 1) + "\n",
            ::testing::internal::GetCapturedStderr());
    }
    EXPECT_EQ(0u, SYS_InitDepth());
}

struct SwitchCase {
    const char* commandLine;
    bool silent;
    const char* language; // null: none
    const char* logFile;
    const char* problem;
};

TEST(SilentSwitches, AreTakenAfterTheProgramPath)
{
    const SwitchCase cases[] = {
        { "\"C:\\a b\\patcher.exe\" /Silent", true, nullptr, "", "" },
        { "C:\\patcher.exe /lang=rus /LOG=\"C:\\my logs\\x.log\"", false, "RUS",
            "C:\\my logs\\x.log", "" },
        { "\"C:\\x /silent\\patcher.exe\"", false, nullptr, "", "" },
        { "C:\\patcher.exe  /silent  -quiet /other", true, nullptr, "", "-quiet" },
    };
    for (const SwitchCase& c : cases) {
        const patcher::detail::Switches s = patcher::detail::SwitchesOf(c.commandLine);
        EXPECT_EQ(c.silent, s.silent) << c.commandLine;
        EXPECT_STREQ(c.language, s.language) << c.commandLine;
        EXPECT_EQ(c.logFile, s.logFile) << c.commandLine;
        EXPECT_EQ(c.problem, s.problem) << c.commandLine;
    }
}

// The POSIX program joins its arguments into such a command line; an argument with blanks must
// come out of it whole.
TEST(SilentSwitches, ArgumentsJoinedByTheProgramComeBackWhole)
{
    const char* arguments[] = { "/silent", "/log=/tmp/my logs/run.log", "/lang=GER" };
    const std::string commandLine = PTCH_CommandLine("/opt/a b/patcher", 3, arguments);
    EXPECT_EQ("\"/opt/a b/patcher\" /silent \"/log=/tmp/my logs/run.log\" /lang=GER", commandLine);
    const patcher::detail::Switches s = patcher::detail::SwitchesOf(commandLine.c_str());
    EXPECT_TRUE(s.silent);
    EXPECT_EQ("/tmp/my logs/run.log", s.logFile);
    EXPECT_STREQ("GER", s.language);
}

}
