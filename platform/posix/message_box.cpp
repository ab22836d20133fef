// Plain message boxes on POSIX: there is no window to show one in, so the caption and the text
// go to the error stream as one line and the box is answered with its default button.
#include "platform/platform.h"

#include <cstdio>
#include <string>

namespace {

uint32_t DefaultAnswer(uint32_t flags)
{
    return (flags & 0xF) == SYS_MB_OK ? SYS_ID_OK : SYS_ID_CANCEL;
}

// Wide text in UTF-8; text that is not valid UTF-16 is narrowed unit by unit instead, so that
// the message is still shown.
std::string Utf8Of(const char16_t* text)
{
    if (text == nullptr)
        return std::string();
    uint32_t size = 0;
    if (SYS_WideToUtf8(nullptr, &size, text) == SYS_SIZE_ONLY) {
        std::string bytes(size, '\0');
        if (SYS_WideToUtf8(bytes.data(), &size, text) == SYS_OK)
            return bytes.c_str();
    }
    std::string narrowed(SYS_WStrLen(text) + 1, '\0');
    SYS_WStrToStr(narrowed.data(), narrowed.size(), text);
    return narrowed.c_str();
}

}

uint32_t SYS_MessageBox(const char* text, const char* caption, uint32_t flags)
{
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return DefaultAnswer(flags);
}

uint32_t SYS_WMessageBox(const char16_t* text, const char16_t* caption, uint32_t flags)
{
    return SYS_MessageBox(Utf8Of(text).c_str(), Utf8Of(caption).c_str(), flags);
}
