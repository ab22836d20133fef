// Directory scans: archive members by folder with and without recursion, the disk when plain
// names are allowed (each name once, the first source winning), and names the list cannot
// hold, which are left out and mark the scan incomplete.
#include "bigfile/bigfile.h"
#include "tests/bigfile/vfs_fixture.h"

#include <algorithm>
#include <filesystem>

namespace {

using test::StoredMember;

class Scan : public test::VfsFixture {
protected:
    void SetUp() override
    {
        VfsFixture::SetUp();
        ASSERT_EQ(BF_OK, MountLanguages());
        std::filesystem::create_directories(m_dir.Path() / "Languages" / "Sub");
        Put("Languages/Disk.txt", Bytes("disk"));
        Put("Languages/Eng.txt", Bytes("disk english"));
        Put("Languages/Sub/Deep.txt", Bytes("deep"));
    }
    BF_Status MountLanguages()
    {
        return Mount("lang.cbf",
            { StoredMember("Languages\\Ger.txt", Bytes("german")),
                StoredMember("Languages\\Eng.txt", Bytes("english")),
                StoredMember("Languages\\Old\\Eng.txt", Bytes("old")),
                StoredMember("Languages\\Readme", Bytes("readme")),
                StoredMember("Other\\x.txt", Bytes("x")) });
    }
    static std::vector<std::string> Names(
        const char* pattern, int recurse, BF_FindContext* context = nullptr)
    {
        BF_FindContext local {};
        context = context != nullptr ? context : &local;
        std::vector<std::string> names;
        for (const char* name = BF_FindFirst(pattern, recurse, context); name != nullptr;
             name = BF_FindNext(context))
            names.push_back(name);
        EXPECT_EQ(nullptr, context->list); // released at the end
        return names;
    }
    using List = std::vector<std::string>;
    // Disk listings come in the system's order.
    static List Sorted(List names)
    {
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(Scan, ArchiveMembersOfOneFolderOrBelowIt)
{
    EXPECT_EQ((List { "LANGUAGES\\ENG.TXT", "LANGUAGES\\GER.TXT" }),
        Names("languages\\*.txt", 0)); // the disk is not scanned for the installer
    EXPECT_EQ((List { "LANGUAGES\\ENG.TXT", "LANGUAGES\\GER.TXT", "LANGUAGES\\OLD\\ENG.TXT" }),
        Names("Languages\\*.txt", 1));
    EXPECT_EQ((List { "LANGUAGES\\ENG.TXT", "LANGUAGES\\GER.TXT", "LANGUAGES\\OLD\\ENG.TXT",
                  "LANGUAGES\\README", "OTHER\\X.TXT" }),
        Names("*.*", 1));
    EXPECT_EQ((List { "LANGUAGES\\README" }), Names("Languages\\*", 0));
    EXPECT_TRUE(Names("Languages\\*.bmp", 1).empty());
}

TEST_F(Scan, TheEndStaysTheEnd)
{
    BF_FindContext context {};
    EXPECT_NE(nullptr, BF_FindFirst("Other\\*.*", 0, &context));
    EXPECT_EQ(nullptr, BF_FindNext(&context));
    EXPECT_EQ(nullptr, BF_FindNext(&context));
    EXPECT_NE(nullptr, BF_FindFirst("*.*", 1, &context));
    BF_FindClose(&context);
    EXPECT_EQ(nullptr, context.list);
    EXPECT_EQ(nullptr, BF_FindNext(&context));
    BF_FindClose(&context);
    EXPECT_EQ(nullptr, BF_FindFirst(nullptr, 0, &context));
    BF_Shutdown();
    EXPECT_EQ(nullptr, BF_FindFirst("*.*", 1, &context));
}

TEST_F(Scan, WithPlainNamesTheDiskAddsWhatTheArchivesLack)
{
    BF_InitParams params = Params();
    params.plainNames = 1;
    ASSERT_EQ(1, Restart(params));
    ASSERT_EQ(BF_OK, MountLanguages());
    EXPECT_EQ((List { "LANGUAGES\\ENG.TXT", "LANGUAGES\\GER.TXT", "LANGUAGES\\DISK.TXT" }),
        Names("Languages\\*.txt", 0));
    EXPECT_EQ((List { "LANGUAGES\\ENG.TXT", "LANGUAGES\\GER.TXT", "LANGUAGES\\OLD\\ENG.TXT",
                  "LANGUAGES\\SUB\\DEEP.TXT", "LANGUAGES\\DISK.TXT" }),
        Names("Languages\\*.txt", 1)); // subfolders before a folder's own files
    EXPECT_EQ("deep", Content("LANGUAGES\\SUB\\DEEP.TXT")); // scanned names open as listed
}

// Two links to their own folder made a recursive scan exponential; a link to a file still
// lists as the file.
TEST_F(Scan, TheDiskScanDoesNotFollowLinksToFolders)
{
    namespace fs = std::filesystem;
    BF_InitParams params = Params();
    params.plainNames = 1;
    ASSERT_EQ(1, Restart(params));
    const fs::path loop = m_dir.Path() / "Languages" / "Loop";
    fs::create_directories(loop);
    std::error_code error;
    for (const char* name : { "a", "b" })
        fs::create_directory_symlink(".", loop / name, error);
    fs::create_symlink(m_dir.Path() / "Languages" / "Disk.txt", loop / "linked.txt", error);
    if (error)
        GTEST_SKIP() << "links cannot be made here: " << error.message();
    EXPECT_EQ((List { "LANGUAGES\\DISK.TXT", "LANGUAGES\\ENG.TXT", "LANGUAGES\\LOOP\\LINKED.TXT",
                  "LANGUAGES\\SUB\\DEEP.TXT" }),
        Sorted(Names("Languages\\*.*", 1)));
}

TEST_F(Scan, DiskFirstListsDiskNamesFirst)
{
    BF_InitParams params = Params();
    params.plainNames = 1;
    params.diskFirst = 1;
    ASSERT_EQ(1, Restart(params));
    ASSERT_EQ(BF_OK, MountLanguages());
    List names = Names("Languages\\*.txt", 0);
    ASSERT_EQ(3u, names.size());
    EXPECT_EQ("LANGUAGES\\GER.TXT", names[2]);
    EXPECT_EQ("disk english",
        Content(names[0] == "LANGUAGES\\ENG.TXT" ? names[0].c_str() : names[1].c_str()));
}

TEST_F(Scan, NamesTooLongForTheListAreLeftOutAndMarkItIncomplete)
{
    ASSERT_EQ(BF_OK,
        Mount("patch.cbf",
            { StoredMember("patch\\a.txt", Bytes("a")),
                StoredMember("patch\\" + std::string(300, 'n'), Bytes("n")),
                StoredMember("patch\\b.txt", Bytes("b")) }));
    BF_FindContext context {};
    EXPECT_EQ((List { "PATCH\\A.TXT", "PATCH\\B.TXT" }), Names("patch\\*.*", 1, &context));
    EXPECT_TRUE(context.incomplete);
    EXPECT_EQ((List { "LANGUAGES\\ENG.TXT", "LANGUAGES\\GER.TXT" }),
        Names("Languages\\*.txt", 0, &context));
    EXPECT_FALSE(context.incomplete);
}

}
