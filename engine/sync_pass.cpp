// The sync pass: scan the source folders, find the backup disk, copy, warn when the disk is
// filling, put the disk's protection back and store the new last-sync time.

#include "engine/mirror_engine.h"
#include "os/errors.h"

namespace engine {

namespace {

constexpr uint32_t kAfterCopyMs = 5000;  // the progress dialog shows 100 % meanwhile
constexpr uint32_t kAfterReleaseMs = 1000;
constexpr uint32_t kBeforeRestoreMs = 5000;
constexpr int kFormatLockTries = 30;
constexpr uint32_t kCdCapacity = 566231040;  // 540 MB: what a CD drive that reports 0 holds
constexpr uint32_t kBusyPromptRetryMs = 1000;

bool IsWritableState(uint32_t state) {
    return state == 0 || state == 4 || state == 5 || state == 6 || state == 7;
}

}  // namespace

drvKit::Drive CKRVMirrorEngine::DestinationDrive() const {
    const std::string destination = snapshot().destination;
    return destination.empty() ? drvKit::Drive() : drvKit::Drive(destination[0]);
}

bool CKRVMirrorEngine::DestinationLost() const {
    std::string root = snapshot().destination;
    if (root.size() < 2) {
        return true;
    }
    root = root.substr(0, 2) + "\\";
    uint32_t attributes = 0;
    return machine_.files.GetAttributes(root, attributes) != os::kErrorSuccess;
}

uint32_t CKRVMirrorEngine::RunPass(bool showProgress) {
    return RunPassOver(snapshot().sources, snapshot().lastSync, showProgress, true);
}

uint32_t CKRVMirrorEngine::RunPassForFolders(const std::vector<std::string>& folders,
                                             bool showProgress) {
    return RunPassOver(folders, 0, showProgress, false);
}

uint32_t CKRVMirrorEngine::RunPassOver(const std::vector<std::string>& givenFolders,
                                       os::FileTime givenSince, bool showProgress, bool storeTime) {
    LoadSettings();
    Snapshot settings = snapshot();
    if (settings.destination.empty()) {
        return os::kErrorSuccess;
    }
    // RunPass scans the stored folders from the stored time, as the snapshot now has them.
    const std::vector<std::string> folders = storeTime ? settings.sources : givenFolders;
    const os::FileTime since = storeTime ? settings.lastSync : givenSince;
    copier_.SetRevisionLimit(settings.revisions);
    candidates_.Clear();
    destinationLost_ = false;
    for (const std::string& folder : folders) {
        // The scan only fails when it is cancelled: the engine is stopping.
        if (const uint32_t error =
                scanner_.ScanFolder(folder, settings.exclusions, since, candidates_)) {
            return error;
        }
    }
    if (candidates_.Count() == 0 && retryList_.Count() == 0) {
        return os::kErrorSuccess;
    }
    if (LocateBackupDisk() != 1 || StopRequested()) {
        return os::kErrorSuccess;  // nothing copied: the same files are due next time
    }
    settings = snapshot();  // the disk may have moved to another drive letter
    os::FileTime newTime = since;
    drvKit::Drive drive = DestinationDrive();
    const bool wasRemovable = drive.isRemovable();
    drive.makeNonRemovable(false);  // the medium stays in its drive during the copy; not checked

    const bool progress = showProgress || shared_.shutdownCopyPending;
    shared_.progress.percent = 0;
    if (progress) {
        shared_.progress.shown = true;
        StartProgress();
    }
    uint32_t result = copier_.CopyPass(candidates_, settings.destination, retryList_, newTime);
    if (result != os::kErrorSuccess && DestinationLost()) {
        // The disk left its drive in the retry part of the pass: the files stay due.
        if (!destinationLost_.exchange(true)) {
            FileError(settings.destination, result);
        }
        result = os::kErrorSuccess;
    }
    machine_.clock.Sleep(kAfterCopyMs);
    shared_.progress.percent = 100;  // closes the dialog and ends the poll thread
    FinishProgress();
    shared_.progress.shown = false;

    if (!destinationLost_) {
        CheckDiskFilling();
    }
    if (wasRemovable) {
        drive.makeRemovable(false);  // not checked
    }
    machine_.clock.Sleep(kAfterReleaseMs);
    FinishPass();
    if (result != os::kErrorSuccess || !storeTime) {
        return result;
    }
    return StoreLastSyncTime(since, newTime);
}

int CKRVMirrorEngine::LocateBackupDisk() {
    tempUnprotected_ = false;
    savedProtectState_ = drvKit::kProtectUnknown;
    std::string stored;
    {
        // Follow the backup disk to whatever drive letter it has now.
        std::lock_guard lock(drives_.mutex);
        drives_.RebuildLocked();
        store_.ReadDiskId(stored);
        for (int i = 0; i < drives_.array.getCount(); ++i) {
            const drvKit::Drive& candidate = drives_.array[i];
            if (candidate.hasDisk() && candidate.getDisk().getIdentifier() == stored) {
                store_.WriteDestination(candidate.getDrvRootPath());
                LoadSettings();
                break;
            }
        }
    }
    if (snapshot().destination.empty()) {
        return 0;
    }
    drvKit::Drive drive = DestinationDrive();
    std::string current = drive.getDisk().getIdentifier();
    store_.ReadDiskId(stored);

    uint32_t warnings = 0;
    store_.ReadWarningStatus(warnings);
    const bool makersDrive = drive.isCorvantDrive() || drive.isCorvantCDDrive();
    if (warnings == 1 && !makersDrive) {
        // The destination is not a drive this program can use.
        prompts_.FileError(snapshot().destination, os::kErrorInvalidDrive);
    } else if (warnings == 1) {
        int answer = kResultOk;
        while (!StopRequested()) {
            if (current == stored) {
                break;
            }
            if (stored == "0") {
                // No backup disk chosen yet: offer the disk in the drive.
                PromptGuard guard(shared_);
                if (!guard.held()) {
                    if (!CanWaitForPromptGuard()) {
                        break;
                    }
                    machine_.clock.Sleep(
                        kBusyPromptRetryMs);  // another window is up: look again soon
                    continue;
                }
                answer =
                    prompts_.InsertDisk(drive.getIcon(drvKit::kIconLarge), drive.getLabelText());
                if (answer == kResultOk) {
                    store_.WriteDiskId(current);
                    store_.ReadDiskId(stored);
                }
            } else {
                bool busy = false;
                {
                    std::lock_guard lock(drives_.mutex);
                    drives_.RebuildLocked();
                    bool found = false;
                    for (int i = 0; i < drives_.array.getCount() && !found; ++i) {
                        const drvKit::Drive& candidate = drives_.array[i];
                        if (candidate.hasDisk() && candidate.getDisk().getIdentifier() == stored) {
                            store_.WriteDestination(candidate.getDrvRootPath());
                            found = true;
                        }
                    }
                    if (!found) {
                        PromptGuard guard(shared_);
                        if (!guard.held()) {
                            busy = true;
                        } else {
                            uint32_t notCurrent = 0;
                            store_.ReadNotCurrentStatus(notCurrent);
                            if (drive.hasDisk()) {
                                answer = notCurrent == 1 ? prompts_.WrongDisk() : kResultCancel;
                            } else {
                                answer = prompts_.NoDisk();
                            }
                        }
                    }
                }
                if (!shared_.stayEnabled) {
                    mainWindow_.PostClose();
                }
                if (busy) {
                    // Another window holds the prompt guard: look at the drives again in a
                    // second, until it closes, the disk appears or the engine stops. Without a
                    // worker to stop (a copy run for the settings) this attempt gives up.
                    if (!CanWaitForPromptGuard()) {
                        break;
                    }
                    machine_.clock.Sleep(kBusyPromptRetryMs);
                }
                LoadSettings();
                drive = DestinationDrive();
                current = drive.getDisk().getIdentifier();
            }
            if (answer == kResultMakeCurrentDisk) {
                if (!current.empty()) {
                    store_.WriteDiskId(current);
                    store_.ReadDiskId(stored);
                    break;
                }
                answer = kResultOk;
            }
            if (answer != kResultOk) {
                break;
            }
        }
    }
    if (current == stored && !current.empty() &&
        (drive.isCorvantDrive() || drive.isCorvantCDDrive())) {
        return AcceptBackupDisk(drive, current);
    }
    return 0;
}

int CKRVMirrorEngine::AcceptBackupDisk(drvKit::Drive& drive, const std::string& identifier) {
    uint32_t state = drive.getDisk().getProtectState();
    for (;;) {
        if (IsWritableState(state)) {
            store_.WriteDiskId(identifier);
            return 1;
        }
        if (!drvKit::IsProtectedState(state)) {
            return 0;
        }
        SecretText password;
        {
            PromptGuard guard(shared_);
            if (!guard.held()) {
                return 0;  // another window is up: this pass does not copy
            }
            if (drvKit::NeedsPassword(state)) {
                std::optional<SecretText> typed = prompts_.Password();
                if (!typed) {
                    return 0;
                }
                password = std::move(*typed);
            } else if (prompts_.Protected() != kResultOk) {
                return 0;
            }
        }
        savedProtectState_ = static_cast<int>(state);
        diskPassword_ = password.Copy();
        drive.setProtect(drvKit::kProtectNone,
                         password.text());  // the state read below says how it went
        state = drive.getDisk().getProtectState();
        if (state == drvKit::kProtectNone) {
            tempUnprotected_ = true;
            store_.WriteDiskId(identifier);
            return 1;
        }
        diskPassword_.Wipe();  // a wrong password is not kept
    }
}

void CKRVMirrorEngine::CheckDiskFilling() {
    uint32_t warn = 0;
    if (store_.ReadBuyStatus(warn) != os::kErrorSuccess || warn != 1) {
        return;
    }
    drvKit::Drive drive = DestinationDrive();
    const drvKit::Disk disk = drive.getDisk();
    uint64_t capacity = disk.getCapacity().get();
    const uint64_t used = disk.getUsedSpace().get();
    if (capacity == 0 && drive.getFamily() == drvKit::kFamilyCD) {
        capacity = kCdCapacity;
    }
    const uint64_t hundredth = capacity / 100;
    if (hundredth != 0 && used / hundredth >= 75) {
        prompts_.DiskBecomingFull();
    }
}

void CKRVMirrorEngine::FinishPass() {
    if (shared_.wizardRan) {
        if (wizardFinish_ != nullptr && wizardFinish_->ShowFinishPage()) {
            mainWindow_.PostOpen();
        }
        shared_.wizardRan = false;
    }
    if (tempUnprotected_) {
        drvKit::Drive drive = DestinationDrive();
        RestoreProtection(drive, kBeforeRestoreMs);
    }
}

// The format lock is granted only while no file of the disk is open: taking it (and letting it go
// at once) waits for the system and other programs to let go of the disk, at most 30 seconds.
void CKRVMirrorEngine::WaitUntilNoFileIsOpen(drvKit::Drive& drive) {
    for (int tries = 0; tries < kFormatLockTries && !drive.osFormatLock(); ++tries) {
        machine_.clock.Sleep(1000);
    }
    drive.osFormatUnlock();
}

void CKRVMirrorEngine::RestoreProtection(drvKit::Drive& drive, uint32_t settleMs) {
    if (!tempUnprotected_) {
        return;
    }
    machine_.clock.Sleep(settleMs);
    WaitUntilNoFileIsOpen(drive);
    drive.setProtect(static_cast<drvKit::EProtectState>(savedProtectState_),
                     diskPassword_.text());  // not checked
    tempUnprotected_ = false;
    diskPassword_.Wipe();
}

void CKRVMirrorEngine::FileTooLarge(const std::string& path) {
    prompts_.FileTooLarge(path);
}

void CKRVMirrorEngine::LongFileName(const std::string& revisionName) {
    prompts_.LongFileName(revisionName);
}

void CKRVMirrorEngine::FileError(const std::string& path, uint32_t code) {
    if (DestinationLost()) {
        // The disk left its drive: stop the pass with the files still due, and tell the user once.
        copier_.Cancel();
        if (destinationLost_.exchange(true)) {
            return;
        }
        uint32_t warnings = 0;
        store_.ReadWarningStatus(warnings);
        PromptGuard guard(shared_);
        if (guard.held() && warnings == 1) {
            prompts_.NoDisk();
            if (!shared_.stayEnabled) {
                mainWindow_.PostClose();
            }
        }
        return;
    }
    prompts_.FileError(path, code);
}

}  // namespace engine
