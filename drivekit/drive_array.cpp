#include "drivekit/drive_array.h"

namespace drvKit {

DriveArray::DriveArray(EDriveFamily families, bool corvantDrivesOnly)
    : families_(families), corvantDrivesOnly_(corvantDrivesOnly) {}

EError DriveArray::init(EDriveFamily families) {
    drives_.clear();
    const std::shared_ptr<Backend> backend = InstalledBackend();
    if (!backend) {
        return kErrNone;  // no drive library: no drives
    }
    const uint32_t letters = backend->DriveLetters();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if ((letters & (1u << (letter - 'A'))) == 0) {
            continue;
        }
        Drive drive(letter);
        if (!drive.exists()) {
            continue;  // gone between the two questions
        }
        const bool corvant = drive.isCorvantDrive() || drive.isCorvantCDDrive();
        const bool inFamilies = (drive.getFamily() & families) != 0;
        if ((corvant && inFamilies) || (!corvantDrivesOnly_ && !corvant)) {
            drives_.push_back(std::move(drive));
        }
    }
    return kErrNone;
}

Drive& DriveArray::operator[](int index) {
    if (index < 0 || index >= getCount()) {
        outside_ = Drive();  // a caller may have acted on it: hand out a fresh one every time
        return outside_;
    }
    return drives_[static_cast<size_t>(index)];
}

const Drive& DriveArray::operator[](int index) const {
    static const Drive kOutside;
    if (index < 0 || index >= getCount()) {
        return kOutside;
    }
    return drives_[static_cast<size_t>(index)];
}

}  // namespace drvKit
