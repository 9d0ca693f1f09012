// Drives, disks and drive arrays as callers see them, over simulated drives: which drives an
// array lists, what a drive and its disk report, and how the answers follow the media.

#include "drivekit/drvkit.h"

#include <gtest/gtest.h>

#include "drivekit/sim/sim_drive_backend.h"
#include "os/sim/sim_machine.h"

namespace drvKit {
namespace {

using sim::SimDiskSpec;
using sim::SimDriveSpec;

class DriveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimDriveSpec cd;
        cd.family = kFamilyCD;
        cd.subFamily = kSubFamilyOptical;
        cd.adapter = kAdapterAta;
        drives->AddDrive('E', cd);
        SimDriveSpec card;
        card.subFamily = kSubFamilyCardReader;
        card.adapter = kAdapterUsb;
        card.maxRawCapacity = 64ULL << 30;
        drives->AddDrive('F', card);
        SimDiskSpec setup;
        setup.label = "BACKUP1";
        setup.serialNumber = 0x1234ABCD;
        setup.capacityBytes = 8ULL << 30;  // past 32 bits
        backup1 = drives->CreateDisk(setup);
        drives->InsertDisk('F', backup1);
    }

    os::sim::SimMachine sim;  // C: is the machine's own fixed disk
    sim::SimDriveKit drives{sim.files()};
    std::shared_ptr<sim::SimDisk> backup1;
};

TEST_F(DriveTest, TheArrayListsTheMakersDrivesOfTheFamiliesInLetterOrder) {
    DriveArray all(EDriveFamily(0xFF), true);
    ASSERT_EQ(all.init(EDriveFamily(0x80FF)), kErrNone);
    ASSERT_EQ(all.getCount(), 2);
    EXPECT_EQ(all[0].getDrvRootPath(), "E:\\");
    EXPECT_EQ(all[1].getDrvRootPath(), "F:\\");

    DriveArray disksOnly(kFamilyAllDisks, true);
    ASSERT_EQ(disksOnly.init(), kErrNone);  // the constructor's families
    ASSERT_EQ(disksOnly.getCount(), 1);
    EXPECT_EQ(disksOnly[0].getDrvRootPath(), "F:\\");

    DriveArray everything(kFamilyAll, false);
    ASSERT_EQ(everything.init(), kErrNone);
    ASSERT_EQ(everything.getCount(), 3);
    EXPECT_EQ(everything[0].getDrvRootPath(), "C:\\");
    EXPECT_FALSE(everything[0].isCorvantDrive());
}

TEST_F(DriveTest, InitBuildsTheArrayAnewFromTheDrivesOfNow) {
    DriveArray array(kFamilyAllDisks, true);
    ASSERT_EQ(array.init(kFamilyAll), kErrNone);
    ASSERT_EQ(array.getCount(), 2);
    sim.files().RemoveDrive("E:");  // the user unplugged the optical drive
    drives->AddDrive('G');
    ASSERT_EQ(array.init(kFamilyAll), kErrNone);
    ASSERT_EQ(array.getCount(), 2);
    EXPECT_EQ(array[0].getDrvRootPath(), "F:\\");
    EXPECT_EQ(array[1].getDrvRootPath(), "G:\\");
}

TEST(DriveArrayWithoutDrivesTest, IsEmptyWithoutTheMakersDrivesOrWithoutALibrary) {
    DriveArray array(kFamilyAllDisks, true);
    EXPECT_EQ(array.init(kFamilyAll), kErrNone);  // nothing installed
    EXPECT_EQ(array.getCount(), 0);
    os::sim::SimMachine sim;
    sim::SimDriveKit drives(sim.files());
    ASSERT_EQ(array.init(kFamilyAll), kErrNone);
    EXPECT_EQ(array.getCount(), 0);  // only the system disk
}

