#pragma once
// The value types of the drive library: drive families, protection states, adapters, results,
// icon sizes and the 64-bit QWord in which sizes travel. The numbers are the library's own and
// are stored or compared by callers, so they never change.

#include <cstddef>
#include <cstdint>
#include <string>

namespace drvKit {

// Families of drives, as bits: a DriveArray lists the drives whose family is one of a set.
enum EDriveFamily : uint32_t {
    kFamilyNone = 0x0000,           // not one of the maker's drives (system disks, shares)
    kFamilyRemovableDisk = 0x0001,  // drives with removable media: card readers, sticks, floppies
    kFamilyExternalDisk = 0x0002,   // fixed disks on a USB, SD or MMC bus
    kFamilyAllDisks = 0x00FF,
    kFamilyCD = 0x8000,  // optical drives
    kFamilyAll = 0x80FF,
};

// Sub-families: the model of a drive within its family; each has its icon (IconForSubFamily).
enum ESubFamily : int {
    kSubFamilyNone = 0,
    kSubFamilyFloppy = 1,
    kSubFamilyCardReader = 2,
    kSubFamilyUsbStick = 3,
    kSubFamilyExternalDisk = 4,
    kSubFamilyRemovable = 5,  // other removable-media drives
    kSubFamilyOptical = 6,
    // 7, 11 and 15 are models of the maker's own drives; the simulated drives may use them.
};

// Protection of the disk in a drive. 0 and 4 to 7 are writable; 1 to 3 refuse writes.
enum EProtectState : uint32_t {
    kProtectNone = 0,               // writable, not protected
    kProtectWrite = 1,              // protected against writing, no password (or the medium's
                                    // own write-protect switch, which software cannot move)
    kProtectWritePassword = 2,      // protected against writing; the password lifts it
    kProtectReadWritePassword = 3,  // protected against reading and writing; the password lifts it
    kProtectUnsupported = 4,        // writable; the medium cannot be protected
    kProtectNoMedium = 5,           // no disk in the drive: nothing to protect
    // 6 is another writable state of the maker's media; neither backend produces it.
    kProtectUnknown = 7,  // the drive cannot tell (callers take it as writable on the CD family)
};

// True for the states in which the disk refuses writes (1, 2 and 3).
constexpr bool IsProtectedState(uint32_t state) {
    return state >= kProtectWrite && state <= kProtectReadWritePassword;
}
// True for the states that need a password to be lifted (2 and 3).
constexpr bool NeedsPassword(uint32_t state) {
    return state == kProtectWritePassword || state == kProtectReadWritePassword;
}

// The bus a drive hangs on. Callers scale the time they give the system to flush a full disk by
// it: the slow ones (1 and 5) by 75, USB (4) by 5, the rest by 1.
enum EAdapter : uint32_t {
    kAdapterUnknown = 0,
    kAdapterParallel = 1,  // printer-port drives
    kAdapterAta = 2,       // ATA, ATAPI and SATA
    kAdapterScsi = 3,      // SCSI, SAS, RAID, NVMe, Fibre Channel
    kAdapterUsb = 4,       // USB, and the SD and MMC card readers of today's PCs
    kAdapterFloppy = 5,    // the floppy-disk controller
    kAdapterFirewire = 6,  // IEEE 1394
};

// Results of the drive actions: 0 or the Win32 error code that says what went wrong.
enum EError : uint32_t {
    kErrNone = 0,
    kErrInvalidDrive = 15,      // no such drive (or no drive library installed)
    kErrWriteProtect = 19,      // the medium's own switch protects it
    kErrNotReady = 21,          // no disk in the drive
    kErrNotSupported = 50,      // the drive or medium cannot do this
    kErrInvalidPassword = 86,   // the password does not fit
    kErrInvalidParameter = 87,  // an unknown state, or a password state without a password
    kErrDriveLocked = 108,      // the medium is locked in, or other programs have files open
    kErrNotLocked = 158,        // a release without a lock
};

enum EIconSize : int {
    kIconSmall = 0,  // 16 x 16
    kIconLarge = 1,  // 32 x 32
};

// An unsigned 64-bit figure (bytes). Callers take it at its full width.
class QWord {
  public:
    constexpr QWord() = default;
    constexpr QWord(uint64_t value) : value_(value) {}  // NOLINT: figures convert freely

    constexpr uint64_t get() const { return value_; }

    // Writes the value in decimal, with its terminating NUL, into buffer (size bytes) and returns
    // buffer. A buffer too small for all the digits gets the empty text: never a cut-off number.
    const char* toDecDigits(char* buffer, size_t size) const;
    std::string toDecString() const;

    friend constexpr bool operator==(QWord, QWord) = default;

  private:
    uint64_t value_ = 0;
};

// The bus of a drive.
class Adapter {
  public:
    constexpr Adapter() = default;
    constexpr explicit Adapter(EAdapter type) : type_(type) {}
    constexpr EAdapter getType() const { return type_; }

  private:
    EAdapter type_ = kAdapterUnknown;
};

}  // namespace drvKit
