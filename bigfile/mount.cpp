// Mounting and unmounting archives. The archive store keeps the mounted archives in their
// order of precedence; every change of that order rebuilds the file table from all mounted
// directories, so the table always holds exactly the mounted archives' names.
#include "bigfile/bigfile_internal.h"

#include <memory>

namespace bigfile::detail {

namespace {

void ReleaseArchive(uint32_t, uintptr_t value)
{
    auto* archive = reinterpret_cast<BF_Archive*>(value);
    if (archive == nullptr)
        return;
    if (archive->handle != 0)
        (void)BF_SysClose(archive->handle);
    SYS_Free(archive->path);
    SYS_Free(archive);
}

// An archive record not yet handed to the store: released when the mount fails.
struct ArchiveRelease {
    void operator()(BF_Archive* archive) const
    {
        ReleaseArchive(0, reinterpret_cast<uintptr_t>(archive));
    }
};
using ArchiveOwner = std::unique_ptr<BF_Archive, ArchiveRelease>;

// The record of a mounted archive; the store's own reference keeps it alive, so the one taken
// here is given back at once.
BF_Archive* ArchiveById(uint32_t id)
{
    uintptr_t value = 0;
    if (SYS_StoreGet(State().archives, id, &value) != SYS_OK)
        return nullptr;
    (void)SYS_StoreRelease(State().archives, id, 1);
    return reinterpret_cast<BF_Archive*>(value);
}

// The ids of the mounted archives in store order.
class ArchiveIds {
public:
    BF_Status Load()
    {
        if (SYS_StoreCount(State().archives, &m_count) != SYS_OK)
            return BF_ERR_STORE;
        uint32_t* ids = nullptr;
        if (m_count > 0 && SYS_StoreListIds(State().archives, &ids, &m_count) != SYS_OK)
            return BF_ERR_STORE;
        m_ids.reset(ids);
        return BF_OK;
    }
    uint32_t Count() const { return m_count; }
    uint32_t operator[](uint32_t i) const { return m_ids[i]; }

private:
    SYS_Block<uint32_t[]> m_ids;
    uint32_t m_count = 0;
};

// Full paths compare with ASCII letters folded, as the system's file names do.
bool SamePath(const char16_t* first, const char16_t* second)
{
    auto fold = [](char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c; };
    for (; *first != 0 && fold(*first) == fold(*second); ++first, ++second) { }
    return fold(*first) == fold(*second);
}

// A new archive record with its full path; the file is not open yet.
ArchiveOwner MakeArchive(const char16_t* path, uint32_t flags, uint32_t kind)
{
    char16_t full[PATH_CAPACITY];
    uint32_t length = BF_GetFullPath(path, PATH_CAPACITY, full, nullptr);
    if (length == 0 || length >= PATH_CAPACITY)
        return nullptr;
    ArchiveOwner archive(
        static_cast<BF_Archive*>(SYS_Alloc(sizeof(BF_Archive), "BigFile archive", TAG)));
    if (archive == nullptr)
        return nullptr;
    *archive = {};
    archive->mountFlags = flags;
    archive->kind = kind;
    archive->path = static_cast<char16_t*>(
        SYS_Alloc((length + 1) * sizeof(char16_t), "BigFile archive path", TAG));
    if (archive->path == nullptr)
        return nullptr;
    SYS_WStrCopy(archive->path, length + 1, full);
    return archive;
}

BF_Status ReloadArchive(const BF_Archive& archive)
{
    return BF_LoadDirectory(archive.handle, archive.mountFlags, nullptr);
}

// Whether a mode-2 archive with the given ordering value goes before this mounted archive.
bool GoesBefore(uint64_t ordering, const BF_Archive& archive)
{
    return archive.kind == 3
        || (archive.kind == 2 && SYS_LoadU64(archive.header + BF_HDR_ORDERING) <= ordering);
}

// Rebuilds the table with the new archive placed by its mode among the mounted ones.
BF_Status RebuildWith(const char16_t* path, uint32_t mode, uint64_t ordering)
{
    ArchiveIds ids;
    if (auto status = ids.Load(); status != BF_OK)
        return status;
    TableClear(State().table);
    bool placed = mode == 1;
    BF_Status result = placed ? BF_MountFile(path, 0, 1, SYS_AT_HEAD) : BF_OK;
    for (uint32_t i = 0; i < ids.Count(); ++i) {
        const BF_Archive* archive = ArchiveById(ids[i]);
        if (archive == nullptr)
            return BF_ERR_STORE;
        if (!placed && mode == 2 && GoesBefore(ordering, *archive)) {
            result = BF_MountFile(path, 0, 2, static_cast<int32_t>(i));
            placed = true;
        }
        if (auto status = ReloadArchive(*archive); status != BF_OK)
            return status;
    }
    return placed ? result : BF_MountFile(path, 0, mode, SYS_AT_TAIL);
}

}

SYS_ItemStore* ArchiveStoreCreate()
{
    return SYS_StoreCreate(ReleaseArchive, 0);
}

BF_Status RebuildTable()
{
    ArchiveIds ids;
    if (auto status = ids.Load(); status != BF_OK)
        return status;
    TableClear(State().table);
    for (uint32_t i = 0; i < ids.Count(); ++i) {
        const BF_Archive* archive = ArchiveById(ids[i]);
        if (archive == nullptr)
            return BF_ERR_STORE;
        if (auto status = ReloadArchive(*archive); status != BF_OK)
            return status;
    }
    return BF_OK;
}

const BF_Archive* FindArchive(SYS_Handle handle)
{
    ArchiveIds ids;
    if (ids.Load() != BF_OK)
        return nullptr;
    for (uint32_t i = 0; i < ids.Count(); ++i) {
        const BF_Archive* archive = ArchiveById(ids[i]);
        if (archive != nullptr && archive->handle == handle)
            return archive;
    }
    return nullptr;
}

}

