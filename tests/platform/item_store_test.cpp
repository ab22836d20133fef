// Tests of the item store: insert positions and their failures, moves that cannot relink,
// reference counting and the release callback, waiting removal across threads, the id index
// (order of equal ids, the id 0xFFFFFFFF, lookups) and a locked store shared by two threads.
#include "platform/item_store_internal.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Entry = std::pair<uint32_t, uintptr_t>;

// What the release callback saw, in call order. The callback has no user argument, so the
// record is shared by the whole program and cleared by every fixture.
std::mutex g_releasedMutex;
std::vector<Entry> g_released;

void RecordRelease(uint32_t id, uintptr_t value)
{
    std::lock_guard<std::mutex> guard(g_releasedMutex);
    g_released.emplace_back(id, value);
}

std::vector<Entry> Released()
{
    std::lock_guard<std::mutex> guard(g_releasedMutex);
    return g_released;
}

std::vector<uint32_t> Ids(SYS_ItemStore* store)
{
    uint32_t* ids = nullptr;
    uint32_t count = 0;
    EXPECT_EQ(SYS_StoreListIds(store, &ids, &count), SYS_OK);
    std::vector<uint32_t> list(ids, ids + count);
    SYS_Free(ids);
    return list;
}

uint32_t Count(SYS_ItemStore* store)
{
    uint32_t count = 0xDEAD;
    EXPECT_EQ(SYS_StoreCount(store, &count), SYS_OK);
    return count;
}

// The index entries as (id, value), read from inside the store.
std::vector<Entry> IndexEntries(const SYS_ItemStore* store)
{
    std::vector<Entry> entries;
    for (uint32_t i = 0; i < store->m_indexCount; ++i)
        entries.emplace_back(store->m_index[i]->m_id, store->m_index[i]->m_value);
    return entries;
}

class ItemStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::lock_guard<std::mutex> guard(g_releasedMutex);
        g_released.clear();
    }
    void TearDown() override
    {
        if (m_store != nullptr) {
            EXPECT_EQ(SYS_StoreDestroy(m_store, 1, 0), SYS_OK);
        }
    }
    void Make(int locked = 0)
    {
        m_store = SYS_StoreCreate(RecordRelease, locked);
        ASSERT_NE(m_store, nullptr);
    }
    // Adds the ids at the tail with the value 100 + their place in the list.
    void Fill(std::initializer_list<uint32_t> ids)
    {
        for (uint32_t id : ids)
            ASSERT_EQ(SYS_StoreAdd(m_store, id, 100 + Count(m_store), SYS_AT_TAIL), SYS_OK);
    }

    SYS_ItemStore* m_store = nullptr;
};

using ItemStorePositions = ItemStoreTest;
using ItemStoreReferences = ItemStoreTest;
using ItemStoreIndex = ItemStoreTest;
using ItemStoreLifecycle = ItemStoreTest;
using ItemStoreThreads = ItemStoreTest;

TEST_F(ItemStorePositions, AddAndInsertPlaceItemsByMode)
{
    Make();
    ASSERT_EQ(SYS_StoreAdd(m_store, 1, 0, SYS_AT_TAIL), SYS_OK);
    ASSERT_EQ(SYS_StoreAdd(m_store, 2, 0, SYS_AT_HEAD), SYS_OK);
    ASSERT_EQ(SYS_StoreAdd(m_store, 3, 0, 1), SYS_OK);
    ASSERT_EQ(SYS_StoreAdd(m_store, 4, 0, 3), SYS_OK); // position == count appends
    EXPECT_EQ(Ids(m_store), (std::vector<uint32_t> { 2, 3, 1, 4 }));
    ASSERT_EQ(SYS_StoreAdd(m_store, 3, 0, SYS_AT_TAIL), SYS_OK);
    // After and before refer to the first item with the id.
    ASSERT_EQ(SYS_StoreInsert(m_store, 5, 0, SYS_AFTER_ID, 3), SYS_OK);
    ASSERT_EQ(SYS_StoreInsert(m_store, 6, 0, SYS_BEFORE_ID, 3), SYS_OK);
    ASSERT_EQ(SYS_StoreInsert(m_store, 7, 0, SYS_AT_POSITION, 0), SYS_OK);
    ASSERT_EQ(SYS_StoreInsert(m_store, 8, 0, SYS_AT_POSITION, 8), SYS_OK);
    EXPECT_EQ(Ids(m_store), (std::vector<uint32_t> { 7, 2, 6, 3, 5, 1, 4, 3, 8 }));
    EXPECT_EQ(Count(m_store), 9u);
}

