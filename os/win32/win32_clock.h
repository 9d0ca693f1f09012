#pragma once
// The clock port over the Win32 clock, kernel events and mutexes, WaitForMultipleObjects and
// std::thread.

#include "os/clock.h"

namespace os::win32 {

class Win32Clock final : public Clock {
  public:
    FileTime UtcNow() override;
    int32_t TimeZoneBias() override;
    uint64_t TickCount() override;
    void Sleep(uint32_t milliseconds) override;
    std::unique_ptr<Event> CreateEvent(bool manualReset, bool initiallySet) override;
    std::unique_ptr<Mutex> CreateMutex() override;
    WaitResult WaitForAny(std::span<Waitable* const> waitables, uint32_t timeoutMs) override;
    [[nodiscard]] uint32_t StartThread(std::function<void()> body,
                                       std::unique_ptr<Thread>& thread) override;
};

}  // namespace os::win32
