// Whether a backup's time still says "this version", on each kind of disk as the simulated
// machine keeps its times: exactly, in 10 ms, in 2 s and local time.

#include <gtest/gtest.h>

#include "engine/disk_times.h"
#include "os/errors.h"
#include "os/sim/sim_machine.h"

namespace engine {
namespace {

constexpr os::FileTime kMs = os::kFileTimeTicksPerMillisecond;
constexpr os::FileTime kHour = 60 * os::kFileTimeTicksPerMinute;

// The last-write time a file written with `time` reads back with from a disk of this kind,
// after the time-zone bias moved by biasChange minutes.
os::FileTime ReadBack(const std::string& fileSystem, os::FileTime time, int32_t biasChange = 0) {
    os::sim::SimMachine sim;
    os::sim::SimMediumSpec setup;
    setup.fileSystem = fileSystem;
    sim.files().AddDrive("F:", os::DriveType::Removable, sim.files().CreateMedium(setup));
    os::sim::SimPutOptions options;
    options.times = os::FileTimes{time, time, time};
    EXPECT_EQ(sim.files().PutFile("F:\\a.txt", "a", options), os::kErrorSuccess);
    sim.clock().SetTimeZoneBias(sim.clock().TimeZoneBias() + biasChange);
    os::FileInfo info;
    EXPECT_EQ(sim.machine().files.GetFileInfo("F:\\a.txt", info), os::kErrorSuccess);
    return info.times.lastWrite;
}

TEST(DiskTimes, EachDiskKeepsItsOwnResolution) {
    const os::FileTime odd = 134'000'000'000'000'000ULL + 1'234'567;  // not on any step
    for (const char* name : {"NTFS", "exFAT", "FAT32", "FAT"}) {
        SCOPED_TRACE(name);
        const DiskTimeRules rules = TimeRulesOf(name);
        const os::FileTime back = ReadBack(name, odd);
        EXPECT_TRUE(SameWriteTime(odd, back, rules));
        // A file written a step of its disk earlier or later is another version.
        EXPECT_FALSE(SameWriteTime(odd + 2 * rules.writeStep, back, rules));
        EXPECT_FALSE(SameWriteTime(odd - 2 * rules.writeStep, back, rules));
    }
    EXPECT_EQ(TimeRulesOf("ntfs").writeStep, 1u);
    EXPECT_EQ(TimeRulesOf("EXFAT").writeStep, 10 * kMs);
    EXPECT_EQ(TimeRulesOf("FAT32").writeStep, 2000 * kMs);
    // Unknown file systems get the coarse rules: never a copy made again for nothing.
    EXPECT_EQ(TimeRulesOf("UDF").writeStep, 2000 * kMs);
}

TEST(DiskTimes, SummerTimeMovesFatTimesOnlyForTheLenientCheck) {
    const os::FileTime time = 134'000'000'000'000'000ULL;
    const DiskTimeRules fat = TimeRulesOf("FAT32");
    const os::FileTime back = ReadBack("FAT32", time, -60);
    EXPECT_NE(back, time);
    EXPECT_FALSE(SameWriteTime(time, back, fat));
    EXPECT_TRUE(SameWriteTime(time, back, fat, true));
    EXPECT_TRUE(SameWriteTime(time, ReadBack("FAT32", time, 330), fat, true));  // to India
    EXPECT_FALSE(SameWriteTime(time, back + 7 * 60 * kMs * 1000, fat, true));   // 7 minutes more
    EXPECT_FALSE(SameWriteTime(time, time + 27 * kHour, fat, true));
    // NTFS keeps UTC: an hour is always a change.
    EXPECT_EQ(ReadBack("NTFS", time, -60), time);
    EXPECT_FALSE(SameWriteTime(time, time + kHour, TimeRulesOf("NTFS"), true));
}

}  // namespace
}  // namespace engine
