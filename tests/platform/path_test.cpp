// Whether a path is rooted, by one table for both systems and both text widths.
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
    const char* path;
    bool absolute;
};

TEST(PathsAbsolute, SameTableOnEverySystem)
{
    static const PathCase CASES[] = {
        { "C:\\Games\\x.cbf", true },
        { "c:/games", true },
        { "Z:", true },
        { "C:relative", true },
        { "\\\\server\\share", true },
        { "\\rooted", true },
        { "/usr/share", true },
        { "/", true },
        { "relative\\name", false },
        { "name.txt", false },
        { "..\\up", false },
        { "./here", false },
        { "1:\\digit", false },
        { ":colon", false },
        { "", false },
        { "ab:c", false },
    };
    for (const PathCase& entry : CASES) {
        EXPECT_EQ(SYS_PathIsAbsolute(entry.path), entry.absolute) << entry.path;
        EXPECT_EQ(SYS_WPathIsAbsolute(test::Wide(entry.path).c_str()), entry.absolute)
            << entry.path;
    }
    EXPECT_FALSE(SYS_PathIsAbsolute(nullptr));
    EXPECT_FALSE(SYS_WPathIsAbsolute(nullptr));
    EXPECT_FALSE(SYS_WPathIsAbsolute(u"\uff23:wide letter"));
}

}
