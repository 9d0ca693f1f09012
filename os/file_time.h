#pragma once
// FILETIME values as 64-bit integers and the calendar conversions of SYSTEMTIME, in portable code.

#include <cstdint>
#include <optional>

namespace os {

// 100-nanosecond intervals since 1601-01-01 00:00; UTC unless a name says local.
using FileTime = uint64_t;

inline constexpr FileTime kFileTimeTicksPerMillisecond = 10'000;
inline constexpr FileTime kFileTimeTicksPerSecond = 10'000'000;
inline constexpr FileTime kFileTimeTicksPerMinute = 60 * kFileTimeTicksPerSecond;

inline constexpr uint32_t LowPart(FileTime t) {
    return static_cast<uint32_t>(t);
}
inline constexpr uint32_t HighPart(FileTime t) {
    return static_cast<uint32_t>(t >> 32);
}
inline constexpr FileTime MakeFileTime(uint32_t low, uint32_t high) {
    return (static_cast<FileTime>(high) << 32) | low;
}

// The fields of a Win32 SYSTEMTIME; dayOfWeek is 0 for Sunday.
struct SystemTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// FileTimeToSystemTime: fails (nullopt) for values of 0x8000000000000000 and above.
std::optional<SystemTime> FileTimeToSystemTime(FileTime t);
// SystemTimeToFileTime: the day of the week is ignored; fails for out-of-range fields or years
// outside 1601..30827.
std::optional<FileTime> SystemTimeToFileTime(const SystemTime& s);

}  // namespace os
