// Plain message boxes on Win32: MessageBoxA and MessageBoxW without an owner window.
#include "platform/platform.h"

#include <windows.h>

static_assert(SYS_MB_OK == MB_OK && SYS_MB_RETRY_CANCEL == MB_RETRYCANCEL
    && SYS_MB_TASK_MODAL == MB_TASKMODAL);
static_assert(SYS_ID_OK == IDOK && SYS_ID_CANCEL == IDCANCEL && SYS_ID_RETRY == IDRETRY);

uint32_t SYS_MessageBox(const char* text, const char* caption, uint32_t flags)
{
    return static_cast<uint32_t>(
        MessageBoxA(nullptr, text ? text : "", caption ? caption : "", flags));
}

uint32_t SYS_WMessageBox(const char16_t* text, const char16_t* caption, uint32_t flags)
{
    return static_cast<uint32_t>(
        MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text ? text : u""),
            reinterpret_cast<const wchar_t*>(caption ? caption : u""), flags));
}
