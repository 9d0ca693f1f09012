#include "os/win32/win32_clock.h"

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "os/errors.h"
#include "os/win32/unique_handle.h"
#include "os/win32/win32_waitable.h"
#include "os/win32/windows_api.h"

namespace os::win32 {

namespace {

// Running out of kernel handles is the only way to get here. The port's callers cannot work
// without the object they asked for, and a null one would crash them later and elsewhere, so the
// failure is raised where it happens.
KernelHandle CheckedHandle(HANDLE handle) {
    if (handle == nullptr) {
        const DWORD error = ::GetLastError();
        throw std::system_error(static_cast<int>(error), std::system_category(),
                                "creating a kernel object");
    }
    return KernelHandle(handle);
}

class Win32Event final : public Event, public Win32Waitable {
  public:
    Win32Event(bool manualReset, bool initiallySet)
        : handle_(CheckedHandle(::CreateEventW(nullptr, manualReset ? TRUE : FALSE,
                                               initiallySet ? TRUE : FALSE, nullptr))) {}

    void Set() override { ::SetEvent(handle_.Get()); }
    void Reset() override { ::ResetEvent(handle_.Get()); }
    HANDLE WaitHandle() const override { return handle_.Get(); }

  private:
    KernelHandle handle_;
};

// A kernel mutex, so that WaitForAny can take it together with other objects. Kernel mutexes are
// recursive; the port's mutex is not, so the owning thread is remembered and try_lock by the
// owner fails as it would on any non-recursive mutex instead of counting up a second hold.
class Win32Mutex final : public Mutex, public Win32Waitable {
  public:
    Win32Mutex() : handle_(CheckedHandle(::CreateMutexW(nullptr, FALSE, nullptr))) {}

    void lock() override {
        // WAIT_ABANDONED also hands over ownership: the previous owner ended without unlocking.
        ::WaitForSingleObject(handle_.Get(), INFINITE);
        Acquired();
    }
    bool try_lock() override {
        if (owner_.load(std::memory_order_relaxed) == ::GetCurrentThreadId()) {
            return false;
        }
        const DWORD result = ::WaitForSingleObject(handle_.Get(), 0);
        if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) {
            return false;
        }
        Acquired();
        return true;
    }
    void unlock() override {
        owner_.store(0, std::memory_order_relaxed);
        ::ReleaseMutex(handle_.Get());
    }
    HANDLE WaitHandle() const override { return handle_.Get(); }
    void Acquired() override { owner_.store(::GetCurrentThreadId(), std::memory_order_relaxed); }

  private:
    KernelHandle handle_;
    // Only the owning thread ever finds its own id here, so relaxed order is enough.
    std::atomic<DWORD> owner_{0};
};

// A std::thread with a manual-reset event that is set when the body returns: the event is what
// WaitForExit and WaitForAny wait for, and it stays set for every later wait.
class Win32Thread final : public Thread, public Win32Waitable {
  public:
    explicit Win32Thread(KernelHandle exited) : exited_(std::move(exited)) {}
    ~Win32Thread() override {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    void Launch(std::function<void()> body) {
        thread_ = std::thread([exited = exited_.Get(), body = std::move(body)] {
            body();
            ::SetEvent(exited);  // the handle lives until the destructor has joined
        });
    }

    bool WaitForExit(uint32_t timeoutMs) override {
        return ::WaitForSingleObject(exited_.Get(), timeoutMs) == WAIT_OBJECT_0;
    }
    HANDLE WaitHandle() const override { return exited_.Get(); }

  private:
    KernelHandle exited_;
    std::thread thread_;
};

}  // namespace

FileTime Win32Clock::UtcNow() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return MakeFileTime(now.dwLowDateTime, now.dwHighDateTime);
}

int32_t Win32Clock::TimeZoneBias() {
    TIME_ZONE_INFORMATION zone{};
    switch (::GetTimeZoneInformation(&zone)) {
        case TIME_ZONE_ID_DAYLIGHT:
            return zone.Bias + zone.DaylightBias;
        case TIME_ZONE_ID_STANDARD:
            return zone.Bias + zone.StandardBias;
        case TIME_ZONE_ID_UNKNOWN:
            return zone.Bias;  // a zone without daylight saving
        default:
            return 0;  // no zone to be had: local time is taken as UTC
    }
}

uint64_t Win32Clock::TickCount() {
    return ::GetTickCount64();
}

void Win32Clock::Sleep(uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

std::unique_ptr<Event> Win32Clock::CreateEvent(bool manualReset, bool initiallySet) {
    return std::make_unique<Win32Event>(manualReset, initiallySet);
}

std::unique_ptr<Mutex> Win32Clock::CreateMutex() {
    return std::make_unique<Win32Mutex>();
}

WaitResult Win32Clock::WaitForAny(std::span<Waitable* const> waitables, uint32_t timeoutMs) {
    if (waitables.empty()) {
        // WaitForMultipleObjects refuses an empty list; with a time-out the wait is a sleep.
        if (timeoutMs == kInfinite) {
            return {WaitStatus::Failed, 0, kErrorInvalidParameter};
        }
        ::Sleep(timeoutMs);
        return {WaitStatus::TimedOut, 0, 0};
    }
    std::vector<Win32Waitable*> objects;
    std::vector<HANDLE> handles;
    objects.reserve(waitables.size());
    handles.reserve(waitables.size());
    for (Waitable* waitable : waitables) {
        auto* object = dynamic_cast<Win32Waitable*>(waitable);
        if (object == nullptr) {
            return {WaitStatus::Failed, 0, kErrorInvalidHandle};  // not one of ours
        }
        objects.push_back(object);
        handles.push_back(object->WaitHandle());
    }
    const DWORD result = ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()),
                                                  handles.data(), FALSE, timeoutMs);
    if (result == WAIT_FAILED) {
        return {WaitStatus::Failed, 0, ::GetLastError()};
    }
    if (result == WAIT_TIMEOUT) {
        return {WaitStatus::TimedOut, 0, 0};
    }
    // WAIT_ABANDONED_0 + i: a mutex whose owner ended without unlocking; it is ours now.
    size_t index = handles.size();
    if (result < WAIT_OBJECT_0 + handles.size()) {
        index = result - WAIT_OBJECT_0;
    } else if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + handles.size()) {
        index = result - WAIT_ABANDONED_0;
    }
    if (index >= handles.size()) {
        return {WaitStatus::Failed, 0, kErrorInvalidFunction};  // a result Windows does not give
    }
    objects[index]->Acquired();
    return {WaitStatus::Signalled, index, 0};
}

uint32_t Win32Clock::StartThread(std::function<void()> body, std::unique_ptr<Thread>& thread) {
    KernelHandle exited(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!exited) {
        return ::GetLastError();
    }
    auto started = std::make_unique<Win32Thread>(std::move(exited));
    try {
        started->Launch(std::move(body));
    } catch (const std::system_error&) {
        return kErrorNotEnoughMemory;  // std::thread reports errno values, not Win32 codes
    }
    thread = std::move(started);
    return kErrorSuccess;
}

}  // namespace os::win32
