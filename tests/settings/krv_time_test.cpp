// Dates and times: the calendar arithmetic against the FILETIME calendar, year 0, biases, the
// TimeSpan limits and the conversions through the clock.

#include "settings/krv_time.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <random>

#include "os/sim/sim_machine.h"

namespace settings {
namespace {

struct Fields {
    int year, month, day, hour, minute, second;
};

Fields Of(const CKrvtime& t) {
    return {t.Year(), t.Month(), t.Day(), t.Hour(), t.Minute(), t.Second()};
}

bool operator==(const Fields& a, const Fields& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void PrintTo(const Fields& f, std::ostream* os) {
    *os << f.year << "-" << f.month << "-" << f.day << " " << f.hour << ":" << f.minute << ":"
        << f.second;
}

CKrvtime Plus(CKrvtime t, int32_t seconds) {
    t.AddSeconds(seconds);
    return t;
}

CKrvtime Minus(CKrvtime t, int32_t seconds) {
    t.SubtractSeconds(seconds);
    return t;
}

uint32_t ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CKRVBaseError& error) {
        EXPECT_STREQ(error.sourceFile, ".\\CKrvtime");
        EXPECT_EQ(error.reserved, 0u);
        return error.errorCode;
    }
    return 0;
}

TEST(KrvtimeArithmetic, CrossesTheEndOfFebruaryInLeapAndCommonYears) {
    EXPECT_EQ(Of(Plus(CKrvtime(2024, 2, 28, 23, 59, 30), 45)), (Fields{2024, 2, 29, 0, 0, 15}));
    EXPECT_EQ(Of(Plus(CKrvtime(2023, 2, 28, 23, 59, 30), 45)), (Fields{2023, 3, 1, 0, 0, 15}));
    // Centuries are common years unless divisible by 400.
    EXPECT_EQ(Of(Plus(CKrvtime(1900, 2, 28), 86400)), (Fields{1900, 3, 1, 0, 0, 0}));
    EXPECT_EQ(Of(Plus(CKrvtime(2000, 2, 28), 86400)), (Fields{2000, 2, 29, 0, 0, 0}));
    EXPECT_EQ(Of(Minus(CKrvtime(2000, 3, 1), 86400)), (Fields{2000, 2, 29, 0, 0, 0}));
}

TEST(KrvtimeArithmetic, CrossesMonthAndYearEndsBothWays) {
    EXPECT_EQ(Of(Minus(CKrvtime(2026, 3, 1), 86400)), (Fields{2026, 2, 28, 0, 0, 0}));
    EXPECT_EQ(Of(Minus(CKrvtime(2026, 1, 1), 1)), (Fields{2025, 12, 31, 23, 59, 59}));
    EXPECT_EQ(Of(Plus(CKrvtime(2025, 12, 31, 23, 59, 59), 1)), (Fields{2026, 1, 1, 0, 0, 0}));
    // Landing on the last day of a month with nothing left over.
    EXPECT_EQ(Of(Minus(CKrvtime(2026, 3, 15), 43 * 86400)), (Fields{2026, 1, 31, 0, 0, 0}));
    EXPECT_EQ(Of(Minus(CKrvtime(2024, 3, 31), 31 * 86400)), (Fields{2024, 2, 29, 0, 0, 0}));
    EXPECT_EQ(Of(Plus(CKrvtime(2026, 1, 31), 28 * 86400)), (Fields{2026, 2, 28, 0, 0, 0}));
    // A negative count goes the other way.
    EXPECT_EQ(Of(Plus(CKrvtime(2026, 1, 1), -1)), (Fields{2025, 12, 31, 23, 59, 59}));
    EXPECT_EQ(Of(Minus(CKrvtime(2025, 12, 31, 23, 59, 59), -1)), (Fields{2026, 1, 1, 0, 0, 0}));
}

// Any date and any count agree with the FILETIME calendar of the ports.
TEST(KrvtimeArithmetic, AgreesWithTheFileTimeCalendar) {
    std::mt19937_64 random(20260105);
    const os::FileTime from = *os::SystemTimeToFileTime({1700, 1, 0, 1, 0, 0, 0, 0});
    const os::FileTime to = *os::SystemTimeToFileTime({2300, 1, 0, 1, 0, 0, 0, 0});
    std::uniform_int_distribution<os::FileTime> seconds(from / 10'000'000, to / 10'000'000);
    std::uniform_int_distribution<int32_t> count(-200'000'000, 200'000'000);
    for (int i = 0; i < 5000; ++i) {
        const CKrvtime start = CKrvtime::FromFileTime(seconds(random) * 10'000'000);
        // Whole days as well, so that walks land on the first and last days of months.
        const int32_t n = i % 3 == 0 ? count(random) % 2000 * 86400 : count(random);
        const auto startTicks = start.ToFileTime();
        ASSERT_TRUE(startTicks);
        const auto expected = os::FileTimeToSystemTime(static_cast<os::FileTime>(
            static_cast<int64_t>(*startTicks) + static_cast<int64_t>(n) * 10'000'000));
        ASSERT_TRUE(expected);
        const Fields want{expected->year, expected->month,  expected->day,
                          expected->hour, expected->minute, expected->second};
        ASSERT_EQ(Of(Plus(start, n)), want)
            << "from " << ::testing::PrintToString(Of(start)) << " adding " << n;
        ASSERT_EQ(Of(Minus(start, -n)), want);
    }
}

TEST(KrvtimeArithmetic, StopsAtJanuaryOfYearZero) {
    EXPECT_EQ(Of(Minus(CKrvtime(0, 1, 5), 4 * 86400)), (Fields{0, 1, 1, 0, 0, 0}));
    CKrvtime first(0, 1, 1, 0, 0, 0);
    EXPECT_EQ(ErrorOf([&] { first.SubtractSeconds(1); }), kErrorBeforeYearZero);
    EXPECT_EQ(Of(first), (Fields{0, 1, 1, 0, 0, 0}));  // unchanged
    CKrvtime february(0, 2, 10, 12, 0, 0);
    EXPECT_EQ(ErrorOf([&] { february.SubtractSeconds(41 * 86400); }), kErrorBeforeYearZero);
    EXPECT_EQ(Of(february), (Fields{0, 2, 10, 12, 0, 0}));
    EXPECT_EQ(ErrorOf([&] { february.Add(TimeSpan(0, 0, 0, -41)); }), kErrorBeforeYearZero);
}

TEST(KrvtimeArithmetic, FieldsOutOfRangeStillEnd) {
    // A month of 13 counts no days and rolls into January of the next year instead of looping.
    EXPECT_EQ(Of(Plus(CKrvtime(2026, 13, 1), 86400)), (Fields{2027, 1, 2, 0, 0, 0}));
    EXPECT_EQ(Of(Minus(CKrvtime(2026, 13, 1), 86400)), (Fields{2026, 12, 31, 0, 0, 0}));
}

TEST(KrvtimeCompare, NormalisesTheBiasOnBothSides) {
    EXPECT_EQ(CKrvtime(2026, 5, 4, 10, 0, 0, -60).Compare(CKrvtime(2026, 5, 4, 9, 0, 0, 0)), 1);
    // The bias can move either side across midnight and the year's end.
    EXPECT_EQ(CKrvtime(2026, 1, 1, 0, 30, 0, 60).Compare(CKrvtime(2026, 1, 1, 1, 30, 0)), 1);
    EXPECT_EQ(CKrvtime(2026, 1, 1, 0, 30, 0, -60).Compare(CKrvtime(2025, 12, 31, 23, 30, 0)), 1);
    const CKrvtime earlier(2026, 5, 4, 9, 0, 0);
    const CKrvtime later(2026, 5, 4, 9, 0, 1);
    EXPECT_TRUE(earlier.IsBefore(later));
    EXPECT_TRUE(later.IsAfter(earlier));
    EXPECT_FALSE(earlier.IsAfter(earlier));
    EXPECT_EQ(later.Compare(earlier), 2);
    // Year first, then month: 2025-12 is before 2026-01.
    EXPECT_TRUE(CKrvtime(2025, 12, 31).IsBefore(CKrvtime(2026, 1, 1)));
}

TEST(KrvtimeCompare, TheUnknownTimeIsBelowEveryDate) {
    const CKrvtime unknown;
    EXPECT_TRUE(unknown.IsUnknown());
    EXPECT_TRUE(unknown.IsBefore(CKrvtime(0, 1, 1)));
    EXPECT_TRUE(unknown.IsBefore(CKrvtime(1601, 1, 1, 0, 0, 0, -1440)));
    EXPECT_EQ(unknown.Compare(CKrvtime()), 1);
    CKrvtime normalised = unknown;
    normalised.Normalise();
    EXPECT_TRUE(normalised.IsUnknown());
}

TEST(KrvtimeNormalise, AddsTheBiasAndClearsIt) {
    CKrvtime t(2026, 3, 1, 0, 10, 0, 30);
    t.Normalise();
    EXPECT_EQ(Of(t), (Fields{2026, 3, 1, 0, 40, 0}));
    EXPECT_EQ(t.Bias(), 0);
    CKrvtime back(2026, 3, 1, 0, 10, 0, -30);
    back.Normalise();
    EXPECT_EQ(Of(back), (Fields{2026, 2, 28, 23, 40, 0}));
}

TEST(TimeSpanLimits, TheLargestNumberOfDaysFitsAndOneMoreDoesNot) {
    const int32_t maxDays = std::numeric_limits<int32_t>::max() / 86400;  // 24855
    EXPECT_EQ(TimeSpan(0, 0, 0, maxDays).Seconds(), 24855 * 86400);
    EXPECT_EQ(ErrorOf([&] { TimeSpan(0, 0, 0, maxDays + 1); }), kErrorSpanTooLarge);
    EXPECT_EQ(TimeSpan(0, 0, 0, -maxDays).Seconds(), -24855 * 86400);
    EXPECT_EQ(ErrorOf([&] { TimeSpan(0, 0, 0, -maxDays - 1); }), kErrorSpanTooSmall);
}

TEST(TimeSpanLimits, TheRunningSumIsCheckedAsWell) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(TimeSpan(kMax).Seconds(), kMax);
    EXPECT_EQ(TimeSpan(kMin).Seconds(), kMin);
    EXPECT_EQ(ErrorOf([] { TimeSpan(kMax - 59, 1); }), kErrorSpanTooLarge);
    EXPECT_EQ(ErrorOf([] { TimeSpan(kMin + 59, -1); }), kErrorSpanTooSmall);
    EXPECT_EQ(ErrorOf([] { TimeSpan(0, 0, 596523, 1); }), kErrorSpanTooLarge);
    // Opposite signs cannot overflow.
    EXPECT_EQ(TimeSpan(kMax, 0, 0, -1).Seconds(), kMax - 86400);
    EXPECT_EQ(TimeSpan(30, 2, 1, 1).Seconds(), 30 + 120 + 3600 + 86400);
}

