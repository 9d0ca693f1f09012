#include "engine/folder_scanner.h"

#include <memory>
#include <unordered_map>

#include "engine/file_copier.h"
#include "os/errors.h"
#include "os/path_names.h"
#include "os/text.h"
#include "settings/exclusion_list.h"

namespace engine {

namespace {

std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
        return folder + name;
    }
    return folder + "\\" + name;
}

bool IsDotEntry(const std::string& name) {
    return name == "." || name == "..";
}

bool IsChanged(const os::FileInfo& info, os::FileTime lastSync) {
    if (lastSync == 0) {
        return true;  // a complete copy: every file, whatever its times say
    }
    if ((info.attributes & os::kAttributeTemporary) == 0 && info.times.creation > lastSync) {
        return true;  // created (or copied in) since, even with an older write time
    }
    return info.times.lastWrite > lastSync || (info.attributes & os::kAttributeArchive) != 0;
}

}  // namespace

// Depth first, each folder's entries in search order, a subfolder's tree before the next entry
// of its parent. Each level keeps its search open on the explicit stack. Returns false when
// cancelled. A subfolder whose name a plain path cannot reach (it ends in a dot or a space, names
// a device, holds a character no name may have) is not searched, which would search another
// folder or none: it is handed on like a file, and the copier reports it.
template <typename OnFile>
bool FolderScanner::Walk(const std::string& folder, OnFile onFile) {
    struct Level {
        std::string folder;
        std::unique_ptr<os::DirectorySearch> search;
        os::FileInfo entry;
        bool first = true;
    };
    std::vector<Level> stack;
    bool stopped = false;  // by the observer
    auto open = [this, &stack, &stopped](const std::string& path) {
        if (observer_ && !observer_()) {
            stopped = true;
            cancel_ = true;
            return;
        }
        Level level;
        level.folder = path;
        const uint32_t error = files_.FindFirst(Join(path, "*.*"), level.search, level.entry);
        if (error == os::kErrorSuccess) {
            stack.push_back(std::move(level));
        } else if (error != os::kErrorFileNotFound) {  // 2: an empty drive root
            skipped_.push_back({path, error});
        }
    };
    open(folder);
    while (!stack.empty()) {
        Level& top = stack.back();
        if (!top.first) {
            const uint32_t error = top.search->Next(top.entry);
            if (error != os::kErrorSuccess) {
                if (error != os::kErrorNoMoreFiles) {
                    skipped_.push_back({top.folder, error});
                }
                stack.pop_back();
                continue;
            }
        }
        top.first = false;
        const os::FileInfo& entry = top.entry;
        if (!IsDotEntry(entry.name)) {
            std::string path = Join(top.folder, entry.name);
            if (!entry.IsDirectory()) {
                onFile(path, entry);
            } else if ((entry.attributes & os::kAttributeReparsePoint) != 0) {
                // never followed
            } else if (os::ProblemOfName(entry.name) != os::NameProblem::None) {
                onFile(path, entry);
            } else {
                open(path);  // may grow the stack: top is not used after this
            }
        }
        if (Cancelled()) {
            return false;
        }
    }
    return !stopped;
}

uint32_t FolderScanner::ScanFolder(const std::string& folder,
                                   const std::vector<std::string>& exclusions,
                                   os::FileTime lastSync, FileList& candidates) {
    cancel_ = false;
    skipped_.clear();
    if (folder.empty()) {
        return os::kErrorSuccess;
    }
    const settings::ExclusionMatcher excluded(exclusions);
    const bool finished = Walk(folder, [&](const std::string& path, const os::FileInfo& info) {
        if (IsChanged(info, lastSync) && !excluded.Matches(path)) {
            candidates.AddEntry(path, LaterTime(info.times), info.size);
        }
    });
    return finished ? os::kErrorSuccess : os::kErrorOperationAborted;
}

namespace {

// What the backup disk holds of one folder: its files by name (ignoring case).
struct BackupFolder {
    struct Copy {
        uint64_t size = 0;
        os::FileTime lastWrite = 0;
    };
    std::string folder;  // the source folder it stands for, in capitals
    bool readable = false;
    std::unordered_map<std::string, Copy> copies;
};

void ListBackupFolder(os::FileSystem& files, const std::string& path, BackupFolder& listing) {
    listing.copies.clear();
    std::unique_ptr<os::DirectorySearch> search;
    os::FileInfo entry;
    uint32_t error = files.FindFirst(Join(path, "*.*"), search, entry);
    // A folder not there, or empty, holds no copies: every file of it is missing.
    listing.readable = error == os::kErrorSuccess || error == os::kErrorFileNotFound ||
                       error == os::kErrorPathNotFound;
    while (error == os::kErrorSuccess) {
        if (!entry.IsDirectory()) {
            listing.copies[os::Upcase(entry.name)] = {entry.size, entry.times.lastWrite};
        }
        error = search->Next(entry);
    }
    if (error != os::kErrorSuccess && error != os::kErrorNoMoreFiles &&
        error != os::kErrorFileNotFound && error != os::kErrorPathNotFound) {
        listing.readable = false;  // cut short: what is missing from it is not known
    }
}

}  // namespace

uint32_t FolderScanner::ReconcileFolder(const std::string& folder,
                                        const std::vector<std::string>& exclusions,
                                        const std::string& destinationRoot,
                                        const DiskTimeRules& rules, FileList& candidates) {
    cancel_ = false;
    skipped_.clear();
    if (folder.empty()) {
        return os::kErrorSuccess;
    }
    const settings::ExclusionMatcher excluded(exclusions);
    // The listing of the last backup folder looked at: a folder's files come together, apart
    // from the trees of its subfolders, so each backup folder is searched about twice at most.
    BackupFolder listing;
    bool listed = false;
    const bool finished = Walk(folder, [&](const std::string& path, const os::FileInfo& info) {
        if (excluded.Matches(path) || candidates.Contains(path)) {
            return;
        }
        const size_t slash = path.rfind('\\');
        const std::string parent = os::Upcase(path.substr(0, slash));
        if (!listed || parent != listing.folder) {
            ListBackupFolder(files_, BackupPathOf(destinationRoot, path.substr(0, slash)), listing);
            listing.folder = parent;
            listed = true;
        }
        if (!listing.readable) {
            return;
        }
        auto copy = listing.copies.find(os::Upcase(path.substr(slash + 1)));
        // The lenient time check: a missed difference is the scan's to find, as always.
        if (copy == listing.copies.end() || copy->second.size != info.size ||
            !SameWriteTime(info.times.lastWrite, copy->second.lastWrite, rules, true)) {
            candidates.AddEntry(path, LaterTime(info.times), info.size);
        }
    });
    return finished ? os::kErrorSuccess : os::kErrorOperationAborted;
}

uint64_t FolderScanner::FolderSize(const std::string& folder) {
    cancel_ = false;
    skipped_.clear();
    uint64_t total = 0;
    if (folder.empty()) {
        return 0;
    }
    Walk(folder, [&total](const std::string&, const os::FileInfo& info) { total += info.size; });
    return total;
}

}  // namespace engine
