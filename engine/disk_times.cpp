#include "engine/disk_times.h"

#include <cstdlib>

#include "os/file_time.h"
#include "os/text.h"

namespace engine {

namespace {

constexpr os::FileTime kTenMilliseconds = 10 * os::kFileTimeTicksPerMillisecond;
constexpr os::FileTime kTwoSeconds = 2 * os::kFileTimeTicksPerSecond;
constexpr int64_t kHour = 60 * static_cast<int64_t>(os::kFileTimeTicksPerMinute);
// The largest shift a change of bias makes (time zones lie between UTC-12 and UTC+14).
constexpr int kMostHoursMoved = 26;

}  // namespace

DiskTimeRules TimeRulesOf(std::string_view fileSystem) {
    const std::string name = os::Upcase(std::string(fileSystem));
    if (name == "NTFS" || name == "REFS") {
        return {1, false};
    }
    if (name == "EXFAT") {
        return {kTenMilliseconds, false};
    }
    return {kTwoSeconds, true};  // FAT, FAT32, and whatever else
}

bool SameWriteTime(os::FileTime sourceTime, os::FileTime backupTime, const DiskTimeRules& rules,
                   bool anyBias) {
    const int64_t step = static_cast<int64_t>(rules.writeStep);
    const int64_t difference = static_cast<int64_t>(backupTime) - static_cast<int64_t>(sourceTime);
    if (std::llabs(difference) < step) {
        return true;
    }
    if (!anyBias || !rules.localTime || std::llabs(difference) > kMostHoursMoved * kHour + step) {
        return false;
    }
    // Moved by whole hours (or half and quarter hours, as some zones are).
    constexpr int64_t kQuarterHour = kHour / 4;
    const int64_t rest = std::llabs(difference) % kQuarterHour;
    return rest < step || kQuarterHour - rest < step;
}

}  // namespace engine
