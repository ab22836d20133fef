// patchkit pack: reproducible archives, the options, and names that could not be installed
// safely, links and stale partial outputs refused before anything is written (an older archive
// stays as it was).
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

    // Makes a link at src/name to target; false when links cannot be made here.
    bool Link(const std::string& name, const fs::path& target, bool toFolder)
    {
        std::error_code error;
        if (toFolder)
            fs::create_directory_symlink(target, m_dir.Path() / "src" / name, error);
        else
            fs::create_symlink(target, m_dir.Path() / "src" / name, error);
        return !error;
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

// A name in the table is refused because the installer would refuse it (a backslash inside a
// file name would separate folders there); names the host cannot create as a plain file (a
// device or a backslash on Windows) are left out there.
TEST_F(PackCommand, RefusesNamesTheInstallerRefuses)
{
    for (const char* name :
        { "aux.txt", "Con", "conout$.log", "sub/lpt3", "ends.", "ends ", "a\\b.txt" }) {
        fs::remove_all(m_dir.Path() / "src");
        test::WriteTree(m_dir.Path() / "src", { { "fine.txt", "ok" }, { name, "x" } });
        if (test::ReadTree(m_dir.Path() / "src").count(name) == 0)
            continue; // the host makes it another name, or no file
        ExpectRefusedWithNothingWritten(fs::path(name).filename().string());
    }
}

TEST_F(PackCommand, ALinkIsRefusedUnlessFollowingIsAskedFor)
{
    test::WriteBytes(m_dir.Path() / "outside" / "target.txt", "outside bytes");
    test::WriteTree(m_dir.Path() / "src", { { "fine.txt", "ok" } });
    if (!Link("linked.txt", m_dir.Path() / "outside" / "target.txt", false))
        GTEST_SKIP() << "links cannot be made here";
    ExpectRefusedWithNothingWritten("linked.txt");

    auto result = test::RunPatchkit({ "pack", Source(), Output(), "--follow-links" });
    ASSERT_EQ(result.status, 0) << result.err;
    fs::path extracted = m_dir.Path() / "x";
    ASSERT_EQ(test::RunPatchkit({ "extract", Output(), test::PathArgument(extracted) }).status, 0);
    EXPECT_EQ(test::ReadTree(extracted),
        (std::map<std::string, std::string> {
            { "fine.txt", "ok" }, { "linked.txt", "outside bytes" } }));
}

TEST_F(PackCommand, ALinkToAFolderIsReportedEvenWhenFollowingLinks)
{
    test::WriteTree(m_dir.Path() / "src", { { "fine.txt", "ok" }, { "sub/a.txt", "a" } });
    if (!Link("sub/loop", m_dir.Path() / "src", true))
        GTEST_SKIP() << "links cannot be made here";
    ExpectRefusedWithNothingWritten("loop");
    auto result = test::RunPatchkit({ "pack", Source(), Output(), "--follow-links" });
    EXPECT_TRUE(test::FailsWithOneLine(result));
    EXPECT_NE(result.err.find("link to a folder"), std::string::npos) << result.err;
}

// A partial output left behind, or planted as a link to another file, is neither written
// through nor removed: the run fails and the older archive stays.
TEST_F(PackCommand, AnExistingPartialOutputIsNeverWrittenThrough)
{
    test::WriteTree(m_dir.Path() / "src", { { "a.txt", "new" } });
    test::WriteBytes(m_dir.Path() / "victim.txt", "kept");
    std::error_code error;
    fs::create_symlink(m_dir.Path() / "victim.txt", m_dir.Path() / "out.cbf.partial", error);
    if (error)
        test::WriteBytes(m_dir.Path() / "out.cbf.partial", "kept");
    test::WriteBytes(m_dir.Path() / "out.cbf", "older archive");
    auto result = test::RunPatchkit({ "pack", Source(), Output() });
    EXPECT_TRUE(test::FailsWithOneLine(result));
    EXPECT_NE(result.err.find("out.cbf.partial"), std::string::npos) << result.err;
    EXPECT_EQ(test::ReadBytes(m_dir.Path() / "out.cbf"), "older archive");
    EXPECT_EQ(test::ReadBytes(m_dir.Path() / "out.cbf.partial"), "kept");
    EXPECT_EQ(test::ReadBytes(m_dir.Path() / "victim.txt"), "kept");
}

}
