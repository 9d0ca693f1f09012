#pragma once
// Simulated drives of the maker for tests, on the drives and media of the simulated file system:
// what the drive library says about a disk and what the file system sees of it always agree (a
// protected disk refuses writes, lifting the protection makes it writable, an ejected disk is
// gone from its drive). Tests add drives, create disks, insert, remove and swap them, make the
// format lock fail or a drive slow to become ready, and read back the actions the program asked
// for.
//
// The simulated file system has no protection against reading: a disk in state 3 refuses writes
// like state 2 but can still be read.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "drivekit/backend.h"
#include "os/sim/sim_file_system.h"

namespace drvKit::sim {

struct SimDriveSpec {
    EDriveFamily family = kFamilyRemovableDisk;
    int subFamily = kSubFamilyRemovable;
    EAdapter adapter = kAdapterUsb;
    uint64_t maxRawCapacity = 0;
    std::optional<bool> removable;  // default: false for external disks, true otherwise
    std::string kindName;           // default: the kind Explorer names for the family
};

struct SimDiskSpec {
    std::string label;
    uint32_t serialNumber = 0;
    std::string identifier;  // default: the serial number as `vol` shows it
    uint64_t capacityBytes = 1ULL << 30;
    uint32_t bytesPerSector = 512;
    uint32_t sectorsPerCluster = 8;
    EProtectState protection = kProtectNone;
    std::string password;             // for states 2 and 3
    bool writeProtectSwitch = false;  // state 1 that software cannot lift
    bool sizesUnavailable = false;    // the disk cannot report its sizes
    // The medium's file system and whether its limits and time rounding apply (see
    // os::sim::SimMediumSpec), and what a power cut or a pulled disk leaves on it.
    std::string fileSystem = "FAT32";
    bool fileSystemRules = false;
    uint32_t maximumComponentLength = 255;  // the longest name the file system takes
    os::sim::SimWriteCache writeCache = os::sim::SimWriteCache::Off;
};

// A disk that tests keep while it is in no drive. Its state belongs to the backend.
class SimDisk {
  public:
    const std::shared_ptr<os::sim::SimMedium>& medium() const { return medium_; }
    const std::string& identifier() const { return identifier_; }

  private:
    friend class SimDriveBackend;
    std::shared_ptr<os::sim::SimMedium> medium_;
    std::string identifier_;
    EProtectState protection_ = kProtectNone;  // guarded by the backend's mutex
    std::string password_;
    bool writeProtectSwitch_ = false;
    bool sizesUnavailable_ = false;
};

enum class SimRequestKind {
    Lock,
    Release,
    Eject,
    SetProtect,
    ForceMediaChange,
    FormatLock,
    FormatUnlock,
};

// One action the program asked of a drive, in order, with what came of it.
struct SimRequest {
    SimRequest() = default;
    SimRequest(char letter_, SimRequestKind kind_, bool exclusive_ = false,
               EProtectState state_ = kProtectNone, std::string password_ = {},
               EError result_ = kErrNone)
        : letter(letter_),
          kind(kind_),
          exclusive(exclusive_),
          state(state_),
          password(std::move(password_)),
          result(result_) {}

    char letter = '\0';
    SimRequestKind kind = SimRequestKind::Lock;
    bool exclusive = false;              // Lock, Release
    EProtectState state = kProtectNone;  // SetProtect
    std::string password;                // SetProtect
    EError result = kErrNone;            // FormatLock: kErrNone when obtained
    friend bool operator==(const SimRequest&, const SimRequest&) = default;
};

class SimDriveBackend final : public Backend {
  public:
    explicit SimDriveBackend(os::sim::SimFileSystem& files);

    // Adds a drive of the maker at the letter to the file system, empty.
    void AddDrive(char letter, const SimDriveSpec& setup = {});
    // A disk with its medium, not in any drive yet.
    std::shared_ptr<SimDisk> CreateDisk(const SimDiskSpec& setup);
    // What the user does: put a disk into a drive (one in it already comes out), take it out.
    void InsertDisk(char letter, std::shared_ptr<SimDisk> disk);
    std::shared_ptr<SimDisk> RemoveDisk(char letter);
    // The disk in the drive, null when there is none or the medium in it is not a SimDisk.
    std::shared_ptr<SimDisk> DiskIn(char letter);
    EProtectState ProtectionOf(const SimDisk& disk);
    std::string PasswordOf(const SimDisk& disk);

    // The next `times` format locks of the drive fail (other programs have files open).
    void FailFormatLock(char letter, int times);
    // The next `tests` readiness tests of the drive say not ready (a disk spinning up).
    void BecomeReadyAfter(char letter, int tests);

    std::vector<SimRequest> Requests();
    void ClearRequests();
    int LockCount(char letter);  // ordinary and exclusive locks together
    bool IsFormatLocked(char letter);

    // The backend.
    uint32_t DriveLetters() override;
    DriveFacts DescribeDrive(char letter) override;
    MediumFacts ReadMedium(char letter) override;
    uint64_t MaxRawCapacity(char letter) override;
    bool TestUnitReady(char letter) override;
    [[nodiscard]] EError LockMedium(char letter, bool exclusive) override;
    [[nodiscard]] EError ReleaseMedium(char letter, bool exclusive) override;
    [[nodiscard]] EError Eject(char letter) override;
    [[nodiscard]] EError SetProtect(char letter, EProtectState state,
                                    const std::string& password) override;
    [[nodiscard]] bool ForceMediaChange(char letter) override;
    [[nodiscard]] bool FormatLock(char letter) override;
    [[nodiscard]] EError FormatUnlock(char letter) override;

  private:
    struct SimDrive {
        SimDriveSpec setup;
        int locks = 0;
        int exclusiveLocks = 0;
        bool formatLocked = false;
        int formatLockFailures = 0;
        int notReadyTests = 0;
    };

    SimDrive* FindLocked(char letter);
    std::shared_ptr<SimDisk> DiskInLocked(char letter);
    EError RecordLocked(SimRequest request);

    os::sim::SimFileSystem& files_;
    std::mutex mutex_;  // taken before the file system's own lock, never after it
    std::map<char, SimDrive> drives_;
    std::vector<std::shared_ptr<SimDisk>> disks_;
    std::vector<SimRequest> requests_;
};

// Installs a SimDriveBackend as the drive library's backend for its lifetime. Drives opened
// while it is installed must not outlive it or the simulated file system.
class SimDriveKit {
  public:
    explicit SimDriveKit(os::sim::SimFileSystem& files);
    ~SimDriveKit();
    SimDriveKit(const SimDriveKit&) = delete;
    SimDriveKit& operator=(const SimDriveKit&) = delete;

    SimDriveBackend& operator*() { return *backend_; }
    SimDriveBackend* operator->() { return backend_; }

  private:
    SimDriveBackend* backend_;  // owned by the installation
};

}  // namespace drvKit::sim
