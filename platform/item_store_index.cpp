// The id index of the item store: an array of the items sorted by id, built on request after a
// table has been filled (a font's characters), searched by halving, and kept up to date as items
// leave the store.
#include "platform/item_store_internal.h"

#include <algorithm>

namespace platform::detail {

StoreItem* IndexFind(const SYS_ItemStore* store, uint32_t id)
{
    if (store->m_index == nullptr || store->m_indexCount == 0)
        return nullptr;
    // Every entry with the id lies in [low, high] while the loop runs.
    uint32_t low = 0;
    uint32_t high = store->m_indexCount - 1;
    while (low != high) {
        uint32_t middle = low + (high - low) / 2;
        uint32_t middleId = store->m_index[middle]->m_id;
        if (middleId == id)
            return store->m_index[middle];
        if (middleId > id)
            high = middle;
        else
            low = middle + 1;
    }
    return store->m_index[low]->m_id == id ? store->m_index[low] : nullptr;
}

void IndexRemove(SYS_ItemStore* store, const StoreItem* item)
{
    if (store->m_index == nullptr)
        return;
    StoreItem** end = store->m_index + store->m_indexCount;
    StoreItem** entry = std::find(store->m_index, end, item);
    if (entry == end)
        return;
    std::copy(entry + 1, end, entry);
    --store->m_indexCount;
}

void IndexDrop(SYS_ItemStore* store)
{
    SYS_Free(store->m_index);
    store->m_index = nullptr;
    store->m_indexCount = 0;
}

}

using platform::detail::StoreItem;
using platform::detail::StoreLock;

// A stable sort keeps items with equal ids in list order and places every id, 0xFFFFFFFF
// included, in n log n steps.
SYS_Status SYS_StoreSortIndex(SYS_ItemStore* store)
{
    if (store == nullptr)
        return SYS_BAD_ARGUMENT;
    StoreLock lock(store);
    if (lock.Status() != SYS_OK)
        return lock.Status();
    platform::detail::IndexDrop(store);
    if (store->m_count == 0)
        return SYS_OK;
    auto** index = static_cast<StoreItem**>(
        SYS_Alloc(size_t { store->m_count } * sizeof(StoreItem*), "ItemStore index", 0));
    if (index == nullptr)
        return SYS_NO_MEMORY;
    uint32_t entries = 0;
    for (StoreItem* item = store->m_head; item != nullptr; item = item->m_next)
        index[entries++] = item;
    std::stable_sort(index, index + entries,
        [](const StoreItem* a, const StoreItem* b) { return a->m_id < b->m_id; });
    store->m_index = index;
    store->m_indexCount = entries;
    return SYS_OK;
}
