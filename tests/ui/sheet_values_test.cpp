// What the settings window reads and stores, over the simulated machine and drives: bounded
// reads, the source list's cleaning and the folders added to it, the creation of missing
// sources, and the rules that keep a wrong destination or a foreign disk away from the engine.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drivekit/sim/sim_drive_backend.h"
#include "os/errors.h"
#include "os/sim/sim_machine.h"
#include "settings/settings_store.h"
#include "ui/settings/destination_disk.h"
#include "ui/settings/sheet_values.h"
#include "ui/settings/source_folders.h"
#include "ui/settings/typed_extension.h"

namespace ui {
namespace {

namespace names = settings::names;
using Strings = std::vector<std::string>;

TEST(SourceList, KeepsEachFolderOnceAndOnlyTheOuterOfNestedOnes) {
    EXPECT_EQ(CleanSourceList({"C:\\Data", "c:\\DATA\\", "D:\\Work", "C:\\Data"}),
              (Strings{"C:\\Data", "D:\\Work"}));
    // A folder inside another goes, whichever comes first; a name that only starts alike stays.
    EXPECT_EQ(CleanSourceList({"C:\\Data\\Photos", "C:\\Data", "C:\\Database"}),
              (Strings{"C:\\Data", "C:\\Database"}));
    EXPECT_EQ(CleanSourceList({"C:\\Users\\Zoë\\Документы", "C:\\", "E:\\x"}),
              (Strings{"C:\\", "E:\\x"}));
    EXPECT_EQ(CleanSourceList({"\\\\server\\share\\a", "\\\\SERVER\\Share"}),
              (Strings{"\\\\SERVER\\Share"}));
    // Letter case beyond ASCII counts as Windows counts it; empty entries go.
    EXPECT_EQ(CleanSourceList({"C:\\ÄRGER", "", "c:\\ärger\\"}), (Strings{"C:\\ÄRGER"}));
    const std::string deep = "C:\\" + std::string(400, 'd') + "\\日本語";
    EXPECT_EQ(CleanSourceList({deep}), (Strings{deep}));
}

TEST(SourceList, AddedFoldersAreThoseNoEarlierFolderCovers) {
    const Strings before = {"C:\\Data", "D:\\Work"};
    EXPECT_EQ(FoldersNotCoveredBy({"c:\\data\\", "C:\\Data\\Old", "E:\\New", "D:\\"}, before),
              (Strings{"E:\\New", "D:\\"}));
    EXPECT_TRUE(FoldersNotCoveredBy(before, before).empty());
    EXPECT_EQ(FoldersNotCoveredBy({"C:\\Data"}, {}), (Strings{"C:\\Data"}));
    EXPECT_TRUE(FolderCovers("C:\\", "c:\\x\\y"));
    EXPECT_FALSE(FolderCovers("C:\\x", "C:\\xy"));
}

class SourceFolders : public ::testing::Test {
  protected:
    os::sim::SimMachine sim;
    os::FileSystem& files = sim.machine().files;
};

TEST_F(SourceFolders, MissingFoldersAndTheirCreationWithParents) {
    ASSERT_EQ(sim.files().PutFolder("C:\\Data"), 0u);
    ASSERT_EQ(sim.files().PutFile("C:\\Report.txt", "x"), 0u);
    EXPECT_EQ(MissingFolders(files, {"C:\\Data", "C:\\New\\Deep", "C:\\Report.txt"}),
              (Strings{"C:\\New\\Deep", "C:\\Report.txt"}));

    EXPECT_EQ(CreateFolderWithParents(files, "C:\\New\\Deep\\Ünïcode\\"), 0u);
    EXPECT_TRUE(MissingFolders(files, {"C:\\New\\Deep\\Ünïcode"}).empty());
    EXPECT_EQ(CreateFolderWithParents(files, "C:\\Data"), 0u);  // there already
    EXPECT_EQ(CreateFolderWithParents(files, "C:\\"), 0u);
    const std::string deep = "C:\\Long\\" + std::string(200, 'l') + "\\" + std::string(200, 'm');
    EXPECT_EQ(CreateFolderWithParents(files, deep), 0u);
    EXPECT_TRUE(MissingFolders(files, {deep}).empty());
    // A name longer than a volume allows is refused, not taken for made.
    EXPECT_EQ(CreateFolderWithParents(files, "C:\\" + std::string(300, 'x')),
              os::kErrorInvalidName);
}

TEST_F(SourceFolders, CreationFailuresAreReportedNotTakenForSuccess) {
    ASSERT_EQ(sim.files().PutFile("C:\\Report.txt", "x"), 0u);
    EXPECT_EQ(CreateFolderWithParents(files, "C:\\Report.txt\\Sub"), os::kErrorDirectory);
    EXPECT_EQ(CreateFolderWithParents(files, "C:\\Report.txt"), os::kErrorDirectory);
    // Access denied is a failure, not "there already".
    sim.FailOperation(os::sim::SimOperation::CreateDirectory, "C:\\Locked*",
                      os::kErrorAccessDenied);
    EXPECT_EQ(CreateFolderWithParents(files, "C:\\Locked\\Inner"), os::kErrorAccessDenied);
    EXPECT_FALSE(MissingFolders(files, {"C:\\Locked"}).empty());
    EXPECT_EQ(CreateFolderWithParents(files, "Q:\\NoSuchDrive"), os::kErrorPathNotFound);
    EXPECT_EQ(CreateFolderWithParents(files, "relative\\path"), os::kErrorInvalidName);
    EXPECT_EQ(CreateFolderWithParents(files, "C:\\a\\..\\b"), os::kErrorInvalidName);
}

TEST(TypedExtension, LosesTheCharactersNoFileNameMayHold) {
    EXPECT_EQ(WithoutForbiddenCharacters("*8\\/:?\"<>|x"), "8x");
    // Letters of any script stay ("müsic.fläc").
    EXPECT_EQ(WithoutForbiddenCharacters("m\xC3\xBC"
                                         "sic\t/*.fl\xC3\xA4"
                                         "c\r\n"),
              "m\xC3\xBC"
              "sic.fl\xC3\xA4"
              "c");
    EXPECT_EQ(WithoutForbiddenCharacters("\xE6\x97\xA5\xE6\x9C\xAC.tar.gz"),
              "\xE6\x97\xA5\xE6\x9C\xAC.tar.gz");
    EXPECT_TRUE(IsForbiddenInName(U'*'));
    EXPECT_FALSE(IsForbiddenInName(U'8'));
}

TEST(Revisions, StoredValuesMapToTheChoiceAndBack) {
    RevisionsChoice choice{};
    int count = 0;
    RevisionsFromStored(0, choice, count);
    EXPECT_EQ(choice, RevisionsChoice::DontSave);
    EXPECT_EQ(count, 5);
    RevisionsFromStored(0xFFFFFFFF, choice, count);
    EXPECT_EQ(choice, RevisionsChoice::Unlimited);
    EXPECT_EQ(count, 5);
    RevisionsFromStored(7, choice, count);
    EXPECT_EQ(choice, RevisionsChoice::Limited);
    EXPECT_EQ(count, 7);
    RevisionsFromStored(1000, choice, count);  // more than the page can show
    EXPECT_EQ(count, 99);
    EXPECT_EQ(RevisionsToStore(RevisionsChoice::DontSave, 7), 0u);
    EXPECT_EQ(RevisionsToStore(RevisionsChoice::Unlimited, 7), 0xFFFFFFFFu);
    EXPECT_EQ(RevisionsToStore(RevisionsChoice::Limited, 7), 7u);
    EXPECT_EQ(RevisionsToStore(RevisionsChoice::Limited, 0), 1u);
    EXPECT_EQ(RevisionsToStore(RevisionsChoice::Limited, 150), 99u);
}

// A configured program with its backup disk BACKUP1 (0000-0001) in drive F:, a second drive G:
// with the disk BACKUP2, and the settings the wizard stores.
class SheetSettings : public ::testing::Test {
  protected:
    SheetSettings() {
        drives->AddDrive('F');
        drives->AddDrive('G');
        drives->InsertDisk('F', NewDisk(1));
        drives->InsertDisk('G', NewDisk(2));
        EXPECT_EQ(store.WriteDestination("F:\\"), 0u);
        EXPECT_EQ(store.WriteDiskId("0000-0001"), 0u);
        EXPECT_EQ(store.WriteSourceList({"C:\\Data"}), 0u);
        EXPECT_EQ(store.WriteMirrorStatus(1), 0u);
        EXPECT_EQ(store.WriteIconStatus(1), 0u);
        EXPECT_EQ(store.WriteRevisions(0), 0u);
        EXPECT_EQ(store.WriteWarningStatus(1), 0u);
        EXPECT_EQ(store.WriteStartTime(kSynced), 0u);
    }