TEST_F(DriveTest, AnIndexOutsideTheArrayGivesADriveThatIsNotThere) {
    DriveArray array(kFamilyAllDisks, true);
    ASSERT_EQ(array.init(kFamilyAll), kErrNone);
    for (int index : {-1, 2, 1000}) {
        Drive& drive = array[index];
        EXPECT_FALSE(drive.exists());
        EXPECT_FALSE(drive.hasDisk());
        EXPECT_EQ(drive.getDrvRootPath(), "");
        EXPECT_EQ(drive.getDisk().getIdentifier(), "");
        EXPECT_EQ(drive.makeNonRemovable(false), kErrInvalidDrive);
        EXPECT_EQ(drive.eject(), kErrInvalidDrive);
        EXPECT_FALSE(drive.osFormatLock());
    }
    const DriveArray& constArray = array;
    EXPECT_FALSE(constArray[7].exists());
    EXPECT_TRUE(drives->Requests().empty());
}

TEST_F(DriveTest, ADriveReportsItsFactsAndItsDisk) {
    Drive drive('f');
    EXPECT_TRUE(drive.exists());
    EXPECT_EQ(drive.getLetter(), 'F');
    EXPECT_EQ(drive.getDrvRootPath(), "F:\\");
    EXPECT_TRUE(drive.isCorvantDrive());
    EXPECT_FALSE(drive.isCorvantCDDrive());
    EXPECT_TRUE(drive.isRemovable());
    EXPECT_EQ(drive.getFamily(), kFamilyRemovableDisk);
    EXPECT_EQ(drive.getSubFamily(), kSubFamilyCardReader);
    EXPECT_EQ(drive.getIcon(kIconLarge), 125);
    EXPECT_EQ(drive.getIcon(kIconSmall), 125);
    EXPECT_EQ(drive.getAdapter().getType(), kAdapterUsb);
    EXPECT_EQ(drive.getMaxRawCapacity().get(), 64ULL << 30);
    EXPECT_TRUE(drive.hasDisk());
    EXPECT_TRUE(drive.testUnitReady());
    EXPECT_EQ(drive.getLabelText(), "BACKUP1 (F:)");

    const Disk disk = drive.getDisk();
    EXPECT_EQ(disk.getVolumeName(), "BACKUP1");
    EXPECT_EQ(disk.getIdentifier(), "1234-ABCD");
    EXPECT_EQ(disk.getCapacity().get(), 8ULL << 30);
    EXPECT_EQ(disk.getFreeSpace().get(), 8ULL << 30);
    EXPECT_EQ(disk.getUsedSpace().get(), 0u);
    EXPECT_EQ(disk.getProtectState(), kProtectNone);
    EXPECT_FALSE(disk.isSizeUnavailable());
    EXPECT_EQ(disk.isProtected(), 0);

    Drive cd('E');
    EXPECT_TRUE(cd.isCorvantCDDrive());
    EXPECT_FALSE(cd.isCorvantDrive());
    EXPECT_EQ(cd.getFamily(), 0x8000u);
    EXPECT_EQ(cd.getIcon(kIconLarge), 124);
    EXPECT_EQ(cd.getMaxRawCapacity().get(), 0u);
    EXPECT_EQ(cd.getLabelText(), "CD Drive (E:)");
}

TEST_F(DriveTest, TheDiskFiguresFollowWhatIsWrittenToIt) {
    ASSERT_EQ(sim.files().PutSparseFile("F:\\big.bin", 5ULL << 30), 0u);  // 5 GB
    const Disk disk = Drive('F').getDisk();
    EXPECT_EQ(disk.getUsedSpace().get(), 5ULL << 30);
    EXPECT_EQ(disk.getFreeSpace().get(), 3ULL << 30);
    EXPECT_EQ(disk.getCapacity().get(), 8ULL << 30);
}

