// The module's low-level file calls and path helpers, and its message boxes. The rules every
// system shares (null names, the handle 0, the wide or 8-bit choice) live here; the calls
// themselves are the backend's.
#include "bigfile/bigfile_internal.h"
#include "bigfile/os_file.h"

namespace bigfile::detail {

namespace {

int g_wideOverride = -1;

const char16_t* AfterLastSeparator(const char16_t* path)
{
    const char16_t* part = path;
    for (const char16_t* at = path; *at != 0; ++at)
        if (*at == u'\\' || *at == u'/')
            part = at + 1;
    return part;
}

}

bool UseWideCalls()
{
    static const bool systemHasWideCalls = os::HasWideCalls();
    return g_wideOverride >= 0 ? g_wideOverride != 0 : systemHasWideCalls;
}

void SetWideCallsForTest(bool wide)
{
    g_wideOverride = wide ? 1 : 0;
}

uint32_t SysReadAt(SYS_Handle file, uint64_t offset, void* buffer, uint32_t count)
{
    return file == 0 || buffer == nullptr || count == 0 ? 0
                                                        : os::ReadAt(file, offset, buffer, count);
}

bool IsSystemPath(const char* name)
{
    return SYS_PathIsAbsolute(name) || name[0] == '\\' || name[0] == '/'
        || (name[0] != '\0' && name[1] == ':');
}

bool AskRetryNotFound(const char* name)
{
    return State().params.messageBoxes != 0
        && SYS_MessageBox(name, "File not found!", SYS_MB_RETRY_CANCEL | SYS_MB_TASK_MODAL)
        == SYS_ID_RETRY;
}

void ShowNotice(const char* text, const char* caption)
{
    if (State().params.messageBoxes != 0)
        SYS_MessageBox(text, caption, SYS_MB_OK | SYS_MB_TASK_MODAL);
}

}

using namespace bigfile::detail;
namespace os = bigfile::os;

SYS_Handle BF_SysOpen(const char* name, uint32_t flags)
{
    return name == nullptr ? 0 : os::Open(name, flags);
}

SYS_Handle BF_SysOpenW(const char16_t* name, uint32_t flags)
{
    return name == nullptr ? 0 : os::OpenW(name, flags);
}

uint32_t BF_SysRead(SYS_Handle file, void* buffer, uint32_t count)
{
    return file == 0 || buffer == nullptr || count == 0 ? 0 : os::Read(file, buffer, count);
}

uint64_t BF_SysSeek(SYS_Handle file, int64_t offset, uint32_t method)
{
    return file == 0 || method > 2 ? BF_BAD_POSITION : os::Seek(file, offset, method);
}

uint64_t BF_SysSize(SYS_Handle file)
{
    return file == 0 ? BF_BAD_POSITION : os::Size(file);
}

int BF_SysClose(SYS_Handle file)
{
    return file != 0 && os::Close(file) ? 1 : 0;
}

SYS_Handle BF_OpenWide(const char16_t* name, uint32_t flags)
{
    if (name == nullptr)
        return 0;
    if (UseWideCalls())
        return os::OpenW(name, flags);
    char narrow[PATH_CAPACITY];
    return os::NarrowForSystem(narrow, sizeof(narrow), name) ? os::Open(narrow, flags) : 0;
}

uint32_t BF_GetCurrentDir(uint32_t capacity, char16_t* buffer)
{
    if (buffer == nullptr || capacity == 0)
        return 0;
    if (UseWideCalls())
        return os::CurrentDirW(buffer, capacity);
    char narrow[PATH_CAPACITY];
    if (os::CurrentDir(narrow, sizeof(narrow)) == 0
        || !os::WidenFromSystem(buffer, capacity, narrow))
        return 0;
    return static_cast<uint32_t>(SYS_WStrLen(buffer));
}

int BF_SetCurrentDir(const char16_t* path)
{
    if (path == nullptr)
        return 0;
    if (UseWideCalls())
        return os::SetCurrentDirW(path) ? 1 : 0;
    char narrow[PATH_CAPACITY];
    return os::NarrowForSystem(narrow, sizeof(narrow), path) && os::SetCurrentDir(narrow) ? 1 : 0;
}

uint32_t BF_GetFullPath(
    const char16_t* name, uint32_t capacity, char16_t* buffer, char16_t** filePart)
{
    if (name == nullptr || buffer == nullptr || capacity == 0)
        return 0;
    uint32_t length = 0;
    if (UseWideCalls()) {
        length = os::FullPathW(name, buffer, capacity);
    } else {
        char narrow[PATH_CAPACITY];
        char full[PATH_CAPACITY];
        if (os::NarrowForSystem(narrow, sizeof(narrow), name)
            && os::FullPath(narrow, full, sizeof(full)) != 0
            && os::WidenFromSystem(buffer, capacity, full))
            length = static_cast<uint32_t>(SYS_WStrLen(buffer));
    }
    if (length != 0 && filePart != nullptr)
        *filePart = const_cast<char16_t*>(AfterLastSeparator(buffer));
    return length;
}
