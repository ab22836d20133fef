// The installer's member-name rule in patchkit's reading commands: list marks a name the
// installer would refuse, verify and extract fail on it, and no such name is ever opened on
// disk in place of the member.
#include "tests/tools/patchkit_test_support.h"

#include <algorithm>

namespace {

namespace fs = std::filesystem;

TEST(InstallerNames, ListMarksVerifyAndExtractFail)
{
    const char* const refused[] = { "aux.txt", "Data\\CONIN$", "a\\b.", "a\\b ", "bell\a.txt",
        "..\\x", "c:x", "com\xB9.txt", "LPT\xC2\xB2", "nul .dat" };
    for (const char* name : refused) {
        test::TempDir dir;
        fs::path archive = dir.Path() / "a.cbf";
        test::WriteArchive(archive, { { "fine.txt", "ok" }, { name, "x" } });
        auto list = test::RunPatchkit({ "list", test::PathArgument(archive) });
        EXPECT_EQ(list.status, 0) << name;
        EXPECT_EQ(list.out.find("fine.txt\t2\t2\tstore\n"), 0u) << list.out;
        EXPECT_NE(list.out.find("\tstore\trefused: "), std::string::npos) << list.out;
        EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 2) << "one line a member";
        EXPECT_TRUE(
            test::FailsWithOneLine(test::RunPatchkit({ "verify", test::PathArgument(archive) })))
            << name;
        EXPECT_TRUE(test::FailsWithOneLine(test::RunPatchkit(
            { "extract", test::PathArgument(archive), test::PathArgument(dir.Path() / "x") })))
            << name;
        EXPECT_FALSE(fs::exists(dir.Path() / "x")) << name;
    }
}

// A member named by the absolute path of a host file of the same size used to "verify" by
// reading the host file.
TEST(InstallerNames, VerifyNeverReadsAMemberFromDisk)
{
    test::TempDir dir;
    const std::string host = test::PathArgument(dir.Path() / "host.txt");
    test::WriteBytes(host, "host");
    fs::path archive = dir.Path() / "a.cbf";
    test::WriteArchive(archive, { { host, "HOST" } });
    auto verify = test::RunPatchkit({ "verify", test::PathArgument(archive) });
    EXPECT_TRUE(test::FailsWithOneLine(verify));
    EXPECT_NE(verify.err.find("installer refuses"), std::string::npos) << verify.err;
}

}
