// The file list of a mounted patch archive (the distribution catalogue): the common folder, the
// folder of the installed distribution (or "Other"), and the editor-tools folders of the 3ds Max
// releases found. Every member name is checked before anything is copied, so an archive that
// would write outside the game folder or a 3ds Max folder is refused whole.
#include "patcher/patcher_internal.h"

#include "bigfile/bigfile.h"

namespace {

using namespace patcher::detail;

// The list being built and where a failure is reported.
struct Build {
    SYS_ItemStore* list;
    uint64_t total;
    char* failedName;
    size_t failedNameCapacity;
};

void ReleaseFileItem(uint32_t id, uintptr_t value)
{
    (void)id;
    auto* item = reinterpret_cast<FileItem*>(value);
    SYS_Free(item->srcFileName);
    SYS_Free(item->destFileName);
    SYS_Free(item);
}

bool Fail(Build& build, const char* name)
{
    if (build.failedName != nullptr)
        (void)SYS_StrCopy(build.failedName, build.failedNameCapacity, name);
    return false;
}

// The destination of a member found below prefix: the rest of its name lower-cased, below
// folder when one is given (editor tools), else relative to the game folder.
bool Destination(const char* name, size_t prefixLength, const char* folder, char* destination)
{
    char relative[PATH_CAPACITY];
    if (SYS_StrLen(name) <= prefixLength
        || SYS_StrCopy(relative, sizeof relative, name + prefixLength) >= sizeof relative)
        return false;
    SYS_StrLower(relative);
    if (BF_MemberNameFault(relative) != nullptr)
        return false;
    // Editor tools are the only absolute destinations, and only below an absolute folder.
    if (folder != nullptr)
        return SYS_PathIsAbsolute(folder) && JoinPath(destination, PATH_CAPACITY, folder, relative);
    return SYS_StrCopy(destination, PATH_CAPACITY, relative) < PATH_CAPACITY;
}

bool AddMember(Build& build, const char* name, size_t prefixLength, const char* folder)
{
    char destination[PATH_CAPACITY];
    if (!Destination(name, prefixLength, folder, destination))
        return Fail(build, name);
    const uint64_t size = BF_GetFileSize(name);
    if (size == BF_BAD_POSITION || size > UINT32_MAX
        || PTCH_AddFileItem(build.list, name, destination, static_cast<uint32_t>(size)) != SYS_OK)
        return Fail(build, name);
    build.total += size;
    return true;
}

// Adds every member below prefix (a folder ending in "\\"), recursively. found tells whether
// the scan listed any name.
bool ScanFolder(Build& build, const char* prefix, const char* folder, bool* found = nullptr)
{
    char pattern[PATH_CAPACITY];
    if (SYS_Format(pattern, sizeof pattern, "%s*.*", prefix) >= int { sizeof pattern })
        return Fail(build, "");
    BF_FindContext scan {};
    const size_t prefixLength = SYS_StrLen(prefix);
    for (const char* name = BF_FindFirst(pattern, 1, &scan); name; name = BF_FindNext(&scan)) {
        if (found != nullptr)
            *found = true;
        if (!AddMember(build, name, prefixLength, folder)) {
            BF_FindClose(&scan);
            return false;
        }
    }
    // A name the scan could not list would be a file silently missing from the patch.
    return !scan.incomplete || Fail(build, "");
}

bool ScanDistribution(Build& build, uint32_t distribution)
{
    char prefix[PATH_CAPACITY];
    (void)SYS_Format(prefix, sizeof prefix, "%s\\%u\\", "Distributions", distribution);
    bool found = false;
    if (!ScanFolder(build, prefix, nullptr, &found))
        return false;
    if (found)
        return true;
    (void)SYS_Format(prefix, sizeof prefix, "%s\\%s\\", "Distributions", "Other");
    return ScanFolder(build, prefix, nullptr);
}

bool ScanEditorTools(Build& build, const MaxVersions* max)
{
    if (max == nullptr)
        return true;
    return (!max->max51Found || ScanFolder(build, "MAX_5.1\\", max->max5Folder))
        && (!max->max60Found || ScanFolder(build, "MAX_6.0\\", max->max6Folder));
}

bool ScanAll(Build& build, const char* folderName, const FileListSource& source)
{
    char prefix[PATH_CAPACITY];
    if (SYS_StrCopy(prefix, sizeof prefix, folderName) >= sizeof prefix
        || !EnsureSeparator(prefix, sizeof prefix))
        return Fail(build, "");
    return ScanFolder(build, prefix, nullptr) && ScanDistribution(build, source.distribution)
        && ScanEditorTools(build, source.max);
}

}

SYS_ItemStore* PTCH_CreateFileList()
{
    return SYS_StoreCreate(ReleaseFileItem, 0);
}

SYS_Status PTCH_AddFileItem(
    SYS_ItemStore* list, const char* source, const char* destination, uint32_t size)
{
    uint32_t count = 0;
    if (SYS_Status status = SYS_StoreCount(list, &count); status != SYS_OK)
        return status;
    auto* item = static_cast<FileItem*>(Sys().alloc(sizeof(FileItem), "FileItem", TAG));
    if (item == nullptr)
        return SYS_NO_MEMORY;
    item->srcFileName = CopyToBlock(source, "Src FileName");
    item->destFileName = CopyToBlock(destination, "Dest FileName");
    item->size = size;
    SYS_Status status = SYS_NO_MEMORY;
    if (item->srcFileName != nullptr && item->destFileName != nullptr)
        status = SYS_StoreAdd(list, count, reinterpret_cast<uintptr_t>(item), SYS_AT_TAIL);
    if (status != SYS_OK)
        ReleaseFileItem(count, reinterpret_cast<uintptr_t>(item));
    return status;
}

int BuildFileList(const char* folderName, const FileListSource* source, SYS_ItemStore** list,
    uint64_t* total, char* failedName, size_t failedNameCapacity)
{
    if (failedName != nullptr && failedNameCapacity > 0)
        failedName[0] = 0;
    if (total != nullptr)
        *total = 0;
    if (list == nullptr || folderName == nullptr || source == nullptr)
        return 0;
    *list = nullptr;
    Build build { PTCH_CreateFileList(), 0, failedName, failedNameCapacity };
    if (build.list == nullptr)
        return 0;
    if (!ScanAll(build, folderName, *source)) {
        (void)SYS_StoreDestroy(build.list, 1, 0);
        return 0;
    }
    *list = build.list;
    if (total != nullptr)
        *total = build.total;
    return 1;
}
