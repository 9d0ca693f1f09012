// The scheduler over the simulated machine: days of schedule run in virtual time, with the test's
// own thread taking part so that time moves only while both it and the scheduler wait.

#include "settings/scheduler.h"

#include <gtest/gtest.h>

#include <vector>

#include "os/errors.h"
#include "os/sim/sim_machine.h"

namespace settings {
namespace {

constexpr uint64_t kMinuteMs = 60'000;
constexpr uint64_t kDayMs = 24 * 60 * kMinuteMs;

class SchedulerTest : public ::testing::Test {
  protected:
    SchedulerTest() { clock.SetLocalTime(kSaturdayMidnight); }

    void Schedule(uint32_t days, uint32_t timeOfDay) {
        ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerDays, days), 0u);
        ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerTimeOfDay, timeOfDay), 0u);
    }

    // Waits on the wake event for the given virtual time and returns the local times at which it
    // was signalled (resetting it each time, as the engine does).
    std::vector<os::SystemTime> Signals(uint64_t forMs) {
        std::vector<os::SystemTime> seen;
        const uint64_t end = clock.TickCount() + forMs;
        while (clock.TickCount() < end) {
            const auto left = static_cast<uint32_t>(end - clock.TickCount());
            if (clock.Wait(*wake, left).status == os::WaitStatus::Signalled) {
                seen.push_back(clock.LocalTime());
                wake->Reset();
            }
        }
        return seen;
    }

    // 2026-01-03 was a Saturday.
    static constexpr os::SystemTime kSaturdayMidnight{2026, 1, 6, 3, 0, 0, 0, 0};

    os::sim::SimMachine sim;
    os::sim::SimClock& clock = sim.clock();
    os::sim::SimClock::Participation participation{clock};
    CKRVSettingsStore store{sim.registry()};
    std::unique_ptr<os::Event> wake = clock.CreateEvent(true, false);
    CKRVScheduler scheduler{clock, store};
};

TEST_F(SchedulerTest, WeekdaysAtHalfPastFiveSignalOnceADayAndNeverAtWeekends) {
    Schedule(0x3E, 1050);
    ASSERT_EQ(scheduler.Start(*wake), 0u);
    const auto signals = Signals(9 * kDayMs);  // Saturday 3 to Sunday 11 January
    ASSERT_EQ(signals.size(), 5u);
    for (size_t i = 0; i < signals.size(); ++i) {
        EXPECT_EQ(signals[i].day, static_cast<uint16_t>(5 + i));
        EXPECT_EQ(signals[i].dayOfWeek, static_cast<uint16_t>(1 + i));
        EXPECT_EQ(signals[i].hour, 17);
        EXPECT_EQ(signals[i].minute, 30);
        EXPECT_EQ(signals[i].second, 0);  // half a second past the full minute
    }
    EXPECT_EQ(scheduler.Stop(), 0u);
    EXPECT_FALSE(scheduler.IsRunning());
}

TEST_F(SchedulerTest, NoDaysOrATimePastMidnightNeverSignal) {
    Schedule(0, 1050);
    ASSERT_EQ(scheduler.Start(*wake), 0u);
    EXPECT_TRUE(Signals(8 * kDayMs).empty());
    Schedule(0x7F, 1440);
    ASSERT_EQ(scheduler.Start(*wake), 0u);  // a running scheduler restarts and reads again
    EXPECT_TRUE(Signals(2 * kDayMs).empty());
    // Nothing ran, so no last run was stored.
    os::FileTime stored = 0;
    scheduler.Stop();
    EXPECT_NE(store.ReadSchedulerLastRun(stored), 0u);
    EXPECT_TRUE(scheduler.LastRun().IsUnknown());
}

