#include "drivekit/sim/sim_drive_backend.h"

#include <algorithm>

#include "drivekit/drvkit_text.h"

namespace drvKit::sim {

namespace {

// "F:", the form in which the simulated file system names its drives.
std::string DriveKey(char letter) {
    return std::string{letter, ':'};
}

bool IsCDFamily(EDriveFamily family) {
    return (family & kFamilyCD) != 0;
}

std::string DefaultKindName(EDriveFamily family, int subFamily) {
    if (IsCDFamily(family)) {
        return std::string(kKindCD);
    }
    if (family == kFamilyExternalDisk) {
        return std::string(kKindLocalDisk);
    }
    if (subFamily == kSubFamilyFloppy) {
        return std::string(kKindFloppy);
    }
    return std::string(kKindRemovableDisk);
}

os::DriveType FileSystemTypeOf(const SimDriveSpec& setup) {
    if (IsCDFamily(setup.family)) {
        return os::DriveType::CdRom;
    }
    const bool removable = setup.removable.value_or(setup.family != kFamilyExternalDisk);
    return removable ? os::DriveType::Removable : os::DriveType::Fixed;
}

}  // namespace

SimDriveBackend::SimDriveBackend(os::sim::SimFileSystem& files) : files_(files) {}

SimDriveBackend::SimDrive* SimDriveBackend::FindLocked(char letter) {
    auto found = drives_.find(NormalizeDriveLetter(letter));
    return found == drives_.end() ? nullptr : &found->second;
}

std::shared_ptr<SimDisk> SimDriveBackend::DiskInLocked(char letter) {
    const std::shared_ptr<os::sim::SimMedium> medium = files_.MediumIn(DriveKey(letter));
    if (!medium) {
        return nullptr;
    }
    for (const auto& disk : disks_) {
        if (disk->medium_ == medium) {
            return disk;
        }
    }
    return nullptr;
}

EError SimDriveBackend::RecordLocked(SimRequest request) {
    requests_.push_back(request);
    return request.result;
}

// ---------------------------------------------------------------------------------------------
// Test controls

void SimDriveBackend::AddDrive(char letter, const SimDriveSpec& setup) {
    const char upper = NormalizeDriveLetter(letter);
    std::lock_guard lock(mutex_);
    SimDrive drive;
    drive.setup = setup;
    if (!drive.setup.removable) {
        drive.setup.removable = setup.family != kFamilyExternalDisk;
    }
    if (drive.setup.kindName.empty()) {
        drive.setup.kindName = DefaultKindName(setup.family, setup.subFamily);
    }
    files_.AddDrive(DriveKey(upper), FileSystemTypeOf(drive.setup), nullptr);
    drives_[upper] = std::move(drive);
}

std::shared_ptr<SimDisk> SimDriveBackend::CreateDisk(const SimDiskSpec& setup) {
    os::sim::SimMediumSpec medium;
    medium.label = setup.label;
    medium.serialNumber = setup.serialNumber;
    medium.capacityBytes = setup.capacityBytes;
    medium.bytesPerSector = setup.bytesPerSector;
    medium.sectorsPerCluster = setup.sectorsPerCluster;
    medium.fileSystem = setup.fileSystem;
    medium.fileSystemRules = setup.fileSystemRules;
    medium.maximumComponentLength = setup.maximumComponentLength;
    medium.writeCache = setup.writeCache;
    medium.writeProtected = setup.writeProtectSwitch || IsProtectedState(setup.protection);
    auto disk = std::make_shared<SimDisk>();
    disk->medium_ = files_.CreateMedium(medium);
    disk->identifier_ =
        setup.identifier.empty() ? FormatVolumeSerial(setup.serialNumber) : setup.identifier;
    disk->protection_ = setup.writeProtectSwitch ? kProtectWrite : setup.protection;
    disk->password_ = setup.password;
    disk->writeProtectSwitch_ = setup.writeProtectSwitch;
    disk->sizesUnavailable_ = setup.sizesUnavailable;
    std::lock_guard lock(mutex_);
    disks_.push_back(disk);
    return disk;
}

void SimDriveBackend::InsertDisk(char letter, std::shared_ptr<SimDisk> disk) {
    std::lock_guard lock(mutex_);
    if (FindLocked(letter) == nullptr || !disk) {
        return;
    }
    files_.InsertMedium(DriveKey(NormalizeDriveLetter(letter)), disk->medium_);
}

std::shared_ptr<SimDisk> SimDriveBackend::RemoveDisk(char letter) {
    std::lock_guard lock(mutex_);
    SimDrive* drive = FindLocked(letter);
    if (drive == nullptr) {
        return nullptr;
    }
    std::shared_ptr<SimDisk> disk = DiskInLocked(NormalizeDriveLetter(letter));
    files_.EjectMedium(DriveKey(NormalizeDriveLetter(letter)));
    drive->formatLocked = false;  // the volume it locked is gone
    return disk;
}

std::shared_ptr<SimDisk> SimDriveBackend::DiskIn(char letter) {
    std::lock_guard lock(mutex_);
    return FindLocked(letter) == nullptr ? nullptr : DiskInLocked(NormalizeDriveLetter(letter));
}

EProtectState SimDriveBackend::ProtectionOf(const SimDisk& disk) {
    std::lock_guard lock(mutex_);
    return disk.protection_;
}

std::string SimDriveBackend::PasswordOf(const SimDisk& disk) {
    std::lock_guard lock(mutex_);
    return disk.password_;
}

void SimDriveBackend::FailFormatLock(char letter, int times) {
    std::lock_guard lock(mutex_);
    if (SimDrive* drive = FindLocked(letter)) {
        drive->formatLockFailures = times;
    }
}

void SimDriveBackend::BecomeReadyAfter(char letter, int tests) {
    std::lock_guard lock(mutex_);
    if (SimDrive* drive = FindLocked(letter)) {
        drive->notReadyTests = tests;
    }
}

std::vector<SimRequest> SimDriveBackend::Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
}

