// The record store: a region of reserved address space holding records one after another,
// read in place (font files, saved bitmaps) or written page by page (saved fonts). Every scan
// checks each record against the range that encloses it, so damaged files end a scan instead
// of sending it past the data.
#include "guib/guib.h"

#include "bigfile/bigfile.h"

#include <cstring>
#include <initializer_list>

namespace {

constexpr uint32_t NO_RECORD = 0xFFFFFFFF;

// Header fields (byte offsets).
constexpr uint32_t FIELD_MAGIC = 0;
constexpr uint32_t FIELD_TYPE = 4;
constexpr uint32_t FIELD_ID = 8;
constexpr uint32_t FIELD_HEADER_SIZE = 12;
constexpr uint32_t FIELD_CONTENT_SIZE = 16;
constexpr uint32_t FIELD_KIND = 20;

struct Record {
    uint32_t type;
    uint32_t id;
    uint32_t headerSize;
    uint32_t contentSize;
    uint32_t kind;
};

// Reads the record at `at` when it lies whole inside [at, end): a complete header with the
// magic, a header size that covers the fixed fields (and a group's terminated name), and header
// plus content inside the range. False for anything else.
bool ReadRecord(const uint8_t* base, uint64_t at, uint64_t end, Record* record)
{
    if (end - at < GUIB_RECORD_HEADER_SIZE)
        return false;
    const uint8_t* header = base + at;
    if (SYS_LoadU32(header + FIELD_MAGIC) != GUIB_STORE_MAGIC)
        return false;
    record->type = SYS_LoadU32(header + FIELD_TYPE);
    record->id = SYS_LoadU32(header + FIELD_ID);
    record->headerSize = SYS_LoadU32(header + FIELD_HEADER_SIZE);
    record->contentSize = SYS_LoadU32(header + FIELD_CONTENT_SIZE);
    record->kind = SYS_LoadU32(header + FIELD_KIND);
    const uint64_t total = uint64_t { record->headerSize } + record->contentSize;
    if (record->headerSize < GUIB_RECORD_HEADER_SIZE || total > end - at)
        return false;
    if (record->kind != GUIB_RECORD_GROUP)
        return true;
    // A group's name ends with the last byte of its header.
    return record->headerSize > GUIB_RECORD_HEADER_SIZE && header[record->headerSize - 1] == 0;
}

}

c_GUIB_Store::c_GUIB_Store()
    : m_openChunk(NO_RECORD)
    , m_currentGroup(NO_RECORD)
{
    m_groupStack = SYS_StoreCreate(nullptr, 0);
    m_base = static_cast<uint8_t*>(SYS_RangeReserve(GUIB_STORE_WRITE_LIMIT));
    if (m_base != nullptr)
        m_capacity = GUIB_STORE_WRITE_LIMIT;
}

c_GUIB_Store::c_GUIB_Store(const char* fileName)
    : m_openChunk(NO_RECORD)
    , m_currentGroup(NO_RECORD)
{
    m_groupStack = SYS_StoreCreate(nullptr, 0);
    ReadFile(fileName);
}

c_GUIB_Store::c_GUIB_Store(const void* bytes, size_t size)
    : m_openChunk(NO_RECORD)
    , m_currentGroup(NO_RECORD)
{
    m_groupStack = SYS_StoreCreate(nullptr, 0);
    if (size > GUIB_STORE_FILE_LIMIT || (bytes == nullptr && size != 0))
        return;
    PrepareRegion(size);
    if (m_committed >= size && size != 0) {
        std::memcpy(m_base, bytes, size);
        m_used = static_cast<uint32_t>(size);
    }
}

c_GUIB_Store::~c_GUIB_Store()
{
    if (m_groupStack != nullptr)
        (void)SYS_StoreDestroy(m_groupStack, 1, 0);
    SYS_RangeRelease(m_base, m_capacity);
}

// Reserves the smallest multiple of 16 MB above size and commits the pages that hold size
// bytes. Without the reservation the store has no region and every append fails; without the
// commit it reads as empty.
void c_GUIB_Store::PrepareRegion(uint64_t size)
{
    const uint64_t reserve = ((size >> 24) + 1) << 24;
    m_base = static_cast<uint8_t*>(SYS_RangeReserve(reserve));
    if (m_base == nullptr)
        return;
    m_capacity = static_cast<uint32_t>(reserve);
    const uint64_t commit = ((size >> 12) + 1) << 12;
    if (SYS_RangeCommit(m_base, commit) == SYS_OK)
        m_committed = static_cast<uint32_t>(commit);
}

void c_GUIB_Store::ReadFile(const char* fileName)
{
    const BF_Handle file = fileName != nullptr ? BF_Open(fileName, BF_GENERIC_READ) : 0;
    if (file == 0)
        return;
    const uint64_t size = BF_GetSize(file);
    if (size != BF_BAD_POSITION && size <= GUIB_STORE_FILE_LIMIT) {
        PrepareRegion(size);
        uint32_t got = 0;
        while (m_committed >= size && got < size) {
            const uint32_t step = BF_Read(file, m_base + got, static_cast<uint32_t>(size - got));
            if (step == 0)
                break;
            got += step;
        }
        if (got == size)
            m_used = got;
    }
    BF_Close(file);
}