TEST_F(ItemStorePositions, RefusedInsertsLeaveTheStoreUnchanged)
{
    Make();
    EXPECT_EQ(SYS_StoreInsert(m_store, 1, 0, SYS_AFTER_ID, 0), SYS_FAILED);
    EXPECT_EQ(SYS_StoreInsert(m_store, 1, 0, SYS_BEFORE_ID, 0), SYS_FAILED);
    Fill({ 10, 20 });
    EXPECT_EQ(SYS_StoreInsert(m_store, 1, 0, SYS_AFTER_ID, 99), SYS_FAILED);
    EXPECT_EQ(SYS_StoreInsert(m_store, 1, 0, 7, 0), SYS_BAD_MODE);
    EXPECT_EQ(SYS_StoreInsert(m_store, 1, 0, 0, 0), SYS_BAD_MODE);
    EXPECT_EQ(SYS_StoreInsert(m_store, 1, 0, SYS_AT_POSITION, 3), SYS_OUT_OF_RANGE);
    EXPECT_EQ(SYS_StoreAdd(m_store, 1, 0, 3), SYS_OUT_OF_RANGE);
    EXPECT_EQ(SYS_StoreAdd(m_store, 1, 0, -3), SYS_OUT_OF_RANGE); // any other where is a position
    EXPECT_EQ(Ids(m_store), (std::vector<uint32_t> { 10, 20 }));
    EXPECT_TRUE(Released().empty());
}

TEST_F(ItemStorePositions, GetAtFirstLastAndPastTheEnd)
{
    Make();
    uint32_t id = 0;
    for (int32_t position : { -1, -2, 0 })
        EXPECT_EQ(SYS_StoreGetAt(m_store, position, &id, nullptr), SYS_EMPTY);
    uint32_t* untouched = &id;
    uint32_t count = 7;
    EXPECT_EQ(SYS_StoreListIds(m_store, &untouched, &count), SYS_OK);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(untouched, &id);

    Fill({ 10, 20, 30 });
    uintptr_t value = 0;
    EXPECT_EQ(SYS_StoreGetAt(m_store, -1, &id, nullptr), SYS_OK);
    EXPECT_EQ(id, 10u);
    EXPECT_EQ(SYS_StoreGetAt(m_store, -2, &id, &value), SYS_OK);
    EXPECT_EQ(id, 30u);
    EXPECT_EQ(value, 102u);
    EXPECT_EQ(SYS_StoreGetAt(m_store, 1, &id, nullptr), SYS_OK);
    EXPECT_EQ(id, 20u);
    EXPECT_EQ(SYS_StoreGetAt(m_store, 3, &id, nullptr), SYS_OUT_OF_RANGE);
    EXPECT_EQ(SYS_StoreGetAt(m_store, -3, &id, nullptr), SYS_OUT_OF_RANGE);
}

