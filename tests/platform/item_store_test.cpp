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
using Ids = std::vector<uint32_t>;
using Entries = std::vector<Entry>;

// What the release callback saw, in call order. The callback has no user argument, so the
// record is shared by the whole program and cleared by every fixture.
std::mutex g_releasedMutex;
Entries g_released;

void RecordRelease(uint32_t id, uintptr_t value)
{
    std::lock_guard<std::mutex> guard(g_releasedMutex);
    g_released.emplace_back(id, value);
}

Entries Released()
{
    std::lock_guard<std::mutex> guard(g_releasedMutex);
    return g_released;
}

class ItemStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_released.clear();
        Remake();
    }
    void TearDown() override { Destroy(1); }
    void Destroy(int removeItems)
    {
        if (m_store != nullptr) {
            EXPECT_EQ(SYS_StoreDestroy(m_store, removeItems, 0), SYS_OK);
        }
        m_store = nullptr;
    }
    void Remake(int locked = 0, SYS_ReleaseCallback release = RecordRelease)
    {
        Destroy(1);
        m_store = SYS_StoreCreate(release, locked);
        ASSERT_NE(m_store, nullptr);
    }
    // Adds the ids at the tail with the value 100 + their place in the list.
    void Fill(std::initializer_list<uint32_t> ids)
    {
        for (uint32_t id : ids)
            ASSERT_EQ(SYS_StoreAdd(m_store, id, 100 + Count(), SYS_AT_TAIL), SYS_OK);
    }
    Ids List()
    {
        uint32_t* ids = nullptr;
        uint32_t count = 0;
        EXPECT_EQ(SYS_StoreListIds(m_store, &ids, &count), SYS_OK);
        Ids list(ids, ids + count);
        SYS_Free(ids);
        return list;
    }
    uint32_t Count()
    {
        uint32_t count = 0xDEAD;
        EXPECT_EQ(SYS_StoreCount(m_store, &count), SYS_OK);
        return count;
    }
    // The index entries as (id, value), read from inside the store.
    Entries Index() const
    {
        Entries entries;
        for (uint32_t i = 0; i < m_store->m_indexCount; ++i)
            entries.emplace_back(m_store->m_index[i]->m_id, m_store->m_index[i]->m_value);
        return entries;
    }

    SYS_ItemStore* m_store = nullptr;
};

TEST_F(ItemStoreTest, AddAndInsertPlaceItemsByModeAndRefusalsChangeNothing)
{
    EXPECT_EQ(SYS_StoreInsert(m_store, 1, 0, SYS_AFTER_ID, 0), SYS_FAILED);
    EXPECT_EQ(SYS_StoreInsert(m_store, 1, 0, SYS_BEFORE_ID, 0), SYS_FAILED);
    ASSERT_EQ(SYS_StoreAdd(m_store, 1, 0, SYS_AT_TAIL), SYS_OK);
    ASSERT_EQ(SYS_StoreAdd(m_store, 2, 0, SYS_AT_HEAD), SYS_OK);
    ASSERT_EQ(SYS_StoreAdd(m_store, 3, 0, 1), SYS_OK);
    ASSERT_EQ(SYS_StoreAdd(m_store, 4, 0, 3), SYS_OK); // position == count appends
    ASSERT_EQ(SYS_StoreAdd(m_store, 3, 0, SYS_AT_TAIL), SYS_OK);
    // After and before refer to the first item with the id.
    ASSERT_EQ(SYS_StoreInsert(m_store, 5, 0, SYS_AFTER_ID, 3), SYS_OK);
    ASSERT_EQ(SYS_StoreInsert(m_store, 6, 0, SYS_BEFORE_ID, 3), SYS_OK);
    ASSERT_EQ(SYS_StoreInsert(m_store, 7, 0, SYS_AT_POSITION, 0), SYS_OK);
    ASSERT_EQ(SYS_StoreInsert(m_store, 8, 0, SYS_AT_POSITION, 8), SYS_OK);
    const Ids order { 7, 2, 6, 3, 5, 1, 4, 3, 8 };
    EXPECT_EQ(List(), order);

    EXPECT_EQ(SYS_StoreInsert(m_store, 1, 0, SYS_AFTER_ID, 99), SYS_FAILED);
    EXPECT_EQ(SYS_StoreInsert(m_store, 1, 0, 7, 0), SYS_BAD_MODE);
    EXPECT_EQ(SYS_StoreInsert(m_store, 1, 0, 0, 0), SYS_BAD_MODE);
    EXPECT_EQ(SYS_StoreInsert(m_store, 1, 0, SYS_AT_POSITION, 10), SYS_OUT_OF_RANGE);
    EXPECT_EQ(SYS_StoreAdd(m_store, 1, 0, 10), SYS_OUT_OF_RANGE);
    EXPECT_EQ(SYS_StoreAdd(m_store, 1, 0, -3), SYS_OUT_OF_RANGE); // any other where is a position
    EXPECT_EQ(List(), order);
    EXPECT_EQ(Count(), 9u);
    EXPECT_TRUE(Released().empty());
}

