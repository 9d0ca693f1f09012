#include "drivekit/win32/win32_drive_backend.h"

#include <utility>

#include "drivekit/drvkit_text.h"
#include "drivekit/win32/device_queries.h"
#include "os/errors.h"

namespace drvKit::win32 {

namespace {

constexpr uint32_t kErrorMediaChanged = 1110;
constexpr uint32_t kErrorNoMediaInDrive = 1112;

// How long an eject waits for other programs to let go of the disk's files.
constexpr int kEjectLockTries = 5;
constexpr DWORD kEjectLockPauseMs = 200;

EAdapter AdapterOf(const std::optional<STORAGE_BUS_TYPE>& bus) {
    if (!bus) {
        return kAdapterUnknown;
    }
    switch (*bus) {
        case BusTypeAtapi:
        case BusTypeAta:
        case BusTypeSata:
            return kAdapterAta;
        case BusTypeScsi:
        case BusTypeSsa:
        case BusTypeFibre:
        case BusTypeRAID:
        case BusTypeiScsi:
        case BusTypeSas:
        case BusTypeNvme:
        case BusTypeSCM:
        case BusTypeUfs:
            return kAdapterScsi;
        case BusType1394:
            return kAdapterFirewire;
        case BusTypeUsb:
        case BusTypeSd:  // card readers: flash media that flush as slowly as USB ones
        case BusTypeMmc:
            return kAdapterUsb;
        default:
            return kAdapterUnknown;
    }
}

bool IsCardBus(const std::optional<STORAGE_BUS_TYPE>& bus) {
    return bus && (*bus == BusTypeSd || *bus == BusTypeMmc);
}

bool IsUsbBus(const std::optional<STORAGE_BUS_TYPE>& bus) {
    return bus && *bus == BusTypeUsb;
}

EError AsError(uint32_t code) {
    return static_cast<EError>(code);
}

}  // namespace

Win32DriveBackend::Win32DriveBackend(os::FileSystem& files) : files_(files) {}

uint32_t Win32DriveBackend::DriveLetters() {
    return files_.LogicalDrives();
}

DriveFacts Win32DriveBackend::DescribeDrive(char letter) {
    QuietDriveErrors quiet;
    DriveFacts facts;
    const os::DriveType type = files_.GetDriveType(RootPathOf(letter));
    facts.present = type != os::DriveType::NoRootDirectory && type != os::DriveType::Unknown;
    if (!facts.present) {
        return facts;
    }
    facts.kindName = std::string(kKindLocalDisk);
    switch (type) {
        case os::DriveType::Removable: {
            const DeviceDescription device = DescribeDevice(letter);
            facts.corvantDrive = true;
            facts.removable = true;
            facts.family = kFamilyRemovableDisk;
            facts.adapter = AdapterOf(device.busType);
            facts.kindName = std::string(kKindRemovableDisk);
            if (device.floppy) {
                facts.subFamily = kSubFamilyFloppy;
                facts.adapter = kAdapterFloppy;
                facts.kindName = std::string(kKindFloppy);
            } else if (IsUsbBus(device.busType)) {
                facts.subFamily = kSubFamilyUsbStick;
                facts.kindName = std::string(kKindUsbDrive);
            } else if (IsCardBus(device.busType)) {
                facts.subFamily = kSubFamilyCardReader;
            } else {
                facts.subFamily = kSubFamilyRemovable;
            }
            break;
        }
        case os::DriveType::CdRom:
            facts.corvantCDDrive = true;
            facts.removable = true;
            facts.family = kFamilyCD;
            facts.subFamily = kSubFamilyOptical;
            facts.adapter = AdapterOf(DescribeDevice(letter).busType);
            facts.kindName = std::string(kKindCD);
            break;
        case os::DriveType::Fixed: {
            const DeviceDescription device = DescribeDevice(letter);
            if (IsUsbBus(device.busType) || IsCardBus(device.busType)) {
                facts.corvantDrive = true;
                facts.family = kFamilyExternalDisk;
                facts.subFamily =
                    IsCardBus(device.busType) ? kSubFamilyCardReader : kSubFamilyExternalDisk;
                facts.adapter = AdapterOf(device.busType);
            }
            break;
        }
        case os::DriveType::Remote:
            facts.kindName = std::string(kKindNetworkDrive);
            break;
        default:
            break;
    }
    return facts;
}

MediumFacts Win32DriveBackend::ReadMedium(char letter) {
    QuietDriveErrors quiet;
    MediumFacts facts;
    const std::string root = RootPathOf(letter);
    // A drive without a disk: on Windows every query of the volume fails with 21; under Wine the
    // volume still answers (with a made-up serial number) and only its root does not open. The
    // root is asked first so that both read as no disk.
    uint32_t attributes = 0;
    os::VolumeInfo info;
    if (files_.GetAttributes(root, attributes) != os::kErrorSuccess ||
        files_.GetVolumeInfo(root, info) != os::kErrorSuccess) {
        return facts;
    }
    facts.present = true;
    facts.volumeName = info.label;
    facts.identifier = FormatVolumeSerial(info.serialNumber);
    // A plain volume has no protection that software can set: it is writable and cannot be
    // protected (4), or protected by its switch or as a read-only volume (1), which only the
    // user can lift.
    facts.protection = info.readOnly ? kProtectWrite : kProtectUnsupported;
    if (!info.readOnly) {
        os::win32::FileHandle device;
        if (OpenVolumeDevice(letter, 0, device) == ERROR_SUCCESS &&
            CheckWritable(device.Get()) == ERROR_WRITE_PROTECT) {
            facts.protection = kProtectWrite;  // the switch on the card or stick
        }
    }
    facts.switchProtected = facts.protection == kProtectWrite;
    os::VolumeSpace space;
    if (files_.GetVolumeSpace(root, space) == os::kErrorSuccess) {
        facts.sizesKnown = true;
        facts.capacityBytes = space.totalBytes;
        facts.freeBytes = space.freeBytes;
    }
    return facts;
}

uint64_t Win32DriveBackend::MaxRawCapacity(char letter) {
    QuietDriveErrors quiet;
    os::win32::FileHandle device;
    if (OpenVolumeDevice(letter, GENERIC_READ, device) == ERROR_SUCCESS) {
        if (const std::optional<uint64_t> length = MediumLength(device.Get())) {
            return *length;
        }
    }
    // The device will not say (a standard user, or an emulated drive): the volume's capacity.
    os::VolumeSpace space;
    if (files_.GetVolumeSpace(RootPathOf(letter), space) == os::kErrorSuccess) {
        return space.totalBytes;
    }
    return 0;
}

bool Win32DriveBackend::TestUnitReady(char letter) {
    QuietDriveErrors quiet;
    os::win32::FileHandle device;
    if (OpenVolumeDevice(letter, 0, device) == ERROR_SUCCESS) {
        const uint32_t result = CheckVerify(device.Get());
        if (result == ERROR_SUCCESS || result == kErrorMediaChanged) {
            return true;  // a changed medium is a medium, and ready now that it was reported
        }
        if (result == ERROR_NOT_READY || result == kErrorNoMediaInDrive) {
            return false;
        }
    }
    // The device cannot tell (or cannot be opened): ready when the disk's root opens.
    uint32_t attributes = 0;
    return files_.GetAttributes(RootPathOf(letter), attributes) == os::kErrorSuccess;
}

bool Win32DriveBackend::HasRemovableMedia(char letter) {
    const os::DriveType type = files_.GetDriveType(RootPathOf(letter));
    return type == os::DriveType::Removable || type == os::DriveType::CdRom;
}

EError Win32DriveBackend::LockMedium(char letter, bool exclusive) {
    if (!HasRemovableMedia(letter)) {
        return kErrNotSupported;  // nothing to lock in a fixed disk
    }
    QuietDriveErrors quiet;
    std::lock_guard lock(mutex_);
    HeldLocks& held = held_[letter - 'A'];
    if (!held.device) {
        if (const uint32_t error = OpenVolumeDevice(letter, GENERIC_READ, held.device)) {
            return AsError(error);
        }
    }
    // The program does not check this result: a drive that cannot be locked (an emulated one
    // under Wine, a reader without a lock) simply lets its medium go as it always could.
    const uint32_t result = PreventRemoval(held.device.Get(), true, exclusive);
    if (result == ERROR_SUCCESS) {
        ++(exclusive ? held.exclusiveLocks : held.locks);
    } else if (held.locks + held.exclusiveLocks == 0) {
        held.device.Reset();
    }
    return AsError(result);
}

EError Win32DriveBackend::ReleaseMedium(char letter, bool exclusive) {
    if (!HasRemovableMedia(letter)) {
        return kErrNotSupported;
    }
    std::lock_guard lock(mutex_);
    HeldLocks& held = held_[letter - 'A'];
    int& count = exclusive ? held.exclusiveLocks : held.locks;
    if (count == 0) {
        return kErrNotLocked;
    }
    // Not checked either: should the request fail, closing the handle with the last release
    // below undoes every lock it holds.
    const uint32_t result = PreventRemoval(held.device.Get(), false, exclusive);
    --count;
    if (held.locks + held.exclusiveLocks == 0) {
        held.device.Reset();
    }
    return AsError(result);
}

EError Win32DriveBackend::Eject(char letter) {
    if (!HasRemovableMedia(letter)) {
        return kErrNotSupported;
    }
    QuietDriveErrors quiet;
    std::lock_guard lock(mutex_);
    HeldLocks& held = held_[letter - 'A'];
    if (held.locks + held.exclusiveLocks > 0) {
        return kErrDriveLocked;  // this program's own lock keeps the disk in, as the drive would
    }
    // The volume is flushed, locked against other programs, dismounted and then ejected. When
    // other programs keep files open on it the disk stays in: pulling it from under them could
    // lose what they have not written yet, so the user is left to take it out.
    os::win32::FileHandle device = std::move(held.formatLock);  // already locked, when held
    if (!device) {
        uint32_t error = OpenVolumeDevice(letter, GENERIC_READ | GENERIC_WRITE, device);
        if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT) {
            error = OpenVolumeDevice(letter, GENERIC_READ, device);  // a read-only medium
        }
        if (error != ERROR_SUCCESS) {
            return AsError(error);
        }
        ::FlushFileBuffers(device.Get());  // fails on read-only media, which have nothing to flush
        bool locked = false;
        for (int attempt = 0; attempt < kEjectLockTries && !locked; ++attempt) {
            if (attempt > 0) {
                ::Sleep(kEjectLockPauseMs);
            }
            locked = LockVolume(device.Get()) == ERROR_SUCCESS;
        }
        if (!locked) {
            return kErrDriveLocked;
        }
    }
    // Not checked: a volume that will not dismount is ejected all the same, as it is locked.
    DismountVolume(device.Get());
    PreventRemoval(device.Get(), false, false);  // not checked: this handle holds no lock
    return AsError(EjectMedia(device.Get()));
}

