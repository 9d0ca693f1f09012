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
// How long a copy run for the settings waits for a worker that Stop gave up on.
constexpr uint32_t kRunPassGateWaitMs = 5000;

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
    // A worker that Stop gave up on may still be copying: one pass at a time.
    if (machine_.clock.Wait(*workerGate_, kRunPassGateWaitMs).status != os::WaitStatus::Signalled) {
        return os::kErrorBusy;
    }
    std::lock_guard gate(*workerGate_, std::adopt_lock);
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
    switchReported_ = false;
    for (const std::string& folder : folders) {
        // The scan only fails when it is cancelled: the engine is stopping.
        const uint32_t error = scanner_.ScanFolder(folder, settings.exclusions, since, candidates_);
        if (error != os::kErrorSuccess) {
            return error;
        }
        ReportSkippedFolders();
    }
    const bool reconcile = storeTime && ReconciliationDue();
    if (candidates_.Count() == 0 && retryList_.Count() == 0 &&
        !(reconcile && BackupDiskInADrive())) {
        return os::kErrorSuccess;
    }
    if (LocateBackupDisk() != 1 || StopRequested()) {
        reconciledAt_ = 0;  // the disk is found anew when it comes back
        // Nothing copied: the same files are due next time. A protection lifted for the pass
        // before it was stopped is put back.
        if (tempUnprotected_) {
            drvKit::Drive drive = DestinationDrive();
            RestoreProtection(drive, kBeforeRestoreMs);
        }
        return os::kErrorSuccess;
    }
    bool progressOpen = false;
    if (reconcile) {
        // The first comparison with a disk may take minutes: the progress shows it too.
        progressOpen = showProgress || shared_.shutdownCopyPending;
        if (progressOpen) {
            OpenProgress();
        }
        uint32_t error = Reconcile(folders, settings.exclusions, progressOpen);
        if (error == os::kErrorSuccess && progressOpen && shared_.progress.cancelled) {
            error = os::kErrorOperationAborted;  // cancelled as the comparison ended
        }
        if (error != os::kErrorSuccess) {
            reconciledAt_ = 0;
            if (progressOpen) {
                CloseProgress();
            }
            if (StopRequested()) {
                return error;
            }
            // Cancelled by the user: nothing is copied or stored in this pass, and the
            // comparison is due again.
            FinishPass();
            return os::kErrorSuccess;
        }
    }
    os::FileTime newTime = since;
    const uint32_t result = CopyToBackupDisk(showProgress, newTime, progressOpen);
    if (destinationLost_) {
        reconciledAt_ = 0;  // it left its drive: what it holds is compared again when it is back
    }
    if (result != os::kErrorSuccess || !storeTime) {
        return result;
    }
    return StoreLastSyncTime(since, newTime);
}

void CKRVMirrorEngine::OpenProgress() {
    shared_.progress.percent = 0;
    shared_.progress.shown = true;
    // Without its threads the pass runs on unseen.
    static_cast<void>(StartProgress());
}

void CKRVMirrorEngine::CloseProgress() {
    shared_.progress.percent = 100;  // closes the dialog and ends the poll thread
    FinishProgress();
    shared_.progress.shown = false;
}

uint32_t CKRVMirrorEngine::CopyToBackupDisk(bool showProgress, os::FileTime& newTime,
                                            bool progressOpen) {
    const Snapshot settings = snapshot();  // the disk may have moved to another drive letter
    drvKit::Drive drive = DestinationDrive();
    const bool wasRemovable = drive.isRemovable();
    // The medium stays in its drive during the copy. Results of drive actions are not checked.
    static_cast<void>(drive.makeNonRemovable(false));

    const bool progress = progressOpen || showProgress || shared_.shutdownCopyPending;
    if (progress && !progressOpen) {
        OpenProgress();
    } else if (!progress) {
        shared_.progress.percent = 0;
    }
    uint32_t result = copier_.CopyPass(candidates_, settings.destination, retryList_, newTime);
    if (result != os::kErrorSuccess && DestinationLost()) {
        // The disk left its drive in the retry part of the pass: the files stay due.
        if (!destinationLost_.exchange(true)) {
            FileError(settings.destination, result);
        }
        result = os::kErrorSuccess;
    }
    static_cast<void>(Pause(kAfterCopyMs));  // a stop ends it early; the pass goes on to its end
    CloseProgress();

    if (!destinationLost_ && !StopRequested()) {
        CheckDiskFilling();
    }
    if (wasRemovable) {
        static_cast<void>(drive.makeRemovable(false));  // results of drive actions: not checked
    }
    static_cast<void>(Pause(kAfterReleaseMs));
    FinishPass();
    return result;
}

