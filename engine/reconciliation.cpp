// The reconciliation: the changed-file scan finds candidates by their times and archive
// attribute only, so a file moved into a source folder with old times and no archive attribute, a
// copy deleted from the backup disk, or a copy a power cut took back can leave the backup
// without a file for good. When the backup disk is first found in a run (and again after it left
// its drive), and then at most once a day, a pass also compares the source folders with the disk
// and takes every file whose backup is missing or different.

#include "engine/disk_times.h"
#include "engine/mirror_engine.h"
#include "os/errors.h"

namespace engine {

namespace {

constexpr os::FileTime kReconcileEvery = 24ULL * 60 * os::kFileTimeTicksPerMinute;

}  // namespace

bool CKRVMirrorEngine::ReconciliationDue() {
    if (reconciledAt_ == 0) {
        return true;
    }
    std::string stored;
    if (store_.ReadDiskId(stored) != os::kErrorSuccess || stored != reconciledDisk_) {
        return true;  // another disk is the backup disk now
    }
    const os::FileTime now = machine_.clock.UtcNow();
    return now < reconciledAt_ || now - reconciledAt_ >= kReconcileEvery;
}

bool CKRVMirrorEngine::BackupDiskInADrive() {
    std::string stored;
    if (store_.ReadDiskId(stored) != os::kErrorSuccess || stored.empty() || stored == "0") {
        return false;
    }
    std::lock_guard lock(drives_.mutex);
    drives_.RebuildLocked();
    for (int i = 0; i < drives_.array.getCount(); ++i) {
        const drvKit::Drive& drive = drives_.array[i];
        if (drive.hasDisk() && drive.getDisk().getIdentifier() == stored) {
            return true;
        }
    }
    return false;
}

uint32_t CKRVMirrorEngine::Reconcile(const std::vector<std::string>& folders,
                                     const std::vector<std::string>& exclusions,
                                     bool progressShown) {
    std::string root = snapshot().destination;
    while (!root.empty() && root.back() == '\\') {
        root.pop_back();
    }
    if (root.empty()) {
        return os::kErrorSuccess;
    }
    os::VolumeInfo volume;
    // An unknown file system gets the coarsest time rules: nothing is copied again for nothing.
    if (machine_.files.GetVolumeInfo(root + "\\", volume) != os::kErrorSuccess) {
        volume.fileSystem.clear();
    }
    const DiskTimeRules rules = TimeRulesOf(volume.fileSystem);
    // A first comparison of a large tree takes a while: the dialog counts the folders, and its
    // Cancel ends the comparison (the dialog's own thread cancels only the copier).
    ProgressState& progress = shared_.progress;
    auto cancelled = [&] { return progressShown && progress.cancelled; };
    uint32_t searched = 0;
    progress.foldersCompared = 0;
    progress.comparing = progressShown;
    scanner_.SetFolderObserver([&] {
        progress.foldersCompared = ++searched;
        return !cancelled();
    });
    uint32_t result = os::kErrorSuccess;
    for (const std::string& folder : folders) {
        result = cancelled()
                     ? os::kErrorOperationAborted
                     : scanner_.ReconcileFolder(folder, exclusions, root, rules, candidates_);
        if (result != os::kErrorSuccess) {
            break;  // stopping, or cancelled
        }
        ReportSkippedFolders();
    }
    scanner_.SetFolderObserver(nullptr);
    progress.comparing = false;
    if (result != os::kErrorSuccess) {
        return result;
    }
    std::string stored;
    static_cast<void>(store_.ReadDiskId(stored));  // kept ("") when missing: due again next pass
    reconciledDisk_ = stored;
    reconciledAt_ = machine_.clock.UtcNow();
    return os::kErrorSuccess;
}

}  // namespace engine
