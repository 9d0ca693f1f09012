// How long one rebuild of the drive list takes: the array built and initialised, and every
// drive's disk read for its volume name, as the sync pass, the settings pages, the wizard and the
// splash window each do under the drive-array mutex. Prints the time per rebuild for simulated
// machines of 1, 8 and 24 of the maker's drives; in the Windows tree, "--real" measures the
// volumes of the machine it runs on instead.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "drivekit/drvkit.h"
#include "drivekit/sim/sim_drive_backend.h"
#include "os/sim/sim_machine.h"

#ifdef _WIN32
#include "drivekit/win32/win32_drive_backend.h"
#include "os/win32/win32_file_system.h"
#endif

namespace {

// One rebuild; returns the number of drives, so that the work cannot be left out.
size_t Rebuild(std::vector<std::string>& volumeNames) {
    drvKit::DriveArray array(drvKit::EDriveFamily(0xFF), true);
    // A failed init leaves the array empty, which the count shows.
    static_cast<void>(array.init(drvKit::EDriveFamily(0x80FF)));
    volumeNames.clear();
    for (int i = 0; i < array.getCount(); ++i) {
        const drvKit::Drive& drive = array[i];
        volumeNames.push_back(drive.hasDisk() ? drive.getDisk().getVolumeName() : "( No disk )");
    }
    return volumeNames.size();
}

void Measure(const char* what, int rounds) {
    std::vector<std::string> names;
    size_t drives = Rebuild(names);  // warm-up
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        drives = Rebuild(names);
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const double microseconds = std::chrono::duration<double, std::micro>(elapsed).count() / rounds;
    std::printf("%-34s %2zu drives  %10.1f us per rebuild (%d rounds)\n", what, drives,
                microseconds, rounds);
}

void MeasureSimulated(int driveCount) {
    os::sim::SimMachine sim;
    drvKit::sim::SimDriveKit drives(sim.files());
    for (int i = 0; i < driveCount; ++i) {
        const char letter = static_cast<char>('D' + i);
        drives->AddDrive(letter);
        if (i % 2 == 0) {  // every other drive holds a disk
            drvKit::sim::SimDiskSpec setup;
            setup.label = "BACKUP" + std::to_string(i);
            setup.serialNumber = 0x10000000u + static_cast<uint32_t>(i);
            drives->InsertDisk(letter, drives->CreateDisk(setup));
        }
    }
    const std::string what = "simulated, " + std::to_string(driveCount) + " maker's drives";
    Measure(what.c_str(), 2000);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--real") == 0) {
#ifdef _WIN32
        os::win32::Win32FileSystem files;
        drvKit::InstallBackend(std::make_unique<drvKit::win32::Win32DriveBackend>(files));
        Measure("this machine's volumes", 50);
        drvKit::InstallBackend(nullptr);
        return 0;
#else
        std::fprintf(stderr, "--real needs the Windows build\n");
        return 2;
#endif
    }
    for (int count : {1, 8, 23}) {
        MeasureSimulated(count);
    }
    return 0;
}
