// Directory scans: the names matching a pattern in the mounted archives and, when the start
// record allows plain names, on disk, collected at the first call into one list in a reserved
// range (a length byte, the name, a NUL each) that the caller then walks.
#include "bigfile/bigfile_internal.h"
#include "bigfile/os_file.h"

#include <cstring>

namespace bigfile::detail {

namespace {

constexpr size_t LONGEST_NAME = 255; // what the length byte can hold

// One scan in progress: its list, and whether names must be tested for duplicates (only when
// the disk takes part; the file table holds each name once).
struct Scan {
    BF_FindContext* context;
    bool checkDuplicates;
    bool full;
};

bool Listed(const BF_FindContext* context, const char* name, size_t length)
{
    for (size_t at = 0; at < context->used; at += context->list[at] + size_t { 2 })
        if (context->list[at] == length && std::memcmp(context->list + at + 1, name, length) == 0)
            return true;
    return false;
}

// Names the length byte cannot hold, and every name after a failed commit, are left out and
// mark the list incomplete.
void AddName(Scan& scan, const char* name, size_t length)
{
    BF_FindContext* context = scan.context;
    if (length > LONGEST_NAME || scan.full) {
        context->incomplete = true;
        return;
    }
    if (scan.checkDuplicates && Listed(context, name, length))
        return;
    if (context->used + length + 2 > context->committed) {
        if (context->committed + COMMIT_STEP > RANGE_SIZE
            || SYS_RangeCommit(context->list + context->committed, COMMIT_STEP) != SYS_OK) {
            scan.full = true;
            context->incomplete = true;
            return;
        }
        context->committed += COMMIT_STEP;
    }
    uint8_t* at = context->list + context->used;
    at[0] = static_cast<uint8_t>(length);
    SYS_Copy(at + 1, name, length);
    at[length + 1] = 0;
    context->used += length + 2;
}

bool TableNameMatches(const char* name, const char* pattern, size_t folder, bool recurse)
{
    size_t nameFolder = FolderPartLength(name);
    if (nameFolder < folder || std::memcmp(name, pattern, folder) != 0)
        return false;
    if (!recurse)
        return BF_MatchWildcard(name, pattern) != 0;
    return BF_MatchWildcard(name + nameFolder, pattern + folder) != 0;
}

void ScanTable(Scan& scan, const char* pattern, bool recurse)
{
    ModuleLock lock;
    const BF_FileTable& table = State().table;
    bool everything = recurse && std::strcmp(pattern, "*.*") == 0;
    size_t folder = FolderPartLength(pattern);
    for (uint32_t i = 0; i < table.count; ++i) {
        const char* name = EntryName(table.index[i]);
        if (everything || TableNameMatches(name, pattern, folder, recurse))
            AddName(scan, name, SYS_StrLen(name));
    }
}

struct DiskScan {
    Scan* scan;
    const char* folder; // relative to the scanned folder, ending in "\\" or empty
    const char* filePattern;
    bool recurse;
};

void ScanDiskFolder(Scan& scan, const char* folder, const char* filePattern, bool recurse);

void VisitSubfolder(void* context, const char* name, bool isFolder)
{
    const auto& disk = *static_cast<const DiskScan*>(context);
    char folder[PATH_CAPACITY];
    if (!isFolder || name[0] == '.')
        return;
    if (SYS_Format(folder, sizeof(folder), "%s%s\\", disk.folder, name) >= int { sizeof(folder) }) {
        disk.scan->context->incomplete = true;
        return;
    }
    ScanDiskFolder(*disk.scan, folder, disk.filePattern, disk.recurse);
}

void VisitFile(void* context, const char* name, bool isFolder)
{
    const auto& disk = *static_cast<const DiskScan*>(context);
    char path[PATH_CAPACITY * 2];
    if (isFolder)
        return;
    int length = SYS_Format(path, sizeof(path), "%s%s", disk.folder, name);
    if (length < 0 || length >= int { sizeof(path) }) {
        disk.scan->context->incomplete = true;
        return;
    }
    SYS_StrUpper(path);
    AddName(*disk.scan, path, static_cast<size_t>(length));
}

// Subfolders first (when recursing), then this folder's own files.
void ScanDiskFolder(Scan& scan, const char* folder, const char* filePattern, bool recurse)
{
    DiskScan disk { &scan, folder, filePattern, recurse };
    char pattern[PATH_CAPACITY];
    if (recurse && SYS_Format(pattern, sizeof(pattern), "%s*.*", folder) < int { sizeof(pattern) })
        (void)os::ListFolder(pattern, VisitSubfolder, &disk);
    if (SYS_Format(pattern, sizeof(pattern), "%s%s", folder, filePattern) < int { sizeof(pattern) })
        (void)os::ListFolder(pattern, VisitFile, &disk);
}

void ScanDisk(Scan& scan, const char* pattern, bool recurse)
{
    char folder[PATH_CAPACITY];
    size_t length = FolderPartLength(pattern);
    SYS_StrCopy(folder, length + 1, pattern);
    ScanDiskFolder(scan, folder, pattern + length, recurse);
}

// Scans the disk below folder (made current for the scan), then returns to current.
void ScanDiskIn(
    Scan& scan, const char* folder, const char16_t* current, const char* pattern, bool recurse)
{
    if (folder[0] == '\0' || !os::SetCurrentDir(folder))
        return;
    ScanDisk(scan, pattern, recurse);
    (void)BF_SetCurrentDir(current);
}

void ScanEverywhere(Scan& scan, const char* pattern, bool recurse)
{
    const ModuleState& state = State();
    char16_t current[PATH_CAPACITY];
    bool diskScans = BF_GetCurrentDir(PATH_CAPACITY, current) != 0;
    if (state.params.diskFirst == 0 || !diskScans)
        ScanTable(scan, pattern, recurse);
    if (!diskScans)
        return; // without a way back to the current folder the others cannot be visited
    ScanDisk(scan, pattern, recurse);
    ScanDiskIn(scan, state.baseDir, current, pattern, recurse);
    ScanDiskIn(scan, state.secondDir, current, pattern, recurse);
    if (state.params.diskFirst != 0)
        ScanTable(scan, pattern, recurse);
}

}

}

