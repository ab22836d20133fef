// The contract of the file-level seam, on whichever backend is built: the temporary folder's
// answers (including the size asked for when the buffer is too small) and the size queries
// and fit rules of the ANSI conversions. Folder creation is seen through the programs group.
#include "tests/installlib/installlib_fixture.h"

namespace {

using namespace test;
namespace os = installlib::os;

template <typename Char> void ExpectTemporaryFolder(uint32_t (*tempPath)(Char*, uint32_t))
{
    Char path[INSTALLLIB_PATH_CAPACITY];
    const uint32_t length = tempPath(path, INSTALLLIB_PATH_CAPACITY);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, INSTALLLIB_PATH_CAPACITY);
    EXPECT_EQ(0, path[length]);
    EXPECT_TRUE(path[length - 1] == '\\' || path[length - 1] == '/');
    std::u16string wide(path, path + length);
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(wide)));
    Char small[2];
    EXPECT_EQ(length + 1, tempPath(small, 2)) << "the size the path needs";
}

TEST(InstallLibFilesSystem, TemporaryFolderEndsInASeparatorAndAsksForRoom)
{
    ExpectTemporaryFolder(os::TempPathW);
    ExpectTemporaryFolder(os::TempPathA);
}

TEST(InstallLibFilesSystem, AnsiConversionsAnswerSizesAndRefuseWhatDoesNotFit)
{
    EXPECT_EQ(4u, os::WideToAnsi(nullptr, 0, u"abc"));
    GuardedBuffer<char> narrow(4);
    EXPECT_EQ(0u, os::WideToAnsi(narrow.Data(), 3, u"abc"));
    EXPECT_EQ(4u, os::WideToAnsi(narrow.Data(), 4, u"abc"));
    EXPECT_STREQ("abc", narrow.Data());
    EXPECT_TRUE(narrow.GuardsIntact());
    EXPECT_EQ(4u, os::AnsiToWide(nullptr, 0, "abc"));
    GuardedBuffer<char16_t> wide(4);
    EXPECT_EQ(0u, os::AnsiToWide(wide.Data(), 3, "abc"));
    EXPECT_EQ(4u, os::AnsiToWide(wide.Data(), 4, "abc"));
    EXPECT_EQ(u"abc", std::u16string(wide.Data()));
    EXPECT_TRUE(wide.GuardsIntact());
}

}
