// Folders and full path names on Win32, by the wide calls or the 8-bit ones. Systems without
// the wide calls (the 9x family, told by GetVersionExA) take 8-bit names in the OEM code page.
#include "bigfile/os_file.h"

#include <climits>
#include <windows.h>

namespace bigfile::os {

namespace {

wchar_t* Wide(char16_t* text)
{
    return reinterpret_cast<wchar_t*>(text);
}

const wchar_t* Wide(const char16_t* text)
{
    return reinterpret_cast<const wchar_t*>(text);
}

int Units(size_t capacity)
{
    return capacity > INT_MAX ? INT_MAX : static_cast<int>(capacity);
}

// The calls answer the size they need when the buffer is too small; that counts as failure.
uint32_t Fitted(DWORD length, uint32_t capacity)
{
    return length != 0 && length < capacity ? length : 0;
}

}

bool HasWideCalls()
{
    OSVERSIONINFOA version {};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    BOOL known = GetVersionExA(&version);
#pragma GCC diagnostic pop
    return known && version.dwPlatformId >= VER_PLATFORM_WIN32_NT;
}

bool NarrowForSystem(char* destination, size_t capacity, const char16_t* source)
{
    return WideCharToMultiByte(
               CP_OEMCP, 0, Wide(source), -1, destination, Units(capacity), nullptr, nullptr)
        > 0;
}

bool WidenFromSystem(char16_t* destination, size_t capacity, const char* source)
{
    return MultiByteToWideChar(CP_OEMCP, 0, source, -1, Wide(destination), Units(capacity)) > 0;
}

uint32_t CurrentDir(char* buffer, uint32_t capacity)
{
    return Fitted(GetCurrentDirectoryA(capacity, buffer), capacity);
}

uint32_t CurrentDirW(char16_t* buffer, uint32_t capacity)
{
    return Fitted(GetCurrentDirectoryW(capacity, Wide(buffer)), capacity);
}

bool SetCurrentDir(const char* path)
{
    return SetCurrentDirectoryA(path) != 0;
}

bool SetCurrentDirW(const char16_t* path)
{
    return SetCurrentDirectoryW(Wide(path)) != 0;
}

uint32_t FullPath(const char* name, char* buffer, uint32_t capacity)
{
    return Fitted(GetFullPathNameA(name, capacity, buffer, nullptr), capacity);
}

uint32_t FullPathW(const char16_t* name, char16_t* buffer, uint32_t capacity)
{
    return Fitted(GetFullPathNameW(Wide(name), capacity, Wide(buffer), nullptr), capacity);
}

}
