#pragma once
// The copier: one copy pass over the retry list and the candidates of a scan, oldest first, to
// the same paths on the backup disk, with the sources' attributes and times, numbered revisions
// of the copies it replaces, and the swap of a full disk through its owner.
//
// A backup copy is replaced only by a complete new one (replacement_file.h): a cancel, an error
// or a full disk leaves the old copy as it was. Only when the new copy cannot fit beside the old
// one but fits in its place is the old one removed first. Temporary files left behind by a crash
// are removed the next time the copier writes to their folder, unless the source folder it
// mirrors holds a file of the same name (then it is the backup of a user's file).
//
// The watermark a pass hands back moves up to the newest file time copied in this pass; a pass
// cut short (cancelled, a disk given up) stops it below the oldest candidate it did not copy, so
// that it never claims a file the pass did not reach.
//
// Threads: the pass runs on one thread; Cancel, PercentDone, CurrentSource and
// CurrentDestination may be called from any other.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "engine/block_reader.h"
#include "engine/copier_owner.h"
#include "engine/disk_times.h"
#include "engine/file_list.h"
#include "engine/replacement_file.h"
#include "os/file_system.h"
#include "settings/settings_store.h"

namespace engine {

// The transfer block: reads and writes are of this size.
inline constexpr uint32_t kCopyBlockBytes = 32768;
// ERROR_FILE_TOO_LARGE: the file is larger than the whole disk; it was reported and skipped.
inline constexpr uint32_t kErrorFileTooLarge = 223;
// ERROR_REPARSE_POINT_ENCOUNTERED: a junction, symbolic link or mount point on the backup disk
// where the copier would write; the place was reported and is left alone.
inline constexpr uint32_t kErrorReparsePointEncountered = 4395;
// ERROR_FILE_OFFLINE: a cloud placeholder whose data is not on this computer (reported once a
// run, not downloaded by the backup).
inline constexpr uint32_t kErrorFileOffline = 4350;
// ERROR_FILE_ENCRYPTED: an EFS-encrypted file, which would reach the disk as plain text (reported
// once a run, not copied).
inline constexpr uint32_t kErrorFileEncrypted = 6002;

// Where a source file's backup goes under a destination root ("E:" or a folder): the source
// path after its drive ("C:\a\b.txt" gives "E:\a\b.txt"), a network path after its first
// backslash ("\\srv\share\x" gives "E:\srv\share\x").
std::string BackupPathOf(const std::string& destinationRoot, const std::string& source);

class FileCopier {
  public:
    FileCopier(os::FileSystem& files, CopierOwner& owner, const settings::CKRVSettingsStore& store,
               uint32_t revisionLimit);
    ~FileCopier();
    FileCopier(const FileCopier&) = delete;
    FileCopier& operator=(const FileCopier&) = delete;

    // 0 none, 1..99 keep that many, 0xFFFFFFFF unlimited.
    void SetRevisionLimit(uint32_t limit) { revisionLimit_ = limit; }

    // Copies the retry list, then the candidates oldest first, under destination; leaves on
    // retries the files to try again and moves watermark forward (never back) to the newest
    // file time the candidates' part copied, but not past the oldest candidate it did not copy
    // when it was cut short. Returns 0, also when cancelled, or an error.
    uint32_t CopyPass(FileList& candidates, const std::string& destination, FileList& retries,
                      os::FileTime& watermark);

    // The parts of a pass (CopyPass runs them in this order).
    uint32_t RetryPass(FileList& retries);
    uint32_t OrderByTime();
    uint32_t MainPass();
    // Makes the moves of new copies into place so far last through a power cut or a pulled
    // disk; 0 when they do (or there were none).
    uint32_t CommitDisk();

    // One source file to its backup path, with its revision; 0 when copied, when its backup
    // already has its time (revisions kept) and when the source is gone.
    uint32_t CopyOneFile(const std::string& source, bool countBytes);
    // One file's data, attributes and times to destination, through a temporary file. A folder
    // in the backup's place gives 336 (the file cannot be backed up until it is gone).
    uint32_t CopyFileData(const std::string& source, const std::string& destination,
                          bool countBytes);
    // Keeps the current copy as the next numbered revision of revisionBase (pruning to the
    // limit); 2 when there is no current copy.
    uint32_t MakeRevision(const std::string& currentCopy, const std::string& revisionBase);
    // Creates each folder of the path from the drive down; existing ones count as made.
    uint32_t CreateDirectoryTree(const std::string& path);

