// A FIFO where pack reads, where extract writes, or named by a member that verify reads: each
// command fails with one line instead of blocking on it.
#include "tests/tools/patchkit_test_support.h"

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

void MakeFifo(const fs::path& path)
{
    fs::create_directories(path.parent_path());
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
}

TEST(Fifo, NoCommandBlocksOnAFifo)
{
    test::TempDir dir;
    MakeFifo(dir.Path() / "src" / "pipe");
    test::WriteBytes(dir.Path() / "src" / "a.txt", "a");
    fs::path archive = dir.Path() / "a.cbf";
    for (const char* follow : { "--order", "--follow-links" }) {
        std::vector<std::string> arguments = { "pack", test::PathArgument(dir.Path() / "src"),
            test::PathArgument(archive), follow };
        if (std::string(follow) == "--order")
            arguments.push_back("1");
        EXPECT_TRUE(test::FailsWithOneLine(test::RunPatchkit(arguments))) << follow;
    }

    MakeFifo(dir.Path() / "out" / "b.txt");
    test::WriteArchive(archive, { { "b.txt", "b" } });
    auto extract = test::RunPatchkit(
        { "extract", test::PathArgument(archive), test::PathArgument(dir.Path() / "out") });
    EXPECT_TRUE(test::FailsWithOneLine(extract));

    test::WriteArchive(archive, { { test::PathArgument(dir.Path() / "src" / "pipe"), "" } });
    EXPECT_TRUE(
        test::FailsWithOneLine(test::RunPatchkit({ "verify", test::PathArgument(archive) })));
}

}
