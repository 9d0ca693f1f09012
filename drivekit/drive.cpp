#include "drivekit/drive.h"

#include "drivekit/drvkit_text.h"

namespace drvKit {

Drive::Drive(char letter) : letter_(NormalizeDriveLetter(letter)) {
    if (letter_ == '\0') {
        return;
    }
    backend_ = InstalledBackend();
    if (backend_) {
        facts_ = backend_->DescribeDrive(letter_);  // says whether the drive is there
    }
}

bool Drive::hasDisk() const {
    return exists() && backend_->ReadMedium(letter_).present;
}

bool Drive::testUnitReady() const {
    return exists() && backend_->TestUnitReady(letter_);
}

Disk Drive::getDisk() const {
    if (!exists()) {
        return Disk();
    }
    MediumFacts medium = backend_->ReadMedium(letter_);
    if (!medium.present) {
        return Disk();  // whatever else the backend said about an absent disk does not count
    }
    return Disk(std::move(medium));
}

std::string Drive::getLabelText() const {
    if (letter_ == '\0') {
        return {};
    }
    std::string volumeName;
    if (exists()) {
        const MediumFacts medium = backend_->ReadMedium(letter_);
        if (medium.present) {
            volumeName = medium.volumeName;
        }
    }
    return LabelText(volumeName, facts_.kindName, letter_);
}

QWord Drive::getMaxRawCapacity() const {
    return exists() ? backend_->MaxRawCapacity(letter_) : 0;
}

std::string Drive::getDrvRootPath() const {
    return RootPathOf(letter_);
}

int Drive::getIcon(EIconSize /*size: the same resource holds both images*/) const {
    return IconForSubFamily(facts_.subFamily);
}

EError Drive::makeNonRemovable(bool exclusive) {
    return exists() ? backend_->LockMedium(letter_, exclusive) : kErrInvalidDrive;
}

EError Drive::makeRemovable(bool exclusive) {
    return exists() ? backend_->ReleaseMedium(letter_, exclusive) : kErrInvalidDrive;
}

EError Drive::eject() {
    return exists() ? backend_->Eject(letter_) : kErrInvalidDrive;
}

EError Drive::setProtect(EProtectState state, const std::string& password) {
    return exists() ? backend_->SetProtect(letter_, state, password) : kErrInvalidDrive;
}

bool Drive::forceMediaChange() {
    return exists() && backend_->ForceMediaChange(letter_);
}

bool Drive::osFormatLock() {
    return exists() && backend_->FormatLock(letter_);
}

EError Drive::osFormatUnlock() {
    return exists() ? backend_->FormatUnlock(letter_) : kErrInvalidDrive;
}

}  // namespace drvKit