    // Bytes of the volume holding path, and bytes free there; UINT64_MAX when it cannot be
    // asked (which counts as enough).
    uint64_t DiskCapacity(const std::string& path);
    // The capacity, largest file and time rules of the disk under the destination root.
    void LearnDisk();
    // Larger than the whole disk, or than its file system keeps in one file.
    bool TooLargeForDisk(uint64_t size) const { return capacity_ < size || largestFile_ < size; }
    // Its backup is this version of the source already: same size and file time, at the
    // resolution of the disk's times.
    bool SameVersion(uint64_t size, const os::FileTimes& times, const os::FileInfo& copy) const;
    uint64_t FreeSpace(const std::string& path);

    // Bytes copied by this pass as a percentage of the candidates' total: 0 before anything is
    // copied, 99 when bytes were copied but there is no total; may pass 100 when files grew.
    unsigned PercentDone() const;
    // True from the start of a copy pass (its figures and names reset) to its end.
    bool PassRunning() const { return passRunning_; }
    std::string CurrentSource() const;
    std::string CurrentDestination() const;
    void Cancel() { cancel_ = true; }
    // A flag that cancels whatever runs now or starts later, as long as it is set (the engine's
    // stop); the copier never clears it. Null for none.
    void SetStopSignal(const std::atomic<bool>* stop) { stop_ = stop; }

    // The file time of the first file copied to the disk now in the drive (0: none yet).
    os::FileTime DiskStartTime() const { return diskStartTime_; }
    os::FileTime NewestCopied() const { return newestCopied_; }
    uint64_t BytesCopied() const { return bytesCopied_; }

  private:
    struct Attempt {
        uint32_t result = 0;
        bool fromDiskSwap = false;  // the result is the owner's answer to a full disk
    };
    // What the copy takes from the open source.
    struct SourceFacts {
        uint64_t size = 0;
        os::FileTimes times;
        uint32_t attributes = 0;
        bool othersMayWrite = false;  // it was opened sharing writes: it may change meanwhile
    };
    // What is at the backup's place on the disk before the copy.
    struct OldCopy {
        bool exists = false;  // a file
        bool isFolder = false;
        uint32_t attributes = 0;
        bool IsProtected() const;  // read-only, hidden or system: it must be unprotected first
    };

    bool Cancelled() const { return cancel_ || (stop_ != nullptr && *stop_); }
    Attempt CopyWithDiskSwaps(const std::string& path, bool countBytes);
    void SetDiskStartTime(os::FileTime time);
    void ForgetDisk();
    // The candidate copied last was a new version on the disk, with this time.
    void NoteCopied();
    // The candidate at this time was not copied.
    void NoteNotCopied(os::FileTime time);
    void ClearArchiveAttribute();
    void ClearArchiveAttributeOf(os::File& source, const SourceFacts& facts);
    uint32_t EnsureFolder(const std::string& folder);
    // The folders from the first one below the destination root down to folder, as far as they
    // exist: a reparse point among them is refused; plain folders are remembered as made.
    // exists says whether folder itself is a plain folder.
    uint32_t CheckFolderChain(const std::string& folder, bool& exists);
    // A reparse point on the disk where the copier would write: reported once, then 4395.
    uint32_t RefusePlace(const std::string& path);
    // Whether the source's path holds a name that cannot be written to the disk as it is (and
    // that a plain path may not even reach on the source); the first such file of a run is
    // reported with the file-name notice.
    bool NameTheDiskCannotHold(const std::string& source);

