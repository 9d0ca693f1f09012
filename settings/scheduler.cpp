#include "settings/scheduler.h"

#include "os/errors.h"

namespace settings {

namespace {

// A wait ends this long after the full minute, so that the clock read after it is inside the new
// minute.
constexpr uint32_t kMinuteWaitMs = 60500;
constexpr uint32_t kThreadEndWaitMs = 1000;

}  // namespace

CKRVScheduler::CKRVScheduler(os::Clock& clock, const CKRVSettingsStore& store)
    : clock_(clock), store_(store) {}

CKRVScheduler::~CKRVScheduler() {
    Stop();
}

uint32_t CKRVScheduler::Start(os::Event& wakeEvent) {
    if (thread_ || stopEvent_) {
        Stop();
    }
    // Missing values read as 0: no day, or midnight.
    store_.ReadSchedulerValue(names::kSchedulerDays, dayMask_);
    store_.ReadSchedulerValue(names::kSchedulerTimeOfDay, timeOfDay_);
    os::FileTime stored = 0;
    if (store_.ReadSchedulerLastRun(stored) == os::kErrorSuccess) {
        // A pair that is no date (a corrupt value) leaves the last run as it was.
        if (os::FileTimeToSystemTime(stored)) {
            std::lock_guard lock(lastRunMutex_);
            lastRun_ = CKrvtime::FromFileTime(stored);
        }
    }

    stopEvent_ = clock_.CreateEvent(false, false);
    if (!stopEvent_) {
        return os::kErrorNotEnoughMemory;
    }
    wakeEvent_ = &wakeEvent;
    const uint32_t error = clock_.StartThread([this] { Run(); }, thread_);
    if (error != os::kErrorSuccess) {
        thread_.reset();
        stopEvent_.reset();
        wakeEvent_ = nullptr;
        return error;
    }
    return os::kErrorSuccess;
}

uint32_t CKRVScheduler::Stop() {
    uint32_t result = os::kErrorSuccess;
    if (thread_) {
        stopEvent_->Set();
        // The thread answers the stop event at once; should it be late, the Thread's owner
        // still joins it rather than leaving it running.
        thread_->WaitForExit(kThreadEndWaitMs);
        thread_.reset();
        if (const auto lastRun = LastRun().ToFileTime()) {
            result = store_.WriteSchedulerLastRun(*lastRun);
        }
    }
    stopEvent_.reset();
    wakeEvent_ = nullptr;
    return result;
}

CKrvtime CKRVScheduler::LastRun() const {
    std::lock_guard lock(lastRunMutex_);
    return lastRun_;
}

// Once a minute, half a second past the full minute: when the day's bit is set and the minute is
// the time of day, the run is noted and the engine woken. A minute that passed while the program
// was not running, or while the computer slept, is not made up for; a clock set back across the
// minute can match it again.
void CKRVScheduler::Run() {
    for (;;) {
        const os::SystemTime before = clock_.LocalTime();
        const uint32_t waitMs = kMinuteWaitMs - before.second * 1000u - before.milliseconds;
        if (clock_.Wait(*stopEvent_, waitMs).status != os::WaitStatus::TimedOut) {
            return;
        }
        const os::SystemTime now = clock_.LocalTime();
        const bool dayChosen = now.dayOfWeek < 32 && ((dayMask_ >> now.dayOfWeek) & 1u) != 0;
        if (dayChosen && now.hour * 60u + now.minute == timeOfDay_) {
            {
                std::lock_guard lock(lastRunMutex_);
                lastRun_ = CKrvtime(now);
            }
            wakeEvent_->Set();
        }
    }
}

bool AllowSessionEnd(const CKRVSettingsStore& store, std::atomic<bool>& shutdownCopyPending,
                     const std::function<void()>& wakeEngine) {
    uint32_t atShutdown = 0;
    uint32_t type = 0;
    store.ReadSchedulerValue(names::kSchedulerAtShutdown, atShutdown);
    store.ReadSchedulerValue(names::kSchedulerType, type);
    if (type != kScheduleAtShutdownOnly && atShutdown != 1) {
        return true;
    }
    if (shutdownCopyPending.exchange(true)) {
        return true;
    }
    wakeEngine();
    return false;
}

}  // namespace settings
