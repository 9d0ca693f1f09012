#pragma once
// What the settings sheet shows and what the user chose on it: read from the settings store when
// the sheet opens and stored back on OK (portable). The pages move these values in and out of
// their controls; the rules that keep a wrong value from reaching the engine live here.

#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings_store.h"

namespace ui {

// The revisions radios in their order on the Advanced page.
enum class RevisionsChoice : int { DontSave = 0, Unlimited = 1, Limited = 2 };

inline constexpr int kDefaultRevisionsCount = 5;
inline constexpr int kFewestRevisions = 1;
inline constexpr int kMostRevisions = 99;
inline constexpr uint32_t kDefaultInterval = 15;
inline constexpr uint32_t kShortestInterval = 1;
inline constexpr uint32_t kLongestInterval = 999;
inline constexpr uint32_t kMinutesPerDay = 1440;
// Bit 0 Sunday ... bit 6 Saturday.
inline constexpr uint32_t kMondayToFriday = 0x3E;
inline constexpr uint32_t kEveryDay = 0x7F;

struct ScheduleValues {
    uint32_t type = settings::kScheduleOnEveryChange;
    uint32_t interval = kDefaultInterval;
    uint32_t unit = settings::kUnitMinutes;
    uint32_t days = kMondayToFriday;
    uint32_t timeOfDay = 0;  // minutes since midnight
    uint32_t atShutdown = 0;
};

struct SheetValues {
    bool switchedOn = true;
    // In the order the list shows them.
    std::vector<std::string> sources;
    // The destination drive's root ("E:\"); empty when none is chosen.
    std::string destination;
    RevisionsChoice revisions = RevisionsChoice::DontSave;
    int revisionsCount = kDefaultRevisionsCount;
    bool trayIcon = false;
    bool warnings = false;
    bool diskFullWarning = false;
    bool showProgress = false;
    ScheduleValues schedule;
    // The Copy Now boxes: a pass, or a complete copy, when the engine starts again.
    bool copyChanged = false;
    bool recopyAll = false;
};

// The settings as they were stored when the sheet opened.
struct SettingsAtOpen {
    SheetValues values;
    std::string diskId;
};

// Reads every value the sheet shows. Values that cannot be read, or lie outside what the pages
// can show, give the pages' defaults (interval 15, minutes, Monday to Friday, revisions off with
// a count of 5, the time of day `minuteNow`).
SettingsAtOpen LoadSettingsAtOpen(const settings::CKRVSettingsStore& store, uint32_t minuteNow);
// The schedule part alone (the Scheduling page reads its own values).
ScheduleValues ReadScheduleValues(const settings::CKRVSettingsStore& store, uint32_t minuteNow);

// "Revisions" as the Advanced page shows it, and back.
void RevisionsFromStored(uint32_t stored, RevisionsChoice& choice, int& count);
uint32_t RevisionsToStore(RevisionsChoice choice, int count);

// A destination the user chose that can become the stored one: the root of a drive that is
// there now ("E:\"). An empty text (no drive chosen), anything else a list may report for "no
// selection", and a drive that has gone are not.
bool IsUsableDestination(const std::string& destination);

struct SaveOutcome {
    // The first value that could not be stored (a registry error), 0 when all were.
    uint32_t error = 0;
    bool switchedOff = false;
    // "Icon Status" changed, and whether the icon is now to be shown.
    bool iconChanged = false;
    bool iconShown = false;
    // The chosen destination could not be used; the stored one stays.
    bool destinationKept = false;
    // Another disk (or, for now, no disk) became the backup disk: its last-sync time was set to
    // zero, so the engine starts with a complete copy.
    bool newBackupDisk = false;
    // Source folders that were not covered by the stored list when the sheet opened.
    std::vector<std::string> addedFolders;
};

// Stores the sheet's values in the order the settings window keeps: destination, sources,
// icon, switch, revisions, warnings, the disk identity, the disk-full warning, progress and the
// schedule. Switched off, only "Mirror Status" 0 is stored.
//
// The disk in the destination drive becomes "DiskID" only when the destination changed or no
// disk was chosen yet ("0"), never because some disk happens to be inserted; "0" when that drive
// is empty. A changed identity stores a last-sync time of 0.
SaveOutcome SaveSheetValues(const SheetValues& chosen, const SettingsAtOpen& atOpen,
                            const settings::CKRVSettingsStore& store);

// Replaces "Filter" with the list in one write, so that no moment passes without it; an empty
// list removes the value (nothing is excluded). 0 or the registry's error.
uint32_t StoreExclusionList(const settings::CKRVSettingsStore& store,
                            const std::vector<std::string>& extensions);

}  // namespace ui