    std::shared_ptr<drvKit::sim::SimDisk> NewDisk(int number) {
        drvKit::sim::SimDiskSpec setup;
        setup.label = "BACKUP" + std::to_string(number);
        setup.serialNumber = static_cast<uint32_t>(number);
        setup.identifier = "0000-000" + std::to_string(number);
        return drives->CreateDisk(setup);
    }

    std::string Stored(uint32_t (settings::CKRVSettingsStore::*read)(std::string&) const) {
        std::string value;
        (store.*read)(value);
        return value;
    }
    os::FileTime StartTime() {
        os::FileTime time = 0;
        EXPECT_EQ(store.ReadStartTime(time), 0u);
        return time;
    }
    uint32_t Scheduler(const char* name) {
        uint32_t value = 0;
        EXPECT_EQ(store.ReadSchedulerValue(name, value), 0u);
        return value;
    }

    static constexpr os::FileTime kSynced = 133485408000000000ULL;
    os::sim::SimMachine sim;
    drvKit::sim::SimDriveKit drives{sim.files()};
    settings::CKRVSettingsStore store{sim.machine().registry, "Software\\Ferrolin Sheet Tests"};
};

TEST_F(SheetSettings, MissingOrOutOfRangeValuesGiveThePagesDefaults) {
    const SettingsAtOpen fresh = LoadSettingsAtOpen(store, 9 * 60 + 41);
    EXPECT_EQ(fresh.values.schedule.type, 0u);
    EXPECT_EQ(fresh.values.schedule.interval, 15u);
    EXPECT_EQ(fresh.values.schedule.unit, 0u);
    EXPECT_EQ(fresh.values.schedule.days, kMondayToFriday);
    EXPECT_EQ(fresh.values.schedule.timeOfDay, 9u * 60 + 41);
    EXPECT_EQ(fresh.values.destination, "F:\\");
    EXPECT_EQ(fresh.diskId, "0000-0001");
    EXPECT_TRUE(fresh.values.switchedOn);
    EXPECT_TRUE(fresh.values.trayIcon);

    for (const auto& [name, value] : {std::pair{names::kSchedulerType, 9u},
                                      {names::kSchedulerInterval, 0u},
                                      {names::kSchedulerIntervalUnit, 3u},
                                      {names::kSchedulerTimeOfDay, 1440u}}) {
        ASSERT_EQ(store.WriteSchedulerValue(name, value), 0u);
    }
    ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerDays, 0xFF08), 0u);
    ScheduleValues odd = ReadScheduleValues(store, 100);
    EXPECT_EQ(odd.type, 0u);
    EXPECT_EQ(odd.interval, 15u);
    EXPECT_EQ(odd.unit, 0u);
    EXPECT_EQ(odd.timeOfDay, 100u);
    EXPECT_EQ(odd.days, 0x08u);  // Wednesday; the bits beyond Saturday go
    ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerInterval, 1000), 0u);
    EXPECT_EQ(ReadScheduleValues(store, 0).interval, 15u);

    ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerType, 2), 0u);
    ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerInterval, 999), 0u);
    ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerIntervalUnit, 2), 0u);
    ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerTimeOfDay, 1050), 0u);
    ASSERT_EQ(store.WriteSchedulerValue(names::kSchedulerDays, 0), 0u);
    const ScheduleValues stored = ReadScheduleValues(store, 0);
    EXPECT_EQ(stored.type, 2u);
    EXPECT_EQ(stored.interval, 999u);
    EXPECT_EQ(stored.unit, 2u);
    EXPECT_EQ(stored.timeOfDay, 1050u);
    EXPECT_EQ(stored.days, 0u);  // read: shown as stored, even with no day
}

