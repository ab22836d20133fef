// The patch's settings by installer-data id with their defaults, and the archive paths formed
// from the start folder: one archive or numbered ones, the base name of id 415, and the start
// folder converted with the file-API code page rather than widened byte by byte.
#include "tests/patcher/patcher_fixture.h"

#include "bigfile/bigfile.h"
#include "tests/support/archive_builder.h"

#include <utility>

namespace {

using namespace test;

class PatchSettings : public PatcherFixture {
protected:
    // The archive path and folder name for archive n, or "(failed)".
    std::string ArchivePath(uint32_t n, std::string* folderName = nullptr)
    {
        GuardedBuffer<char16_t> path(PTCH_PATH_CAPACITY);
        GuardedBuffer<char> folder(16);
        const int result = GetPatchArchivePath(
            n, path.Data(), path.Capacity(), folder.Data(), folder.Capacity());
        EXPECT_TRUE(path.GuardsIntact() && folder.GuardsIntact());
        if (folderName != nullptr)
            *folderName = folder.Data();
        return result == 1 ? Narrow(path.Data()) : "(failed)";
    }
};

TEST_F(PatchSettings, AbsentOrUnusableValuesFallBack)
{
    ::PatchSettings settings {};
    PTCH_ReadPatchSettings(&settings);
    EXPECT_EQ(1u, settings.archiveCount);
    EXPECT_EQ(PTCH_UNKNOWN_EDITION, settings.edition);
    EXPECT_FALSE(settings.hasLowestVersion);

    ML_SetString(PTCH_ID_NEW_VERSION, "102");
    ML_SetString(PTCH_ID_ARCHIVE_COUNT, "0");
    ML_SetString(PTCH_ID_NEEDED_MIB, "-5");
    ML_SetString(PTCH_ID_KEEP_NEWER, "none");
    ML_SetString(PTCH_ID_GAME_EDITION, "first");
    const std::pair<const char*, uint32_t> dates[] = { { "2004.04.28", VI_PackDate(2004, 4, 28) },
        { "2004.04", 0 }, { "2004.04.28.1", 0 }, { "28/04/2004", 0 }, { "", 0 } };
    for (const auto& [date, packed] : dates) {
        ML_SetString(PTCH_ID_NEW_VERSION_DATE, date);
        PTCH_ReadPatchSettings(&settings);
        EXPECT_EQ(packed, settings.newVersionDate) << date;
    }
    EXPECT_EQ(1u, settings.archiveCount) << "no archive at all would leave nothing to apply";
    EXPECT_EQ(0u, settings.neededBytes);
    EXPECT_FALSE(settings.keepNewer);
    EXPECT_EQ(PTCH_UNKNOWN_EDITION, settings.edition);
}

TEST_F(PatchSettings, NeededSpacePastFourGibibytesDoesNotWrap)
{
    ML_SetString(PTCH_ID_NEEDED_MIB, "5000");
    ::PatchSettings settings {};
    PTCH_ReadPatchSettings(&settings);
    EXPECT_EQ(5000ull * 1048576, settings.neededBytes);
}

TEST_F(PatchSettings, ArchiveNamesFollowCountAndBaseName)
{
    ASSERT_EQ(1, PTCH_SetStartFolder("C:\\Downloads\\Patch\\"));
    struct {
        const char* count;
        const char* baseName;
        uint32_t n;
        const char* name;
    } cases[] = { { nullptr, nullptr, 1, "patch.cbf" }, { "1", nullptr, 1, "patch.cbf" },
        { "3", nullptr, 1, "patch01.cbf" }, { "3", nullptr, 3, "patch03.cbf" },
        { nullptr, "ashgrove_patch", 1, "ashgrove_patch.cbf" },
        { "2", "ashgrove_patch", 2, "ashgrove_patch02.cbf" }, { "2", "None", 2, "patch02.cbf" } };
    for (const auto& c : cases) {
        ML_SetString(PTCH_ID_ARCHIVE_COUNT, c.count);
        ML_SetString(PTCH_ID_ARCHIVE_BASE_NAME, c.baseName);
        std::string folder;
        EXPECT_EQ(std::string("C:\\Downloads\\Patch\\") + c.name, ArchivePath(c.n, &folder));
        EXPECT_EQ("patch", folder) << "the files always come from the archive folder \"patch\"";
    }
}

TEST_F(PatchSettings, PathThatDoesNotFitIsRefused)
{
    const std::string folder = "C:\\" + std::string(246, 'p') + "\\";
    ASSERT_EQ(1, PTCH_SetStartFolder(folder.c_str()));
    EXPECT_EQ(folder + "patch.cbf", ArchivePath(1)) << "259 units fit";
    ML_SetString(PTCH_ID_ARCHIVE_COUNT, "2");
    EXPECT_EQ("(failed)", ArchivePath(1));
    EXPECT_EQ(0, PTCH_SetStartFolder(std::string(PTCH_PATH_CAPACITY, 'x').c_str()));
    EXPECT_STREQ("", PTCH_GetStartFolder());

    char16_t small[8];
    char name[4];
    ASSERT_EQ(1, PTCH_SetStartFolder("C:\\P\\"));
    EXPECT_EQ(0, GetPatchArchivePath(1, small, 8, name, sizeof name)) << "folder name";
    EXPECT_EQ(0, PTCH_GetInstallerArchivePath(small, 8));
}

// Restores the file-API code page after a test that set one.
struct CodePageOverride {
    explicit CodePageOverride(uint32_t page)
        : previous(SYS_SetFileApiCodePage(page))
    {
    }
    ~CodePageOverride() { (void)SYS_SetFileApiCodePage(previous); }
    uint32_t previous;
};

TEST_F(PatchSettings, StartFolderIsConvertedWithTheFileApiCodePage)
{
    // 'Stažené' in code page 1250: 'ž' is 0x9E, which plain widening would make U+009E.
    const std::u16string wideFolder = u"Sta\u017Een\u00E9";
    std::filesystem::create_directories(m_dir.Path() / wideFolder);
    WriteFile(m_dir.Path() / wideFolder / "patch.cbf",
        BuildArchive({ StoredMember("PATCH\\README.TXT", { 'h', 'i' }) }));

    CodePageOverride codePage(1250);
    const std::string startFolder = m_dir.File("")
        + "Sta\x9E"
          "en\xE9\\";
    ASSERT_EQ(1, PTCH_SetStartFolder(startFolder.c_str()));
    char16_t path[PTCH_PATH_CAPACITY];
    char folder[8];
    ASSERT_EQ(1, GetPatchArchivePath(1, path, PTCH_PATH_CAPACITY, folder, sizeof folder));
    const std::u16string wideStart = Wide(m_dir.File("").c_str()) + wideFolder + u"\\";
    EXPECT_EQ(wideStart + u"patch.cbf", std::u16string(path));
    EXPECT_NE(std::u16string::npos, std::u16string(path).find(u'\u017E'));

    BF_InitParams params {};
    ASSERT_EQ(1, BF_Init(&params));
    EXPECT_EQ(BF_OK, LoadBF(path, 0)) << "the archive mounts";
    EXPECT_EQ(1, BF_Exists("PATCH\\README.TXT"));
    BF_Shutdown();

    ASSERT_EQ(1, PTCH_GetInstallerArchivePath(path, PTCH_PATH_CAPACITY));
    EXPECT_EQ(wideStart + u"patcher.cbf", std::u16string(path));
    // An ASCII folder gives the plainly widened path, as before.
    ASSERT_EQ(1, PTCH_SetStartFolder("D:\\Games\\Ashgrove Patch 1.02\\"));
    EXPECT_EQ("D:\\Games\\Ashgrove Patch 1.02\\patch.cbf", ArchivePath(1));
}

}
