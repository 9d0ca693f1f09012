#pragma once
// The clock port: everything that measures time or blocks a thread. Time of day, the time zone,
// the tick count, sleeps, events, mutexes, waits with time-outs and threads all go through it, so
// that the simulated machine can run a five-second wait or a day of schedule in microseconds.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "os/file_time.h"
#include "os/wait.h"

namespace os {

inline constexpr uint32_t kInfinite = 0xFFFFFFFF;

// A Win32 event: manual-reset events stay set until Reset; auto-reset events release one wait.
class Event : public Waitable {
  public:
    virtual void Set() = 0;
    virtual void Reset() = 0;
};

// A non-recursive mutex (BasicLockable, so std::lock_guard and std::unique_lock work). A thread
// blocked on it counts as waiting for the simulated clock.
class Mutex : public Waitable {
  public:
    virtual void lock() = 0;
    virtual bool try_lock() = 0;
    virtual void unlock() = 0;
};

// A thread started through the clock port. The destructor joins it: a thread is never detached
// and never terminated, so its owner must have asked it to end first.
class Thread : public Waitable {
  public:
    ~Thread() override = default;
    // True once the thread's function has returned; waits up to timeoutMs for that.
    virtual bool WaitForExit(uint32_t timeoutMs) = 0;
};

enum class WaitStatus { Signalled, TimedOut, Failed };

struct WaitResult {
    WaitStatus status = WaitStatus::Failed;
    size_t index = 0;    // which waitable, when signalled
    uint32_t error = 0;  // the system error, when failed
};

class Clock {
  public:
    virtual ~Clock() = default;

    // GetSystemTimeAsFileTime.
    virtual FileTime UtcNow() = 0;
    // The current bias of the time zone in minutes, daylight saving included: UTC = local + bias.
    virtual int32_t TimeZoneBias() = 0;
    // GetTickCount64: milliseconds since the machine started.
    virtual uint64_t TickCount() = 0;

    // Sleep; Sleep(0) only yields.
    virtual void Sleep(uint32_t milliseconds) = 0;
    virtual std::unique_ptr<Event> CreateEvent(bool manualReset, bool initiallySet) = 0;
    virtual std::unique_ptr<Mutex> CreateMutex() = 0;
    // WaitForMultipleObjects without wait-all: returns the lowest index that is signalled (and
    // takes it: an auto-reset event is reset, a mutex is owned), a time-out, or a failure (for
    // an empty list with an infinite time-out, or a waitable of another implementation).
    virtual WaitResult WaitForAny(std::span<Waitable* const> waitables, uint32_t timeoutMs) = 0;
    // Starts body on a new thread; returns the system error when that is impossible.
    [[nodiscard]] virtual uint32_t StartThread(std::function<void()> body,
                                               std::unique_ptr<Thread>& thread) = 0;

    WaitResult Wait(Waitable& waitable, uint32_t timeoutMs) {
        Waitable* const one[] = {&waitable};
        return WaitForAny(one, timeoutMs);
    }
    // The local wall-clock time as a FILETIME (FileTimeToLocalFileTime of now).
    FileTime LocalNow() { return ToLocal(UtcNow()); }
    // GetLocalTime.
    SystemTime LocalTime();
    // GetSystemTime.
    SystemTime UtcTime();
    // FileTimeToLocalFileTime / LocalFileTimeToFileTime with the current bias.
    FileTime ToLocal(FileTime utc);
    FileTime ToUtc(FileTime local);
};

}  // namespace os
