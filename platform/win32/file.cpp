// Files on Win32 with the calls the system is defined with: CreateFileA/W shared for reading
// only, ReadFile, WriteFile, SetFilePointer without a high word, DeleteFileA/W. The system's
// invalid-handle value never leaves this file: a failed open is the handle 0.
#include "platform/os_file.h"

#include <windows.h>

namespace platform::os {

namespace {

HANDLE ToHandle(uintptr_t file)
{
    return reinterpret_cast<HANDLE>(file);
}

uintptr_t FromCreated(HANDLE file)
{
    return file == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<uintptr_t>(file);
}

DWORD Access(uint32_t mode)
{
    return ((mode & 1) != 0 ? GENERIC_READ : 0) | ((mode & 2) != 0 ? GENERIC_WRITE : 0);
}

const wchar_t* ToWide(const char16_t* name)
{
    return reinterpret_cast<const wchar_t*>(name);
}

// Every file is shared for reading only (see os_file.h).
uintptr_t Open(const char* name, DWORD access, DWORD disposition)
{
    return FromCreated(
        CreateFileA(name, access, FILE_SHARE_READ, nullptr, disposition, 0, nullptr));
}

uintptr_t Open(const char16_t* name, DWORD access, DWORD disposition)
{
    return FromCreated(
        CreateFileW(ToWide(name), access, FILE_SHARE_READ, nullptr, disposition, 0, nullptr));
}

DeleteResult FromDelete(BOOL deleted)
{
    if (deleted)
        return DeleteResult::Deleted;
    return GetLastError() == ERROR_FILE_NOT_FOUND ? DeleteResult::NotFound : DeleteResult::Failed;
}

}

uintptr_t FileOpen(const char* name, uint32_t mode)
{
    return Open(name, Access(mode), OPEN_EXISTING);
}

uintptr_t FileOpenW(const char16_t* name, uint32_t mode)
{
    return Open(name, Access(mode), OPEN_EXISTING);
}

uintptr_t FileCreate(const char* name)
{
    return Open(name, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
}

uintptr_t FileCreateW(const char16_t* name)
{
    return Open(name, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
}

uintptr_t FileCreateNew(const char* name)
{
    return Open(name, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
}

uintptr_t FileCreateNewW(const char16_t* name)
{
    return Open(name, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
}

bool FileClose(uintptr_t file)
{
    return CloseHandle(ToHandle(file)) != 0;
}

bool FileRead(uintptr_t file, void* buffer, uint32_t count, uint32_t* done)
{
    DWORD got = 0;
    BOOL succeeded = ReadFile(ToHandle(file), buffer, count, &got, nullptr);
    *done = got;
    return succeeded != 0;
}

bool FileWrite(uintptr_t file, const void* buffer, uint32_t count, uint32_t* done)
{
    DWORD put = 0;
    BOOL succeeded = WriteFile(ToHandle(file), buffer, count, &put, nullptr);
    *done = put;
    return succeeded != 0;
}

bool FileSeek(uintptr_t file, int32_t offset, uint32_t origin, uint32_t* position)
{
    static constexpr DWORD METHODS[] = { FILE_BEGIN, FILE_CURRENT, FILE_END };
    DWORD moved = SetFilePointer(ToHandle(file), offset, nullptr, METHODS[origin]);
    if (moved == INVALID_SET_FILE_POINTER)
        return false;
    *position = moved;
    return true;
}

DeleteResult FileDelete(const char* name)
{
    return FromDelete(DeleteFileA(name));
}

DeleteResult FileDeleteW(const char16_t* name)
{
    return FromDelete(DeleteFileW(ToWide(name)));
}

}
