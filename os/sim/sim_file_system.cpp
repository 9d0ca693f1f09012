#include "os/sim/sim_file_system.h"

#include <algorithm>
#include <cstring>

#include "os/errors.h"
#include "os/path_names.h"
#include "os/sim/sim_node.h"
#include "os/text.h"
#include "os/wildcard.h"

namespace os::sim {

namespace {

constexpr uint32_t kSettableAttributes = kAttributeReadOnly | kAttributeHidden | kAttributeSystem |
                                         kAttributeArchive | kAttributeTemporary |
                                         kAttributeOffline | kAttributeNotContentIndexed;

constexpr size_t kMaximumComponentUnits = 255;
// What a test may give a file it puts: the settable bits and the ones only the system sets.
constexpr uint32_t kPuttableAttributes =
    kSettableAttributes | kAttributeCompressed | kAttributeEncrypted | kAttributeRecallOnOpen |
    kAttributePinned | kAttributeUnpinned | kAttributeRecallOnDataAccess;
constexpr int kMostLinks = 63;  // reparse points followed for one lookup
constexpr uint32_t kErrorCantResolveFilename = 1921;

bool IsAllZero(const uint8_t* data, size_t size) {
    static const uint8_t kZeros[65536] = {};
    while (size > 0) {
        const size_t chunk = std::min(size, sizeof kZeros);
        if (std::memcmp(data, kZeros, chunk) != 0) {
            return false;
        }
        data += chunk;
        size -= chunk;
    }
    return true;
}

// Share modes concern opens that read, write or delete; one for attributes only takes no part.
bool SharesData(uint32_t access) {
    return (access & (kAccessRead | kAccessWrite | kAccessDelete)) != 0;
}

bool IsSeparator(char c, bool raw) {
    return c == '\\' || (!raw && c == '/');
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Open files

class SimFileHandle final : public File {
  public:
    SimFileHandle(SimFileSystem& fs, std::shared_ptr<SimNode> node, std::string path,
                  std::string driveKey, uint64_t generation, uint32_t access, uint32_t share)
        : fs_(fs),
          node_(std::move(node)),
          path_(std::move(path)),
          driveKey_(std::move(driveKey)),
          generation_(generation),
          access_(access),
          share_(share) {
        node_->opens.push_back(this);
    }
    ~SimFileHandle() override { static_cast<void>(Close()); }  // no one is left to tell

    uint32_t access() const { return access_; }
    uint32_t share() const { return share_; }

    [[nodiscard]] uint32_t Read(void* buffer, uint32_t size, uint32_t& bytesRead) override {
        fs_.calls_.Add(SimCall::Read);
        bytesRead = 0;
        std::lock_guard lock(fs_.core_.mutex());
        if (const uint32_t error = CheckLocked(SimOperation::Read)) {
            return error;
        }
        if ((access_ & kAccessRead) == 0) {
            return kErrorAccessDenied;
        }
        if ((node_->attributes & kAttributeRecallOnDataAccess) != 0) {
            // Reading a placeholder's data downloads it: from now on it is an ordinary file.
            ++fs_.recalls_;
            node_->attributes &= ~(kAttributeRecallOnDataAccess | kAttributeOffline);
        }
        const uint64_t size64 = node_->Size();
        if (position_ >= size64) {
            return kErrorSuccess;
        }
        const auto count = static_cast<uint32_t>(std::min<uint64_t>(size, size64 - position_));
        auto* out = static_cast<uint8_t*>(buffer);
        const uint64_t stored = node_->bytes.size();
        uint32_t done = 0;
        if (position_ < stored) {
            const auto fromBytes =
                static_cast<uint32_t>(std::min<uint64_t>(count, stored - position_));
            std::memcpy(out, node_->bytes.data() + position_, fromBytes);
            done = fromBytes;
        }
        std::memset(out + done, 0, count - done);
        position_ += count;
        bytesRead = count;
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t Write(const void* data, uint32_t size, uint32_t& bytesWritten) override {
        fs_.calls_.Add(SimCall::Write);
        bytesWritten = 0;
        std::lock_guard lock(fs_.core_.mutex());
        if (const uint32_t error = CheckLocked(SimOperation::Write)) {
            return error;
        }
        if ((access_ & kAccessWrite) == 0) {
            return kErrorAccessDenied;
        }
        SimMedium& medium = *node_->medium;
        if (medium.spec_.writeProtected) {
            return kErrorWriteProtect;
        }
        if (medium.removeAfter_) {
            if (size >= *medium.removeAfter_) {
                fs_.EjectMediumLocked(driveKey_, false);
                return kErrorDeviceNotConnected;
            }
            *medium.removeAfter_ -= size;
        }
        if (medium.writeBudget_) {
            if (size > *medium.writeBudget_) {
                return kErrorDiskFull;
            }
        }
        const uint64_t oldSize = node_->Size();
        const uint64_t newSize = std::max(oldSize, position_ + size);
        if (newSize > SimFileSystem::LargestFileOn(medium)) {
            return kErrorDiskFull;  // as FAT32 says it for a file that would pass 4 GiB
        }
        if (!node_->removed) {
            const uint64_t need = medium.ClustersFor(newSize) - medium.ClustersFor(oldSize);
            if (need > medium.TotalClusters() - medium.usedClusters_) {
                return kErrorDiskFull;
            }
        }
        if (medium.writeBudget_) {
            *medium.writeBudget_ -= size;
        }
        fs_.BeforeDataChangeLocked(*node_);
        const auto* in = static_cast<const uint8_t*>(data);
        const bool allZero = IsAllZero(in, size);
        const uint64_t end = position_ + size;
        if (allZero && position_ >= node_->bytes.size()) {
            // Zeros at or past the stored bytes: a sparse file stays sparse.
            if (end > oldSize) {
                node_->zeroTail += end - oldSize;
            }
        } else {
            if (end > node_->bytes.size()) {
                node_->zeroTail = oldSize > end ? oldSize - end : 0;
                node_->bytes.resize(static_cast<size_t>(end), 0);
            }
            std::memcpy(node_->bytes.data() + position_, in, size);
        }
        position_ += size;
        bytesWritten = size;
        if (!node_->removed) {
            fs_.AccountSizeLocked(medium, oldSize, newSize);
        }
        if (!timesSet_) {
            fs_.SetNodeTimesLocked(*node_, {0, 0, fs_.core_.UtcNowLocked()});
        }
        node_->attributes |= kAttributeArchive;
        if (!node_->removed) {
            fs_.NotifyLocked(node_->parent,
                             (newSize != oldSize ? kNotifySize : 0) | kNotifyLastWrite);
        }
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t GetTimes(FileTimes& times) override {
        fs_.calls_.Add(SimCall::GetTimes);
        std::lock_guard lock(fs_.core_.mutex());
        if (const uint32_t error = CheckLocked(std::nullopt)) {
            return error;
        }
        times = fs_.TimesOfLocked(*node_);
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t SetTimes(const FileTimes& times) override {
        fs_.calls_.Add(SimCall::SetTimes);
        std::lock_guard lock(fs_.core_.mutex());
        if (const uint32_t error = CheckLocked(SimOperation::SetFileTimes)) {
            return error;
        }
        if ((access_ & kAccessWrite) == 0) {
            return kErrorAccessDenied;
        }
        if (node_->medium->spec_.writeProtected) {
            return kErrorWriteProtect;
        }
        SetTimesLocked(times);
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t GetSize(uint64_t& size) override {
        fs_.calls_.Add(SimCall::GetSize);
        std::lock_guard lock(fs_.core_.mutex());
        if (const uint32_t error = CheckLocked(std::nullopt)) {
            return error;
        }
        size = node_->Size();
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t GetInfo(FileInfo& info) override {
        fs_.calls_.Add(SimCall::GetInfo);
        std::lock_guard lock(fs_.core_.mutex());
        if (const uint32_t error = CheckLocked(std::nullopt)) {
            return error;
        }
        if ((access_ & (kAccessRead | kAccessReadAttributes)) == 0) {
            return kErrorAccessDenied;
        }
        info = fs_.InfoOf(*node_);
        info.name.clear();
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t SetTimesAndAttributes(const FileTimes& times,
                                                 uint32_t attributes) override {
        fs_.calls_.Add(SimCall::SetTimesAndAttributes);
        std::lock_guard lock(fs_.core_.mutex());
        const bool setsTimes = times.creation != 0 || times.lastAccess != 0 || times.lastWrite != 0;
        if (const uint32_t error = CheckLocked(std::nullopt)) {
            return error;
        }
        if (setsTimes) {
            if (const uint32_t error = fs_.faults_.Check(SimOperation::SetFileTimes, path_)) {
                return error;
            }
        }
        if (attributes != 0) {
            if (const uint32_t error = fs_.faults_.Check(SimOperation::SetAttributes, path_)) {
                return error;
            }
        }
        if ((access_ & (kAccessWrite | kAccessWriteAttributes)) == 0) {
            return kErrorAccessDenied;
        }
        if (node_->medium->spec_.writeProtected) {
            return kErrorWriteProtect;
        }
        if (setsTimes) {
            SetTimesLocked(times);
        }
        if (attributes != 0) {
            const uint32_t kept = node_->attributes & ~kSettableAttributes;
            node_->attributes = kept | (attributes & kSettableAttributes);
            if (!node_->removed) {
                fs_.NotifyLocked(node_->parent, kNotifyAttributes);
            }
        }
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t Rename(const std::string& newPath, bool replaceExisting) override {
        fs_.calls_.Add(SimCall::Rename);
        std::lock_guard lock(fs_.core_.mutex());
        if (const uint32_t error = CheckLocked(SimOperation::Move)) {
            return error;
        }
        if ((access_ & kAccessDelete) == 0) {
            return kErrorAccessDenied;
        }
        if (node_->removed || node_->parent == nullptr) {
            return kErrorAccessDenied;  // deleted meanwhile by a program that shared deletion
        }
        SimFileSystem::Located from;
        from.drive = &fs_.drives_.at(driveKey_);
        from.medium = node_->medium;
        from.parent = node_->parent;
        from.node = node_.get();
        SimFileSystem::ParsedPath target;
        const uint32_t error = fs_.MoveLocked(from, newPath, replaceExisting, this, target);
        if (error == kErrorSuccess) {
            path_ = target.full;
        }
        return error;
    }

    [[nodiscard]] uint32_t Flush() override {
        fs_.calls_.Add(SimCall::Flush);
        std::lock_guard lock(fs_.core_.mutex());
        if (const uint32_t error = CheckLocked(SimOperation::Flush)) {
            return error;
        }
        if ((access_ & kAccessWrite) == 0) {
            return kErrorAccessDenied;
        }
        fs_.FlushLocked(*node_);
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t Close() override {
        std::lock_guard lock(fs_.core_.mutex());
        if (closed_) {
            return kErrorInvalidHandle;
        }
        fs_.calls_.Add(SimCall::Close);
        closed_ = true;
        auto& opens = node_->opens;
        opens.erase(std::remove(opens.begin(), opens.end(), this), opens.end());
        return kErrorSuccess;
    }

  private:
    // A zero member leaves that time; a write through this handle no longer moves the last-write
    // time afterwards (as on Windows).
    void SetTimesLocked(const FileTimes& times) {
        const uint32_t kinds = fs_.SetNodeTimesLocked(*node_, times);
        timesSet_ = true;
        if (kinds != 0 && !node_->removed) {
            fs_.NotifyLocked(node_->parent, kinds);
        }
    }

    uint32_t CheckLocked(std::optional<SimOperation> operation) {
        if (closed_) {
            return kErrorInvalidHandle;
        }
        auto drive = fs_.drives_.find(driveKey_);
        if (drive == fs_.drives_.end() || drive->second.generation != generation_ ||
            drive->second.medium.get() != node_->medium) {
            return kErrorDeviceNotConnected;  // the medium left the drive under the open file
        }
        if (operation) {
            return fs_.faults_.Check(*operation, path_);
        }
        return kErrorSuccess;
    }

    SimFileSystem& fs_;
    std::shared_ptr<SimNode> node_;
    std::string path_;  // as opened or last renamed
    const std::string driveKey_;
    const uint64_t generation_;
    const uint32_t access_;
    const uint32_t share_;
    uint64_t position_ = 0;
    bool timesSet_ = false;
    bool closed_ = false;
};

// ---------------------------------------------------------------------------------------------
// Searches and change notifications

namespace {

class SimDirectorySearch final : public DirectorySearch {
  public:
    SimDirectorySearch(std::vector<FileInfo> entries, SimCallCounts& calls)
        : entries_(std::move(entries)), calls_(calls) {}
    [[nodiscard]] uint32_t Next(FileInfo& entry) override {
        calls_.Add(SimCall::FindNext);
        if (next_ >= entries_.size()) {
            return kErrorNoMoreFiles;
        }
        entry = std::move(entries_[next_++]);  // each entry is handed out once
        return kErrorSuccess;
    }

  private:
    std::vector<FileInfo> entries_;
    SimCallCounts& calls_;
    size_t next_ = 1;  // the first entry went out with FindFirst
};

}  // namespace

class SimChangeNotification final : public ChangeNotification, public SimSignal {
  public:
    SimChangeNotification(SimFileSystem& fs, std::shared_ptr<SimNode> folder, bool subtree,
                          uint32_t filter)
        : SimSignal(fs.core_),
          fs_(fs),
          folder_(std::move(folder)),
          subtree_(subtree),
          filter_(filter) {
        fs_.notifications_.push_back(this);
    }
    ~SimChangeNotification() override {
        std::lock_guard lock(fs_.core_.mutex());
        auto& list = fs_.notifications_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }

    [[nodiscard]] uint32_t Rearm() override {
        fs_.calls_.Add(SimCall::Rearm);
        std::lock_guard lock(fs_.core_.mutex());
        signalled_ = recorded_;
        recorded_ = false;
        return kErrorSuccess;
    }
    bool IsSignalledLocked() const override { return signalled_; }

    // A change of `kind` to an entry of `folder`.
    void ChangedLocked(const SimNode* folder, uint32_t kind) {
        if ((kind & filter_) == 0 || folder_->removed) {
            return;
        }
        bool covered = folder == folder_.get();
        for (const SimNode* up = folder; subtree_ && !covered && up != nullptr; up = up->parent) {
            covered = up == folder_.get();
        }
        if (!covered) {
            return;
        }
        if (signalled_) {
            recorded_ = true;
        } else {
            signalled_ = true;
        }
    }

  private:
    SimFileSystem& fs_;
    std::shared_ptr<SimNode> folder_;
    const bool subtree_;
    const uint32_t filter_;
    bool signalled_ = false;
    bool recorded_ = false;
};

// ---------------------------------------------------------------------------------------------
// Media

SimMedium::SimMedium(const SimMediumSpec& setup)
    : spec_(setup), root_(std::make_shared<SimNode>()) {
    root_->directory = true;
    root_->attributes = kAttributeDirectory;
    root_->medium = this;
    if (spec_.writeCache == SimWriteCache::All) {
        committed_ = std::make_shared<SimNode>();
        committed_->directory = true;
        committed_->attributes = kAttributeDirectory;
        committed_->medium = this;
    }
}

SimMedium::~SimMedium() = default;

// ---------------------------------------------------------------------------------------------
// The file system

SimFileSystem::SimFileSystem(SimCore& core, SimFaults& faults) : core_(core), faults_(faults) {}

SimFileSystem::~SimFileSystem() = default;

uint32_t SimFileSystem::ParseLocked(const std::string& path, bool wildcardsInLast,
                                    ParsedPath& parsed) const {
    std::string text = path;
    if (text.empty()) {
        return kErrorInvalidName;
    }
    if (text.size() > 2 && text[1] == ':' && !IsSeparator(text[2], false)) {
        // "C:name" is relative to the current folder when that is on the same drive.
        const bool sameDrive = currentDirectory_.size() >= 2 &&
                               EqualsIgnoreCase(currentDirectory_.substr(0, 2), text.substr(0, 2));
        text = (sameDrive ? currentDirectory_ : text.substr(0, 2)) + "\\" + text.substr(2);
    }
    const bool absolute =
        text.size() >= 2 &&
        ((IsSeparator(text[0], false) && IsSeparator(text[1], false)) || text[1] == ':');
    if (!absolute) {
        text = currentDirectory_ + "\\" + text;  // relative to the current directory
    }
    NormalizedPath normalized;
    if (const uint32_t error = NormalizePath(text, wildcardsInLast, normalized)) {
        return error;
    }
    parsed = {};
    parsed.driveKey = normalized.volume;
    parsed.parts = std::move(normalized.parts);
    parsed.full = NormalizedPath{parsed.driveKey, parsed.parts, false}.Full();
    return kErrorSuccess;
}

SimFileSystem::Drive* SimFileSystem::FindDriveLocked(const std::string& rootOrPath) {
    ParsedPath parsed;
    if (ParseLocked(rootOrPath, true, parsed) != kErrorSuccess) {
        return nullptr;
    }
    auto it = drives_.find(parsed.driveKey);
    return it == drives_.end() ? nullptr : &it->second;
}

uint32_t SimFileSystem::LocateLocked(const ParsedPath& parsed, Located& located, bool followLast) {
    return LocateFromLocked(parsed.driveKey, parsed.parts, followLast, 0, located);
}

// A reparse point met on the way (or at the end, when followLast) continues the lookup at its
// target with the parts that are left: on another medium, perhaps, or back up the same tree.
uint32_t SimFileSystem::LocateFromLocked(const std::string& driveKey,
                                         std::vector<std::string> parts, bool followLast, int depth,
                                         Located& located) {
    located = {};
    auto drive = drives_.find(driveKey);
    if (drive == drives_.end()) {
        return kErrorPathNotFound;
    }
    located.drive = &drive->second;
    located.driveKey = driveKey;
    if (!drive->second.medium) {
        return kErrorNotReady;
    }
    located.medium = drive->second.medium.get();
    SimNode* node = located.medium->root_.get();
    for (size_t i = 0; i < parts.size(); ++i) {
        auto child = node->children.find(Upcase(parts[i]));
        const bool last = i + 1 == parts.size();
        if (child == node->children.end()) {
            if (!last) {
                return kErrorPathNotFound;
            }
            located.parent = node;
            located.node = nullptr;
            located.name = parts[i];
            return kErrorSuccess;
        }
        const SimNode& next = *child->second;
        if (!next.reparseTarget.empty() && (!last || followLast)) {
            if (depth >= kMostLinks) {
                return kErrorCantResolveFilename;
            }
            ParsedPath target;
            if (ParseLocked(next.reparseTarget, false, target) != kErrorSuccess) {
                return kErrorPathNotFound;
            }
            std::vector<std::string> rest = std::move(target.parts);
            rest.insert(rest.end(), parts.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                        parts.end());
            return LocateFromLocked(target.driveKey, std::move(rest), followLast, depth + 1,
                                    located);
        }
        if (!last && !next.directory) {
            return kErrorPathNotFound;
        }
        located.parent = node;
        node = child->second.get();
    }
    located.node = node;
    located.name =
        parts.empty() ? node->name : parts.back();  // as written: a rename may change case
    return kErrorSuccess;
}

uint32_t SimFileSystem::ParseAndLocateLocked(const std::string& path, ParsedPath& parsed,
                                             Located& located, bool followLast) {
    if (const uint32_t error = ParseLocked(path, false, parsed)) {
        return error;
    }
    return LocateLocked(parsed, located, followLast);
}

void SimFileSystem::NotifyLocked(const SimNode* folder, uint32_t kind) {
    if (folder == nullptr) {
        return;
    }
    for (SimChangeNotification* n : notifications_) {
        n->ChangedLocked(folder, kind);
    }
    core_.NotifyLocked();
}

FileInfo SimFileSystem::InfoOf(const SimNode& node) const {
    FileInfo info;
    info.name = node.name;
    info.attributes = node.attributes;
    if (!node.directory && info.attributes == 0) {
        info.attributes = kAttributeNormal;
    }
    info.times = TimesOfLocked(node);
    info.size = node.directory ? 0 : node.Size();
    return info;
}

void SimFileSystem::AccountSizeLocked(SimMedium& medium, uint64_t oldSize, uint64_t newSize) {
    medium.usedClusters_ =
        medium.usedClusters_ - medium.ClustersFor(oldSize) + medium.ClustersFor(newSize);
}

void SimFileSystem::RemoveNodeLocked(SimMedium& medium, SimNode& parent, const SimNode& node) {
    auto it = parent.children.find(Upcase(node.name));
    if (it == parent.children.end()) {
        return;
    }
    std::shared_ptr<SimNode> keep = it->second;
    parent.children.erase(it);
    keep->removed = true;
    if (!keep->directory) {
        AccountSizeLocked(medium, keep->Size(), 0);
    }
}

uint32_t SimFileSystem::FindFirst(const std::string& pattern,
                                  std::unique_ptr<DirectorySearch>& search, FileInfo& first) {
    calls_.Add(SimCall::FindFirst);
    std::lock_guard lock(core_.mutex());
    ParsedPath parsed;
    if (const uint32_t error = ParseLocked(pattern, true, parsed)) {
        return error;
    }
    if (parsed.parts.empty()) {
        return kErrorFileNotFound;
    }
    if (const uint32_t error = faults_.Check(SimOperation::Find, parsed.full)) {
        return error;
    }
    const std::string mask = parsed.parts.back();
    ParsedPath folderPath = parsed;
    folderPath.parts.pop_back();
    Located located;
    if (const uint32_t error = LocateLocked(folderPath, located, true)) {
        return error;
    }
    if (located.node == nullptr || !located.node->directory) {
        return kErrorPathNotFound;
    }
    const SimNode& folder = *located.node;
    std::vector<FileInfo> entries;
    entries.reserve(folder.children.size() + 2);
    if (folder.parent != nullptr) {
        for (const char* dots : {".", ".."}) {
            if (MatchesSearchPattern(mask, dots)) {
                FileInfo info = InfoOf(folder);
                info.name = dots;
                entries.push_back(info);
            }
        }
    }
    for (const auto& [key, child] : folder.children) {
        if (MatchesSearchPattern(mask, child->name)) {
            entries.push_back(InfoOf(*child));
        }
    }
    if (entries.empty()) {
        return kErrorFileNotFound;
    }
    first = entries.front();
    search = std::make_unique<SimDirectorySearch>(std::move(entries), calls_);
    return kErrorSuccess;
}

uint32_t SimFileSystem::GetFileInfo(const std::string& path, FileInfo& info) {
    calls_.Add(SimCall::GetFileInfo);
    return LookUp(path, info);
}

uint32_t SimFileSystem::LookUp(const std::string& path, FileInfo& info) {
    std::lock_guard lock(core_.mutex());
    ParsedPath parsed;
    Located located;
    if (const uint32_t error = ParseAndLocateLocked(path, parsed, located)) {
        return error;
    }
    if (const uint32_t error = faults_.Check(SimOperation::GetAttributes, parsed.full)) {
        return error;
    }
    if (located.node == nullptr) {
        return kErrorFileNotFound;
    }
    info = InfoOf(*located.node);
    return kErrorSuccess;
}

uint32_t SimFileSystem::GetAttributes(const std::string& path, uint32_t& attributes) {
    calls_.Add(SimCall::GetAttributes);
    FileInfo info;
    const uint32_t error = LookUp(path, info);
    attributes = error == kErrorSuccess ? info.attributes : kInvalidAttributes;
    return error;
}

uint32_t SimFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
    calls_.Add(SimCall::SetAttributes);
    std::lock_guard lock(core_.mutex());
    ParsedPath parsed;
    Located located;
    if (const uint32_t error = ParseAndLocateLocked(path, parsed, located)) {
        return error;
    }
    if (const uint32_t error = faults_.Check(SimOperation::SetAttributes, parsed.full)) {
        return error;
    }
    if (located.node == nullptr) {
        return kErrorFileNotFound;
    }
    if (located.medium->spec_.writeProtected) {
        return kErrorWriteProtect;
    }
    SimNode& node = *located.node;
    const uint32_t kept = node.attributes & ~kSettableAttributes;
    node.attributes = kept | (attributes & kSettableAttributes);
    NotifyLocked(located.parent, kNotifyAttributes);
    return kErrorSuccess;
}

uint32_t SimFileSystem::Open(const std::string& path, const OpenRequest& request,
                             std::unique_ptr<File>& file) {
    calls_.Add(SimCall::Open);
    // The caller's old file, if any, closes outside the lock (its close takes the lock too).
    std::unique_ptr<File> opened;
    const uint32_t error = MakeFile(path, request, opened);
    if (error == kErrorSuccess) {
        file = std::move(opened);
    }
    return error;
}

uint32_t SimFileSystem::MakeFile(const std::string& path, const OpenRequest& request,
                                 std::unique_ptr<File>& file) {
    std::lock_guard lock(core_.mutex());
    ParsedPath parsed;
    Located located;
    if (const uint32_t error = ParseAndLocateLocked(path, parsed, located, true)) {
        return error;
    }
    if (const uint32_t error = faults_.Check(SimOperation::Open, parsed.full)) {
        return error;
    }
    if (parsed.parts.empty()) {
        return kErrorAccessDenied;  // a drive root is a folder
    }
    const Disposition how = request.disposition;
    const bool truncates = how == Disposition::CreateAlways || how == Disposition::TruncateExisting;
    const bool writes = (request.access & kAccessWrite) != 0 || truncates;
    if (how == Disposition::TruncateExisting && (request.access & kAccessWrite) == 0) {
        return kErrorInvalidParameter;
    }
    SimMedium& medium = *located.medium;
    const FileTime now = core_.UtcNowLocked();
    std::shared_ptr<SimNode> node;
    if (located.node != nullptr) {
        node = located.parent->children.at(Upcase(located.node->name));
        if (node->directory) {
            return kErrorAccessDenied;
        }
        if (how == Disposition::CreateNew) {
            return kErrorFileExists;
        }
        if (writes && (node->attributes & kAttributeReadOnly) != 0) {
            return kErrorAccessDenied;
        }
        if (how == Disposition::CreateAlways) {
            const uint32_t hiddenSystem = kAttributeHidden | kAttributeSystem;
            if ((node->attributes & hiddenSystem & ~request.attributes) != 0) {
                return kErrorAccessDenied;
            }
        }
        const uint32_t want = request.access | (truncates ? kAccessWrite : 0);
        for (const SimFileHandle* other : node->opens) {
            if (!SharesData(want) || !SharesData(other->access())) {
                continue;
            }
            const uint32_t a = other->access();
            const uint32_t s = other->share();
            const bool conflict = ((want & kAccessRead) && !(s & kShareRead)) ||
                                  ((want & kAccessWrite) && !(s & kShareWrite)) ||
                                  ((want & kAccessDelete) && !(s & kShareDelete)) ||
                                  ((a & kAccessRead) && !(request.share & kShareRead)) ||
                                  ((a & kAccessWrite) && !(request.share & kShareWrite)) ||
                                  ((a & kAccessDelete) && !(request.share & kShareDelete));
            if (conflict) {
                return kErrorSharingViolation;
            }
        }
        if (writes && medium.spec_.writeProtected) {
            return kErrorWriteProtect;
        }
        if (truncates) {
            const uint64_t oldSize = node->Size();
            BeforeDataChangeLocked(*node);
            node->bytes.clear();
            node->zeroTail = 0;
            AccountSizeLocked(medium, oldSize, 0);
            SetNodeTimesLocked(*node, {0, 0, now});
            if (how == Disposition::CreateAlways) {
                node->attributes = (request.attributes & kSettableAttributes) | kAttributeArchive;
            }
            NotifyLocked(located.parent, kNotifySize | kNotifyLastWrite | kNotifyAttributes);
        }
    } else {
        if (how == Disposition::OpenExisting || how == Disposition::TruncateExisting) {
            return kErrorFileNotFound;
        }
        if (medium.spec_.writeProtected) {
            return kErrorWriteProtect;
        }
        if (const uint32_t error = CheckNewNameLocked(medium, located.name)) {
            return error;
        }
        node = std::make_shared<SimNode>();
        node->name = located.name;
        node->attributes = (request.attributes & kSettableAttributes) | kAttributeArchive;
        node->medium = &medium;
        SetNodeTimesLocked(*node, {now, now, now});
        node->parent = located.parent;
        located.parent->children[Upcase(node->name)] = node;
        NotifyLocked(located.parent, kNotifyFileName);
    }
    file =
        std::make_unique<SimFileHandle>(*this, node, parsed.full, located.driveKey,
                                        located.drive->generation, request.access, request.share);
    return kErrorSuccess;
}

uint32_t SimFileSystem::DeleteFile(const std::string& path) {
    calls_.Add(SimCall::Delete);
    std::lock_guard lock(core_.mutex());
    ParsedPath parsed;
    Located located;
    if (const uint32_t error = ParseAndLocateLocked(path, parsed, located)) {
        return error;
    }
    if (const uint32_t error = faults_.Check(SimOperation::Delete, parsed.full)) {
        return error;
    }
    if (located.node == nullptr) {
        return kErrorFileNotFound;
    }
    SimNode& node = *located.node;
    if (node.directory || (node.attributes & kAttributeReadOnly) != 0) {
        return kErrorAccessDenied;
    }
    for (const SimFileHandle* other : node.opens) {
        if (SharesData(other->access()) && (other->share() & kShareDelete) == 0) {
            return kErrorSharingViolation;
        }
    }
    if (located.medium->spec_.writeProtected) {
        return kErrorWriteProtect;
    }
    SimNode* parent = located.parent;
    RemoveNodeLocked(*located.medium, *parent, node);
    NotifyLocked(parent, kNotifyFileName);
    return kErrorSuccess;
}

uint32_t SimFileSystem::MoveFile(const std::string& from, const std::string& to,
                                 bool replaceExisting) {
    calls_.Add(SimCall::Move);
    std::lock_guard lock(core_.mutex());
    ParsedPath source;
    Located src;
    if (const uint32_t error = ParseAndLocateLocked(from, source, src)) {
        return error;
    }
    if (const uint32_t error = faults_.Check(SimOperation::Move, source.full)) {
        return error;
    }
    if (src.node == nullptr || src.parent == nullptr) {
        return src.node == nullptr ? kErrorFileNotFound : kErrorAccessDenied;
    }
    ParsedPath target;
    return MoveLocked(src, to, replaceExisting, nullptr, target);
}

uint32_t SimFileSystem::MoveLocked(const Located& src, const std::string& to, bool replaceExisting,
                                   const SimFileHandle* mover, ParsedPath& target) {
    Located dst;
    if (const uint32_t error = ParseAndLocateLocked(to, target, dst)) {
        return error;
    }
    if (dst.medium != src.medium) {
        return kErrorNotSameDevice;
    }
    if (target.parts.empty()) {
        return kErrorAccessDenied;
    }
    if (src.medium->spec_.writeProtected) {
        return kErrorWriteProtect;
    }
    SimNode& node = *src.node;
    for (const SimFileHandle* other : node.opens) {
        if (other != mover && SharesData(other->access()) && (other->share() & kShareDelete) == 0) {
            return kErrorSharingViolation;
        }
    }
    for (const SimNode* up = dst.parent; node.directory && up != nullptr; up = up->parent) {
        if (up == &node) {
            return kErrorAccessDenied;  // a folder cannot move into itself
        }
    }
    if (dst.node == nullptr) {
        if (const uint32_t error = CheckNewNameLocked(*dst.medium, dst.name)) {
            return error;
        }
    }
    if (dst.node != nullptr && dst.node != &node) {
        SimNode& existing = *dst.node;
        if (!replaceExisting) {
            return kErrorAlreadyExists;
        }
        if (existing.directory || node.directory ||
            (existing.attributes & kAttributeReadOnly) != 0) {
            return kErrorAccessDenied;
        }
        for (const SimFileHandle* other : existing.opens) {
            if (SharesData(other->access()) && (other->share() & kShareDelete) == 0) {
                return kErrorAccessDenied;  // the file in the way is in use
            }
        }
        RemoveNodeLocked(*dst.medium, *dst.parent, existing);
    }
    std::shared_ptr<SimNode> moving = src.parent->children.at(Upcase(node.name));
    src.parent->children.erase(Upcase(node.name));
    moving->name = dst.name;
    moving->parent = dst.parent;
    dst.parent->children[Upcase(moving->name)] = moving;
    const uint32_t kind = moving->directory ? kNotifyDirectoryName : kNotifyFileName;
    NotifyLocked(src.parent, kind);
    if (dst.parent != src.parent) {
        NotifyLocked(dst.parent, kind);
    }
    return kErrorSuccess;
}

uint32_t SimFileSystem::CreateDirectory(const std::string& path) {
    calls_.Add(SimCall::CreateDirectory);
    std::lock_guard lock(core_.mutex());
    ParsedPath parsed;
    Located located;
    if (const uint32_t error = ParseAndLocateLocked(path, parsed, located)) {
        return error;
    }
    if (const uint32_t error = faults_.Check(SimOperation::CreateDirectory, parsed.full)) {
        return error;
    }
    if (located.node != nullptr) {
        return kErrorAlreadyExists;
    }
    if (located.medium->spec_.writeProtected) {
        return kErrorWriteProtect;
    }
    if (const uint32_t error = CheckNewNameLocked(*located.medium, located.name)) {
        return error;
    }
    AddFolderLocked(*located.parent, *located.medium, located.name);
    return kErrorSuccess;
}

std::shared_ptr<SimNode> SimFileSystem::AddFolderLocked(SimNode& parent, SimMedium& medium,
                                                        const std::string& name) {
    const FileTime now = core_.UtcNowLocked();
    auto folder = std::make_shared<SimNode>();
    folder->name = name;
    folder->directory = true;
    folder->attributes = kAttributeDirectory;
    folder->parent = &parent;
    folder->medium = &medium;
    SetNodeTimesLocked(*folder, {now, now, now});
    parent.children[Upcase(name)] = folder;
    NotifyLocked(&parent, kNotifyDirectoryName);
    return folder;
}

// Creates each missing folder of the first `count` parts, on the medium given in located; a
// reparse point on the way is followed to its target.
uint32_t SimFileSystem::MakeFoldersLocked(const ParsedPath& parsed, size_t count,
                                          Located& located) {
    SimNode* node = located.medium->root_.get();
    SimMedium* medium = located.medium;
    for (size_t i = 0; i < count; ++i) {
        auto child = node->children.find(Upcase(parsed.parts[i]));
        if (child == node->children.end()) {
            node = AddFolderLocked(*node, *medium, parsed.parts[i]).get();
            continue;
        }
        if (!child->second->reparseTarget.empty()) {
            Located target;
            ParsedPath link;
            if (ParseLocked(child->second->reparseTarget, false, link) != kErrorSuccess ||
                LocateLocked(link, target, true) != kErrorSuccess || target.node == nullptr) {
                return kErrorPathNotFound;
            }
            node = target.node;
            medium = target.medium;
        } else {
            node = child->second.get();
        }
        if (!node->directory) {
            return kErrorPathNotFound;
        }
    }
    located.medium = medium;
    return kErrorSuccess;
}

uint32_t SimFileSystem::RemoveDirectory(const std::string& path) {
    calls_.Add(SimCall::RemoveDirectory);
    std::lock_guard lock(core_.mutex());
    ParsedPath parsed;
    Located located;
    if (const uint32_t error = ParseAndLocateLocked(path, parsed, located)) {
        return error;
    }
    if (const uint32_t error = faults_.Check(SimOperation::RemoveDirectory, parsed.full)) {
        return error;
    }
    if (located.node == nullptr) {
        return kErrorFileNotFound;
    }
    if (!located.node->directory) {
        return kErrorDirectory;
    }
    if (located.parent == nullptr) {
        return kErrorAccessDenied;
    }
    if (!located.node->children.empty()) {
        return kErrorDirNotEmpty;
    }
    if (located.medium->spec_.writeProtected) {
        return kErrorWriteProtect;
    }
    SimNode* parent = located.parent;
    RemoveNodeLocked(*located.medium, *parent, *located.node);
    NotifyLocked(parent, kNotifyDirectoryName);
    return kErrorSuccess;
}

uint32_t SimFileSystem::VolumeMediumLocked(const std::string& path, const SimMedium*& medium) {
    ParsedPath parsed;
    if (const uint32_t error = ParseLocked(path, true, parsed)) {
        return error;
    }
    if (const uint32_t error = faults_.Check(SimOperation::VolumeQuery, parsed.full)) {
        return error;
    }
    auto drive = drives_.find(parsed.driveKey);
    if (drive == drives_.end()) {
        return kErrorPathNotFound;
    }
    if (!drive->second.medium) {
        return kErrorNotReady;
    }
    medium = drive->second.medium.get();
    return kErrorSuccess;
}

uint32_t SimFileSystem::GetVolumeSpace(const std::string& path, VolumeSpace& space) {
    calls_.Add(SimCall::VolumeSpace);
    std::lock_guard lock(core_.mutex());
    const SimMedium* found = nullptr;
    if (const uint32_t error = VolumeMediumLocked(path, found)) {
        return error;
    }
    const SimMedium& medium = *found;
    space.bytesPerSector = medium.spec_.bytesPerSector;
    space.sectorsPerCluster = medium.spec_.sectorsPerCluster;
    space.totalClusters = medium.TotalClusters();
    space.freeClusters = space.totalClusters - medium.usedClusters_;
    if (medium.writeBudget_) {
        space.freeClusters =
            std::min(space.freeClusters, *medium.writeBudget_ / medium.ClusterBytes());
    }
    space.totalBytes = space.totalClusters * medium.ClusterBytes();
    space.freeBytes = space.freeClusters * medium.ClusterBytes();
    return kErrorSuccess;
}

uint32_t SimFileSystem::GetVolumeInfo(const std::string& root, VolumeInfo& info) {
    calls_.Add(SimCall::VolumeInfo);
    std::lock_guard lock(core_.mutex());
    const SimMedium* medium = nullptr;
    if (const uint32_t error = VolumeMediumLocked(root, medium)) {
        return error;
    }
    const SimMediumSpec& setup = medium->spec_;
    info.label = setup.label;
    info.serialNumber = setup.serialNumber;
    info.fileSystem = setup.fileSystem;
    info.maximumComponentLength = std::min<uint32_t>(setup.maximumComponentLength,
                                                     static_cast<uint32_t>(kMaximumComponentUnits));
    info.readOnly = setup.writeProtected;
    return kErrorSuccess;
}

uint32_t SimFileSystem::LogicalDrives() {
    calls_.Add(SimCall::LogicalDrives);
    std::lock_guard lock(core_.mutex());
    uint32_t mask = 0;
    for (const auto& [key, drive] : drives_) {
        if (key.size() == 2 && key[0] >= 'A' && key[0] <= 'Z') {
            mask |= 1u << (key[0] - 'A');
        }
    }
    return mask;
}

DriveType SimFileSystem::GetDriveType(const std::string& root) {
    calls_.Add(SimCall::DriveType);
    std::lock_guard lock(core_.mutex());
    Drive* drive = FindDriveLocked(root);
    return drive == nullptr ? DriveType::NoRootDirectory : drive->type;
}

uint32_t SimFileSystem::OpenChangeNotification(const std::string& folder, bool watchSubtree,
                                               uint32_t filter,
                                               std::unique_ptr<ChangeNotification>& notification) {
    calls_.Add(SimCall::OpenChangeNotification);
    std::unique_ptr<ChangeNotification> opened;
    const uint32_t error = MakeChangeNotification(folder, watchSubtree, filter, opened);
    if (error == kErrorSuccess) {
        notification = std::move(opened);
    }
    return error;
}

uint32_t SimFileSystem::MakeChangeNotification(const std::string& folder, bool watchSubtree,
                                               uint32_t filter,
                                               std::unique_ptr<ChangeNotification>& notification) {
    std::lock_guard lock(core_.mutex());
    ParsedPath parsed;
    Located located;
    if (const uint32_t error = ParseAndLocateLocked(folder, parsed, located)) {
        return error;
    }
    if (const uint32_t error = faults_.Check(SimOperation::ChangeNotification, parsed.full)) {
        return error;
    }
    if (located.node == nullptr) {
        return kErrorFileNotFound;
    }
    if (!located.node->directory) {
        return kErrorDirectory;
    }
    std::shared_ptr<SimNode> node = located.parent == nullptr
                                        ? located.medium->root_
                                        : located.parent->children.at(Upcase(located.node->name));
    notification = std::make_unique<SimChangeNotification>(*this, node, watchSubtree, filter);
    return kErrorSuccess;
}

// ---------------------------------------------------------------------------------------------
// Test controls

std::shared_ptr<SimMedium> SimFileSystem::CreateMedium(const SimMediumSpec& setup) {
    return std::make_shared<SimMedium>(setup);
}

void SimFileSystem::AddDrive(const std::string& root, DriveType type,
                             std::shared_ptr<SimMedium> medium) {
    std::lock_guard lock(core_.mutex());
    Drive drive;
    drive.root = root;
    drive.type = type;
    drive.medium = std::move(medium);
    drives_[Upcase(root)] = std::move(drive);
}

void SimFileSystem::RemoveDrive(const std::string& root) {
    std::lock_guard lock(core_.mutex());
    drives_.erase(Upcase(root));
}

void SimFileSystem::InsertMedium(const std::string& root, std::shared_ptr<SimMedium> medium) {
    std::lock_guard lock(core_.mutex());
    auto drive = drives_.find(Upcase(root));
    if (drive != drives_.end()) {
        drive->second.medium = std::move(medium);
        ++drive->second.generation;
    }
}

std::shared_ptr<SimMedium> SimFileSystem::EjectMediumLocked(const std::string& driveKey,
                                                            bool safely) {
    auto drive = drives_.find(driveKey);
    if (drive == drives_.end()) {
        return nullptr;
    }
    std::shared_ptr<SimMedium> medium = std::move(drive->second.medium);
    drive->second.medium.reset();
    ++drive->second.generation;
    if (medium) {
        medium->writeBudget_.reset();
        medium->removeAfter_.reset();
        if (safely) {
            CommitCacheLocked(*medium);
        } else {
            LoseCacheLocked(*medium);
        }
    }
    return medium;
}

std::shared_ptr<SimMedium> SimFileSystem::EjectMedium(const std::string& root) {
    std::lock_guard lock(core_.mutex());
    return EjectMediumLocked(Upcase(root), true);
}

std::shared_ptr<SimMedium> SimFileSystem::PullMedium(const std::string& root) {
    std::lock_guard lock(core_.mutex());
    return EjectMediumLocked(Upcase(root), false);
}

void SimFileSystem::CutPowerLocked() {
    for (auto& [key, drive] : drives_) {
        if (drive.medium) {
            LoseCacheLocked(*drive.medium);
        }
        ++drive.generation;  // the program that held files open is gone
    }
    core_.NotifyLocked();
}

void SimFileSystem::WriteBackCache(const std::string& root) {
    std::lock_guard lock(core_.mutex());
    auto drive = drives_.find(Upcase(root));
    if (drive != drives_.end() && drive->second.medium) {
        CommitCacheLocked(*drive->second.medium);
    }
}

uint64_t SimFileSystem::RecallCount() {
    std::lock_guard lock(core_.mutex());
    return recalls_;
}

std::shared_ptr<SimMedium> SimFileSystem::MediumIn(const std::string& root) {
    std::lock_guard lock(core_.mutex());
    auto drive = drives_.find(Upcase(root));
    return drive == drives_.end() ? nullptr : drive->second.medium;
}

void SimFileSystem::SetWriteProtected(const std::string& root, bool writeProtected) {
    std::lock_guard lock(core_.mutex());
    auto drive = drives_.find(Upcase(root));
    if (drive != drives_.end() && drive->second.medium) {
        drive->second.medium->spec_.writeProtected = writeProtected;
    }
}

void SimFileSystem::SetLabel(const std::string& root, const std::string& label) {
    std::lock_guard lock(core_.mutex());
    auto drive = drives_.find(Upcase(root));
    if (drive != drives_.end() && drive->second.medium) {
        drive->second.medium->spec_.label = label;
    }
}

void SimFileSystem::FillVolumeAfter(const std::string& root, uint64_t bytes) {
    std::lock_guard lock(core_.mutex());
    auto drive = drives_.find(Upcase(root));
    if (drive != drives_.end() && drive->second.medium) {
        drive->second.medium->writeBudget_ = bytes;
    }
}

void SimFileSystem::RemoveMediumAfter(const std::string& root, uint64_t bytes) {
    std::lock_guard lock(core_.mutex());
    auto drive = drives_.find(Upcase(root));
    if (drive != drives_.end() && drive->second.medium) {
        drive->second.medium->removeAfter_ = bytes;
    }
}

void SimFileSystem::ClearVolumeLimits(const std::string& root) {
    std::lock_guard lock(core_.mutex());
    auto drive = drives_.find(Upcase(root));
    if (drive != drives_.end() && drive->second.medium) {
        drive->second.medium->writeBudget_.reset();
        drive->second.medium->removeAfter_.reset();
    }
}

uint32_t SimFileSystem::PutLocked(const std::string& path, const std::string& contents,
                                  uint64_t sparseSize, const SimPutOptions& options) {
    ParsedPath parsed;
    if (const uint32_t error = ParseLocked(path, false, parsed)) {
        return error;
    }
    if (parsed.parts.empty()) {
        return kErrorAccessDenied;
    }
    auto drive = drives_.find(parsed.driveKey);
    if (drive == drives_.end()) {
        return kErrorPathNotFound;
    }
    if (!drive->second.medium) {
        return kErrorNotReady;
    }
    Located located;
    located.medium = drive->second.medium.get();
    if (const uint32_t error = MakeFoldersLocked(parsed, parsed.parts.size() - 1, located)) {
        return error;
    }
    if (const uint32_t error = LocateLocked(parsed, located)) {
        return error;
    }
    SimMedium& medium = *located.medium;
    const FileTime now = core_.UtcNowLocked();
    std::shared_ptr<SimNode> node;
    uint64_t oldSize = 0;
    if (located.node != nullptr) {
        if (located.node->directory) {
            return kErrorAccessDenied;
        }
        node = located.parent->children.at(Upcase(located.node->name));
        oldSize = node->Size();
    } else {
        node = std::make_shared<SimNode>();
        node->name = located.name;
        node->parent = located.parent;
        node->medium = &medium;
        SetNodeTimesLocked(*node, {now, now, now});
    }
    const uint64_t newSize = contents.size() + sparseSize;
    const uint64_t need = medium.ClustersFor(newSize);
    if (need > medium.TotalClusters() - medium.usedClusters_ + medium.ClustersFor(oldSize)) {
        return kErrorDiskFull;
    }
    const bool created = located.node == nullptr;
    if (created) {
        located.parent->children[Upcase(node->name)] = node;
    }
    node->bytes.assign(contents.begin(), contents.end());
    node->zeroTail = sparseSize;
    node->durable.reset();  // another program's file is on the medium as it is
    AccountSizeLocked(medium, oldSize, newSize);
    node->attributes = options.attributes & kPuttableAttributes;
    if (options.times) {
        node->times = {};
        SetNodeTimesLocked(*node, *options.times);
    } else if (!created) {
        SetNodeTimesLocked(*node, {0, now, now});
    }
    CommitCacheLocked(medium);  // as if the other program had flushed it
    NotifyLocked(located.parent, (created ? kNotifyFileName : 0) | kNotifySize | kNotifyLastWrite |
                                     kNotifyAttributes | kNotifyCreation);
    return kErrorSuccess;
}

uint32_t SimFileSystem::PutFile(const std::string& path, const std::string& contents,
                                const SimPutOptions& options) {
    std::lock_guard lock(core_.mutex());
    return PutLocked(path, contents, 0, options);
}

uint32_t SimFileSystem::PutSparseFile(const std::string& path, uint64_t size,
                                      const SimPutOptions& options) {
    std::lock_guard lock(core_.mutex());
    return PutLocked(path, {}, size, options);
}

uint32_t SimFileSystem::PutLink(const std::string& path, const std::string& target,
                                bool directory) {
    std::lock_guard lock(core_.mutex());
    ParsedPath parsed;
    Located located;
    if (const uint32_t error = ParseAndLocateLocked(path, parsed, located)) {
        return error;
    }
    ParsedPath to;
    if (const uint32_t error = ParseLocked(target, false, to)) {
        return error;
    }
    if (located.node != nullptr) {
        return kErrorAlreadyExists;
    }
    if (located.parent == nullptr) {
        return kErrorAccessDenied;
    }
    const FileTime now = core_.UtcNowLocked();
    auto link = std::make_shared<SimNode>();
    link->name = located.name;
    link->directory = directory;
    link->attributes =
        kAttributeReparsePoint | (directory ? kAttributeDirectory : kAttributeArchive);
    link->parent = located.parent;
    link->medium = located.medium;
    link->reparseTarget = to.full;
    SetNodeTimesLocked(*link, {now, now, now});
    located.parent->children[Upcase(link->name)] = link;
    CommitCacheLocked(*located.medium);
    NotifyLocked(located.parent, directory ? kNotifyDirectoryName : kNotifyFileName);
    return kErrorSuccess;
}

uint32_t SimFileSystem::PutFolder(const std::string& path) {
    std::lock_guard lock(core_.mutex());
    ParsedPath parsed;
    if (const uint32_t error = ParseLocked(path, false, parsed)) {
        return error;
    }
    auto drive = drives_.find(parsed.driveKey);
    if (drive == drives_.end()) {
        return kErrorPathNotFound;
    }
    if (!drive->second.medium) {
        return kErrorNotReady;
    }
    Located located;
    located.medium = drive->second.medium.get();
    const uint32_t error = MakeFoldersLocked(parsed, parsed.parts.size(), located);
    CommitCacheLocked(*located.medium);
    return error;
}

std::optional<std::string> SimFileSystem::ContentsOf(const std::string& path) {
    std::lock_guard lock(core_.mutex());
    ParsedPath parsed;
    Located located;
    if (ParseAndLocateLocked(path, parsed, located) != kErrorSuccess || located.node == nullptr ||
        located.node->directory) {
        return std::nullopt;
    }
    const SimNode& node = *located.node;
    std::string out(node.bytes.begin(), node.bytes.end());
    out.append(static_cast<size_t>(std::min<uint64_t>(node.zeroTail, 1 << 20)), '\0');
    return out;
}

std::vector<SimEntry> SimFileSystem::ListTree(const std::string& folder) {
    std::lock_guard lock(core_.mutex());
    std::vector<SimEntry> entries;
    ParsedPath parsed;
    Located located;
    if (ParseAndLocateLocked(folder, parsed, located) != kErrorSuccess || located.node == nullptr ||
        !located.node->directory) {
        return entries;
    }
    struct Walker {
        const SimFileSystem& fs;
        std::vector<SimEntry>& out;
        void Walk(const SimNode& node, const std::string& prefix) {
            for (const auto& [key, child] : node.children) {
                SimEntry entry;
                entry.relativePath = prefix + child->name;
                entry.directory = child->directory;
                const FileInfo info = fs.InfoOf(*child);
                entry.attributes = info.attributes;
                entry.times = info.times;
                entry.size = info.size;
                if (!child->directory) {
                    entry.contents.assign(child->bytes.begin(), child->bytes.end());
                }
                out.push_back(entry);
                if (child->directory) {
                    Walk(*child, entry.relativePath + "\\");
                }
            }
        }
    };
    Walker{*this, entries}.Walk(*located.node, "");
    std::sort(entries.begin(), entries.end(), [](const SimEntry& a, const SimEntry& b) {
        return CompareIgnoreCase(a.relativePath, b.relativePath) < 0;
    });
    return entries;
}

void SimFileSystem::SetCurrentDirectory(const std::string& path) {
    std::lock_guard lock(core_.mutex());
    currentDirectory_ = path;
}

}  // namespace os::sim