TEST_F(ItemStorePositions, MoveRelinksAgainstTheListWithoutTheItem)
{
    Make();
    Fill({ 1, 2, 3, 2 });
    ASSERT_EQ(SYS_StoreMove(m_store, 3, SYS_AT_HEAD, 0), SYS_OK);
    EXPECT_EQ(Ids(m_store), (std::vector<uint32_t> { 3, 1, 2, 2 }));
    // The first 2 cannot be its own reference: it goes after the other 2.
    ASSERT_EQ(SYS_StoreMove(m_store, 2, SYS_AFTER_ID, 2), SYS_OK);
    ASSERT_EQ(SYS_StoreMove(m_store, 1, SYS_AT_POSITION, 3), SYS_OK);
    EXPECT_EQ(Ids(m_store), (std::vector<uint32_t> { 3, 2, 2, 1 }));
    EXPECT_EQ(SYS_StoreMove(m_store, 99, SYS_AT_HEAD, 0), SYS_OK);
    EXPECT_EQ(Count(m_store), 4u);
}

TEST_F(ItemStorePositions, FailedMovePutsTheItemBackWhereItWas)
{
    Make();
    Fill({ 1, 2, 3, 4 });
    const std::vector<uint32_t> order { 1, 2, 3, 4 };
    EXPECT_EQ(SYS_StoreMove(m_store, 2, SYS_AFTER_ID, 99), SYS_FAILED);
    EXPECT_EQ(SYS_StoreMove(m_store, 1, SYS_BEFORE_ID, 1), SYS_FAILED);
    EXPECT_EQ(SYS_StoreMove(m_store, 4, SYS_AT_POSITION, 4), SYS_OUT_OF_RANGE);
    EXPECT_EQ(SYS_StoreMove(m_store, 3, 9, 0), SYS_BAD_MODE);
    EXPECT_EQ(Ids(m_store), order);
    EXPECT_EQ(Count(m_store), 4u);
    // Every item is still reachable with its value, and leaves through the callback.
    ASSERT_EQ(SYS_StoreDestroy(m_store, 1, 0), SYS_OK);
    m_store = nullptr;
    EXPECT_EQ(Released(), (std::vector<Entry> { { 1, 100 }, { 2, 101 }, { 3, 102 }, { 4, 103 } }));
}

TEST_F(ItemStoreReferences, OutstandingReferenceOutlivesRemove)
{
    Make();
    Fill({ 7, 8 });
    EXPECT_EQ(SYS_StoreGet(m_store, 7, nullptr), SYS_OK); // a presence test takes no reference
    uintptr_t value = 0;
    ASSERT_EQ(SYS_StoreGet(m_store, 8, &value), SYS_OK);
    EXPECT_EQ(value, 101u);

    EXPECT_EQ(SYS_StoreRemove(m_store, 7, 0), SYS_OK);
    EXPECT_EQ(SYS_StoreRemove(m_store, 8, 0), SYS_OK);
    EXPECT_EQ(Released(), (std::vector<Entry> { { 7, 100 } }));
    EXPECT_EQ(SYS_StoreGet(m_store, 8, nullptr), SYS_OK);
    EXPECT_EQ(SYS_StoreRelease(m_store, 8, 1), SYS_OK);
    EXPECT_EQ(Released(), (std::vector<Entry> { { 7, 100 }, { 8, 101 } }));
    EXPECT_EQ(SYS_StoreRelease(m_store, 8, 1), SYS_EMPTY);
    EXPECT_EQ(SYS_StoreGet(m_store, 8, nullptr), SYS_EMPTY);
}

// The first of two equal ids is found first; releasing more than it holds takes it out at once.
TEST_F(ItemStoreReferences, ReleasingMoreThanHeldRemovesTheFirstEqualId)
{
    Make();
    Fill({ 5, 5 });
    uintptr_t value = 0;
    ASSERT_EQ(SYS_StoreGet(m_store, 5, &value), SYS_OK); // two references now
    EXPECT_EQ(value, 100u);
    EXPECT_EQ(SYS_StoreRelease(m_store, 5, 5), SYS_OK);
    EXPECT_EQ(Released(), (std::vector<Entry> { { 5, 100 } }));
    ASSERT_EQ(SYS_StoreGet(m_store, 5, &value), SYS_OK);
    EXPECT_EQ(value, 101u);
    EXPECT_EQ(SYS_StoreRelease(m_store, 5, 1), SYS_OK);
    EXPECT_EQ(SYS_StoreRelease(m_store, 6, 1), SYS_FAILED);
    EXPECT_EQ(SYS_StoreRemove(m_store, 6, 0), SYS_FAILED);
    EXPECT_EQ(Count(m_store), 1u);
}

