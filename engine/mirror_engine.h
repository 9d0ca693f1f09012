#pragma once
// The one engine object of the program: a snapshot of the settings, the collaborators that find
// and copy files, the wake event, the worker thread that runs sync passes, and the retry list
// that survives restarts in the ".Log" file.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "drivekit/drive.h"
#include "engine/change_watcher.h"
#include "engine/copier_owner.h"
#include "engine/engine_prompts.h"
#include "engine/file_copier.h"
#include "engine/file_list.h"
#include "engine/folder_scanner.h"
#include "engine/main_window_link.h"
#include "engine/progress.h"
#include "engine/prompt_view.h"
#include "engine/secret_text.h"
#include "engine/shared_drives.h"
#include "engine/shared_state.h"
#include "os/machine.h"
#include "settings/scheduler.h"
#include "settings/settings_store.h"

namespace engine {

class WizardFinishView;

// What the engine is given of the program around it.
struct EngineServices {
    os::Machine& machine;
    SharedState& shared;
    SharedDrives& drives;
    MainWindowLink& mainWindow;
    PromptView& prompts;
    ProgressView& progressView;
    // The wizard's finish page after the first pass; may be null.
    WizardFinishView* wizardFinish = nullptr;
    // The program's registry key under HKEY_CURRENT_USER (tests give their own).
    std::string productKey = settings::kProductKey;
    // Where the retry list lives between runs; empty for the user's own folder.
    std::string retryLogPath;
};

// The wizard's finish page (dialog 207): true when the user chose to open the settings.
class WizardFinishView {
  public:
    virtual ~WizardFinishView() = default;
    virtual bool ShowFinishPage() = 0;
};

inline constexpr uint64_t kWaitForever = UINT64_MAX;

class CKRVMirrorEngine final : public CopierOwner {
  public:
    explicit CKRVMirrorEngine(const EngineServices& services);
    // Stops the worker, closes a prompt it is inside, waits for every thread of the engine and
    // saves the retry list.
    ~CKRVMirrorEngine() override;
    CKRVMirrorEngine(const CKRVMirrorEngine&) = delete;
    CKRVMirrorEngine& operator=(const CKRVMirrorEngine&) = delete;

    // Reloads the settings snapshot.
    void LoadSettings();
    // Starts the worker; 0, or the system error when the thread cannot be made. A worker that
    // still runs is left running.
    uint32_t Start();
    // Stops the worker, waiting about two seconds for it: a pass ends within that, with its
    // disk's protection put back. A worker still inside a prompt then ends on its own once the
    // prompt closes, writes no setting from then on, and no worker started later runs a pass
    // before it has ended. The change watcher and the scheduler are stopped too.
    void Stop();
    // Signals the wake event: a pass follows (after the settling waits).
    void Wake();
    // The settings sheet asks for a complete copy when the worker next starts.
    void RequestFullCopy() { fullCopyPending_ = true; }
    // The tray's complete copy (40011): stores a zero last-sync time and wakes the worker. Asked
    // while a pass runs, it is the next pass's: the running one does not store its time over it.
    void RequestCompleteCopy();

    // One sync pass over the stored source folders.
    uint32_t RunPass(bool showProgress);
    // A complete copy of the given folders (scanned from time zero); stores no last-sync time.
    // Runs on the caller's thread while the worker is stopped; 170 (busy) when a worker that
    // Stop gave up on has not ended within a few seconds.
    uint32_t RunPassForFolders(const std::vector<std::string>& folders, bool showProgress);

    // CopierOwner.
    uint32_t DiskFullHandler(const os::FileTime& firstDate, const os::FileTime& lastDate,
                             uint64_t needed, const std::string& destination,
                             uint64_t bytesWritten) override;
    void FileTooLarge(const std::string& path) override;
    void FileError(const std::string& path, uint32_t code) override;
    void LongFileName(const std::string& revisionName) override;

    // The settings the worker works from.
    struct Snapshot {
        os::FileTime lastSync = 0;
        uint32_t revisions = 0;
        uint64_t waitIntervalMs = kWaitForever;
        uint32_t warnings = 0;
        uint32_t showProgress = 0;
        uint32_t scheduleType = 0;
        std::vector<std::string> exclusions;
        std::vector<std::string> sources;
        std::string destination;
    };
    Snapshot snapshot() const;
    FileList& retryList() { return retryList_; }
    const settings::CKRVSettingsStore& store() const { return store_; }
    bool IsWorkerRunning() const;
    // The result the last worker ended with (161 for an empty destination, a pass's error...).
    uint32_t lastWorkerResult() const { return lastWorkerResult_; }

