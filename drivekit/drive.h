#pragma once
// A drive of the machine, opened by its letter, and the disk in it.

#include <memory>
#include <string>
#include <utility>

#include "drivekit/backend.h"
#include "drivekit/drvkit_types.h"

namespace drvKit {

// What a drive held when getDisk was called; call getDisk again to see a change. A drive
// without a disk gives a Disk with empty texts, zero sizes and kProtectNoMedium.
class Disk {
  public:
    Disk() = default;
    explicit Disk(MediumFacts facts) : facts_(std::move(facts)) {}

    std::string getVolumeName() const { return facts_.volumeName; }
    // The disk identifier ("1234-ABCD" for a volume serial number); empty without a disk.
    std::string getIdentifier() const { return facts_.identifier; }
    QWord getFreeSpace() const { return facts_.freeBytes; }
    QWord getUsedSpace() const {
        return facts_.capacityBytes > facts_.freeBytes ? facts_.capacityBytes - facts_.freeBytes
                                                       : 0;
    }
    QWord getCapacity() const { return facts_.capacityBytes; }
    EProtectState getProtectState() const { return facts_.protection; }
    // True when a disk is in but cannot report its sizes (an unformatted or unreadable medium);
    // its sizes are then 0. False without a disk.
    bool isSizeUnavailable() const { return facts_.present && !facts_.sizesKnown; }
    // 1 when the disk refuses writes (states 1 to 3), else 0.
    int isProtected() const { return IsProtectedState(facts_.protection) ? 1 : 0; }
    // True when the disk is protected by its own write-protect switch, which setProtect cannot
    // move (the state is then 1).
    bool isSwitchProtected() const { return facts_.switchProtected; }

  private:
    MediumFacts facts_;
};

class Drive {
  public:
    // A drive that does not exist: no disk, no family, every action fails with kErrInvalidDrive.
    Drive() = default;
    // Opens the drive with the backend installed now; the letter may be lower-case. A letter
    // that names no drive opens a drive that does not exist (its root path is still "J:\").
    explicit Drive(char letter);

    char getLetter() const { return letter_; }
    bool exists() const { return facts_.present; }

    // Queries of the disk are read from the drive at each call.
    bool hasDisk() const;
    bool testUnitReady() const;
    Disk getDisk() const;
    // "BACKUP1 (F:)", or "Removable Disk (F:)" when the disk has no label or there is none.
    std::string getLabelText() const;
    QWord getMaxRawCapacity() const;

    // Facts of the drive, read when it was opened.
    bool isRemovable() const { return facts_.removable; }
    bool isCorvantDrive() const { return facts_.corvantDrive; }
    bool isCorvantCDDrive() const { return facts_.corvantCDDrive; }
    std::string getDrvRootPath() const;  // "E:\"; empty for a Drive() without a letter
    // The program's icon resource for the drive's sub-family (see IconForSubFamily), the same
    // number for both sizes; 0 when the sub-family has none.
    int getIcon(EIconSize size) const;
    EDriveFamily getFamily() const { return facts_.family; }
    int getSubFamily() const { return facts_.subFamily; }
    Adapter getAdapter() const { return Adapter(facts_.adapter); }

    // Actions. The program does not check their results; they say what happened for tests and
    // for anyone who wants to know. exclusive: see Backend::LockMedium.
    [[nodiscard]] EError makeNonRemovable(bool exclusive);  // lock the medium in the drive
    [[nodiscard]] EError makeRemovable(bool exclusive);     // release it
    [[nodiscard]] EError eject();                           // fails while the medium is locked in
    // Sets the disk's protection; lifting a password state needs its password, setting one
    // takes the password given.
    [[nodiscard]] EError setProtect(EProtectState state, const std::string& password);
    [[nodiscard]] bool forceMediaChange();
    [[nodiscard]] bool osFormatLock();  // true when the lock was obtained
    [[nodiscard]] EError osFormatUnlock();

  private:
    std::shared_ptr<Backend> backend_;
    char letter_ = '\0';
    DriveFacts facts_;
};

}  // namespace drvKit