c_GUIB_Store::Range c_GUIB_Store::CurrentRange() const
{
    if (m_currentGroup == NO_RECORD)
        return { 0, m_used };
    const uint8_t* header = m_base + m_currentGroup;
    const uint64_t begin = uint64_t { m_currentGroup } + SYS_LoadU32(header + FIELD_HEADER_SIZE);
    return { begin, begin + SYS_LoadU32(header + FIELD_CONTENT_SIZE) };
}

// Walks the records of the current range from the offset `from` for the first one of the kind
// with the id (any id when id is null) and, for groups, the type. A group is entered only after
// the walk of its parent has checked it, so the current range always lies inside the used size.
SYS_Status c_GUIB_Store::Scan(
    uint64_t from, uint32_t kind, uint32_t type, const uint32_t* id, uint32_t* found) const
{
    const Range range = CurrentRange();
    uint64_t at = range.begin + from;
    while (at < range.end) {
        Record record;
        if (!ReadRecord(m_base, at, range.end, &record)) {
            SYS_Trace(SYS_TAG_GUIB, 0, "record store: a record breaks the format or its range");
            return GUIB_STORE_DAMAGED;
        }
        if (record.kind == kind && (id == nullptr || record.id == *id)
            && (kind != GUIB_RECORD_GROUP || record.type == type)) {
            *found = static_cast<uint32_t>(at);
            return SYS_OK;
        }
        at += uint64_t { record.headerSize } + record.contentSize;
    }
    return GUIB_STORE_NOT_FOUND;
}

SYS_Status c_GUIB_Store::EnterGroup(uint32_t group)
{
    if (auto status = PushGroup(); status != SYS_OK)
        return status;
    m_currentGroup = group;
    return SYS_OK;
}

SYS_Status c_GUIB_Store::OpenGroup(uint32_t type, uint32_t id)
{
    if (m_writing)
        return GUIB_STORE_WRONG_MODE;
    uint32_t found = 0;
    if (auto status = Scan(0, GUIB_RECORD_GROUP, type, &id, &found); status != SYS_OK)
        return status;
    return EnterGroup(found);
}

SYS_Status c_GUIB_Store::OpenNextGroup(uint32_t type, uint32_t* cursor, uint32_t* id)
{
    if (m_writing)
        return GUIB_STORE_WRONG_MODE;
    if (cursor == nullptr || id == nullptr)
        return SYS_BAD_ARGUMENT;
    const uint64_t begin = CurrentRange().begin;
    uint32_t found = 0;
    if (auto status = Scan(*cursor, GUIB_RECORD_GROUP, type, nullptr, &found); status != SYS_OK)
        return status;
    const uint8_t* header = m_base + found;
    const uint64_t next = uint64_t { found } + SYS_LoadU32(header + FIELD_HEADER_SIZE)
        + SYS_LoadU32(header + FIELD_CONTENT_SIZE);
    if (auto status = EnterGroup(found); status != SYS_OK)
        return status;
    *cursor = static_cast<uint32_t>(next - begin);
    *id = SYS_LoadU32(header + FIELD_ID);
    return SYS_OK;
}

SYS_Status c_GUIB_Store::FindChunk(uint32_t id, const uint8_t** data, uint32_t* size) const
{
    if (m_writing)
        return GUIB_STORE_WRONG_MODE;
    if (data == nullptr || size == nullptr)
        return SYS_BAD_ARGUMENT;
    uint32_t found = 0;
    if (auto status = Scan(0, GUIB_RECORD_CHUNK, 0, &id, &found); status != SYS_OK)
        return status;
    const uint8_t* header = m_base + found;
    *data = header + SYS_LoadU32(header + FIELD_HEADER_SIZE);
    *size = SYS_LoadU32(header + FIELD_CONTENT_SIZE);
    return SYS_OK;
}

SYS_Status c_GUIB_Store::EndGroup()
{
    if (m_currentGroup == NO_RECORD)
        return GUIB_STORE_NOTHING_OPEN;
    if (m_openChunk != NO_RECORD)
        return GUIB_STORE_WRONG_MODE;
    if (m_writing)
        PatchContentSize(m_currentGroup);
    PopGroup();
    if (m_currentGroup == NO_RECORD)
        m_writing = false;
    return SYS_OK;
}

// The group stack holds the offset of each enclosing group (NO_RECORD for the top level) under
// its depth, so the innermost is the last item.
SYS_Status c_GUIB_Store::PushGroup()
{
    if (m_groupStack == nullptr)
        return SYS_NO_MEMORY;
    const SYS_Status status = SYS_StoreAdd(m_groupStack, m_depth, m_currentGroup, SYS_AT_TAIL);
    if (status == SYS_OK)
        ++m_depth;
    return status;
}