    // How long the system is given to write its cache to a full disk before it is ejected: by
    // the machine's memory, the bytes written in the pass and the drive's bus.
    static uint32_t FlushWaitMs(uint64_t physicalMemory, uint64_t bytesWritten,
                                uint32_t adapterType);

    // Tests of the worker give it a pass of their own.
    using PassFunction = std::function<uint32_t(bool showProgress)>;
    void ReplacePassForTesting(PassFunction pass) { passOverride_ = std::move(pass); }

    // What Stop tells one worker.
    struct WorkerControl {
        std::atomic<bool> stop{false};
        // Set with stop: the pass's pauses end at once.
        std::unique_ptr<os::Event> stopEvent;
        // Stop gave up waiting for the worker: from then on it writes no setting.
        std::atomic<bool> retired{false};
    };

  private:
    void Worker(const std::shared_ptr<WorkerControl>& control);
    // The change watcher or the scheduler the schedule asks for, unless the worker is stopping;
    // and their end (by Stop, and by the worker when it ends).
    void StartHelpers(const Snapshot& settings, const WorkerControl& control);
    void StopHelpers();
    // Tells the user once per run about a source folder that the change watcher could not watch.
    void ReportDeadWatcher();
    uint32_t Pass(bool showProgress);
    uint32_t RunPassOver(const std::vector<std::string>& folders, os::FileTime since,
                         bool showProgress, bool storeTime);
    // The parts of a pass once the disk is found: the copy (with the progress dialog), the
    // filling warning, the medium's release and the end of the pass. 0 or the copier's error.
    // progressOpen: the dialog is up already (it showed the reconciliation).
    uint32_t CopyToBackupDisk(bool showProgress, os::FileTime& newTime, bool progressOpen);
    // The progress dialog and its poll thread, at 0 %; and closed again.
    void OpenProgress();
    void CloseProgress();
    // The reconciliation of the source folders with the backup disk (reconciliation.cpp).
    bool ReconciliationDue();
    bool BackupDiskInADrive();
    // With progressShown the dialog counts the folders searched, and its Cancel stops the
    // comparison (995, and nothing is taken as compared).
    uint32_t Reconcile(const std::vector<std::string>& folders,
                       const std::vector<std::string>& exclusions, bool progressShown);

    // 1 when the backup disk is in its drive and writable, else 0; may rebind "Destination",
    // adopt a disk as "DiskID" and raise the disk prompts.
    int LocateBackupDisk();
    // Looks for the disk with the stored identifier in every drive of the maker and makes its
    // drive the destination; true when found. The caller holds the drive list's mutex.
    bool FollowBackupDiskLocked(const std::string& stored);
    // What a destination that is not one of the maker's drives gets: the file-error notice.
    void ReportUnusableDestination();
    // The loop of the disk prompts while the disk in the drive is not the backup disk; leaves
    // drive and current on what is in the destination drive at its end.
    void AskForBackupDisk(drvKit::Drive& drive, std::string& current, std::string& stored);
    // No backup disk chosen yet: offers the disk in the drive (dialog 136). The answer, or
    // nothing when another window holds the prompt guard.
    std::optional<int> OfferDiskInDrive(drvKit::Drive& drive, const std::string& current,
                                        std::string& stored);
    // Another or no disk in the drive: follows the backup disk to another drive, or asks for it
    // (dialogs 115, 160). The answer (1 when found elsewhere), or nothing when another window
    // holds the prompt guard.
    std::optional<int> LookForBackupDisk(const drvKit::Drive& drive, const std::string& stored);
    // The disk in the drive is the backup disk: make it writable for the pass when it is
    // protected. 1 when it can be written.
    int AcceptBackupDisk(drvKit::Drive& drive, const std::string& identifier);
    void CheckDiskFilling();
    void FinishPass();
    // Waits, at most 30 seconds (one try when stopping), until the drive's format lock can be
    // had.
    void WaitUntilNoFileIsOpen(drvKit::Drive& drive);
    // Puts back the protection lifted for the pass, when one was (without the waits when
    // stopping).
    void RestoreProtection(drvKit::Drive& drive, uint32_t settleMs);
    // DiskFullHandler's work once it holds the prompt guard; disable is set when the user chose
    // "Disable" (the caller closes the program once the guard is free).
    uint32_t SwapFullDisk(const os::FileTime& firstDate, const os::FileTime& lastDate,
                          uint64_t needed, uint64_t bytesWritten, bool& disable);
    // A new disk after a swap: 0 when it can be written (its protection lifted if need be), 995
    // when not.
    uint32_t MakeNewDiskWritable();
    // A disk whose own switch protects it: tells the user, once per pass; guardHeld when the
    // caller holds the prompt guard already (the disk swap).
    void ReportWriteProtectSwitch(bool guardHeld);
    // The destination's drive, from the first letter of the destination.
    drvKit::Drive DestinationDrive() const;
    // True when the destination's root cannot be reached (the disk left its drive).
    bool DestinationLost() const;
    // Waits for the wake event for an interval of any length, in pieces that fit a 32-bit wait.
    os::WaitStatus WaitForWake(uint64_t intervalMs, const WorkerControl& control);
    bool StopRequested() const;
    // Sleeps for the pass, or less when the worker is stopped meanwhile: true when it was.
    bool Pause(uint32_t milliseconds);
    // True on the worker's thread, whose waits end when the engine stops.
    bool CanWaitForPromptGuard() const;
    // Stores the pass's new last-sync time, unless the stored one is no longer the time the pass
    // started from (a complete copy was asked for meanwhile) or Stop gave up on this worker.
    uint32_t StoreLastSyncTime(os::FileTime startedFrom, os::FileTime newTime);
    // A setting the pass itself decides (destination, disk identifier): written unless Stop gave
    // up on this worker.
    void WriteSetting(const std::function<void()>& write);
    // The folders the scanner could not search: each reported once per run.
    void ReportSkippedFolders();
    // The file-error notice for a source folder that is not backed up, at most once per folder
    // per run.
    void ReportFolder(const std::string& folder, uint32_t error);
    void EndSession();

