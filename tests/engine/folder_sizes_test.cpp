// The megabyte figures and the disk count the wizard and the settings pages show.

#include <gtest/gtest.h>

#include "engine/folder_sizes.h"
#include "os/sim/sim_machine.h"

namespace engine {
namespace {

TEST(FolderSizes, DataMegabytesRoundDownExceptThatSomeDataShowsAsOne) {
    EXPECT_EQ(DataMegabytesShown(0), 0u);
    EXPECT_EQ(DataMegabytesShown(10 * 1024), 1u);
    EXPECT_EQ(DataMegabytesShown((3 << 20) + 1), 3u);
    EXPECT_EQ(Megabytes(10 * 1024), 0u);
    EXPECT_EQ(Megabytes(5ULL << 40), 5ULL << 20);
}

TEST(FolderSizes, TheSourceFoldersAreSummed) {
    os::sim::SimMachine sim;
    ASSERT_EQ(sim.files().PutFile("C:\\One\\a.txt", std::string(10 * 1024, 'a')), 0u);
    ASSERT_EQ(sim.files().PutSparseFile("C:\\Two\\b.bin", 3ULL << 30), 0u);
    ASSERT_EQ(sim.files().PutFolder("C:\\Empty"), 0u);
    FolderScanner scanner(sim.machine().files);
    EXPECT_EQ(TotalFolderSize(scanner, {"C:\\One", "C:\\Two", "C:\\Empty", "C:\\Missing"}),
              (3ULL << 30) + 10 * 1024);
    EXPECT_EQ(DataMegabytesShown(TotalFolderSize(scanner, {"C:\\Empty"})), 0u);
    EXPECT_EQ(DataMegabytesShown(TotalFolderSize(scanner, {"C:\\One"})), 1u);
}

TEST(FolderSizes, DisksNeeded) {
    EXPECT_EQ(DisksNeeded(700, 100, 250), 4u);  // the disk in the drive, two whole, one more
    EXPECT_EQ(DisksNeeded(700, 0, 250), 3u);    // no disk in the drive
    EXPECT_EQ(DisksNeeded(50, 100, 250), 1u);
    EXPECT_EQ(DisksNeeded(100, 100, 250), 2u);
    EXPECT_EQ(DisksNeeded(700, 100, 0), 2u);  // no capacity figure: no whole disks counted
    EXPECT_EQ(DisksNeeded(700, 0, 0), 1u);
    EXPECT_EQ(DisksNeeded(5ULL << 20, 1ULL << 20, 1ULL << 20), 6u);  // terabytes in megabytes
}

TEST(FolderSizes, ACdFamilyDriveWithoutACapacityCountsAs540Megabytes) {
    EXPECT_EQ(EstimateCapacityBytes(0, kCdFamily), 566231040u);
    EXPECT_EQ(Megabytes(EstimateCapacityBytes(0, kCdFamily)), 540u);
    EXPECT_EQ(EstimateCapacityBytes(0, 0x1), 0u);
    EXPECT_EQ(EstimateCapacityBytes(1ULL << 40, kCdFamily), 1ULL << 40);
}

TEST(FolderSizes, FreeSpaceTextIsQuestionMarksWithoutADisk) {
    EXPECT_EQ(FreeMegabytesText(false, 123ULL << 20), "??");
    EXPECT_EQ(FreeMegabytesText(true, 123ULL << 20), "123");
    EXPECT_EQ(FreeMegabytesText(true, 6ULL << 40), "6291456");
}

}  // namespace
}  // namespace engine
