#include "os/clock.h"

namespace os {

namespace {

FileTime ShiftByMinutes(FileTime t, int64_t minutes) {
    const int64_t shifted =
        static_cast<int64_t>(t) + minutes * static_cast<int64_t>(kFileTimeTicksPerMinute);
    return shifted < 0 ? 0 : static_cast<FileTime>(shifted);
}

}  // namespace

FileTime Clock::ToLocal(FileTime utc) {
    return ShiftByMinutes(utc, -TimeZoneBias());
}

FileTime Clock::ToUtc(FileTime local) {
    return ShiftByMinutes(local, TimeZoneBias());
}

SystemTime Clock::LocalTime() {
    return FileTimeToSystemTime(LocalNow()).value_or(SystemTime{});
}

SystemTime Clock::UtcTime() {
    return FileTimeToSystemTime(UtcNow()).value_or(SystemTime{});
}

}  // namespace os