TEST_F(ItemStoreTest, GetAtFirstLastAndPastTheEnd)
{
    uint32_t id = 0;
    for (int32_t position : { -1, -2, 0 })
        EXPECT_EQ(SYS_StoreGetAt(m_store, position, &id, nullptr), SYS_EMPTY);
    uint32_t* untouched = &id;
    uint32_t count = 7;
    EXPECT_EQ(SYS_StoreListIds(m_store, &untouched, &count), SYS_OK);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(untouched, &id);

    Fill({ 10, 20, 30 });
    const std::pair<int32_t, SYS_Status> cases[] = { { -1, SYS_OK }, { -2, SYS_OK }, { 1, SYS_OK },
        { 3, SYS_OUT_OF_RANGE }, { -3, SYS_OUT_OF_RANGE } };
    const Entry expected[] = { { 10, 100 }, { 30, 102 }, { 20, 101 }, { 0, 0 }, { 0, 0 } };
    for (size_t i = 0; i < std::size(cases); ++i) {
        Entry got { 0, 0 };
        EXPECT_EQ(
            SYS_StoreGetAt(m_store, cases[i].first, &got.first, &got.second), cases[i].second);
        EXPECT_EQ(got, expected[i]) << cases[i].first;
    }
}

TEST_F(ItemStoreTest, MoveRelinksAndAFailedMovePutsTheItemBack)
{
    Fill({ 1, 2, 3, 2 });
    ASSERT_EQ(SYS_StoreMove(m_store, 3, SYS_AT_HEAD, 0), SYS_OK);
    EXPECT_EQ(List(), (Ids { 3, 1, 2, 2 }));
    // The first 2 cannot be its own reference: it goes after the other 2.
    ASSERT_EQ(SYS_StoreMove(m_store, 2, SYS_AFTER_ID, 2), SYS_OK);
    ASSERT_EQ(SYS_StoreMove(m_store, 1, SYS_AT_POSITION, 3), SYS_OK);
    EXPECT_EQ(List(), (Ids { 3, 2, 2, 1 }));
    EXPECT_EQ(SYS_StoreMove(m_store, 99, SYS_AT_HEAD, 0), SYS_OK);

    EXPECT_EQ(SYS_StoreMove(m_store, 2, SYS_AFTER_ID, 99), SYS_FAILED);
    EXPECT_EQ(SYS_StoreMove(m_store, 1, SYS_BEFORE_ID, 1), SYS_FAILED);
    EXPECT_EQ(SYS_StoreMove(m_store, 1, SYS_AT_POSITION, 4), SYS_OUT_OF_RANGE);
    EXPECT_EQ(SYS_StoreMove(m_store, 3, 9, 0), SYS_BAD_MODE);
    EXPECT_EQ(List(), (Ids { 3, 2, 2, 1 }));
    EXPECT_EQ(Count(), 4u);
    // Every item is still reachable with its value, and leaves through the callback.
    Destroy(1);
    EXPECT_EQ(Released(), (Entries { { 3, 102 }, { 2, 103 }, { 2, 101 }, { 1, 100 } }));
}

TEST_F(ItemStoreTest, OutstandingReferenceOutlivesRemove)
{
    Fill({ 7, 8 });
    EXPECT_EQ(SYS_StoreGet(m_store, 7, nullptr), SYS_OK); // a presence test takes no reference
    uintptr_t value = 0;
    ASSERT_EQ(SYS_StoreGet(m_store, 8, &value), SYS_OK);
    EXPECT_EQ(value, 101u);
    EXPECT_EQ(SYS_StoreRemove(m_store, 7, 0), SYS_OK);
    EXPECT_EQ(SYS_StoreRemove(m_store, 8, 0), SYS_OK);
    EXPECT_EQ(Released(), (Entries { { 7, 100 } }));
    EXPECT_EQ(SYS_StoreGet(m_store, 8, nullptr), SYS_OK);
    EXPECT_EQ(SYS_StoreRelease(m_store, 8, 1), SYS_OK);
    EXPECT_EQ(Released(), (Entries { { 7, 100 }, { 8, 101 } }));
    EXPECT_EQ(SYS_StoreRelease(m_store, 8, 1), SYS_EMPTY);
    EXPECT_EQ(SYS_StoreGet(m_store, 8, nullptr), SYS_EMPTY);
}

