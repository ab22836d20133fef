// Bitmap records in a record store: a group of type 0x1001 holding a 16-byte size chunk (0, 0,
// width, height) and a chunk of the pixels as they lie in memory. Glyph bitmaps of font files
// arrive this way, so the sizes are checked before anything is allocated.
#include "guib/guib.h"

namespace {

constexpr uint32_t SIZE_CHUNK = 1;
constexpr uint32_t PIXEL_CHUNK = 2;
constexpr uint32_t SIZE_CHUNK_BYTES = 16;

// The chunks of a bitmap record, read in place.
struct BitmapRecord {
    uint32_t width;
    uint32_t height;
    const uint8_t* pixels;
    uint32_t pixelBytes;
};

// Reads the bitmap group the store has entered: a 16-byte size chunk and a pixel chunk.
bool ReadRecord(const c_GUIB_Store* store, BitmapRecord* record)
{
    const uint8_t* sizes = nullptr;
    uint32_t sizesBytes = 0;
    if (store->FindChunk(SIZE_CHUNK, &sizes, &sizesBytes) != SYS_OK
        || sizesBytes != SIZE_CHUNK_BYTES
        || store->FindChunk(PIXEL_CHUNK, &record->pixels, &record->pixelBytes) != SYS_OK)
        return false;
    record->width = SYS_LoadU32(sizes + 8);
    record->height = SYS_LoadU32(sizes + 12);
    return true;
}

// Gives the bitmap the record's size and copies the pixels the record holds; false when the
// size is out of the bitmap limits. A record of no pixels holds the empty bitmap.
bool TakePixels(c_GUIB_Bitmap* bitmap, const BitmapRecord& record)
{
    if (record.width == 0 || record.height == 0)
        return true;
    if (record.width > uint32_t(GUIB_MAX_BITMAP_SIDE)
        || record.height > uint32_t(GUIB_MAX_BITMAP_SIDE)
        || !bitmap->Create(int32_t(record.width), int32_t(record.height)))
        return false;
    const uint64_t blockBytes = uint64_t { record.width } * record.height * 4;
    SYS_Copy(bitmap->GetPixels(), record.pixels,
        record.pixelBytes < blockBytes ? record.pixelBytes : blockBytes);
    return true;
}

}

SYS_Status c_GUIB_Bitmap::SaveToStore(c_GUIB_Store* store, uint32_t id) const
{
    if (store == nullptr)
        return SYS_BAD_ARGUMENT;
    if (auto status = store->BeginGroup(GUIB_GROUP_BITMAP, id, nullptr); status != SYS_OK)
        return status;
    uint8_t sizes[SIZE_CHUNK_BYTES] = {};
    SYS_StoreU32(sizes + 8, uint32_t(m_width));
    SYS_StoreU32(sizes + 12, uint32_t(m_height));
    SYS_Status status = store->WriteChunk(SIZE_CHUNK, sizes, SIZE_CHUNK_BYTES);
    // A bitmap has at most GUIB_MAX_BITMAP_BYTES of pixels, so the byte count fits 32 bits.
    const uint64_t pixelBytes = uint64_t(m_width) * uint64_t(m_height) * 4;
    if (status == SYS_OK)
        status = store->WriteChunk(PIXEL_CHUNK, m_pixels, static_cast<uint32_t>(pixelBytes));
    const SYS_Status ended = store->EndGroup();
    return status != SYS_OK ? status : ended;
}

// Any failure leaves the bitmap 0 × 0: a size chunk that is not 16 bytes, sizes out of the
// bitmap limits, a missing pixel chunk. A pixel chunk shorter than the bitmap fills what it
// holds and leaves the rest cleared; a longer one is cut to the bitmap.
int c_GUIB_Bitmap::LoadFromStore(c_GUIB_Store* store, uint32_t id)
{
    AdoptPixels(nullptr, 0, 0);
    if (store == nullptr || store->OpenGroup(GUIB_GROUP_BITMAP, id) != SYS_OK)
        return 0;
    BitmapRecord record {};
    bool loaded = ReadRecord(store, &record);
    if (loaded && !TakePixels(this, record)) {
        SYS_Trace(SYS_TAG_GUIB, 0, "bitmap record: size out of range");
        loaded = false;
    }
    (void)store->EndGroup();
    return loaded ? 1 : 0;
}

bool c_GUIB_Bitmap::StoreHoldsPixels(
    c_GUIB_Store* store, uint32_t id, uint32_t width, uint32_t height)
{
    if (store == nullptr || store->OpenGroup(GUIB_GROUP_BITMAP, id) != SYS_OK)
        return false;
    BitmapRecord record {};
    const bool holds = ReadRecord(store, &record) && record.width == width
        && record.height == height && record.pixelBytes >= uint64_t { width } * height * 4;
    (void)store->EndGroup();
    return holds;
}
