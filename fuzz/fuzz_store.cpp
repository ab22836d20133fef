// Fuzz target of the record store: arbitrary bytes as a store file, explored with the ids and
// types of every magic found in them, nested a few groups deep. Every chunk handed out must
// lie inside the store's bytes, and every bitmap record must load to a size within the limits
// or fail to 0 × 0.
#include "guib/guib.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr size_t MAX_KEYS = 8;
constexpr int MAX_DEPTH = 3;

struct Key {
    uint32_t type;
    uint32_t id;
};

// The type and id fields after each magic in the input: the records a scan could match.
std::vector<Key> KeysOf(const uint8_t* data, size_t size)
{
    std::vector<Key> keys;
    for (size_t at = 0; at + 12 <= size && keys.size() < MAX_KEYS; ++at) {
        uint32_t words[3];
        std::memcpy(words, data + at, sizeof words);
        if (words[0] == GUIB_STORE_MAGIC)
            keys.push_back({ words[1], words[2] });
    }
    return keys;
}

void CheckChunk(const c_GUIB_Store& store, uint32_t id)
{
    const uint8_t* chunk = nullptr;
    uint32_t size = 0;
    if (store.FindChunk(id, &chunk, &size) != SYS_OK)
        return;
    const uint8_t* begin = store.GetData();
    if (chunk < begin || uint64_t(chunk - begin) + size > store.GetUsedSize())
        std::abort();
}

void CheckBitmap(c_GUIB_Store* store, uint32_t id)
{
    c_GUIB_Bitmap* bitmap = new c_GUIB_Bitmap(store, id);
    int32_t width = 0;
    int32_t height = 0;
    bitmap->GetSize(&width, &height);
    if ((bitmap->GetPixels() == nullptr) != (width == 0 && height == 0)
        || width > GUIB_MAX_BITMAP_SIDE || height > GUIB_MAX_BITMAP_SIDE)
        std::abort();
    bitmap->Release();
}

void Explore(c_GUIB_Store* store, const std::vector<Key>& keys, int depth)
{
    for (const Key& key : keys) {
        CheckChunk(*store, key.id);
        if (key.type == GUIB_GROUP_BITMAP)
            CheckBitmap(store, key.id);
        if (depth < MAX_DEPTH && store->OpenGroup(key.type, key.id) == SYS_OK) {
            Explore(store, keys, depth + 1);
            if (store->EndGroup() != SYS_OK)
                std::abort();
        }
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    c_GUIB_Store* store = new c_GUIB_Store(data, size);
    Explore(store, KeysOf(data, size), 0);
    // Every group entered was left: the store is back at its top level.
    if (store->EndGroup() != GUIB_STORE_NOTHING_OPEN)
        std::abort();
    store->Release();
    return 0;
}
