// Virtual time: waits cost nothing, threads see time move only when all of them wait, and the
// order of events is the same every run.

#include "os/sim/sim_machine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

#include "os/errors.h"

namespace os::sim {
namespace {

class SimClockTest : public ::testing::Test {
  protected:
    SimMachine sim;
    SimClock& clock = sim.clock();
};

TEST_F(SimClockTest, AnHourOfWaitingTakesNoRealTime) {
    SimClock::Participation here(clock);
    const auto start = std::chrono::steady_clock::now();
    const uint64_t ticks = clock.TickCount();
    for (int i = 0; i < 720; ++i) {
        clock.Sleep(5000);
    }
    EXPECT_EQ(clock.TickCount() - ticks, 3'600'000u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(SimClockTest, WakeUpsAreCountedByThreadOnlyForWaitsThatBlocked) {
    SimClock::Participation here(clock);
    auto event = clock.CreateEvent(true, true);
    EXPECT_EQ(clock.Wait(*event, 1000).status, WaitStatus::Signalled);  // at once: no wake-up
    for (int i = 0; i < 3; ++i) {
        clock.Sleep(250);
    }
    event->Reset();
    std::unique_ptr<Thread> setter;
    ASSERT_EQ(clock.StartThread(
                  [&] {
                      clock.Sleep(100);
                      event->Set();
                  },
                  setter),
              kErrorSuccess);
    EXPECT_EQ(clock.Wait(*event, kInfinite).status, WaitStatus::Signalled);
    const std::vector<SimThreadWakeUps> wakeUps = clock.WakeUps();
    setter.reset();
    ASSERT_EQ(wakeUps.size(), 2u);
    EXPECT_EQ(wakeUps[0].wakeUps, 4u);  // three sleeps and the wait for the event
    EXPECT_EQ(wakeUps[0].timedOut, 3u);
    EXPECT_EQ(wakeUps[0].shortestTimeout, 250u);
    EXPECT_EQ(wakeUps[0].longestTimeout, 250u);
    EXPECT_EQ(wakeUps[1].wakeUps, 1u);
    EXPECT_EQ(wakeUps[1].shortestTimeout, 100u);
    clock.ResetWakeUps();
    EXPECT_TRUE(clock.WakeUps().empty());
}

TEST_F(SimClockTest, TimeStandsStillWhileAParticipantWorks) {
    SimClock::Participation here(clock);
    std::unique_ptr<Thread> sleeper;
    std::atomic<uint64_t> wokeAt{0};
    ASSERT_EQ(clock.StartThread(
                  [&] {
                      clock.Sleep(1000);
                      wokeAt = clock.TickCount();
                  },
                  sleeper),
              kErrorSuccess);
    // However long this thread takes in real time, the sleeper cannot wake: time has not moved.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(wokeAt, 0u);
    EXPECT_EQ(clock.TickCount(), 0u);
    clock.Sleep(999);
    EXPECT_EQ(wokeAt, 0u);
    clock.Sleep(2);
    EXPECT_TRUE(sleeper->WaitForExit(0));
    EXPECT_EQ(wokeAt, 1000u);
}

TEST_F(SimClockTest, ThreadsWakeInTheOrderOfTheirDeadlines) {
    SimClock::Participation here(clock);
    auto mutex = clock.CreateMutex();
    std::vector<int> order;
    std::vector<std::unique_ptr<Thread>> threads;
    for (int delay : {300, 100, 200}) {
        std::unique_ptr<Thread> t;
        ASSERT_EQ(clock.StartThread(
                      [&, delay] {
                          clock.Sleep(static_cast<uint32_t>(delay));
                          std::lock_guard lock(*mutex);
                          order.push_back(delay);
                      },
                      t),
                  kErrorSuccess);
        threads.push_back(std::move(t));
    }
    for (auto& t : threads) {
        EXPECT_TRUE(t->WaitForExit(kInfinite));
    }
    EXPECT_EQ(order, (std::vector<int>{100, 200, 300}));
    EXPECT_EQ(clock.TickCount(), 300u);
}

TEST_F(SimClockTest, ASignalBeatsItsTimeOutAtTheSameVirtualMoment) {
    SimClock::Participation here(clock);
    auto event = clock.CreateEvent(true, false);
    std::unique_ptr<Thread> setter;
    ASSERT_EQ(clock.StartThread(
                  [&] {
                      clock.Sleep(4000);
                      event->Set();
                  },
                  setter),
              kErrorSuccess);
    const WaitResult first = clock.Wait(*event, 5000);
    EXPECT_EQ(first.status, WaitStatus::Signalled);
    EXPECT_EQ(clock.TickCount(), 4000u);
}

TEST_F(SimClockTest, ManualTimeMovesOnlyWhenTold) {
    clock.SetAutoAdvance(false);
    auto event = clock.CreateEvent(true, false);
    std::unique_ptr<Thread> waiter;
    std::atomic<int> status{-1};
    ASSERT_EQ(clock.StartThread(
                  [&] { status = static_cast<int>(clock.Wait(*event, 60'000).status); }, waiter),
              kErrorSuccess);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(status, -1);
    clock.Advance(59'999);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(status, -1);
    clock.Advance(1);
    EXPECT_TRUE(waiter->WaitForExit(kInfinite));
    EXPECT_EQ(status, static_cast<int>(WaitStatus::TimedOut));
}

TEST_F(SimClockTest, TheWallClockCanBeSetAndShiftedByTheTimeZone) {
    clock.SetTimeZoneBias(-60);  // UTC+1
    clock.SetLocalTime({2026, 3, 0, 2, 17, 30, 0, 0});
    const SystemTime local = clock.LocalTime();
    EXPECT_EQ(local.hour, 17);
    EXPECT_EQ(local.minute, 30);
    EXPECT_EQ(local.dayOfWeek, 1);  // a Monday
    EXPECT_EQ(clock.UtcTime().hour, 16);
    // Setting the clock does not disturb waits: they count ticks.
    const uint64_t ticks = clock.TickCount();
    clock.SetUtcNow(clock.UtcNow() - kFileTimeTicksPerMinute);
    EXPECT_EQ(clock.TickCount(), ticks);
    EXPECT_EQ(clock.LocalTime().minute, 29);
}

TEST_F(SimClockTest, AThreadIsJoinedOnlyAfterItFinishesItsOwnSleeps) {
    SimClock::Participation here(clock);
    std::atomic<bool> finished{false};
    {
        std::unique_ptr<Thread> t;
        ASSERT_EQ(clock.StartThread(
                      [&] {
                          clock.Sleep(10'000);
                          finished = true;
                      },
                      t),
                  kErrorSuccess);
    }  // the destructor waits in virtual time, then joins
    EXPECT_TRUE(finished);
    EXPECT_EQ(clock.TickCount(), 10'000u);
}

TEST_F(SimClockTest, WaitablesOfAnotherMachineAreRefused) {
    SimMachine other;
    auto foreign = other.clock().CreateEvent(true, true);
    EXPECT_EQ(clock.Wait(*foreign, 0).status, WaitStatus::Failed);
}

}  // namespace
}  // namespace os::sim
