// Opening virtual files: a name is looked up in the mounted archives and on disk, in the order
// the start record sets, and the caller gets one handle type for both. Members read through
// the archive's shared handle get pseudo handles; disk files keep their system handle.
#include "bigfile/bigfile_internal.h"
#include "bigfile/os_file.h"

namespace bigfile::detail {

namespace {

// Where a name was found: a disk file (its handle and the path that opened) or a member (a
// copy of its entry, taken under the lock: a mount on another thread rewrites the records).
struct Found {
    SYS_Handle disk;
    char diskPath[PATH_CAPACITY];
    bool isMember;
    MemberFields member;
};

bool TryDisk(const char* path, uint32_t flags, Found& found)
{
    found.disk = BF_SysOpen(path, flags);
    if (found.disk == 0)
        return false;
    SYS_StrCopy(found.diskPath, PATH_CAPACITY, path);
    return true;
}

// The base folder joined with name; with no base folder that is name relative to the current
// folder.
bool TryBaseDir(const char* name, uint32_t flags, Found& found)
{
    const ModuleState& state = State();
    char path[PATH_CAPACITY];
    if (SYS_Format(path, sizeof(path), "%s%s", state.baseDir, name) >= int { sizeof(path) })
        return false;
    return TryDisk(path, flags, found);
}

bool TryArchives(const char* name, Found& found)
{
    ModuleLock lock;
    const BF_Entry* entry = TableFind(name);
    found.isMember = entry != nullptr;
    if (found.isMember)
        found.member = entry->fields;
    return found.isMember;
}

// Archives first: the table, then the name as given (plain names only), then the base folder.
// Disk first, or a drive, network or rooted path, or a name to write: with plain names the name
// as given and then the base folder (never joined with a system path); without them only a name
// that is never looked up reaches the disk, as given. Then the table.
bool Locate(const char* name, uint32_t flags, Found& found)
{
    const BF_InitParams& params = State().params;
    bool mayLookUp = !IsSystemPath(name) && (flags & BF_GENERIC_WRITE) == 0;
    bool plain = params.plainNames != 0;
    if (params.diskFirst == 0 && mayLookUp)
        return TryArchives(name, found) || (plain && TryDisk(name, flags, found))
            || TryBaseDir(name, flags, found);
    bool onDisk = plain
        ? TryDisk(name, flags, found) || (!IsSystemPath(name) && TryBaseDir(name, flags, found))
        : !mayLookUp && TryDisk(name, flags, found);
    return onDisk || (mayLookUp && TryArchives(name, found));
}

BF_OpenFile* NewOpenFile(const MemberFields& fields)
{
    auto* record = static_cast<BF_OpenFile*>(SYS_Alloc(sizeof(BF_OpenFile), "BigFile file", TAG));
    if (record != nullptr)
        *record = { fields, 0, nullptr };
    return record;
}

BF_Handle OpenDisk(const Found& found)
{
    MemberFields fields {};
    fields.archive = found.disk;
    fields.size = BF_SysSize(found.disk);
    fields.archiveSize = fields.size;
    fields.method = BF_METHOD_STORED;
    fields.attributes = ATTRIBUTE_ARCHIVE;
    uint32_t attributes = 0;
    uint64_t writeTime = 0;
    if (os::Attributes(found.diskPath, &attributes, &writeTime)) {
        fields.attributes = attributes;
        fields.writeTime = writeTime;
    }
    BF_OpenFile* record = NewOpenFile(fields);
    if (record != nullptr && HandleEnter(State().handles, found.disk, record))
        return found.disk;
    SYS_Free(record);
    (void)BF_SysClose(found.disk);
    return 0;
}

// A member with a handle of its own reads through a second open of its archive file, by the
// path the archive record held when it was looked up.
SYS_Handle OwnArchiveHandle(SYS_Handle shared)
{
    char16_t path[PATH_CAPACITY];
    {
        ModuleLock lock;
        const BF_Archive* archive = FindArchive(shared);
        if (archive == nullptr)
            return 0;
        SYS_WStrCopy(path, PATH_CAPACITY, archive->path);
    }
    return BF_OpenWide(path, BF_OWN_HANDLE);
}

BF_Handle OpenMember(const MemberFields& member, uint32_t flags)
{
    BF_OpenFile* record = NewOpenFile(member);
    if (record == nullptr)
        return 0;
    BF_Handle handle = 0;
    if ((flags & BF_OWN_HANDLE) != 0) {
        record->fields.archive = OwnArchiveHandle(member.archive);
        handle = record->fields.archive;
    } else {
        handle = NextPseudoHandle();
    }
    if (handle != 0 && HandleEnter(State().handles, handle, record))
        return handle;
    if ((flags & BF_OWN_HANDLE) != 0 && handle != 0)
        (void)BF_SysClose(handle);
    SYS_Free(record);
    return 0;
}

BF_Handle OpenWithoutNotice(const char* name, uint32_t flags, int report)
{
    if (!State().started || name == nullptr)
        return 0;
    for (;;) {
        Found found {};
        if (Locate(name, flags, found))
            return found.isMember ? OpenMember(found.member, flags) : OpenDisk(found);
        if (report == 0 || !AskRetryNotFound(name))
            return 0;
    }
}

}

}

using namespace bigfile::detail;

BF_Handle BF_Open(const char* name, uint32_t flags)
{
    return BF_OpenEx(name, flags, 1);
}

BF_Handle BF_OpenEx(const char* name, uint32_t flags, int report)
{
    BF_OpenNotify notify = State().params.openNotify;
    if (State().started && notify != nullptr && name != nullptr)
        (void)notify(1, name, 0);
    return OpenWithoutNotice(name, flags, report);
}

int BF_Exists(const char* name)
{
    BF_Handle file = OpenWithoutNotice(name, 0, 0);
    if (file == 0)
        return 0;
    BF_Close(file);
    return 1;
}

uint64_t BF_GetFileSize(const char* name)
{
    BF_Handle file = BF_Open(name, 0);
    if (file == 0)
        return BF_BAD_POSITION;
    uint64_t size = BF_GetSize(file);
    BF_Close(file);
    return size;
}
