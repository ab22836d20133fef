// The default error sink on POSIX: the caption and the message as one line on stderr, in the
// file-API code page (UTF-8 here).
#include "ml/ml.h"
#include "ml/os_message.h"

#include "platform/platform.h"

#include <cstdio>

namespace ml::os {

void ShowLoadError(const char16_t* message)
{
    // Each unit takes at most 3 bytes of UTF-8.
    char text[ML_MESSAGE_CAPACITY * 3 + 1];
    uint32_t capacity = sizeof text;
    if (SYS_WideToFileApi(text, &capacity, message) != SYS_OK)
        SYS_WStrToStr(text, sizeof text, message);
    std::fprintf(stderr, "Error loading multi-language database: %s\n", text);
}

}
