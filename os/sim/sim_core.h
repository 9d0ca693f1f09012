#pragma once
// The heart of the simulated machine: one lock for all of its state and the virtual clock with
// its waits.
//
// Time moves only when nothing can run: every thread started through the simulated clock (and
// every thread that attached itself, such as a test's own) counts as awake until it waits; when
// no counted thread is awake, the clock jumps to the earliest time-out of the waiting threads.
// A five-second settling wait or a day of schedule therefore costs microseconds, and the order
// of events is the same on every run.

#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <utility>
#include <vector>

#include "os/clock.h"
#include "os/file_time.h"

namespace os::sim {

class SimCore;

// Something a simulated wait can be satisfied by. Its state is read and changed only under the
// core's lock.
class SimSignal {
  public:
    explicit SimSignal(SimCore& core) : core_(core) {}
    virtual ~SimSignal() = default;
    virtual bool IsSignalledLocked() const = 0;
    // Called when a wait is satisfied by this signal (an auto-reset event resets itself, a mutex
    // becomes owned).
    virtual void AcquireLocked() {}
    SimCore& core() const { return core_; }

  private:
    SimCore& core_;
};

// How often one thread woke from a wait that had to block (for a signal, a time-out or a
// sleep), and the time-outs it waited with.
struct SimThreadWakeUps {
    uint64_t wakeUps = 0;
    uint64_t timedOut = 0;                 // of those, the ones that ended by their time-out
    uint32_t shortestTimeout = kInfinite;  // milliseconds; kInfinite when all waited without
    uint32_t longestTimeout = 0;           // among the finite ones
};

class SimCore {
  public:
    SimCore();
    SimCore(const SimCore&) = delete;
    SimCore& operator=(const SimCore&) = delete;

    std::mutex& mutex() { return mutex_; }

    // Waits under the lock (held by the caller through lock) for the first signalled of signals
    // or the time-out, in virtual milliseconds.
    WaitResult WaitLocked(std::unique_lock<std::mutex>& lock, std::span<SimSignal* const> signals,
                          uint32_t timeoutMs);
    // Wakes the waits that a change of state (a signal set, time moved) may have satisfied.
    void NotifyLocked();

    uint64_t TickLocked() const { return tick_; }
    FileTime UtcNowLocked() const { return utcAtTickZero_ + tick_ * kFileTimeTicksPerMillisecond; }
    void SetUtcNowLocked(FileTime utc);
    int32_t BiasLocked() const { return bias_; }
    void SetBiasLocked(int32_t bias) { bias_ = bias; }

    // Moves virtual time forward by ms (and wakes what became due).
    void AdvanceLocked(uint64_t ms);
    void SetAutoAdvanceLocked(bool on);

    // Wake-ups by thread since the start or the last reset, in the order the threads first woke.
    std::vector<SimThreadWakeUps> WakeUpsLocked() const;
    void ResetWakeUpsLocked() { wakeUps_.clear(); }

    // Counting of awake threads.
    void AddAwakeLocked() { ++awake_; }
    void RemoveAwakeLocked();
    bool IsCurrentThreadParticipant() const;
    void SetCurrentThreadParticipant(bool participant);

  private:
    struct Waiter {
        std::span<SimSignal* const> signals;
        std::optional<uint64_t> deadline;
        bool participant = false;
        bool holdsAwake = false;  // counted in awake_ (participants only)
    };

    bool SatisfiableLocked(const Waiter& w) const;
    void AdvanceIfIdleLocked();
    void NoteWakeUpLocked(uint32_t timeoutMs, bool timedOut);

    std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t tick_ = 0;
    FileTime utcAtTickZero_;
    int32_t bias_ = 0;
    bool autoAdvance_ = true;
    int awake_ = 0;
    std::list<Waiter*> waiters_;
    std::vector<std::pair<std::thread::id, SimThreadWakeUps>> wakeUps_;
};

}  // namespace os::sim