TEST(TimeSpanLimits, AddingTheMostNegativeSpanMovesBack) {
    CKrvtime t(2100, 1, 1);
    t.Add(TimeSpan(std::numeric_limits<int32_t>::min()));
    // 2147483648 seconds are 24855 days, 3 hours, 14 minutes and 8 seconds.
    CKrvtime expected(2100, 1, 1);
    expected.SubtractSeconds(24855 * 86400);
    expected.SubtractSeconds(3 * 3600 + 14 * 60 + 8);
    EXPECT_EQ(Of(t), Of(expected));
    CKrvtime unchanged(2100, 1, 1);
    unchanged.Add(TimeSpan());
    EXPECT_EQ(Of(unchanged), (Fields{2100, 1, 1, 0, 0, 0}));
}

TEST(KrvtimeConversions, FileTimesRoundTripAndRefuseWhatIsNoDate) {
    const os::SystemTime fields{2026, 7, 0, 14, 18, 5, 9, 250};
    const os::FileTime ticks = *os::SystemTimeToFileTime(fields);
    const CKrvtime t = CKrvtime::FromFileTime(ticks);
    EXPECT_EQ(Of(t), (Fields{2026, 7, 14, 18, 5, 9}));
    EXPECT_EQ(t.Bias(), 0);
    // Milliseconds are dropped.
    EXPECT_EQ(t.ToFileTime(), ticks - 250 * os::kFileTimeTicksPerMillisecond);
    EXPECT_EQ(t.ToSystemTime().milliseconds, 0);
    EXPECT_EQ(t.ToSystemTime().dayOfWeek, 0);

    EXPECT_TRUE(CKrvtime::FromFileTime(0x8000000000000000ULL).IsUnknown());
    EXPECT_FALSE(CKrvtime().ToFileTime());
    EXPECT_FALSE(CKrvtime(2026, 2, 30).ToFileTime());
    // 67137 would wrap to 1601 in a 16-bit field.
    EXPECT_FALSE(CKrvtime(67137, 1, 1).ToFileTime());
    EXPECT_FALSE(CKrvtime(2026, 1, 1, -1).ToFileTime());
}

