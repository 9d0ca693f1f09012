#include "ui/settings/sheet_values.h"

#include <algorithm>

#include "drivekit/drive.h"
#include "os/errors.h"
#include "os/text.h"
#include "ui/settings/source_folders.h"

namespace ui {

namespace {

using settings::CKRVSettingsStore;
namespace names = settings::names;

// A "Scheduler ..." number when it can be read and lies within [low, high].
bool ReadBounded(const CKRVSettingsStore& store, const char* name, uint32_t low, uint32_t high,
                 uint32_t& value) {
    uint32_t read = 0;
    if (store.ReadSchedulerValue(name, read) != os::kErrorSuccess || read < low || read > high) {
        return false;
    }
    value = read;
    return true;
}

// Remembers the first failure of a run of writes.
class FirstError {
  public:
    void Note(uint32_t error) {
        if (error_ == os::kErrorSuccess) {
            error_ = error;
        }
    }
    uint32_t get() const { return error_; }

  private:
    uint32_t error_ = os::kErrorSuccess;
};

bool SameFolderText(const std::string& a, const std::string& b) {
    return os::EqualsIgnoreCase(a, b);
}

bool NoDiskChosen(const std::string& diskId) {
    return diskId.empty() || diskId == "0";
}

// The identifier of the disk in the drive of a destination root; "0" when it has none.
std::string IdentifierOfDiskIn(const std::string& destination) {
    // Results of drive-library actions are not checked: a lock that failed still lets the
    // identifier be read.
    drvKit::Drive drive(destination.front());
    const bool removable = drive.isRemovable();
    std::string identifier;
    if (drive.hasDisk()) {
        (void)drive.makeNonRemovable(false);
        identifier = drive.getDisk().getIdentifier();
        if (removable) {
            (void)drive.makeRemovable(false);
        }
    }
    return identifier.empty() ? "0" : identifier;
}

}  // namespace

void RevisionsFromStored(uint32_t stored, RevisionsChoice& choice, int& count) {
    count = kDefaultRevisionsCount;
    if (stored == 0) {
        choice = RevisionsChoice::DontSave;
    } else if (stored == settings::kUnlimitedRevisions) {
        choice = RevisionsChoice::Unlimited;
    } else {
        choice = RevisionsChoice::Limited;
        count = static_cast<int>(std::min<uint32_t>(stored, kMostRevisions));
    }
}

uint32_t RevisionsToStore(RevisionsChoice choice, int count) {
    switch (choice) {
        case RevisionsChoice::Unlimited:
            return settings::kUnlimitedRevisions;
        case RevisionsChoice::Limited:
            return static_cast<uint32_t>(std::clamp(count, kFewestRevisions, kMostRevisions));
        case RevisionsChoice::DontSave:
        default:
            return 0;
    }
}

ScheduleValues ReadScheduleValues(const CKRVSettingsStore& store, uint32_t minuteNow) {
    ScheduleValues schedule;
    schedule.timeOfDay = minuteNow % kMinutesPerDay;
    ReadBounded(store, names::kSchedulerType, settings::kScheduleOnEveryChange,
                settings::kScheduleAtShutdownOnly, schedule.type);
    ReadBounded(store, names::kSchedulerInterval, kShortestInterval, kLongestInterval,
                schedule.interval);
    ReadBounded(store, names::kSchedulerIntervalUnit, settings::kUnitMinutes, settings::kUnitDays,
                schedule.unit);
    uint32_t days = 0;
    if (store.ReadSchedulerValue(names::kSchedulerDays, days) == os::kErrorSuccess) {
        schedule.days = days & kEveryDay;
    }
    ReadBounded(store, names::kSchedulerTimeOfDay, 0, kMinutesPerDay - 1, schedule.timeOfDay);
    uint32_t atShutdown = 0;
    if (store.ReadSchedulerValue(names::kSchedulerAtShutdown, atShutdown) == os::kErrorSuccess) {
        schedule.atShutdown = atShutdown != 0 ? 1 : 0;
    }
    return schedule;
}

SettingsAtOpen LoadSettingsAtOpen(const CKRVSettingsStore& store, uint32_t minuteNow) {
    // Each read that fails leaves the value as it starts here: a missing value shows as the
    // page's default, never as whatever a half-read left behind.
    SettingsAtOpen opened;
    SheetValues& values = opened.values;
    (void)store.ReadDestination(values.destination);
    (void)store.ReadSourceList(values.sources);
    (void)store.ReadDiskId(opened.diskId);

    uint32_t number = 0;
    (void)store.ReadIconStatus(number);
    values.trayIcon = number != 0;
    number = 1;  // the sheet opens on a configured program, which is switched on unless stored 0
    (void)store.ReadMirrorStatus(number);
    values.switchedOn = number != 0;
    number = 0;
    (void)store.ReadWarningStatus(number);
    values.warnings = number != 0;
    number = 0;
    (void)store.ReadBuyStatus(number);
    values.diskFullWarning = number == 1;
    number = 0;
    (void)store.ReadProgressStatus(number);
    values.showProgress = number == 1;
    number = 0;
    if (store.ReadRevisions(number) == os::kErrorSuccess) {
        RevisionsFromStored(number, values.revisions, values.revisionsCount);
    }
    values.schedule = ReadScheduleValues(store, minuteNow);
    return opened;
}

bool IsUsableDestination(const std::string& destination) {
    if (destination.size() != 3 || destination[1] != ':' || destination[2] != '\\') {
        return false;
    }
    const char letter = destination[0];
    if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) {
        return false;
    }
    return drvKit::Drive(letter).exists();
}

