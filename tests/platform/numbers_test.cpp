// Rounding and truncation, including the inputs whose conversion to an integer would be
// undefined: NaN, infinities and values beyond the 32-bit range.
#include "platform/platform.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(Numbers, RoundHalvesUpAndClamps)
{
    const std::pair<float, int32_t> cases[] = {
        { -3.0f, -3 },
        { -2.7f, -3 },
        { 2.5f, 3 },
        { -2.5f, -2 },
        { 0.49999997f, 0 }, // float arithmetic would round 0.49999997 + 0.5 up to 1
        { 2147483520.0f, 2147483520 }, // the largest float below 2^31
        { 1e20f, INT32_MAX },
        { -1e20f, INT32_MIN },
        { INFINITY, INT32_MAX },
        { -INFINITY, INT32_MIN },
        { NAN, 0 },
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(SYS_Round(value), expected) << value;
}

TEST(Numbers, TruncateTowardZero)
{
    EXPECT_EQ(SYS_Truncate(-2.5f), -2.0);
    EXPECT_EQ(SYS_Truncate(2.75f), 2.0);
    EXPECT_EQ(SYS_Truncate(-3.0f), -3.0);
    EXPECT_TRUE(std::isnan(SYS_Truncate(NAN)));
}

}
