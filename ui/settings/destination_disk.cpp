#include "ui/settings/destination_disk.h"

#include "drivekit/drive.h"

namespace ui {

namespace {

bool IsDriveRoot(const std::string& destination) {
    if (destination.size() < 2 || destination[1] != ':') {
        return false;
    }
    const char letter = destination[0];
    return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}

}  // namespace

DestinationDisk LookAtDestinationDisk(const std::string& destination) {
    DestinationDisk seen;
    if (!IsDriveRoot(destination)) {
        return seen;
    }
    drvKit::Drive drive(destination.front());
    if (!drive.hasDisk()) {
        return seen;
    }
    seen.hasDisk = true;
    // Results of drive-library actions are not checked: the sizes are read either way.
    (void)drive.makeNonRemovable(false);
    const drvKit::Disk disk = drive.getDisk();
    if (drive.isRemovable()) {
        (void)drive.makeRemovable(false);
    }
    seen.sizesUnavailable = disk.isSizeUnavailable();
    seen.freeBytes = disk.getFreeSpace().get();
    seen.isProtected = disk.isProtected() != 0;
    return seen;
}

std::string FreeSpaceText(std::string_view pattern, const DestinationDisk& disk) {
    const std::string megabytes = disk.hasDisk && !disk.sizesUnavailable
                                      ? std::to_string(disk.freeBytes >> 20)
                                      : std::string("??");
    std::string text;
    text.reserve(pattern.size() + megabytes.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == '1') {
            text += megabytes;
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

}  // namespace ui
