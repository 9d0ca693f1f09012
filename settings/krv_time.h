#pragma once
// Dates and times of the scheduling code: CKrvtime (calendar fields with a time-zone bias and its
// own second arithmetic), TimeSpan (a signed 32-bit count of seconds), CKrvFileTime (one FILETIME
// of local wall-clock time) and CKRVBaseError, which only the arithmetic throws.

#include <cstdint>
#include <optional>

#include "os/clock.h"
#include "os/file_time.h"

namespace settings {

// Error codes of CKRVBaseError.
inline constexpr uint32_t kErrorBeforeYearZero = 550;  // subtracting moved before January, year 0
inline constexpr uint32_t kErrorSpanTooSmall = 551;    // a TimeSpan below -2147483648 seconds
inline constexpr uint32_t kErrorSpanTooLarge = 552;    // a TimeSpan above 2147483647 seconds

// Thrown by value. Location names the place that raised it; the source file is ".\CKrvtime" for
// every error of the date and time code.
struct CKRVBaseError {
    int32_t location = 0;
    uint32_t errorCode = 0;
    uint32_t reserved = 0;
    char sourceFile[260] = {};
};

class TimeSpan {
  public:
    // seconds + minutes * 60 + hours * 3600 + days * 86400; throws 551 or 552 when a component
    // times its unit, or the running sum, leaves the signed 32-bit range.
    explicit TimeSpan(int32_t seconds = 0, int32_t minutes = 0, int32_t hours = 0,
                      int32_t days = 0);
    virtual ~TimeSpan() = default;
    TimeSpan(const TimeSpan&) = default;
    TimeSpan& operator=(const TimeSpan&) = default;

    int32_t Seconds() const { return seconds_; }

  private:
    int32_t seconds_ = 0;
};

class CKrvtime {
  public:
    // All zero is the unknown time, which compares below every real date.
    explicit CKrvtime(int32_t year = 0, int32_t month = 0, int32_t day = 0, int32_t hour = 0,
                      int32_t minute = 0, int32_t second = 0, int32_t bias = 0);
    // Date and time of the SYSTEMTIME, bias 0 (day of week and milliseconds are dropped).
    explicit CKrvtime(const os::SystemTime& time);
    // The calendar fields of the FILETIME, bias 0; a value FileTimeToSystemTime refuses gives
    // the unknown time. (A named function: a constructor would compete with the year's.)
    static CKrvtime FromFileTime(os::FileTime time);
    virtual ~CKrvtime() = default;
    CKrvtime(const CKrvtime&) = default;
    CKrvtime& operator=(const CKrvtime&) = default;

    int32_t Year() const { return year_; }
    int32_t Month() const { return month_; }
    int32_t Day() const { return day_; }
    int32_t Hour() const { return hour_; }
    int32_t Minute() const { return minute_; }
    int32_t Second() const { return second_; }
    // Minutes to add to the stored time to get UTC.
    int32_t Bias() const { return bias_; }
    bool IsUnknown() const;

    // The local time of the clock with the zone's current bias (daylight saving included).
    void SetNow(os::Clock& clock);
    // The fields as a SYSTEMTIME; day of week and milliseconds 0, the bias ignored.
    os::SystemTime ToSystemTime() const;
    // SystemTimeToFileTime of ToSystemTime (the bias ignored); nothing for fields it refuses,
    // such as the unknown time or a year before 1601.
    std::optional<os::FileTime> ToFileTime() const;

    // Adds the bias to the fields and sets it to 0, so that they hold UTC.
    void Normalise();
    // 0 when this is earlier than other, 1 when both are the same moment, 2 when later; both
    // sides are compared after Normalise.
    int Compare(const CKrvtime& other) const;
    bool IsBefore(const CKrvtime& other) const { return Compare(other) == 0; }
    bool IsAfter(const CKrvtime& other) const { return Compare(other) == 2; }

    // Calendar arithmetic; a negative count moves the other way. Subtracting throws
    // CKRVBaseError 550 when the date would move before January of year 0; the value is
    // unchanged then.
    void AddSeconds(int32_t seconds);
    void SubtractSeconds(int32_t seconds);
    void Add(const TimeSpan& span);

  private:
    void AddPositive(int64_t seconds);
    void SubtractPositive(int64_t seconds);

    int32_t second_ = 0;
    int32_t minute_ = 0;
    int32_t hour_ = 0;
    int32_t day_ = 0;
    int32_t month_ = 0;
    int32_t year_ = 0;
    int32_t bias_ = 0;
};

// One FILETIME standing for a local wall-clock time (not UTC).
class CKrvFileTime {
  public:
    CKrvFileTime() = default;
    explicit CKrvFileTime(os::FileTime value) : value_(value) {}

    // The clock's local time now.
    static CKrvFileTime Now(os::Clock& clock);
    // Nothing for fields that SystemTimeToFileTime refuses (a minute of 75, February 30).
    static std::optional<CKrvFileTime> FromFields(int year, int month, int day, int hour,
                                                  int minute, int second);

    os::FileTime Value() const { return value_; }
    uint32_t Low() const { return os::LowPart(value_); }
    uint32_t High() const { return os::HighPart(value_); }
    bool IsValid() const { return High() < 0x80000000u; }

    // The calendar fields; all 0 for an invalid value.
    int Year() const;
    int Month() const;
    int DayOfWeek() const;  // 0 = Sunday
    int Day() const;
    int Hour() const;
    int Minute() const;
    int Second() const;
    // Milliseconds 0; all fields 0 for an invalid value.
    os::SystemTime ToSystemTime() const;

  private:
    os::FileTime value_ = 0;
};

}  // namespace settings
