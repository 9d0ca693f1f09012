// The engine's worker: when it runs passes, how it lets bursts settle, how it starts and stops,
// and what it leaves between runs. The pass is the test's own here; time is virtual.

#include <atomic>

#include "engine/retry_log.h"
#include "os/errors.h"
#include "tests/engine/engine_fixture.h"

namespace engine::testing {
namespace {

class WorkerTest : public EngineFixture {
  protected:
    // A configured engine whose pass counts itself and records the virtual time it ran at.
    CKRVMirrorEngine& MakeCountingEngine() {
        CKRVMirrorEngine& e = MakeEngine();
        e.ReplacePassForTesting([this](bool showProgress) {
            passTimes.push_back(sim.clock().TickCount());
            passProgress.push_back(showProgress);
            return passResult.load();
        });
        return e;
    }
    void Schedule(uint32_t type, uint32_t interval = 0, uint32_t unit = 0) {
        ASSERT_EQ(store().WriteSchedulerValue(settings::names::kSchedulerType, type), 0u);
        ASSERT_EQ(store().WriteSchedulerValue(settings::names::kSchedulerInterval, interval), 0u);
        ASSERT_EQ(store().WriteSchedulerValue(settings::names::kSchedulerIntervalUnit, unit), 0u);
    }

    std::vector<uint64_t> passTimes;
    std::vector<bool> passProgress;
    std::atomic<uint32_t> passResult{0};
};

TEST_F(WorkerTest, TheIntervalCountsInItsUnit) {
    Configure();
    struct Case {
        uint32_t interval;
        uint32_t unit;
        uint64_t ms;
    };
    for (const Case& c : {Case{2, 1, 2 * 3600000ULL}, Case{2, 0, 2 * 60000ULL},
                          Case{2, 2, 2 * 86400000ULL}, Case{999, 2, 999 * 86400000ULL}}) {
        Schedule(settings::kScheduleEveryInterval, c.interval, c.unit);
        MakeEngine();
        EXPECT_EQ(engine->snapshot().waitIntervalMs, c.ms) << c.interval << " in unit " << c.unit;
    }
    Schedule(settings::kScheduleOnEveryChange);
    MakeEngine();
    EXPECT_EQ(engine->snapshot().waitIntervalMs, 300000u);
    Schedule(settings::kScheduleAtShutdownOnly);
    MakeEngine();
    EXPECT_EQ(engine->snapshot().waitIntervalMs, kWaitForever);
}

TEST_F(WorkerTest, AnIntervalOfDaysIsWaitedInFullEvenBeyondAThirtyTwoBitWait) {
    Configure();
    ASSERT_EQ(store().WriteStartTime(1), 0u);  // not a first run
    Schedule(settings::kScheduleEveryInterval, 60, settings::kUnitDays);
    MakeCountingEngine().Start();
    const uint64_t sixtyDays = 60 * 86400000ULL;
    sim.clock().Sleep(static_cast<uint32_t>(sixtyDays / 2));
    sim.clock().Sleep(static_cast<uint32_t>(sixtyDays / 2) - 1);
    EXPECT_TRUE(passTimes.empty());
    sim.clock().Sleep(2);
    ASSERT_EQ(passTimes.size(), 1u);
    EXPECT_EQ(passTimes[0], sixtyDays);  // a time-out: no settling waits
    engine->Stop();
}

TEST_F(WorkerTest, OnlyAtShutdownNeverRunsAPassByItself) {
    Configure();
    ASSERT_EQ(store().WriteStartTime(1), 0u);
    Schedule(settings::kScheduleAtShutdownOnly);
    MakeCountingEngine().Start();
    for (int day = 0; day < 30; ++day) {
        sim.clock().Sleep(86400000);
    }
    EXPECT_TRUE(passTimes.empty());
    const uint64_t woken = sim.clock().TickCount();
    engine->Wake();  // the tray's copy command
    sim.clock().Sleep(6000);
    ASSERT_EQ(passTimes.size(), 1u);
    EXPECT_EQ(passTimes[0], woken + 5000);  // after one quiet settling wait
    EXPECT_EQ(mainWindow.Count("start"), 1);
    EXPECT_EQ(mainWindow.Count("stop"), 1);
    engine->Stop();
}

TEST_F(WorkerTest, ABurstOfWakesDelaysThePassAtMostThirtySettlingWaits) {
    Configure();
    ASSERT_EQ(store().WriteStartTime(1), 0u);
    Schedule(settings::kScheduleAtShutdownOnly);
    MakeCountingEngine().Start();
    sim.clock().Sleep(1000);
    const uint64_t first = sim.clock().TickCount();
    // A save every 4 seconds for five minutes.
    for (int i = 0; i < 75 && passTimes.empty(); ++i) {
        engine->Wake();
        sim.clock().Sleep(4000);
    }
    // Every settling wait ends early with the next save: thirty of them, 120 s, and never more
    // than thirty waits of 5 s.
    ASSERT_EQ(passTimes.size(), 1u);
    EXPECT_EQ(passTimes[0], first + 30 * 4000);
    EXPECT_LE(passTimes[0], first + 30 * 5000);

    // A short burst: the pass follows 5 quiet seconds after its last save.
    passTimes.clear();
    sim.clock().Sleep(400000);
    passTimes.clear();
    const uint64_t burst = sim.clock().TickCount();
    for (int i = 0; i < 3; ++i) {
        engine->Wake();
        sim.clock().Sleep(4000);
    }
    sim.clock().Sleep(10000);
    ASSERT_EQ(passTimes.size(), 1u);
    EXPECT_EQ(passTimes[0], burst + 8000 + 5000);
    engine->Stop();
}

TEST_F(WorkerTest, AFirstRunEmptiesTheRetryListAndCopiesWithProgressBeforeWaiting) {
    Configure();
    Put("C:\\Users\\User\\Documents\\busy.doc", "b");
    sim.files().PutFile(RetryLogPath(sim.system()),
                        SerializeRetryLog({"C:\\Users\\User\\Documents\\busy.doc"}));
    Schedule(settings::kScheduleAtShutdownOnly);
    CKRVMirrorEngine& e = MakeCountingEngine();
    EXPECT_EQ(e.retryList().Count(), 1u);
    EXPECT_FALSE(sim.files().ContentsOf(RetryLogPath(sim.system())));  // deleted once loaded
    e.Start();
    sim.clock().Sleep(100);
    ASSERT_EQ(passTimes.size(), 1u);
    EXPECT_EQ(passTimes[0], 0u);
    EXPECT_TRUE(passProgress[0]);
    EXPECT_EQ(e.retryList().Count(), 0u);
    e.Stop();
}

TEST_F(WorkerTest, AFullCopyRequestRunsAPassAtStart) {
    Configure();
    ASSERT_EQ(store().WriteStartTime(1), 0u);
    Schedule(settings::kScheduleAtShutdownOnly);
    CKRVMirrorEngine& e = MakeCountingEngine();
    e.RequestFullCopy();
    e.Start();
    sim.clock().Sleep(100);
    EXPECT_EQ(passTimes.size(), 1u);
    e.Stop();
    e.Start();
    sim.clock().Sleep(100);
    EXPECT_EQ(passTimes.size(), 1u);  // the request was used up
    e.Stop();
}

TEST_F(WorkerTest, TheRetryListOutlivesTheProgramOnlyWhenItHoldsFiles) {
    Configure();
    Put("C:\\Users\\User\\Documents\\busy.doc", "b");
    const std::string log = RetryLogPath(sim.system());
    MakeEngine().retryList().AddFile("C:\\Users\\User\\Documents\\busy.doc");
    engine.reset();
    EXPECT_EQ(sim.files().ContentsOf(log),
              SerializeRetryLog({"C:\\Users\\User\\Documents\\busy.doc"}));
    MakeEngine();
    EXPECT_EQ(engine->retryList().Count(), 1u);
    engine->retryList().Clear();
    engine.reset();
    EXPECT_FALSE(sim.files().ContentsOf(log));
}

TEST_F(WorkerTest, AnEmptyDestinationOrAFailedPassEndsTheWorker) {
    Configure({"C:\\Users\\User\\Documents"}, "");
    ASSERT_EQ(store().WriteStartTime(1), 0u);
    MakeCountingEngine().Start();
    sim.clock().Sleep(100);
    EXPECT_FALSE(engine->IsWorkerRunning());
    EXPECT_EQ(engine->lastWorkerResult(), os::kErrorBadPathname);

    engine.reset();
    sim.registry().Put(os::Hive::CurrentUser, "Software\\Corvant Ferrolin 2\\User Options",
                       "Destination", os::RegistryValue::String("F:\\"));
    Schedule(settings::kScheduleAtShutdownOnly);
    passResult = 112;
    MakeCountingEngine().Start();
    sim.clock().Sleep(100);  // a wake before the worker waits is forgotten, as at every start
    engine->Wake();
    sim.clock().Sleep(6000);
    EXPECT_EQ(passTimes.size(), 1u);
    EXPECT_FALSE(engine->IsWorkerRunning());
    EXPECT_EQ(engine->lastWorkerResult(), 112u);
    engine->Wake();
    sim.clock().Sleep(60000);
    EXPECT_EQ(passTimes.size(), 1u);
}

TEST_F(WorkerTest, StopEndsAnIdleWorkerQuickly) {
    Configure();
    ASSERT_EQ(store().WriteStartTime(1), 0u);
    MakeCountingEngine().Start();
    sim.clock().Sleep(1000);
    const uint64_t before = sim.clock().TickCount();
    engine->Stop();
    EXPECT_FALSE(engine->IsWorkerRunning());
    EXPECT_LE(sim.clock().TickCount() - before, 2000u);
}

TEST_F(WorkerTest, AWorkerStuckInAPromptNeverOverlapsTheNextOne) {
    Configure();
    ASSERT_EQ(store().WriteStartTime(1), 0u);
    Schedule(settings::kScheduleAtShutdownOnly);
    auto answer = sim.clock().CreateEvent(true, false);
    std::atomic<int> running{0};
    std::atomic<int> mostAtOnce{0};
    std::atomic<int> passes{0};
    CKRVMirrorEngine& e = MakeEngine();
    e.ReplacePassForTesting([&](bool) {
        const int now = ++running;
        mostAtOnce = std::max(mostAtOnce.load(), now);
        if (++passes == 1) {
            sim.clock().Wait(*answer, os::kInfinite);  // the user has not answered the prompt yet
        } else {
            sim.clock().Sleep(100);
        }
        --running;
        return 0u;
    });
    e.Start();
    sim.clock().Sleep(100);
    e.Wake();
    sim.clock().Sleep(10000);
    ASSERT_EQ(passes, 1);
    const uint64_t stopping = sim.clock().TickCount();
    e.Stop();  // gives up waiting for the worker in its prompt
    EXPECT_LE(sim.clock().TickCount() - stopping, 2000u);
    e.Start();
    sim.clock().Sleep(60000);
    e.Wake();
    sim.clock().Sleep(60000);
    EXPECT_EQ(passes, 1);      // the new worker waits for the old one
    answer->Set();             // the user answers; the old worker ends without another pass,
    sim.clock().Sleep(10000);  // and the new one runs the pass asked for while it waited
    EXPECT_EQ(passes, 2);
    EXPECT_EQ(mostAtOnce, 1);
    e.Wake();
    sim.clock().Sleep(10000);
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(mostAtOnce, 1);
    e.Stop();
}

TEST_F(WorkerTest, ACopyCommandRightAfterTheStartIsNotLost) {
    Configure();
    ASSERT_EQ(store().WriteStartTime(1), 0u);
    Schedule(settings::kScheduleOnEveryChange);
    MakeCountingEngine().Start();
    engine->Wake();  // before the worker has even looked at its settings
    sim.clock().Sleep(6000);
    EXPECT_EQ(passTimes.size(), 1u);
    engine->Stop();
    engine->Start();  // the signal Stop gave the old worker is no request for a pass
    sim.clock().Sleep(60000);
    EXPECT_EQ(passTimes.size(), 1u);
    engine->Stop();
}

TEST_F(WorkerTest, ASessionEndBeforeTheWorkerWaitsStillGetsItsCopy) {
    Configure();
    ASSERT_EQ(store().WriteStartTime(1), 0u);
    Schedule(settings::kScheduleAtShutdownOnly);
    shared.shutdownCopyPending = true;  // Windows asked before the worker waited
    MakeCountingEngine().Start();
    sim.clock().Sleep(1000);
    ASSERT_EQ(passTimes.size(), 1u);
    EXPECT_FALSE(engine->IsWorkerRunning());
    EXPECT_EQ(sim.system().ShutDownRequests(), 1);
}

TEST_F(WorkerTest, TheSessionEndCopyRunsWithProgressAndThenShutsDown) {
    Configure();
    ASSERT_EQ(store().WriteStartTime(1), 0u);
    Schedule(settings::kScheduleAtShutdownOnly);
    MakeCountingEngine().Start();
    sim.clock().Sleep(1000);
    shared.shutdownCopyPending = true;
    engine->Wake();
    sim.clock().Sleep(1000);
    ASSERT_EQ(passTimes.size(), 1u);  // no settling while a shutdown waits
    EXPECT_FALSE(engine->IsWorkerRunning());
    EXPECT_EQ(sim.system().ShutDownRequests(), 1);
}

TEST_F(WorkerTest, AStoredIntervalOfZeroWaitsTheDefaultFifteenMinutes) {
    Configure();
    ASSERT_EQ(store().WriteStartTime(1), 0u);
    Schedule(settings::kScheduleEveryInterval, 0, settings::kUnitMinutes);
    MakeCountingEngine();
    EXPECT_EQ(engine->snapshot().waitIntervalMs, 15 * 60000u);
    engine->Start();
    sim.clock().Sleep(31 * 60000);
    EXPECT_EQ(passTimes, (std::vector<uint64_t>{15 * 60000, 30 * 60000}));
    engine->Stop();
}

TEST_F(WorkerTest, TheSchedulerDoesNotOutliveAStopDuringTheFirstPass) {
    Configure();  // a first run: a pass at once
    Schedule(settings::kScheduleDaysOfWeek);
    // Every day, half an hour from now.
    const os::SystemTime now = sim.clock().LocalTime();
    const uint32_t inHalfAnHour = (now.hour * 60u + now.minute + 30) % 1440;
    ASSERT_EQ(store().WriteSchedulerValue(settings::names::kSchedulerDays, 0x7F), 0u);
    ASSERT_EQ(store().WriteSchedulerValue(settings::names::kSchedulerTimeOfDay, inHalfAnHour), 0u);
    std::unique_ptr<os::Thread> stopper;
    CKRVMirrorEngine& e = MakeCountingEngine();
    e.ReplacePassForTesting([&](bool) {
        passTimes.push_back(sim.clock().TickCount());
        if (passTimes.size() == 1) {
            // The settings are opened while the first copy runs.
            EXPECT_EQ(sim.clock().StartThread([&] { e.Stop(); }, stopper), 0u);
            sim.clock().Sleep(100);
        }
        return 0u;
    });
    e.Start();
    sim.clock().Sleep(1000);
    stopper.reset();
    ASSERT_EQ(passTimes.size(), 1u);
    // The settings change the schedule: only at shutdown now.
    ASSERT_EQ(store().WriteStartTime(1), 0u);  // as the first pass would have
    Schedule(settings::kScheduleAtShutdownOnly);
    e.Start();
    sim.clock().Sleep(2 * 3600 * 1000);  // past the scheduled time
    EXPECT_EQ(passTimes.size(), 1u);
    e.Stop();
}

TEST_F(WorkerTest, TheChangeWatcherEndsWithItsWorker) {
    Configure();
    ASSERT_EQ(store().WriteStartTime(1), 0u);
    Schedule(settings::kScheduleOnEveryChange);
    passResult = 112;  // the pass fails: the worker ends
    MakeCountingEngine().Start();
    sim.clock().Sleep(100);
    Put("C:\\Users\\User\\Documents\\a.txt", "a");
    sim.clock().Sleep(10000);
    ASSERT_EQ(passTimes.size(), 1u);
    EXPECT_FALSE(engine->IsWorkerRunning());
    // Started again with the schedule changed to "only at shutdown": saves wake no one.
    passResult = 0;
    Schedule(settings::kScheduleAtShutdownOnly);
    engine->Start();
    sim.clock().Sleep(100);
    Put("C:\\Users\\User\\Documents\\b.txt", "b");
    sim.clock().Sleep(10000);
    EXPECT_EQ(passTimes.size(), 1u);
    engine->Stop();
}

TEST_F(WorkerTest, AWatcherThatDiesIsReportedOncePerFolder) {
    Configure();
    ASSERT_EQ(store().WriteStartTime(1), 0u);
    Schedule(settings::kScheduleOnEveryChange);
    sim.FailOperation(os::sim::SimOperation::ChangeNotification, "C:\\Users\\User\\Documents*", 5);
    user.notices = {{true, false}};
    MakeCountingEngine().Start();
    sim.clock().Sleep(10000);  // told at once, not after the five-minute time-out
    ASSERT_EQ(user.Count("163"), 1);
    EXPECT_EQ(user.fileErrors[0].path, "C:\\Users\\User\\Documents");
    EXPECT_EQ(user.fileErrors[0].code, 5u);
    engine->Stop();
    engine->Start();  // the watch fails again: the user knows already
    sim.clock().Sleep(10000);
    EXPECT_EQ(user.Count("163"), 1);
    engine->Stop();
}

class RunningEngineTest : public WorkerTest {
  protected:
    void SetUp() override {
        Configure();
        ASSERT_EQ(store().WriteDiskId(Identifier(1)), 0u);
        ASSERT_EQ(store().WriteStartTime(1), 0u);
        Schedule(settings::kScheduleAtShutdownOnly);
        Put("C:\\Users\\User\\Documents\\a.txt", "a");
    }
    // Waits (in virtual time) until the prompt has been shown.
    void AwaitPrompt(const std::string& prompt) {
        for (int i = 0; i < 600 && user.Count(prompt) == 0; ++i) {
            sim.clock().Sleep(1000);
        }
        ASSERT_EQ(user.Count(prompt), 1) << prompt;
    }
};

TEST_F(RunningEngineTest, StopEndsAPassWithinItsBound) {
    MakeEngine().Start();
    sim.clock().Sleep(100);
    engine->Wake();
    // Five seconds of settling, the copy, and then two seconds into the five the pass gives
    // the progress dialog at 100 %.
    sim.clock().Sleep(5000 + 2000);
    ASSERT_EQ(mainWindow.Count("stop"), 0);
    const uint64_t stopping = sim.clock().TickCount();
    engine->Stop();
    EXPECT_LT(sim.clock().TickCount() - stopping, 2000u);
    EXPECT_EQ(mainWindow.Count("stop"), 1);  // the pass ended before Stop returned
    EXPECT_EQ(DiskFiles("F:\\Users\\User\\Documents"),
              (std::map<std::string, std::string>{{"a.txt", "a"}}));
    os::FileTime stored = 0;
    ASSERT_EQ(store().ReadStartTime(stored), 0u);
    EXPECT_GT(stored, 1u);  // it ended in time, so it stored what it copied
}

TEST_F(RunningEngineTest, AWorkerStopGaveUpOnWritesNoSetting) {
    // The disk is three quarters full: the filling warning comes after the copy, and the user
    // leaves it on screen.
    drives->InsertDisk('F', NewDisk(1, 4ULL << 20));
    sim.files().PutFile("F:\\filler.bin", std::string(3200 * 1024, 'f'));
    user.leftOpen = {"202"};
    MakeEngine().Start();
    sim.clock().Sleep(100);
    engine->Wake();
    AwaitPrompt("202");
    engine->Stop();  // the settings are opened: Stop gives up on the worker in its prompt
    ASSERT_EQ(store().WriteStartTime(0), 0u);  // the sheet's "Re-copy all files"
    user.CloseOpenPrompts();                   // the user answers the old prompt at last
    sim.clock().Sleep(60000);
    os::FileTime stored = 1;
    ASSERT_EQ(store().ReadStartTime(stored), 0u);
    EXPECT_EQ(stored, 0u);
}

TEST_F(RunningEngineTest, TheEngineEndsWithoutWaitingForAPromptNobodyAnswers) {
    drives->RemoveDisk('F');
    user.leftOpen = {"160"};
    MakeEngine().Start();
    sim.clock().Sleep(100);
    engine->Wake();
    AwaitPrompt("160");
    const uint64_t ending = sim.clock().TickCount();
    engine.reset();  // the program exits
    EXPECT_LT(sim.clock().TickCount() - ending, 15000u);
    EXPECT_GE(user.closeRequests, 1);
}

}  // namespace
}  // namespace engine::testing
