// Turning the shortcut records of the installer data into link records of the link list.
// Each record is five text-database entries; its first names the location (a letter) and the
// shortcut, which must be a plain file name so that no link can be written outside its folder.
#include "installlib/installlib_internal.h"

#include "ml/ml.h"

namespace {

using namespace installlib::detail;

// The entries of one installer-data record, relative to its first id.
enum RecordEntry : int64_t { NAME = 0, TARGET = 1, ARGUMENTS = 2, DESCRIPTION = 3, ICON = 4 };

// Whether the entry holds a value: an id of the table (the fallback entry is none) whose text
// is neither empty nor "NONE".
bool Present(int64_t id)
{
    return id >= 0 && id < ML_FALLBACK_ID && ML_GetFlag(static_cast<int32_t>(id));
}

const char16_t* Text(int64_t id)
{
    return ML_GetStringW(static_cast<int32_t>(id));
}

// Sets *field to a new block of first followed by second; false without memory.
bool SetField(char16_t** field, const char16_t* first, const char16_t* second, const char* label)
{
    *field = JoinToBlock(first, second, label);
    return *field != nullptr;
}

// A target below the base folder may come with arguments; without it, the arguments entry
// holds the target as a full path.
bool ReadTarget(LinkRecord* record, int64_t first, const char16_t* base)
{
    if (Present(first + TARGET))
        return SetField(&record->target, base, Text(first + TARGET), "Shortcut - destination")
            && (!Present(first + ARGUMENTS)
                || SetField(
                    &record->arguments, Text(first + ARGUMENTS), nullptr, "Shortcut - arguments"));
    return !Present(first + ARGUMENTS)
        || SetField(&record->target, Text(first + ARGUMENTS), nullptr, "Shortcut - destination");
}

// Fills the strings of record from the entries after its name. False without memory.
bool ReadProperties(LinkRecord* record, int64_t first, const char16_t* base)
{
    if (!ReadTarget(record, first, base))
        return false;
    if (Present(first + DESCRIPTION)
        && !SetField(
            &record->description, Text(first + DESCRIPTION), nullptr, "Shortcut - description"))
        return false;
    // A whole number is an icon of the target; anything else names an icon file below the base.
    const bool iconFile = Present(first + ICON)
        && ML_GetInt(static_cast<int32_t>(first + ICON), &record->iconIndex) == 0;
    return !iconFile || SetField(&record->iconFile, base, Text(first + ICON), "Shortcut - icon");
}

// A new link record of the given kind from the record at first, or null.
LinkRecord* MakeRecord(uint32_t kind, int64_t first, const char16_t* base)
{
    auto* record = static_cast<LinkRecord*>(SYS_Alloc(sizeof(LinkRecord), "Shortcut", TAG));
    if (!record)
        return nullptr;
    SYS_Zero(record, sizeof(LinkRecord));
    record->kind = kind;
    record->name = JoinToBlock(Text(first + NAME) + 1, u".lnk", "Shortcut - name");
    if (!record->name || !ReadProperties(record, first, base)) {
        ReleaseLinkRecord(0, reinterpret_cast<uintptr_t>(record));
        return nullptr;
    }
    return record;
}

// Adds the record at the head of the list with the list's count as its id.
bool AddRecord(SYS_ItemStore* list, LinkRecord* record)
{
    uint32_t count = 0;
    if (SYS_StoreCount(list, &count) == SYS_OK
        && SYS_StoreAdd(list, count, reinterpret_cast<uintptr_t>(record), SYS_AT_HEAD) == SYS_OK)
        return true;
    ReleaseLinkRecord(0, reinterpret_cast<uintptr_t>(record));
    return false;
}

// Loads the record at first: one link record, or two for the location letter "X" (programs
// menu first, then desktop). Returns the number added.
uint32_t LoadRecord(SYS_ItemStore* list, int64_t first, const char16_t* base)
{
    if (!Present(first + NAME) || !IsPlainFileName(Text(first + NAME) + 1))
        return 0;
    // "D" makes a desktop link, "X" a programs-menu link and then a desktop link, any other
    // letter a programs-menu link.
    static constexpr uint32_t KINDS[] = { LINK_PROGRAMS, LINK_DESKTOP };
    const char16_t letter = Text(first + NAME)[0];
    const size_t firstKind = letter == u'D' ? 1 : 0;
    const size_t lastKind = letter == u'D' || letter == u'X' ? 1 : 0;
    uint32_t added = 0;
    for (size_t kind = firstKind; kind <= lastKind; ++kind) {
        LinkRecord* record = MakeRecord(KINDS[kind], first, base);
        if (record && AddRecord(list, record))
            ++added;
    }
    return added;
}

// A copy of the base folder that ends in a separator (unless it is empty), or null.
char16_t* BaseFolderCopy(const char16_t* baseFolder)
{
    const size_t length = SYS_WStrLen(baseFolder);
    auto* copy = static_cast<char16_t*>(
        SYS_Alloc((length + 2) * sizeof(char16_t), "LoadLinks - tmp", TAG));
    if (!copy)
        return nullptr;
    SYS_Copy(copy, baseFolder, length * sizeof(char16_t));
    copy[length] = 0;
    (void)EnsureSeparator(copy, length + 2);
    return copy;
}

}

namespace installlib::detail {

void ReleaseLinkRecord(uint32_t, uintptr_t value)
{
    auto* record = reinterpret_cast<LinkRecord*>(value);
    if (!record)
        return;
    SYS_Free(record->name);
    SYS_Free(record->target);
    SYS_Free(record->arguments);
    SYS_Free(record->description);
    SYS_Free(record->iconFile);
    SYS_Free(record);
}

}

uint32_t LoadLinks(uint32_t firstId, uint32_t stride, uint32_t count, const char16_t* baseFolder)
{
    SYS_ItemStore* list = LinkList();
    char16_t* base = list ? BaseFolderCopy(baseFolder) : nullptr;
    if (!base)
        return 0;
    uint32_t added = 0;
    for (uint32_t r = 0; r < count; ++r)
        added += LoadRecord(list, int64_t { firstId } + int64_t { r } * stride, base);
    SYS_Free(base);
    return added;
}
