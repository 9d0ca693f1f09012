#include "os/file_time.h"

#include <gtest/gtest.h>

namespace os {
namespace {

TEST(FileTime, KnownDatesConvertBothWays) {
    // 1970-01-01 00:00:00 UTC and 2024-02-29 12:34:56.789, a Thursday.
    const auto epoch = FileTimeToSystemTime(116444736000000000ULL);
    ASSERT_TRUE(epoch);
    EXPECT_EQ(epoch->year, 1970);
    EXPECT_EQ(epoch->month, 1);
    EXPECT_EQ(epoch->day, 1);
    EXPECT_EQ(epoch->dayOfWeek, 4);
    SystemTime leap{2024, 2, 0, 29, 12, 34, 56, 789};
    const auto ft = SystemTimeToFileTime(leap);
    ASSERT_TRUE(ft);
    const auto back = FileTimeToSystemTime(*ft);
    ASSERT_TRUE(back);
    leap.dayOfWeek = 4;
    EXPECT_EQ(*back, leap);
    EXPECT_EQ(FileTimeToSystemTime(0)->year, 1601);
    EXPECT_EQ(FileTimeToSystemTime(0)->dayOfWeek, 1);
}

TEST(FileTime, ImpossibleDatesAreRefused) {
    EXPECT_FALSE(SystemTimeToFileTime({2023, 2, 0, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(SystemTimeToFileTime({1600, 12, 0, 31, 0, 0, 0, 0}));
    EXPECT_FALSE(SystemTimeToFileTime({2024, 13, 0, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(SystemTimeToFileTime({2024, 1, 0, 1, 24, 0, 0, 0}));
    EXPECT_FALSE(FileTimeToSystemTime(0x8000000000000000ULL));
    EXPECT_EQ(MakeFileTime(LowPart(0x0123456789ABCDEFULL), HighPart(0x0123456789ABCDEFULL)),
              0x0123456789ABCDEFULL);
}

}  // namespace
}  // namespace os
