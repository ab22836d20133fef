// Message boxes on POSIX: one "caption: text" line on the error stream, wide text in UTF-8, and
// the default answer, so that a box asking for Retry can never loop without a user.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MessageBox, OneLineOnStderrAndTheDefaultAnswer)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(SYS_MessageBox(
                  "C:\\data\\a.cbf", "File not found!", SYS_MB_RETRY_CANCEL | SYS_MB_TASK_MODAL),
        SYS_ID_CANCEL);
    EXPECT_EQ(SYS_MessageBox(nullptr, "Notice", SYS_MB_OK), SYS_ID_OK);
    EXPECT_EQ(
        testing::internal::GetCapturedStderr(), "File not found!: C:\\data\\a.cbf\nNotice: \n");

    const char16_t unpaired[] = { u'x', 0xD800, 0 };
    testing::internal::CaptureStderr();
    EXPECT_EQ(SYS_WMessageBox(u"caf\u00e9 (line 3)", u"Error", SYS_MB_OK), SYS_ID_OK);
    EXPECT_EQ(SYS_WMessageBox(unpaired, u"Error", SYS_MB_OK), SYS_ID_OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: caf\xC3\xA9 (line 3)\nError: x?\n");
}

}