    // The progress dialog and its poll thread, around a copy pass.
    uint32_t StartProgress();
    void FinishProgress();
    void ProgressPoll();

    os::Machine& machine_;
    SharedState& shared_;
    MainWindowLink& mainWindow_;
    SharedDrives& drives_;
    ProgressView& progressView_;
    WizardFinishView* wizardFinish_;
    const std::string retryLogPath_;
    settings::CKRVSettingsStore store_;
    EnginePrompts prompts_;

    std::atomic<bool> fullCopyPending_{false};
    std::unique_ptr<os::Event> wake_;
    // Held by a worker for its whole life: a new worker waits here until an old one has ended.
    std::unique_ptr<os::Mutex> workerGate_;
    mutable std::mutex threadsMutex_;  // guards worker_, retired_ and control_
    std::unique_ptr<os::Thread> worker_;
    std::vector<std::unique_ptr<os::Thread>> retired_;
    std::shared_ptr<WorkerControl> control_;
    std::atomic<uint32_t> lastWorkerResult_{0};

    // Taken by a worker around its writes of settings and by Stop when it gives up on a worker,
    // so that a given-up worker never writes over what the settings sheet stores after Stop.
    std::mutex settingsWriteMutex_;
    // Guards the start and stop of the change watcher and the scheduler.
    std::mutex helpersMutex_;
    // The source folders reported as not backed up in this run (upper case).
    std::mutex reportedMutex_;
    std::set<std::string> reportedFolders_;
    mutable std::mutex snapshotMutex_;
    Snapshot snapshot_;

    FileList retryList_;
    FileList candidates_;
    FolderScanner scanner_;
    FileCopier copier_;
    ChangeWatcher watcher_;
    settings::CKRVScheduler scheduler_;

    std::unique_ptr<os::Thread> progressDialogThread_;
    std::unique_ptr<os::Thread> progressPollThread_;

    // The disk left its drive during this pass: the pass ends, with one prompt at most.
    std::atomic<bool> destinationLost_{false};
    // When the last reconciliation ended in this run (0: none since the disk was last found),
    // and the identifier of the disk it compared with.
    os::FileTime reconciledAt_ = 0;
    std::string reconciledDisk_;
    // The disk's write-protect switch was reported in this pass.
    bool switchReported_ = false;

    // The disk's protection, lifted for a pass and put back after it.
    bool tempUnprotected_ = false;
    int savedProtectState_ = 7;
    SecretText diskPassword_;

    PassFunction passOverride_;
};

}  // namespace engine
