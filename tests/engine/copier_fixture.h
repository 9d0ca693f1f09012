#pragma once
// What the scanner, copier and revision tests share: a simulated machine with a source drive C:
// and a removable backup drive F:, an owner that records the copier's calls and answers a full
// disk as the test says, a file system in front of the simulated one that can run a test's code
// at chosen moments or show a folder as a link to another, and a check that a folder tree holds
// exactly the files expected.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/copier_owner.h"
#include "engine/file_copier.h"
#include "engine/file_list.h"
#include "engine/folder_scanner.h"
#include "os/sim/sim_machine.h"
#include "settings/settings_store.h"

namespace engine::testing {

class RecordingOwner final : public CopierOwner {
  public:
    struct DiskFull {
        os::FileTime firstDate;
        os::FileTime lastDate;
        uint64_t needed;
        std::string destination;
        uint64_t bytesWritten;
    };
    // Answers a full disk; by default the user gives up (995).
    std::function<uint32_t(const DiskFull&)> onDiskFull;

    std::vector<DiskFull> diskFull;
    std::vector<std::string> tooLarge;
    std::vector<std::pair<std::string, uint32_t>> errors;
    std::vector<std::string> longNames;

    uint32_t DiskFullHandler(const os::FileTime& firstDate, const os::FileTime& lastDate,
                             uint64_t needed, const std::string& destination,
                             uint64_t bytesWritten) override;
    void FileTooLarge(const std::string& path) override { tooLarge.push_back(path); }
    void FileError(const std::string& path, uint32_t code) override {
        errors.emplace_back(path, code);
    }
    void LongFileName(const std::string& revisionName) override {
        longNames.push_back(revisionName);
    }
};

// Runs a hook through a copy of it: a hook may clear itself (set itself to nullptr) while it
// runs, which would otherwise destroy the lambda, and what it captured, under its own feet.
template <typename Hook, typename... Args>
void RunHook(const Hook& hook, const Args&... args) {
    if (hook) {
        const Hook running = hook;
        running(args...);
    }
}

// Forwards every call to another file system; hooks run before the call is forwarded.
class HookedFileSystem final : public os::FileSystem {
  public:
    explicit HookedFileSystem(os::FileSystem& target) : target_(target) {}

    std::function<void(const std::string& pattern)> beforeFind;
    std::function<void(const std::string& from, const std::string& to)> beforeMove;
    // Called before each write to a file opened through this file system.
    std::function<void(const std::string& path)> beforeWrite;
    std::function<void(const std::string& path, const os::OpenRequest&)> beforeOpen;
    std::function<void(const std::string& path, uint32_t attributes)> beforeSetAttributes;
    std::function<void(const std::string& folder)> beforeChangeNotification;
    // Writes to a file whose path this is true for report success and take nothing, as a
    // broken driver might.
    std::function<bool(const std::string& path)> writeTakesNothing;
    // The error a file opened through this file system reports when it is closed (it is closed
    // all the same), as a write the system held back may fail only then; 0 for none.
    std::function<uint32_t(const std::string& path)> closeError;
    // Likewise the error asking an open file for its size, times and attributes reports.
    std::function<uint32_t(const std::string& path)> getInfoError;
    // Shows the folder `link` (which must exist, empty) as a directory reparse point whose
    // contents are those of `target`, as a junction would.
    void AddLink(const std::string& link, const std::string& target);
    std::vector<std::string> moves;  // the targets of successful moves, in order
    std::vector<std::string> failedDeletes;

    uint32_t FindFirst(const std::string& pattern, std::unique_ptr<os::DirectorySearch>& search,
                       os::FileInfo& first) override;
    uint32_t GetFileInfo(const std::string& path, os::FileInfo& info) override;
    uint32_t GetAttributes(const std::string& path, uint32_t& attributes) override {
        return target_.GetAttributes(Resolve(path), attributes);
    }
    uint32_t SetAttributes(const std::string& path, uint32_t attributes) override {
        RunHook(beforeSetAttributes, path, attributes);
        return target_.SetAttributes(Resolve(path), attributes);
    }
    uint32_t Open(const std::string& path, const os::OpenRequest& request,
                  std::unique_ptr<os::File>& file) override;
    uint32_t DeleteFile(const std::string& path) override {
        const uint32_t error = target_.DeleteFile(path);
        if (error != 0) {
            failedDeletes.push_back(path);
        }
        return error;
    }
    uint32_t MoveFile(const std::string& from, const std::string& to,
                      bool replaceExisting) override;
    uint32_t CreateDirectory(const std::string& path) override {
        return target_.CreateDirectory(path);
    }
    uint32_t RemoveDirectory(const std::string& path) override {
        return target_.RemoveDirectory(path);
    }
    uint32_t GetVolumeSpace(const std::string& path, os::VolumeSpace& space) override {
        return target_.GetVolumeSpace(path, space);
    }
    uint32_t GetVolumeInfo(const std::string& root, os::VolumeInfo& info) override {
        return target_.GetVolumeInfo(root, info);
    }
    uint32_t LogicalDrives() override { return target_.LogicalDrives(); }
    os::DriveType GetDriveType(const std::string& root) override {
        return target_.GetDriveType(root);
    }
    uint32_t OpenChangeNotification(
        const std::string& folder, bool watchSubtree, uint32_t filter,
        std::unique_ptr<os::ChangeNotification>& notification) override {
        RunHook(beforeChangeNotification, folder);
        return target_.OpenChangeNotification(folder, watchSubtree, filter, notification);
    }

  private:
    std::string Resolve(const std::string& path) const;
    os::FileSystem& target_;
    std::vector<std::pair<std::string, std::string>> links_;
};

// The files under folder, by relative path, with their contents.
using Tree = std::map<std::string, std::string>;
// Every file below folder (folders themselves are not listed), relative path to contents.
Tree FilesUnder(os::sim::SimFileSystem& files, const std::string& folder);
// Succeeds when folder holds exactly these files with these contents; names what is missing,
// extra or different.
::testing::AssertionResult HoldsExactly(os::sim::SimFileSystem& files, const std::string& folder,
                                        const Tree& expected);

// 2026-01-05 09:00 UTC plus the given seconds: the sim machine's start time.
os::FileTime At(int64_t seconds);

class CopierTest : public ::testing::Test {
  protected:
    CopierTest();

    os::sim::SimFileSystem& sim() { return machine.files(); }
    // A source file with these times (all three alike) and attributes.
    void Put(const std::string& path, const std::string& contents, os::FileTime time,
             uint32_t attributes = os::kAttributeArchive);
    // Scans C:\Data from the watermark into the candidates.
    uint32_t Scan();
    // One pass: the scan, then CopyPass to F:.
    uint32_t Backup();
    uint32_t Pass() { return copier->CopyPass(candidates, "F:", retries, watermark); }
    uint32_t AttributesOf(const std::string& path);
    // Cancels the pass while the copy moving to target finishes: that file is copied, the rest
    // is not reached.
    void CancelAfterMoveTo(const std::string& target);

    os::sim::SimMachine machine;
    std::shared_ptr<os::sim::SimMedium> disk;
    HookedFileSystem files{machine.files()};
    settings::CKRVSettingsStore store{machine.registry()};
    RecordingOwner owner;
    std::unique_ptr<FileCopier> copier;
    FolderScanner scanner{files};
    FileList candidates{files};
    FileList retries{files};
    os::FileTime watermark = 0;
};

}  // namespace engine::testing
