// patchkit extract: a member name that would leave OUT_DIR (or collide with an earlier member),
// or a link already inside OUT_DIR, refuses the whole archive before anything is written.
#include "tests/tools/patchkit_test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(ExtractCommand, NamesLeavingTheOutputFolderAreRefusedWithNothingWritten)
{
    const char* const escapes[] = {
        "..\\evil.txt",
        "a\\..\\..\\evil.txt",
        "a/../../evil.txt",
        "\\evil.txt",
        "/evil.txt",
        "C:\\evil.txt",
        "C:evil.txt",
        "a\\\\evil.txt",
        ".\\evil.txt",
        "a\\",
        "evil.txt:stream",
        "tab\tevil.txt",
    };
    for (const char* escape : escapes) {
        test::TempDir dir;
        fs::path archive = dir.Path() / "a.cbf";
        test::WriteArchive(archive, { { "good.txt", "fine" }, { escape, "evil" } });
        auto result = test::RunPatchkit({ "extract", test::PathArgument(archive),
            test::PathArgument(dir.Path() / "out" / "x") });
        EXPECT_TRUE(test::FailsWithOneLine(result)) << escape;
        EXPECT_NE(result.err.find(escape[0] == 't' ? "tab\\x09evil" : escape), std::string::npos)
            << result.err;
        EXPECT_FALSE(fs::exists(dir.Path() / "out")) << escape;
        EXPECT_FALSE(fs::exists(dir.Path() / "evil.txt")) << escape;
    }
}

TEST(ExtractCommand, NamesOf256CharactersOrMoreAreRefused)
{
    test::TempDir dir;
    fs::path archive = dir.Path() / "a.cbf";
    test::WriteArchive(archive, { { std::string(256, 'n'), "long" } });
    auto result = test::RunPatchkit(
        { "extract", test::PathArgument(archive), test::PathArgument(dir.Path() / "x") });
    EXPECT_TRUE(test::FailsWithOneLine(result));
    EXPECT_FALSE(fs::exists(dir.Path() / "x"));
}

TEST(ExtractCommand, ANameHiddenByAnEarlierMemberIsRefused)
{
    test::TempDir dir;
    fs::path archive = dir.Path() / "a.cbf";
    test::WriteArchive(archive, { { "Data\\a.txt", "first" }, { "DATA\\A.TXT", "second" } });
    auto extract = test::RunPatchkit(
        { "extract", test::PathArgument(archive), test::PathArgument(dir.Path() / "x") });
    EXPECT_TRUE(test::FailsWithOneLine(extract));
    EXPECT_NE(extract.err.find("DATA\\A.TXT"), std::string::npos) << extract.err;
    auto verify = test::RunPatchkit({ "verify", test::PathArgument(archive) });
    EXPECT_TRUE(test::FailsWithOneLine(verify));
    EXPECT_NE(verify.err.find("DATA\\A.TXT"), std::string::npos) << verify.err;
}

TEST(ExtractCommand, NamesThatMeetOnDiskAfterSeparatorFoldingAreRefused)
{
    test::TempDir dir;
    fs::path archive = dir.Path() / "a.cbf";
    test::WriteArchive(archive, { { "A/x", "first" }, { "a\\X", "second" } });
    auto result = test::RunPatchkit(
        { "extract", test::PathArgument(archive), test::PathArgument(dir.Path() / "x") });
    EXPECT_TRUE(test::FailsWithOneLine(result));
    EXPECT_NE(result.err.find("a\\X"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(dir.Path() / "x"));
}

// A link planted in OUT_DIR, as a folder on a member's way or as the member's own file, is
// never written through: the file it points at keeps its bytes and nothing is extracted.
TEST(ExtractCommand, LinksInsideTheOutputFolderAreRefused)
{
    struct Case {
        const char* member;
        const char* link; // below OUT_DIR
        bool toFolder;
    };
    const Case cases[] = { { "sub\\victim.txt", "sub", true }, { "a\\b\\victim.txt", "a/b", true },
        { "victim.txt", "victim.txt", false }, { "Sub\\Victim.txt", "Sub/Victim.txt", false } };
    for (const Case& c : cases) {
        test::TempDir dir;
        const fs::path out = dir.Path() / "out", outside = dir.Path() / "outside";
        test::WriteBytes(outside / "victim.txt", "kept");
        fs::create_directories((out / c.link).parent_path());
        std::error_code error;
        if (c.toFolder)
            fs::create_directory_symlink(outside, out / c.link, error);
        else
            fs::create_symlink(outside / "victim.txt", out / c.link, error);
        if (error)
            GTEST_SKIP() << "links cannot be made here: " << error.message();
        fs::path archive = dir.Path() / "a.cbf";
        test::WriteArchive(archive, { { "first.txt", "1" }, { c.member, "overwritten" } });
        auto result = test::RunPatchkit(
            { "extract", test::PathArgument(archive), test::PathArgument(out) });
        EXPECT_TRUE(test::FailsWithOneLine(result)) << c.member;
        EXPECT_NE(result.err.find("is a link"), std::string::npos) << result.err;
        EXPECT_EQ(test::ReadBytes(outside / "victim.txt"), "kept") << c.member;
        EXPECT_FALSE(fs::exists(out / "first.txt")) << "nothing is written before the refusal";
    }
}

TEST(ExtractCommand, ForwardSlashesSeparateFoldersAsTheInstallerReadsThem)
{
    test::TempDir dir;
    fs::path archive = dir.Path() / "a.cbf";
    test::WriteArchive(archive, { { "Sub/Folder\\File.TXT", "bytes" } }, 1);
    ASSERT_EQ(test::RunPatchkit(
                  { "extract", test::PathArgument(archive), test::PathArgument(dir.Path() / "x") })
                  .status,
        0);
    EXPECT_EQ(test::ReadTree(dir.Path() / "x"),
        (std::map<std::string, std::string> { { "Sub/Folder/File.TXT", "bytes" } }));
}

}
