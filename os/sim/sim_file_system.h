#pragma once
// The file-system port of the simulated machine: drives with letters (and network shares),
// media with capacity and clusters that tests insert, eject and swap, files with contents,
// attributes, three times and share-mode locks, folders, searches with Windows wildcards, and
// change notifications that the simulated writes fire. Fault injection comes from SimFaults and
// from the volume limits below.
//
// Beyond what a test sees at once, a medium models what survives a power cut or a medium pulled
// out of its drive (its write cache), the limits of FAT32 and exFAT (file size, time resolution,
// local times, names), and reparse points (junctions, symbolic links, mount points), which path
// lookups follow as Windows does.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "os/file_system.h"
#include "os/sim/sim_calls.h"
#include "os/sim/sim_core.h"
#include "os/sim/sim_faults.h"

namespace os::sim {

struct SimNode;
class SimFileHandle;
class SimChangeNotification;

// What of a change reaches the medium when: what a power cut or a pulled medium leaves there.
enum class SimWriteCache {
    Off,   // every change is on the medium at once
    Data,  // names, sizes, times and attributes at once (a journal); a file's data only when a
           // handle of it is flushed, so a rename can reach the medium before the data it names
    All,   // nothing until a flush of some file on the medium, which takes every change of names,
           // sizes, times and attributes made so far, and that one file's data
};

struct SimMediumSpec {
    std::string label;
    uint32_t serialNumber = 0;
    uint64_t capacityBytes = 1ULL << 30;
    uint32_t bytesPerSector = 512;
    uint32_t sectorsPerCluster = 8;
    // "FAT32" and "FAT" keep files below 4 GiB (a write past that fails with 112), write times in
    // steps of 2 s (rounded up), creation times in 10 ms, both in local time (a changed time-zone
    // bias moves them), and refuse names that end in a dot or a space; "exFAT" keeps times in
    // steps of 10 ms and refuses the same names. Without fileSystemRules every file system
    // behaves as NTFS.
    std::string fileSystem = "NTFS";
    bool fileSystemRules = true;
    uint32_t maximumComponentLength = 255;  // the longest name the medium takes, in UTF-16 units
    bool writeProtected = false;
    SimWriteCache writeCache = SimWriteCache::Off;
};

// A medium: the folder tree and figures of one disk. Tests may keep a medium while it is out of
// every drive and insert it again later, contents intact.
class SimMedium {
  public:
    explicit SimMedium(const SimMediumSpec& setup);
    ~SimMedium();
    const SimMediumSpec& setup() const { return spec_; }

  private:
    friend class SimFileSystem;
    friend class SimFileHandle;
    uint64_t ClusterBytes() const {
        return static_cast<uint64_t>(spec_.bytesPerSector) * spec_.sectorsPerCluster;
    }
    uint64_t TotalClusters() const { return spec_.capacityBytes / ClusterBytes(); }
    uint64_t ClustersFor(uint64_t size) const {
        return (size + ClusterBytes() - 1) / ClusterBytes();
    }

    SimMediumSpec spec_;
    std::shared_ptr<SimNode> root_;
    // With SimWriteCache::All: the tree as the medium holds it, taken at each flush.
    std::shared_ptr<SimNode> committed_;
    uint64_t usedClusters_ = 0;
    std::optional<uint64_t> writeBudget_;  // bytes that may still be written
    std::optional<uint64_t> removeAfter_;  // bytes after which the medium leaves its drive
};

// One entry of a folder tree as ListTree reports it.
struct SimEntry {
    std::string relativePath;  // from the listed folder, with backslashes
    bool directory = false;
    uint32_t attributes = 0;
    FileTimes times;
    uint64_t size = 0;
    std::string contents;  // files only; a sparse tail is left out
};

struct SimPutOptions {
    // Besides the bits SetAttributes takes: encrypted, the cloud placeholder bits and pinning.
    uint32_t attributes = kAttributeArchive;
    std::optional<FileTimes> times;  // default: all three are now
};

class SimFileSystem final : public FileSystem {
  public:
    SimFileSystem(SimCore& core, SimFaults& faults);
    ~SimFileSystem() override;