// The first of two equal ids is found first; releasing more than it holds takes it out at once.
TEST_F(ItemStoreTest, ReleasingMoreThanHeldRemovesTheFirstEqualId)
{
    Fill({ 5, 5 });
    uintptr_t value = 0;
    ASSERT_EQ(SYS_StoreGet(m_store, 5, &value), SYS_OK); // two references now
    EXPECT_EQ(value, 100u);
    EXPECT_EQ(SYS_StoreRelease(m_store, 5, 5), SYS_OK);
    EXPECT_EQ(Released(), (Entries { { 5, 100 } }));
    ASSERT_EQ(SYS_StoreGet(m_store, 5, &value), SYS_OK);
    EXPECT_EQ(value, 101u);
    EXPECT_EQ(SYS_StoreRelease(m_store, 5, 1), SYS_OK);
    EXPECT_EQ(SYS_StoreRelease(m_store, 6, 1), SYS_FAILED);
    EXPECT_EQ(SYS_StoreRemove(m_store, 6, 0), SYS_FAILED);
    EXPECT_EQ(Count(), 1u);
}

// Values are pointer-sized: every bit comes back (above 4 GiB on a 64-bit build).
TEST_F(ItemStoreTest, ValuesKeepEveryBitOfAPointer)
{
    const uintptr_t pointer = static_cast<uintptr_t>(0x0000123456789ABCull) | (UINTPTR_MAX << 31);
    ASSERT_EQ(SYS_StoreAdd(m_store, 1, pointer, SYS_AT_TAIL), SYS_OK);
    uintptr_t value = 0;
    ASSERT_EQ(SYS_StoreGetAt(m_store, -2, nullptr, &value), SYS_OK);
    EXPECT_EQ(value, pointer);
    EXPECT_EQ(SYS_StoreRemove(m_store, 1, 0), SYS_OK);
    EXPECT_EQ(SYS_StoreRelease(m_store, 1, 1), SYS_OK);
    EXPECT_EQ(Released(), (Entries { { 1, pointer } }));
}

TEST_F(ItemStoreTest, NamesMatchExactlyAndNamelessItemsNever)
{
    Fill({ 1, 2, 3 });
    uint32_t id = 0;
    EXPECT_EQ(SYS_StoreFindByName(m_store, "", &id, nullptr), SYS_FAILED);
    ASSERT_EQ(SYS_StoreSetName(m_store, 2, "Tahoma"), SYS_OK);
    ASSERT_EQ(SYS_StoreSetName(m_store, 3, "Tahoma"), SYS_OK);
    EXPECT_EQ(SYS_StoreSetName(m_store, 9, "Arial"), SYS_FAILED);
    for (const char* miss : { "tahoma", "Tahom" })
        EXPECT_EQ(SYS_StoreFindByName(m_store, miss, &id, nullptr), SYS_FAILED);
    ASSERT_EQ(SYS_StoreFindByName(m_store, "Tahoma", &id, nullptr), SYS_OK);
    EXPECT_EQ(id, 2u);
    ASSERT_EQ(SYS_StoreSetName(m_store, 2, nullptr), SYS_OK);
    ASSERT_EQ(SYS_StoreFindByName(m_store, "Tahoma", &id, nullptr), SYS_OK);
    EXPECT_EQ(id, 3u);
}

TEST_F(ItemStoreTest, IndexKeepsEqualIdsInListOrderAndPlacesEveryId)
{
    Fill({ 5, 0xFFFFFFFF, 0, 3, 3 });
    ASSERT_EQ(SYS_StoreSortIndex(m_store), SYS_OK);
    EXPECT_EQ(
        Index(), (Entries { { 0, 102 }, { 3, 103 }, { 3, 104 }, { 5, 100 }, { 0xFFFFFFFF, 101 } }));
    EXPECT_EQ(SYS_StoreGet(m_store, 0xFFFFFFFF, nullptr), SYS_OK);
    EXPECT_EQ(SYS_StoreGet(m_store, 4, nullptr), SYS_FAILED);
}

// Every size from 1 to 40 items, ids with gaps and repeats: each present id is found with
// its own value, each absent one (below, between and above) is not.
TEST_F(ItemStoreTest, IndexedLookupsFindEveryPresentIdAndNoOther)
{
    for (uint32_t size = 1; size <= 40; ++size) {
        Remake();
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
    }
}

