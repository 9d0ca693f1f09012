#include "os/sim/sim_core.h"

#include <algorithm>

#include "os/errors.h"

namespace os::sim {

namespace {

// Which simulated machine counts the current thread as awake, if any.
thread_local const SimCore* participantOf = nullptr;

// 2026-01-05 09:00:00 UTC, a Monday: a fixed start so that runs are repeatable.
constexpr FileTime kDefaultStart = 134122644000000000ULL;

}  // namespace

SimCore::SimCore() : utcAtTickZero_(kDefaultStart) {}

bool SimCore::IsCurrentThreadParticipant() const {
    return participantOf == this;
}

void SimCore::SetCurrentThreadParticipant(bool participant) {
    participantOf = participant ? this : nullptr;
}

void SimCore::SetUtcNowLocked(FileTime utc) {
    const FileTime elapsed = tick_ * kFileTimeTicksPerMillisecond;
    utcAtTickZero_ = utc >= elapsed ? utc - elapsed : 0;
}

bool SimCore::SatisfiableLocked(const Waiter& w) const {
    if (w.deadline && tick_ >= *w.deadline) {
        return true;
    }
    return std::any_of(w.signals.begin(), w.signals.end(),
                       [](const SimSignal* s) { return s->IsSignalledLocked(); });
}

void SimCore::NotifyLocked() {
    for (Waiter* w : waiters_) {
        if (w->participant && !w->holdsAwake && SatisfiableLocked(*w)) {
            w->holdsAwake = true;  // it will run: time must wait for it
            ++awake_;
        }
    }
    changed_.notify_all();
}

void SimCore::AdvanceLocked(uint64_t ms) {
    tick_ += ms;
    NotifyLocked();
}

void SimCore::SetAutoAdvanceLocked(bool on) {
    autoAdvance_ = on;
    AdvanceIfIdleLocked();
}

void SimCore::RemoveAwakeLocked() {
    --awake_;
    AdvanceIfIdleLocked();
}

void SimCore::AdvanceIfIdleLocked() {
    if (!autoAdvance_ || awake_ > 0) {
        return;
    }
    std::optional<uint64_t> earliest;
    for (const Waiter* w : waiters_) {
        if (w->deadline && (!earliest || *w->deadline < *earliest)) {
            earliest = w->deadline;
        }
    }
    if (earliest && *earliest > tick_) {
        tick_ = *earliest;
    }
    if (earliest) {
        NotifyLocked();
    }
}

WaitResult SimCore::WaitLocked(std::unique_lock<std::mutex>& lock,
                               std::span<SimSignal* const> signals, uint32_t timeoutMs) {
    Waiter w;
    w.signals = signals;
    w.participant = IsCurrentThreadParticipant();
    w.holdsAwake = w.participant;
    if (timeoutMs != kInfinite) {
        w.deadline = tick_ + timeoutMs;
    } else if (signals.empty()) {
        return {WaitStatus::Failed, 0, kErrorInvalidParameter};
    }
    waiters_.push_back(&w);
    WaitResult result;
    bool blocked = false;
    for (;;) {
        auto hit = std::find_if(signals.begin(), signals.end(),
                                [](const SimSignal* s) { return s->IsSignalledLocked(); });
        if (hit != signals.end()) {
            (*hit)->AcquireLocked();
            result = {WaitStatus::Signalled, static_cast<size_t>(hit - signals.begin()), 0};
            break;
        }
        if (w.deadline && tick_ >= *w.deadline) {
            result = {WaitStatus::TimedOut, 0, 0};
            break;
        }
        blocked = true;
        if (w.holdsAwake) {
            w.holdsAwake = false;
            --awake_;
            AdvanceIfIdleLocked();
            continue;  // time may have moved to this very deadline
        }
        changed_.wait(lock);
    }
    if (blocked) {
        NoteWakeUpLocked(timeoutMs, result.status == WaitStatus::TimedOut);
    }
    waiters_.remove(&w);
    if (w.participant && !w.holdsAwake) {
        ++awake_;
    }
    // Another waiter may have been kept from advancing by this one; let everyone look again.
    changed_.notify_all();
    return result;
}

void SimCore::NoteWakeUpLocked(uint32_t timeoutMs, bool timedOut) {
    const std::thread::id me = std::this_thread::get_id();
    auto entry = std::find_if(wakeUps_.begin(), wakeUps_.end(),
                              [me](const auto& e) { return e.first == me; });
    if (entry == wakeUps_.end()) {
        wakeUps_.emplace_back(me, SimThreadWakeUps{});
        entry = wakeUps_.end() - 1;
    }
    SimThreadWakeUps& counts = entry->second;
    ++counts.wakeUps;
    counts.timedOut += timedOut ? 1 : 0;
    if (timeoutMs != kInfinite) {
        counts.shortestTimeout = std::min(counts.shortestTimeout, timeoutMs);
        counts.longestTimeout = std::max(counts.longestTimeout, timeoutMs);
    }
}

std::vector<SimThreadWakeUps> SimCore::WakeUpsLocked() const {
    std::vector<SimThreadWakeUps> all;
    for (const auto& [thread, counts] : wakeUps_) {
        all.push_back(counts);
    }
    return all;
}

}  // namespace os::sim