TEST_F(SheetSettings, OkStoresEveryPageInItsOwnValue) {
    const SettingsAtOpen atOpen = LoadSettingsAtOpen(store, 0);
    SheetValues chosen = atOpen.values;
    chosen.sources = {"C:\\Data", "D:\\Work", "c:\\data\\Inner"};
    chosen.revisions = RevisionsChoice::Limited;
    chosen.revisionsCount = 7;
    chosen.warnings = false;
    chosen.diskFullWarning = true;
    chosen.showProgress = true;
    chosen.schedule = {1, 2, 1, 0x41, 1050, 0};
    const SaveOutcome outcome = SaveSheetValues(chosen, atOpen, store);
    EXPECT_EQ(outcome.error, 0u);
    EXPECT_FALSE(outcome.newBackupDisk);
    EXPECT_FALSE(outcome.iconChanged);
    EXPECT_EQ(outcome.addedFolders, (Strings{"D:\\Work"}));

    Strings sources;
    ASSERT_EQ(store.ReadSourceList(sources), 0u);
    EXPECT_EQ(sources, (Strings{"C:\\Data", "D:\\Work"}));
    uint32_t value = 0;
    ASSERT_EQ(store.ReadRevisions(value), 0u);
    EXPECT_EQ(value, 7u);
    ASSERT_EQ(store.ReadWarningStatus(value), 0u);
    EXPECT_EQ(value, 0u);
    ASSERT_EQ(store.ReadBuyStatus(value), 0u);
    EXPECT_EQ(value, 1u);
    ASSERT_EQ(store.ReadProgressStatus(value), 0u);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(Scheduler(names::kSchedulerType), 1u);
    EXPECT_EQ(Scheduler(names::kSchedulerInterval), 2u);
    EXPECT_EQ(Scheduler(names::kSchedulerIntervalUnit), 1u);
    EXPECT_EQ(Scheduler(names::kSchedulerDays), 0x41u);
    EXPECT_EQ(Scheduler(names::kSchedulerTimeOfDay), 1050u);
    uint32_t minutes = 0;
    ASSERT_EQ(store.ReadIntervalMinutes(minutes), 0u);
    EXPECT_EQ(minutes, 120u);
    // Same destination and disk: the last-sync time stays.
    EXPECT_EQ(Stored(&settings::CKRVSettingsStore::ReadDiskId), "0000-0001");
    EXPECT_EQ(StartTime(), kSynced);

    chosen.trayIcon = false;
    const SaveOutcome iconOff = SaveSheetValues(chosen, atOpen, store);
    EXPECT_TRUE(iconOff.iconChanged);
    EXPECT_FALSE(iconOff.iconShown);
}

