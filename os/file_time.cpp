#include "os/file_time.h"

namespace os {

namespace {

constexpr int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

bool IsLeap(unsigned y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned DaysInMonth(unsigned y, unsigned m) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

std::optional<SystemTime> FileTimeToSystemTime(FileTime t) {
    if (t >= 0x8000000000000000ULL) {
        return std::nullopt;
    }
    const uint64_t totalMs = t / kFileTimeTicksPerMillisecond;
    const auto days = static_cast<int64_t>(totalMs / 86400000ULL);
    const uint64_t msOfDay = totalMs % 86400000ULL;
    int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(days - kDaysFrom1601To1970, year, month, day);
    SystemTime s;
    s.year = static_cast<uint16_t>(year);
    s.month = static_cast<uint16_t>(month);
    s.day = static_cast<uint16_t>(day);
    s.dayOfWeek = static_cast<uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
    s.hour = static_cast<uint16_t>(msOfDay / 3600000);
    s.minute = static_cast<uint16_t>(msOfDay / 60000 % 60);
    s.second = static_cast<uint16_t>(msOfDay / 1000 % 60);
    s.milliseconds = static_cast<uint16_t>(msOfDay % 1000);
    return s;
}

std::optional<FileTime> SystemTimeToFileTime(const SystemTime& s) {
    if (s.year < 1601 || s.year > 30827 || s.month < 1 || s.month > 12 || s.day < 1 ||
        s.day > DaysInMonth(s.year, s.month) || s.hour > 23 || s.minute > 59 || s.second > 59 ||
        s.milliseconds > 999) {
        return std::nullopt;
    }
    const int64_t days = DaysFromCivil(s.year, s.month, s.day) + kDaysFrom1601To1970;
    const uint64_t ms = static_cast<uint64_t>(days) * 86400000ULL + s.hour * 3600000ULL +
                        s.minute * 60000ULL + s.second * 1000ULL + s.milliseconds;
    return ms * kFileTimeTicksPerMillisecond;
}

}  // namespace os
