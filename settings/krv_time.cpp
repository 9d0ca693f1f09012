#include "settings/krv_time.h"

#include <cstring>
#include <iterator>
#include <limits>

namespace settings {

namespace {

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kSecondsPerDay = 86400;

// Where an error was raised, for CKRVBaseError::location.
enum Location : int32_t {
    kLocationSubtractMonth = 1,      // stepping back from the day to the previous month
    kLocationSubtractMonthLoop = 2,  // stepping back further, month by month
    kLocationSpanMinutes = 3,
    kLocationSpanHours = 4,
    kLocationSpanDays = 5,
};

[[noreturn]] void Throw(int32_t location, uint32_t code) {
    CKRVBaseError error;
    error.location = location;
    error.errorCode = code;
    static constexpr char kSource[] = ".\\CKrvtime";
    std::memcpy(error.sourceFile, kSource, sizeof kSource);
    throw error;
}

bool IsLeapYear(int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// A month outside 1..12 has no days.
int64_t DaysInMonth(int64_t year, int64_t month) {
    static constexpr int64_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The working copy of the calendar fields. Each step moves by one month, so a month field outside
// 1..12 (which counts no days) is brought back into the year at the first step instead of being
// stepped through forever.
struct Calendar {
    int64_t year;
    int64_t month;
    int64_t day;

    void NextMonth() {
        if (month >= 12) {
            month = 1;
            ++year;
        } else if (month < 1) {
            month = 1;
        } else {
            ++month;
        }
    }

    void PreviousMonth(int32_t location) {
        if (month <= 1) {
            if (year <= 0) {
                Throw(location, kErrorBeforeYearZero);
            }
            month = 12;
            --year;
        } else if (month > 12) {
            month = 12;
        } else {
            --month;
        }
    }

    void AddDays(int64_t days) {
        day += days;
        if (day <= DaysInMonth(year, month)) {
            return;
        }
        day -= DaysInMonth(year, month);
        NextMonth();
        while (day > DaysInMonth(year, month)) {
            day -= DaysInMonth(year, month);
            NextMonth();
        }
    }

    // The last day of a month is reached with nothing left to take: March 15 less 43 days is
    // January 31, not "February 0", so the walk goes on while what is left fills a whole month.
    void SubtractDays(int64_t days) {
        if (days == 0) {
            return;
        }
        if (days < day) {
            day -= days;
            return;
        }
        PreviousMonth(kLocationSubtractMonth);
        days -= day;
        while (days >= DaysInMonth(year, month)) {
            days -= DaysInMonth(year, month);
            PreviousMonth(kLocationSubtractMonthLoop);
        }
        day = DaysInMonth(year, month) - days;
    }
};

void Accumulate(int64_t& total, int32_t component, int32_t unit, int32_t location) {
    if (component > kInt32Max / unit) {
        Throw(location, kErrorSpanTooLarge);
    }
    if (component < kInt32Min / unit) {
        Throw(location, kErrorSpanTooSmall);
    }
    const int64_t sum = total + static_cast<int64_t>(component) * unit;
    if (sum > kInt32Max) {
        Throw(location, kErrorSpanTooLarge);
    }
    if (sum < kInt32Min) {
        Throw(location, kErrorSpanTooSmall);
    }
    total = sum;
}

bool FitsSystemTimeField(int64_t value) {
    return value >= 0 && value <= 0xFFFF;
}

}  // namespace

TimeSpan::TimeSpan(int32_t seconds, int32_t minutes, int32_t hours, int32_t days) {
    int64_t total = seconds;
    Accumulate(total, minutes, 60, kLocationSpanMinutes);
    Accumulate(total, hours, 3600, kLocationSpanHours);
    Accumulate(total, days, static_cast<int32_t>(kSecondsPerDay), kLocationSpanDays);
    seconds_ = static_cast<int32_t>(total);
}

CKrvtime::CKrvtime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                   int32_t second, int32_t bias)
    : second_(second),
      minute_(minute),
      hour_(hour),
      day_(day),
      month_(month),
      year_(year),
      bias_(bias) {}

CKrvtime::CKrvtime(const os::SystemTime& time)
    : CKrvtime(time.year, time.month, time.day, time.hour, time.minute, time.second) {}

CKrvtime CKrvtime::FromFileTime(os::FileTime time) {
    const auto fields = os::FileTimeToSystemTime(time);
    return fields ? CKrvtime(*fields) : CKrvtime();
}

bool CKrvtime::IsUnknown() const {
    return second_ == 0 && minute_ == 0 && hour_ == 0 && day_ == 0 && month_ == 0 && year_ == 0 &&
           bias_ == 0;
}

void CKrvtime::SetNow(os::Clock& clock) {
    *this = CKrvtime(clock.LocalTime());
    bias_ = clock.TimeZoneBias();
}

os::SystemTime CKrvtime::ToSystemTime() const {
    os::SystemTime s;
    s.year = static_cast<uint16_t>(year_);
    s.month = static_cast<uint16_t>(month_);
    s.day = static_cast<uint16_t>(day_);
    s.hour = static_cast<uint16_t>(hour_);
    s.minute = static_cast<uint16_t>(minute_);
    s.second = static_cast<uint16_t>(second_);
    return s;
}

std::optional<os::FileTime> CKrvtime::ToFileTime() const {
    // A field that does not fit the 16-bit SYSTEMTIME would wrap into a different, valid date.
    for (const int32_t field : {year_, month_, day_, hour_, minute_, second_}) {
        if (!FitsSystemTimeField(field)) {
            return std::nullopt;
        }
    }
    return os::SystemTimeToFileTime(ToSystemTime());
}

void CKrvtime::Normalise() {
    if (bias_ == 0) {
        return;
    }
    const int64_t seconds = static_cast<int64_t>(bias_) * 60;
    if (seconds > 0) {
        AddPositive(seconds);
    } else {
        SubtractPositive(-seconds);
    }
    bias_ = 0;
}

int CKrvtime::Compare(const CKrvtime& other) const {
    CKrvtime a = *this;
    CKrvtime b = other;
    a.Normalise();
    b.Normalise();
    const int32_t left[] = {a.year_, a.month_, a.day_, a.hour_, a.minute_, a.second_};
    const int32_t right[] = {b.year_, b.month_, b.day_, b.hour_, b.minute_, b.second_};
    for (size_t i = 0; i < std::size(left); ++i) {
        if (left[i] != right[i]) {
            return left[i] < right[i] ? 0 : 2;
        }
    }
    return 1;
}

void CKrvtime::AddSeconds(int32_t seconds) {
    if (seconds >= 0) {
        AddPositive(seconds);
    } else {
        SubtractPositive(-static_cast<int64_t>(seconds));
    }
}

void CKrvtime::SubtractSeconds(int32_t seconds) {
    if (seconds >= 0) {
        SubtractPositive(seconds);
    } else {
        AddPositive(-static_cast<int64_t>(seconds));
    }
}

void CKrvtime::Add(const TimeSpan& span) {
    AddSeconds(span.Seconds());
}

// The time of day carries into whole days (floor division, so a borrow shows as a negative day
// count); the days then walk the calendar month by month. Everything is worked on copies and
// stored only at the end, so a throw leaves the value as it was.
void CKrvtime::AddPositive(int64_t seconds) {
    const int64_t ofDay =
        static_cast<int64_t>(hour_) * 3600 + static_cast<int64_t>(minute_) * 60 + second_ + seconds;
    const int64_t days = FloorDiv(ofDay, kSecondsPerDay);
    const int64_t rest = ofDay - days * kSecondsPerDay;
    Calendar calendar{year_, month_, day_};
    if (days >= 0) {
        calendar.AddDays(days);
    } else {
        calendar.SubtractDays(-days);
    }
    year_ = static_cast<int32_t>(calendar.year);
    month_ = static_cast<int32_t>(calendar.month);
    day_ = static_cast<int32_t>(calendar.day);
    hour_ = static_cast<int32_t>(rest / 3600);
    minute_ = static_cast<int32_t>(rest / 60 % 60);
    second_ = static_cast<int32_t>(rest % 60);
}

void CKrvtime::SubtractPositive(int64_t seconds) {
    // Adding a negative count is the same walk: the day count comes out negative (or zero).
    AddPositive(-seconds);
}

CKrvFileTime CKrvFileTime::Now(os::Clock& clock) {
    return CKrvFileTime(clock.LocalNow());
}

std::optional<CKrvFileTime> CKrvFileTime::FromFields(int year, int month, int day, int hour,
                                                     int minute, int second) {
    for (const int field : {year, month, day, hour, minute, second}) {
        if (!FitsSystemTimeField(field)) {
            return std::nullopt;
        }
    }
    os::SystemTime s;
    s.year = static_cast<uint16_t>(year);
    s.month = static_cast<uint16_t>(month);
    s.day = static_cast<uint16_t>(day);
    s.hour = static_cast<uint16_t>(hour);
    s.minute = static_cast<uint16_t>(minute);
    s.second = static_cast<uint16_t>(second);
    const auto value = os::SystemTimeToFileTime(s);
    if (!value) {
        return std::nullopt;
    }
    return CKrvFileTime(*value);
}

os::SystemTime CKrvFileTime::ToSystemTime() const {
    os::SystemTime s = os::FileTimeToSystemTime(value_).value_or(os::SystemTime{});
    s.milliseconds = 0;
    return s;
}

int CKrvFileTime::Year() const {
    return ToSystemTime().year;
}
int CKrvFileTime::Month() const {
    return ToSystemTime().month;
}
int CKrvFileTime::DayOfWeek() const {
    return ToSystemTime().dayOfWeek;
}
int CKrvFileTime::Day() const {
    return ToSystemTime().day;
}
int CKrvFileTime::Hour() const {
    return ToSystemTime().hour;
}
int CKrvFileTime::Minute() const {
    return ToSystemTime().minute;
}
int CKrvFileTime::Second() const {
    return ToSystemTime().second;
}

}  // namespace settings
