// The item store: an ordered list of items (id, value, optional name, use count) that every
// module keeps its tables in. Lookups hand out references; an item leaves the store at its last
// release, after which the owner's callback frees the record the value points to.
#include "platform/item_store_internal.h"

#include <new>
#include <utility>

namespace platform::detail {

StoreLock::StoreLock(SYS_ItemStore* store)
    : m_mutex(store->m_lock)
    , m_status(SYS_MutexLock(store->m_lock, SYS_WAIT_FOREVER))
    , m_held(m_status == SYS_OK)
{
}

void StoreLock::Unlock()
{
    if (m_held)
        (void)SYS_MutexUnlock(m_mutex);
    m_held = false;
}

}

using platform::detail::StoreItem;
using platform::detail::StoreLock;

namespace {

StoreItem* NewItem(uint32_t id, uintptr_t value)
{
    void* block = SYS_Alloc(sizeof(StoreItem), "ItemStore item", 0);
    if (block == nullptr)
        return nullptr;
    return new (block) StoreItem { nullptr, nullptr, 1, 0, id, nullptr, 0, value };
}

void FreeItem(StoreItem* item)
{
    SYS_Free(item->m_name);
    SYS_Free(item);
}

StoreItem* FindFirst(const SYS_ItemStore* store, uint32_t id)
{
    StoreItem* item = store->m_head;
    while (item != nullptr && item->m_id != id)
        item = item->m_next;
    return item;
}

// The item at a 0-based position, or null at or past the end.
StoreItem* ItemAt(const SYS_ItemStore* store, uint32_t position)
{
    StoreItem* item = store->m_head;
    for (; item != nullptr && position > 0; --position)
        item = item->m_next;
    return item;
}

// Lookups by id go through the index when there is one.
StoreItem* LookUp(const SYS_ItemStore* store, uint32_t id)
{
    if (store->m_index != nullptr)
        return platform::detail::IndexFind(store, id);
    return FindFirst(store, id);
}

// Links the item in front of before (null: at the tail).
void LinkBefore(SYS_ItemStore* store, StoreItem* item, StoreItem* before)
{
    StoreItem* after = before != nullptr ? before->m_prev : store->m_tail;
    item->m_next = before;
    item->m_prev = after;
    (after != nullptr ? after->m_next : store->m_head) = item;
    (before != nullptr ? before->m_prev : store->m_tail) = item;
    ++store->m_count;
}

void Unlink(SYS_ItemStore* store, StoreItem* item)
{
    (item->m_prev != nullptr ? item->m_prev->m_next : store->m_head) = item->m_next;
    (item->m_next != nullptr ? item->m_next->m_prev : store->m_tail) = item->m_prev;
    item->m_next = nullptr;
    item->m_prev = nullptr;
    --store->m_count;
}

// Finds the item a new one goes in front of (null: the tail) for an insert mode.
SYS_Status ResolvePosition(
    const SYS_ItemStore* store, int32_t mode, uint32_t reference, StoreItem** before)
{
    switch (mode) {
    case SYS_AT_HEAD:
        *before = store->m_head;
        return SYS_OK;
    case SYS_AT_TAIL:
        *before = nullptr;
        return SYS_OK;
    case SYS_AFTER_ID:
    case SYS_BEFORE_ID: {
        StoreItem* found = FindFirst(store, reference);
        if (found == nullptr)
            return SYS_FAILED;
        *before = mode == SYS_AFTER_ID ? found->m_next : found;
        return SYS_OK;
    }
    case SYS_AT_POSITION:
        if (reference > store->m_count)
            return SYS_OUT_OF_RANGE;
        *before = ItemAt(store, reference);
        return SYS_OK;
    }
    return SYS_BAD_MODE;
}

// An index would miss a new item, so adding drops it.
SYS_Status LinkNew(SYS_ItemStore* store, StoreItem* item, int32_t mode, uint32_t reference)
{
    StoreLock lock(store);
    if (lock.Status() != SYS_OK)
        return lock.Status();
    if (store->m_closing)
        return SYS_CLOSING;
    StoreItem* before = nullptr;
    if (auto status = ResolvePosition(store, mode, reference, &before); status != SYS_OK)
        return status;
    LinkBefore(store, item, before);
    platform::detail::IndexDrop(store);
    return SYS_OK;
}

// The new item is allocated before the lock is taken and discarded after it is let go.
SYS_Status AddItem(
    SYS_ItemStore* store, uint32_t id, uintptr_t value, int32_t mode, uint32_t reference)
{
    if (store == nullptr)
        return SYS_BAD_ARGUMENT;
    StoreItem* item = NewItem(id, value);
    if (item == nullptr)
        return SYS_NO_MEMORY;
    SYS_Status status = LinkNew(store, item, mode, reference);
    if (status != SYS_OK)
        FreeItem(item);
    return status;
}

// Writes the item's id and value where asked; handing out the value takes a reference.
void HandOut(StoreItem* item, uint32_t* id, uintptr_t* value)
{
    if (id != nullptr)
        *id = item->m_id;
    if (value != nullptr) {
        *value = item->m_value;
        ++item->m_useCount;
    }
}

// Gives back n references of a linked item with the lock held. When the item leaves, the lock
// is let go before the callback runs, so that the callback may call into the same store.
void ReleaseLocked(SYS_ItemStore* store, StoreItem* item, uint32_t n, StoreLock& lock)
{
    if (item->m_useCount > n) {
        item->m_useCount -= n;
        return;
    }
    platform::detail::IndexRemove(store, item);
    Unlink(store, item);
    SYS_ReleaseCallback release = store->m_release;
    lock.Unlock();
    if (release != nullptr)
        release(item->m_id, item->m_value);
    if (item->m_waitEvent != 0)
        (void)SYS_EventSet(item->m_waitEvent, 1);
    FreeItem(item);
}

// Swaps the name of the first item with the id for *name; *name then holds the old one.
SYS_Status SwapName(SYS_ItemStore* store, uint32_t id, char** name, size_t* nameSize)
{
    StoreLock lock(store);
    if (lock.Status() != SYS_OK)
        return lock.Status();
    StoreItem* item = FindFirst(store, id);
    if (item == nullptr)
        return SYS_FAILED;
    std::swap(item->m_name, *name);
    std::swap(item->m_nameSize, *nameSize);
    return SYS_OK;
}

SYS_Status MarkClosing(SYS_ItemStore* store)
{
    StoreLock lock(store);
    if (lock.Status() == SYS_OK)
        store->m_closing = 1;
    return lock.Status();
}

// Items leave in list order, so each is found at the head of the list without the index,
// which would only cost a search and a shift for every item (quadratic for a large font).
SYS_Status RemoveAll(SYS_ItemStore* store, int wait)
{
    if (StoreLock lock(store); lock.Status() == SYS_OK)
        platform::detail::IndexDrop(store);
    uint32_t* ids = nullptr;
    uint32_t count = 0;
    if (auto status = SYS_StoreListIds(store, &ids, &count); status != SYS_OK)
        return status;
    for (uint32_t i = 0; i < count; ++i)
        (void)SYS_StoreRemove(store, ids[i], wait);
    SYS_Free(ids);
    return SYS_OK;
}

// Items left when the store is destroyed without removing them are unreachable from then on;
// their records are freed without the callback.
void FreeLeftItems(SYS_ItemStore* store)
{
    while (StoreItem* item = store->m_head) {
        store->m_head = item->m_next;
        FreeItem(item);
    }
}

}

