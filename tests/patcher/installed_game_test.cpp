// The installed game found through the edition's game key: the folder value read safely and
// refused when it cannot name a real folder, the program path joined without overflow, the
// start-up's reading of the version record, and the stand-alone 1.01 patch beside the program.
#include "tests/patcher/patcher_fixture.h"

namespace {

using namespace test;

class GameDetection : public PatcherFixture {
protected:
    void SetUp() override
    {
        PatcherFixture::SetUp();
        ML_SetString(PTCH_ID_GAME_EDITION, "0");
        ML_SetString(PTCH_ID_GAME_FOLDER_VALUE, "Install Path");
        ML_SetString(PTCH_ID_GAME_PROGRAM, "bin\\game.exe");
    }
    void PutFolder(
        const std::string& folder, const char* key = GAME_KEY, const char* name = "Install Path")
    {
        ASSERT_EQ(SYS_OK, SYS_RegSetString(Key(key), name, folder.c_str()));
    }
    // Whether the game counts as installed, with the facts cleared when it does not.
    bool Found(InstalledGame* game)
    {
        const int result = PTCH_FindInstalledGame(game);
        EXPECT_EQ(result == 1, game->found);
        if (result == 0) {
            EXPECT_EQ("", std::string(game->folder) + game->programPath);
        }
        return result == 1;
    }
};

TEST_F(GameDetection, FolderAndProgramComeFromTheEditionsKey)
{
    const std::string folder = Folder("game");
    PutFolder(folder);
    ML_SetString(PTCH_ID_GAME_ARGUMENTS, "-window");
    InstalledGame game {};
    ASSERT_TRUE(Found(&game));
    EXPECT_EQ(folder, game.folder);
    EXPECT_EQ(folder + "\\bin\\game.exe", game.programPath);
    EXPECT_STREQ("-window", game.programArguments);
    EXPECT_EQ(std::filesystem::path(folder).u16string(), std::u16string(game.folderWide));

    // A folder that ends in a separator is joined without a second one.
    PutFolder(folder + "\\");
    ML_SetString(PTCH_ID_GAME_ARGUMENTS, "NONE");
    ASSERT_TRUE(Found(&game));
    EXPECT_EQ(folder + "\\bin\\game.exe", game.programPath);
    EXPECT_STREQ("", game.programArguments);
}

TEST_F(GameDetection, AbsentEditionAndValueNameReadTheUnknownKeysDefaultValue)
{
    ML_SetString(PTCH_ID_GAME_EDITION, nullptr);
    ML_SetString(PTCH_ID_GAME_FOLDER_VALUE, nullptr);
    PutFolder(Folder("unknown"), "SOFTWARE\\Varnholt\\Ashgrove - unknown version", "");
    InstalledGame game {};
    EXPECT_TRUE(Found(&game));
    EXPECT_EQ(m_dir.File("unknown"), game.folder);
}

TEST_F(GameDetection, FolderThatCannotNameTheGameMeansNotInstalled)
{
    InstalledGame game {};
    EXPECT_FALSE(Found(&game)) << "no key";
    Key(GAME_KEY);
    EXPECT_FALSE(Found(&game)) << "no value";
    for (const char* folder : { "", "Games\\Ashgrove", "Ashgrove" }) {
        PutFolder(folder);
        EXPECT_FALSE(Found(&game)) << "'" << folder << "' would be taken below the current folder";
    }
}

TEST_F(GameDetection, OverlongFolderMeansNotInstalled)
{
    InstalledGame game {};
    // 260 bytes without a terminator: the buffer would hold no text end.
    const std::string base = m_dir.File("");
    const std::string unterminated = base + std::string(PTCH_PATH_CAPACITY - base.size(), 'g');
    ASSERT_EQ(SYS_OK,
        SYS_RegSetValue(Key(GAME_KEY), "Install Path", SYS_REG_SZ, unterminated.data(),
            static_cast<uint32_t>(unterminated.size())));
    EXPECT_FALSE(Found(&game));

    // A folder of 255 bytes fits, but not with the program's name after it.
    PutFolder(base + std::string(255 - base.size(), 'f'));
    EXPECT_FALSE(Found(&game));
    ML_SetString(PTCH_ID_GAME_PROGRAM, "g.e");
    EXPECT_TRUE(Found(&game)) << "255 + 1 + 3 bytes leave room for the terminator";
}

TEST_F(GameDetection, OldDistributionCodesAreRewrittenAtOnce)
{
    VersionInfo record { "x", 1, 2, "y", 3, 4, 5, 6, 7, 8 };
    EXPECT_EQ(0, PTCH_ReadInstalledRecord(&record)) << "no record";
    EXPECT_EQ(nullptr, record.patchVersionName);

    SYS_RegKey key = Key(VERSION_KEY);
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(key, "Distribution", 794));
    ASSERT_EQ(SYS_OK, SYS_RegSetString(key, "Patch version name", "Patch 1.01"));
    ASSERT_EQ(1, PTCH_ReadInstalledRecord(&record));
    EXPECT_EQ(805u, record.distribution);
    VersionInfo stored {};
    ASSERT_EQ(1, VI_Get(&stored));
    EXPECT_EQ(805u, stored.distribution);
    EXPECT_STREQ("Patch 1.01", record.patchVersionName) << "the copy's names stay valid";
    VI_Done();
    EXPECT_EQ(805u, Dword(VERSION_KEY, "Distribution"));
    for (uint32_t code : { 792u, 797u }) {
        ASSERT_EQ(SYS_OK, SYS_RegSetDword(key, "Distribution", code));
        ASSERT_EQ(1, PTCH_ReadInstalledRecord(&record));
        EXPECT_EQ(code, record.distribution);
    }
}

class LegacyPatch : public GameDetection {
protected:
    void SetUp() override
    {
        GameDetection::SetUp();
        PutFolder(Folder("game"));
        Folder("game/bin");
        ASSERT_EQ(1, PTCH_FindInstalledGame(&m_game));
        VI_SelectKey(GAME_KEY);
    }
    InstalledGame m_game {};
};

TEST_F(LegacyPatch, ArchiveBesideTheProgramMeansVersion101)
{
    WriteText(m_dir.Path() / "game" / "bin" / "Ashgrove_101.cbf", "old patch");
    VersionInfo record {};
    record.patchVersion = 100;
    InstalledGame missing {};
    EXPECT_EQ(1, CheckLegacyPatch(&record, &missing)) << "a game not found has no archive";
    EXPECT_EQ(100u, record.patchVersion);
    EXPECT_EQ(0, CheckLegacyPatch(nullptr, &m_game));
    ASSERT_EQ(1, CheckLegacyPatch(&record, &m_game));
    EXPECT_EQ(101u, record.patchVersion);
    // Written at shutdown although nothing else changed, creating the record for the game.
    EXPECT_FALSE(HasValue(VERSION_KEY, "Patch version"));
    VI_Done();
    EXPECT_EQ(101u, Dword(VERSION_KEY, "Patch version"));
}

TEST_F(LegacyPatch, WithoutTheArchiveTheRecordIsStillWritten)
{
    WriteText(m_dir.Path() / "game" / "Ashgrove_101.cbf", "beside the folder, not the program");
    VersionInfo record {};
    ASSERT_EQ(1, CheckLegacyPatch(&record, &m_game));
    VI_Done();
    EXPECT_EQ(0u, Dword(VERSION_KEY, "Patch version"));
}

}