// Values are pointer-sized: every bit comes back (above 4 GiB on a 64-bit build).
TEST_F(ItemStoreReferences, ValuesKeepEveryBitOfAPointer)
{
    Make();
    const uintptr_t pointer = static_cast<uintptr_t>(0x0000123456789ABCull) | (UINTPTR_MAX << 31);
    ASSERT_EQ(SYS_StoreAdd(m_store, 1, pointer, SYS_AT_TAIL), SYS_OK);
    uintptr_t value = 0;
    ASSERT_EQ(SYS_StoreGetAt(m_store, -2, nullptr, &value), SYS_OK);
    EXPECT_EQ(value, pointer);
    EXPECT_EQ(SYS_StoreRemove(m_store, 1, 0), SYS_OK); // the reference taken by GetAt remains
    EXPECT_TRUE(Released().empty());
    EXPECT_EQ(SYS_StoreRelease(m_store, 1, 1), SYS_OK);
    EXPECT_EQ(Released(), (std::vector<Entry> { { 1, pointer } }));
}

TEST_F(ItemStoreReferences, NamesMatchExactlyAndNamelessItemsNever)
{
    Make();
    Fill({ 1, 2, 3 });
    uint32_t id = 0;
    EXPECT_EQ(SYS_StoreFindByName(m_store, "", &id, nullptr), SYS_FAILED);
    ASSERT_EQ(SYS_StoreSetName(m_store, 2, "Tahoma"), SYS_OK);
    ASSERT_EQ(SYS_StoreSetName(m_store, 3, "Tahoma"), SYS_OK);
    EXPECT_EQ(SYS_StoreSetName(m_store, 9, "Arial"), SYS_FAILED);
    EXPECT_EQ(SYS_StoreFindByName(m_store, "tahoma", &id, nullptr), SYS_FAILED);
    EXPECT_EQ(SYS_StoreFindByName(m_store, "Tahom", &id, nullptr), SYS_FAILED);
    ASSERT_EQ(SYS_StoreFindByName(m_store, "Tahoma", &id, nullptr), SYS_OK);
    EXPECT_EQ(id, 2u);
    ASSERT_EQ(SYS_StoreSetName(m_store, 2, nullptr), SYS_OK);
    ASSERT_EQ(SYS_StoreFindByName(m_store, "Tahoma", &id, nullptr), SYS_OK);
    EXPECT_EQ(id, 3u);
}

TEST_F(ItemStoreIndex, EqualIdsKeepListOrderAndEveryIdIsPlaced)
{
    Make();
    Fill({ 5, 0, 3, 3 });
    ASSERT_EQ(SYS_StoreSortIndex(m_store), SYS_OK);
    EXPECT_EQ(IndexEntries(m_store),
        (std::vector<Entry> { { 0, 101 }, { 3, 102 }, { 3, 103 }, { 5, 100 } }));
    EXPECT_EQ(SYS_StoreGet(m_store, 4, nullptr), SYS_FAILED);

    ASSERT_EQ(SYS_StoreDestroy(m_store, 1, 0), SYS_OK);
    Make();
    Fill({ 5, 0xFFFFFFFF, 0, 3, 3 });
    ASSERT_EQ(SYS_StoreSortIndex(m_store), SYS_OK);
    EXPECT_EQ(IndexEntries(m_store),
        (std::vector<Entry> {
            { 0, 102 }, { 3, 103 }, { 3, 104 }, { 5, 100 }, { 0xFFFFFFFF, 101 } }));
    EXPECT_EQ(SYS_StoreGet(m_store, 0xFFFFFFFF, nullptr), SYS_OK);
}

