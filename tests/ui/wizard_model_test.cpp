// What the setup wizard decides and stores, over the simulated machine: the settings of a
// finished wizard in their order, what Cancel takes back, the disk figures and estimates, and
// the folders the wizard creates.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "drivekit/sim/sim_drive_backend.h"
#include "os/errors.h"
#include "os/sim/sim_machine.h"
#include "settings/setting_names.h"
#include "settings/settings_store.h"
#include "ui/wizard/setup_model.h"

namespace ui {
namespace {

constexpr char kKey[] = "Software\\Test Ferrolin";
constexpr char kOptions[] = "Software\\Test Ferrolin\\User Options";
constexpr uint64_t kMb = 1ULL << 20;

// Forwards to the simulated registry and notes the name of every value set, in order.
class RecordingRegistry final : public os::Registry {
  public:
    explicit RecordingRegistry(os::Registry& inner) : inner_(inner) {}
    std::vector<std::string> written;

    uint32_t OpenKey(os::Hive hive, const std::string& path, bool forWriting,
                     std::unique_ptr<os::RegistryKey>& key) override {
        std::unique_ptr<os::RegistryKey> opened;
        const uint32_t error = inner_.OpenKey(hive, path, forWriting, opened);
        key = error == 0 ? std::make_unique<Key>(std::move(opened), written) : nullptr;
        return error;
    }
    uint32_t CreateKey(os::Hive hive, const std::string& path,
                       std::unique_ptr<os::RegistryKey>& key) override {
        std::unique_ptr<os::RegistryKey> opened;
        const uint32_t error = inner_.CreateKey(hive, path, opened);
        key = error == 0 ? std::make_unique<Key>(std::move(opened), written) : nullptr;
        return error;
    }
    uint32_t DeleteKeyTree(os::Hive hive, const std::string& path) override {
        return inner_.DeleteKeyTree(hive, path);
    }

  private:
    class Key final : public os::RegistryKey {
      public:
        Key(std::unique_ptr<os::RegistryKey> inner, std::vector<std::string>& written)
            : inner_(std::move(inner)), written_(written) {}
        uint32_t QueryValue(const std::string& name, os::RegistryValue& value) override {
            return inner_->QueryValue(name, value);
        }
        uint32_t SetValue(const std::string& name, const os::RegistryValue& value) override {
            written_.push_back(name);
            return inner_->SetValue(name, value);
        }
        uint32_t DeleteValue(const std::string& name) override { return inner_->DeleteValue(name); }
        uint32_t EnumerateSubkey(uint32_t index, std::string& name) override {
            return inner_->EnumerateSubkey(index, name);
        }

      private:
        std::unique_ptr<os::RegistryKey> inner_;
        std::vector<std::string>& written_;
    };
    os::Registry& inner_;
};

class WizardModel : public ::testing::Test {
  protected:
    os::sim::SimMachine sim;
    settings::CKRVSettingsStore store{sim.registry(), kKey};

