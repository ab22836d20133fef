// The module's file-level system calls on Win32: the platform family, the temporary folder,
// deletion at restart, folders, replacing files, and the ANSI code page conversions of the 8-bit
// shell calls.
#include "installlib/os_files.h"

#include <climits>
#include <windows.h>

namespace installlib::os {

namespace {

const wchar_t* Wide(const char16_t* text)
{
    return reinterpret_cast<const wchar_t*>(text);
}

FolderResult FolderResultOf(BOOL created)
{
    if (created)
        return FolderResult::Created;
    return GetLastError() == ERROR_ALREADY_EXISTS ? FolderResult::Exists : FolderResult::Failed;
}

int Units(uint32_t capacity)
{
    return capacity > INT_MAX ? INT_MAX : static_cast<int>(capacity);
}

}

bool HasWideCalls()
{
    OSVERSIONINFOA version {};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = GetVersionExA(&version);
#pragma GCC diagnostic pop
    return known && version.dwPlatformId >= VER_PLATFORM_WIN32_NT;
}

uint32_t TempPathW(char16_t* buffer, uint32_t capacity)
{
    return GetTempPathW(capacity, reinterpret_cast<wchar_t*>(buffer));
}

uint32_t TempPathA(char* buffer, uint32_t capacity)
{
    return GetTempPathA(capacity, buffer);
}

void RemoveTempFolder()
{
}

bool ReplaceFileW(const char16_t* from, const char16_t* to)
{
    const DWORD attributes = GetFileAttributesW(Wide(to));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        (void)SetFileAttributesW(Wide(to), attributes & ~FILE_ATTRIBUTE_READONLY);
    return MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool ReplaceFileA(const char* from, const char* to)
{
    const DWORD attributes = GetFileAttributesA(to);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        (void)SetFileAttributesA(to, attributes & ~FILE_ATTRIBUTE_READONLY);
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool AllowRunning(const char16_t*)
{
    return true;
}

bool DeleteAtRestart(const char16_t* path)
{
    return MoveFileExW(Wide(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

FolderResult CreateFolderW(const char16_t* path)
{
    return FolderResultOf(CreateDirectoryW(Wide(path), nullptr));
}

FolderResult CreateFolderA(const char* path)
{
    return FolderResultOf(CreateDirectoryA(path, nullptr));
}

uint32_t WideToAnsi(char* destination, uint32_t capacity, const char16_t* source)
{
    const int bytes = WideCharToMultiByte(
        CP_ACP, 0, Wide(source), -1, destination, Units(capacity), nullptr, nullptr);
    return bytes > 0 ? static_cast<uint32_t>(bytes) : 0;
}

uint32_t AnsiToWide(char16_t* destination, uint32_t capacity, const char* source)
{
    const int units = MultiByteToWideChar(
        CP_ACP, 0, source, -1, reinterpret_cast<wchar_t*>(destination), Units(capacity));
    return units > 0 ? static_cast<uint32_t>(units) : 0;
}

}
