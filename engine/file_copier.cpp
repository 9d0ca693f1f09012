#include "engine/file_copier.h"

#include <cstdio>
#include <new>

#include "engine/revisions.h"
#include "os/errors.h"
#include "os/text.h"

namespace engine {

namespace {

constexpr char kTemporaryPrefix[] = "~Ferrolin2-";
constexpr char kTemporarySuffix[] = ".partial";
constexpr size_t kTemporaryDigits = 8;
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

// Deletes a temporary file on every path that does not hand it over.
class TemporaryFile {
  public:
    TemporaryFile(os::FileSystem& files, std::string path)
        : files_(files), path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) {
            files_.DeleteFile(path_);  // if this fails, the next write to the folder removes it
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    void Release() { path_.clear(); }

  private:
    os::FileSystem& files_;
    std::string path_;
};

}  // namespace

bool IsTemporaryName(std::string_view name) {
    constexpr size_t prefix = sizeof kTemporaryPrefix - 1;
    constexpr size_t suffix = sizeof kTemporarySuffix - 1;
    if (name.size() != prefix + kTemporaryDigits + suffix ||
        !os::EqualsIgnoreCase(name.substr(0, prefix), kTemporaryPrefix) ||
        !os::EqualsIgnoreCase(name.substr(prefix + kTemporaryDigits), kTemporarySuffix)) {
        return false;
    }
    for (char c : name.substr(prefix, kTemporaryDigits)) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex) {
            return false;
        }
    }
    return true;
}

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
    store_.ReadDiskStartTime(diskStartTime_);  // kept at 0 when missing
}

// The disk start time is stored whenever it changes, so the registry never holds the date of a
// disk that has left the drive.
FileCopier::~FileCopier() = default;

void FileCopier::SetDiskStartTime(os::FileTime time) {
    if (time != diskStartTime_) {
        diskStartTime_ = time;
        store_.WriteDiskStartTime(
            time);  // a failure only costs the date the disk-full prompt shows
    }
}

void FileCopier::ForgetDisk() {
    SetDiskStartTime(0);
    freeKnown_ = false;
    capacity_ = DiskCapacity(destinationRoot_);
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
    destinationRoot_ = destination;
    if (!destinationRoot_.empty() && destinationRoot_.back() == '\\') {
        destinationRoot_.pop_back();
    }
    capacity_ = DiskCapacity(destinationRoot_);
    freeKnown_ = false;
    passRetries_.Clear();
    madeFolders_.clear();
    cleanedFolders_.clear();

    uint32_t result = RetryPass(retries);
    candidateTotal_ = candidates.Total();
    if (result == os::kErrorSuccess) {
        result = OrderByTime();
        if (result == os::kErrorSuccess) {
            MainPass();  // what ends it early is handled there; the pass itself succeeded
            if (watermark < newestCopied_) {
                watermark = newestCopied_;
            }
        }
    }
    if (result == os::kErrorOperationAborted) {
        result = os::kErrorSuccess;
    }
    retries.CopyFrom(passRetries_);
    passRetries_.Clear();
    cancel_ = false;
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
        if (cancel_) {
            return {os::kErrorOperationAborted, false};
        }
        if (round == kMostDiskSwapRounds) {
            abandoned_ = true;
            return {os::kErrorOperationAborted, false};
        }
        const uint32_t answer =
            owner_.DiskFullHandler(diskStartTime_, newestCopied_, FileSizeOf(files_, path),
                                   destinationRoot_, bytesCopied_);
        if (answer != os::kErrorSuccess) {
            return {answer, true};
        }
        ForgetDisk();  // a disk with room is in the drive: the same file again
    }
}

