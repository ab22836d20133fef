// patchkit pack: reproducible archives, the options, and names that could not be installed
// safely refused before anything is written (an older archive stays as it was).
#include "tests/tools/patchkit_test_support.h"

namespace {

namespace fs = std::filesystem;

class PackCommand : public ::testing::Test {
protected:
    std::string Source() const { return test::PathArgument(m_dir.Path() / "src"); }
    std::string Output() const { return test::PathArgument(m_dir.Path() / "out.cbf"); }

    // pack must fail with one line naming culprit and leave the older archive untouched.
    void ExpectRefusedWithNothingWritten(const std::string& culprit)
    {
        test::WriteBytes(m_dir.Path() / "out.cbf", "older archive");
        auto result = test::RunPatchkit({ "pack", Source(), Output() });
        EXPECT_TRUE(test::FailsWithOneLine(result));
        EXPECT_NE(result.err.find(culprit), std::string::npos) << result.err;
        EXPECT_EQ(test::ReadBytes(m_dir.Path() / "out.cbf"), "older archive");
        EXPECT_FALSE(fs::exists(m_dir.Path() / "out.cbf.partial"));
    }

    test::TempDir m_dir;
};

TEST_F(PackCommand, SameTreeGivesTheSameArchiveWithTheOrderingValue)
{
    test::WriteTree(m_dir.Path() / "src", test::SampleTree());
    std::string second = test::PathArgument(m_dir.Path() / "second.cbf");
    auto first
        = test::RunPatchkit({ "pack", Source(), Output(), "--order", "18446744073709551615" });
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out.rfind("packed 5 members, ", 0), 0u) << first.out;
    ASSERT_EQ(
        test::RunPatchkit({ "pack", "--order", "18446744073709551615", Source(), second }).status,
        0);
    std::string bytes = test::ReadBytes(Output());
    EXPECT_EQ(bytes, test::ReadBytes(second));
    EXPECT_EQ(bytes.substr(BF_HDR_ORDERING, 8), std::string(8, '\xFF'));
}

TEST_F(PackCommand, ReplacesAnOlderArchive)
{
    test::WriteTree(m_dir.Path() / "src", { { "a.txt", "new" } });
    test::WriteBytes(m_dir.Path() / "out.cbf", "older archive");
    ASSERT_EQ(test::RunPatchkit({ "pack", Source(), Output(), "--method", "store" }).status, 0);
    EXPECT_EQ(test::RunPatchkit({ "list", Output() }).out, "a.txt\t3\t3\tstore\n");
    EXPECT_FALSE(fs::exists(m_dir.Path() / "out.cbf.partial"));
}

TEST_F(PackCommand, BadArgumentsFailWithOneLine)
{
    test::WriteTree(m_dir.Path() / "src", { { "a.txt", "a" } });
    std::vector<std::vector<std::string>> cases = {
        { "pack" },
        { "pack", Source() },
        { "pack", Source(), Output(), "extra" },
        { "pack", Source(), Output(), "--method", "zip" },
        { "pack", Source(), Output(), "--method" },
        { "pack", Source(), Output(), "--dir-version", "2" },
        { "pack", Source(), Output(), "--order", "-1" },
        { "pack", Source(), Output(), "--order", "18446744073709551616" },
        { "pack", Source(), Output(), "--level", "9" },
        { "pack", test::PathArgument(m_dir.Path() / "missing"), Output() },
    };
    for (const auto& arguments : cases) {
        EXPECT_TRUE(test::FailsWithOneLine(test::RunPatchkit(arguments))) << arguments.size();
        EXPECT_FALSE(fs::exists(Output()));
    }
}

TEST_F(PackCommand, RefusesNamesOutsidePrintableAscii)
{
    test::WriteTree(m_dir.Path() / "src", { { "fine.txt", "ok" } });
    test::WriteBytes(m_dir.Path() / "src" / fs::path(u8"caf\u00e9.txt"), "x");
    ExpectRefusedWithNothingWritten("caf");
}

TEST_F(PackCommand, RefusesNamesOf256CharactersOrMore)
{
    std::string folder(120, 'f'), file(135, 'n'); // "f...\n..." is 256 characters
    test::WriteTree(m_dir.Path() / "src", { { "fine.txt", "ok" } });
    std::error_code error;
    fs::create_directories(m_dir.Path() / "src" / folder, error);
    std::ofstream(m_dir.Path() / "src" / folder / file) << "x";
    if (!fs::exists(m_dir.Path() / "src" / folder / file))
        GTEST_SKIP() << "the file system does not take a path this long";
    ExpectRefusedWithNothingWritten(file);
}

TEST_F(PackCommand, RefusesABackslashInsideAFileName)
{
    if (fs::path("a\\b").has_parent_path())
        GTEST_SKIP() << "a backslash separates folders here";
    test::WriteTree(m_dir.Path() / "src", { { "fine.txt", "ok" }, { "a\\b.txt", "x" } });
    ExpectRefusedWithNothingWritten("a\\b.txt");
}

TEST_F(PackCommand, RefusesNamesThatDifferOnlyInCase)
{
    test::WriteTree(m_dir.Path() / "src", { { "Data/a.txt", "1" }, { "data/A.TXT", "2" } });
    if (test::ReadTree(m_dir.Path() / "src").size() < 2)
        GTEST_SKIP() << "the file system folds letter case";
    ExpectRefusedWithNothingWritten("A.TXT");
}

TEST_F(PackCommand, PacksAnEmptyFolderIntoAnEmptyArchive)
{
    fs::create_directories(m_dir.Path() / "src" / "empty");
    ASSERT_EQ(test::RunPatchkit({ "pack", Source(), Output() }).status, 0);
    auto list = test::RunPatchkit({ "list", Output() });
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "");
    EXPECT_EQ(test::RunPatchkit({ "verify", Output() }).status, 0);
}

}
