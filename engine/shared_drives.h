#pragma once
// The one drive list of the process, with the volume name of each drive's disk: the sync pass,
// the settings pages, the wizard and the splash window rebuild it, each under its mutex.

#include <mutex>
#include <string>
#include <vector>

#include "drivekit/drive_array.h"

namespace engine {

// What a drive without a disk shows for its volume name (string 2 of the program).
inline constexpr char kNoDiskInDrive[] = "( No disk in drive )";

struct SharedDrives {
    std::mutex mutex;
    drvKit::DriveArray array{drvKit::kFamilyAllDisks, true};
    std::vector<std::string> volumeNames;

    // Replaces the array with the maker's drives of every family and collects their volume
    // names; the caller holds the mutex.
    void RebuildLocked() {
        array = drvKit::DriveArray(drvKit::kFamilyAllDisks, true);
        // Results of drive-library actions are not checked: a failed init leaves the list empty.
        static_cast<void>(array.init(drvKit::kFamilyAll));
        volumeNames.clear();
        for (int i = 0; i < array.getCount(); ++i) {
            const drvKit::Drive& drive = array[i];
            volumeNames.push_back(drive.hasDisk() ? drive.getDisk().getVolumeName()
                                                  : kNoDiskInDrive);
        }
    }
};

}  // namespace engine