TEST_F(SchedulerTest, TheLastRunIsStoredAsLocalWallClockTimeOnStop) {
    clock.SetTimeZoneBias(-60);
    clock.SetLocalTime({2026, 1, 1, 5, 9, 0, 0, 0});
    Schedule(0x7F, 9 * 60 + 1);
    ASSERT_EQ(scheduler.Start(*wake), 0u);
    ASSERT_EQ(Signals(2 * kMinuteMs).size(), 1u);
    const CKrvtime lastRun = scheduler.LastRun();
    EXPECT_EQ(lastRun.Hour(), 9);
    EXPECT_EQ(lastRun.Minute(), 1);
    EXPECT_EQ(lastRun.Bias(), 0);
    os::FileTime stored = 0;
    // Only on Stop.
    EXPECT_NE(store.ReadSchedulerLastRun(stored), 0u);
    ASSERT_EQ(scheduler.Stop(), 0u);
    ASSERT_EQ(store.ReadSchedulerLastRun(stored), 0u);
    EXPECT_EQ(stored, *os::SystemTimeToFileTime({2026, 1, 1, 5, 9, 1, 0, 0}));
}

TEST_F(SchedulerTest, AStoredLastRunIsReadBackAndKeptWhenNothingRuns) {
    const os::FileTime earlier = *os::SystemTimeToFileTime({2025, 12, 2, 30, 17, 30, 0, 0});
    ASSERT_EQ(store.WriteSchedulerLastRun(earlier), 0u);
    Schedule(0x3E, 1050);
    ASSERT_EQ(scheduler.Start(*wake), 0u);
    EXPECT_EQ(scheduler.LastRun().ToFileTime(), earlier);
    Signals(kDayMs);  // Saturday: no run
    scheduler.Stop();
    os::FileTime stored = 0;
    ASSERT_EQ(store.ReadSchedulerLastRun(stored), 0u);
    EXPECT_EQ(stored, earlier);
}

TEST_F(SchedulerTest, AMinuteMissedWhileStoppedIsNotMadeUp) {
    clock.SetLocalTime({2026, 1, 1, 5, 17, 30, 20, 0});  // Monday, inside the minute
    Schedule(0x3E, 1050);
    ASSERT_EQ(scheduler.Start(*wake), 0u);
    const auto signals = Signals(kDayMs);
    ASSERT_EQ(signals.size(), 1u);
    EXPECT_EQ(signals[0].day, 6);  // Tuesday's minute, not Monday's
}

TEST_F(SchedulerTest, SettingTheClockBackAcrossTheMinuteDoesNotRunTheDayAgain) {
    clock.SetLocalTime({2026, 1, 1, 5, 17, 29, 0, 0});
    Schedule(0x3E, 1050);
    ASSERT_EQ(scheduler.Start(*wake), 0u);
    ASSERT_EQ(Signals(kMinuteMs + 1000).size(), 1u);
    clock.SetLocalTime({2026, 1, 1, 5, 17, 29, 10, 0});
    EXPECT_TRUE(Signals(2 * kMinuteMs).empty());
    const auto tomorrow = Signals(kDayMs);
    ASSERT_EQ(tomorrow.size(), 1u);
    EXPECT_EQ(tomorrow[0].day, 6);
}

