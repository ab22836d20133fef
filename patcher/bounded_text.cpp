// Bounded text work shared by the module: appending to a fixed buffer without ever cutting a
// path short, joining a folder and a name, the file-API conversion of 8-bit paths, and copies
// of texts in blocks of their own.
#include "patcher/patcher_internal.h"

namespace patcher::detail {

bool Append(char* destination, size_t capacity, const char* source)
{
    const size_t used = SYS_StrLen(destination);
    const size_t added = SYS_StrLen(source);
    if (used >= capacity || added >= capacity - used)
        return false;
    SYS_Copy(destination + used, source, added);
    destination[used + added] = 0;
    return true;
}

bool EnsureSeparator(char* destination, size_t capacity)
{
    const size_t length = SYS_StrLen(destination);
    if (length == 0 || destination[length - 1] == '\\' || destination[length - 1] == '/')
        return true;
    return Append(destination, capacity, "\\");
}

bool JoinPath(char* destination, size_t capacity, const char* folder, const char* name)
{
    if (capacity == 0)
        return false;
    if (SYS_StrCopy(destination, capacity, folder) < capacity
        && EnsureSeparator(destination, capacity) && Append(destination, capacity, name))
        return true;
    destination[0] = 0;
    return false;
}

bool FileApiToWidePath(char16_t* destination, size_t capacity, const char* path)
{
    uint32_t room = capacity < UINT32_MAX ? static_cast<uint32_t>(capacity) : UINT32_MAX;
    return room != 0 && SYS_FileApiToWide(destination, &room, path) == SYS_OK;
}

char* CopyToBlock(const char* text, const char* label)
{
    const size_t length = SYS_StrLen(text);
    auto* block = static_cast<char*>(Sys().alloc(length + 1, label, TAG));
    if (block == nullptr)
        return nullptr;
    SYS_Copy(block, text, length);
    block[length] = 0;
    return block;
}

}