void c_GUIB_Store::PopGroup()
{
    uint32_t depth = 0;
    uintptr_t offset = NO_RECORD;
    if (SYS_StoreGetAt(m_groupStack, -2, &depth, &offset) == SYS_OK) {
        (void)SYS_StoreRelease(m_groupStack, depth, 2);
        --m_depth;
    }
    m_currentGroup = static_cast<uint32_t>(offset);
}

// Writing. Appends commit the region in steps of 4096 bytes as it fills; the reservation is the
// ceiling of a written store.

SYS_Status c_GUIB_Store::MakeRoom(uint64_t size)
{
    const uint64_t need = uint64_t { m_used } + size;
    if (need > m_capacity)
        return SYS_NO_MEMORY;
    if (need <= m_committed)
        return SYS_OK;
    uint64_t grow = (((need - m_committed) >> 12) + 1) << 12;
    if (grow > m_capacity - m_committed)
        grow = m_capacity - m_committed;
    if (SYS_RangeCommit(m_base + m_committed, grow) != SYS_OK)
        return SYS_NO_MEMORY;
    m_committed += static_cast<uint32_t>(grow);
    return SYS_OK;
}

// Appends bytes for which MakeRoom has made room.
void c_GUIB_Store::Put(const void* data, uint32_t size)
{
    std::memcpy(m_base + m_used, data, size);
    m_used += size;
}

void c_GUIB_Store::PutU32(uint32_t value)
{
    SYS_StoreU32(m_base + m_used, value);
    m_used += 4;
}

// A record's content is everything appended after its header.
void c_GUIB_Store::PatchContentSize(uint32_t record)
{
    uint8_t* header = m_base + record;
    SYS_StoreU32(
        header + FIELD_CONTENT_SIZE, m_used - record - SYS_LoadU32(header + FIELD_HEADER_SIZE));
}

SYS_Status c_GUIB_Store::CheckCanBegin() const
{
    if (m_openChunk != NO_RECORD || (m_currentGroup != NO_RECORD && !m_writing))
        return GUIB_STORE_WRONG_MODE;
    return SYS_OK;
}

SYS_Status c_GUIB_Store::BeginGroup(uint32_t type, uint32_t id, const char* name)
{
    if (auto status = CheckCanBegin(); status != SYS_OK)
        return status;
    const size_t nameSize = (name != nullptr ? std::strlen(name) : 0) + 1;
    const uint64_t headerSize = GUIB_RECORD_HEADER_SIZE + uint64_t { nameSize };
    if (auto status = MakeRoom(headerSize); status != SYS_OK)
        return status;
    if (auto status = PushGroup(); status != SYS_OK)
        return status;
    const uint32_t start = m_used;
    for (uint32_t field :
        { GUIB_STORE_MAGIC, type, id, static_cast<uint32_t>(headerSize), start, GUIB_RECORD_GROUP })
        PutU32(field);
    Put(name != nullptr ? name : "", static_cast<uint32_t>(nameSize));
    m_currentGroup = start;
    m_writing = true;
    return SYS_OK;
}

SYS_Status c_GUIB_Store::BeginChunk(uint32_t id)
{
    if (auto status = CheckCanBegin(); status != SYS_OK)
        return status;
    if (auto status = MakeRoom(GUIB_RECORD_HEADER_SIZE); status != SYS_OK)
        return status;
    m_openChunk = m_used;
    for (uint32_t field :
        { GUIB_STORE_MAGIC, 0u, id, GUIB_RECORD_HEADER_SIZE, 0u, GUIB_RECORD_CHUNK })
        PutU32(field);
    m_writing = true;
    return SYS_OK;
}

SYS_Status c_GUIB_Store::Write(const void* data, uint32_t size)
{
    if (m_openChunk == NO_RECORD)
        return GUIB_STORE_NOTHING_OPEN;
    if (size == 0)
        return SYS_OK;
    if (data == nullptr)
        return SYS_BAD_ARGUMENT;
    if (auto status = MakeRoom(size); status != SYS_OK)
        return status;
    Put(data, size);
    return SYS_OK;
}

SYS_Status c_GUIB_Store::EndChunk()
{
    if (m_openChunk == NO_RECORD)
        return GUIB_STORE_NOTHING_OPEN;
    if (m_writing)
        PatchContentSize(m_openChunk);
    m_openChunk = NO_RECORD;
    if (m_currentGroup == NO_RECORD)
        m_writing = false;
    return SYS_OK;
}

SYS_Status c_GUIB_Store::WriteChunk(uint32_t id, const void* data, uint32_t size)
{
    if (auto status = BeginChunk(id); status != SYS_OK)
        return status;
    const SYS_Status written = Write(data, size);
    const SYS_Status ended = EndChunk();
    return written != SYS_OK ? written : ended;
}
