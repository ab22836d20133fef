// Reading LZW-compressed members: a walk over the member's blocks from the first one (or from
// where the cache or the previous walk stands), each header checked against the archive's end,
// the member's size and the bound on one block's output before anything is allocated. A block a
// read covers whole decodes straight into the caller's buffer, a partly read one stays cached.
// BF_LzwStoredSize walks, not decoding.
#include "bigfile/bigfile_internal.h"

#include <algorithm>
#include <cstring>

namespace bigfile::detail {

namespace {

struct BlockHeader {
    uint64_t at; // the header's offset in the archive file
    uint32_t compressed;
    uint32_t size;
};

// Where the walk stands: the uncompressed start of a block and its header's offset from the
// member's data offset.
struct WalkPoint {
    uint64_t start;
    uint64_t headerOffset;
};

// The most bytes a stream of compressed bytes can decode to: its codes are at least 9 bits
// wide, and the n-th code yields at most n bytes (each entry is one byte longer than the
// longest one defined before it).
uint64_t MostOutputOf(uint32_t compressed)
{
    uint64_t codes = uint64_t { compressed } * 8 / 9;
    return codes * (codes + 1) / 2;
}

// Reads and checks the block header at point of a member that still has bytes past
// point.start; false when it cannot be read or the block is corrupt.
bool ReadBlockHeader(const MemberFields& member, WalkPoint point, BlockHeader& header)
{
    if (point.headerOffset > UINT64_MAX - member.dataOffset
        || member.dataOffset + point.headerOffset > member.archiveSize
        || member.archiveSize - (member.dataOffset + point.headerOffset) < BF_BLOCK_HEADER_SIZE) {
        Refuse("compressed block header lies past the archive's end");
        return false;
    }
    header.at = member.dataOffset + point.headerOffset;
    uint8_t bytes[BF_BLOCK_HEADER_SIZE];
    if (SysReadAt(member.archive, header.at, bytes, BF_BLOCK_HEADER_SIZE) != BF_BLOCK_HEADER_SIZE)
        return false;
    if (std::memcmp(bytes, BF_BLOCK_MAGIC, sizeof(BF_BLOCK_MAGIC)) != 0) {
        Refuse("compressed block header has the wrong magic");
        return false;
    }
    header.compressed = SYS_LoadU32(bytes + 4);
    header.size = SYS_LoadU32(bytes + 8);
    if (header.compressed > member.archiveSize - header.at - BF_BLOCK_HEADER_SIZE) {
        Refuse("compressed block runs past the archive's end");
        return false;
    }
    if (header.size > BF_MAX_LZW_BLOCK_OUTPUT) {
        Refuse("compressed block claims more than 64 MiB");
        return false;
    }
    if (header.size > member.size - point.start || header.size > MostOutputOf(header.compressed)) {
        Refuse("compressed block is larger than its member or its codes allow");
        return false;
    }
    return true;
}

// The block after the one whose header was read at point.
WalkPoint NextPoint(WalkPoint point, const BlockHeader& header)
{
    return { point.start + header.size,
        point.headerOffset + BF_BLOCK_HEADER_SIZE + header.compressed };
}

// The compressed bytes of the blocks read during one call; freed at its end.
class InputBuffer {
public:
    uint8_t* Reserve(uint32_t size)
    {
        if (m_bytes != nullptr && m_capacity >= size)
            return m_bytes.get();
        m_bytes.reset(); // the smaller block goes before the larger one is asked for
        m_capacity = std::max<uint32_t>(size, 1);
        m_bytes = SYS_AllocArray<uint8_t>(m_capacity, "BigFile block input", TAG);
        return m_bytes.get();
    }

private:
    SYS_Block<uint8_t[]> m_bytes;
    uint32_t m_capacity = 0;
};

// Decodes the block whose header was just read into output (header.size bytes). A decode that
// fails or produces fewer bytes than the header says is a failure.
bool DecodeBlock(
    const BF_OpenFile& file, const BlockHeader& header, uint8_t* output, InputBuffer& input)
{
    uint8_t* bytes = input.Reserve(header.compressed);
    if (bytes == nullptr
        || SysReadAt(
               file.fields.archive, header.at + BF_BLOCK_HEADER_SIZE, bytes, header.compressed)
            != header.compressed)
        return false;
    LZW_Decoder* decoder = LZW_CreateDecoder(output, header.size, bytes, header.compressed);
    if (decoder == nullptr)
        return false;
    bool whole = LZW_Decode(decoder) && LZW_BytesProduced(decoder) == header.size;
    LZW_FreeDecoder(decoder);
    if (!whole)
        Refuse("compressed block does not decode to its size");
    return whole;
}

// Decodes the block into the cache's buffer; the cache describes it only once it decoded whole.
bool DecodeIntoCache(
    BF_OpenFile& file, WalkPoint point, const BlockHeader& header, InputBuffer& input)
{
    BF_BlockCache* cache = file.cache;
    cache->blockValid = false;
    if (cache->buffer == nullptr || cache->capacity < header.size) {
        SYS_Free(cache->buffer);
        cache->capacity = std::max<uint32_t>(header.size, 1);
        cache->buffer = static_cast<uint8_t*>(SYS_Alloc(cache->capacity, "BigFile block", TAG));
        if (cache->buffer == nullptr) {
            cache->capacity = 0;
            return false;
        }
    }
    if (!DecodeBlock(file, header, cache->buffer, input))
        return false;
    *cache = { point.start, point.headerOffset, cache->buffer, header.size, cache->capacity, true,
        cache->nextStart, cache->nextHeaderOffset };
    return true;
}

bool CacheHolds(const BF_BlockCache* cache, WalkPoint point)
{
    return cache->blockValid && cache->start == point.start
        && cache->headerOffset == point.headerOffset;
}

// The block to start walking at: the latest known block that does not begin after position.
WalkPoint StartingPoint(const BF_BlockCache* cache, uint64_t position)
{
    WalkPoint point { 0, 0 };
    if (cache->blockValid && cache->start <= position)
        point = { cache->start, cache->headerOffset };
    if (cache->nextStart <= position && cache->nextStart > point.start)
        point = { cache->nextStart, cache->nextHeaderOffset };
    return point;
}

BF_BlockCache* EnsureCache(BF_OpenFile& file)
{
    if (file.cache == nullptr) {
        file.cache = static_cast<BF_BlockCache*>(
            SYS_Alloc(sizeof(BF_BlockCache), "BigFile block cache", TAG));
        if (file.cache != nullptr)
            *file.cache = {};
    }
    return file.cache;
}

// Delivers take bytes from skip bytes into the block at point; false when it cannot.
bool DeliverFromBlock(BF_OpenFile& file, WalkPoint point, const BlockHeader& header, uint32_t skip,
    uint32_t take, uint8_t* destination, InputBuffer& input)
{
    if (!CacheHolds(file.cache, point)) {
        if (skip == 0 && take == header.size)
            return DecodeBlock(file, header, destination, input);
        if (!DecodeIntoCache(file, point, header, input))
            return false;
    }
    SYS_Copy(destination, file.cache->buffer + skip, take);
    return true;
}

}

uint32_t ReadBlocks(BF_OpenFile& file, uint8_t* destination, uint32_t count)
{
    BF_BlockCache* cache = EnsureCache(file);
    if (cache == nullptr)
        return 0;
    const uint64_t begin = file.position;
    if (cache->blockValid && begin >= cache->start && begin - cache->start <= cache->size
        && count <= cache->size - (begin - cache->start)) {
        SYS_Copy(destination, cache->buffer + (begin - cache->start), count);
        return count;
    }
    InputBuffer input;
    WalkPoint point = StartingPoint(cache, begin);
    uint64_t position = begin;
    uint32_t delivered = 0;
    BlockHeader header {};
    while (delivered < count && position < file.fields.size
        && ReadBlockHeader(file.fields, point, header)) {
        if (position - point.start < header.size) {
            auto skip = static_cast<uint32_t>(position - point.start);
            uint32_t take = std::min(header.size - skip, count - delivered);
            if (!DeliverFromBlock(file, point, header, skip, take, destination + delivered, input))
                break;
            delivered += take;
            position += take;
        }
        point = NextPoint(point, header);
        cache->nextStart = point.start;
        cache->nextHeaderOffset = point.headerOffset;
    }
    return delivered;
}

void FreeBlockCache(BF_BlockCache* cache)
{
    if (cache == nullptr)
        return;
    SYS_Free(cache->buffer);
    SYS_Free(cache);
}

}

using namespace bigfile::detail;

BF_Status BF_LzwStoredSize(
    SYS_Handle file, uint64_t dataOffset, uint64_t size, uint64_t* storedSize)
{
    MemberFields member {};
    member.archive = file;
    member.dataOffset = dataOffset;
    member.size = size;
    member.archiveSize = BF_SysSize(file);
    if (member.archiveSize == BF_BAD_POSITION)
        return BF_ERR_READ;
    WalkPoint point { 0, 0 };
    BlockHeader header {};
    for (; point.start < size; point = NextPoint(point, header))
        if (!ReadBlockHeader(member, point, header))
            return BF_ERR_FORMAT;
    *storedSize = point.headerOffset;
    return BF_OK;
}