void SimDriveBackend::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

int SimDriveBackend::LockCount(char letter) {
    std::lock_guard lock(mutex_);
    const SimDrive* drive = FindLocked(letter);
    return drive == nullptr ? 0 : drive->locks + drive->exclusiveLocks;
}

bool SimDriveBackend::IsFormatLocked(char letter) {
    std::lock_guard lock(mutex_);
    const SimDrive* drive = FindLocked(letter);
    return drive != nullptr && drive->formatLocked;
}

// ---------------------------------------------------------------------------------------------
// Queries

uint32_t SimDriveBackend::DriveLetters() {
    return files_.LogicalDrives();
}

DriveFacts SimDriveBackend::DescribeDrive(char letter) {
    std::lock_guard lock(mutex_);
    DriveFacts facts;
    const SimDrive* drive = FindLocked(letter);
    if (drive == nullptr) {
        // A drive of the machine that is not the maker's, such as the system disk.
        const os::DriveType type = files_.GetDriveType(RootPathOf(letter));
        facts.present = type != os::DriveType::NoRootDirectory && type != os::DriveType::Unknown;
        if (!facts.present) {
            return facts;
        }
        facts.removable = type == os::DriveType::Removable || type == os::DriveType::CdRom;
        facts.kindName = type == os::DriveType::CdRom       ? std::string(kKindCD)
                         : type == os::DriveType::Removable ? std::string(kKindRemovableDisk)
                                                            : std::string(kKindLocalDisk);
        return facts;
    }
    facts.present = true;
    facts.corvantCDDrive = IsCDFamily(drive->setup.family);
    facts.corvantDrive = !facts.corvantCDDrive && drive->setup.family != kFamilyNone;
    facts.removable = drive->setup.removable.value_or(true);
    facts.family = drive->setup.family;
    facts.subFamily = drive->setup.subFamily;
    facts.adapter = drive->setup.adapter;
    facts.kindName = drive->setup.kindName;
    return facts;
}

MediumFacts SimDriveBackend::ReadMedium(char letter) {
    std::lock_guard lock(mutex_);
    MediumFacts facts;
    const std::string root = RootPathOf(letter);
    os::VolumeInfo info;
    if (!files_.MediumIn(DriveKey(letter)) || files_.GetVolumeInfo(root, info) != 0) {
        return facts;
    }
    const std::shared_ptr<SimDisk> disk = DiskInLocked(letter);
    facts.present = true;
    facts.volumeName = info.label;
    facts.identifier = disk ? disk->identifier_ : FormatVolumeSerial(info.serialNumber);
    facts.protection = disk ? disk->protection_ : kProtectNone;
    if (info.readOnly && !IsProtectedState(facts.protection)) {
        facts.protection = kProtectWrite;  // write-protected through the file system directly
        facts.switchProtected = !disk;     // a SimDisk's protection the library can still lift
    }
    if (disk && disk->writeProtectSwitch_) {
        facts.switchProtected = true;
    }
    os::VolumeSpace space;
    if ((!disk || !disk->sizesUnavailable_) && files_.GetVolumeSpace(root, space) == 0) {
        facts.sizesKnown = true;
        facts.capacityBytes = space.totalBytes;
        facts.freeBytes = space.freeBytes;
    }
    return facts;
}

uint64_t SimDriveBackend::MaxRawCapacity(char letter) {
    std::lock_guard lock(mutex_);
    const SimDrive* drive = FindLocked(letter);
    return drive == nullptr ? 0 : drive->setup.maxRawCapacity;
}

