#include "os/sim/sim_calls.h"

namespace os::sim {

const char* SimCallName(SimCall call) {
    switch (call) {
        case SimCall::FindFirst:
            return "FindFirst";
        case SimCall::GetFileInfo:
            return "GetFileInfo";
        case SimCall::GetAttributes:
            return "GetAttributes";
        case SimCall::SetAttributes:
            return "SetAttributes";
        case SimCall::Open:
            return "Open";
        case SimCall::Delete:
            return "DeleteFile";
        case SimCall::Move:
            return "MoveFile";
        case SimCall::CreateDirectory:
            return "CreateDirectory";
        case SimCall::RemoveDirectory:
            return "RemoveDirectory";
        case SimCall::VolumeSpace:
            return "GetVolumeSpace";
        case SimCall::VolumeInfo:
            return "GetVolumeInfo";
        case SimCall::LogicalDrives:
            return "LogicalDrives";
        case SimCall::DriveType:
            return "GetDriveType";
        case SimCall::OpenChangeNotification:
            return "OpenChangeNotification";
        case SimCall::FindNext:
            return "Search::Next";
        case SimCall::Rearm:
            return "Notification::Rearm";
        case SimCall::Read:
            return "File::Read";
        case SimCall::Write:
            return "File::Write";
        case SimCall::GetTimes:
            return "File::GetTimes";
        case SimCall::SetTimes:
            return "File::SetTimes";
        case SimCall::GetSize:
            return "File::GetSize";
        case SimCall::GetInfo:
            return "File::GetInfo";
        case SimCall::SetTimesAndAttributes:
            return "File::SetTimesAndAttributes";
        case SimCall::Rename:
            return "File::Rename";
        case SimCall::Flush:
            return "File::Flush";
        case SimCall::Close:
            return "File::Close";
    }
    return "?";
}

SimCallTally SimCallCounts::Tally() const {
    SimCallTally tally{};
    for (size_t i = 0; i < kSimCallKinds; ++i) {
        tally[i] = counts_[i].load(std::memory_order_relaxed);
    }
    return tally;
}

void SimCallCounts::Reset() {
    for (auto& count : counts_) {
        count.store(0, std::memory_order_relaxed);
    }
}

SimCallTally CallsBetween(const SimCallTally& before, const SimCallTally& after) {
    SimCallTally made{};
    for (size_t i = 0; i < kSimCallKinds; ++i) {
        made[i] = after[i] - before[i];
    }
    return made;
}

uint64_t TotalCalls(const SimCallTally& tally) {
    uint64_t total = 0;
    for (uint64_t count : tally) {
        total += count;
    }
    return total;
}

}  // namespace os::sim
