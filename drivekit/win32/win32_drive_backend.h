#pragma once
// The drive library over the volumes of this PC. The maker's drives are the drives with
// removable media (card readers, USB sticks, floppies) and the fixed disks that the system says
// hang on a USB, SD or MMC bus; optical drives are the CD family. A disk's identifier is its
// volume serial number as `vol` shows it, its volume name the volume label, its sizes the
// volume's; a medium whose write-protect switch is on (or whose volume is read-only) reports
// state 1, which no software can lift. Plain volumes have no protection with a password.
//
// Volume facts come through the file-system port; only the storage requests (locks, eject,
// readiness, bus type) go to the device directly.

#include <array>
#include <mutex>

#include "drivekit/backend.h"
#include "os/file_system.h"
#include "os/win32/unique_handle.h"

namespace drvKit::win32 {

class Win32DriveBackend final : public Backend {
  public:
    explicit Win32DriveBackend(os::FileSystem& files);

    uint32_t DriveLetters() override;
    DriveFacts DescribeDrive(char letter) override;
    MediumFacts ReadMedium(char letter) override;
    uint64_t MaxRawCapacity(char letter) override;
    bool TestUnitReady(char letter) override;
    [[nodiscard]] EError LockMedium(char letter, bool exclusive) override;
    [[nodiscard]] EError ReleaseMedium(char letter, bool exclusive) override;
    [[nodiscard]] EError Eject(char letter) override;
    [[nodiscard]] EError SetProtect(char letter, EProtectState state,
                                    const std::string& password) override;
    [[nodiscard]] bool ForceMediaChange(char letter) override;
    [[nodiscard]] bool FormatLock(char letter) override;
    [[nodiscard]] EError FormatUnlock(char letter) override;

  private:
    // Windows ties media locks and the volume lock to the handle that took them, and undoes them
    // when it closes; so the handles stay open here, one set per drive for the whole process,
    // until the last lock is released (or the backend goes, which releases them all).
    struct HeldLocks {
        os::win32::FileHandle device;  // open while a media lock is held
        int locks = 0;
        int exclusiveLocks = 0;
        os::win32::FileHandle formatLock;  // holds FSCTL_LOCK_VOLUME
    };

    bool HasRemovableMedia(char letter);

    os::FileSystem& files_;
    std::mutex mutex_;  // guards held_
    std::array<HeldLocks, 26> held_;
};

}  // namespace drvKit::win32