// Every size from 1 to 40 items, ids with gaps and repeats: each present id is found with
// its own value, each absent one (below, between and above) is not.
TEST_F(ItemStoreIndex, LookupsFindEveryPresentIdAndNoOther)
{
    for (uint32_t size = 1; size <= 40; ++size) {
        Make();
        for (uint32_t i = size; i-- > 0;)
            ASSERT_EQ(SYS_StoreAdd(m_store, 2 * (i / 2) + 2, 2 * (i / 2) + 2, SYS_AT_HEAD), SYS_OK);
        ASSERT_EQ(SYS_StoreSortIndex(m_store), SYS_OK);
        for (uint32_t id = 0; id <= size + 3; ++id) {
            uintptr_t value = 0;
            bool present = id % 2 == 0 && id >= 2 && id <= 2 * ((size - 1) / 2) + 2;
            ASSERT_EQ(SYS_StoreGet(m_store, id, &value), present ? SYS_OK : SYS_FAILED)
                << "size " << size << " id " << id;
            if (present) {
                EXPECT_EQ(value, id);
                EXPECT_EQ(SYS_StoreRelease(m_store, id, 1), SYS_OK);
            }
        }
        EXPECT_EQ(SYS_StoreGet(m_store, 0xFFFFFFFF, nullptr), SYS_FAILED);
        ASSERT_EQ(SYS_StoreDestroy(m_store, 1, 0), SYS_OK);
        m_store = nullptr;
    }
}

TEST_F(ItemStoreIndex, ReleaseKeepsTheIndexAndAddsDropIt)
{
    Make();
    ASSERT_EQ(SYS_StoreSortIndex(m_store), SYS_OK);
    EXPECT_EQ(m_store->m_index, nullptr);
    Fill({ 9, 4, 7, 1 });
    ASSERT_EQ(SYS_StoreSortIndex(m_store), SYS_OK);
    EXPECT_EQ(SYS_StoreRemove(m_store, 4, 0), SYS_OK);
    EXPECT_EQ(IndexEntries(m_store), (std::vector<Entry> { { 1, 103 }, { 7, 102 }, { 9, 100 } }));
    for (uint32_t id : { 1, 7, 9 })
        EXPECT_EQ(SYS_StoreGet(m_store, id, nullptr), SYS_OK);
    EXPECT_EQ(SYS_StoreGet(m_store, 4, nullptr), SYS_FAILED);
    // An index that missed a new item would hide it from lookups.
    ASSERT_EQ(SYS_StoreAdd(m_store, 5, 0, SYS_AT_TAIL), SYS_OK);
    EXPECT_EQ(SYS_StoreGet(m_store, 5, nullptr), SYS_OK);
}

// Every user passes removeItems; without it the items are dropped without their callbacks.
TEST_F(ItemStoreLifecycle, DestroyWithoutRemovingCallsNoCallback)
{
    Make();
    Fill({ 4, 5 });
    ASSERT_EQ(SYS_StoreDestroy(m_store, 0, 0), SYS_OK);
    m_store = nullptr;
    EXPECT_TRUE(Released().empty());
}

// The callback runs after the lock is let go, so it may call into the store: while the store
// is being destroyed it still sees the other items, and adds are refused.
SYS_ItemStore* g_callbackStore = nullptr;
std::vector<SYS_Status> g_callbackStatuses;

void CallBackIntoStore(uint32_t id, uintptr_t value)
{
    RecordRelease(id, value);
    uint32_t count = 0;
    g_callbackStatuses.push_back(SYS_StoreAdd(g_callbackStore, id + 10, 0, SYS_AT_TAIL));
    g_callbackStatuses.push_back(SYS_StoreCount(g_callbackStore, &count));
    g_callbackStatuses.push_back(count);
}

