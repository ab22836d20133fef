// Wildcard matching of archive names: equal folder parts, "?" for one character, the first
// "*" jumping to the last extension, and a name without extension matching "NAME.*".
#include "bigfile/bigfile.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    const char* pattern;
    int match;
};

TEST(Wildcard, Rules)
{
    const Case cases[] = {
        { "README", "README.*", 1 },
        { "README", "*.*", 1 },
        { "A.B", "*.*", 1 },
        { "README", "*", 1 },
        { "README.TXT", "*", 0 },
        { "A.B.TGA", "*.TGA", 1 },
        { "A.TGA.B", "*.TGA", 0 },
        { "PIC.tga", "*.TGA", 1 },
        { "ABC.TXT", "A*.TXT", 1 },
        { "XBC.TXT", "A*.TXT", 0 },
        { "ABC", "A?C", 1 },
        { "AC", "A?C", 0 },
        { "DIR\\A.TXT", "dir\\*.txt", 1 },
        { "DIR\\SUB\\A.TXT", "DIR\\*.TXT", 0 },
        { "A.TXT", "DIR\\*.TXT", 0 },
        { "AB", "ABCDE", 0 },
        { "README", "README", 1 },
        { "READ", "README", 0 },
        { "README", "READ", 0 },
        { "A.B.C", "*.*.C", 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.match, BF_MatchWildcard(c.name, c.pattern)) << c.name << " ~ " << c.pattern;
    EXPECT_EQ(0, BF_MatchWildcard(nullptr, "*"));
    EXPECT_EQ(0, BF_MatchWildcard("A", nullptr));
}

}
