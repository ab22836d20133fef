// Mounting: the precedence of the four mount modes, before and after an unmount, and what an
// unmount does to the files open through the archive.
#include "bigfile/bigfile.h"
#include "tests/bigfile/vfs_fixture.h"

namespace {

using test::StoredMember;

class Mount : public test::VfsFixture {
protected:
    // An archive holding "SHARED" and "ONLY_<tag>", each with the tag as content.
    BF_Status MountTagged(const std::string& tag, uint32_t mode, uint64_t ordering = 0)
    {
        return test::VfsFixture::Mount(tag + ".cbf",
            { StoredMember("shared", Bytes(tag)), StoredMember("only_" + tag, Bytes(tag)) }, mode,
            0, ordering);
    }
};

TEST_F(Mount, Mode0KeepsEarlierNamesAndAnUnmountRevealsTheNext)
{
    ASSERT_EQ(BF_OK, MountTagged("a", 0));
    ASSERT_EQ(BF_OK, MountTagged("b", 0));
    EXPECT_EQ("a", Content("SHARED"));
    EXPECT_EQ("b", Content("ONLY_B"));
    ASSERT_EQ(BF_OK, Unmount("a.cbf"));
    EXPECT_EQ("b", Content("SHARED"));
    EXPECT_EQ("missing", Content("ONLY_A"));
    EXPECT_EQ(BF_ERR_OPEN, Unmount("a.cbf"));
}

TEST_F(Mount, Mode1PutsTheNewArchiveFirst)
{
    ASSERT_EQ(BF_OK, MountTagged("a", 0));
    ASSERT_EQ(BF_OK, MountTagged("b", 1));
    EXPECT_EQ("b", Content("shared"));
    ASSERT_EQ(BF_OK, Unmount("b.cbf"));
    EXPECT_EQ("a", Content("shared"));
}

TEST_F(Mount, Mode2OrdersByValueBehindEarlierMode0Archives)
{
    ASSERT_EQ(BF_OK, test::VfsFixture::Mount("zero.cbf", { StoredMember("first", Bytes("zero")) }));
    ASSERT_EQ(BF_OK, MountTagged("five", 2, 5));
    ASSERT_EQ(BF_OK,
        test::VfsFixture::Mount("seven.cbf",
            { StoredMember("first", Bytes("seven")), StoredMember("shared", Bytes("seven")) }, 2, 0,
            7));
    EXPECT_EQ("zero", Content("first")); // the mode-0 archive stays in front
    EXPECT_EQ("seven", Content("shared")); // 7 goes before 5
    ASSERT_EQ(BF_OK, MountTagged("six", 2, 6));
    EXPECT_EQ("seven", Content("shared")); // 6 goes between them
    ASSERT_EQ(BF_OK, Unmount("seven.cbf"));
    EXPECT_EQ("six", Content("shared"));
    EXPECT_EQ("zero", Content("first"));
}

TEST_F(Mount, Mode2WithASmallerValueGoesBehindAndWithAnEqualOneInFront)
{
    ASSERT_EQ(BF_OK, MountTagged("seven", 2, 7));
    ASSERT_EQ(BF_OK, MountTagged("five", 2, 5));
    EXPECT_EQ("seven", Content("shared"));
    EXPECT_EQ("five", Content("only_five"));
    // A tie goes to the newcomer: a patch that repeats the value of the one before it wins.
    ASSERT_EQ(BF_OK, MountTagged("seven_again", 2, 7));
    EXPECT_EQ("seven_again", Content("shared"));
    ASSERT_EQ(BF_OK, MountTagged("five_again", 2, 5));
    EXPECT_EQ("seven_again", Content("shared"));
    ASSERT_EQ(BF_OK, Unmount("seven_again.cbf"));
    ASSERT_EQ(BF_OK, Unmount("seven.cbf"));
    EXPECT_EQ("five_again", Content("shared"));
}

TEST_F(Mount, Mode3FillsGapsAndStaysLastAfterRebuilds)
{
    ASSERT_EQ(BF_OK, MountTagged("a", 0));
    ASSERT_EQ(BF_OK, MountTagged("c", 3));
    EXPECT_EQ("a", Content("shared"));
    EXPECT_EQ("c", Content("only_c"));
    ASSERT_EQ(BF_OK, MountTagged("b", 2, 1)); // a mode-2 archive goes before a mode-3 one
    EXPECT_EQ("a", Content("shared"));
    ASSERT_EQ(BF_OK, Unmount("a.cbf"));
    EXPECT_EQ("b", Content("shared"));
}

TEST_F(Mount, MissingOrForeignArchivesAreRefused)
{
    EXPECT_EQ(BF_ERR_OPEN, LoadBF(PathOf("none.cbf").c_str(), 0));
    EXPECT_EQ(BF_ERR_OPEN, LoadBF(PathOf("none.cbf").c_str(), 2));
    EXPECT_EQ(BF_ERR_OPEN, Unmount("none.cbf"));
    uint64_t ordering = 0;
    EXPECT_EQ(BF_ERR_OPEN, BF_ReadOrderingValue(PathOf("none.cbf").c_str(), &ordering));
    EXPECT_EQ(BF_ERR_FORMAT,
        BF_ReadOrderingValue(Put("text.cbf", Bytes("plain text")).c_str(), &ordering));
    std::u16string path = Put("o.cbf", test::BuildArchive({}, 0, 0x123456789Aull));
    EXPECT_EQ(BF_OK, BF_ReadOrderingValue(path.c_str(), &ordering));
    EXPECT_EQ(0x123456789Aull, ordering);
}

TEST_F(Mount, UnmountClosesSharedHandleFilesOnly)
{
    ASSERT_EQ(BF_OK, MountTagged("a", 0));
    BF_Handle shared = BF_OpenEx("shared", 0, 0);
    BF_Handle own = BF_OpenEx("shared", BF_OWN_HANDLE, 0);
    ASSERT_NE(0u, shared);
    ASSERT_NE(0u, own);
    ASSERT_EQ(BF_OK, MountTagged("b", 0)); // a rebuild keeps open files valid
    uint8_t byte = 0;
    EXPECT_EQ(1u, BF_Read(shared, &byte, 1));
    ASSERT_EQ(BF_OK, Unmount("a.cbf"));
    EXPECT_EQ(BF_BAD_POSITION, BF_GetSize(shared));
    EXPECT_EQ("a", std::string(1, static_cast<char>(ReadRest(own)[0])));
    BF_Close(own);
}

TEST_F(Mount, NothingMountsBeforeTheStart)
{
    std::u16string path = Put("a.cbf", test::BuildArchive({ StoredMember("a", Bytes("1")) }));
    BF_Shutdown();
    EXPECT_EQ(BF_ERR_NOT_STARTED, LoadBF(path.c_str(), 0));
    EXPECT_EQ(BF_ERR_NOT_STARTED, UnloadBF(path.c_str()));
    EXPECT_EQ(0u, BF_OpenEx("a", 0, 0));
}

}
