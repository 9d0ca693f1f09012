#pragma once
// The scheduler of schedule type 2: a thread that looks at the local clock once a minute and
// signals the engine's wake event at the chosen time of day on the chosen days of the week. And
// the rule for holding the end of the Windows session for one more copy.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "os/clock.h"
#include "settings/krv_time.h"
#include "settings/settings_store.h"

namespace settings {

class CKRVScheduler {
  public:
    CKRVScheduler(os::Clock& clock, const CKRVSettingsStore& store);
    // Stops a running thread.
    ~CKRVScheduler();
    CKRVScheduler(const CKRVScheduler&) = delete;
    CKRVScheduler& operator=(const CKRVScheduler&) = delete;

    // Reads "Scheduler DOW", "Scheduler TOD" and the last run, and starts the thread that
    // signals wakeEvent (which must outlive the next Stop). Stops a running thread first.
    // Returns 0 or the system error of starting the thread.
    uint32_t Start(os::Event& wakeEvent);
    // Ends the thread (waiting at most a second for it) and stores the last run as
    // "Scheduler LRT.Low"/".High". Returns 0 or the registry error of storing it; nothing is
    // stored while no run is known.
    uint32_t Stop();

    bool IsRunning() const { return thread_ != nullptr; }
    // The local wall-clock time of the last scheduled run (bias 0); unknown (all zero) when
    // there has been none.
    CKrvtime LastRun() const;

  private:
    void Run();
    // The local wall-clock time of a run due in (from, to]: a chosen day's time of day, on a day
    // that has not run yet.
    std::optional<os::FileTime> DueRun(os::FileTime from, os::FileTime to) const;

    os::Clock& clock_;
    const CKRVSettingsStore& store_;
    os::Event* wakeEvent_ = nullptr;
    std::unique_ptr<os::Event> stopEvent_;
    std::unique_ptr<os::Thread> thread_;
    uint32_t dayMask_ = 0;    // bit i = day i of the week, 0 = Sunday
    uint32_t timeOfDay_ = 0;  // hour * 60 + minute
    mutable std::mutex lastRunMutex_;
    CKrvtime lastRun_;
};

// Asked when Windows wants to end the session: true lets it end. With schedule type 3, or with
// "Scheduler ASH" 1, the first request sets shutdownCopyPending, wakes the engine for one more
// pass (after which the engine shuts Windows down itself) and refuses; a request while that copy
// is pending is allowed.
bool AllowSessionEnd(const CKRVSettingsStore& store, std::atomic<bool>& shutdownCopyPending,
                     const std::function<void()>& wakeEngine);

}  // namespace settings