// Daylight saving: in spring the clock goes from 02:00 straight to 03:00 (the bias goes from 0
// to -60 here), in autumn from 03:00 back to 02:00.
TEST_F(SchedulerTest, ATimeInTheHourTheClockSkipsStillRunsThatDay) {
    clock.SetLocalTime({2026, 3, 0, 29, 1, 58, 0, 0});  // a Sunday
    Schedule(0x7F, 2 * 60 + 30);
    ASSERT_EQ(scheduler.Start(*wake), 0u);
    EXPECT_TRUE(Signals(90'000).empty());  // 01:59:30
    clock.SetTimeZoneBias(-60);            // 02:59:30
    const auto signals = Signals(kMinuteMs);
    ASSERT_EQ(signals.size(), 1u);
    EXPECT_EQ(signals[0].hour, 3);  // the first look after the skipped hour
    EXPECT_EQ(signals[0].minute, 0);
    EXPECT_EQ(scheduler.LastRun().Hour(), 2);  // the run that was due
    EXPECT_EQ(scheduler.LastRun().Minute(), 30);
    EXPECT_TRUE(Signals(20 * 60 * kMinuteMs).empty());  // not again that day
}

TEST_F(SchedulerTest, ATimeInTheHourTheClockRepeatsRunsOnce) {
    clock.SetTimeZoneBias(-60);
    clock.SetLocalTime({2026, 10, 0, 25, 2, 0, 0, 0});  // a Sunday
    Schedule(0x7F, 2 * 60 + 30);
    ASSERT_EQ(scheduler.Start(*wake), 0u);
    ASSERT_EQ(Signals(59 * kMinuteMs + 30'000).size(), 1u);  // 02:30, and now 02:59:30
    clock.SetTimeZoneBias(0);                                // 01:59:30 again
    EXPECT_TRUE(Signals(2 * 60 * kMinuteMs).empty());        // 02:30 comes round again
    const auto nextDay = Signals(kDayMs);
    ASSERT_EQ(nextDay.size(), 1u);
    EXPECT_EQ(nextDay[0].day, 26);
    EXPECT_EQ(nextDay[0].hour, 2);
    EXPECT_EQ(nextDay[0].minute, 30);
}

TEST_F(SchedulerTest, ATimeThatPassesWhileTheComputerSleepsIsNotMadeUp) {
    clock.SetLocalTime({2026, 1, 1, 5, 17, 0, 0, 0});
    Schedule(0x3E, 1050);
    ASSERT_EQ(scheduler.Start(*wake), 0u);
    EXPECT_TRUE(Signals(10'000).empty());
    // Asleep from 17:00:10 to 19:00:10: the wall clock jumps when it wakes.
    clock.SetUtcNow(clock.UtcNow() + 2 * 3600 * os::kFileTimeTicksPerSecond);
    EXPECT_TRUE(Signals(2 * kMinuteMs).empty());
    const auto tomorrow = Signals(kDayMs);
    ASSERT_EQ(tomorrow.size(), 1u);
    EXPECT_EQ(tomorrow[0].day, 6);
}

TEST_F(SchedulerTest, StopEndsTheThreadWithoutWaitingOutTheMinute) {
    Schedule(0x3E, 1050);
    ASSERT_EQ(scheduler.Start(*wake), 0u);
    clock.Sleep(10'000);
    const uint64_t before = clock.TickCount();
    EXPECT_EQ(scheduler.Stop(), 0u);
    EXPECT_LT(clock.TickCount() - before, 1000u);
    EXPECT_FALSE(scheduler.IsRunning());
    EXPECT_EQ(scheduler.Stop(), 0u);  // a second Stop has nothing to do
}

class SessionEndTest : public ::testing::Test {
  protected:
    bool Ask() {
        return AllowSessionEnd(store, pending, [this] { ++wakes; });
    }

    os::sim::SimMachine sim;
    CKRVSettingsStore store{sim.registry()};
    std::atomic<bool> pending{false};
    int wakes = 0;
};

TEST_F(SessionEndTest, OnlyAtShutdownHoldsTheFirstRequestForACopy) {
    ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerType, kScheduleAtShutdownOnly), 0u);
    EXPECT_FALSE(Ask());
    EXPECT_TRUE(pending);
    EXPECT_EQ(wakes, 1);
    EXPECT_TRUE(Ask());  // the copy is pending: let the session end
    EXPECT_EQ(wakes, 1);
}

TEST_F(SessionEndTest, TheShutdownCopySwitchHoldsItUnderAnyType) {
    ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerType, kScheduleEveryInterval), 0u);
    ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerAtShutdown, 1), 0u);
    EXPECT_FALSE(Ask());
    EXPECT_EQ(wakes, 1);
}

TEST_F(SessionEndTest, OtherwiseTheSessionEndsWithoutACopy) {
    EXPECT_TRUE(Ask());  // nothing stored
    ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerType, kScheduleEveryInterval), 0u);
    ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerAtShutdown, 0), 0u);
    EXPECT_TRUE(Ask());
    EXPECT_FALSE(pending);
    EXPECT_EQ(wakes, 0);
}

}  // namespace
}  // namespace settings