    bool KeyExists() {
        std::unique_ptr<os::RegistryKey> key;
        return sim.registry().OpenKey(os::Hive::CurrentUser, kOptions, false, key) == 0;
    }
    std::string DiskId() {
        std::string id;
        EXPECT_EQ(store.ReadDiskId(id), 0u);
        return id;
    }
};

TEST_F(WizardModel, FinishedChoicesAreStoredInTheirOrderAndMakeTheProgramConfigured) {
    RecordingRegistry recording(sim.registry());
    const settings::CKRVSettingsStore recorded(recording, kKey);
    SetupChoices choices;
    choices.destination = "F:\\";
    choices.sources = {"C:\\Users\\User\\Documents", "D:\\Work"};
    choices.revisions = 7;
    choices.trayIcon = 1;
    ASSERT_EQ(StoreSetupChoices(recorded, choices), 0u);

    const std::vector<std::string> order = {
        "Destination", "Source",        "Revisions",        "Start Time Low",  "Start Time High",
        "Icon Status", "2Large Status", "FileError Status", "FileName Status", "NotCurrent Status",
        "Buy Status",  "Mirror Status", "Warning Status",   "DiskID"};
    EXPECT_EQ(recording.written, order);
    EXPECT_TRUE(store.IsConfigured());
    EXPECT_EQ(DiskId(), "0") << "no disk was read on the way: the engine asks for one";
    os::FileTime start = 99;
    EXPECT_EQ(store.ReadStartTime(start), 0u);
    EXPECT_EQ(start, 0u);
    std::vector<std::string> sources;
    EXPECT_EQ(store.ReadSourceList(sources), 0u);
    EXPECT_EQ(sources, choices.sources);
    uint32_t revisions = 0;
    EXPECT_EQ(store.ReadRevisions(revisions), 0u);
    EXPECT_EQ(revisions, 7u);
}

TEST_F(WizardModel, FinishKeepsTheDiskIdentityStoredOnTheWayAndReportsAFailedStore) {
    ASSERT_EQ(store.WriteDiskId("1234-ABCD"), 0u);
    SetupChoices choices{"F:\\", {"C:\\Data"}, settings::kUnlimitedRevisions, 0};
    ASSERT_EQ(StoreSetupChoices(store, choices), 0u);
    EXPECT_EQ(DiskId(), "1234-ABCD");
    uint32_t revisions = 0;
    EXPECT_EQ(store.ReadRevisions(revisions), 0u);
    EXPECT_EQ(revisions, 0xFFFFFFFFu);

    sim.FailOperation(os::sim::SimOperation::RegistrySet, "*:Mirror Status", 5);
    EXPECT_EQ(StoreSetupChoices(store, choices), 5u) << "a failed value is not success";
}

TEST_F(WizardModel, CancelOfAFirstRunLeavesNoSettingsBehind) {
    const SetupJournal journal(sim.registry(), kKey);
    EXPECT_FALSE(journal.keyExisted());
    ASSERT_EQ(store.WriteDiskId("1234-ABCD"), 0u);  // leaving the drive page
    ASSERT_EQ(journal.Cancel(), 0u);
    EXPECT_FALSE(KeyExists());
    EXPECT_EQ(journal.Cancel(), 0u) << "nothing left to remove is no failure";
}

// The wizard runs again for a configuration that one malformed value made incomplete: Cancel
// must not wipe the rest of it (the user's exclusions, schedule, the backup disk).
TEST_F(WizardModel, CancelKeepsAnIncompleteConfigurationAndItsDiskIdentity) {
    ASSERT_EQ(store.WriteDiskId("OLD0-0001"), 0u);
    ASSERT_EQ(store.WriteFilterList({"tmp", "bak"}), 0u);
    ASSERT_EQ(store.WriteSchedulerValue(settings::names::kSchedulerType, 2), 0u);
    const SetupJournal journal(sim.registry(), kKey);
    EXPECT_TRUE(journal.keyExisted());

    ASSERT_EQ(store.WriteDiskId("NEW0-0002"), 0u);
    ASSERT_EQ(journal.Cancel(), 0u);
    EXPECT_EQ(DiskId(), "OLD0-0001");
    std::vector<std::string> filter;
    EXPECT_EQ(store.ReadFilterList(filter), 0u);
    EXPECT_EQ(filter, (std::vector<std::string>{"tmp", "bak"}));
    uint32_t type = 0;
    EXPECT_EQ(store.ReadSchedulerValue(settings::names::kSchedulerType, type), 0u);
    EXPECT_EQ(type, 2u);
}

TEST_F(WizardModel, RestoringTheDiskIdentityRemovesOneThatWasNotThereBefore) {
    ASSERT_EQ(store.WriteFilterList({"tmp"}), 0u);
    const SetupJournal journal(sim.registry(), kKey);
    ASSERT_EQ(store.WriteDiskId("NEW0-0002"), 0u);
    ASSERT_EQ(journal.RestoreDiskId(), 0u);
    std::string id = "kept";
    EXPECT_NE(store.ReadDiskId(id), 0u);
    EXPECT_EQ(id, "kept");
    EXPECT_TRUE(KeyExists());
}

TEST(WizardRevisions, CountsAreKeptBetweenOneAndNinetyNine) {
    EXPECT_EQ(LimitRevisionCount(0), 1u);
    EXPECT_EQ(LimitRevisionCount(1), 1u);
    EXPECT_EQ(LimitRevisionCount(98), 98u);
    EXPECT_EQ(LimitRevisionCount(250), 99u);
    EXPECT_EQ(LimitRevisionCount(0xFFFFFFFB), 99u) << "a negative count counts as large";
    EXPECT_EQ(RevisionsValue(RevisionsChoice::None, 5), 0u);
    EXPECT_EQ(RevisionsValue(RevisionsChoice::Unlimited, 5), 0xFFFFFFFFu);
    EXPECT_EQ(RevisionsValue(RevisionsChoice::Limited, 0), 1u);
    EXPECT_EQ(RevisionsValue(RevisionsChoice::Limited, 150), 99u);
}

TEST(WizardFigures, FreeShareOfTheChart) {
    const auto share = [](uint64_t free, uint64_t capacity) {
        DiskFigures disk;
        disk.hasDisk = true;
        disk.freeBytes = free;
        disk.capacityBytes = capacity;
        disk.usedBytes = capacity > free ? capacity - free : 0;
        return FreeSharePercent(disk);
    };
    EXPECT_EQ(share(1000 * kMb, 1000 * kMb), 100) << "an empty disk is all free";
    EXPECT_EQ(share(250 * kMb, 1000 * kMb), 25);
    EXPECT_EQ(share(kMb / 2, 1000 * kMb), 0) << "under 1 MB free: full";
    EXPECT_EQ(share(5 * kMb, 1000 * kMb), 1) << "under 1 % but megabytes free: not full";
    EXPECT_EQ(share(0, 0), std::nullopt) << "no capacity, no share";
    // Several terabytes: 3 TB free of 8 TB.
    EXPECT_EQ(share(3ULL << 40, 8ULL << 40), 37);
    EXPECT_EQ(share(10ULL << 40, 16ULL << 40), 62);
}

TEST(WizardFigures, DisksNeededForTheReview) {
    const auto needed = [](uint64_t dataMb, uint64_t freeMb, uint64_t capacityMb) {
        return ReviewDisksNeeded(dataMb * kMb, freeMb != 0, freeMb * kMb, capacityMb * kMb,
                                 drvKit::kFamilyRemovableDisk);
    };
    EXPECT_EQ(needed(50, 95, 96), 1u);
    EXPECT_EQ(needed(150, 95, 96), 2u);
    EXPECT_EQ(needed(300, 95, 96), 4u);
    EXPECT_EQ(needed(150, 0, 96), 2u);
    EXPECT_EQ(needed(95, 95, 96), 2u);
    EXPECT_EQ(needed(700, 100, 250), 4u);
    // Ten kilobytes count as a megabyte of data.
    EXPECT_EQ(ReviewDisksNeeded(10 * 1024, false, 0, 96 * kMb, drvKit::kFamilyRemovableDisk), 1u);
    // A CD drive without a capacity figure takes 540 MB disks; another drive counts none.
    EXPECT_EQ(ReviewDisksNeeded(1200 * kMb, false, 0, 0, drvKit::kFamilyCD), 3u);
    EXPECT_EQ(ReviewDisksNeeded(1200 * kMb, false, 0, 0, drvKit::kFamilyRemovableDisk), 1u);
    // Terabytes of data onto 2 TB disks with 1 TB free: (5 - 1) / 2 + 2.
    EXPECT_EQ(
        ReviewDisksNeeded(5ULL << 40, true, 1ULL << 40, 2ULL << 40, drvKit::kFamilyExternalDisk),
        4u);
}

class WizardDisk : public ::testing::Test {
  protected:
    os::sim::SimMachine sim;
    drvKit::sim::SimDriveKit drives{sim.files()};