// Files the retry pass copies keep their archive attribute and do not move the watermark: the
// next scan finds them again and the main pass settles them.
uint32_t FileCopier::RetryPass(FileList& retries) {
    uint32_t result = os::kErrorSuccess;
    size_t i = 0;
    bool keepCurrent = false;
    const size_t count = retries.Count();
    for (; i < count && !cancel_ && !abandoned_; ++i) {
        const std::string path = retries.EntryAt(i).path;
        const Attempt attempt = CopyWithDiskSwaps(path, false);
        result = attempt.result;
        if (result == os::kErrorSuccess) {
            if (copied_ && diskStartTime_ == 0) {
                SetDiskStartTime(copiedTime_);
            }
            if (candidates_ != nullptr) {
                candidates_->RemovePath(path);  // copied once is enough
            }
        } else if (result == kErrorFileTooLarge) {
            result = os::kErrorSuccess;  // reported; it cannot go on this disk
        } else if (IsBusy(result)) {
            if (!passRetries_.Contains(path)) {
                passRetries_.AddFile(path);
            }
            result = os::kErrorSuccess;
        } else {
            // Cancelled, or the owner gave up on a full disk: this file is still due. Another
            // error ends the pass and drops the file from the list.
            keepCurrent = attempt.fromDiskSwap || result == os::kErrorOperationAborted;
            break;
        }
    }
    if (cancel_ || abandoned_) {
        keepCurrent = keepCurrent || i < count;
        result = result == os::kErrorSuccess ? os::kErrorOperationAborted : result;
    }
    // What the pass did not get to stays on the list.
    for (size_t j = keepCurrent ? i : i + 1; j < count; ++j) {
        const std::string path = retries.EntryAt(j).path;
        if (!passRetries_.Contains(path)) {
            passRetries_.AddFile(path);
        }
    }
    return result;
}

