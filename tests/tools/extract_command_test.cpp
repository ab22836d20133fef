// patchkit extract: a member name that would leave OUT_DIR (or collide with an earlier member)
// refuses the whole archive before anything is written.
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
        EXPECT_NE(result.err.find(escape), std::string::npos) << result.err;
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