TEST(KrvtimeConversions, SetNowTakesTheLocalTimeAndTheZonesBias) {
    os::sim::SimMachine sim;
    sim.clock().SetTimeZoneBias(-120);
    sim.clock().SetLocalTime({2026, 6, 0, 30, 23, 15, 42, 0});
    CKrvtime now;
    now.SetNow(sim.clock());
    EXPECT_EQ(Of(now), (Fields{2026, 6, 30, 23, 15, 42}));
    EXPECT_EQ(now.Bias(), -120);
    now.Normalise();
    EXPECT_EQ(Of(now), (Fields{2026, 6, 30, 21, 15, 42}));
    EXPECT_EQ(now.ToFileTime(), sim.clock().UtcNow());
}

TEST(KrvFileTime, CalendarFieldsOfALocalTime) {
    os::sim::SimMachine sim;
    sim.clock().SetTimeZoneBias(300);
    sim.clock().SetLocalTime({2026, 1, 0, 5, 8, 45, 12, 0});
    const CKrvFileTime now = CKrvFileTime::Now(sim.clock());
    EXPECT_TRUE(now.IsValid());
    EXPECT_EQ(now.Year(), 2026);
    EXPECT_EQ(now.Month(), 1);
    EXPECT_EQ(now.Day(), 5);
    EXPECT_EQ(now.DayOfWeek(), 1);  // a Monday
    EXPECT_EQ(now.Hour(), 8);
    EXPECT_EQ(now.Minute(), 45);
    EXPECT_EQ(now.Second(), 12);
    EXPECT_EQ(now.Value(), sim.clock().LocalNow());

    const auto built = CKrvFileTime::FromFields(2026, 1, 5, 8, 45, 12);
    ASSERT_TRUE(built);
    EXPECT_EQ(built->Value(), now.Value());
    EXPECT_EQ(os::MakeFileTime(built->Low(), built->High()), built->Value());
    EXPECT_FALSE(CKrvFileTime::FromFields(2026, 1, 5, 8, 75, 0));
    EXPECT_FALSE(CKrvFileTime::FromFields(2026, -1, 5, 8, 0, 0));

    const CKrvFileTime invalid(0x8000000000000000ULL);
    EXPECT_FALSE(invalid.IsValid());
    EXPECT_EQ(invalid.Year(), 0);
    EXPECT_EQ(invalid.ToSystemTime(), os::SystemTime{});
}

}  // namespace
}  // namespace settings
