// The simulated drives: protection that the file system enforces, locks counted for the whole
// process, ejecting and swapping disks, the format lock, readiness, and the record of requests.

#include "drivekit/sim/sim_drive_backend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "drivekit/drvkit.h"
#include "os/errors.h"
#include "os/sim/sim_machine.h"

namespace drvKit::sim {
namespace {

class SimDriveBackendTest : public ::testing::Test {
  protected:
    SimDriveBackendTest() {
        drives->AddDrive('F');
        backup1 = MakeDisk("BACKUP1", 0x1234ABCD);
        drives->InsertDisk('F', backup1);
    }

    std::shared_ptr<SimDisk> MakeDisk(const std::string& label, uint32_t serial,
                                      EProtectState protection = kProtectNone,
                                      const std::string& password = "") {
        SimDiskSpec setup;
        setup.label = label;
        setup.serialNumber = serial;
        setup.capacityBytes = 64ULL << 20;
        setup.protection = protection;
        setup.password = password;
        return drives->CreateDisk(setup);
    }

    // What the file system says when the program writes a file to the disk.
    uint32_t WriteFile(const std::string& path) {
        std::unique_ptr<os::File> file;
        return sim.machine().files.Open(
            path, {os::kAccessWrite, os::kShareNone, os::Disposition::CreateAlways, 0, 0}, file);
    }

