// Reading, seeking and closing virtual files. Stored and scrambled members and disk files are
// read at their data offset through their system handle; LZW members go to the block reader.
#include "bigfile/bigfile_internal.h"

namespace bigfile::detail {

namespace {

BF_OpenFile* Find(BF_Handle file)
{
    return State().started ? HandleFind(State().handles, file) : nullptr;
}

// Scrambled members: the key is the low byte of the member's size.
void Unscramble(uint8_t* bytes, uint32_t count, uint64_t memberSize)
{
    auto key = static_cast<uint8_t>(memberSize);
    auto shift = static_cast<uint8_t>(BF_MEMBER_KEY - key);
    for (uint32_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(static_cast<uint8_t>(bytes[i] - shift) ^ key);
}

bool SeekToPosition(const BF_OpenFile& file)
{
    const MemberFields& fields = file.fields;
    if (file.position > uint64_t { INT64_MAX } - fields.dataOffset
        || fields.dataOffset > uint64_t { INT64_MAX })
        return false;
    uint64_t target = fields.dataOffset + file.position;
    return BF_SysSeek(fields.archive, static_cast<int64_t>(target), 0) == target;
}

uint32_t ReadByMethod(BF_OpenFile& file, uint8_t* buffer, uint32_t count)
{
    switch (file.fields.method) {
    case BF_METHOD_STORED:
        return SeekToPosition(file) ? BF_SysRead(file.fields.archive, buffer, count) : 0;
    case BF_METHOD_LZW:
        return ReadBlocks(file, buffer, count);
    case BF_METHOD_SCRAMBLED: {
        uint32_t got = SeekToPosition(file) ? BF_SysRead(file.fields.archive, buffer, count) : 0;
        Unscramble(buffer, got, file.fields.size);
        return got;
    }
    default:
        return 0;
    }
}

}

}

using namespace bigfile::detail;

uint32_t BF_Read(BF_Handle file, void* buffer, uint32_t count)
{
    BF_OpenFile* record = Find(file);
    if (record == nullptr || buffer == nullptr || count == 0
        || record->position >= record->fields.size)
        return 0;
    if (count > record->fields.size - record->position)
        count = static_cast<uint32_t>(record->fields.size - record->position);
    for (;;) {
        uint32_t got = ReadByMethod(*record, static_cast<uint8_t*>(buffer), count);
        record->position += got;
        if (got != 0 || !AskRetryNotFound(""))
            return got;
    }
}

uint64_t BF_Seek(BF_Handle file, uint64_t offset, uint32_t origin)
{
    BF_OpenFile* record = Find(file);
    if (record == nullptr)
        return BF_BAD_POSITION;
    switch (origin) {
    case 0:
        record->position = offset;
        break;
    case 1:
        record->position += offset;
        break;
    case 2:
        if (offset > record->fields.size)
            return BF_BAD_POSITION;
        record->position = record->fields.size - offset;
        break;
    default:
        return BF_BAD_POSITION;
    }
    return record->position;
}

uint64_t BF_GetSize(BF_Handle file)
{
    const BF_OpenFile* record = Find(file);
    return record == nullptr ? BF_BAD_POSITION : record->fields.size;
}

void BF_Close(BF_Handle file)
{
    BF_OpenFile* record = Find(file);
    if (record == nullptr)
        return;
    if (record->fields.archive == file)
        (void)BF_SysClose(file); // a disk file or a member with a handle of its own
    HandleRemove(State().handles, file);
    FreeBlockCache(record->cache);
    SYS_Free(record);
}