EError Win32DriveBackend::SetProtect(char letter, EProtectState state,
                                     const std::string& /*password: plain volumes have none*/) {
    if (state > kProtectUnknown) {
        return kErrInvalidParameter;
    }
    const MediumFacts medium = ReadMedium(letter);
    if (!medium.present) {
        return kErrNotReady;
    }
    if (state == medium.protection) {
        return kErrNone;
    }
    if (medium.protection == kProtectWrite) {
        // Only the switch on the medium can lift this; nothing here can add a password to it.
        return IsProtectedState(state) ? kErrNotSupported : kErrWriteProtect;
    }
    // A writable volume is already in every writable state; software protection it has not.
    return IsProtectedState(state) ? kErrNotSupported : kErrNone;
}

bool Win32DriveBackend::ForceMediaChange(char letter) {
    QuietDriveErrors quiet;
    os::win32::FileHandle device;
    if (OpenVolumeDevice(letter, 0, device) != ERROR_SUCCESS) {
        return false;
    }
    // Not checked: the request only makes the drive look at its medium again; whether one is in
    // is for hasDisk and testUnitReady to say.
    CheckVerify(device.Get());
    return true;
}

bool Win32DriveBackend::FormatLock(char letter) {
    QuietDriveErrors quiet;
    std::lock_guard lock(mutex_);
    HeldLocks& held = held_[letter - 'A'];
    if (held.formatLock) {
        return true;
    }
    uint32_t attributes = 0;
    if (files_.GetAttributes(RootPathOf(letter), attributes) != os::kErrorSuccess) {
        return false;  // no disk: nothing to lock
    }
    os::win32::FileHandle device;
    if (OpenVolumeDevice(letter, GENERIC_READ | GENERIC_WRITE, device) != ERROR_SUCCESS ||
        LockVolume(device.Get()) != ERROR_SUCCESS) {
        return false;
    }
    held.formatLock = std::move(device);
    return true;
}

EError Win32DriveBackend::FormatUnlock(char letter) {
    std::lock_guard lock(mutex_);
    HeldLocks& held = held_[letter - 'A'];
    if (!held.formatLock) {
        return kErrNotLocked;
    }
    const uint32_t result = UnlockVolume(held.formatLock.Get());
    held.formatLock.Reset();  // closing the handle ends the lock whatever the request said
    return AsError(result);
}

}  // namespace drvKit::win32
