// Reading an archive's directory. BF_ReadDirectory checks the header and the whole directory
// (unscrambling version-1 entries in place) before it hands out any entry, so every reader of
// directories, the mount and patchkit alike, refuses the same archives for the same reasons.
// BF_LoadDirectory enters the entries into the file table, all of them or none.
#include "bigfile/bigfile_internal.h"

#include <cstring>

namespace bigfile::detail {

namespace {

// Where one directory entry's parts lie in the directory buffer.
struct EntryView {
    const uint8_t* fixed;
    char* name;
    size_t nameLength;
};

void UnscrambleEntry(uint8_t* entry, size_t length)
{
    uint32_t index = entry[0] & 15u;
    for (size_t i = 0; i < length; ++i) {
        uint8_t scrambled = entry[2 + i];
        entry[2 + i] = scrambled ^ BF_DIRECTORY_KEYS[index];
        index = scrambled & 15u;
    }
}

BF_Status Refused(const char* reason)
{
    Refuse(reason);
    return BF_ERR_FORMAT;
}

// Finds the name's NUL in the bytes after the fixed part of an entry of room bytes.
BF_Status FindName(uint8_t* fixed, size_t room, EntryView* view)
{
    auto* name = reinterpret_cast<char*>(fixed + BF_ENTRY_FIXED_SIZE);
    const void* end = std::memchr(name, 0, room - BF_ENTRY_FIXED_SIZE);
    if (end == nullptr)
        return Refused("directory entry name has no end inside its entry");
    view->fixed = fixed;
    view->name = name;
    view->nameLength = static_cast<size_t>(static_cast<const char*>(end) - name);
    return BF_OK;
}

// Takes the entry at the reader's position from the directory the reader spans; a version-1
// entry is unscrambled first when asked (the checking pass does it once for the visiting pass).
BF_Status ParseEntry(
    uint8_t* directory, SYS_SpanReader& entries, uint32_t version, bool unscramble, EntryView* view)
{
    uint8_t* entry = directory + entries.Position();
    if (version == 0) {
        // The name's NUL ends the entry, so it may lie anywhere in what remains.
        if (entries.Remaining() < BF_ENTRY_FIXED_SIZE + 1)
            return Refused("directory entry runs past the directory's end");
        if (auto status = FindName(entry, entries.Remaining(), view); status != BF_OK)
            return status;
        (void)entries.Skip(BF_ENTRY_FIXED_SIZE + view->nameLength + 1);
        return BF_OK;
    }
    uint16_t length = 0;
    if (!entries.U16(length))
        return Refused("directory entry runs past the directory's end");
    if (length < BF_ENTRY_FIXED_SIZE + 1)
        return Refused("directory entry is shorter than its fixed part");
    if (!entries.Skip(length))
        return Refused("directory entry runs past the directory's end");
    if (unscramble)
        UnscrambleEntry(entry, length);
    return FindName(entry + 2, length, view);
}

BF_Status CheckDirectory(uint8_t* directory, size_t size, uint32_t count, uint32_t version)
{
    SYS_SpanReader entries(directory, size);
    EntryView view {};
    for (uint32_t i = 0; i < count; ++i) {
        if (auto status = ParseEntry(directory, entries, version, true, &view); status != BF_OK)
            return status;
        if (view.nameLength == 0) {
            Refuse("directory entry has an empty name");
            return BF_ERR_DIRECTORY;
        }
    }
    return BF_OK;
}

BF_DirectoryEntry EntryOf(const EntryView& view, uint32_t version)
{
    BF_DirectoryEntry entry {};
    entry.name = view.name;
    entry.nameLength = view.nameLength;
    entry.dataOffset = SYS_LoadU64(view.fixed);
    entry.attributes = SYS_LoadU32(view.fixed + 8);
    entry.writeTime = SYS_LoadU64(view.fixed + 12);
    entry.size = SYS_LoadU64(view.fixed + 20);
    entry.value = SYS_LoadU32(view.fixed + 28);
    entry.method = SYS_LoadU32(view.fixed + 32);
    entry.flags = SYS_LoadU32(view.fixed + 36);
    if (version == 1 && entry.method == BF_METHOD_STORED)
        entry.method = BF_METHOD_SCRAMBLED; // stored members of version 1 are always scrambled
    return entry;
}

// Hands the checked directory's entries to visit in their order.
BF_Status VisitDirectory(uint8_t* directory, size_t size, uint32_t count, uint32_t version,
    BF_DirectoryVisitor visit, void* context)
{
    SYS_SpanReader entries(directory, size);
    EntryView view {};
    for (uint32_t i = 0; i < count; ++i) {
        (void)ParseEntry(directory, entries, version, false, &view);
        BF_DirectoryEntry entry = EntryOf(view, version);
        if (auto status = visit(context, &entry); status != BF_OK)
            return status;
    }
    return BF_OK;
}

uint32_t SmallestEntry(uint32_t version)
{
    return BF_ENTRY_FIXED_SIZE + 1 + (version == 1 ? 2 : 0);
}

// Reads the directory the header describes into a new block, after checking its claims against
// the archive's size.
BF_Status ReadDirectoryBytes(SYS_Handle file, const uint8_t* header, SYS_Block<uint8_t[]>& bytes)
{
    uint64_t fileSize = SYS_LoadU64(header + BF_HDR_FILE_SIZE);
    uint64_t offset = SYS_LoadU64(header + BF_HDR_DIR_OFFSET);
    uint32_t size = SYS_LoadU32(header + BF_HDR_DIR_SIZE);
    if (offset > fileSize || size > fileSize - offset) {
        Refuse("directory runs past the archive's end");
        return BF_ERR_READ; // what reading there would give: a short read
    }
    if (SYS_LoadU32(header + BF_HDR_COUNT) > size / SmallestEntry(header[BF_HDR_VERSION]))
        return Refused("more directory entries than the directory can hold");
    if (uint64_t { size } + 1 > SIZE_MAX)
        return BF_ERR_NO_MEMORY; // a 32-bit process cannot hold a 4 GB directory
    bytes = SYS_AllocArray<uint8_t>(size + size_t { 1 }, "BigFile directory", TAG);
    if (bytes == nullptr)
        return BF_ERR_NO_MEMORY;
    return SysReadAt(file, offset, bytes.get(), size) == size ? BF_OK : BF_ERR_READ;
}

// What the mount's visitor needs: the archive's fields for every record, and the header that
// BF_ReadDirectory fills before the first visit.
struct LoadContext {
    MemberFields archive;
    const uint8_t* header;
};

// Upper-cases the entry's name and appends its record; indexing waits for the whole directory.
BF_Status EnterEntry(void* context, BF_DirectoryEntry* entry)
{
    const auto& load = *static_cast<const LoadContext*>(context);
    MemberFields fields = load.archive;
    fields.dataOffset = entry->dataOffset;
    fields.attributes = entry->attributes;
    fields.writeTime = entry->writeTime;
    fields.size = entry->size;
    fields.value = entry->value;
    fields.method = entry->method;
    fields.flags = entry->flags | load.archive.flags;
    fields.archiveSize = SYS_LoadU64(load.header + BF_HDR_FILE_SIZE);
    SYS_StrUpper(entry->name);
    if (TableAppend(State().table, fields, entry->name, entry->nameLength) != nullptr)
        return BF_OK;
    Refuse("the file table's record area is full");
    return BF_ERR_DIRECTORY;
}

}

BF_Status ReadHeader(SYS_Handle file, uint8_t* header)
{
    if (SysReadAt(file, 0, header, BF_HEADER_SIZE) != BF_HEADER_SIZE)
        return Refused("archive header is short");
    if (std::memcmp(header, BF_MAGIC, sizeof(BF_MAGIC)) != 0)
        return Refused("archive header has the wrong magic");
    if (BF_SysSize(file) != SYS_LoadU64(header + BF_HDR_FILE_SIZE))
        return Refused("archive size differs from the size in its header");
    if (header[BF_HDR_VERSION] > 1
        || std::memcmp(header + BF_HDR_VERSION + 1, BF_TAG_LETTERS, sizeof(BF_TAG_LETTERS)) != 0)
        return Refused("archive has an unknown version tag");
    return BF_OK;
}

}

