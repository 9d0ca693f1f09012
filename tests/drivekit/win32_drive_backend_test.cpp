// The drive library over the volumes of the machine, under Wine with its emulated removable
// drives: the prefix's F: (a floppy-type drive whose medium is a host folder labelled FERROLIN1,
// serial 1234abcd) and a drive of this test's own whose media it swaps while it runs.

#include "drivekit/win32/win32_drive_backend.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "drivekit/drvkit.h"
#include "os/win32/win32_file_system.h"
#include "os/win32/windows_api.h"
#include "tests/drivekit/wine_media.h"

namespace drvKit::win32 {
namespace {

// The figures of the host file system that holds a folder, asked through Wine's Z: drive: the
// same file system as the emulated medium's, reached by another way.
struct HostSpace {
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;
};
HostSpace SpaceOfHostFolder(const std::string& hostFolder) {
    const std::wstring path = winetest::WindowsPathOfHostPath(hostFolder) + L"\\";
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    HostSpace space;
    if (::GetDiskFreeSpaceExW(path.c_str(), &available, &total, nullptr)) {
        space.totalBytes = total.QuadPart;
        space.freeBytes = available.QuadPart;
    }
    return space;
}

const Drive* FindInArray(const DriveArray& array, const std::string& root) {
    for (int i = 0; i < array.getCount(); ++i) {
        if (array[i].getDrvRootPath() == root) {
            return &array[i];
        }
    }
    return nullptr;
}

// Free space moves while other programs write to the host's disk; 256 MB is far more than a test
// run writes and far less than any real mistake (a size in the wrong unit, a 32-bit cut).
constexpr uint64_t kFreeSpaceSlack = 256ULL << 20;

class Win32DriveBackendTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!winetest::RunningUnderWine()) {
            GTEST_SKIP() << "the emulated removable drives exist under Wine only";
        }
        InstallBackend(std::make_unique<Win32DriveBackend>(files));
    }
    void TearDown() override { InstallBackend(nullptr); }

    os::win32::Win32FileSystem files;
};

TEST_F(Win32DriveBackendTest, TheEmulatedDriveFIsInTheArrayWithItsDisk) {
    DriveArray array(EDriveFamily(0xFF), true);
    ASSERT_EQ(array.init(EDriveFamily(0x80FF)), kErrNone);
    const Drive* f = FindInArray(array, "F:\\");
    ASSERT_NE(f, nullptr) << "the prefix's F: is missing from the drive array";
    EXPECT_EQ(FindInArray(array, "C:\\"), nullptr);  // fixed disks are not the maker's
    EXPECT_EQ(FindInArray(array, "Z:\\"), nullptr);
    EXPECT_TRUE(f->isCorvantDrive());
    EXPECT_FALSE(f->isCorvantCDDrive());
    EXPECT_TRUE(f->isRemovable());
    EXPECT_EQ(f->getFamily(), kFamilyRemovableDisk);
    EXPECT_NE(f->getIcon(kIconLarge), 0);
    ASSERT_TRUE(f->hasDisk());
    EXPECT_TRUE(f->testUnitReady());
    EXPECT_EQ(f->getLabelText(), "FERROLIN1 (F:)");

    const Disk disk = f->getDisk();
    EXPECT_EQ(disk.getIdentifier(), "1234-ABCD");
    EXPECT_EQ(disk.getVolumeName(), "FERROLIN1");
    // Writable, and no software can protect a plain volume.
    EXPECT_EQ(disk.getProtectState(), kProtectUnsupported);
    EXPECT_EQ(disk.isProtected(), 0);
    EXPECT_FALSE(disk.isSwitchProtected());
    EXPECT_FALSE(disk.isSizeUnavailable());

    const HostSpace host = SpaceOfHostFolder(winetest::HostMediaFolder() + "/backup-1");
    ASSERT_NE(host.totalBytes, 0u);
    EXPECT_EQ(disk.getCapacity().get(), host.totalBytes);
    EXPECT_NEAR(static_cast<double>(disk.getFreeSpace().get()), static_cast<double>(host.freeBytes),
                static_cast<double>(kFreeSpaceSlack));
    EXPECT_EQ(disk.getUsedSpace().get(), disk.getCapacity().get() - disk.getFreeSpace().get());
    EXPECT_EQ(f->getMaxRawCapacity().get(), host.totalBytes);
}

TEST_F(Win32DriveBackendTest, ALetterWithoutADriveIsNotThere) {
    // Under Wine only C:, F: and Z: exist in a fresh prefix; Q: is nobody's.
    Drive q('Q');
    EXPECT_FALSE(q.exists());
    EXPECT_FALSE(q.hasDisk());
    EXPECT_EQ(q.getDisk().getIdentifier(), "");
    EXPECT_EQ(q.eject(), kErrInvalidDrive);
}

// A removable drive of this test's own, so that swapping its media disturbs no other test that
// uses the prefix's F:.
class SwappedMediaTest : public Win32DriveBackendTest {
  protected:
    static constexpr char kLetter = 'R';