TEST_F(SheetSettings, NoDestinationOrAVanishedDriveKeepsTheStoredOne) {
    const SettingsAtOpen atOpen = LoadSettingsAtOpen(store, 0);
    for (const std::string destination : {"", "jat", "J:\\", "G:", "1:\\"}) {
        SheetValues chosen = atOpen.values;
        chosen.destination = destination;
        const SaveOutcome outcome = SaveSheetValues(chosen, atOpen, store);
        EXPECT_TRUE(outcome.destinationKept) << destination;
        EXPECT_FALSE(outcome.newBackupDisk) << destination;
        EXPECT_EQ(Stored(&settings::CKRVSettingsStore::ReadDestination), "F:\\") << destination;
        EXPECT_EQ(Stored(&settings::CKRVSettingsStore::ReadDiskId), "0000-0001") << destination;
    }
    EXPECT_EQ(StartTime(), kSynced);
}

TEST_F(SheetSettings, AForeignDiskInTheUnchangedDriveIsNotAdopted) {
    const SettingsAtOpen atOpen = LoadSettingsAtOpen(store, 0);
    // Someone put another disk into F: while the sheet was open.
    drives->InsertDisk('F', NewDisk(3));
    const SaveOutcome outcome = SaveSheetValues(atOpen.values, atOpen, store);
    EXPECT_FALSE(outcome.newBackupDisk);
    EXPECT_EQ(Stored(&settings::CKRVSettingsStore::ReadDiskId), "0000-0001");
    EXPECT_EQ(StartTime(), kSynced);
}