TEST_F(DriveTest, ADriveWithoutADiskSaysSoAndItsDiskIsEmpty) {
    drives->RemoveDisk('F');
    Drive drive('F');
    EXPECT_FALSE(drive.hasDisk());
    EXPECT_FALSE(drive.testUnitReady());
    EXPECT_EQ(drive.getLabelText(), "Removable Disk (F:)");
    const Disk disk = drive.getDisk();  // callers still read it
    EXPECT_EQ(disk.getIdentifier(), "");
    EXPECT_EQ(disk.getVolumeName(), "");
    EXPECT_EQ(disk.getCapacity().get(), 0u);
    EXPECT_EQ(disk.getFreeSpace().get(), 0u);
    EXPECT_EQ(disk.getProtectState(), kProtectNoMedium);
    EXPECT_EQ(disk.isProtected(), 0);
    EXPECT_FALSE(disk.isSizeUnavailable());  // "no disk" is not "sizes cannot be shown"
}

TEST_F(DriveTest, AnOpenDriveSeesTheDiskOfNowAndADiskIsASnapshot) {
    Drive drive('F');
    const Disk before = drive.getDisk();
    SimDiskSpec setup;
    setup.label = "";
    setup.serialNumber = 0x0BAD0F00;
    drives->InsertDisk('F', drives->CreateDisk(setup));
    EXPECT_EQ(before.getIdentifier(), "1234-ABCD");
    EXPECT_EQ(drive.getDisk().getIdentifier(), "0BAD-0F00");
    EXPECT_EQ(drive.getLabelText(), "Removable Disk (F:)");
    sim.files().SetLabel("F:", "RENAMED");
    EXPECT_EQ(drive.getLabelText(), "RENAMED (F:)");
}

TEST_F(DriveTest, ADiskThatCannotReportItsSizesSaysSo) {
    SimDiskSpec setup;
    setup.label = "RAW";
    setup.sizesUnavailable = true;
    drives->InsertDisk('F', drives->CreateDisk(setup));
    Disk disk = Drive('F').getDisk();
    EXPECT_TRUE(disk.isSizeUnavailable());
    EXPECT_EQ(disk.getCapacity().get(), 0u);
    EXPECT_EQ(disk.getVolumeName(), "RAW");

    // A failing space query of the volume reads the same way.
    drives->InsertDisk('F', backup1);
    Drive drive('F');
    sim.FailNthOperation(2, 1117);  // the space query after the label query
    disk = drive.getDisk();
    EXPECT_EQ(disk.getIdentifier(), "1234-ABCD");
    EXPECT_TRUE(disk.isSizeUnavailable());
}

TEST_F(DriveTest, LettersThatNameNoDriveOpenADriveThatIsNotThere) {
    Drive j('j');  // the drive list's "jat" when nothing is selected
    EXPECT_FALSE(j.exists());
    EXPECT_EQ(j.getDrvRootPath(), "J:\\");
    EXPECT_FALSE(j.hasDisk());
    EXPECT_EQ(j.getLabelText(), "(J:)");
    EXPECT_EQ(j.getIcon(kIconLarge), 0);
    EXPECT_EQ(j.setProtect(kProtectNone, ""), kErrInvalidDrive);
    Drive digit('1');
    EXPECT_EQ(digit.getDrvRootPath(), "");
    EXPECT_EQ(digit.getLabelText(), "");
    EXPECT_FALSE(Drive('\0').exists());
}

TEST_F(DriveTest, ADriveKeepsTheLibraryItWasOpenedWith) {
    Drive drive('F');
    {
        os::sim::SimMachine other;
        sim::SimDriveKit otherDrives(other.files());  // replaces ours while it lives
        EXPECT_FALSE(Drive('F').exists());
        EXPECT_EQ(drive.getDisk().getIdentifier(), "1234-ABCD");
    }
    EXPECT_FALSE(Drive('F').exists());  // its end uninstalled every library
    EXPECT_TRUE(drive.hasDisk());
}

}  // namespace
}  // namespace drvKit