    void SetUp() override {
        Win32DriveBackendTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        const std::string media = winetest::HostMediaFolder();
        ASSERT_FALSE(media.empty()) << "WINEPREFIX is not set";
        base = media + "/drivekit-test-" + std::to_string(::GetCurrentProcessId());
        ASSERT_TRUE(::CreateDirectoryW(winetest::WindowsPathOfHostPath(base).c_str(), nullptr) ||
                    ::GetLastError() == ERROR_ALREADY_EXISTS);
        ASSERT_EQ(winetest::MakeMedium(base + "/one", "SWAP1", "0a0b0c0d"), 0u);
        ASSERT_EQ(winetest::MakeMedium(base + "/two", "", "fedc9876"), 0u);
        ASSERT_EQ(winetest::InsertMedium(kLetter, base + "/one"), 0u);
    }

    void TearDown() override {
        if (!base.empty()) {
            winetest::RemoveDrive(kLetter);
            winetest::RemoveMedium(base + "/one");
            winetest::RemoveMedium(base + "/two");
            ::RemoveDirectoryW(winetest::WindowsPathOfHostPath(base).c_str());
        }
        Win32DriveBackendTest::TearDown();
    }

    std::string base;
};

TEST_F(SwappedMediaTest, AMissingMediumIsNoDiskAndAnotherOneIsSeenAtOnce) {
    Drive drive(kLetter);  // opened once, as the full-disk swap keeps its drive
    ASSERT_TRUE(drive.exists());
    ASSERT_TRUE(drive.hasDisk());
    EXPECT_EQ(drive.getDisk().getIdentifier(), "0A0B-0C0D");
    EXPECT_EQ(drive.getLabelText(), "SWAP1 (R:)");

    ASSERT_EQ(winetest::EjectMedium(kLetter), 0u);
    EXPECT_TRUE(drive.forceMediaChange());
    EXPECT_FALSE(drive.hasDisk());
    EXPECT_FALSE(drive.testUnitReady());
    const Disk none = drive.getDisk();
    EXPECT_EQ(none.getIdentifier(), "");  // not Wine's made-up serial of an empty drive
    EXPECT_EQ(none.getVolumeName(), "");
    EXPECT_EQ(none.getCapacity().get(), 0u);
    EXPECT_FALSE(none.isSizeUnavailable());
    EXPECT_EQ(drive.getLabelText(), "Removable Disk (R:)");
    DriveArray array(kFamilyAllDisks, true);
    ASSERT_EQ(array.init(kFamilyAll), kErrNone);
    EXPECT_NE(FindInArray(array, "R:\\"), nullptr);  // the drive stays in the list, empty

    ASSERT_EQ(winetest::InsertMedium(kLetter, base + "/two"), 0u);
    ASSERT_TRUE(drive.hasDisk());
    EXPECT_TRUE(drive.testUnitReady());
    const Disk two = drive.getDisk();
    EXPECT_EQ(two.getIdentifier(), "FEDC-9876");
    EXPECT_EQ(two.getVolumeName(), "");
    EXPECT_EQ(drive.getLabelText(), "Removable Disk (R:)");
    const HostSpace host = SpaceOfHostFolder(base + "/two");
    EXPECT_EQ(two.getCapacity().get(), host.totalBytes);

    ASSERT_EQ(winetest::InsertMedium(kLetter, base + "/one"), 0u);
    EXPECT_EQ(Drive(kLetter).getDisk().getIdentifier(), "0A0B-0C0D");
}

TEST_F(SwappedMediaTest, ActionsOnAnEmulatedDriveKeepTheirBooks) {
    Drive drive(kLetter);
    // Wine's emulated drives have no lock; a lock that was not taken must not count.
    const EError locked = drive.makeNonRemovable(false);
    EXPECT_EQ(drive.makeRemovable(false), locked == kErrNone ? kErrNone : kErrNotLocked);
    EXPECT_EQ(drive.makeRemovable(false), kErrNotLocked);

    ASSERT_TRUE(drive.osFormatLock());
    EXPECT_TRUE(drive.osFormatLock());  // this program holds it already
    EXPECT_EQ(drive.osFormatUnlock(), kErrNone);
    EXPECT_EQ(drive.osFormatUnlock(), kErrNotLocked);

    // A plain volume is writable and has no protection of the maker's to add.
    EXPECT_EQ(drive.setProtect(kProtectNone, ""), kErrNone);
    EXPECT_EQ(drive.setProtect(kProtectWritePassword, "secret"), kErrNotSupported);
    EXPECT_EQ(drive.getDisk().getProtectState(), kProtectUnsupported);

    ASSERT_EQ(winetest::EjectMedium(kLetter), 0u);
    EXPECT_EQ(drive.setProtect(kProtectNone, ""), kErrNotReady);
    EXPECT_FALSE(drive.osFormatLock());
}

}  // namespace
}  // namespace drvKit::win32