SYS_ItemStore* SYS_StoreCreate(SYS_ReleaseCallback release, int locked)
{
    void* block = SYS_Alloc(sizeof(SYS_ItemStore), "ItemStore", 0);
    if (block == nullptr)
        return nullptr;
    SYS_Handle lock = locked ? SYS_MutexCreate(0) : SYS_NO_OBJECT;
    if (lock == 0) {
        SYS_Free(block);
        return nullptr;
    }
    return new (block) SYS_ItemStore { 0, locked, lock, 0, release, nullptr, nullptr, nullptr, 0 };
}

// Taking the lock once more before closing it lets an operation still in progress finish.
SYS_Status SYS_StoreDestroy(SYS_ItemStore* store, int removeItems, int wait)
{
    if (store == nullptr)
        return SYS_BAD_ARGUMENT;
    if (auto status = MarkClosing(store); status != SYS_OK)
        return status;
    if (removeItems)
        if (auto status = RemoveAll(store, wait); status != SYS_OK)
            return status;
    if (auto status = SYS_MutexLock(store->m_lock, SYS_WAIT_FOREVER); status != SYS_OK)
        return status;
    (void)SYS_MutexUnlock(store->m_lock);
    (void)SYS_MutexClose(store->m_lock);
    FreeLeftItems(store);
    platform::detail::IndexDrop(store);
    SYS_Free(store);
    return SYS_OK;
}

