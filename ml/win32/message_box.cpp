// The default error sink on Windows: the message in a plain message box, as the installer shows
// load errors before its own window exists.
#include "ml/os_message.h"

#include <windows.h>

namespace ml::os {

void ShowLoadError(const char16_t* message)
{
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(message),
        L"Error loading multi-language database", MB_OK);
}

}
