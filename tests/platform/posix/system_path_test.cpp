// Names handed to the POSIX system by other modules' backends: every "\\" becomes "/", nothing
// else changes, the output is bounded and may be the name itself.
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SystemPath, SeparatorsTranslatedBoundedAndInPlace)
{
    const char* name = "C:\\Games\\caf\xC3\xA9/save.dat";
    const std::string expected = "C:/Games/caf\xC3\xA9/save.dat";

    test::GuardedBuffer<char> whole(expected.size() + 1);
    EXPECT_EQ(SYS_SystemPath(whole.Data(), whole.Capacity(), name), expected.size());
    EXPECT_EQ(std::string(whole.Data()), expected);
    EXPECT_TRUE(whole.GuardsIntact());

    test::GuardedBuffer<char> cut(6);
    EXPECT_EQ(SYS_SystemPath(cut.Data(), cut.Capacity(), name), expected.size());
    EXPECT_EQ(std::string(cut.Data()), "C:/Ga");
    EXPECT_TRUE(cut.GuardsIntact());

    std::string inPlace(name);
    SYS_SystemPath(inPlace.data(), inPlace.size() + 1, inPlace.c_str());
    EXPECT_EQ(inPlace, expected);
}

}
