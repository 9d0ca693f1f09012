#include "engine/file_copier.h"

#include <algorithm>
#include <new>
#include <utility>

#include "engine/revisions.h"
#include "os/errors.h"
#include "os/path_names.h"
#include "os/text.h"

namespace engine {

namespace {

// The buffer is aligned for unbuffered I/O on volumes with sectors of up to 4096 bytes.
constexpr size_t kBufferAlignment = 4096;
// A full disk that the owner answers with "go on" this many times in a row for one file, without
// the file then fitting, ends the pass; the file stays due (the owner answers at once while
// another prompt is on screen).
constexpr int kMostDiskSwapRounds = 10;

constexpr uint32_t kSettableAttributes = os::kAttributeReadOnly | os::kAttributeHidden |
                                         os::kAttributeSystem | os::kAttributeArchive |
                                         os::kAttributeNormal | os::kAttributeTemporary |
                                         os::kAttributeOffline | os::kAttributeNotContentIndexed;
// The attributes a new file is given when it is created (Windows adds the archive attribute).
constexpr uint32_t kCreatedWithAttributes = os::kAttributeHidden | os::kAttributeSystem |
                                            os::kAttributeArchive | os::kAttributeNotContentIndexed;
// Free space is asked of the volume again when the estimate comes within this of a file's size.
constexpr uint64_t kFreeSpaceMargin = 4 << 20;
// What the estimate takes off for each file written besides its bytes: clusters and records.
constexpr uint64_t kFileOverhead = 64 << 10;
// Files from this size on are read ahead of their writing.
constexpr uint64_t kReadAheadFrom = 1 << 20;
constexpr uint32_t kProtectingAttributes =
    os::kAttributeReadOnly | os::kAttributeHidden | os::kAttributeSystem;

bool IsBusy(uint32_t code) {
    switch (code) {
        case os::kErrorTooManyOpenFiles:
        case os::kErrorAccessDenied:
        case os::kErrorSharingViolation:
        case os::kErrorLockViolation:
        case os::kErrorFileExists:
        case os::kErrorDriveLocked:
        case os::kErrorLockFailed:
        case os::kErrorAlreadyExists:
        case os::kErrorPossibleDeadlock:
            return true;
        default:
            return false;
    }
}

// What SetAttributes is given for a file that should carry these bits: no bits at all is
// "normal" (0 would mean "leave them" to the system).
uint32_t AttributesToSet(uint32_t attributes) {
    attributes &= kSettableAttributes;
    if ((attributes & ~os::kAttributeNormal) != 0) {
        attributes &= ~os::kAttributeNormal;
    }
    return attributes == 0 ? os::kAttributeNormal : attributes;
}

bool IsDiskFull(uint32_t code) {
    return code == os::kErrorDiskFull || code == os::kErrorHandleDiskFull;
}

// Errors that the next pass should try again: the retry list keeps the file.
// The copier told the owner itself (once), and the file is skipped.
bool ReportedAlready(uint32_t code) {
    return code == kErrorFileTooLarge || code == kErrorReparsePointEncountered;
}

bool StaysOnRetryList(uint32_t code) {
    return code != os::kErrorDirectoryNotSupported;
}

// The path up to its last backslash ("E:" for "E:\file.txt").
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The volume part of a path: "E:" of "E:\x\y", "\\server\share" of "\\server\share\x".
std::string VolumeOf(const std::string& path) {
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        const size_t server = path.find('\\', 2);
        if (server == std::string::npos) {
            return path;
        }
        const size_t share = path.find('\\', server + 1);
        return share == std::string::npos ? path : path.substr(0, share);
    }
    const size_t slash = path.find('\\');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

}  // namespace

// A network path keeps its server and share as folders: on the disk, "E:" + "\\srv\share\x"
// would be E:\srv\share\x anyway, and the single backslash also holds for extended-length paths,
// which Windows takes literally.
std::string BackupPathOf(const std::string& destinationRoot, const std::string& source) {
    if (source.size() >= 2 && source[0] == '\\' && source[1] == '\\') {
        return destinationRoot + source.substr(1);
    }
    if (source.size() >= 2 && source[1] == ':') {
        return destinationRoot + source.substr(2);
    }
    const size_t slash = source.find('\\');
    return destinationRoot + (slash == std::string::npos ? "\\" + source : source.substr(slash));
}

void FileCopier::AlignedFree::operator()(std::byte* p) const {
    ::operator delete[](p, std::align_val_t(kBufferAlignment));
}

FileCopier::FileCopier(os::FileSystem& files, CopierOwner& owner,
                       const settings::CKRVSettingsStore& store, uint32_t revisionLimit)
    : files_(files),
      owner_(owner),
      store_(store),
      revisionLimit_(revisionLimit),
      passRetries_(files) {
    buffer_.reset(static_cast<std::byte*>(
        ::operator new[](kCopyBlockBytes, std::align_val_t(kBufferAlignment), std::nothrow)));
    // Kept at 0 when missing.
    static_cast<void>(store_.ReadDiskStartTime(diskStartTime_));
}

// The disk start time is stored whenever it changes, so the registry never holds the date of a
// disk that has left the drive.
FileCopier::~FileCopier() = default;

void FileCopier::SetDiskStartTime(os::FileTime time) {
    if (time != diskStartTime_) {
        diskStartTime_ = time;
        // A failure only costs the date the disk-full prompt shows.
        static_cast<void>(store_.WriteDiskStartTime(time));
    }
}

void FileCopier::ForgetDisk() {
    uncommittedFolder_.clear();
    SetDiskStartTime(0);
    freeKnown_ = false;
    LearnDisk();
    madeFolders_.clear();
    cleanedFolders_.clear();
}

uint32_t FileCopier::CopyPass(FileList& candidates, const std::string& destination,
                              FileList& retries, os::FileTime& watermark) {
    if (destination.empty()) {
        return os::kErrorSuccess;
    }
    candidates_ = &candidates;
    candidateTotal_ = candidates.Total();
    bytesCopied_ = 0;
    cancel_ = false;
    abandoned_ = false;
    passNewest_ = 0;
    oldestNotCopied_.reset();
    passCutShort_ = false;
    destinationRoot_ = destination;
    if (!destinationRoot_.empty() && destinationRoot_.back() == '\\') {
        destinationRoot_.pop_back();
    }
    LearnDisk();
    freeKnown_ = false;
    passRetries_.Clear();
    madeFolders_.clear();
    cleanedFolders_.clear();
    ShowCurrentNames({}, {});
    passRunning_ = true;
    RemoveStaleTemporaries(destinationRoot_, {});  // a commit of a pass cut short

    uint32_t result = RetryPass(retries);
    candidateTotal_ = candidates.Total();
    if (result == os::kErrorSuccess) {
        result = OrderByTime();
        if (result == os::kErrorSuccess) {
            MainPass();  // what ends it early is handled there; the pass itself succeeded
            os::FileTime reached = passNewest_;
            if (passCutShort_ && oldestNotCopied_) {
                // Candidates are found by "later than the last-sync time": one below the oldest
                // file not copied keeps it, and every file of its time, due. (A pass that dealt
                // with all its candidates left the ones it could not copy on the retry list or
                // reported them.)
                reached = std::min(reached, *oldestNotCopied_ == 0 ? 0 : *oldestNotCopied_ - 1);
            }
            if (CommitDisk() != os::kErrorSuccess) {
                reached = 0;  // the copies may not be on the disk: they stay due
            }
            if (watermark < reached) {
                watermark = reached;
            }
        }
    }
    if (result == os::kErrorOperationAborted) {
        result = os::kErrorSuccess;
    }
    retries.CopyFrom(passRetries_);
    passRetries_.Clear();
    cancel_ = false;
    passRunning_ = false;
    candidates_ = nullptr;
    candidateTotal_ = 0;
    return result;
}

FileCopier::Attempt FileCopier::CopyWithDiskSwaps(const std::string& path, bool countBytes) {
    for (int round = 0;; ++round) {
        uint32_t result = CopyOneFile(path, countBytes);
        if (IsDiskFull(result) && freeFromEstimate_) {
            freeKnown_ = false;  // the estimate was wrong: once more with the volume's figure
            result = CopyOneFile(path, countBytes);
        }
        if (!IsDiskFull(result)) {
            return {result, false};
        }
        if (Cancelled()) {
            return {os::kErrorOperationAborted, false};
        }
        if (round == kMostDiskSwapRounds) {
            abandoned_ = true;
            return {os::kErrorOperationAborted, false};
        }
        // The full disk may be taken out next: what was copied to it is made to last first. A
        // full disk may refuse even that; its last moves are then as the system leaves them.
        static_cast<void>(CommitDisk());
        const uint32_t answer =
            owner_.DiskFullHandler(diskStartTime_, newestCopied_, FileSizeOf(files_, path),
                                   destinationRoot_, bytesCopied_);
        if (answer == os::kErrorRetry) {
            continue;  // the same disk: another window kept the owner from asking for a new one
        }
        if (answer != os::kErrorSuccess) {
            return {answer, true};
        }
        ForgetDisk();  // a disk with room is in the drive: the same file again
    }
}

// Files the retry pass copies keep their archive attribute and do not move the watermark: the
// next scan finds them again and the main pass settles them. A file that fails for another reason
// than being busy is reported and kept on the list (a share that went away, a bad sector may
// come right), and the pass goes on: one file never ends it.
uint32_t FileCopier::RetryPass(FileList& retries) {
    uint32_t result = os::kErrorSuccess;
    size_t i = 0;
    bool keepCurrent = false;
    const size_t count = retries.Count();
    for (; i < count && !Cancelled() && !abandoned_; ++i) {
        const std::string path = retries.EntryAt(i).path;
        const Attempt attempt = CopyWithDiskSwaps(path, false);
        heldSource_.reset();  // the retry pass leaves the archive attribute as it is
        result = attempt.result;
        if (result == os::kErrorSuccess) {
            if (copied_ && diskStartTime_ == 0) {
                SetDiskStartTime(LaterTime(copiedTimes_));
            }
            if (candidates_ != nullptr) {
                candidates_->RemovePath(path);  // copied once is enough
            }
            continue;
        }
        if (attempt.fromDiskSwap || result == os::kErrorOperationAborted) {
            // Cancelled, or the owner gave up on a full disk: this file and the rest are due.
            keepCurrent = true;
            break;
        }
        if (!ReportedAlready(result) && !IsBusy(result)) {
            owner_.FileError(path, result);
        }
        if (!ReportedAlready(result) && StaysOnRetryList(result) && !passRetries_.Contains(path)) {
            static_cast<void>(passRetries_.AddFile(path));  // a file gone since drops out
        }
        result = os::kErrorSuccess;
    }
    if (Cancelled() || abandoned_) {
        keepCurrent = keepCurrent || i < count;
        result = result == os::kErrorSuccess ? os::kErrorOperationAborted : result;
    }
    // What the pass did not get to stays on the list.
    for (size_t j = keepCurrent ? i : i + 1; j < count; ++j) {
        const std::string path = retries.EntryAt(j).path;
        if (!passRetries_.Contains(path)) {
            static_cast<void>(passRetries_.AddFile(path));  // a file gone since drops out
        }
    }
    return result;
}

uint32_t FileCopier::OrderByTime() {
    if (candidates_ == nullptr) {
        return os::kErrorSuccess;
    }
    candidates_->OrderByTime([this](const FileEntryView& e) {
        if (Cancelled()) {
            return false;
        }
        if (capacity_ >= e.size) {
            return true;
        }
        owner_.FileTooLarge(std::string(e.path));
        return false;
    });
    return os::kErrorSuccess;
}

// Each copy is flushed before it is moved into place, and on a journalled volume a flush also
// keeps every change of names made before it; only the moves after the last copy's flush may
// still be in the cache when a pass ends. A flush of a file of its own in a folder written last
// keeps them, before the last-sync time moves past those copies. (The folder only says that
// there is something to keep.)
uint32_t FileCopier::CommitDisk() {
    if (uncommittedFolder_.empty()) {
        return os::kErrorSuccess;
    }
    ReplacementFile marker(files_, temporaryCounter_);  // deleted again when it goes
    // In the disk's root, where each pass first removes what a cut left of an earlier one.
    RemoveStaleTemporaries(destinationRoot_, {});
    uint32_t error = marker.Create(destinationRoot_, 0);
    if (error == os::kErrorSuccess) {
        error = marker.file().Flush();
    }
    if (error == os::kErrorSuccess) {
        uncommittedFolder_.clear();
    }
    return error;
}

uint32_t FileCopier::MainPass() {
    if (candidates_ == nullptr) {
        return os::kErrorSuccess;
    }
    uint32_t result = os::kErrorSuccess;
    const size_t count = candidates_->IndexCount();
    size_t next = 0;  // the first position not dealt with
    while (next < count && !Cancelled() && !abandoned_) {
        const FileEntry entry = candidates_->SortedAt(next);
        const Attempt attempt = CopyWithDiskSwaps(entry.path, true);
        result = attempt.result;
        if (attempt.fromDiskSwap) {
            break;  // the owner's answer to a full disk ends the pass; this file is due
        }
        if (result == os::kErrorSuccess) {
            passRetries_.RemovePath(entry.path);
            ++next;
            if (!copied_) {
                continue;  // gone since the scan
            }
            NoteCopied();
            if (Cancelled()) {
                continue;
            }
            if (diskStartTime_ == 0) {
                SetDiskStartTime(newestCopied_);
            }
            ClearArchiveAttribute();
            continue;
        }
        if (result == os::kErrorOperationAborted) {
            // Cancelled in the middle of the file: it is tried first next time.
            if (!passRetries_.Contains(entry.path)) {
                static_cast<void>(passRetries_.AddFile(entry.path));
            }
            result = os::kErrorSuccess;
            break;
        }
        NoteNotCopied(entry.time);
        if (ReportedAlready(result)) {
            // Reported and skipped; it stays due.
        } else if (IsBusy(result)) {
            if (!passRetries_.Contains(entry.path)) {
                static_cast<void>(passRetries_.AddFile(entry.path));  // a file gone since drops out
            }
        } else {
            owner_.FileError(entry.path, result);
        }
        result = os::kErrorSuccess;
        ++next;
    }
    heldSource_.reset();
    if (next < count) {
        passCutShort_ = true;
        NoteNotCopied(candidates_->SortedAt(next).time);  // the oldest the pass did not reach
    }
    candidates_->Clear();
    candidateTotal_ = 0;
    return result;
}

void FileCopier::NoteCopied() {
    const os::FileTime time = LaterTime(copiedTimes_);
    if (newestCopied_ < time) {
        newestCopied_ = time;
    }
    if (passNewest_ < time) {
        passNewest_ = time;
    }
}

void FileCopier::NoteNotCopied(os::FileTime time) {
    if (!oldestNotCopied_ || time < *oldestNotCopied_) {
        oldestNotCopied_ = time;
    }
}

// Through the handle the copy read the source with. While it was held without write sharing
// no one could write the file, so what the copy read is what the file holds: clearing the
// attribute is all there is to do. Where others could write, it is cleared and the file looked at
// again, as by name below. A large file's attributes are read again first, as the user may have
// changed them during its copy.
void FileCopier::ClearArchiveAttributeOf(os::File& source, const SourceFacts& facts) {
    uint32_t attributes = facts.attributes;
    if (facts.size > kCopyBlockBytes) {
        os::FileInfo info;
        if (source.GetInfo(info) != os::kErrorSuccess) {
            return;
        }
        attributes = info.attributes;
    }
    if ((attributes & os::kAttributeArchive) == 0 ||
        source.SetTimesAndAttributes({}, AttributesToSet(attributes & ~os::kAttributeArchive)) !=
            os::kErrorSuccess ||
        !facts.othersMayWrite) {
        return;
    }
    os::FileInfo now;
    const uint32_t looked = source.GetInfo(now);
    if (looked == os::kErrorSuccess && now.size == copiedSize_ &&
        now.times.lastWrite == copiedTimes_.lastWrite &&
        now.times.creation == copiedTimes_.creation) {
        return;
    }
    const uint32_t current = looked == os::kErrorSuccess ? now.attributes : attributes;
    // Should this fail too, the file's newer time still makes the next scan take it.
    static_cast<void>(
        source.SetTimesAndAttributes({}, AttributesToSet(current | os::kAttributeArchive)));
}

// The archive attribute says "not backed up yet". It is cleared through the source's handle the
// copy read it with, and the source looked at again after: a write that came in since the copy
// read the file (which sets the attribute again, or not, depending on when it landed) gives the
// attribute back, and the next scan finds the file. A failure on the way leaves the file due.
// Every copy holds its source until here; without it the file is left due rather than cleared
// by name, which could clear it for a change that was not copied.
void FileCopier::ClearArchiveAttribute() {
    if (!heldSource_) {
        return;
    }
    ClearArchiveAttributeOf(*heldSource_, heldFacts_);
    heldSource_.reset();
}

// The backup disk is not trusted: a junction, symbolic link or mount point on it, made by a
// person or another program, could lead a copy, a move or a pruning to files outside the disk
// (the user's own sources among them). The folders below the destination root are looked at
// before anything is made or written in them, from the top down, and a reparse point among them
// is never followed.
uint32_t FileCopier::EnsureFolder(const std::string& folder) {
    std::string key = os::Upcase(folder);
    if (madeFolders_.count(key) != 0) {
        return os::kErrorSuccess;
    }
    bool exists = false;
    if (const uint32_t error = CheckFolderChain(folder, exists)) {
        return error;
    }
    // What is missing below the folders checked is made now, as plain folders.
    const uint32_t result = exists ? os::kErrorSuccess : CreateDirectoryTree(folder);
    if (result == os::kErrorSuccess) {
        madeFolders_.insert(std::move(key));
    }
    return result;
}

uint32_t FileCopier::CheckFolderChain(const std::string& folder, bool& exists) {
    exists = false;
    const size_t start = destinationRoot_.size();
    if (folder.size() <= start + 1 || folder[start] != '\\' ||
        !os::EqualsIgnoreCase(std::string_view(folder).substr(0, start), destinationRoot_)) {
        return os::kErrorSuccess;  // the root itself, which the user chose
    }
    for (size_t end = folder.find('\\', start + 1);; end = folder.find('\\', end + 1)) {
        const std::string part = folder.substr(0, end);
        std::string key = os::Upcase(part);
        if (madeFolders_.count(key) == 0) {
            uint32_t attributes = 0;
            if (files_.GetAttributes(part, attributes) != os::kErrorSuccess) {
                return os::kErrorSuccess;  // missing: made, from here down, by the copier
            }
            if ((attributes & os::kAttributeReparsePoint) != 0) {
                return RefusePlace(part);
            }
            if ((attributes & os::kAttributeDirectory) == 0) {
                return os::kErrorSuccess;  // a file in the way: making the folder says so
            }
            madeFolders_.insert(std::move(key));
        }
        if (end == std::string::npos) {
            exists = true;
            return os::kErrorSuccess;
        }
    }
}

uint32_t FileCopier::RefusePlace(const std::string& path) {
    if (refusedPlaces_.insert(os::Upcase(path)).second) {
        owner_.FileError(path, kErrorReparsePointEncountered);
    }
    return kErrorReparsePointEncountered;
}

// A name ending in a dot or a space reaches another file through a plain path (the system cuts
// them), a device name (CON, NUL.txt, COM1 ...) opens the device, and a name longer than the
// disk's file system takes cannot be made there. Such files exist (made through "\\?\" names or
// by other systems), but the backup cannot keep them under their names: they are passed over as
// dealt with (the watermark may pass them, the retry list does not keep them) and the first of a
// run is reported; the reconciliation of the next run finds them again.
bool FileCopier::NameTheDiskCannotHold(const std::string& source) {
    if (os::ProblemOfPath(source, longestName_) == os::NameProblem::None) {
        return false;
    }
    if (!std::exchange(nameReported_, true)) {
        owner_.LongFileName(source);
    }
    return true;
}

uint32_t FileCopier::CopyOneFile(const std::string& source, bool countBytes) {
    copied_ = false;
    copiedTimes_ = {};
    copiedSize_ = 0;
    heldSource_.reset();
    if (NameTheDiskCannotHold(source)) {
        return os::kErrorSuccess;  // its path is not even asked about: it could be another file
    }
    // The scan said it is a file: it is opened at once, and looked at by name only when that
    // fails in a way a folder would.
    std::unique_ptr<os::File> in;
    SourceFacts facts;
    if (const uint32_t error = OpenSource(source, in, facts)) {
        return GoneSinceTheScan(source, error) ? os::kErrorSuccess : error;
    }
    // Files the user would not want copied as they are: a cloud placeholder would be downloaded
    // by reading it, an EFS-encrypted file would reach the removable disk as plain text. They are
    // passed over as dealt with (the watermark may pass them) and reported once a run; the
    // reconciliation finds them again.
    if ((facts.attributes & (os::kAttributeRecallOnDataAccess | os::kAttributeRecallOnOpen |
                             os::kAttributeOffline)) != 0) {
        if (!std::exchange(placeholderReported_, true)) {
            owner_.FileError(source, kErrorFileOffline);
        }
        return os::kErrorSuccess;
    }
    if ((facts.attributes & os::kAttributeEncrypted) != 0) {
        if (!std::exchange(encryptedReported_, true)) {
            owner_.FileError(source, kErrorFileEncrypted);
        }
        return os::kErrorSuccess;
    }
    const std::string destination = BackupPathOf(destinationRoot_, source);
    const std::string folder = FolderOf(destination);
    if (const uint32_t error = EnsureFolder(folder)) {
        return error;
    }
    auto copyData = [&]() {
        uint32_t result = CopyOpenSource(*in, facts, source, destination, countBytes);
        if (result == os::kErrorPathNotFound && madeFolders_.erase(os::Upcase(folder)) != 0) {
            // The folder went away during the pass: once more with it made again, and the
            // source read from its start.
            in.reset();
            result = EnsureFolder(folder);
            if (result == os::kErrorSuccess) {
                result = OpenSource(source, in, facts);
            }
            if (result == os::kErrorSuccess) {
                result = CopyOpenSource(*in, facts, source, destination, countBytes);
            }
        }
        if (result == os::kErrorSuccess && in) {
            heldSource_ = std::move(in);  // its archive attribute is cleared through it
            heldFacts_ = facts;
        }
        return result;
    };
    if (revisionLimit_ == 0) {
        return copyData();
    }
    const std::string base = destinationRoot_ + "\\" + kRevisionsFolderName +
                             destination.substr(destinationRoot_.size());
    // A failure shows when the revision is written; a refused place ends the copy here, as the
    // copy is not replaced without its revision.
    if (EnsureFolder(FolderOf(base)) == kErrorReparsePointEncountered) {
        return kErrorReparsePointEncountered;
    }
    if (TooLargeForDisk(facts.size) || FreeSpaceFor(base, facts.size) < facts.size) {
        if (TooLargeForDisk(facts.size)) {
            owner_.FileTooLarge(source);
            return kErrorFileTooLarge;
        }
        return os::kErrorDiskFull;
    }
    os::FileInfo current;
    const bool hasCopy = files_.GetFileInfo(destination, current) == os::kErrorSuccess;
    if (hasCopy && (current.attributes & os::kAttributeReparsePoint) != 0) {
        return RefusePlace(destination);  // its revision would be read through it
    }
    if (hasCopy && !current.IsDirectory() && SameVersion(facts.size, facts.times, current)) {
        copied_ = true;  // its backup is this version already: no copy, no revision
        copiedTimes_ = facts.times;
        copiedSize_ = facts.size;
        heldSource_ = std::move(in);
        heldFacts_ = facts;
        return os::kErrorSuccess;
    }
    const uint32_t revision = MakeRevision(destination, base);
    if (revision != os::kErrorSuccess && revision != os::kErrorFileNotFound) {
        return revision;
    }
    return copyData();
}

// No sharing first, then letting others read, then letting them write too; each with the right to
// change attributes (its archive attribute is cleared through the same handle), and without it
// where that right is refused (a share the user may only read, a write-protected medium). The
// no-buffering hint is not given: with one 32 KB block at a time it would wait for the device on
// every block, where the sequential-scan hint lets the system read ahead. Size, times and
// attributes come from the open file in one call.
uint32_t FileCopier::OpenSource(const std::string& source, std::unique_ptr<os::File>& file,
                                SourceFacts& facts) {
    facts = SourceFacts{};
    uint32_t error = os::kErrorSuccess;
    for (uint32_t share : {os::kShareNone, os::kShareRead, os::kShareRead | os::kShareWrite}) {
        os::OpenRequest request;
        request.access = os::kAccessRead | os::kAccessWriteAttributes;
        request.share = share;
        request.disposition = os::Disposition::OpenExisting;
        // A placeholder is found out from the open file and not read: opening it must not fetch
        // its data either.
        request.flags = os::kFlagSequentialScan | os::kFlagOpenNoRecall;
        error = files_.Open(source, request, file);
        if (error == os::kErrorAccessDenied || error == os::kErrorWriteProtect) {
            request.access = os::kAccessRead;
            error = files_.Open(source, request, file);
        }
        if (error == os::kErrorSuccess) {
            facts.othersMayWrite = (share & os::kShareWrite) != 0;
            return ReadSourceFacts(*file, facts);
        }
        if (error != os::kErrorSharingViolation && error != os::kErrorLockViolation) {
            return error;
        }
    }
    return error;
}

// A source that cannot be opened because it is gone, or because it is a folder now, has nothing
// to copy.
bool FileCopier::GoneSinceTheScan(const std::string& source, uint32_t openError) {
    if (openError == os::kErrorFileNotFound || openError == os::kErrorPathNotFound) {
        return true;
    }
    uint32_t attributes = 0;
    return openError == os::kErrorAccessDenied &&
           files_.GetAttributes(source, attributes) == os::kErrorSuccess &&
           (attributes & os::kAttributeDirectory) != 0;
}

void FileCopier::RemoveStaleTemporaries(const std::string& folder,
                                        const std::string& sourceFolder) {
    if (!cleanedFolders_.insert(os::Upcase(folder)).second) {
        return;
    }
    std::unique_ptr<os::DirectorySearch> search;
    os::FileInfo entry;
    uint32_t error = files_.FindFirst(TemporaryFilesIn(folder), search, entry);
    while (error == os::kErrorSuccess) {
        if (!entry.IsDirectory() && IsTemporaryName(entry.name)) {
            os::FileInfo user;
            const bool usersOwn =
                !sourceFolder.empty() &&
                files_.GetFileInfo(sourceFolder + "\\" + entry.name, user) == os::kErrorSuccess;
            if (!usersOwn) {
                // One still in use is removed next time.
                static_cast<void>(files_.DeleteFile(folder + "\\" + entry.name));
            }
        }
        error = search->Next(entry);
    }
}

// Reads block by block until the end. A block shorter than asked for that reaches the size the
// file had when it was opened is the end, when no one else may write the file meanwhile; with
// others writing, the end is an empty read. A large file that no one else may write is read
// ahead on a thread of its own, block by block as here, so that the disk written to does not wait
// for the next block.
uint32_t FileCopier::CopyData(os::File& in, const SourceFacts& facts, ReplacementFile& out,
                              bool countBytes) {
    if (facts.size >= kReadAheadFrom && !facts.othersMayWrite) {
        if (!blockReader_) {
            blockReader_ = std::make_unique<BlockReader>(kCopyBlockBytes);
        }
        if (blockReader_->usable() && blockReader_->Start(in, facts.size) == os::kErrorSuccess) {
            const uint32_t result = CopyReadAhead(*blockReader_, out, countBytes);
            blockReader_->Stop();
            return result;
        }
    }
    std::byte* buffer = buffer_.get();
    uint64_t total = 0;
    for (;;) {
        if (Cancelled()) {
            return os::kErrorOperationAborted;
        }
        uint32_t got = 0;
        if (const uint32_t error = in.Read(buffer, kCopyBlockBytes, got)) {
            return error;
        }
        if (got == 0) {
            return os::kErrorSuccess;
        }
        total += got;
        uint32_t written = 0;
        const uint32_t error = out.WriteAll(buffer, got, written);
        if (countBytes) {
            bytesCopied_ += written;
        }
        if (error != os::kErrorSuccess) {
            return error;
        }
        if (got < kCopyBlockBytes && total >= facts.size && !facts.othersMayWrite) {
            return os::kErrorSuccess;
        }
    }
}

uint32_t FileCopier::CopyReadAhead(BlockReader& reader, ReplacementFile& out, bool countBytes) {
    for (;;) {
        if (Cancelled()) {
            return os::kErrorOperationAborted;
        }
        const std::byte* data = nullptr;
        uint32_t got = 0;
        if (const uint32_t error = reader.Next(data, got)) {
            return error;
        }
        if (got == 0) {
            return os::kErrorSuccess;
        }
        uint32_t written = 0;
        const uint32_t error = out.WriteAll(data, got, written);
        if (countBytes) {
            bytesCopied_ += written;
        }
        if (error != os::kErrorSuccess) {
            return error;
        }
    }
}

// Windows gives a file that takes the name of one just removed the creation time of the removed
// one ("tunnelling"): after a move over an old copy the new one may carry the old copy's creation
// time. It is set again through the still open file, together with the read-only attribute; a
// volume that cannot set creation times is not asked again.
uint32_t FileCopier::FinishInPlace(os::File& file, const SourceFacts& facts, bool replaced) {
    const bool creation = replaced && creationTimesKept_ && facts.times.creation != 0;
    const uint32_t attributes =
        (facts.attributes & os::kAttributeReadOnly) != 0 ? AttributesToSet(facts.attributes) : 0;
    if (!creation && attributes == 0) {
        return os::kErrorSuccess;
    }
    const os::FileTimes times{creation ? facts.times.creation : 0, 0, 0};
    uint32_t error = file.SetTimesAndAttributes(times, attributes);
    if (error != os::kErrorSuccess && creation) {
        creationTimesKept_ = false;
        error = attributes == 0 ? os::kErrorSuccess : file.SetTimesAndAttributes({}, attributes);
    }
    return error;
}

bool FileCopier::OldCopy::IsProtected() const {
    return exists && (attributes & kProtectingAttributes) != 0;
}

void FileCopier::ShowCurrentNames(const std::string& source, const std::string& destination) {
    std::lock_guard lock(mutex_);
    currentSource_ = source;
    currentDestination_ = destination;
}

uint32_t FileCopier::ReadSourceFacts(os::File& in, SourceFacts& facts) {
    os::FileInfo info;
    if (const uint32_t error = in.GetInfo(info)) {
        return error;
    }
    facts.size = info.size;
    facts.times = info.times;
    facts.attributes = info.attributes;
    return os::kErrorSuccess;
}

FileCopier::OldCopy FileCopier::LookAtOldCopy(const std::string& destination) {
    OldCopy old;
    uint32_t attributes = 0;
    if (files_.GetAttributes(destination, attributes) == os::kErrorSuccess) {
        old.isFolder = (attributes & os::kAttributeDirectory) != 0;
        old.exists = !old.isFolder;
        old.attributes = attributes;
    }
    return old;
}

// Free space for the new copy beside the old one; failing that, in its place (the old copy is
// deleted first); failing that, a full disk, or a file too large for any disk of this size. The
// old copy is looked at only when the new one does not fit beside it.
uint32_t FileCopier::MakeRoom(const std::string& source, const std::string& destination,
                              uint64_t size, bool& inPlace) {
    inPlace = false;
    if (largestFile_ < size) {
        owner_.FileTooLarge(source);
        return kErrorFileTooLarge;
    }
    const uint64_t free = FreeSpaceFor(destination, size);
    if (free >= size) {
        return os::kErrorSuccess;
    }
    const OldCopy old = LookAtOldCopy(destination);
    if ((old.attributes & os::kAttributeReparsePoint) != 0) {
        return RefusePlace(destination);
    }
    if (old.isFolder) {
        return os::kErrorDirectoryNotSupported;
    }
    if (!old.exists || size - free > FileSizeOf(files_, destination)) {
        if (capacity_ >= size) {
            return os::kErrorDiskFull;  // it would fit an empty disk
        }
        owner_.FileTooLarge(source);
        return kErrorFileTooLarge;
    }
    inPlace = true;  // it fits only where the old copy is
    if (old.IsProtected()) {
        // Whether it worked, the delete tells.
        static_cast<void>(files_.SetAttributes(destination, os::kAttributeNormal));
    }
    const uint32_t error = files_.DeleteFile(destination);
    if (error != os::kErrorSuccess && old.IsProtected()) {
        // Put back as it was; should that fail, the next copy unprotects it again.
        static_cast<void>(files_.SetAttributes(destination, AttributesToSet(old.attributes)));
    }
    return error;
}

// The data, then the source's times and attributes but read-only, into a temporary file of the
// backup's folder, through the one handle it was created with.
uint32_t FileCopier::WriteNewCopy(os::File& in, const std::string& folder, const SourceFacts& facts,
                                  bool countBytes, ReplacementFile& replacement) {
    if (const uint32_t error = replacement.Create(
            folder, AttributesToSet(facts.attributes & kCreatedWithAttributes))) {
        return error;
    }
    uint32_t result = CopyData(in, facts, replacement, countBytes);
    if (result == os::kErrorSuccess && Cancelled()) {
        result = os::kErrorOperationAborted;
    }
    if (result != os::kErrorSuccess) {
        return result;
    }
    // Read-only only once it has its name: a temporary file left by a failed move must remain
    // deletable.
    return replacement.file().SetTimesAndAttributes(
        facts.times, AttributesToSet(facts.attributes & ~os::kAttributeReadOnly));
}

// The complete new copy takes its name in one step, still open: a new name at once; an old copy
// is replaced, and one that refuses (read-only, hidden or system) is unprotected first. Only then
// is the new copy closed.
uint32_t FileCopier::PutNewCopyInPlace(ReplacementFile& replacement, const std::string& destination,
                                       const SourceFacts& facts, bool nameFreed) {
    // On the medium before it takes the real name: the move may reach the disk before data still
    // in the system's cache, and a power cut would leave a torn file under that name.
    if (const uint32_t error = replacement.file().Flush()) {
        return error;
    }
    bool replaced = nameFreed;
    uint32_t error = replacement.RenameOpen(destination, false);
    if (error == os::kErrorAlreadyExists || error == os::kErrorFileExists) {
        replaced = true;
        // What is there is looked at before it is replaced: a link on the disk is left alone.
        const OldCopy old = LookAtOldCopy(destination);
        if ((old.attributes & os::kAttributeReparsePoint) != 0) {
            return RefusePlace(destination);
        }
        if (old.isFolder) {
            // The source was a folder once, and its backup still is; the user must move it.
            return os::kErrorDirectoryNotSupported;
        }
        error = replacement.RenameOpen(destination, true);
        if (error == os::kErrorAccessDenied) {
            if (old.IsProtected()) {
                // Whether it worked, the move tells.
                static_cast<void>(files_.SetAttributes(destination, os::kAttributeNormal));
                error = replacement.RenameOpen(destination, true);
                if (error != os::kErrorSuccess) {
                    // Put back as it was; should that fail, the next copy unprotects it again.
                    static_cast<void>(
                        files_.SetAttributes(destination, AttributesToSet(old.attributes)));
                }
            }
        }
    }
    if (error != os::kErrorSuccess) {
        return error;
    }
    if (const uint32_t finished = FinishInPlace(replacement.file(), facts, replaced)) {
        // The data and times are there; the source stays due and is copied again.
        return finished;
    }
    return replacement.Close();
}

uint32_t FileCopier::CopyFileData(const std::string& source, const std::string& destination,
                                  bool countBytes) {
    std::unique_ptr<os::File> in;
    SourceFacts facts;
    if (const uint32_t error = OpenSource(source, in, facts)) {
        return error;
    }
    return CopyOpenSource(*in, facts, source, destination, countBytes);
}

uint32_t FileCopier::CopyOpenSource(os::File& in, const SourceFacts& facts,
                                    const std::string& source, const std::string& destination,
                                    bool countBytes) {
    ShowCurrentNames(source, destination);
    copied_ = false;
    const std::string folder = FolderOf(destination);
    RemoveStaleTemporaries(folder, FolderOf(source));
    if (!buffer_) {
        return os::kErrorNotEnoughMemory;
    }
    bool inPlace = false;
    if (const uint32_t error = MakeRoom(source, destination, facts.size, inPlace)) {
        return error;
    }
    ReplacementFile replacement(files_, temporaryCounter_);
    if (const uint32_t error = WriteNewCopy(in, folder, facts, countBytes, replacement)) {
        return error;
    }
    if (const uint32_t error = PutNewCopyInPlace(replacement, destination, facts, inPlace)) {
        return error;
    }
    SpendFreeSpace(facts.size);
    uncommittedFolder_ = folder;
    copied_ = true;
    copiedTimes_ = facts.times;
    copiedSize_ = facts.size;
    return os::kErrorSuccess;
}

uint32_t FileCopier::CreateDirectoryTree(const std::string& path) {
    auto make = [this](const std::string& folder) {
        const uint32_t error = files_.CreateDirectory(folder);
        return error == os::kErrorAlreadyExists || error == os::kErrorAccessDenied
                   ? os::kErrorSuccess
                   : error;
    };
    // Usually only the last folder is missing, or none.
    if (make(path) == os::kErrorSuccess) {
        return os::kErrorSuccess;
    }
    const size_t start =
        path.size() >= 2 && path[0] == '\\' && path[1] == '\\' ? VolumeOf(path).size() : 0;
    for (size_t slash = path.find('\\', start); slash != std::string::npos && !Cancelled();
         slash = path.find('\\', slash + 1)) {
        if (slash == 0) {
            continue;
        }
        if (const uint32_t error = make(path.substr(0, slash))) {
            return error;
        }
    }
    return make(path);
}

// FAT and FAT32 keep no file of 4 GiB or more: such a file is too large for the disk before any
// byte is written, not a full disk to be swapped.
void FileCopier::LearnDisk() {
    capacity_ = DiskCapacity(destinationRoot_);
    largestFile_ = UINT64_MAX;
    longestName_ = 255;
    os::VolumeInfo volume;
    if (files_.GetVolumeInfo(VolumeOf(destinationRoot_) + "\\", volume) != os::kErrorSuccess) {
        timeRules_ = TimeRulesOf({});  // unknown: no copy made again for a time's rounding
        return;
    }
    if (volume.maximumComponentLength != 0) {
        longestName_ = volume.maximumComponentLength;
    }
    const std::string name = os::Upcase(volume.fileSystem);
    if (name == "FAT32" || name == "FAT" || name == "FAT16" || name == "FAT12") {
        largestFile_ = (4ULL << 30) - 1;
    }
    timeRules_ = TimeRulesOf(volume.fileSystem);
}

// The file time (the later of creation and last write) is compared at the resolution of the
// disk's write times, which is the coarser one; a size that differs is always another version.
bool FileCopier::SameVersion(uint64_t size, const os::FileTimes& times,
                             const os::FileInfo& copy) const {
    return copy.size == size && SameWriteTime(LaterTime(times), LaterTime(copy.times), timeRules_);
}

uint64_t FileCopier::DiskCapacity(const std::string& path) {
    os::VolumeSpace space;
    if (files_.GetVolumeSpace(VolumeOf(path), space) != os::kErrorSuccess) {
        return UINT64_MAX;
    }
    return space.totalBytes;
}

// Asking the volume for its free space for every file costs as much as copying a small file on
// some systems. The copier asks once, takes off what it writes (and more), and asks again when
// the figure comes near a file's size. The estimate errs low only, except where another program
// fills the disk meanwhile; a full disk it did not foresee makes the copy ask the volume again.
uint64_t FileCopier::FreeSpaceFor(const std::string& path, uint64_t needed) {
    const std::string volume = os::Upcase(VolumeOf(path));
    freeFromEstimate_ = freeKnown_ && volume == freeVolume_ && freeEstimate_ >= needed &&
                        freeEstimate_ - needed >= kFreeSpaceMargin;
    if (freeFromEstimate_) {
        return freeEstimate_;
    }
    freeEstimate_ = FreeSpace(path);
    freeVolume_ = volume;
    freeKnown_ = freeEstimate_ != UINT64_MAX;
    return freeEstimate_;
}

void FileCopier::SpendFreeSpace(uint64_t bytes) {
    const uint64_t spent = bytes + kFileOverhead;
    freeEstimate_ = freeEstimate_ > spent ? freeEstimate_ - spent : 0;
}

uint64_t FileCopier::FreeSpace(const std::string& path) {
    os::VolumeSpace space;
    if (files_.GetVolumeSpace(VolumeOf(path), space) != os::kErrorSuccess) {
        return UINT64_MAX;
    }
    return space.freeBytes;
}

unsigned FileCopier::PercentDone() const {
    const uint64_t bytes = bytesCopied_;
    const uint64_t total = candidateTotal_;
    if (bytes == 0 || total == 0) {
        return bytes != 0 ? 99 : 0;
    }
    return static_cast<unsigned>(bytes * 100 / total);
}

std::string FileCopier::CurrentSource() const {
    std::lock_guard lock(mutex_);
    return currentSource_;
}

std::string FileCopier::CurrentDestination() const {
    std::lock_guard lock(mutex_);
    return currentDestination_;
}

}  // namespace engine