int CKRVMirrorEngine::LocateBackupDisk() {
    tempUnprotected_ = false;
    savedProtectState_ = drvKit::kProtectUnknown;
    std::string stored;
    {
        // Follow the backup disk to whatever drive letter it has now.
        std::lock_guard lock(drives_.mutex);
        drives_.RebuildLocked();
        static_cast<void>(store_.ReadDiskId(stored));  // kept ("") when missing: no disk has it
        if (FollowBackupDiskLocked(stored)) {
            LoadSettings();
        }
    }
    if (snapshot().destination.empty()) {
        return 0;
    }
    drvKit::Drive drive = DestinationDrive();
    std::string current = drive.getDisk().getIdentifier();
    static_cast<void>(store_.ReadDiskId(stored));

    uint32_t warnings = 0;
    static_cast<void>(store_.ReadWarningStatus(warnings));  // missing: no warnings
    const bool makersDrive = drive.isCorvantDrive() || drive.isCorvantCDDrive();
    if (warnings == 1 && !makersDrive) {
        ReportUnusableDestination();
    } else if (warnings == 1) {
        AskForBackupDisk(drive, current, stored);
    }
    if (current == stored && !current.empty() &&
        (drive.isCorvantDrive() || drive.isCorvantCDDrive())) {
        return AcceptBackupDisk(drive, current);
    }
    return 0;
}

bool CKRVMirrorEngine::FollowBackupDiskLocked(const std::string& stored) {
    for (int i = 0; i < drives_.array.getCount(); ++i) {
        const drvKit::Drive& candidate = drives_.array[i];
        if (candidate.hasDisk() && candidate.getDisk().getIdentifier() == stored) {
            // A failure leaves the old destination, whose disk is then not the backup disk.
            WriteSetting(
                [&] { static_cast<void>(store_.WriteDestination(candidate.getDrvRootPath())); });
            return true;
        }
    }
    return false;
}

// The destination is not a drive this program can use.
void CKRVMirrorEngine::ReportUnusableDestination() {
    prompts_.FileError(snapshot().destination, os::kErrorInvalidDrive);
}

void CKRVMirrorEngine::AskForBackupDisk(drvKit::Drive& drive, std::string& current,
                                        std::string& stored) {
    while (!StopRequested() && current != stored) {
        const std::optional<int> answer = stored == "0" ? OfferDiskInDrive(drive, current, stored)
                                                        : LookForBackupDisk(drive, stored);
        if (!answer) {
            // Another window holds the prompt guard: look again in a second, until it closes,
            // the disk appears or the engine stops. Without a worker to stop (a copy run for
            // the settings) this attempt gives up.
            if (!CanWaitForPromptGuard() || Pause(kBusyPromptRetryMs)) {
                break;
            }
        }
        if (stored != "0") {
            LoadSettings();
            drive = DestinationDrive();
            current = drive.getDisk().getIdentifier();
        }
        if (answer == kResultMakeCurrentDisk && !current.empty()) {
            WriteSetting([&] { static_cast<void>(store_.WriteDiskId(current)); });
            static_cast<void>(store_.ReadDiskId(stored));
            break;
        }
        if (answer && *answer != kResultOk && *answer != kResultMakeCurrentDisk) {
            break;
        }
    }
}

std::optional<int> CKRVMirrorEngine::OfferDiskInDrive(drvKit::Drive& drive,
                                                      const std::string& current,
                                                      std::string& stored) {
    PromptGuard guard(shared_);
    if (!guard.held()) {
        return std::nullopt;
    }
    const int answer = prompts_.InsertDisk(drive.getIcon(drvKit::kIconLarge), drive.getLabelText());
    if (answer == kResultOk) {
        WriteSetting([&] { static_cast<void>(store_.WriteDiskId(current)); });
        static_cast<void>(store_.ReadDiskId(stored));
    }
    return answer;
}