    std::shared_ptr<drvKit::sim::SimDisk> NewDisk(uint64_t capacity, bool sizesUnavailable) {
        drvKit::sim::SimDiskSpec setup;
        setup.label = "BACKUP1";
        setup.serialNumber = 0x1234ABCD;
        setup.capacityBytes = capacity;
        setup.sizesUnavailable = sizesUnavailable;
        return drives->CreateDisk(setup);
    }
};

TEST_F(WizardDisk, ReadsTheDiskWithTheMediumLockedOnlyWhileReading) {
    drives->AddDrive('F');
    drives->InsertDisk('F', NewDisk(64 * kMb, false));
    ASSERT_EQ(sim.files().PutSparseFile("F:\\data.bin", 16 * kMb), 0u);
    drvKit::Drive drive('F');
    const DiskFigures disk = ReadDiskFigures(drive);
    EXPECT_TRUE(disk.hasDisk);
    EXPECT_FALSE(disk.sizesUnavailable);
    EXPECT_EQ(disk.identifier, "1234-ABCD");
    EXPECT_EQ(disk.volumeName, "BACKUP1");
    EXPECT_EQ(disk.capacityBytes, 64 * kMb);
    EXPECT_GE(disk.usedBytes, 16 * kMb);
    EXPECT_EQ(disk.freeBytes + disk.usedBytes, disk.capacityBytes);
    EXPECT_EQ(drives->LockCount('F'), 0) << "the medium may leave its drive again";
    const std::vector<drvKit::sim::SimRequest> asked = drives->Requests();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].kind, drvKit::sim::SimRequestKind::Lock);
    EXPECT_EQ(asked[1].kind, drvKit::sim::SimRequestKind::Release);
}

TEST_F(WizardDisk, EmptyDriveUnreadableDiskAndCdDriveWithoutCapacity) {
    drives->AddDrive('F');
    drvKit::Drive empty('F');
    const DiskFigures none = ReadDiskFigures(empty);
    EXPECT_FALSE(none.hasDisk);
    EXPECT_TRUE(none.identifier.empty());
    EXPECT_TRUE(drives->Requests().empty()) << "no disk, nothing to lock";

    drives->InsertDisk('F', NewDisk(64 * kMb, true));
    drvKit::Drive unreadable('F');
    const DiskFigures sizeless = ReadDiskFigures(unreadable);
    EXPECT_TRUE(sizeless.hasDisk);
    EXPECT_TRUE(sizeless.sizesUnavailable);

    drvKit::sim::SimDriveSpec cd;
    cd.family = drvKit::kFamilyCD;
    drives->AddDrive('G', cd);
    drives->InsertDisk('G', NewDisk(0, false));
    drvKit::Drive optical('G');
    EXPECT_EQ(ReadDiskFigures(optical).capacityBytes, 566231040u) << "540 MB";
}

TEST(WizardFolders, OnlyFoldersTheUserChoseAreCreated) {
    const std::vector<std::string> listed = {"C:\\My Documents", "D:\\Work\\2024", "E:\\"};
    EXPECT_TRUE(FoldersToCreate(listed, {}).empty());
    EXPECT_EQ(FoldersToCreate(listed, {"d:\\work\\2024\\", "E:\\"}),
              (std::vector<std::string>{"D:\\Work\\2024", "E:\\"}));
}

}  // namespace
}  // namespace ui