uint32_t FileCopier::OrderByTime() {
    if (candidates_ == nullptr) {
        return os::kErrorSuccess;
    }
    candidates_->OrderByTime([this](const FileEntryView& e) {
        if (cancel_) {
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

uint32_t FileCopier::MainPass() {
    if (candidates_ == nullptr) {
        return os::kErrorSuccess;
    }
    uint32_t result = os::kErrorSuccess;
    const size_t count = candidates_->IndexCount();
    for (size_t i = 0; i < count && !cancel_ && !abandoned_ && result == os::kErrorSuccess; ++i) {
        const std::string path = candidates_->SortedAt(i).path;
        const Attempt attempt = CopyWithDiskSwaps(path, true);
        result = attempt.result;
        if (attempt.fromDiskSwap) {
            break;  // the owner's answer to a full disk ends the pass
        }
        if (result == os::kErrorSuccess) {
            passRetries_.RemovePath(path);
            if (!copied_) {
                continue;  // gone since the scan
            }
            if (newestCopied_ < copiedTime_) {
                newestCopied_ = copiedTime_;
            }
            if (cancel_) {
                continue;
            }
            if (diskStartTime_ == 0) {
                SetDiskStartTime(newestCopied_);
            }
            // The archive attribute says "not backed up yet": it is cleared only when the
            // source stayed the version that was copied.
            uint32_t attributes = 0;
            if (!sourceChanged_ && files_.GetAttributes(path, attributes) == os::kErrorSuccess &&
                (attributes & os::kAttributeArchive) != 0) {
                // A failure leaves the file due: it is copied again next time.
                files_.SetAttributes(path, AttributesToSet(attributes & ~os::kAttributeArchive));
            }
        } else if (result == kErrorFileTooLarge) {
            result = os::kErrorSuccess;  // reported and skipped; it stays due
        } else if (IsBusy(result) || result == os::kErrorOperationAborted) {
            if (!passRetries_.Contains(path)) {
                passRetries_.AddFile(path);
            }
            result = os::kErrorSuccess;
        } else {
            owner_.FileError(path, result);
            result = os::kErrorSuccess;
        }
    }
    candidates_->Clear();
    candidateTotal_ = 0;
    return result;
}

uint32_t FileCopier::EnsureFolder(const std::string& folder) {
    std::string key = os::Upcase(folder);
    if (madeFolders_.count(key) != 0) {
        return os::kErrorSuccess;
    }
    const uint32_t result = CreateDirectoryTree(folder);
    if (result == os::kErrorSuccess) {
        madeFolders_.insert(std::move(key));
    }
    return result;
}

uint32_t FileCopier::CopyOneFile(const std::string& source, bool countBytes) {
    copied_ = false;
    copiedTime_ = 0;
    sourceChanged_ = false;
    uint32_t attributes = 0;
    const uint32_t found = files_.GetAttributes(source, attributes);
    if (found == os::kErrorFileNotFound || found == os::kErrorPathNotFound) {
        return os::kErrorSuccess;  // gone since the scan: nothing to copy
    }
    if (found != os::kErrorSuccess) {
        return found;
    }
    if ((attributes & os::kAttributeDirectory) != 0) {
        return os::kErrorSuccess;
    }
    const std::string destination = BackupPathOf(destinationRoot_, source);
    const std::string folder = FolderOf(destination);
    if (const uint32_t error = EnsureFolder(folder)) {
        return error;
    }
    auto copyData = [&]() {
        uint32_t result = CopyFileData(source, destination, countBytes);
        if (result == os::kErrorPathNotFound && madeFolders_.erase(os::Upcase(folder)) != 0) {
            // The folder went away during the pass: once more with it made again.
            result = EnsureFolder(folder);
            if (result == os::kErrorSuccess) {
                result = CopyFileData(source, destination, countBytes);
            }
        }
        return result;
    };
    if (revisionLimit_ == 0) {
        return copyData();
    }
    const std::string base = destinationRoot_ + "\\" + kRevisionsFolderName +
                             destination.substr(destinationRoot_.size());
    EnsureFolder(FolderOf(base));  // a failure shows when the revision is written
    os::FileInfo info;
    if (const uint32_t error = files_.GetFileInfo(source, info)) {
        return error == os::kErrorFileNotFound ? os::kErrorSuccess : error;
    }
    if (FreeSpaceFor(base, info.size) < info.size) {
        if (capacity_ < info.size) {
            owner_.FileTooLarge(source);
            return kErrorFileTooLarge;
        }
        return os::kErrorDiskFull;
    }
    os::FileInfo current;
    if (files_.GetFileInfo(destination, current) == os::kErrorSuccess && !current.IsDirectory() &&
        LaterTime(current.times) == LaterTime(info.times)) {
        copied_ = true;  // its backup is this version already: no copy, no revision
        copiedTime_ = LaterTime(info.times);
        return os::kErrorSuccess;
    }
    const uint32_t revision = MakeRevision(destination, base);
    if (revision != os::kErrorSuccess && revision != os::kErrorFileNotFound) {
        return revision;
    }
    return copyData();
}

uint32_t FileCopier::OpenSource(const std::string& source, std::unique_ptr<os::File>& file) {
    // No sharing first, then letting others read, then letting them write too. The
    // no-buffering hint is not given: with one 32 KB block at a time it would wait for the
    // device on every block, where the sequential-scan hint lets the system read ahead.
    uint32_t error = os::kErrorSuccess;
    for (uint32_t share : {os::kShareNone, os::kShareRead, os::kShareRead | os::kShareWrite}) {
        os::OpenRequest request;
        request.access = os::kAccessRead;
        request.share = share;
        request.disposition = os::Disposition::OpenExisting;
        request.flags = os::kFlagSequentialScan;
        error = files_.Open(source, request, file);
        if (error != os::kErrorSuccess && error != os::kErrorSharingViolation &&
            error != os::kErrorLockViolation) {
            return error;
        }
        if (error == os::kErrorSuccess) {
            return error;
        }
    }
    return error;
}

uint32_t FileCopier::CreateTemporary(const std::string& folder, uint32_t attributes,
                                     std::string& path, std::unique_ptr<os::File>& file) {
    uint32_t error = os::kErrorFileExists;
    for (int attempt = 0;
         attempt < 64 && (error == os::kErrorFileExists || error == os::kErrorAlreadyExists);
         ++attempt) {
        char digits[kTemporaryDigits + 1];
        std::snprintf(digits, sizeof digits, "%08x", ++temporaryCounter_);
        path = folder + "\\" + kTemporaryPrefix + digits + kTemporarySuffix;
        os::OpenRequest request;
        request.access = os::kAccessWrite;
        request.share = os::kShareNone;
        request.disposition = os::Disposition::CreateNew;
        request.attributes = attributes;
        error = files_.Open(path, request, file);
    }
    return error;
}

void FileCopier::RemoveStaleTemporaries(const std::string& folder,
                                        const std::string& sourceFolder) {
    if (!cleanedFolders_.insert(os::Upcase(folder)).second) {
        return;
    }
    std::unique_ptr<os::DirectorySearch> search;
    os::FileInfo entry;
    uint32_t error =
        files_.FindFirst(folder + "\\" + kTemporaryPrefix + "*" + kTemporarySuffix, search, entry);
    while (error == os::kErrorSuccess) {
        if (!entry.IsDirectory() && IsTemporaryName(entry.name)) {
            os::FileInfo user;
            const bool usersOwn =
                !sourceFolder.empty() &&
                files_.GetFileInfo(sourceFolder + "\\" + entry.name, user) == os::kErrorSuccess;
            if (!usersOwn) {
                files_.DeleteFile(folder + "\\" + entry.name);  // still in use: next time
            }
        }
        error = search->Next(entry);
    }
}

uint32_t FileCopier::CopyData(os::File& in, os::File& out, bool countBytes) {
    std::byte* buffer = buffer_.get();
    for (;;) {
        if (cancel_) {
            return os::kErrorOperationAborted;
        }
        uint32_t got = 0;
        if (const uint32_t error = in.Read(buffer, kCopyBlockBytes, got)) {
            return error;
        }
        if (got == 0) {
            return os::kErrorSuccess;
        }
        uint32_t done = 0;
        while (done < got) {
            uint32_t written = 0;
            const uint32_t error = out.Write(buffer + done, got - done, written);
            done += written;
            if (countBytes) {
                bytesCopied_ += written;
            }
            if (error != os::kErrorSuccess) {
                return error;
            }
            if (written == 0) {
                return os::kErrorDiskFull;
            }
        }
    }
}

// Windows gives a file that takes the name of one just removed the creation time of the removed
// one ("tunnelling"): after the move the new copy may carry its old copy's creation time. It is
// set again then; a volume that cannot set creation times is not asked again.
void FileCopier::KeepCreationTime(const std::string& path, const os::FileTimes& times) {
    if (!creationTimesKept_ || times.creation == 0) {
        return;
    }
    os::FileInfo info;
    if (files_.GetFileInfo(path, info) != os::kErrorSuccess ||
        info.times.creation == times.creation) {
        return;
    }
    std::unique_ptr<os::File> file;
    os::OpenRequest request;
    request.access = os::kAccessWrite;
    request.share = os::kShareNone;
    request.disposition = os::Disposition::OpenExisting;
    if (files_.Open(path, request, file) == os::kErrorSuccess) {
        file->SetTimes(times);
        file->Close();
    }
    if (files_.GetFileInfo(path, info) == os::kErrorSuccess &&
        info.times.creation != times.creation) {
        creationTimesKept_ = false;
    }
}

uint32_t FileCopier::CopyFileData(const std::string& source, const std::string& destination,
                                  bool countBytes) {
    {
        std::lock_guard lock(mutex_);
        currentSource_ = source;
        currentDestination_ = destination;
    }
    copied_ = false;
    sourceChanged_ = false;
    const std::string folder = FolderOf(destination);
    RemoveStaleTemporaries(folder, FolderOf(source));
    if (!buffer_) {
        return os::kErrorNotEnoughMemory;
    }
    // Size, times and attributes come from the open source (asking by name costs more on some
    // systems); the open also tells when another program holds the file.
    std::unique_ptr<os::File> in;
    if (const uint32_t error = OpenSource(source, in)) {
        return error;
    }
    uint64_t size = 0;
    os::FileTimes times;
    uint32_t attributes = 0;
    if (const uint32_t error = in->GetSize(size)) {
        return error;
    }
    if (const uint32_t error = in->GetTimes(times)) {
        return error;
    }
    if (const uint32_t error = files_.GetAttributes(source, attributes)) {
        return error;
    }
    uint32_t oldAttributes = 0;
    const bool hasOld = files_.GetAttributes(destination, oldAttributes) == os::kErrorSuccess &&
                        (oldAttributes & os::kAttributeDirectory) == 0;
    const bool protectedOld = hasOld && (oldAttributes & kProtectingAttributes) != 0;
    const uint64_t free = FreeSpaceFor(destination, size);
    bool inPlace = false;
    if (free < size) {
        if (hasOld && size - free <= FileSizeOf(files_, destination)) {
            inPlace = true;  // it fits only where the old copy is
        } else if (capacity_ >= size) {
            return os::kErrorDiskFull;  // it would fit an empty disk
        } else {
            owner_.FileTooLarge(source);
            return kErrorFileTooLarge;
        }
    }
    if (inPlace) {
        if (protectedOld) {
            files_.SetAttributes(destination, os::kAttributeNormal);  // the delete tells
        }
        if (const uint32_t error = files_.DeleteFile(destination)) {
            if (protectedOld) {
                files_.SetAttributes(destination, AttributesToSet(oldAttributes));
            }
            return error;
        }
    }

    std::string temporaryPath;
    std::unique_ptr<os::File> out;
    // The new copy is made with the source's attributes, but for read-only and the ones set
    // only later: usually there is nothing left to set once it is in place.
    const uint32_t madeWith = AttributesToSet(attributes & kCreatedWithAttributes);
    if (const uint32_t error = CreateTemporary(folder, madeWith, temporaryPath, out)) {
        return error;
    }
    TemporaryFile temporary(files_, temporaryPath);
    uint32_t result = CopyData(*in, *out, countBytes);
    if (result == os::kErrorSuccess && cancel_) {
        result = os::kErrorOperationAborted;
    }
    if (result == os::kErrorSuccess) {
        result = out->SetTimes(times);
    }
    const uint32_t closed = out->Close();
    if (result == os::kErrorSuccess) {
        result = closed;  // a write the system held back may fail only now
    }
    if (result != os::kErrorSuccess) {
        return result;
    }

    // Complete: it takes the old copy's place in one step.
    const bool unprotect = protectedOld && !inPlace;
    if (unprotect) {
        files_.SetAttributes(destination, os::kAttributeNormal);  // the move tells
    }
    if (const uint32_t error = files_.MoveFile(temporaryPath, destination, true)) {
        if (unprotect) {
            files_.SetAttributes(destination, AttributesToSet(oldAttributes));
        }
        return error;
    }
    temporary.Release();
    if (hasOld) {
        KeepCreationTime(destination, times);
    }
    const uint32_t wanted = AttributesToSet(attributes);
    if (wanted != AttributesToSet(madeWith | os::kAttributeArchive)) {
        if (const uint32_t error = files_.SetAttributes(destination, wanted)) {
            return error;  // the data is there; the source stays due and is copied again
        }
    }
    SpendFreeSpace(size);
    // A source that another program wrote to meanwhile is copied again next time.
    os::FileTimes now;
    sourceChanged_ = in->GetTimes(now) != os::kErrorSuccess || now.lastWrite != times.lastWrite;
    copied_ = true;
    copiedTime_ = LaterTime(times);
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
    for (size_t slash = path.find('\\', start); slash != std::string::npos && !cancel_;
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