std::optional<int> CKRVMirrorEngine::LookForBackupDisk(const drvKit::Drive& drive,
                                                       const std::string& stored) {
    std::optional<int> answer;
    {
        std::lock_guard lock(drives_.mutex);
        drives_.RebuildLocked();
        if (FollowBackupDiskLocked(stored)) {
            return kResultOk;  // found in another drive: look at it
        }
        PromptGuard guard(shared_);
        if (!guard.held()) {
            return std::nullopt;
        }
        uint32_t notCurrent = 0;
        static_cast<void>(store_.ReadNotCurrentStatus(notCurrent));  // missing: no prompt
        if (drive.hasDisk()) {
            answer = notCurrent == 1 ? prompts_.WrongDisk() : kResultCancel;
        } else {
            answer = prompts_.NoDisk();
        }
    }
    if (!shared_.stayEnabled) {
        mainWindow_.PostClose();  // "Disable": the prompt guard is free again by now
    }
    return answer;
}

int CKRVMirrorEngine::AcceptBackupDisk(drvKit::Drive& drive, const std::string& identifier) {
    uint32_t state = drive.getDisk().getProtectState();
    for (;;) {
        if (IsWritableState(state)) {
            WriteSetting([&] { static_cast<void>(store_.WriteDiskId(identifier)); });
            return 1;
        }
        if (!drvKit::IsProtectedState(state)) {
            return 0;
        }
        if (drive.getDisk().isSwitchProtected()) {
            ReportWriteProtectSwitch(false);  // no prompt can lift it
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
        // The state read below says how it went.
        static_cast<void>(drive.setProtect(drvKit::kProtectNone, password.text()));
        state = drive.getDisk().getProtectState();
        if (state == drvKit::kProtectNone) {
            tempUnprotected_ = true;
            WriteSetting([&] { static_cast<void>(store_.WriteDiskId(identifier)); });
            return 1;
        }
        diskPassword_.Wipe();  // a wrong password is not kept
    }
}

void CKRVMirrorEngine::ReportWriteProtectSwitch(bool guardHeld) {
    if (switchReported_) {
        return;
    }
    if (guardHeld) {
        prompts_.WriteProtectSwitch();
        switchReported_ = true;
        return;
    }
    PromptGuard guard(shared_);
    if (guard.held()) {
        prompts_.WriteProtectSwitch();
        switchReported_ = true;
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
    if (hundredth == 0 || used / hundredth < 75) {
        return;
    }
    // Like every other prompt, only when no other window is up; the next pass warns then.
    PromptGuard guard(shared_);
    if (guard.held()) {
        prompts_.DiskBecomingFull();
    }
}

void CKRVMirrorEngine::FinishPass() {
    if (shared_.wizardRan && !StopRequested()) {
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
// A worker that is stopping tries once: the copier has let go of the disk already.
void CKRVMirrorEngine::WaitUntilNoFileIsOpen(drvKit::Drive& drive) {
    for (int tries = 0; tries < kFormatLockTries && !drive.osFormatLock(); ++tries) {
        if (Pause(1000)) {
            break;
        }
    }
    static_cast<void>(drive.osFormatUnlock());  // results of drive actions are not checked
}

void CKRVMirrorEngine::RestoreProtection(drvKit::Drive& drive, uint32_t settleMs) {
    if (!tempUnprotected_) {
        return;
    }
    static_cast<void>(Pause(settleMs));  // a stop shortens it; the protection goes back anyway
    WaitUntilNoFileIsOpen(drive);
    // Results of drive actions are not checked.
    static_cast<void>(drive.setProtect(static_cast<drvKit::EProtectState>(savedProtectState_),
                                       diskPassword_.text()));
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
        static_cast<void>(store_.ReadWarningStatus(warnings));  // missing: no warnings
        bool disable = false;
        {
            PromptGuard guard(shared_);
            if (guard.held() && warnings == 1) {
                prompts_.NoDisk();
                disable = !shared_.stayEnabled;
            }
        }
        if (disable) {
            mainWindow_.PostClose();  // after the guard is free, or the window ignores it
        }
        return;
    }
    prompts_.FileError(path, code);
}

}  // namespace engine
