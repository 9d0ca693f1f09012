#pragma once
// What the setup wizard decides and stores, apart from its windows (portable): the folders it
// creates, the disk it reads, the revisions value, the figures of the drive and review pages, the
// settings it stores at the end, and what Cancel takes back.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "drivekit/drive.h"
#include "os/file_system.h"
#include "os/registry.h"
#include "settings/settings_store.h"

namespace ui {

// The three choices of the revisions page.
enum class RevisionsChoice { None, Unlimited, Limited };

// The count of limited revisions as the page keeps it: 0 becomes 1, 99 and more become 99.
uint32_t LimitRevisionCount(uint32_t count);
// "Revisions" for a choice: 0 for none, 0xFFFFFFFF for unlimited, the count limited to 1..99.
uint32_t RevisionsValue(RevisionsChoice choice, uint32_t count);

// What the drive library reports about the disk in a drive, for the drive and review pages.
struct DiskFigures {
    bool hasDisk = false;
    bool sizesUnavailable = false;  // a disk is in but cannot report its sizes
    uint64_t freeBytes = 0;
    uint64_t usedBytes = 0;
    uint64_t capacityBytes = 0;  // the medium's capacity, or 540 MB for a CD drive without one
    std::string identifier;      // "DiskID" of the disk; empty without one
    std::string volumeName;
};

// Reads the disk in the drive, with the medium locked in the drive while it is read.
DiskFigures ReadDiskFigures(drvKit::Drive& drive);

// The drive page's chart value, the free share of the disk in percent (0..100): 100 when
// nothing is used, 0 when less than 1 MB is free, and at least 1 otherwise, so that a nearly
// full disk never looks empty. Nothing when the capacity is unknown.
std::optional<int> FreeSharePercent(const DiskFigures& disk);

// The review page's estimate of the disks a complete copy needs, from the data of the source
// folders and the disk in the destination drive (free 0 without a disk), with disks of the
// drive's largest raw capacity (540 MB for a CD drive that reports none).
uint64_t ReviewDisksNeeded(uint64_t dataBytes, bool hasDisk, uint64_t freeBytes,
                           uint64_t maxRawCapacity, uint32_t family);

// The first complete set of settings the wizard stores when the user finishes.
struct SetupChoices {
    std::string destination;  // "F:\"
    std::vector<std::string> sources;
    uint32_t revisions = 0;
    uint32_t trayIcon = 1;
};

// Stores the choices in the wizard's order: "Destination", "Source", "Revisions", a zero
// last-sync time, "Icon Status", then 1 for the seven notice, warning and on/off flags, and
// "DiskID" = "0" when none can be read. Every value is tried; 0, or the first error.
uint32_t StoreSetupChoices(const settings::CKRVSettingsStore& store, const SetupChoices& choices);

// What the wizard stores before the user finishes ("DiskID", when the user leaves the drive
// page), noted at the start so that it can be taken back: Cancel leaves the settings as the
// wizard found them. A program that never had settings is left without the key; one whose
// settings were there but incomplete (a malformed value) keeps them.
class SetupJournal {
  public:
    SetupJournal(os::Registry& registry, const std::string& productKey);

    // "DiskID" as it was before the wizard (removed when there was none).
    uint32_t RestoreDiskId() const;
    // Takes back what the wizard stored: the whole "User Options" key when it did not exist at
    // the start, else "DiskID" as it was. 0 or the registry's error.
    uint32_t Cancel() const;

    bool keyExisted() const { return keyExisted_; }

  private:
    os::Registry& registry_;
    std::string optionsKey_;
    bool keyExisted_ = false;
    std::optional<os::RegistryValue> diskId_;
};

// The folders of the list that the user chose (case-insensitive, trailing backslashes ignored)
// and that the wizard therefore creates when they are missing; folders it offered itself are
// never created.
std::vector<std::string> FoldersToCreate(const std::vector<std::string>& listed,
                                         const std::vector<std::string>& chosen);

}  // namespace ui