TEST_F(SheetSettings, ANewDestinationAdoptsItsDiskAndStartsWithACompleteCopy) {
    const SettingsAtOpen atOpen = LoadSettingsAtOpen(store, 0);
    SheetValues chosen = atOpen.values;
    chosen.destination = "g:\\";
    drives->ClearRequests();
    const SaveOutcome outcome = SaveSheetValues(chosen, atOpen, store);
    EXPECT_TRUE(outcome.newBackupDisk);
    EXPECT_EQ(Stored(&settings::CKRVSettingsStore::ReadDestination), "g:\\");
    EXPECT_EQ(Stored(&settings::CKRVSettingsStore::ReadDiskId), "0000-0002");
    EXPECT_EQ(StartTime(), 0u);
    // The medium was held in its drive while its identifier was read, and let go again.
    EXPECT_EQ(drives->LockCount('G'), 0);

    // Moving to an empty drive: no disk yet ("0"), and a complete copy once one is found.
    ASSERT_EQ(store.WriteStartTime(kSynced), 0u);
    drives->RemoveDisk('F');
    const SettingsAtOpen onG = LoadSettingsAtOpen(store, 0);
    chosen.destination = "F:\\";
    EXPECT_TRUE(SaveSheetValues(chosen, onG, store).newBackupDisk);
    EXPECT_EQ(Stored(&settings::CKRVSettingsStore::ReadDiskId), "0");
    EXPECT_EQ(StartTime(), 0u);
}

TEST_F(SheetSettings, ADiskIsAdoptedWhenNoneWasChosenYet) {
    ASSERT_EQ(store.WriteDiskId("0"), 0u);
    const SettingsAtOpen atOpen = LoadSettingsAtOpen(store, 0);
    EXPECT_TRUE(SaveSheetValues(atOpen.values, atOpen, store).newBackupDisk);
    EXPECT_EQ(Stored(&settings::CKRVSettingsStore::ReadDiskId), "0000-0001");
    EXPECT_EQ(StartTime(), 0u);
}

TEST_F(SheetSettings, SwitchedOffStoresOnlyTheSwitch) {
    const SettingsAtOpen atOpen = LoadSettingsAtOpen(store, 0);
    SheetValues chosen = atOpen.values;
    chosen.switchedOn = false;
    chosen.sources = {"E:\\Other"};
    chosen.trayIcon = false;
    const SaveOutcome outcome = SaveSheetValues(chosen, atOpen, store);
    EXPECT_TRUE(outcome.switchedOff);
    EXPECT_FALSE(outcome.iconChanged);
    uint32_t mirror = 1;
    ASSERT_EQ(store.ReadMirrorStatus(mirror), 0u);
    EXPECT_EQ(mirror, 0u);
    Strings sources;
    ASSERT_EQ(store.ReadSourceList(sources), 0u);
    EXPECT_EQ(sources, (Strings{"C:\\Data"}));
}

TEST_F(SheetSettings, TheFreeSpaceOfTheDiskInTheDestinationDrive) {
    drvKit::sim::SimDiskSpec setup;
    setup.identifier = "0000-0250";
    setup.capacityBytes = 250ULL << 20;
    drives->InsertDisk('F', drives->CreateDisk(setup));
    const DestinationDisk disk = LookAtDestinationDisk("F:\\");
    EXPECT_TRUE(disk.hasDisk);
    EXPECT_FALSE(disk.isProtected);
    EXPECT_EQ(FreeSpaceText("Free Space: %1 MB", disk), "Free Space: 250 MB");
    EXPECT_EQ(drives->LockCount('F'), 0);

    drives->RemoveDisk('F');
    EXPECT_EQ(FreeSpaceText("Free Space: %1 MB", LookAtDestinationDisk("F:\\")),
              "Free Space: ?? MB");
    EXPECT_FALSE(LookAtDestinationDisk("").hasDisk);
    EXPECT_FALSE(LookAtDestinationDisk("jat").hasDisk);

    setup.identifier = "0000-0251";
    setup.sizesUnavailable = true;
    drives->InsertDisk('F', drives->CreateDisk(setup));
    EXPECT_EQ(FreeSpaceText("Free Space: %1 MB", LookAtDestinationDisk("F:\\")),
              "Free Space: ?? MB");
}

TEST_F(SheetSettings, AFailedWriteIsReported) {
    const SettingsAtOpen atOpen = LoadSettingsAtOpen(store, 0);
    sim.FailOperation(os::sim::SimOperation::RegistrySet, "*:Source", os::kErrorAccessDenied);
    SheetValues chosen = atOpen.values;
    chosen.sources = {"C:\\Other"};
    EXPECT_EQ(SaveSheetValues(chosen, atOpen, store).error, os::kErrorAccessDenied);
}

}  // namespace
}  // namespace ui
