// The inside of the item store, shared by the list operations (item_store.cpp) and the id index
// (item_store_index.cpp): the store and item records, the lock guard and the index helpers.
#pragma once

#include "platform/platform.h"

namespace platform::detail {

// One item of the doubly linked list. The use count starts at 1, the store's own reference.
struct StoreItem {
    StoreItem* m_next;
    StoreItem* m_prev;
    uint32_t m_useCount;
    SYS_Handle m_waitEvent; // set when the item leaves; 0 unless a remover waits
    uint32_t m_id;
    char* m_name; // owned copy, or null
    size_t m_nameSize; // bytes of the name with its terminator, 0 without a name
    uintptr_t m_value;
};

// Holds the store's lock for one operation. Unlock() lets go early (before a release callback
// runs); the destructor lets go otherwise. A failed lock is reported by Status() and never
// unlocked.
class StoreLock {
public:
    explicit StoreLock(SYS_ItemStore* store);
    ~StoreLock() { Unlock(); }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    SYS_Status Status() const { return m_status; }
    void Unlock();

private:
    SYS_Handle m_mutex;
    SYS_Status m_status;
    bool m_held;
};

// The entry of the index whose item has the id, or null (also without an index).
StoreItem* IndexFind(const SYS_ItemStore* store, uint32_t id);
// Takes the item out of the index, moving the later entries down; nothing without an index.
void IndexRemove(SYS_ItemStore* store, const StoreItem* item);
// Frees the index; lookups walk the list until it is built again.
void IndexDrop(SYS_ItemStore* store);

}

// The store: its items in list order, the optional index over them, and the lock that guards
// both (the no-object handle for a store made without one).
struct SYS_ItemStore {
    uint32_t m_count; // linked items
    int m_locked;
    SYS_Handle m_lock;
    int m_closing; // set by SYS_StoreDestroy: adds are refused
    SYS_ReleaseCallback m_release;
    platform::detail::StoreItem* m_head;
    platform::detail::StoreItem* m_tail;
    platform::detail::StoreItem** m_index; // items sorted by id, or null
    uint32_t m_indexCount; // entries in the index
};
