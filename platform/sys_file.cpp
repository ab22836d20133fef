// Files: the rules both systems share, above the backends of os_file.h. Null names and the
// handle 0 fail before any system call; the status of a read or write is decided here from
// what the backend transferred.
#include "platform/os_file.h"
#include "platform/platform.h"

namespace {

constexpr uint32_t ORIGIN_START = 0;
constexpr uint32_t ORIGIN_CURRENT = 1;
constexpr uint32_t ORIGIN_END = 2;

SYS_Status FromDelete(platform::os::DeleteResult result)
{
    switch (result) {
    case platform::os::DeleteResult::Deleted:
        return SYS_OK;
    case platform::os::DeleteResult::NotFound:
        return SYS_FILE_NOT_FOUND;
    case platform::os::DeleteResult::Failed:
        break;
    }
    return SYS_OS_ERROR;
}

uint32_t AccessBits(uint32_t mode)
{
    return mode & (SYS_OPEN_READ | SYS_OPEN_WRITE);
}

}

using namespace platform;

SYS_Handle SYS_FileOpen(const char* name, uint32_t mode)
{
    return name != nullptr ? os::FileOpen(name, AccessBits(mode)) : 0;
}

SYS_Handle SYS_FileOpenW(const char16_t* name, uint32_t mode)
{
    return name != nullptr ? os::FileOpenW(name, AccessBits(mode)) : 0;
}

SYS_Handle SYS_FileCreate(const char* name)
{
    return name != nullptr ? os::FileCreate(name) : 0;
}

SYS_Handle SYS_FileCreateW(const char16_t* name)
{
    return name != nullptr ? os::FileCreateW(name) : 0;
}

SYS_Handle SYS_FileCreateNew(const char* name)
{
    return name != nullptr ? os::FileCreateNew(name) : 0;
}

SYS_Handle SYS_FileCreateNewW(const char16_t* name)
{
    return name != nullptr ? os::FileCreateNewW(name) : 0;
}

int SYS_FileClose(SYS_Handle file)
{
    return file != 0 && os::FileClose(file) ? 1 : 0;
}

SYS_Status SYS_FileRead(SYS_Handle file, void* buffer, uint32_t count)
{
    if (file == 0 || (buffer == nullptr && count > 0))
        return SYS_FAILED;
    uint32_t done = 0;
    if (!os::FileRead(file, buffer, count, &done))
        return SYS_FAILED;
    return done == count ? SYS_OK : SYS_OUT_OF_RANGE;
}

SYS_Status SYS_FileWrite(SYS_Handle file, const void* buffer, uint32_t count)
{
    if (file == 0 || (buffer == nullptr && count > 0))
        return SYS_FAILED;
    uint32_t done = 0;
    return os::FileWrite(file, buffer, count, &done) && done == count ? SYS_OK : SYS_FAILED;
}

SYS_Status SYS_FileSeek(SYS_Handle file, int32_t offset, uint32_t origin, uint32_t* newPosition)
{
    if (origin > ORIGIN_END)
        return SYS_BAD_ARGUMENT;
    uint32_t position = 0;
    if (file == 0 || !os::FileSeek(file, offset, origin, &position))
        return SYS_FAILED;
    if (newPosition != nullptr)
        *newPosition = position;
    return SYS_OK;
}

// Three seeks: where the file stands, where it ends, and back; the size is written only once
// the position is restored.
SYS_Status SYS_FileSize(SYS_Handle file, uint32_t* size)
{
    if (size == nullptr)
        return SYS_BAD_ARGUMENT;
    uint32_t here = 0;
    uint32_t end = 0;
    if (auto status = SYS_FileSeek(file, 0, ORIGIN_CURRENT, &here); status != SYS_OK)
        return status;
    if (auto status = SYS_FileSeek(file, 0, ORIGIN_END, &end); status != SYS_OK)
        return status;
    if (auto status = SYS_FileSeek(file, static_cast<int32_t>(here), ORIGIN_START, nullptr);
        status != SYS_OK)
        return status;
    *size = end;
    return SYS_OK;
}

SYS_Status SYS_FileDelete(const char* name)
{
    return name != nullptr ? FromDelete(os::FileDelete(name)) : SYS_BAD_ARGUMENT;
}

SYS_Status SYS_FileDeleteW(const char16_t* name)
{
    return name != nullptr ? FromDelete(os::FileDeleteW(name)) : SYS_BAD_ARGUMENT;
}
