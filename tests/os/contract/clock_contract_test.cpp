// The clock port's contract: time, sleeps, events, mutexes, waits and threads.

#include <atomic>

#include "os/errors.h"
#include "tests/os/contract/port_environment.h"

namespace contract {
namespace {

using os::WaitStatus;

class ClockContract : public ContractTest {};

TEST_F(ClockContract, SleepingMovesTheClocks) {
    const os::FileTime before = clock().UtcNow();
    const uint64_t ticks = clock().TickCount();
    clock().Sleep(120);
    EXPECT_GE(clock().TickCount() - ticks, 100u);
    EXPECT_GE(clock().UtcNow() - before, 100 * os::kFileTimeTicksPerMillisecond);
}

TEST_F(ClockContract, LocalTimeFollowsTheBias) {
    const os::FileTime utc = clock().UtcNow();
    const os::FileTime local = clock().LocalNow();
    const int64_t difference = static_cast<int64_t>(utc) - static_cast<int64_t>(local);
    const int64_t bias = static_cast<int64_t>(clock().TimeZoneBias()) * 60 * 10'000'000;
    EXPECT_LT(std::llabs(difference - bias), 10 * 10'000'000LL);
    const os::SystemTime now = clock().LocalTime();
    EXPECT_GE(now.year, 2020);
    EXPECT_LE(now.dayOfWeek, 6);
}

TEST_F(ClockContract, AManualResetEventStaysSet) {
    auto event = clock().CreateEvent(true, false);
    EXPECT_EQ(clock().Wait(*event, 50).status, WaitStatus::TimedOut);
    event->Set();
    EXPECT_EQ(clock().Wait(*event, 0).status, WaitStatus::Signalled);
    EXPECT_EQ(clock().Wait(*event, 0).status, WaitStatus::Signalled);
    event->Reset();
    EXPECT_EQ(clock().Wait(*event, 0).status, WaitStatus::TimedOut);
}

TEST_F(ClockContract, AnAutoResetEventReleasesOneWait) {
    auto event = clock().CreateEvent(false, true);
    EXPECT_EQ(clock().Wait(*event, 0).status, WaitStatus::Signalled);
    EXPECT_EQ(clock().Wait(*event, 0).status, WaitStatus::TimedOut);
}

TEST_F(ClockContract, ATimedOutWaitTakesItsTime) {
    auto event = clock().CreateEvent(true, false);
    const uint64_t start = clock().TickCount();
    EXPECT_EQ(clock().Wait(*event, 150).status, WaitStatus::TimedOut);
    EXPECT_GE(clock().TickCount() - start, 130u);
}

TEST_F(ClockContract, WaitingForAnyGivesTheLowestSignalled) {
    auto a = clock().CreateEvent(true, false);
    auto b = clock().CreateEvent(true, true);
    auto c = clock().CreateEvent(true, true);
    os::Waitable* const all[] = {a.get(), b.get(), c.get()};
    const os::WaitResult result = clock().WaitForAny(all, 0);
    EXPECT_EQ(result.status, WaitStatus::Signalled);
    EXPECT_EQ(result.index, 1u);
}

TEST_F(ClockContract, NothingToWaitForForeverFails) {
    EXPECT_EQ(clock().WaitForAny({}, os::kInfinite).status, WaitStatus::Failed);
    EXPECT_EQ(clock().WaitForAny({}, 10).status, WaitStatus::TimedOut);
}

TEST_F(ClockContract, AThreadWakesAWaiterAndEnds) {
    auto go = clock().CreateEvent(true, false);
    auto done = clock().CreateEvent(true, false);
    std::atomic<bool> ran{false};
    std::unique_ptr<os::Thread> thread;
    ASSERT_EQ(clock().StartThread(
                  [&] {
                      clock().Wait(*go, os::kInfinite);
                      clock().Sleep(30);
                      ran = true;
                      done->Set();
                  },
                  thread),
              os::kErrorSuccess);
    EXPECT_FALSE(thread->WaitForExit(50));
    go->Set();
    EXPECT_EQ(clock().Wait(*done, 5000).status, WaitStatus::Signalled);
    EXPECT_TRUE(thread->WaitForExit(5000));
    EXPECT_TRUE(ran);
    EXPECT_EQ(clock().Wait(*thread, 0).status, WaitStatus::Signalled);
}

TEST_F(ClockContract, AMutexKeepsOthersOut) {
    auto mutex = clock().CreateMutex();
    auto held = clock().CreateEvent(true, false);
    auto release = clock().CreateEvent(true, false);
    std::unique_ptr<os::Thread> holder;
    ASSERT_EQ(clock().StartThread(
                  [&] {
                      mutex->lock();
                      held->Set();
                      clock().Wait(*release, os::kInfinite);
                      mutex->unlock();
                  },
                  holder),
              os::kErrorSuccess);
    ASSERT_EQ(clock().Wait(*held, 5000).status, WaitStatus::Signalled);
    EXPECT_FALSE(mutex->try_lock());
    release->Set();
    mutex->lock();  // waits for the holder
    mutex->unlock();
    EXPECT_TRUE(holder->WaitForExit(5000));
    EXPECT_TRUE(mutex->try_lock());
    mutex->unlock();
}

}  // namespace
}  // namespace contract
