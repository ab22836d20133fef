// The file list of a mounted patch archive: the common folder, the installed distribution's
// folder or "Other", the editor-tools folders of the 3ds Max releases found, lower-cased
// destinations, and the refusal of an archive whose member names would leave their folder.
#include "tests/patcher/patcher_fixture.h"

#include "bigfile/bigfile.h"
#include "tests/support/archive_builder.h"

#include <cstring>

namespace {

using namespace test;

struct Item {
    std::string source;
    std::string destination;
    uint32_t size;
    bool operator==(const Item&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Item& item)
{
    return out << item.source << " -> " << item.destination << " (" << item.size << ")";
}

class FileList : public PatcherFixture {
protected:
    void SetUp() override
    {
        PatcherFixture::SetUp();
        m_base = m_dir.File("");
        BF_InitParams params {};
        params.baseDir = m_base.c_str();
        ASSERT_EQ(1, BF_Init(&params));
        m_max.max51Found = true;
        SYS_StrCopy(m_max.max5Folder, PTCH_PATH_CAPACITY, (Folder("max5") + "\\").c_str());
        m_max.max60Found = true;
        SYS_StrCopy(m_max.max6Folder, PTCH_PATH_CAPACITY, (Folder("max6") + "\\").c_str());
    }
    void TearDown() override
    {
        if (m_list != nullptr)
            (void)SYS_StoreDestroy(m_list, 1, 0);
        BF_Shutdown();
        PatcherFixture::TearDown();
    }
    // Writes an archive of the named members, each holding its own name as bytes.
    std::u16string Write(const std::vector<std::string>& names)
    {
        std::vector<ArchiveMember> members;
        for (const std::string& name : names)
            members.push_back(StoredMember(name, std::vector<uint8_t>(name.begin(), name.end())));
        const auto path = m_dir.Path() / ("patch" + std::to_string(m_archives++) + ".cbf");
        WriteFile(path, BuildArchive(members));
        return path.u16string();
    }
    void Mount(const std::vector<std::string>& names)
    {
        ASSERT_EQ(BF_OK, LoadBF(Write(names).c_str(), 0));
    }
    // Builds the list; its items in list order, or none when the build failed.
    std::vector<Item> Build(uint32_t distribution, const ::MaxVersions* max = nullptr)
    {
        if (m_list != nullptr)
            (void)SYS_StoreDestroy(m_list, 1, 0);
        m_list = reinterpret_cast<SYS_ItemStore*>(1);
        const FileListSource source { distribution, max };
        GuardedBuffer<char> failed(PTCH_PATH_CAPACITY);
        m_result
            = BuildFileList("patch", &source, &m_list, &m_total, failed.Data(), failed.Capacity());
        EXPECT_TRUE(failed.GuardsIntact());
        m_failedName = failed.Data();
        if (m_result == 0) {
            EXPECT_EQ(nullptr, m_list);
            EXPECT_EQ(0u, m_total);
            return {};
        }
        EXPECT_EQ("", m_failedName);
        return Items();
    }
    std::vector<Item> Items()
    {
        std::vector<Item> items;
        uint32_t count = 0;
        EXPECT_EQ(SYS_OK, SYS_StoreCount(m_list, &count));
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t id = 0;
            uintptr_t value = 0;
            EXPECT_EQ(SYS_OK, SYS_StoreGetAt(m_list, static_cast<int32_t>(i), &id, &value));
            EXPECT_EQ(i, id) << "ids follow the order of addition";
            const auto* item = reinterpret_cast<const FileItem*>(value);
            items.push_back({ item->srcFileName, item->destFileName, item->size });
            (void)SYS_StoreRelease(m_list, id, 1);
        }
        return items;
    }
    static Item Member(const std::string& source, const std::string& destination)
    {
        return { source, destination, static_cast<uint32_t>(source.size()) };
    }

