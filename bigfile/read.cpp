// Reading, seeking and closing virtual files. Stored and scrambled members and disk files are
// read at their data offset plus the position through their system handle; LZW members go to
// the block reader. A record belongs to its handle's user, so only the lookup takes the lock.
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

// Reads at the data offset plus the position, never through the handle's own position, which
// other members of the same archive share.
uint32_t ReadStored(const BF_OpenFile& file, uint8_t* buffer, uint32_t count)
{
    const MemberFields& fields = file.fields;
    if (file.position > UINT64_MAX - fields.dataOffset)
        return 0;
    return SysReadAt(fields.archive, fields.dataOffset + file.position, buffer, count);
}

uint32_t ReadByMethod(BF_OpenFile& file, uint8_t* buffer, uint32_t count)
{
    switch (file.fields.method) {
    case BF_METHOD_STORED:
        return ReadStored(file, buffer, count);
    case BF_METHOD_LZW:
        return ReadBlocks(file, buffer, count);
    case BF_METHOD_SCRAMBLED: {
        uint32_t got = ReadStored(file, buffer, count);
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
    BF_OpenFile* record = State().started ? HandleTake(State().handles, file) : nullptr;
    if (record == nullptr)
        return;
    if (record->fields.archive == file)
        (void)BF_SysClose(file); // a disk file or a member with a handle of its own
    FreeBlockCache(record->cache);
    SYS_Free(record);
}