using namespace bigfile::detail;

BF_Status BF_MountFile(const char16_t* path, uint32_t mountFlags, uint32_t kind, int32_t position)
{
    ModuleState& state = State();
    if (!state.started)
        return BF_ERR_NOT_STARTED;
    if (path == nullptr)
        return BF_ERR_OPEN;
    ModuleLock lock;
    ArchiveOwner archive = MakeArchive(path, mountFlags, kind);
    if (archive == nullptr)
        return BF_ERR_OPEN;
    archive->handle = BF_OpenWide(path, BF_GENERIC_READ);
    if (archive->handle == 0)
        return BF_ERR_OPEN;
    if (auto status = BF_LoadDirectory(archive->handle, mountFlags, archive->header);
        status != BF_OK)
        return status;
    uint32_t id = state.nextArchiveId++;
    auto value = reinterpret_cast<uintptr_t>(archive.get());
    if (SYS_StoreAdd(state.archives, id, value, position) == SYS_OK) {
        (void)archive.release(); // the store's release callback owns it now
        return BF_OK;
    }
    // The directory is in the table but the archive is not mounted: its names must go.
    archive.reset();
    (void)RebuildTable();
    return BF_ERR_STORE;
}

BF_Status LoadBF(const char16_t* path, uint32_t mode)
{
    ModuleState& state = State();
    if (!state.started)
        return BF_ERR_NOT_STARTED;
    if (mode > 3)
        return BF_ERR_OPEN;
    ModuleLock lock;
    if (mode == 3)
        return BF_MountFile(path, 0, 3, SYS_AT_TAIL);
    uint32_t mounted = 0;
    if (SYS_StoreCount(state.archives, &mounted) != SYS_OK)
        return BF_ERR_STORE;
    if (mounted == 0)
        return BF_MountFile(path, 0, mode, SYS_AT_HEAD);
    uint64_t ordering = 0;
    if (mode == 2) {
        if (auto status = BF_ReadOrderingValue(path, &ordering); status != BF_OK)
            return status;
    }
    return RebuildWith(path, mode, ordering);
}

BF_Status UnloadBF(const char16_t* path)
{
    ModuleState& state = State();
    if (!state.started)
        return BF_ERR_NOT_STARTED;
    char16_t full[PATH_CAPACITY];
    uint32_t length = path == nullptr ? 0 : BF_GetFullPath(path, PATH_CAPACITY, full, nullptr);
    if (length == 0 || length >= PATH_CAPACITY)
        return BF_ERR_OPEN;
    ModuleLock lock;
    ArchiveIds ids;
    if (auto status = ids.Load(); status != BF_OK)
        return status;
    for (uint32_t i = 0; i < ids.Count(); ++i) {
        const BF_Archive* archive = ArchiveById(ids[i]);
        if (archive == nullptr || !SamePath(archive->path, full))
            continue;
        CloseFilesOf(archive->handle);
        (void)SYS_StoreRemove(state.archives, ids[i], 0);
        BF_Status status = RebuildTable();
        if (status != BF_OK)
            ShowNotice("Cannot reload BF file", "UnloadBF Error");
        return status;
    }
    return BF_ERR_OPEN;
}

BF_Status BF_ReadOrderingValue(const char16_t* path, uint64_t* value)
{
    SYS_Handle file = path == nullptr ? 0 : BF_OpenWide(path, BF_GENERIC_READ);
    if (file == 0)
        return BF_ERR_OPEN;
    uint8_t header[BF_HEADER_SIZE];
    BF_Status status = ReadHeader(file, header);
    (void)BF_SysClose(file);
    if (status == BF_OK && value != nullptr)
        *value = SYS_LoadU64(header + BF_HDR_ORDERING);
    return status;
}
