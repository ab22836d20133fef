// The layer's nested start and stop, and the trace sink.
#include "platform/platform.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(Layer, NestedInitKeepsTheFirstRecord)
{
    ASSERT_EQ(SYS_InitDepth(), 0u);
    const SYS_StartRecord first { sizeof(SYS_StartRecord), "patch.log", 0x400000 };
    const SYS_StartRecord zero {};
    EXPECT_EQ(SYS_Init(&first), SYS_OK);
    EXPECT_EQ(SYS_Init(&zero), SYS_OK);
    EXPECT_EQ(SYS_Init(nullptr), SYS_OK);
    SYS_Shutdown();
    EXPECT_EQ(SYS_InitDepth(), 2u);
    ASSERT_NE(SYS_StartInfo(), nullptr);
    EXPECT_STREQ(SYS_StartInfo()->logName, "patch.log");
    EXPECT_EQ(SYS_StartInfo()->appValue, 0x400000u);
    SYS_Shutdown();
    SYS_Shutdown();
    SYS_Shutdown(); // one too many: stays at 0
    EXPECT_EQ(SYS_InitDepth(), 0u);
    EXPECT_EQ(SYS_StartInfo(), nullptr);
}

std::string g_traced;

TEST(Layer, TraceReachesTheInstalledSinkOnly)
{
    g_traced.clear();
    auto capture = [](uint32_t tag, int level, const char* text) {
        g_traced += std::to_string(tag) + ":" + std::to_string(level) + ":" + text + ";";
    };
    SYS_TraceSink previous = SYS_SetTraceSink(capture);
    SYS_Trace(7, 2, "reason");
    SYS_Trace(7, 1, nullptr); // a null text reaches the sink as an empty one
    (void)SYS_SetTraceSink(previous);
    SYS_Trace(1, 0, "after");
    EXPECT_EQ(g_traced, "7:2:reason;7:1:;");
}

}