    // The steps of CopyFileData.
    uint32_t OpenSource(const std::string& source, std::unique_ptr<os::File>& file,
                        SourceFacts& facts);
    bool GoneSinceTheScan(const std::string& source, uint32_t openError);
    uint32_t CopyOpenSource(os::File& in, const SourceFacts& facts, const std::string& source,
                            const std::string& destination, bool countBytes);
    void ShowCurrentNames(const std::string& source, const std::string& destination);
    uint32_t ReadSourceFacts(os::File& in, SourceFacts& facts);
    OldCopy LookAtOldCopy(const std::string& destination);
    uint32_t MakeRoom(const std::string& source, const std::string& destination, uint64_t size,
                      bool& inPlace);
    uint32_t WriteNewCopy(os::File& in, const std::string& folder, const SourceFacts& facts,
                          bool countBytes, ReplacementFile& replacement);
    uint32_t PutNewCopyInPlace(ReplacementFile& replacement, const std::string& destination,
                               const SourceFacts& facts, bool nameFreed);
    uint32_t CopyData(os::File& in, const SourceFacts& facts, ReplacementFile& out,
                      bool countBytes);
    uint32_t CopyReadAhead(BlockReader& reader, ReplacementFile& out, bool countBytes);

    uint64_t FreeSpaceFor(const std::string& path, uint64_t needed);
    void SpendFreeSpace(uint64_t bytes);
    void RemoveStaleTemporaries(const std::string& folder, const std::string& sourceFolder);
    uint32_t FinishInPlace(os::File& file, const SourceFacts& facts, bool replaced);

    os::FileSystem& files_;
    CopierOwner& owner_;
    const settings::CKRVSettingsStore& store_;

    mutable std::mutex mutex_;  // guards the two current names
    std::string currentSource_;
    std::string currentDestination_;

    os::FileTime diskStartTime_ = 0;
    os::FileTime newestCopied_ = 0;
    std::atomic<uint64_t> bytesCopied_{0};
    std::atomic<uint64_t> candidateTotal_{0};
    std::atomic<uint32_t> revisionLimit_;
    std::atomic<bool> cancel_{false};
    const std::atomic<bool>* stop_ = nullptr;
    std::atomic<bool> passRunning_{false};
    uint64_t capacity_ = UINT64_MAX;
    uint64_t largestFile_ = UINT64_MAX;
    size_t longestName_ = 255;  // the longest file name the disk's file system takes
    DiskTimeRules timeRules_;
    std::string destinationRoot_;
    FileList* candidates_ = nullptr;
    FileList passRetries_;
    bool abandoned_ = false;  // the disk stayed full through every swap: the pass ends
    // This pass's newest file time copied by the candidates' part, the oldest candidate it did
    // not copy (when there was one), and whether it ended before it had dealt with them all.
    os::FileTime passNewest_ = 0;
    std::optional<os::FileTime> oldestNotCopied_;
    bool passCutShort_ = false;

    // A folder of the disk where a copy was moved into place since the disk was last committed
    // (see CommitDisk); empty when there is none.
    std::string uncommittedFolder_;

    // What the last CopyOneFile put on the disk: the version of the source it read, by its
    // times and size.
    bool copied_ = false;
    os::FileTimes copiedTimes_;
    uint64_t copiedSize_ = 0;
    // The source the last CopyOneFile of the main pass copied, still open, and what it read of
    // it: its archive attribute is cleared through it.
    std::unique_ptr<os::File> heldSource_;
    SourceFacts heldFacts_;

    struct AlignedFree {
        void operator()(std::byte* p) const;
    };
    std::unique_ptr<std::byte, AlignedFree> buffer_;
    std::unique_ptr<BlockReader> blockReader_;  // made for the first large file
    uint32_t temporaryCounter_ = 0;
    // What the copier takes the free space of one volume to be (see FreeSpaceFor).
    bool freeKnown_ = false;
    bool freeFromEstimate_ = false;
    uint64_t freeEstimate_ = 0;
    std::string freeVolume_;
    bool creationTimesKept_ = true;  // false once the volume proved it cannot set them
    // Upper-case folders made or cleaned of temporaries on the disk now in the drive.
    std::unordered_set<std::string> madeFolders_;
    std::unordered_set<std::string> cleanedFolders_;
    // Whether a placeholder / an encrypted file was reported in this run.
    bool placeholderReported_ = false;
    bool encryptedReported_ = false;
    // Whether a name the disk cannot hold was reported in this run.
    bool nameReported_ = false;
    // Upper-case places of the disk refused as reparse points, each reported once in a run.
    std::unordered_set<std::string> refusedPlaces_;
};

}  // namespace engine