SYS_Status SYS_StoreAdd(SYS_ItemStore* store, uint32_t id, uintptr_t value, int32_t where)
{
    int32_t mode = where == SYS_AT_HEAD || where == SYS_AT_TAIL ? where : SYS_AT_POSITION;
    return AddItem(store, id, value, mode, static_cast<uint32_t>(where));
}

SYS_Status SYS_StoreInsert(
    SYS_ItemStore* store, uint32_t id, uintptr_t value, int32_t mode, uint32_t reference)
{
    return AddItem(store, id, value, mode, reference);
}

// The item is resolved against the list without itself; when no place is found it goes back in
// front of its old successor, so order and count stay as they were. A move drops the index,
// whose order of equal ids follows the list.
SYS_Status SYS_StoreMove(SYS_ItemStore* store, uint32_t id, int32_t mode, uint32_t reference)
{
    if (store == nullptr)
        return SYS_BAD_ARGUMENT;
    StoreLock lock(store);
    if (lock.Status() != SYS_OK)
        return lock.Status();
    StoreItem* item = FindFirst(store, id);
    if (item == nullptr)
        return SYS_OK;
    StoreItem* oldNext = item->m_next;
    Unlink(store, item);
    StoreItem* before = nullptr;
    SYS_Status status = ResolvePosition(store, mode, reference, &before);
    LinkBefore(store, item, status == SYS_OK ? before : oldNext);
    if (status == SYS_OK)
        platform::detail::IndexDrop(store);
    return status;
}

SYS_Status SYS_StoreGet(SYS_ItemStore* store, uint32_t id, uintptr_t* value)
{
    if (store == nullptr)
        return SYS_BAD_ARGUMENT;
    StoreLock lock(store);
    if (lock.Status() != SYS_OK)
        return lock.Status();
    if (store->m_count == 0)
        return SYS_EMPTY;
    StoreItem* item = LookUp(store, id);
    if (item == nullptr)
        return SYS_FAILED;
    HandOut(item, nullptr, value);
    return SYS_OK;
}

SYS_Status SYS_StoreGetAt(SYS_ItemStore* store, int32_t position, uint32_t* id, uintptr_t* value)
{
    if (store == nullptr)
        return SYS_BAD_ARGUMENT;
    StoreLock lock(store);
    if (lock.Status() != SYS_OK)
        return lock.Status();
    if (store->m_count == 0)
        return SYS_EMPTY;
    StoreItem* item = nullptr;
    if (position == -1)
        item = store->m_head;
    else if (position == -2)
        item = store->m_tail;
    else if (position >= 0)
        item = ItemAt(store, static_cast<uint32_t>(position));
    if (item == nullptr)
        return SYS_OUT_OF_RANGE;
    HandOut(item, id, value);
    return SYS_OK;
}

