// Version resources on POSIX: the module's PE reader finds the resource in the file, and
// lookups go through the version tree; text values are handed out as UTF-8, the 8-bit text of
// this system.
#include "installlib/installlib_internal.h"
#include "installlib/posix/posix_text.h"

#include <climits>

namespace installlib::os {

struct VersionInfo {
    uint8_t* resource;
    uint32_t size;
    char* text; // the last text value looked up
};

namespace {

bool ReadFileAt(void* context, uint64_t offset, void* buffer, uint32_t count)
{
    const auto file = *static_cast<const SYS_Handle*>(context);
    uint32_t position = 0;
    return offset <= INT32_MAX
        && SYS_FileSeek(file, static_cast<int32_t>(offset), 0, &position) == SYS_OK
        && SYS_FileRead(file, buffer, count) == SYS_OK;
}

// The resource's bytes in a new block, or the status that GetFileVersionInfo would give.
SYS_Status ReadResource(SYS_Handle file, VersionInfo* info)
{
    detail::ByteSource source { ReadFileAt, &file };
    uint64_t offset = 0;
    if (!detail::FindVersionResource(source, &offset, &info->size))
        return SYS_FILE_NOT_FOUND;
    info->resource = static_cast<uint8_t*>(SYS_Alloc(info->size, "Version info", detail::TAG));
    if (!info->resource || !ReadFileAt(&file, offset, info->resource, info->size))
        return SYS_OS_ERROR;
    return SYS_OK;
}

// The text value as UTF-8 up to its first terminator, kept in info until the next lookup.
bool KeepText(VersionInfo* info, const detail::VersionValue& value, uint32_t* length)
{
    std::u16string units;
    for (uint32_t i = 0; i + 1 < value.byteCount; i += 2) {
        const char16_t unit = static_cast<char16_t>(SYS_LoadU16(value.bytes + i));
        if (unit == 0)
            break;
        units += unit;
    }
    const auto utf8 = posix::ToUtf8(units.c_str(), units.size());
    if (!utf8)
        return false;
    SYS_Free(info->text);
    info->text = static_cast<char*>(SYS_Alloc(utf8->size() + 1, "Version text", detail::TAG));
    if (!info->text)
        return false;
    SYS_Copy(info->text, utf8->c_str(), utf8->size() + 1);
    *length = static_cast<uint32_t>(utf8->size() + 1);
    return true;
}

}

SYS_Status LoadVersionInfo(const char* path, VersionInfo** info)
{
    const SYS_Handle file = SYS_FileOpen(path, SYS_OPEN_READ);
    if (file == 0)
        return SYS_FILE_NOT_FOUND;
    auto* loaded
        = static_cast<VersionInfo*>(SYS_Alloc(sizeof(VersionInfo), "Version info", detail::TAG));
    SYS_Status status = SYS_OS_ERROR;
    if (loaded) {
        *loaded = {};
        status = ReadResource(file, loaded);
    }
    (void)SYS_FileClose(file);
    if (status != SYS_OK) {
        FreeVersionInfo(loaded);
        return status;
    }
    *info = loaded;
    return SYS_OK;
}

bool QueryVersionValue(
    VersionInfo* info, const char* subBlock, const void** value, uint32_t* length)
{
    detail::VersionValue found {};
    if (!detail::FindVersionValue(info->resource, info->size, subBlock, &found))
        return false;
    if (found.isText) {
        if (!KeepText(info, found, length))
            return false;
        *value = info->text;
        return true;
    }
    *value = found.bytes;
    *length = found.byteCount;
    return true;
}

void FreeVersionInfo(VersionInfo* info)
{
    if (!info)
        return;
    SYS_Free(info->resource);
    SYS_Free(info->text);
    SYS_Free(info);
}

}