TEST_F(ItemStoreLifecycle, CallbackMayCallIntoTheStore)
{
    for (int locked : { 0, 1 }) {
        g_callbackStatuses.clear();
        g_callbackStore = m_store = SYS_StoreCreate(CallBackIntoStore, locked);
        ASSERT_NE(m_store, nullptr);
        Fill({ 1, 2 });
        EXPECT_EQ(SYS_StoreRemove(m_store, 1, 0), SYS_OK);
        EXPECT_EQ(g_callbackStatuses, (std::vector<SYS_Status> { SYS_OK, SYS_OK, 2 }));
        EXPECT_EQ(Ids(m_store), (std::vector<uint32_t> { 2, 11 }));
        g_callbackStatuses.clear();
        ASSERT_EQ(SYS_StoreDestroy(m_store, 1, 1), SYS_OK);
        m_store = nullptr;
        EXPECT_EQ(g_callbackStatuses,
            (std::vector<SYS_Status> { SYS_CLOSING, SYS_OK, 1, SYS_CLOSING, SYS_OK, 0 }));
    }
}

// The holder releases only after it has raised its flag; a remover that did not wait for it
// would return while the flag is still down.
TEST_F(ItemStoreThreads, WaitingRemoveReturnsAfterTheLastRelease)
{
    Make(1);
    Fill({ 1, 2 });
    std::atomic<bool> taken { false };
    std::atomic<bool> releasing { false };
    std::thread holder([&] {
        uintptr_t value = 0;
        EXPECT_EQ(SYS_StoreGet(m_store, 1, &value), SYS_OK);
        taken = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        releasing = true;
        EXPECT_EQ(SYS_StoreRelease(m_store, 1, 1), SYS_OK);
    });
    while (!taken)
        std::this_thread::yield();
    EXPECT_EQ(SYS_StoreRemove(m_store, 1, 1), SYS_OK);
    EXPECT_TRUE(releasing);
    EXPECT_EQ(Released(), (std::vector<Entry> { { 1, 100 } }));
    holder.join();
    // Without other holders the remover's own release sets the event.
    EXPECT_EQ(SYS_StoreRemove(m_store, 2, 1), SYS_OK);
    EXPECT_EQ(Count(m_store), 0u);
}

TEST_F(ItemStoreThreads, LockedStoreStaysConsistentUnderTwoThreads)
{
    Make(1);
    constexpr uint32_t PER_THREAD = 400;
    auto work = [this](uint32_t base, int32_t where) {
        for (uint32_t i = 0; i < PER_THREAD; ++i) {
            uint32_t id = base + i;
            uintptr_t value = 0;
            EXPECT_EQ(SYS_StoreAdd(m_store, id, id, where), SYS_OK);
            EXPECT_EQ(SYS_StoreGet(m_store, id, &value), SYS_OK);
            EXPECT_EQ(value, id);
            EXPECT_EQ(SYS_StoreGetAt(m_store, -1, nullptr, &value), SYS_OK);
            EXPECT_EQ(SYS_StoreRelease(m_store, static_cast<uint32_t>(value), 1), SYS_OK);
            EXPECT_EQ(SYS_StoreRelease(m_store, id, i % 2 == 0 ? 2 : 1), SYS_OK);
        }
    };
    std::thread first(work, 0u, SYS_AT_HEAD);
    std::thread second(work, 10000u, SYS_AT_TAIL);
    first.join();
    second.join();
    // Even ids were released with the store's reference too; the odd ones remain.
    std::vector<uint32_t> ids = Ids(m_store);
    EXPECT_EQ(ids.size(), PER_THREAD);
    EXPECT_EQ(Count(m_store), PER_THREAD);
    for (uint32_t id : ids)
        EXPECT_EQ(id % 2, 1u);
    EXPECT_EQ(Released().size(), PER_THREAD);
}

}