    // The port.
    [[nodiscard]] uint32_t FindFirst(const std::string& pattern,
                                     std::unique_ptr<DirectorySearch>& search,
                                     FileInfo& first) override;
    [[nodiscard]] uint32_t GetFileInfo(const std::string& path, FileInfo& info) override;
    [[nodiscard]] uint32_t GetAttributes(const std::string& path, uint32_t& attributes) override;
    [[nodiscard]] uint32_t SetAttributes(const std::string& path, uint32_t attributes) override;
    [[nodiscard]] uint32_t Open(const std::string& path, const OpenRequest& request,
                                std::unique_ptr<File>& file) override;
    [[nodiscard]] uint32_t DeleteFile(const std::string& path) override;
    [[nodiscard]] uint32_t MoveFile(const std::string& from, const std::string& to,
                                    bool replaceExisting) override;
    [[nodiscard]] uint32_t CreateDirectory(const std::string& path) override;
    [[nodiscard]] uint32_t RemoveDirectory(const std::string& path) override;
    [[nodiscard]] uint32_t GetVolumeSpace(const std::string& path, VolumeSpace& space) override;
    [[nodiscard]] uint32_t GetVolumeInfo(const std::string& root, VolumeInfo& info) override;
    uint32_t LogicalDrives() override;
    DriveType GetDriveType(const std::string& root) override;
    [[nodiscard]] uint32_t OpenChangeNotification(
        const std::string& folder, bool watchSubtree, uint32_t filter,
        std::unique_ptr<ChangeNotification>& notification) override;

    // Drives and media. root is "C:" or "\\server\share".
    std::shared_ptr<SimMedium> CreateMedium(const SimMediumSpec& setup);
    void AddDrive(const std::string& root, DriveType type, std::shared_ptr<SimMedium> medium);
    void RemoveDrive(const std::string& root);
    void InsertMedium(const std::string& root, std::shared_ptr<SimMedium> medium);
    // Takes the medium out; open files on it fail from now on. Returns it (null when none).
    std::shared_ptr<SimMedium> EjectMedium(const std::string& root);
    std::shared_ptr<SimMedium> MediumIn(const std::string& root);
    // The medium taken out without a warning to the system: what its write cache held is lost.
    // (EjectMedium is the safe removal: the cache is written first.)
    std::shared_ptr<SimMedium> PullMedium(const std::string& root);
    // The power fails: every medium in a drive loses what its write cache held and open files go
    // stale. (SimMachine also stops every later operation until the power is back.)
    void CutPowerLocked();
    // The system's lazy writer has written back every change the write cache of root's medium
    // held, as it does within seconds on a machine that keeps running.
    void WriteBackCache(const std::string& root);
    // A cloud placeholder whose data was read (and so downloaded): how many so far.
    uint64_t RecallCount();
    void SetWriteProtected(const std::string& root, bool writeProtected);
    void SetLabel(const std::string& root, const std::string& label);

    // Volume limits, cleared when the medium is ejected or by ClearVolumeLimits: after `bytes`
    // more bytes have been written to the medium in the drive, further writes fail with 112 (and
    // the free space never shows more than what is left) / the medium is removed from the drive
    // by the write that crosses the mark.
    void FillVolumeAfter(const std::string& root, uint64_t bytes);
    void RemoveMediumAfter(const std::string& root, uint64_t bytes);
    void ClearVolumeLimits(const std::string& root);

    // Contents, as another program would make them: parent folders are created, notifications
    // fire, share modes are not consulted.
    uint32_t PutFile(const std::string& path, const std::string& contents,
                     const SimPutOptions& options = {});
    // A file of `size` bytes that reads as zeros and takes no memory.
    uint32_t PutSparseFile(const std::string& path, uint64_t size,
                           const SimPutOptions& options = {});
    uint32_t PutFolder(const std::string& path);
    // A reparse point at path (whose parent must exist) leading to target, an absolute path on
    // any drive: a junction or mount point (directory true) or a symbolic link to a file. Lookups
    // follow it as Windows does: through every folder of a path, and at the last part when a file
    // is opened, searched or watched; attributes, deletes, renames and new folders of that name
    // act on the link itself. A chain of more than 63 links fails with 1921.
    uint32_t PutLink(const std::string& path, const std::string& target, bool directory);
    std::optional<std::string> ContentsOf(const std::string& path);
    // Every entry below folder, sorted by relative path (ignoring case).
    std::vector<SimEntry> ListTree(const std::string& folder);

    // Relative paths are taken from this folder.
    void SetCurrentDirectory(const std::string& path);

    // The port's calls so far, by kind.
    SimCallCounts& calls() { return calls_; }

  private:
    friend class SimFileHandle;
    friend class SimChangeNotification;
    friend class SimMachine;

    struct Drive {
        std::string root;
        DriveType type = DriveType::Fixed;
        std::shared_ptr<SimMedium> medium;
        uint64_t generation = 0;  // grows at every media change: open files go stale
    };