    os::sim::SimMachine sim;
    SimDriveKit drives{sim.files()};
    std::shared_ptr<SimDisk> backup1;
};

TEST_F(SimDriveBackendTest, APasswordProtectedDiskOpensOnlyToItsPassword) {
    drives->InsertDisk('F', MakeDisk("SAFE", 0x5AFE0002, kProtectWritePassword, "tulip"));
    Drive drive('F');
    EXPECT_EQ(drive.getDisk().getProtectState(), kProtectWritePassword);
    EXPECT_EQ(drive.getDisk().isProtected(), 1);
    EXPECT_EQ(WriteFile("F:\\a.doc"), os::kErrorWriteProtect);

    EXPECT_EQ(drive.setProtect(kProtectNone, "tulips"), kErrInvalidPassword);
    EXPECT_EQ(drive.setProtect(kProtectNone, ""), kErrInvalidPassword);
    EXPECT_EQ(drive.getDisk().getProtectState(), kProtectWritePassword);
    EXPECT_EQ(WriteFile("F:\\a.doc"), os::kErrorWriteProtect);

    EXPECT_EQ(drive.setProtect(kProtectNone, "tulip"), kErrNone);
    EXPECT_EQ(drive.getDisk().getProtectState(), kProtectNone);
    EXPECT_EQ(WriteFile("F:\\a.doc"), os::kErrorSuccess);

    // The end of a pass puts the protection back as it was, with the same password.
    EXPECT_EQ(drive.setProtect(kProtectWritePassword, "tulip"), kErrNone);
    EXPECT_EQ(drive.getDisk().getProtectState(), kProtectWritePassword);
    EXPECT_EQ(WriteFile("F:\\b.doc"), os::kErrorWriteProtect);
    EXPECT_EQ(drive.setProtect(kProtectNone, "other"), kErrInvalidPassword);
}

TEST_F(SimDriveBackendTest, ProtectionWithoutAPasswordLiftsWithAnEmptyOne) {
    Drive drive('F');
    EXPECT_EQ(drive.setProtect(kProtectWrite, ""), kErrNone);
    EXPECT_EQ(drive.getDisk().isProtected(), 1);
    EXPECT_EQ(WriteFile("F:\\a.doc"), os::kErrorWriteProtect);
    EXPECT_EQ(drive.setProtect(kProtectNone, ""), kErrNone);
    EXPECT_EQ(WriteFile("F:\\a.doc"), os::kErrorSuccess);
    // Writable states other than 0 keep the disk writable.
    EXPECT_EQ(drive.setProtect(kProtectUnknown, ""), kErrNone);
    EXPECT_EQ(drive.getDisk().getProtectState(), kProtectUnknown);
    EXPECT_EQ(WriteFile("F:\\b.doc"), os::kErrorSuccess);
}

TEST_F(SimDriveBackendTest, RequestsThatMakeNoSenseChangeNothing) {
    Drive drive('F');
    EXPECT_EQ(drive.setProtect(kProtectWritePassword, ""), kErrInvalidParameter);
    EXPECT_EQ(drive.setProtect(EProtectState(8), ""), kErrInvalidParameter);
    EXPECT_EQ(drive.getDisk().getProtectState(), kProtectNone);
    drives->RemoveDisk('F');
    EXPECT_EQ(drive.setProtect(kProtectWrite, ""), kErrNotReady);
}

TEST_F(SimDriveBackendTest, TheWriteProtectSwitchCannotBeMovedBySoftware) {
    SimDiskSpec setup;
    setup.label = "LOCKED";
    setup.writeProtectSwitch = true;
    drives->InsertDisk('F', drives->CreateDisk(setup));
    Drive drive('F');
    EXPECT_EQ(drive.getDisk().getProtectState(), kProtectWrite);
    EXPECT_TRUE(drive.getDisk().isSwitchProtected());
    EXPECT_EQ(drive.setProtect(kProtectNone, ""), kErrWriteProtect);
    EXPECT_EQ(drive.getDisk().getProtectState(), kProtectWrite);
    EXPECT_EQ(WriteFile("F:\\a.doc"), os::kErrorWriteProtect);
}

TEST_F(SimDriveBackendTest, ProtectionTravelsWithTheDisk) {
    drives->AddDrive('G');
    ASSERT_EQ(Drive('F').setProtect(kProtectReadWritePassword, "ivy"), kErrNone);
    drives->InsertDisk('G', drives->RemoveDisk('F'));
    const Disk disk = Drive('G').getDisk();
    EXPECT_EQ(disk.getIdentifier(), "1234-ABCD");
    EXPECT_EQ(disk.getProtectState(), kProtectReadWritePassword);
    EXPECT_FALSE(disk.isSwitchProtected());
    EXPECT_EQ(WriteFile("G:\\a.doc"), os::kErrorWriteProtect);
    EXPECT_EQ(drives->PasswordOf(*backup1), "ivy");
}

TEST_F(SimDriveBackendTest, AMediumWrittenProtectedBehindTheLibrarysBackReadsAsProtected) {
    sim.files().SetWriteProtected("F:", true);
    EXPECT_EQ(Drive('F').getDisk().getProtectState(), kProtectWrite);
    // A medium that is no SimDisk: identifier from its serial number, no protection to set.
    os::sim::SimMediumSpec plain;
    plain.label = "PLAIN";
    plain.serialNumber = 0xCAFE0001;
    sim.files().InsertMedium("F:", sim.files().CreateMedium(plain));
    Drive drive('F');
    EXPECT_EQ(drive.getDisk().getIdentifier(), "CAFE-0001");
    EXPECT_EQ(drive.getDisk().getProtectState(), kProtectNone);
    EXPECT_EQ(drive.setProtect(kProtectWrite, ""), kErrNotSupported);
}

TEST_F(SimDriveBackendTest, LocksAreCountedForTheDriveWhicheverDriveObjectTookThem) {
    Drive pass('F');
    EXPECT_EQ(pass.makeNonRemovable(false), kErrNone);
    EXPECT_EQ(pass.makeNonRemovable(false), kErrNone);
    EXPECT_EQ(drives->LockCount('F'), 2);
    Drive page('F');  // another part of the program opens the same drive
    EXPECT_EQ(page.makeRemovable(false), kErrNone);
    EXPECT_EQ(pass.makeRemovable(false), kErrNone);
    EXPECT_EQ(drives->LockCount('F'), 0);
    EXPECT_EQ(pass.makeRemovable(false), kErrNotLocked);
    // Ordinary and exclusive locks are separate.
    EXPECT_EQ(pass.makeNonRemovable(true), kErrNone);
    EXPECT_EQ(pass.makeRemovable(false), kErrNotLocked);
    EXPECT_EQ(pass.makeRemovable(true), kErrNone);
}

TEST_F(SimDriveBackendTest, ALockedDiskStaysInAndAReleasedOneComesOut) {
    Drive drive('F');
    ASSERT_EQ(drive.makeNonRemovable(false), kErrNone);
    EXPECT_EQ(drive.eject(), kErrDriveLocked);
    EXPECT_TRUE(drive.hasDisk());
    ASSERT_EQ(drive.makeRemovable(false), kErrNone);
    EXPECT_EQ(drive.eject(), kErrNone);
    EXPECT_FALSE(drive.hasDisk());
    os::VolumeInfo info;
    EXPECT_EQ(sim.machine().files.GetVolumeInfo("F:\\", info), os::kErrorNotReady);
    EXPECT_EQ(drive.eject(), kErrNotReady);

    // The user puts in the next disk; the drive reads it at once.
    drives->InsertDisk('F', MakeDisk("BACKUP2", 0x22222222));
    EXPECT_EQ(drive.getDisk().getIdentifier(), "2222-2222");
    EXPECT_EQ(drive.getLabelText(), "BACKUP2 (F:)");
    // The ejected disk kept its files.
    drives->InsertDisk('F', backup1);
    EXPECT_EQ(drive.getDisk().getVolumeName(), "BACKUP1");
}

TEST_F(SimDriveBackendTest, AFixedDiskHasNothingToLockOrEject) {
    SimDriveSpec external;
    external.family = kFamilyExternalDisk;
    external.subFamily = kSubFamilyExternalDisk;
    drives->AddDrive('H', external);
    drives->InsertDisk('H', MakeDisk("EXT", 0x0E0E0E0E));
    Drive drive('H');
    EXPECT_TRUE(drive.isCorvantDrive());
    EXPECT_FALSE(drive.isRemovable());
    EXPECT_EQ(drive.getLabelText(), "EXT (H:)");
    EXPECT_EQ(drive.makeNonRemovable(false), kErrNotSupported);
    EXPECT_EQ(drive.eject(), kErrNotSupported);
    EXPECT_EQ(drives->LockCount('H'), 0);
    EXPECT_EQ(sim.machine().files.GetDriveType("H:\\"), os::DriveType::Fixed);
}

TEST_F(SimDriveBackendTest, TheFormatLockCanBeRefusedForAWhile) {
    Drive drive('F');
    drives->FailFormatLock('F', 2);  // another program still has a file open
    EXPECT_FALSE(drive.osFormatLock());
    EXPECT_FALSE(drive.osFormatLock());
    EXPECT_TRUE(drive.osFormatLock());
    EXPECT_TRUE(drives->IsFormatLocked('F'));
    EXPECT_EQ(drive.osFormatUnlock(), kErrNone);
    EXPECT_FALSE(drives->IsFormatLocked('F'));
    EXPECT_EQ(drive.osFormatUnlock(), kErrNotLocked);
    drives->RemoveDisk('F');
    EXPECT_FALSE(drive.osFormatLock());
}

TEST_F(SimDriveBackendTest, ADiskSpinningUpIsNotReadyAtOnce) {
    Drive drive('F');
    drives->BecomeReadyAfter('F', 3);
    EXPECT_TRUE(drive.forceMediaChange());
    int tests = 1;
    while (!drive.testUnitReady() && tests < 20) {
        ++tests;
    }
    EXPECT_EQ(tests, 4);
    EXPECT_TRUE(drive.hasDisk());
}

TEST_F(SimDriveBackendTest, EveryActionIsRecordedInOrderWithItsResult) {
    Drive drive('F');
    // Each result is compared below, as the backend recorded it.
    static_cast<void>(drive.makeNonRemovable(false));
    static_cast<void>(drive.eject());
    static_cast<void>(drive.makeRemovable(false));
    static_cast<void>(drive.osFormatLock());
    static_cast<void>(drive.osFormatUnlock());
    static_cast<void>(drive.setProtect(kProtectWritePassword, "pw"));
    static_cast<void>(drive.forceMediaChange());
    static_cast<void>(drive.eject());
    const std::vector<SimRequest> expected = {
        {'F', SimRequestKind::Lock, false},
        {'F', SimRequestKind::Eject, false, kProtectNone, "", kErrDriveLocked},
        {'F', SimRequestKind::Release, false},
        {'F', SimRequestKind::FormatLock},
        {'F', SimRequestKind::FormatUnlock},
        {'F', SimRequestKind::SetProtect, false, kProtectWritePassword, "pw"},
        {'F', SimRequestKind::ForceMediaChange},
        {'F', SimRequestKind::Eject},
    };
    EXPECT_EQ(drives->Requests(), expected);
    drives->ClearRequests();
    EXPECT_TRUE(drives->Requests().empty());
}

TEST_F(SimDriveBackendTest, SwapsBehindTheLibrarysBackAreSeenToo) {
    std::shared_ptr<os::sim::SimMedium> medium = sim.files().EjectMedium("F:");
    EXPECT_FALSE(Drive('F').hasDisk());
    EXPECT_EQ(drives->DiskIn('F'), nullptr);
    sim.files().InsertMedium("F:", medium);
    EXPECT_EQ(drives->DiskIn('F'), backup1);
    EXPECT_EQ(Drive('F').getDisk().getIdentifier(), "1234-ABCD");
}

// The engine's worker reads the drives while the user interface rebuilds its list and the user
// swaps disks; every answer must be one of the disks, never a torn one.
TEST_F(SimDriveBackendTest, ReadersAndASwapperAtTheSameTime) {
    auto backup2 = MakeDisk("BACKUP2", 0x22222222);
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::atomic<int> rounds{0};
    auto reader = [&] {
        while (!stop) {
            ++rounds;
            DriveArray array(kFamilyAllDisks, true);
            EXPECT_EQ(array.init(kFamilyAll), kErrNone);
            for (int i = 0; i < array.getCount(); ++i) {
                const Disk disk = array[i].getDisk();
                const std::string id = disk.getIdentifier();
                const bool known = (id == "1234-ABCD" && disk.getVolumeName() == "BACKUP1") ||
                                   (id == "2222-2222" && disk.getVolumeName() == "BACKUP2") ||
                                   (id.empty() && disk.getVolumeName().empty());
                torn += known ? 0 : 1;
                // The swapper may take the disk out at any moment: either result is right.
                static_cast<void>(array[i].makeNonRemovable(false));
                static_cast<void>(array[i].makeRemovable(false));
            }
        }
    };
    std::thread first(reader);
    std::thread second(reader);
    for (int i = 0; i < 300 || rounds < 200; ++i) {
        drives->InsertDisk('F', i % 3 == 0 ? backup1 : backup2);
        if (i % 5 == 0) {
            drives->RemoveDisk('F');
        }
    }
    stop = true;
    first.join();
    second.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(drives->LockCount('F'), 0);
}

}  // namespace
}  // namespace drvKit::sim