bool SimDriveBackend::TestUnitReady(char letter) {
    std::lock_guard lock(mutex_);
    SimDrive* drive = FindLocked(letter);
    if (drive == nullptr) {
        return files_.MediumIn(DriveKey(letter)) != nullptr;
    }
    if (!files_.MediumIn(DriveKey(letter))) {
        return false;
    }
    if (drive->notReadyTests > 0) {
        --drive->notReadyTests;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Actions

EError SimDriveBackend::LockMedium(char letter, bool exclusive) {
    std::lock_guard lock(mutex_);
    SimRequest request{letter, SimRequestKind::Lock, exclusive};
    SimDrive* drive = FindLocked(letter);
    if (drive == nullptr) {
        request.result = kErrInvalidDrive;
    } else if (!drive->setup.removable.value_or(true)) {
        request.result = kErrNotSupported;  // nothing to lock in a fixed disk
    } else {
        ++(exclusive ? drive->exclusiveLocks : drive->locks);
    }
    return RecordLocked(request);
}

EError SimDriveBackend::ReleaseMedium(char letter, bool exclusive) {
    std::lock_guard lock(mutex_);
    SimRequest request{letter, SimRequestKind::Release, exclusive};
    SimDrive* drive = FindLocked(letter);
    if (drive == nullptr) {
        request.result = kErrInvalidDrive;
    } else if (!drive->setup.removable.value_or(true)) {
        request.result = kErrNotSupported;
    } else {
        int& count = exclusive ? drive->exclusiveLocks : drive->locks;
        if (count == 0) {
            request.result = kErrNotLocked;
        } else {
            --count;
        }
    }
    return RecordLocked(request);
}

EError SimDriveBackend::Eject(char letter) {
    std::lock_guard lock(mutex_);
    SimRequest request{letter, SimRequestKind::Eject};
    SimDrive* drive = FindLocked(letter);
    if (drive == nullptr) {
        request.result = kErrInvalidDrive;
    } else if (!drive->setup.removable.value_or(true)) {
        request.result = kErrNotSupported;
    } else if (drive->locks + drive->exclusiveLocks > 0) {
        request.result = kErrDriveLocked;  // a locked drive keeps its disk
    } else if (!files_.MediumIn(DriveKey(letter))) {
        request.result = kErrNotReady;
    } else {
        files_.EjectMedium(DriveKey(letter));
        drive->formatLocked = false;
    }
    return RecordLocked(request);
}

EError SimDriveBackend::SetProtect(char letter, EProtectState state, const std::string& password) {
    std::lock_guard lock(mutex_);
    SimRequest request{letter, SimRequestKind::SetProtect, false, state, password};
    const std::shared_ptr<SimDisk> disk = FindLocked(letter) ? DiskInLocked(letter) : nullptr;
    if (FindLocked(letter) == nullptr) {
        request.result = kErrInvalidDrive;
    } else if (!files_.MediumIn(DriveKey(letter))) {
        request.result = kErrNotReady;
    } else if (!disk) {
        request.result = kErrNotSupported;  // a plain medium has no protection of the maker's
    } else if (state > kProtectUnknown || (NeedsPassword(state) && password.empty())) {
        request.result = kErrInvalidParameter;
    } else if (disk->writeProtectSwitch_) {
        request.result = state == kProtectWrite ? kErrNone : kErrWriteProtect;
    } else if (NeedsPassword(disk->protection_) && password != disk->password_) {
        request.result = kErrInvalidPassword;  // leaving or keeping a password state needs it
    } else {
        disk->protection_ = state;
        disk->password_ = NeedsPassword(state) ? password : std::string();
        files_.SetWriteProtected(DriveKey(letter), IsProtectedState(state));
    }
    return RecordLocked(request);
}

bool SimDriveBackend::ForceMediaChange(char letter) {
    std::lock_guard lock(mutex_);
    SimRequest request{letter, SimRequestKind::ForceMediaChange};
    if (FindLocked(letter) == nullptr) {
        request.result = kErrInvalidDrive;
    }
    return RecordLocked(request) == kErrNone;
}

bool SimDriveBackend::FormatLock(char letter) {
    std::lock_guard lock(mutex_);
    SimRequest request{letter, SimRequestKind::FormatLock};
    SimDrive* drive = FindLocked(letter);
    if (drive == nullptr) {
        request.result = kErrInvalidDrive;
    } else if (!files_.MediumIn(DriveKey(letter))) {
        request.result = kErrNotReady;
    } else if (drive->formatLockFailures > 0) {
        --drive->formatLockFailures;
        request.result = kErrDriveLocked;
    } else {
        drive->formatLocked = true;
    }
    return RecordLocked(request) == kErrNone;
}

EError SimDriveBackend::FormatUnlock(char letter) {
    std::lock_guard lock(mutex_);
    SimRequest request{letter, SimRequestKind::FormatUnlock};
    SimDrive* drive = FindLocked(letter);
    if (drive == nullptr) {
        request.result = kErrInvalidDrive;
    } else if (!drive->formatLocked) {
        request.result = kErrNotLocked;
    } else {
        drive->formatLocked = false;
    }
    return RecordLocked(request);
}

// ---------------------------------------------------------------------------------------------

SimDriveKit::SimDriveKit(os::sim::SimFileSystem& files) {
    auto backend = std::make_unique<SimDriveBackend>(files);
    backend_ = backend.get();
    InstallBackend(std::move(backend));
}

SimDriveKit::~SimDriveKit() {
    InstallBackend(nullptr);
}

}  // namespace drvKit::sim