SYS_Status SYS_StoreFindByName(
    SYS_ItemStore* store, const char* name, uint32_t* id, uintptr_t* value)
{
    if (store == nullptr || name == nullptr)
        return SYS_BAD_ARGUMENT;
    StoreLock lock(store);
    if (lock.Status() != SYS_OK)
        return lock.Status();
    StoreItem* item = store->m_head;
    while (item != nullptr && (item->m_name == nullptr || SYS_StrCompare(item->m_name, name) != 0))
        item = item->m_next;
    if (item == nullptr)
        return SYS_FAILED;
    HandOut(item, id, value);
    return SYS_OK;
}

SYS_Status SYS_StoreRelease(SYS_ItemStore* store, uint32_t id, uint32_t n)
{
    if (store == nullptr)
        return SYS_BAD_ARGUMENT;
    StoreLock lock(store);
    if (lock.Status() != SYS_OK)
        return lock.Status();
    if (store->m_count == 0)
        return SYS_EMPTY;
    StoreItem* item = LookUp(store, id);
    if (item == nullptr)
        return SYS_FAILED;
    ReleaseLocked(store, item, n, lock);
    return SYS_OK;
}

// The store's reference is given back on the item found here, under the same hold of the lock,
// so the wait event always belongs to the item that was released. The event is set by whichever
// release finally takes the item out, possibly this one.
SYS_Status SYS_StoreRemove(SYS_ItemStore* store, uint32_t id, int wait)
{
    if (store == nullptr)
        return SYS_BAD_ARGUMENT;
    StoreLock lock(store);
    if (lock.Status() != SYS_OK)
        return lock.Status();
    StoreItem* item = FindFirst(store, id);
    if (item == nullptr)
        return SYS_FAILED;
    SYS_Handle event = 0;
    if (wait) {
        event = SYS_EventCreate(0);
        if (event == 0)
            return SYS_NO_EVENT;
        item->m_waitEvent = event;
    }
    ReleaseLocked(store, item, 1, lock);
    lock.Unlock();
    if (!wait)
        return SYS_OK;
    SYS_Status status = SYS_EventWait(event, SYS_WAIT_FOREVER);
    (void)SYS_EventClose(event);
    return status;
}

SYS_Status SYS_StoreCount(SYS_ItemStore* store, uint32_t* count)
{
    if (store == nullptr || count == nullptr)
        return SYS_BAD_ARGUMENT;
    StoreLock lock(store);
    if (lock.Status() != SYS_OK)
        return lock.Status();
    *count = store->m_count;
    return SYS_OK;
}

SYS_Status SYS_StoreListIds(SYS_ItemStore* store, uint32_t** ids, uint32_t* count)
{
    if (store == nullptr || ids == nullptr || count == nullptr)
        return SYS_BAD_ARGUMENT;
    StoreLock lock(store);
    if (lock.Status() != SYS_OK)
        return lock.Status();
    *count = 0;
    if (store->m_count == 0)
        return SYS_OK;
    auto* list = static_cast<uint32_t*>(
        SYS_Alloc(size_t { store->m_count } * sizeof(uint32_t), "ItemStore ids", 0));
    if (list == nullptr)
        return SYS_NO_MEMORY;
    uint32_t listed = 0;
    for (StoreItem* item = store->m_head; item != nullptr; item = item->m_next)
        list[listed++] = item->m_id;
    *ids = list;
    *count = listed;
    return SYS_OK;
}

// The copy is made before the lock is taken; the name it replaces is freed after it is let go.
SYS_Status SYS_StoreSetName(SYS_ItemStore* store, uint32_t id, const char* name)
{
    if (store == nullptr)
        return SYS_BAD_ARGUMENT;
    char* copy = nullptr;
    size_t size = 0;
    if (name != nullptr) {
        size = SYS_StrLen(name) + 1;
        copy = static_cast<char*>(SYS_Alloc(size, "ItemStore name", 0));
        if (copy == nullptr)
            return SYS_NO_MEMORY;
        SYS_Copy(copy, name, size);
    }
    SYS_Status status = SwapName(store, id, &copy, &size);
    SYS_Free(copy);
    return status;
}
