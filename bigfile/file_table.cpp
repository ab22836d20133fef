// The process-wide file table: member records packed into one reserved range and a pointer
// index sorted by upper-case name. An archive's records are appended first and then indexed
// together, so that a directory enters completely or not at all.
#include "bigfile/bigfile_internal.h"

#include <algorithm>

namespace bigfile::detail {

namespace {

constexpr uint32_t INDEX_STEP = 16384;
constexpr size_t RECORD_ALIGN = alignof(BF_Entry);

size_t RecordSize(size_t nameLength)
{
    size_t bytes = sizeof(BF_Entry) + nameLength + 1;
    return (bytes + RECORD_ALIGN - 1) & ~(RECORD_ALIGN - 1);
}

BF_Entry* RecordAt(const BF_FileTable& table, size_t offset)
{
    return reinterpret_cast<BF_Entry*>(table.records + offset);
}

// The offset of the record after the one at offset.
size_t NextRecord(const BF_FileTable& table, size_t offset)
{
    return offset + RecordSize(SYS_StrLen(EntryName(RecordAt(table, offset))));
}

// Commits the record area in steps until need bytes are usable.
bool CommitUpTo(BF_FileTable& table, size_t need)
{
    while (table.committed < need) {
        if (table.committed + COMMIT_STEP > RANGE_SIZE)
            return false;
        if (SYS_RangeCommit(table.records + table.committed, COMMIT_STEP) != SYS_OK)
            return false;
        table.committed += COMMIT_STEP;
    }
    return true;
}

bool NameLess(const BF_Entry* first, const BF_Entry* second)
{
    int order = CompareNames(EntryName(first), EntryName(second));
    return order != 0 ? order < 0 : first < second; // equal names: directory order
}

// Grows the index so that it holds at least need pointers and two free places besides.
bool ReserveIndex(BF_FileTable& table, uint64_t need)
{
    uint64_t wanted = need + 2;
    if (wanted <= table.capacity)
        return true;
    uint64_t capacity = (wanted + INDEX_STEP - 1) / INDEX_STEP * INDEX_STEP;
    if (capacity > UINT32_MAX / sizeof(BF_Entry*))
        return false;
    auto** index
        = static_cast<BF_Entry**>(SYS_Alloc(capacity * sizeof(BF_Entry*), "BigFile index", TAG));
    if (index == nullptr)
        return false;
    SYS_Copy(index, table.index, table.count * sizeof(BF_Entry*));
    SYS_Free(table.index);
    table.index = index;
    table.capacity = static_cast<uint32_t>(capacity);
    return true;
}

// Keeps the first of each run of equal names in the sorted batch and drops the names the
// table already holds; returns how many remain at the front of batch.
size_t KeepNewNames(const BF_FileTable& table, BF_Entry** batch, size_t count)
{
    size_t kept = 0;
    uint32_t old = 0;
    for (size_t i = 0; i < count; ++i) {
        const char* name = EntryName(batch[i]);
        if (kept > 0 && CompareNames(EntryName(batch[kept - 1]), name) == 0)
            continue;
        while (old < table.count && CompareNames(EntryName(table.index[old]), name) < 0)
            ++old;
        if (old < table.count && CompareNames(EntryName(table.index[old]), name) == 0)
            continue;
        batch[kept++] = batch[i];
    }
    return kept;
}

// Merges the sorted batch into the index from the back, so no pointer moves twice.
void MergeIntoIndex(BF_FileTable& table, BF_Entry* const* batch, size_t count)
{
    size_t out = table.count + count;
    size_t old = table.count;
    table.count = static_cast<uint32_t>(out);
    while (count > 0) {
        bool takeOld = old > 0
            && CompareNames(EntryName(table.index[old - 1]), EntryName(batch[count - 1])) > 0;
        table.index[--out] = takeOld ? table.index[--old] : batch[--count];
    }
}

}

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

int CompareNames(const char* tableName, const char* name)
{
    for (;; ++tableName, ++name) {
        auto first = static_cast<unsigned char>(*tableName);
        auto second = static_cast<unsigned char>(UpperAscii(*name));
        if (first != second)
            return first < second ? -1 : 1;
        if (first == 0)
            return 0;
    }
}

bool TableCreate(BF_FileTable& table)
{
    table = {};
    table.records = static_cast<uint8_t*>(SYS_RangeReserve(RANGE_SIZE));
    if (table.records == nullptr)
        return false;
    if (!ReserveIndex(table, INDEX_STEP - 2)) {
        SYS_RangeRelease(table.records, RANGE_SIZE);
        table = {};
        return false;
    }
    return true;
}

void TableRelease(BF_FileTable& table)
{
    if (table.records != nullptr)
        SYS_RangeRelease(table.records, RANGE_SIZE);
    SYS_Free(table.index);
    table = {};
}

void TableClear(BF_FileTable& table)
{
    table.count = 0;
    table.used = 0;
}

size_t TableMark(const BF_FileTable& table)
{
    return table.used;
}

BF_Entry* TableAppend(
    BF_FileTable& table, const MemberFields& fields, const char* upperName, size_t nameLength)
{
    size_t size = RecordSize(nameLength);
    if (size > RANGE_SIZE - table.used || !CommitUpTo(table, table.used + size))
        return nullptr;
    auto* entry = reinterpret_cast<BF_Entry*>(table.records + table.used);
    entry->fields = fields;
    char* name = reinterpret_cast<char*>(entry + 1);
    SYS_Copy(name, upperName, nameLength);
    name[nameLength] = '\0';
    table.used += size;
    return entry;
}

bool TableIndexSince(BF_FileTable& table, size_t mark)
{
    size_t count = 0;
    for (size_t at = mark; at < table.used; at = NextRecord(table, at))
        ++count;
    if (count == 0)
        return true;
    auto** batch
        = static_cast<BF_Entry**>(SYS_Alloc(count * sizeof(BF_Entry*), "BigFile batch", TAG));
    if (batch == nullptr) {
        TableRollback(table, mark);
        return false;
    }
    size_t filled = 0;
    for (size_t at = mark; at < table.used; at = NextRecord(table, at))
        batch[filled++] = RecordAt(table, at);
    std::sort(batch, batch + count, NameLess);
    size_t kept = KeepNewNames(table, batch, count);
    bool indexed = ReserveIndex(table, uint64_t { table.count } + kept);
    if (indexed)
        MergeIntoIndex(table, batch, kept);
    else
        TableRollback(table, mark);
    SYS_Free(batch);
    return indexed;
}

void TableRollback(BF_FileTable& table, size_t mark)
{
    table.used = mark;
}

const BF_Entry* TableFind(const char* name)
{
    const BF_FileTable& table = State().table;
    uint32_t index = 0;
    if (!BF_LookupName(name, true, &index))
        return nullptr;
    return table.index[index];
}

}

using namespace bigfile::detail;

// A lower-bound search, except that a name after every entry answers the last entry's place:
// an insertion there goes one place after it. The requested name's case does not matter; found
// tells whether the entry at index holds the name.
bool BF_LookupName(const char* upperName, bool exact, uint32_t* index)
{
    (void)exact; // the exact match and the insertion point are the same place
    ModuleLock lock;
    const BF_FileTable& table = State().table;
    uint32_t low = 0;
    uint32_t high = table.count;
    while (low < high && upperName != nullptr) {
        uint32_t middle = low + (high - low) / 2;
        if (CompareNames(EntryName(table.index[middle]), upperName) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == table.count && low > 0)
        --low;
    if (index != nullptr)
        *index = low;
    return upperName != nullptr && low < table.count
        && CompareNames(EntryName(table.index[low]), upperName) == 0;
}
