#include "settings/scheduler.h"

#include "os/errors.h"

namespace settings {

namespace {

// A wait ends this long after the full minute, so that the clock read after it is inside the new
// minute.
constexpr uint32_t kMinuteWaitMs = 60500;
constexpr uint32_t kThreadEndWaitMs = 1000;
constexpr uint32_t kMinutesPerDay = 1440;
constexpr os::FileTime kTicksPerDay = kMinutesPerDay * os::kFileTimeTicksPerMinute;
// The local time one look answers for when the machine was not awake for the whole wait.
constexpr os::FileTime kOneLook = kMinuteWaitMs * (os::kFileTimeTicksPerSecond / 1000);
// More wall-clock time than this between two looks: the machine slept or the clock was set.
constexpr os::FileTime kLongestAwakeStep = 2 * os::kFileTimeTicksPerMinute;

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
    static_cast<void>(store_.ReadSchedulerValue(names::kSchedulerDays, dayMask_));
    static_cast<void>(store_.ReadSchedulerValue(names::kSchedulerTimeOfDay, timeOfDay_));
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

// Once a minute, half a second past the full minute, the scheduler looks at the stretch of local
// time since its last look: a chosen day's time of day inside it runs, once a day. Normally the
// stretch is a minute; a daylight-saving change makes it an hour longer (the skipped hour's time
// still runs) or turns it back (the repeated hour's time does not run twice, as the day has run
// already). When the wall clock moved much more than the wait, the machine slept (or the clock
// was set): then only the last minute counts, so that a time that passed while the computer
// slept, or while the program was not running, is not made up for.
void CKRVScheduler::Run() {
    os::FileTime previousUtc = clock_.UtcNow();
    os::FileTime previousLocal = clock_.ToLocal(previousUtc);
    for (;;) {
        const os::SystemTime before = clock_.LocalTime();
        const uint32_t waitMs = kMinuteWaitMs - before.second * 1000u - before.milliseconds;
        if (clock_.Wait(*stopEvent_, waitMs).status != os::WaitStatus::TimedOut) {
            return;
        }
        const os::FileTime nowUtc = clock_.UtcNow();
        const os::FileTime nowLocal = clock_.ToLocal(nowUtc);
        const bool awake = nowUtc >= previousUtc && nowUtc - previousUtc <= kLongestAwakeStep;
        const os::FileTime from =
            awake ? previousLocal : (nowLocal > kOneLook ? nowLocal - kOneLook : 0);
        if (const std::optional<os::FileTime> due = DueRun(from, nowLocal)) {
            {
                std::lock_guard lock(lastRunMutex_);
                lastRun_ = CKrvtime::FromFileTime(*due);
            }
            wakeEvent_->Set();
        }
        previousUtc = nowUtc;
        previousLocal = nowLocal;
    }
}

std::optional<os::FileTime> CKRVScheduler::DueRun(os::FileTime from, os::FileTime to) const {
    if (to <= from || timeOfDay_ >= kMinutesPerDay) {
        return std::nullopt;
    }
    const std::optional<os::FileTime> lastRun = LastRun().ToFileTime();
    for (uint64_t day = from / kTicksPerDay; day <= to / kTicksPerDay; ++day) {
        const os::FileTime time = day * kTicksPerDay + timeOfDay_ * os::kFileTimeTicksPerMinute;
        // 1 January 1601, day 0 of a FILETIME, was a Monday; day of the week 0 is Sunday.
        const uint64_t dayOfWeek = (day + 1) % 7;
        const bool chosen = dayOfWeek < 32 && ((dayMask_ >> dayOfWeek) & 1u) != 0;
        const bool ranThatDay = lastRun && *lastRun / kTicksPerDay == day;
        if (time > from && time <= to && chosen && !ranThatDay) {
            return time;
        }
    }
    return std::nullopt;
}

bool AllowSessionEnd(const CKRVSettingsStore& store, std::atomic<bool>& shutdownCopyPending,
                     const std::function<void()>& wakeEngine) {
    uint32_t atShutdown = 0;
    uint32_t type = 0;
    // Missing values read as 0: no shutdown copy, schedule type 0.
    static_cast<void>(store.ReadSchedulerValue(names::kSchedulerAtShutdown, atShutdown));
    static_cast<void>(store.ReadSchedulerValue(names::kSchedulerType, type));
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