    std::string m_base;
    ::MaxVersions m_max {};
    SYS_ItemStore* m_list = nullptr;
    int m_result = 0;
    uint64_t m_total = 0;
    std::string m_failedName;
    int m_archives = 0;
};

TEST_F(FileList, CommonThenDistributionFilesWithLowerCaseDestinations)
{
    Mount({ "PATCH\\DATA\\MAPS\\A.CBF", "patch\\Game.exe", "Distributions\\791\\Data\\Lang.cbf",
        "Distributions\\792\\Data\\Lang.cbf", "Distributions\\Other\\Data\\Lang.cbf",
        "Distributions\\791\\game.exe", "Readme.txt" });
    const std::vector<Item> items = Build(791);
    ASSERT_EQ(1, m_result);
    ASSERT_EQ(4u, items.size());
    EXPECT_EQ(Member("PATCH\\DATA\\MAPS\\A.CBF", "data\\maps\\a.cbf"), items[0]);
    EXPECT_EQ(Member("PATCH\\GAME.EXE", "game.exe"), items[1]);
    // A distribution file for the same destination follows the common one and wins.
    EXPECT_EQ(Member("DISTRIBUTIONS\\791\\DATA\\LANG.CBF", "data\\lang.cbf"), items[2]);
    EXPECT_EQ(Member("DISTRIBUTIONS\\791\\GAME.EXE", "game.exe"), items[3]);
    EXPECT_EQ(21u + 14 + 31 + 26, m_total) << "the sizes of the items, each its member's name";
}

TEST_F(FileList, DistributionWithoutAFolderTakesOther)
{
    Mount({ "PATCH\\A.TXT", "Distributions\\791\\B.TXT", "Distributions\\Other\\C.TXT" });
    EXPECT_EQ((std::vector<Item> { Member("PATCH\\A.TXT", "a.txt"),
                  Member("DISTRIBUTIONS\\OTHER\\C.TXT", "c.txt") }),
        Build(0));
    EXPECT_EQ(2u, Build(805).size());
    EXPECT_EQ(Member("DISTRIBUTIONS\\791\\B.TXT", "b.txt"), Build(791).at(1));
}

TEST_F(FileList, ArchiveWithoutTheFoldersGivesAnEmptyList)
{
    Mount({ "Readme.txt", "Other\\A.TXT" });
    EXPECT_TRUE(Build(791, &m_max).empty());
    EXPECT_EQ(1, m_result);
}

TEST_F(FileList, EditorToolsGoBelowTheFoundReleasesOnly)
{
    Mount({ "MAX_5.1\\Plugins\\Exporter.dlu", "MAX_6.0\\Plugins\\Exporter.dlu", "PATCH\\A.TXT" });
    EXPECT_EQ(1u, Build(0).size()) << "no release found";
    std::vector<Item> items = Build(0, &m_max);
    ASSERT_EQ(3u, items.size());
    EXPECT_EQ(Member("MAX_5.1\\PLUGINS\\EXPORTER.DLU",
                  std::string(m_max.max5Folder) + "plugins\\exporter.dlu"),
        items[1]);
    EXPECT_EQ(Member("MAX_6.0\\PLUGINS\\EXPORTER.DLU",
                  std::string(m_max.max6Folder) + "plugins\\exporter.dlu"),
        items[2]);
    EXPECT_TRUE(SYS_PathIsAbsolute(items[1].destination.c_str()));

    // A found release whose folder is not absolute would place its files below the game folder.
    SYS_StrCopy(m_max.max6Folder, PTCH_PATH_CAPACITY, "max6\\");
    EXPECT_TRUE(Build(0, &m_max).empty());
    EXPECT_EQ("MAX_6.0\\PLUGINS\\EXPORTER.DLU", m_failedName);
    SYS_StrCopy(m_max.max6Folder, PTCH_PATH_CAPACITY, (m_dir.File("max6") + "\\").c_str());

    m_max.max51Found = false;
    items = Build(0, &m_max);
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ("MAX_6.0\\PLUGINS\\EXPORTER.DLU", items[1].source);
}

TEST_F(FileList, UnsafeMemberRefusesTheWholeArchive)
{
    const std::vector<std::string> unsafe
        = { "patch\\..\\x.txt", "patch\\a\\..\\..\\x.txt", "patch\\c:\\x.txt", "patch\\\\x.txt",
              "Distributions\\791\\..\\..\\x", "MAX_5.1\\..\\x", "patch\\con.txt",
              "patch\\a.. \\x.txt", "MAX_6.0\\/x", "patch\\lpt\xB2.txt", "patch\\bell\a.txt" };
    std::vector<std::u16string> archives;
    for (const std::string& name : unsafe)
        archives.push_back(Write({ "PATCH\\GOOD.TXT", name }));
    Folder("game");
    const std::vector<std::string> before = TreeOf(m_dir.Path());
    for (size_t i = 0; i < unsafe.size(); ++i) {
        ASSERT_EQ(BF_OK, LoadBF(archives[i].c_str(), 0));
        EXPECT_TRUE(Build(791, &m_max).empty()) << unsafe[i];
        EXPECT_EQ(0, m_result) << unsafe[i];
        std::string upper = unsafe[i];
        SYS_StrUpper(upper.data());
        EXPECT_EQ(upper, m_failedName) << "the refused member is named";
        ASSERT_EQ(BF_OK, UnloadBF(archives[i].c_str()));
    }
    EXPECT_EQ(before, TreeOf(m_dir.Path())) << "nothing was created in the game or 3ds Max folders";

    Mount({ "PATCH\\GOOD.TXT", "PATCH\\SUB.DIR\\..X\\A..B.TXT" });
    EXPECT_EQ(2u, Build(791, &m_max).size()) << "an ordinary archive builds as before";
}

TEST_F(FileList, MemberNameRule)
{
    for (const char* path : { "a.txt", "data\\maps\\a.cbf", "data/maps/a.cbf", "..a\\b..c",
             ".hidden", "console.txt", "com10", "lpt", "nul1.txt", "a b\\c", "conin", "com\xB9x",
             "com\xC2", "lpt\xA9", "caf\xE9.txt", "caf\xC3\xA9.txt" })
        EXPECT_EQ(nullptr, BF_MemberNameFault(path)) << path;
    for (const char* path :
        { "", "\\a", "/a", "a\\", "a\\\\b", "a//b", ".", "..", "a\\.\\b", "a\\..\\..\\b", "..\\a",
            "c:a", "c:\\a", "a.txt:stream", "a\\b.", "a\\b ", "... \\x", "CON", "nul.txt", "Aux\\a",
            "com1", "LPT9.log", "prn .txt", "conin$", "CONOUT$.txt", "tab\tname", "a\\line\nfeed",
            "del\x7F", "com\xB9", "COM\xB2.txt", "lpt\xB3", "com\xFB", "LPT\xFD", "com\xFC",
            "com\xC2\xB9", "lpt\xC2\xB2 .x", "COM\xC2\xB3", "com\xA9\xF6", "lpt\xA9\xF8" })
        EXPECT_NE(nullptr, BF_MemberNameFault(path)) << path;
    EXPECT_NE(nullptr, BF_MemberNameFault(nullptr));
}

TEST_F(FileList, NameTheScanCannotListFailsTheBuild)
{
    Mount({ "PATCH\\A.TXT", "PATCH\\" + std::string(300, 'n') + ".TXT" });
    EXPECT_TRUE(Build(0).empty());
    EXPECT_EQ(0, m_result);
    EXPECT_EQ("", m_failedName) << "the scan does not say which name it left out";
}

TEST_F(FileList, EditorToolDestinationThatDoesNotFitFailsTheBuild)
{
    const std::string folder = "C:\\" + std::string(240, 'm') + "\\";
    SYS_StrCopy(m_max.max5Folder, PTCH_PATH_CAPACITY, folder.c_str());
    const std::string name = "MAX_5.1\\PLUGINS\\" + std::string(20, 'E') + ".DLU";
    Mount({ name });
    EXPECT_TRUE(Build(0, &m_max).empty());
    EXPECT_EQ(name, m_failedName);
}

// Fails the allocation of the n-th file item record.
int g_itemsBeforeFailure = 0;
void* AllocFailingItems(size_t size, const char* label, uint32_t tag)
{
    if (std::strcmp(label, "FileItem") == 0 && g_itemsBeforeFailure-- == 0)
        return nullptr;
    return SYS_Alloc(size, label, tag);
}

TEST_F(FileList, FailedAddFailsTheBuild)
{
    Mount({ "PATCH\\A.TXT", "PATCH\\B.TXT", "PATCH\\C.TXT" });
    m_calls.alloc = AllocFailingItems;
    g_itemsBeforeFailure = 1;
    EXPECT_TRUE(Build(0).empty());
    EXPECT_EQ("PATCH\\B.TXT", m_failedName);
    g_itemsBeforeFailure = -1;
    EXPECT_EQ(3u, Build(0).size());
}

}
