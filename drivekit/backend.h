#pragma once
// What the drive library asks of the machine: one backend, installed once at start-up (the real
// volumes of this PC, or the simulated drives of a test), answers for every Drive and DriveArray.
// A backend is used from several threads at once (the engine's worker and the user interface)
// and must be safe for that.

#include <cstdint>
#include <memory>
#include <string>

#include "drivekit/drvkit_types.h"

namespace drvKit {

// What does not change while a drive is connected.
struct DriveFacts {
    bool present = false;         // the letter names a drive of this machine
    bool corvantDrive = false;    // one of the maker's drives (removable media, external disks)
    bool corvantCDDrive = false;  // one of the maker's optical drives
    bool removable = false;       // its medium can be taken out
    EDriveFamily family = kFamilyNone;
    int subFamily = kSubFamilyNone;
    EAdapter adapter = kAdapterUnknown;
    std::string kindName;  // what the label text says when the disk has no label
};

// The disk in a drive, read when asked.
struct MediumFacts {
    bool present = false;  // a disk is in the drive and its root opens
    std::string volumeName;
    std::string identifier;   // stays the same for one medium, differs between media
    bool sizesKnown = false;  // false: the disk cannot report its sizes
    uint64_t capacityBytes = 0;
    uint64_t freeBytes = 0;
    EProtectState protection = kProtectNoMedium;
    // The protection is the medium's own write-protect switch (or a read-only volume), which no
    // software can lift: the user has to move the switch.
    bool switchProtected = false;
};

class Backend {
  public:
    virtual ~Backend() = default;

    // The drives of the machine: bit 0 for A: ... bit 25 for Z:.
    virtual uint32_t DriveLetters() = 0;
    // letter is always an upper-case A to Z here. A letter without a drive gives present false.
    virtual DriveFacts DescribeDrive(char letter) = 0;
    virtual MediumFacts ReadMedium(char letter) = 0;
    // The largest raw capacity of a disk in this drive; 0 when the drive cannot say.
    virtual uint64_t MaxRawCapacity(char letter) = 0;
    virtual bool TestUnitReady(char letter) = 0;

    // Lock the medium in its drive and release it again; locks are counted per drive for the
    // whole process, so a release from another Drive object of the same letter undoes a lock.
    // exclusive: no program, this one included, can eject the medium while the lock holds.
    [[nodiscard]] virtual EError LockMedium(char letter, bool exclusive) = 0;
    [[nodiscard]] virtual EError ReleaseMedium(char letter, bool exclusive) = 0;
    [[nodiscard]] virtual EError Eject(char letter) = 0;
    [[nodiscard]] virtual EError SetProtect(char letter, EProtectState state,
                                            const std::string& password) = 0;
    // Asks the drive to look at its medium again; true when the drive could be asked.
    [[nodiscard]] virtual bool ForceMediaChange(char letter) = 0;
    // The volume lock that formatting takes: no file of the disk may be open while it holds.
    [[nodiscard]] virtual bool FormatLock(char letter) = 0;
    [[nodiscard]] virtual EError FormatUnlock(char letter) = 0;
};

// Installs the backend that every Drive and DriveArray opened from now on uses; null uninstalls
// (drives then report that they do not exist). A Drive keeps the backend it was opened with.
void InstallBackend(std::unique_ptr<Backend> backend);
std::shared_ptr<Backend> InstalledBackend();

}  // namespace drvKit
