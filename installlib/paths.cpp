// Bounded path work shared by the module: appending to a fixed buffer without ever cutting a
// path short, joined copies in blocks of their own, the file-API conversions and the
// temporary folder.
#include "installlib/installlib_internal.h"

namespace installlib::detail {

bool Append(char16_t* destination, size_t capacity, const char16_t* source)
{
    const size_t used = SYS_WStrLen(destination);
    const size_t added = SYS_WStrLen(source);
    if (used >= capacity || added >= capacity - used)
        return false;
    SYS_Copy(destination + used, source, added * sizeof(char16_t));
    destination[used + added] = 0;
    return true;
}

bool EnsureSeparator(char16_t* destination, size_t capacity)
{
    const size_t length = SYS_WStrLen(destination);
    if (length == 0 || destination[length - 1] == u'\\' || destination[length - 1] == u'/')
        return true;
    return Append(destination, capacity, u"\\");
}

bool FolderOf(char16_t* folder, size_t capacity, const char16_t* path)
{
    const size_t length = SYS_WPathDir(folder, capacity, path);
    if (length >= capacity)
        return false;
    if (length == 0 || (folder[length - 1] != u'\\' && folder[length - 1] != u'/'))
        folder[0] = 0;
    return true;
}

bool IsPlainFileName(const char16_t* name)
{
    if (!name || name[0] == 0)
        return false;
    for (const char16_t* at = name; *at != 0; ++at)
        if (*at == u'\\' || *at == u'/' || *at == u':')
            return false;
    return true;
}

char16_t* JoinToBlock(const char16_t* first, const char16_t* second, const char* label)
{
    const size_t firstLength = SYS_WStrLen(first);
    const size_t secondLength = SYS_WStrLen(second);
    auto* block = static_cast<char16_t*>(
        SYS_Alloc((firstLength + secondLength + 1) * sizeof(char16_t), label, TAG));
    if (!block)
        return nullptr;
    SYS_Copy(block, first, firstLength * sizeof(char16_t));
    SYS_Copy(block + firstLength, second, secondLength * sizeof(char16_t));
    block[firstLength + secondLength] = 0;
    return block;
}

bool ToFileApi(char* destination, size_t capacity, const char16_t* source)
{
    auto units = static_cast<uint32_t>(capacity);
    return capacity > 0 && capacity <= UINT32_MAX
        && SYS_WideToFileApi(destination, &units, source) == SYS_OK;
}

bool FromFileApi(char16_t* destination, size_t capacity, const char* source)
{
    auto units = static_cast<uint32_t>(capacity);
    return capacity > 0 && capacity <= UINT32_MAX
        && SYS_FileApiToWide(destination, &units, source) == SYS_OK;
}

namespace {

// GetTempPath answers the size it needs, without writing, when the buffer is too small: only
// a length below the capacity means the path is in the buffer.
bool Fits(uint32_t length, size_t capacity)
{
    return length != 0 && length < capacity;
}

}

bool TempFolder(char16_t* buffer, size_t capacity)
{
    if (capacity == 0 || capacity > UINT32_MAX)
        return false;
    const auto units = static_cast<uint32_t>(capacity);
    if (UseWideCalls()) {
        const uint32_t length = Sys().tempPathW(buffer, units);
        if (!Fits(length, capacity))
            return false;
        buffer[length] = 0;
    } else {
        char narrow[PATH_CAPACITY];
        const uint32_t length = Sys().tempPathA(narrow, sizeof(narrow));
        if (!Fits(length, sizeof(narrow)))
            return false;
        narrow[length] = 0;
        if (!FromFileApi(buffer, capacity, narrow))
            return false;
    }
    return EnsureSeparator(buffer, capacity);
}

}
