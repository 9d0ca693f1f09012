// The swap of a full disk: let the system write out its cache, put back a protection that was
// lifted, eject the full disk, tell the user what it holds, wait for a new disk with room, adopt
// it as the backup disk and make it writable.

#include "engine/mirror_engine.h"
#include "os/errors.h"

namespace engine {

namespace {

constexpr uint64_t kMiB = 1ULL << 20;
constexpr int kReadyTries = 20;

}  // namespace

uint32_t CKRVMirrorEngine::FlushWaitMs(uint64_t physicalMemory, uint64_t bytesWritten,
                                       uint32_t adapterType) {
    uint32_t base = 0;
    if (physicalMemory >= 128 * kMiB) {
        base = bytesWritten >= 200 * kMiB ? 5000 : bytesWritten >= 100 * kMiB ? 4000 : 0;
    } else if (physicalMemory >= 64 * kMiB) {
        base = bytesWritten >= 200 * kMiB ? 2500 : bytesWritten >= 100 * kMiB ? 1250 : 0;
    }
    uint32_t factor = 0;
    switch (adapterType) {
        case 1:
        case 5:
            factor = 75;
            break;
        case 4:
            factor = 5;
            break;
        case 0:
        case 2:
        case 3:
            factor = 1;
            break;
        default:
            factor = 0;
            break;
    }
    const uint32_t wait = base * factor;
    return wait == 0 ? 5000 : wait;
}

uint32_t CKRVMirrorEngine::DiskFullHandler(const os::FileTime& firstDate,
                                           const os::FileTime& lastDate, uint64_t needed,
                                           const std::string& /*destination*/,
                                           uint64_t bytesWritten) {
    if (!shared_.TryEnterPrompt()) {
        // Another window is up: the copier tries the file again on the same disk, a second from
        // now, until that window closes or the engine stops.
        if (StopRequested()) {
            return os::kErrorOperationAborted;
        }
        machine_.clock.Sleep(1000);
        return os::kErrorRetry;
    }
    uint32_t result = os::kErrorSuccess;
    std::string destination;
    store_.ReadDestination(destination);
    if (!destination.empty()) {
        drvKit::Drive drive(destination[0]);
        machine_.clock.Sleep(FlushWaitMs(machine_.system.PhysicalMemory(), bytesWritten,
                                         drive.getAdapter().getType()));
        drive.makeRemovable(false);
        machine_.clock.Sleep(1000);
        RestoreProtection(drive, 5000);
        machine_.clock.Sleep(1000);
        drive.eject();  // results of drive actions are not checked

        const os::FileTime first = firstDate;
        const os::FileTime last = lastDate;
        int answer = prompts_.DiskFull(first, last);
        machine_.clock.Sleep(50);
        if (answer != kResultOk) {
            result = os::kErrorOperationAborted;
            if (!shared_.stayEnabled) {
                mainWindow_.PostClose();
            }
        }
        const std::string volume = destination.substr(0, destination.find('\\'));
        auto measure = [&]() -> uint64_t {
            drive.forceMediaChange();
            machine_.clock.Sleep(1000);
            if (!drive.hasDisk()) {
                return 0;
            }
            for (int i = 0; i < kReadyTries && !drive.testUnitReady(); ++i) {
                machine_.clock.Sleep(1000);
            }
            os::VolumeSpace space;
            if (machine_.files.GetVolumeSpace(volume, space) != os::kErrorSuccess) {
                return UINT64_MAX;  // a query that fails counts as enough room
            }
            return space.freeBytes;
        };
        uint64_t free = result == os::kErrorSuccess ? measure() : 0;
        while (result == os::kErrorSuccess && free < needed) {
            if (free == 0) {
                uint32_t warnings = 0;
                store_.ReadWarningStatus(warnings);
                answer = warnings == 1 ? prompts_.NoDisk() : kResultCancel;
            } else {
                answer = prompts_.DiskFull(first, last);
            }
            if (answer != kResultOk) {
                result = os::kErrorOperationAborted;
                if (!shared_.stayEnabled) {
                    mainWindow_.PostClose();
                }
                break;
            }
            free = measure();
        }
        if (result == os::kErrorSuccess) {
            drive.makeNonRemovable(false);
            const uint32_t stored = store_.WriteDiskId(drive.getDisk().getIdentifier());
            result = stored != os::kErrorSuccess ? stored : MakeNewDiskWritable();
        }
    } else {
        result = MakeNewDiskWritable();
    }
    shared_.LeavePrompt();
    return result;
}

uint32_t CKRVMirrorEngine::MakeNewDiskWritable() {
    tempUnprotected_ = false;
    std::string destination;
    store_.ReadDestination(destination);
    if (destination.empty()) {
        return os::kErrorOperationAborted;
    }
    drvKit::Drive drive(destination[0]);
    uint32_t state = drive.getDisk().getProtectState();
    for (;;) {
        const bool cd = drive.getFamily() == drvKit::kFamilyCD;
        if (state == 0 || state == 4 || state == 5 || state == 6 || (state == 7 && cd)) {
            return os::kErrorSuccess;
        }
        SecretText password;
        if (state == drvKit::kProtectWrite) {
            if (prompts_.Protected() != kResultOk) {
                return os::kErrorOperationAborted;
            }
        } else if (drvKit::NeedsPassword(state) || state == 7) {
            std::optional<SecretText> typed = prompts_.Password();
            if (!typed) {
                return os::kErrorOperationAborted;
            }
            password = std::move(*typed);
        } else {
            return os::kErrorOperationAborted;
        }
        savedProtectState_ = static_cast<int>(state);
        WaitUntilNoFileIsOpen(drive);
        drive.setProtect(drvKit::kProtectNone,
                         password.text());  // the state read below says how it went
        diskPassword_ = std::move(password);
        state = drive.getDisk().getProtectState();
        if (state == drvKit::kProtectNone) {
            tempUnprotected_ = true;
            return os::kErrorSuccess;
        }
        diskPassword_.Wipe();
    }
}

}  // namespace engine