using namespace bigfile::detail;

const char* BF_FindFirst(const char* pattern, int recurse, BF_FindContext* context)
{
    if (context == nullptr)
        return nullptr;
    *context = {};
    char upper[PATH_CAPACITY];
    if (!State().started || pattern == nullptr || SYS_StrLen(pattern) >= sizeof(upper))
        return nullptr;
    SYS_StrCopy(upper, sizeof(upper), pattern);
    SYS_StrUpper(upper);
    context->list = static_cast<uint8_t*>(SYS_RangeReserve(RANGE_SIZE));
    if (context->list == nullptr)
        return nullptr;
    bool plainNames = State().params.plainNames != 0;
    Scan scan { context, plainNames, false };
    if (plainNames)
        ScanEverywhere(scan, upper, recurse != 0);
    else
        ScanTable(scan, upper, recurse != 0);
    return BF_FindNext(context);
}

const char* BF_FindNext(BF_FindContext* context)
{
    if (context == nullptr)
        return nullptr;
    if (context->list != nullptr && context->cursor < context->used) {
        const char* name = reinterpret_cast<const char*>(context->list + context->cursor + 1);
        context->cursor += context->list[context->cursor] + size_t { 2 };
        return name;
    }
    BF_FindClose(context);
    return nullptr;
}

// The list goes; the incomplete flag stays for the caller to read after the last name.
void BF_FindClose(BF_FindContext* context)
{
    if (context == nullptr || context->list == nullptr)
        return;
    SYS_RangeRelease(context->list, RANGE_SIZE);
    context->list = nullptr;
    context->used = 0;
    context->cursor = 0;
    context->committed = 0;
}
