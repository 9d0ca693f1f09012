#include "os/sim/sim_clock.h"

#include <thread>
#include <vector>

#include "os/errors.h"

namespace os::sim {

namespace {

class SimEvent final : public Event, public SimSignal {
  public:
    SimEvent(SimCore& core, bool manualReset, bool initiallySet)
        : SimSignal(core), manualReset_(manualReset), set_(initiallySet) {}

    void Set() override {
        std::lock_guard lock(core().mutex());
        set_ = true;
        core().NotifyLocked();
    }
    void Reset() override {
        std::lock_guard lock(core().mutex());
        set_ = false;
    }
    bool IsSignalledLocked() const override { return set_; }
    void AcquireLocked() override {
        if (!manualReset_) {
            set_ = false;
        }
    }

  private:
    const bool manualReset_;
    bool set_;
};

class SimMutex final : public Mutex, public SimSignal {
  public:
    explicit SimMutex(SimCore& core) : SimSignal(core) {}

    void lock() override {
        std::unique_lock lock(core().mutex());
        SimSignal* const self[] = {this};
        core().WaitLocked(lock, self, kInfinite);
    }
    bool try_lock() override {
        std::lock_guard lock(core().mutex());
        if (owned_) {
            return false;
        }
        owned_ = true;
        return true;
    }
    void unlock() override {
        std::lock_guard lock(core().mutex());
        owned_ = false;
        core().NotifyLocked();
    }
    bool IsSignalledLocked() const override { return !owned_; }
    void AcquireLocked() override { owned_ = true; }

  private:
    bool owned_ = false;
};

class SimThread final : public Thread, public SimSignal {
  public:
    explicit SimThread(SimCore& core) : SimSignal(core) {}

    ~SimThread() override {
        // Wait in virtual time first, so that the thread can finish its own sleeps; then join.
        WaitForExit(kInfinite);
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    void Launch(std::function<void()> body) {
        thread_ = std::thread([this, body = std::move(body)] {
            core().SetCurrentThreadParticipant(true);
            body();
            core().SetCurrentThreadParticipant(false);
            std::lock_guard lock(core().mutex());
            exited_ = true;
            core().NotifyLocked();
            core().RemoveAwakeLocked();
        });
    }

    bool WaitForExit(uint32_t timeoutMs) override {
        std::unique_lock lock(core().mutex());
        SimSignal* const self[] = {this};
        return core().WaitLocked(lock, self, timeoutMs).status == WaitStatus::Signalled;
    }
    bool IsSignalledLocked() const override { return exited_; }

  private:
    std::thread thread_;
    bool exited_ = false;
};

}  // namespace

FileTime SimClock::UtcNow() {
    std::lock_guard lock(core_.mutex());
    return core_.UtcNowLocked();
}

int32_t SimClock::TimeZoneBias() {
    std::lock_guard lock(core_.mutex());
    return core_.BiasLocked();
}

uint64_t SimClock::TickCount() {
    std::lock_guard lock(core_.mutex());
    return core_.TickLocked();
}

void SimClock::Sleep(uint32_t milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    std::unique_lock lock(core_.mutex());
    core_.WaitLocked(lock, {}, milliseconds);
}

std::unique_ptr<Event> SimClock::CreateEvent(bool manualReset, bool initiallySet) {
    return std::make_unique<SimEvent>(core_, manualReset, initiallySet);
}

std::unique_ptr<Mutex> SimClock::CreateMutex() {
    return std::make_unique<SimMutex>(core_);
}

WaitResult SimClock::WaitForAny(std::span<Waitable* const> waitables, uint32_t timeoutMs) {
    std::vector<SimSignal*> signals;
    signals.reserve(waitables.size());
    for (Waitable* w : waitables) {
        auto* signal = dynamic_cast<SimSignal*>(w);
        if (signal == nullptr || &signal->core() != &core_) {
            return {WaitStatus::Failed, 0, kErrorInvalidHandle};
        }
        signals.push_back(signal);
    }
    std::unique_lock lock(core_.mutex());
    return core_.WaitLocked(lock, signals, timeoutMs);
}

uint32_t SimClock::StartThread(std::function<void()> body, std::unique_ptr<Thread>& thread) {
    auto simThread = std::make_unique<SimThread>(core_);
    {
        std::lock_guard lock(core_.mutex());
        core_.AddAwakeLocked();  // counted from before it runs, so time cannot slip past its start
    }
    try {
        simThread->Launch(std::move(body));
    } catch (const std::system_error&) {
        std::lock_guard lock(core_.mutex());
        core_.RemoveAwakeLocked();
        return kErrorNotEnoughMemory;
    }
    thread = std::move(simThread);
    return kErrorSuccess;
}

void SimClock::SetUtcNow(FileTime utc) {
    std::lock_guard lock(core_.mutex());
    core_.SetUtcNowLocked(utc);
}

void SimClock::SetLocalTime(const SystemTime& local) {
    const FileTime localTime = SystemTimeToFileTime(local).value_or(0);
    std::lock_guard lock(core_.mutex());
    const int64_t utc =
        static_cast<int64_t>(localTime) +
        static_cast<int64_t>(core_.BiasLocked()) * static_cast<int64_t>(kFileTimeTicksPerMinute);
    core_.SetUtcNowLocked(static_cast<FileTime>(utc < 0 ? 0 : utc));
}

void SimClock::SetTimeZoneBias(int32_t minutes) {
    std::lock_guard lock(core_.mutex());
    core_.SetBiasLocked(minutes);
}

void SimClock::Advance(uint64_t milliseconds) {
    std::lock_guard lock(core_.mutex());
    core_.AdvanceLocked(milliseconds);
}

void SimClock::SetAutoAdvance(bool on) {
    std::lock_guard lock(core_.mutex());
    core_.SetAutoAdvanceLocked(on);
}

std::vector<SimThreadWakeUps> SimClock::WakeUps() {
    std::lock_guard lock(core_.mutex());
    return core_.WakeUpsLocked();
}

void SimClock::ResetWakeUps() {
    std::lock_guard lock(core_.mutex());
    core_.ResetWakeUpsLocked();
}

SimClock::Participation::Participation(SimClock& clock) : core_(clock.core_) {
    std::lock_guard lock(core_.mutex());
    core_.AddAwakeLocked();
    core_.SetCurrentThreadParticipant(true);
}

SimClock::Participation::~Participation() {
    std::lock_guard lock(core_.mutex());
    core_.SetCurrentThreadParticipant(false);
    core_.RemoveAwakeLocked();
}

}  // namespace os::sim
