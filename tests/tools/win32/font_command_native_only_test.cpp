// The Windows builds have no FreeType: patchkit font says it is a native command.
#include "tests/tools/patchkit_test_support.h"

namespace {

TEST(FontCommand, IsOnlyInNativeBuilds)
{
    auto result = test::RunPatchkit({ "font", "a.ttf", "a.fnt", "--size", "11" });
    EXPECT_TRUE(test::FailsWithOneLine(result));
    EXPECT_NE(std::string::npos, result.err.find("only in native builds"));
}

}
