#pragma once
// The clock port of the simulated machine: virtual time (see sim_core.h), events, mutexes and
// threads whose waits move that time.

#include <memory>

#include "os/clock.h"
#include "os/sim/sim_core.h"

namespace os::sim {

class SimClock final : public Clock {
  public:
    explicit SimClock(SimCore& core) : core_(core) {}

    FileTime UtcNow() override;
    int32_t TimeZoneBias() override;
    uint64_t TickCount() override;
    void Sleep(uint32_t milliseconds) override;
    std::unique_ptr<Event> CreateEvent(bool manualReset, bool initiallySet) override;
    std::unique_ptr<Mutex> CreateMutex() override;
    WaitResult WaitForAny(std::span<Waitable* const> waitables, uint32_t timeoutMs) override;
    [[nodiscard]] uint32_t StartThread(std::function<void()> body,
                                       std::unique_ptr<Thread>& thread) override;

    // Test controls.
    void SetUtcNow(FileTime utc);
    // Sets the wall clock so that local time is the given one.
    void SetLocalTime(const SystemTime& local);
    void SetTimeZoneBias(int32_t minutes);
    // Moves time forward at once, waking whatever became due.
    void Advance(uint64_t milliseconds);
    // With auto-advance off, time moves only through Advance (and SetUtcNow).
    void SetAutoAdvance(bool on);
    // How often each thread woke from a wait that blocked (see SimCore).
    std::vector<SimThreadWakeUps> WakeUps();
    void ResetWakeUps();

    // While it lives, the current thread counts as awake: time stands still while it works and
    // moves only while it waits (Sleep, Wait) like the program's own threads.
    class Participation {
      public:
        explicit Participation(SimClock& clock);
        ~Participation();
        Participation(const Participation&) = delete;
        Participation& operator=(const Participation&) = delete;

      private:
        SimCore& core_;
    };

  private:
    SimCore& core_;
};

}  // namespace os::sim
