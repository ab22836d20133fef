// Files of the archive file system on Win32: CreateFileA/W shared for reading and writing,
// ReadFile (also at an explicit offset), SetFilePointer and GetFileSize with their high words,
// CloseHandle, and GetFileAttributesExA. The invalid-handle value never leaves this file.
#include "bigfile/os_file.h"

#include <windows.h>

namespace bigfile::os {

namespace {

constexpr uint32_t SEQUENTIAL_BIT = 2;

HANDLE ToHandle(uintptr_t file)
{
    return reinterpret_cast<HANDLE>(file);
}

uintptr_t FromCreated(HANDLE file)
{
    return file == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<uintptr_t>(file);
}

DWORD Access(uint32_t flags)
{
    return (flags & ~SEQUENTIAL_BIT) | GENERIC_READ;
}

DWORD Hints(uint32_t flags)
{
    return (flags & SEQUENTIAL_BIT) != 0 ? FILE_FLAG_SEQUENTIAL_SCAN : 0;
}

uint64_t Join(DWORD low, DWORD high)
{
    return (uint64_t { high } << 32) | low;
}

}

uintptr_t Open(const char* name, uint32_t flags)
{
    return FromCreated(CreateFileA(name, Access(flags), FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, Hints(flags), nullptr));
}

uintptr_t OpenW(const char16_t* name, uint32_t flags)
{
    return FromCreated(CreateFileW(reinterpret_cast<const wchar_t*>(name), Access(flags),
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, Hints(flags), nullptr));
}

uint32_t Read(uintptr_t file, void* buffer, uint32_t count)
{
    DWORD got = 0;
    return ReadFile(ToHandle(file), buffer, count, &got, nullptr) ? got : 0;
}

// ReadFile with an OVERLAPPED offset on a handle opened for synchronous use reads at that offset
// and waits for the bytes; no other thread's seek can come between.
uint32_t ReadAt(uintptr_t file, uint64_t offset, void* buffer, uint32_t count)
{
    auto* bytes = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < count && offset + done <= uint64_t { INT64_MAX }) {
        uint64_t at = offset + done;
        OVERLAPPED where {};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD got = 0;
        if (!ReadFile(ToHandle(file), bytes + done, count - done, &got, &where) || got == 0)
            break;
        done += got;
    }
    return done;
}

uint64_t Seek(uintptr_t file, int64_t offset, uint32_t method)
{
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(NO_ERROR);
    DWORD low
        = SetFilePointer(ToHandle(file), static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return UINT64_MAX;
    return Join(low, static_cast<DWORD>(high));
}

uint64_t Size(uintptr_t file)
{
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD low = GetFileSize(ToHandle(file), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return UINT64_MAX;
    return Join(low, high);
}

bool Close(uintptr_t file)
{
    return CloseHandle(ToHandle(file)) != 0;
}

bool Attributes(const char* name, uint32_t* attributes, uint64_t* writeTime)
{
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!GetFileAttributesExA(name, GetFileExInfoStandard, &data))
        return false;
    *attributes = data.dwFileAttributes;
    *writeTime = Join(data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime);
    return true;
}

}
