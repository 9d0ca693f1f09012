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
    if (StopRequested()) {
        return os::kErrorOperationAborted;
    }
    if (!shared_.TryEnterPrompt()) {
        // Another window is up: the copier tries the file again on the same disk, a second from
        // now, until that window closes or the engine stops.
        return Pause(1000) ? os::kErrorOperationAborted : os::kErrorRetry;
    }
    bool disable = false;
    const uint32_t result = SwapFullDisk(firstDate, lastDate, needed, bytesWritten, disable);
    shared_.LeavePrompt();
    if (disable) {
        mainWindow_.PostClose();  // after the guard is free: the window ignores it while held
    }
    return result;
}

// The steps of the swap, under the prompt guard. A stop ends it with 995 at its next pause.
uint32_t CKRVMirrorEngine::SwapFullDisk(const os::FileTime& firstDate, const os::FileTime& lastDate,
                                        uint64_t needed, uint64_t bytesWritten, bool& disable) {
    std::string destination;
    static_cast<void>(store_.ReadDestination(destination));  // kept ("") when missing
    if (destination.empty()) {
        return MakeNewDiskWritable();
    }
    drvKit::Drive drive(destination[0]);
    // Results of drive actions are not checked.
    if (Pause(FlushWaitMs(machine_.system.PhysicalMemory(), bytesWritten,
                          drive.getAdapter().getType()))) {
        return os::kErrorOperationAborted;
    }
    static_cast<void>(drive.makeRemovable(false));
    if (Pause(1000)) {
        return os::kErrorOperationAborted;
    }
    RestoreProtection(drive, 5000);
    if (Pause(1000)) {
        return os::kErrorOperationAborted;
    }
    static_cast<void>(drive.eject());

    const os::FileTime first = firstDate;
    const os::FileTime last = lastDate;
    int answer = prompts_.DiskFull(first, last);
    if (answer != kResultOk) {
        disable = !shared_.stayEnabled;
        return os::kErrorOperationAborted;
    }
    if (Pause(50)) {
        return os::kErrorOperationAborted;
    }
    const std::string volume = destination.substr(0, destination.find('\\'));
    bool stopped = false;
    auto measure = [&]() -> uint64_t {
        static_cast<void>(drive.forceMediaChange());
        if (Pause(1000)) {
            stopped = true;
            return 0;
        }
        if (!drive.hasDisk()) {
            return 0;
        }
        for (int i = 0; i < kReadyTries && !drive.testUnitReady(); ++i) {
            if (Pause(1000)) {
                stopped = true;
                return 0;
            }
        }
        os::VolumeSpace space;
        if (machine_.files.GetVolumeSpace(volume, space) != os::kErrorSuccess) {
            return UINT64_MAX;  // a query that fails counts as enough room
        }
        return space.freeBytes;
    };
    for (uint64_t free = measure(); free < needed || stopped; free = measure()) {
        if (stopped) {
            return os::kErrorOperationAborted;
        }
        if (free == 0) {
            uint32_t warnings = 0;
            static_cast<void>(store_.ReadWarningStatus(warnings));  // missing: no warnings
            answer = warnings == 1 ? prompts_.NoDisk() : kResultCancel;
        } else {
            answer = prompts_.DiskFull(first, last);
        }
        if (answer != kResultOk) {
            disable = !shared_.stayEnabled;
            return os::kErrorOperationAborted;
        }
    }
    static_cast<void>(drive.makeNonRemovable(false));
    uint32_t stored = os::kErrorSuccess;
    WriteSetting([&] { stored = store_.WriteDiskId(drive.getDisk().getIdentifier()); });
    return stored != os::kErrorSuccess ? stored : MakeNewDiskWritable();
}

uint32_t CKRVMirrorEngine::MakeNewDiskWritable() {
    tempUnprotected_ = false;
    std::string destination;
    static_cast<void>(store_.ReadDestination(destination));  // kept ("") when missing
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
        if (state == drvKit::kProtectWrite && drive.getDisk().isSwitchProtected()) {
            ReportWriteProtectSwitch(true);  // no prompt can lift it
            return os::kErrorOperationAborted;
        }
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
        // The state read below says how it went.
        static_cast<void>(drive.setProtect(drvKit::kProtectNone, password.text()));
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