TEST_F(ItemStoreTest, ReleaseKeepsTheIndexAndAddsDropIt)
{
    ASSERT_EQ(SYS_StoreSortIndex(m_store), SYS_OK);
    EXPECT_EQ(m_store->m_index, nullptr);
    Fill({ 9, 4, 7, 1 });
    ASSERT_EQ(SYS_StoreSortIndex(m_store), SYS_OK);
    EXPECT_EQ(SYS_StoreRemove(m_store, 4, 0), SYS_OK);
    EXPECT_EQ(Index(), (Entries { { 1, 103 }, { 7, 102 }, { 9, 100 } }));
    EXPECT_EQ(SYS_StoreGet(m_store, 4, nullptr), SYS_FAILED);
    // An index that missed a new item would hide it from lookups.
    ASSERT_EQ(SYS_StoreAdd(m_store, 5, 0, SYS_AT_TAIL), SYS_OK);
    EXPECT_EQ(SYS_StoreGet(m_store, 5, nullptr), SYS_OK);
}

// The callback runs after the lock is let go, so it may call into the store: while the store
// is being destroyed it still sees the other items, and adds are refused. Destroying without
// removing drops the items without their callbacks.
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

TEST_F(ItemStoreTest, CallbackMayCallIntoTheStoreAndDestroyWithoutRemovingCallsNone)
{
    Fill({ 4, 5 });
    Destroy(0);
    EXPECT_TRUE(Released().empty());
    for (int locked : { 0, 1 }) {
        g_callbackStatuses.clear();
        Remake(locked, CallBackIntoStore);
        g_callbackStore = m_store;
        Fill({ 1, 2 });
        EXPECT_EQ(SYS_StoreRemove(m_store, 1, 0), SYS_OK);
        EXPECT_EQ(g_callbackStatuses, (std::vector<SYS_Status> { SYS_OK, SYS_OK, 2 }));
        EXPECT_EQ(List(), (Ids { 2, 11 }));
        g_callbackStatuses.clear();
        ASSERT_EQ(SYS_StoreDestroy(m_store, 1, 1), SYS_OK);
        m_store = nullptr;
        EXPECT_EQ(g_callbackStatuses,
            (std::vector<SYS_Status> { SYS_CLOSING, SYS_OK, 1, SYS_CLOSING, SYS_OK, 0 }));
    }
}

// The holder releases only after it has raised its flag; a remover that did not wait for it
// would return while the flag is still down.
TEST_F(ItemStoreTest, WaitingRemoveReturnsAfterTheLastRelease)
{
    Remake(1);
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
    EXPECT_EQ(Released(), (Entries { { 1, 100 } }));
    holder.join();
    // Without other holders the remover's own release sets the event.
    EXPECT_EQ(SYS_StoreRemove(m_store, 2, 1), SYS_OK);
    EXPECT_EQ(Count(), 0u);
}

TEST_F(ItemStoreTest, LockedStoreStaysConsistentUnderTwoThreads)
{
    Remake(1);
    constexpr uint32_t PER_THREAD = 400;
    auto work = [this](uint32_t base, int32_t where) {
        for (uint32_t id = base; id < base + PER_THREAD; ++id) {
            uintptr_t value = 0;
            EXPECT_EQ(SYS_StoreAdd(m_store, id, id, where), SYS_OK);
            EXPECT_EQ(SYS_StoreGet(m_store, id, &value), SYS_OK);
            EXPECT_EQ(value, id);
            EXPECT_EQ(SYS_StoreGetAt(m_store, -1, nullptr, &value), SYS_OK);
            EXPECT_EQ(SYS_StoreRelease(m_store, static_cast<uint32_t>(value), 1), SYS_OK);
            EXPECT_EQ(SYS_StoreRelease(m_store, id, id % 2 == 0 ? 2 : 1), SYS_OK);
        }
    };
    std::thread first(work, 0u, SYS_AT_HEAD);
    std::thread second(work, 10000u, SYS_AT_TAIL);
    first.join();
    second.join();
    // Even ids were released with the store's reference too; the odd ones remain.
    Ids ids = List();
    EXPECT_EQ(ids.size(), PER_THREAD);
    EXPECT_EQ(Count(), PER_THREAD);
    for (uint32_t id : ids)
        EXPECT_EQ(id % 2, 1u);
    EXPECT_EQ(Released().size(), PER_THREAD);
}

}
