#pragma once
// Counts of the file-system port's calls on the simulated machine, by kind: what a copy or a
// scan costs in calls, which on a real system are calls into the kernel (and under Wine often
// requests to its server). Every call counts, failed ones too; a handle's close counts once,
// whether the program closes it or its destructor does.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace os::sim {

enum class SimCall : size_t {
    // By path.
    FindFirst,
    GetFileInfo,
    GetAttributes,
    SetAttributes,
    Open,
    Delete,
    Move,
    CreateDirectory,
    RemoveDirectory,
    VolumeSpace,
    VolumeInfo,
    LogicalDrives,
    DriveType,
    OpenChangeNotification,
    // On a search or a notification.
    FindNext,
    Rearm,
    // On an open file.
    Read,
    Write,
    GetTimes,
    SetTimes,
    GetSize,
    GetInfo,
    SetTimesAndAttributes,
    Rename,
    Flush,
    Close,
};
inline constexpr size_t kSimCallKinds = static_cast<size_t>(SimCall::Close) + 1;

// The kind's name as the port spells it ("GetAttributes", "File::Rename" ...).
const char* SimCallName(SimCall call);

using SimCallTally = std::array<uint64_t, kSimCallKinds>;

class SimCallCounts {
  public:
    void Add(SimCall call) {
        counts_[static_cast<size_t>(call)].fetch_add(1, std::memory_order_relaxed);
    }
    uint64_t Of(SimCall call) const {
        return counts_[static_cast<size_t>(call)].load(std::memory_order_relaxed);
    }
    // Every kind at once (each read on its own: a call made meanwhile may show in some only).
    SimCallTally Tally() const;
    void Reset();

  private:
    std::array<std::atomic<uint64_t>, kSimCallKinds> counts_{};
};

// The calls made between two tallies, and their sum.
SimCallTally CallsBetween(const SimCallTally& before, const SimCallTally& after);
uint64_t TotalCalls(const SimCallTally& tally);

}  // namespace os::sim
