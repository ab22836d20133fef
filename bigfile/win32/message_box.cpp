// The module's plain message boxes on Win32: task-modal boxes without an owner window, shown
// only before the installer's own window exists (the module is told by its start record).
#include "bigfile/os_file.h"

#include <windows.h>

namespace bigfile::os {

bool AskRetry(const char* text, const char* caption)
{
    return MessageBoxA(nullptr, text, caption, MB_RETRYCANCEL | MB_TASKMODAL) == IDRETRY;
}

void ShowMessage(const char* text, const char* caption)
{
    (void)MessageBoxA(nullptr, text, caption, MB_OK | MB_TASKMODAL);
}

}
