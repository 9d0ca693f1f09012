#pragma once
// The changed-file scan of the source folders, and the folder sizes the wizard and the settings
// pages show. Both walk a folder tree with an explicit stack (no nesting is too deep) and never
// follow a directory reparse point (a junction or symbolic link may lead back up the tree).

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/disk_times.h"
#include "engine/file_list.h"
#include "os/file_system.h"

namespace engine {

// A folder of the tree that could not be searched, and why.
struct SkippedFolder {
    std::string path;
    uint32_t error = 0;
};

class FolderScanner {
  public:
    explicit FolderScanner(os::FileSystem& files) : files_(files) {}

    // Appends to candidates every file of the folder tree that is not excluded and changed after
    // lastSync: created after it (unless marked temporary), written after it, or with its archive
    // attribute set; with lastSync zero every file. Returns 995 when cancelled, else 0; folders
    // that cannot be searched (the given one included) are left out and listed in Skipped().
    uint32_t ScanFolder(const std::string& folder, const std::vector<std::string>& exclusions,
                        os::FileTime lastSync, FileList& candidates);
    // The reconciliation of a source folder with its backup: appends to candidates every file of
    // the folder tree that is not excluded, not on the list yet, and whose backup below
    // destinationRoot is missing or differs in size or last-write time (compared at the disk's
    // resolution). Each backup folder is searched as a whole, not each file looked up. Returns
    // 995 when cancelled, else 0; a backup folder that exists but cannot be searched takes none
    // of its files (they could not be written there either).
    uint32_t ReconcileFolder(const std::string& folder, const std::vector<std::string>& exclusions,
                             const std::string& destinationRoot, const DiskTimeRules& rules,
                             FileList& candidates);
    // The sum of the sizes of all files under the folder (what was summed so far when
    // cancelled); 0 for a folder that does not exist.
    uint64_t FolderSize(const std::string& folder);
    // A running scan or size stops after the current entry.
    void Cancel() { cancel_ = true; }
    // Called on the scanning thread before each folder is searched; the scan stops when it
    // returns false. Empty for none.
    void SetFolderObserver(std::function<bool()> observer) { observer_ = std::move(observer); }
    // A flag that cancels whatever scan runs now or starts later, as long as it is set (the
    // engine's stop); the scanner never clears it. Null for none.
    void SetStopSignal(const std::atomic<bool>* stop) { stop_ = stop; }

    // The folders the last ScanFolder or FolderSize could not search.
    const std::vector<SkippedFolder>& Skipped() const { return skipped_; }

  private:
    template <typename OnFile>
    bool Walk(const std::string& folder, OnFile onFile);

    bool Cancelled() const { return cancel_ || (stop_ != nullptr && *stop_); }

    os::FileSystem& files_;
    std::atomic<bool> cancel_{false};
    const std::atomic<bool>* stop_ = nullptr;
    std::vector<SkippedFolder> skipped_;
    std::function<bool()> observer_;
};

}  // namespace engine