SaveOutcome SaveSheetValues(const SheetValues& chosen, const SettingsAtOpen& atOpen,
                            const CKRVSettingsStore& store) {
    SaveOutcome outcome;
    FirstError errors;
    if (!chosen.switchedOn) {
        outcome.switchedOff = true;
        errors.Note(store.WriteMirrorStatus(0));
        outcome.error = errors.get();
        return outcome;
    }

    const SheetValues& before = atOpen.values;
    std::string destination = chosen.destination;
    if (!IsUsableDestination(destination)) {
        outcome.destinationKept = true;
        destination = before.destination;
    }
    const std::vector<std::string> sources = CleanSourceList(chosen.sources);

    // An empty destination or list stores nothing and keeps what was there.
    if (!outcome.destinationKept) {
        errors.Note(store.WriteDestination(destination));
    }
    if (!sources.empty()) {
        errors.Note(store.WriteSourceList(sources));
        outcome.addedFolders = FoldersNotCoveredBy(sources, before.sources);
    }
    errors.Note(store.WriteIconStatus(chosen.trayIcon ? 1 : 0));
    errors.Note(store.WriteMirrorStatus(1));
    errors.Note(store.WriteRevisions(RevisionsToStore(chosen.revisions, chosen.revisionsCount)));
    errors.Note(store.WriteWarningStatus(chosen.warnings ? 1 : 0));
    outcome.iconChanged = chosen.trayIcon != before.trayIcon;
    outcome.iconShown = chosen.trayIcon;

    const bool destinationChanged =
        !outcome.destinationKept && !SameFolderText(destination, before.destination);
    if (!destination.empty() && (destinationChanged || NoDiskChosen(atOpen.diskId))) {
        const std::string identifier = IdentifierOfDiskIn(destination);
        if (identifier != atOpen.diskId) {
            errors.Note(store.WriteDiskId(identifier));
            outcome.newBackupDisk = true;
        }
    }

    errors.Note(store.WriteBuyStatus(chosen.diskFullWarning ? 1 : 0));
    errors.Note(store.WriteProgressStatus(chosen.showProgress ? 1 : 0));

    const ScheduleValues& schedule = chosen.schedule;
    errors.Note(store.WriteSchedulerValue(
        names::kSchedulerType, std::min(schedule.type, settings::kScheduleAtShutdownOnly)));
    errors.Note(store.WriteSchedulerValue(
        names::kSchedulerInterval,
        std::clamp(schedule.interval, kShortestInterval, kLongestInterval)));
    errors.Note(store.WriteSchedulerValue(names::kSchedulerIntervalUnit,
                                          std::min(schedule.unit, settings::kUnitDays)));
    errors.Note(store.WriteSchedulerValue(names::kSchedulerDays, schedule.days & kEveryDay));
    errors.Note(store.WriteSchedulerValue(names::kSchedulerTimeOfDay,
                                          std::min(schedule.timeOfDay, kMinutesPerDay - 1)));
    errors.Note(store.WriteSchedulerValue(names::kSchedulerAtShutdown, schedule.atShutdown));

    // The last-sync time belonged to the disk before: on a new one it would leave out every file
    // older than it.
    if (outcome.newBackupDisk) {
        errors.Note(store.WriteStartTime(0));
    }
    outcome.error = errors.get();
    return outcome;
}

uint32_t StoreExclusionList(const CKRVSettingsStore& store,
                            const std::vector<std::string>& extensions) {
    if (!extensions.empty()) {
        return store.WriteFilterList(extensions);
    }
    const uint32_t error = store.DeleteFilterList();
    // Already absent is what was wanted.
    return error == os::kErrorFileNotFound ? os::kErrorSuccess : error;
}

}  // namespace ui