    struct ParsedPath {
        std::string driveKey;
        std::vector<std::string> parts;
        std::string full;  // canonical, for faults and messages
    };

    struct Located {
        Drive* drive = nullptr;  // the drive where the lookup ended (after reparse points)
        std::string driveKey;
        SimMedium* medium = nullptr;
        SimNode* parent = nullptr;  // null for the root
        SimNode* node = nullptr;    // null when the last part does not exist
        std::string name;           // the last part, as the lookup ended (after reparse points)
    };

    // Open and OpenChangeNotification without handing the result over; they take the lock.
    uint32_t MakeFile(const std::string& path, const OpenRequest& request,
                      std::unique_ptr<File>& file);
    uint32_t MakeChangeNotification(const std::string& folder, bool watchSubtree, uint32_t filter,
                                    std::unique_ptr<ChangeNotification>& notification);
    // GetFileInfo without counting a call of its own (GetAttributes counts as one).
    uint32_t LookUp(const std::string& path, FileInfo& info);
    uint32_t ParseLocked(const std::string& path, bool wildcardsInLast, ParsedPath& parsed) const;
    // Finds the node of parsed (through reparse points; the last part's own one too when
    // followLast). located.node is null when only the last part is missing.
    uint32_t LocateLocked(const ParsedPath& parsed, Located& located, bool followLast = false);
    uint32_t LocateFromLocked(const std::string& driveKey, std::vector<std::string> parts,
                              bool followLast, int depth, Located& located);
    uint32_t ParseAndLocateLocked(const std::string& path, ParsedPath& parsed, Located& located,
                                  bool followLast = false);
    Drive* FindDriveLocked(const std::string& rootOrPath);
    // The medium in the drive a volume question names (the drive's root or a path on it).
    uint32_t VolumeMediumLocked(const std::string& path, const SimMedium*& medium);
    // Takes the medium out; safely writes its cache first, else the cache is lost.
    std::shared_ptr<SimMedium> EjectMediumLocked(const std::string& driveKey, bool safely);
    void NotifyLocked(const SimNode* folder, uint32_t kind);
    FileInfo InfoOf(const SimNode& node) const;
    uint32_t PutLocked(const std::string& path, const std::string& contents, uint64_t sparseSize,
                       const SimPutOptions& options);
    uint32_t MakeFoldersLocked(const ParsedPath& parsed, size_t count, Located& located);
    std::shared_ptr<SimNode> AddFolderLocked(SimNode& parent, SimMedium& medium,
                                             const std::string& name);
    // Moves the located file or folder to the path `to` (MoveFile, and File::Rename by `mover`,
    // whose own open does not count against the move).
    uint32_t MoveLocked(const Located& from, const std::string& to, bool replaceExisting,
                        const SimFileHandle* mover, ParsedPath& target);
    void RemoveNodeLocked(SimMedium& medium, SimNode& parent, const SimNode& node);
    void AccountSizeLocked(SimMedium& medium, uint64_t oldSize, uint64_t newSize);

    // The file system's own rules (sim_file_system_rules.cpp).
    // 0, or why the medium cannot take a new entry of that name.
    uint32_t CheckNewNameLocked(const SimMedium& medium, const std::string& name) const;
    // The largest file the medium's file system holds.
    static uint64_t LargestFileOn(const SimMedium& medium);
    // Times as the medium stores them (rounded, in local time on FAT) and as they read back.
    FileTimes StoredTimesLocked(const SimMedium& medium, const FileTimes& utc) const;
    FileTimes TimesOfLocked(const SimNode& node) const;
    // Sets the times whose member is not zero; the kinds of notification that changed.
    uint32_t SetNodeTimesLocked(SimNode& node, const FileTimes& utc);

    // The write cache (sim_write_cache.cpp).
    // Before a file's data changes: keeps what the medium holds of it, when it has a cache.
    void BeforeDataChangeLocked(SimNode& node);
    // A flush of a handle of node: its data, and with SimWriteCache::All every change so far.
    void FlushLocked(SimNode& node);
    // What the medium holds now becomes all there is (the cache is lost).
    void LoseCacheLocked(SimMedium& medium);
    // Writes every change the cache holds to the medium (a safe removal).
    void CommitCacheLocked(SimMedium& medium);

    SimCore& core_;
    SimFaults& faults_;
    SimCallCounts calls_;
    std::map<std::string, Drive> drives_;  // by upper-case root
    std::vector<SimChangeNotification*> notifications_;
    std::string currentDirectory_ = "C:\\";
    uint64_t recalls_ = 0;
};

}  // namespace os::sim
