// The tick count moves forward in milliseconds.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(ClockTicks, MoveForward)
{
    const uint32_t before = SYS_TickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const uint32_t elapsed = SYS_TickCount() - before; // unsigned: right across a wrap too
    EXPECT_GT(elapsed, 0u);
    EXPECT_LT(elapsed, 3600u * 1000u);
}

}