using namespace bigfile::detail;

BF_Status BF_ReadDirectory(SYS_Handle file, uint32_t requiredVersionTag, uint8_t* header,
    BF_DirectoryVisitor visit, void* context)
{
    uint8_t head[BF_HEADER_SIZE];
    if (auto status = ReadHeader(file, head); status != BF_OK)
        return status;
    if (requiredVersionTag != 0 && SYS_LoadU32(head + BF_HDR_VERSION) != requiredVersionTag)
        return Refused("archive has another version tag than the one required");
    SYS_Block<uint8_t[]> directory;
    if (auto status = ReadDirectoryBytes(file, head, directory); status != BF_OK)
        return status;
    uint32_t size = SYS_LoadU32(head + BF_HDR_DIR_SIZE);
    uint32_t count = SYS_LoadU32(head + BF_HDR_COUNT);
    uint32_t version = head[BF_HDR_VERSION];
    if (auto status = CheckDirectory(directory.get(), size, count, version); status != BF_OK)
        return status;
    if (header != nullptr)
        SYS_Copy(header, head, BF_HEADER_SIZE);
    return VisitDirectory(directory.get(), size, count, version, visit, context);
}

// Records are appended during the walk and indexed in one step after it, so that a failure
// leaves none of this archive's names in the table.
BF_Status BF_LoadDirectory(SYS_Handle file, uint32_t mountFlags, uint8_t* header)
{
    if (!State().started)
        return BF_ERR_NOT_STARTED;
    ModuleLock lock;
    BF_FileTable& table = State().table;
    size_t mark = TableMark(table);
    uint8_t head[BF_HEADER_SIZE];
    LoadContext load { {}, head };
    load.archive.archive = file;
    load.archive.flags = mountFlags;
    BF_Status status
        = BF_ReadDirectory(file, State().params.requiredVersionTag, head, EnterEntry, &load);
    if (status != BF_OK) {
        TableRollback(table, mark);
        return status;
    }
    if (!TableIndexSince(table, mark)) {
        Refuse("the file table's index cannot grow");
        return BF_ERR_DIRECTORY;
    }
    if (header != nullptr)
        SYS_Copy(header, head, BF_HEADER_SIZE);
    return BF_OK;
}
