// The archive file system's private records and module state: the file table of mounted
// members, the archive store, the open-file and handle tables, and the helpers the module's
// files share. Nothing here is part of the public interface in bigfile.h.
#pragma once

#include "bigfile/bigfile.h"

#include <cstddef>
#include <cstdint>

namespace bigfile::detail {

inline constexpr uint32_t TAG = SYS_TAG_BIGFILE;
inline constexpr size_t PATH_CAPACITY = 260;

// The record area of the file table and a scan's name list: one reserved range each,
// committed in steps as it fills.
inline constexpr size_t RANGE_SIZE = 0x4000000;
inline constexpr size_t COMMIT_STEP = 0x8000;

inline constexpr BF_Handle FIRST_PSEUDO_HANDLE = 0x2708011;
inline constexpr BF_Handle PSEUDO_HANDLE_STEP = 4;
inline constexpr uint32_t ATTRIBUTE_ARCHIVE = 0x20;

// What a directory entry says about a member, copied into the open-file record when the member
// is opened. archiveSize bounds every block read: no read may run past the archive's end.
struct MemberFields {
    SYS_Handle archive;
    uint64_t dataOffset;
    uint32_t attributes;
    uint64_t writeTime;
    uint64_t size;
    uint32_t value;
    uint32_t method;
    uint32_t flags;
    uint64_t archiveSize;
};

// One member in the file table's record area; its upper-case name and NUL follow the record.
struct BF_Entry {
    MemberFields fields;
};

inline const char* EntryName(const BF_Entry* entry)
{
    return reinterpret_cast<const char*>(entry + 1);
}

// The last LZW block decoded into the buffer (valid only while blockValid is set; at most
// BF_MAX_LZW_BLOCK_OUTPUT bytes), and where
// the previous walk ended, so that sequential reads do not walk the member's blocks from the
// first one again.
struct BF_BlockCache {
    uint64_t start;
    uint64_t headerOffset;
    uint8_t* buffer;
    uint32_t size;
    uint32_t capacity;
    bool blockValid;
    uint64_t nextStart;
    uint64_t nextHeaderOffset;
};

struct BF_OpenFile {
    MemberFields fields;
    uint64_t position;
    BF_BlockCache* cache;
};

struct BF_Archive {
    SYS_Handle handle;
    uint32_t mountFlags;
    uint32_t kind;
    char16_t* path; // full path, case kept: the POSIX backend needs it to open the file again
    uint8_t header[BF_HEADER_SIZE];
};

struct BF_FileTable {
    uint32_t count;
    BF_Entry** index; // ascending by name
    uint32_t capacity;
    uint8_t* records; // the reserved range
    size_t committed;
    size_t used;
};

struct HandlePair {
    BF_Handle handle;
    BF_OpenFile* record;
};

struct BF_HandleTable {
    HandlePair* pairs;
    uint32_t count; // slots in use, free ones below it included
    uint32_t capacity;
};

struct ModuleState {
    BF_InitParams params;
    char baseDir[PATH_CAPACITY];
    size_t baseDirLength;
    char secondDir[PATH_CAPACITY];
    size_t secondDirLength;
    BF_FileTable table;
    SYS_ItemStore* archives;
    BF_HandleTable handles;
    BF_Handle nextPseudoHandle;
    uint32_t nextArchiveId;
    bool started;
};

ModuleState& State();

// The module's one lock. It guards the file table, the archive store, the handle table and the
// next pseudo handle, and is held only while they are looked at or changed (a mount holds it
// while it reads directories), never while a member is read. Recursive, because mounting enters
// directories through BF_LoadDirectory and unmounting closes files through BF_Close, public
// calls that take it too.
class ModuleLock {
public:
    ModuleLock();
    ~ModuleLock();
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;
};

// Sends one fixed reason for refusing outside data to the module's trace.
void Refuse(const char* reason);

// Names: ASCII letters fold to upper case, bytes compare unsigned, a prefix sorts first.
char UpperAscii(char c);
// Compares a table name (already upper-case) with a name of any case: <0, 0 or >0.
int CompareNames(const char* tableName, const char* name);

// ---- File table (file_table.cpp) ----

bool TableCreate(BF_FileTable& table);
void TableRelease(BF_FileTable& table);
// Empties the index and reuses the record area from its start.
void TableClear(BF_FileTable& table);
// Records are appended first and indexed together: a failure leaves the table as it was at
// the mark. Returns null when the record area is full.
size_t TableMark(const BF_FileTable& table);
BF_Entry* TableAppend(
    BF_FileTable& table, const MemberFields& fields, const char* upperName, size_t nameLength);
// Indexes every record appended since mark; names already in the table (or earlier in the
// batch) are dropped. False, with the table as it was at the mark, when memory is short.
bool TableIndexSince(BF_FileTable& table, size_t mark);
void TableRollback(BF_FileTable& table, size_t mark);
// The entry of name, or null; the caller holds the module's lock while it uses the entry.
const BF_Entry* TableFind(const char* name);

// ---- Archives (directory.cpp, mount.cpp) ----

// Reads and checks the 52-byte header at the start of the file: magic, size equal to the file's
// size, and a known version tag. 0 or BF_ERR_FORMAT.
BF_Status ReadHeader(SYS_Handle file, uint8_t* header);
SYS_ItemStore* ArchiveStoreCreate();
// Empties the table and loads the directories of the mounted archives in store order.
BF_Status RebuildTable();
// The mounted archive whose file is handle, or null.
const BF_Archive* FindArchive(SYS_Handle handle);

// ---- Handle table (handle_table.cpp) ----

bool HandlesCreate(BF_HandleTable& handles);
void HandlesRelease(BF_HandleTable& handles);
bool HandleEnter(BF_HandleTable& handles, BF_Handle handle, BF_OpenFile* record);
BF_OpenFile* HandleFind(const BF_HandleTable& handles, BF_Handle handle);
// Removes the handle's pair and returns its record (null when the handle is not open).
BF_OpenFile* HandleTake(BF_HandleTable& handles, BF_Handle handle);
BF_Handle NextPseudoHandle();

// ---- Reading (block_reader.cpp, read.cpp) ----

// Reads count bytes at the record's position from its LZW blocks; returns the bytes delivered.
uint32_t ReadBlocks(BF_OpenFile& file, uint8_t* destination, uint32_t count);
void FreeBlockCache(BF_BlockCache* cache);
// Closes every open file that reads through the archive's shared handle.
void CloseFilesOf(SYS_Handle archive);
// Closes every open file (shutdown).
void CloseAllFiles();

// The length of a name's folder part, up to and including its last "\\" (wildcard.cpp).
size_t FolderPartLength(const char* path);

// ---- System calls (system_calls.cpp) ----

// Reads up to count bytes at offset without a seek: what every read of an archive uses, so that
// threads sharing the archive's handle never disturb one another. 0 for the handle 0 or a null
// buffer; otherwise as BF_SysRead.
uint32_t SysReadAt(SYS_Handle file, uint64_t offset, void* buffer, uint32_t count);
// Whether the path helpers take the wide system calls (the NT family) or the 8-bit ones.
bool UseWideCalls();
// Tests run the 8-bit path calls with this; the product takes the system's kind.
void SetWideCallsForTest(bool wide);
// A drive, network or rooted path, which is never looked up in the archives.
bool IsSystemPath(const char* name);
// Shows the "File not found!" box when boxes are on; true when the user chose Retry.
bool AskRetryNotFound(const char* name);
// Shows an OK box when boxes are on.
void ShowNotice(const char* text, const char* caption);

}
