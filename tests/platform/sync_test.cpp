// Events and mutexes on whichever backend is built: manual reset, time-outs, wake-ups across
// threads, recursive ownership and the handles that never reach the system.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Runs body on a thread of its own and waits for it, so that ownership tests have a second
// thread to ask from.
template <typename Body> void OnOtherThread(Body body)
{
    std::thread thread(body);
    thread.join();
}

TEST(SyncHandles, NoObjectSucceedsEverywhereAndZeroFails)
{
    EXPECT_EQ(SYS_EventWait(SYS_NO_OBJECT, SYS_WAIT_FOREVER), SYS_OK);
    EXPECT_EQ(SYS_EventSet(SYS_NO_OBJECT, 1), SYS_OK);
    EXPECT_EQ(SYS_EventClose(SYS_NO_OBJECT), SYS_OK);
    EXPECT_EQ(SYS_MutexLock(SYS_NO_OBJECT, SYS_WAIT_FOREVER), SYS_OK);
    EXPECT_EQ(SYS_MutexUnlock(SYS_NO_OBJECT), SYS_OK);
    EXPECT_EQ(SYS_MutexUnlock(SYS_NO_OBJECT), SYS_OK); // no ownership is counted
    EXPECT_EQ(SYS_MutexClose(SYS_NO_OBJECT), SYS_OK);

    EXPECT_EQ(SYS_EventClose(0), SYS_FAILED);
    EXPECT_EQ(SYS_EventWait(0, 0), SYS_FAILED);
    EXPECT_EQ(SYS_EventSet(0, 1), SYS_FAILED);
    EXPECT_EQ(SYS_MutexLock(0, 0), SYS_FAILED);
    EXPECT_EQ(SYS_MutexUnlock(0), SYS_FAILED);
    EXPECT_EQ(SYS_MutexClose(0), SYS_FAILED);
}

TEST(SyncEvent, ManualResetStaysSignalledUntilReset)
{
    SYS_Handle event = SYS_EventCreate(0);
    ASSERT_NE(event, 0u);
    EXPECT_EQ(event & 3, 0u); // handles keep bits 0 and 1 clear
    EXPECT_EQ(SYS_EventWait(event, 20), SYS_TIMEOUT);
    ASSERT_EQ(SYS_EventSet(event, 1), SYS_OK);
    EXPECT_EQ(SYS_EventWait(event, 0), SYS_OK);
    EXPECT_EQ(SYS_EventWait(event, 0), SYS_OK);
    ASSERT_EQ(SYS_EventSet(event, 0), SYS_OK);
    EXPECT_EQ(SYS_EventWait(event, 0), SYS_TIMEOUT);
    EXPECT_EQ(SYS_EventClose(event), SYS_OK);

    SYS_Handle signalled = SYS_EventCreate(1);
    ASSERT_NE(signalled, 0u);
    EXPECT_EQ(SYS_EventWait(signalled, 0), SYS_OK);
    EXPECT_EQ(SYS_EventClose(signalled), SYS_OK);
}

// Untimed and timed waiters alike wake on one set from another thread.
TEST(SyncEvent, OneSetWakesEveryWaiter)
{
    SYS_Handle event = SYS_EventCreate(0);
    ASSERT_NE(event, 0u);
    std::atomic<int> woken { 0 };
    std::vector<std::thread> waiters;
    for (uint32_t timeout : { SYS_WAIT_FOREVER, SYS_WAIT_FOREVER, 60000u, 60000u }) {
        waiters.emplace_back([&woken, event, timeout] {
            if (SYS_EventWait(event, timeout) == SYS_OK)
                ++woken;
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(SYS_EventSet(event, 1), SYS_OK);
    for (auto& waiter : waiters)
        waiter.join();
    EXPECT_EQ(woken.load(), 4);
    EXPECT_EQ(SYS_EventClose(event), SYS_OK);
}

TEST(SyncMutex, RecursiveLockNeedsAsManyUnlocksAndOnlyTheOwnerUnlocks)
{
    SYS_Handle mutex = SYS_MutexCreate(0);
    ASSERT_NE(mutex, 0u);
    EXPECT_EQ(mutex & 3, 0u);
    ASSERT_EQ(SYS_MutexLock(mutex, 0), SYS_OK);
    ASSERT_EQ(SYS_MutexLock(mutex, SYS_WAIT_FOREVER), SYS_OK);
    EXPECT_EQ(SYS_MutexUnlock(mutex), SYS_OK);
    OnOtherThread([mutex] {
        EXPECT_EQ(SYS_MutexUnlock(mutex), SYS_FAILED);
        EXPECT_EQ(SYS_MutexLock(mutex, 30), SYS_TIMEOUT);
    });
    EXPECT_EQ(SYS_MutexUnlock(mutex), SYS_OK);
    EXPECT_EQ(SYS_MutexUnlock(mutex), SYS_FAILED); // no longer owned
    OnOtherThread([mutex] {
        EXPECT_EQ(SYS_MutexLock(mutex, 0), SYS_OK);
        EXPECT_EQ(SYS_MutexUnlock(mutex), SYS_OK);
    });
    EXPECT_EQ(SYS_MutexClose(mutex), SYS_OK);
}

// The creator owns the mutex until its unlock, which hands it to the thread waiting for it.
TEST(SyncMutex, InitialOwnerHoldsItUntilUnlockThenTheWaiterTakesOver)
{
    SYS_Handle mutex = SYS_MutexCreate(1);
    ASSERT_NE(mutex, 0u);
    OnOtherThread([mutex] { EXPECT_EQ(SYS_MutexLock(mutex, 0), SYS_TIMEOUT); });
    std::atomic<bool> owned { false };
    std::thread waiter([&] {
        ASSERT_EQ(SYS_MutexLock(mutex, SYS_WAIT_FOREVER), SYS_OK);
        owned = true;
        EXPECT_EQ(SYS_MutexUnlock(mutex), SYS_OK);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(owned.load());
    ASSERT_EQ(SYS_MutexUnlock(mutex), SYS_OK);
    waiter.join();
    EXPECT_TRUE(owned.load());
    EXPECT_EQ(SYS_MutexUnlock(mutex), SYS_FAILED);
    EXPECT_EQ(SYS_MutexClose(mutex), SYS_OK);
}

}
