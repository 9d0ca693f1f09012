// Sync passes past the common path: a destination that is no drive of the maker, another window
// holding the prompt guard while the pass looks for its disk, a disk that other programs keep
// busy when its protection goes back, the wizard's finish page after the first pass.

#include "engine/retry_log.h"
#include "os/errors.h"
#include "tests/engine/engine_fixture.h"

namespace engine::testing {
namespace {

using drvKit::sim::SimRequestKind;

constexpr char kDocs[] = "C:\\Users\\User\\Documents";

class PassEdgesTest : public EngineFixture {
  protected:
    void SetUp() override {
        Configure();
        Put(std::string(kDocs) + "\\letter.doc", "Dear all");
        Put(std::string(kDocs) + "\\Photos\\cat.jpg", std::string(5000, 'c'));
    }
    std::map<std::string, std::string> Backed() { return DiskFiles("F:\\Users\\User\\Documents"); }
    std::map<std::string, std::string> Sources() { return DiskFiles(kDocs); }
    int Requests(SimRequestKind kind) {
        int count = 0;
        for (const auto& r : drives->Requests()) {
            count += r.kind == kind ? 1 : 0;
        }
        return count;
    }
    // Holds the prompt guard, as an open settings sheet does, for this long of virtual time.
    void OtherWindowFor(uint32_t milliseconds) {
        shared.promptActive = true;
        ASSERT_EQ(sim.clock().StartThread(
                      [this, milliseconds] {
                          sim.clock().Sleep(milliseconds);
                          shared.promptActive = false;
                      },
                      window_),
                  0u);
    }
    void TearDown() override { window_.reset(); }
    std::unique_ptr<os::Thread> window_;
};

TEST_F(PassEdgesTest, ADestinationOnADriveOfAnotherMakerIsReportedAndNeverWritten) {
    Configure({kDocs}, "C:\\Backup\\");
    user.notices = {{true, false}};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    ASSERT_EQ(user.fileErrors.size(), 1u);
    EXPECT_EQ(user.fileErrors[0].code, os::kErrorInvalidDrive);
    EXPECT_TRUE(user.fileErrors[0].driveNote);
    EXPECT_TRUE(DiskFiles("C:\\Backup").empty());
    // Still due: the last-sync time did not move.
    os::FileTime stored = 1;
    ASSERT_EQ(store().ReadStartTime(stored), 0u);
    EXPECT_EQ(stored, 0u);
    // With the warnings off the pass ends as quietly, still writing nothing.
    EXPECT_EQ(store().WriteWarningStatus(0), 0u);
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.fileErrors.size(), 1u);
    EXPECT_TRUE(DiskFiles("C:\\Backup").empty());
}

// The first pass must ask for the disk, but the settings sheet is open. A copy run for the
// settings gives up at once (it cannot wait for the sheet that runs it); the worker looks again
// each second and asks once the sheet has closed.
TEST_F(PassEdgesTest, WhileAnotherWindowIsUpTheDiskIsAskedForOnlyOnceItCloses) {
    MakeEngine();
    shared.promptActive = true;
    ASSERT_EQ(engine->RunPassForFolders({kDocs}, false), 0u);
    EXPECT_TRUE(user.shown.empty());
    EXPECT_TRUE(Backed().empty());
    shared.promptActive = false;

    user.insertDisk = {true};
    EXPECT_EQ(store().WriteSchedulerValue(settings::names::kSchedulerType,
                                          settings::kScheduleAtShutdownOnly),
              0u);
    OtherWindowFor(3500);
    EXPECT_EQ(engine->Start(), 0u);
    sim.clock().Sleep(20000);
    engine->Stop();
    EXPECT_EQ(user.shown, (std::vector<std::string>{"136"}));
    std::string id;
    ASSERT_EQ(store().ReadDiskId(id), 0u);
    EXPECT_EQ(id, Identifier(1));
    EXPECT_EQ(Backed(), Sources());
}

TEST_F(PassEdgesTest, AProtectedDiskMetWhileAnotherWindowIsUpIsLeftForTheNextPass) {
    drives->InsertDisk('F', NewDisk(1, 64ULL << 20, drvKit::kProtectWrite));
    EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
    MakeEngine();
    shared.promptActive = true;
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(user.shown.empty());
    EXPECT_TRUE(Backed().empty());
    EXPECT_EQ(Requests(SimRequestKind::SetProtect), 0);
    shared.promptActive = false;
    user.protectedDisk = {true};
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(Backed(), Sources());
    EXPECT_EQ(drives->ProtectionOf(*drives->DiskIn('F')), drvKit::kProtectWrite);
}

TEST_F(PassEdgesTest, TheProtectionGoesBackEvenWhenOtherProgramsKeepTheDiskBusy) {
    drives->InsertDisk('F', NewDisk(1, 64ULL << 20, drvKit::kProtectWrite));
    EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
    user.protectedDisk = {true};
    MakeEngine();
    // Busy for longer than the 30 seconds the program waits for the disk to be free.
    drives->FailFormatLock('F', 40);
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(Backed(), Sources());
    EXPECT_EQ(drives->ProtectionOf(*drives->DiskIn('F')), drvKit::kProtectWrite);
    EXPECT_EQ(Requests(SimRequestKind::FormatLock), 30);  // a bounded wait, then anyway
    EXPECT_FALSE(drives->IsFormatLocked('F'));
}

TEST_F(PassEdgesTest, TheFillingWarningIsOffWhenItsSettingIsMissing) {
    drives->InsertDisk('F', NewDisk(1, 4ULL << 20));
    EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
    EXPECT_EQ(sim.files().PutFile("F:\\filler.bin", std::string(3500 * 1024, 'f')), 0u);
    std::unique_ptr<os::RegistryKey> options;
    ASSERT_EQ(sim.machine().registry.OpenKey(
                  os::Hive::CurrentUser, std::string(kKey) + "\\" + settings::kUserOptionsSubkey,
                  true, options),
              0u);
    ASSERT_EQ(options->DeleteValue(settings::names::kBuyStatus), 0u);
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("202"), 0);
    EXPECT_EQ(Backed(), Sources());
}

// A source folder on a network share is backed up under its server and share names, beside the
// local drives' folders.
TEST_F(PassEdgesTest, ANetworkFolderIsBackedUpUnderItsServerAndShare) {
    os::sim::SimMediumSpec share;
    share.label = "share";
    sim.files().AddDrive("\\\\server\\share", os::DriveType::Remote,
                         sim.files().CreateMedium(share));
    ASSERT_EQ(sim.files().PutFile("\\\\server\\share\\Team\\plan.doc", "plan"), 0u);
    Configure({kDocs, "\\\\server\\share\\Team"});
    EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(DiskFiles("F:\\server\\share\\Team"),
              (std::map<std::string, std::string>{{"plan.doc", "plan"}}));
    EXPECT_EQ(Backed(), Sources());
}

// A file another program holds open during the pass is neither reported nor lost: it waits in the
// retry list, which outlives the program in the file the engine was given, and the first pass of
// the next run copies it although nothing about it changed.
TEST_F(PassEdgesTest, AFileBusyAtTheEndOfARunIsCopiedInTheNextRun) {
    const std::string busy = std::string(kDocs) + "\\busy.doc";
    const std::string log = "C:\\Users\\User\\retry.Log";
    Put(busy, "held open");
    EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
    auto start = [&] {
        EngineServices services{sim.machine(), shared,  sharedDrives,          mainWindow, user,
                                progress,      nullptr, settings::kProductKey, log};
        engine = std::make_unique<CKRVMirrorEngine>(services);
    };
    {
        std::unique_ptr<os::File> held;
        ASSERT_EQ(
            sim.machine().files.Open(
                busy, {os::kAccessRead, os::kShareNone, os::Disposition::OpenExisting, 0, 0}, held),
            0u);
        start();
        ASSERT_EQ(engine->RunPass(false), 0u);
        EXPECT_EQ(Backed().count("busy.doc"), 0u);
        EXPECT_TRUE(user.shown.empty());  // a busy file is no error
        EXPECT_TRUE(engine->retryList().Contains(busy));
        engine.reset();  // the program ends while the file is still held
    }
    EXPECT_EQ(sim.files().ContentsOf(log), SerializeRetryLog({busy}));
    EXPECT_FALSE(sim.files().ContentsOf(RetryLogPath(sim.system())));
    start();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(Backed(), Sources());
    EXPECT_FALSE(sim.files().ContentsOf(log));
}

TEST_F(PassEdgesTest, TheSharedDriveListNamesEachDisksVolumeOrSaysTheDriveIsEmpty) {
    drives->AddDrive('G', drvKit::sim::SimDriveSpec{});
    std::lock_guard lock(sharedDrives.mutex);
    sharedDrives.RebuildLocked();
    ASSERT_EQ(sharedDrives.array.getCount(), 2);
    EXPECT_EQ(sharedDrives.volumeNames, (std::vector<std::string>{"BACKUP1", kNoDiskInDrive}));
}

// "Make this the current disk" pressed after the disk was taken out: nothing is adopted (an empty
// identifier would match no disk ever again), the pass asks for the disk instead.
TEST_F(PassEdgesTest, AdoptingADiskThatWasTakenOutAdoptsNothing) {
    EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
    drives->InsertDisk('F', NewDisk(2));
    user.wrongDisk = {{true, WrongDiskOption::MakeCurrentDisk}};
    user.noDisk = {{NoDiskButton::Cancel, NoDiskOption::InsertMyDisk}};
    user.beforeAnswer = [&](const std::string& prompt) {
        if (prompt == "115") {
            static_cast<void>(drives->RemoveDisk('F'));
        }
    };
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown, (std::vector<std::string>{"115", "160"}));
    std::string id;
    ASSERT_EQ(store().ReadDiskId(id), 0u);
    EXPECT_EQ(id, Identifier(1));
}

// The wrong disk is in the drive while the settings sheet is open: the worker asks only once the
// sheet has closed, and the user's "make this the current disk" then adopts and fills it.
TEST_F(PassEdgesTest, TheWrongDiskPromptWaitsForAnotherWindowToClose) {
    EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
    auto other = NewDisk(2);
    drives->InsertDisk('F', other);
    user.wrongDisk = {{true, WrongDiskOption::MakeCurrentDisk}};
    EXPECT_EQ(store().WriteSchedulerValue(settings::names::kSchedulerType,
                                          settings::kScheduleAtShutdownOnly),
              0u);
    MakeEngine();
    OtherWindowFor(2500);
    EXPECT_EQ(engine->Start(), 0u);
    sim.clock().Sleep(20000);
    engine->Stop();
    EXPECT_EQ(user.shown, (std::vector<std::string>{"115"}));
    std::string id;
    ASSERT_EQ(store().ReadDiskId(id), 0u);
    EXPECT_EQ(id, Identifier(2));
    EXPECT_EQ(Backed(), Sources());
}

class FinishPage final : public WizardFinishView {
  public:
    bool openSettings = false;
    int shown = 0;
    bool ShowFinishPage() override {
        ++shown;
        return openSettings;
    }
};

TEST_F(PassEdgesTest, TheWizardsFinishPageFollowsTheFirstPassOnly) {
    EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
    FinishPage finish;
    for (const bool openSettings : {false, true}) {
        SCOPED_TRACE(openSettings);
        finish.openSettings = openSettings;
        EngineServices services{sim.machine(), shared,  sharedDrives,          mainWindow, user,
                                progress,      &finish, settings::kProductKey, ""};
        engine = std::make_unique<CKRVMirrorEngine>(services);
        shared.wizardRan = true;
        EXPECT_EQ(store().WriteStartTime(0), 0u);
        ASSERT_EQ(engine->RunPass(false), 0u);
        EXPECT_FALSE(shared.wizardRan);
        Put(std::string(kDocs) + "\\later.txt", openSettings ? "2" : "1");
        ASSERT_EQ(engine->RunPass(false), 0u);  // no page after a later pass
        engine.reset();
    }
    EXPECT_EQ(finish.shown, 2);
    EXPECT_EQ(mainWindow.Count("open"), 1);  // only when the user asked for the settings
    EXPECT_EQ(Backed(), Sources());
}

}  // namespace
}  // namespace engine::testing

namespace engine::testing {
namespace {

// When the comparison of the sources with the backup disk is due beyond the common cases: a new
// backup disk, a clock set back, the disk in another drive.
class ReconcileEdgesTest : public EngineFixture {
  protected:
    void SetUp() override {
        Configure();
        EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
        Put(std::string(kDocs) + "\\letter.doc", "Dear all");
        Put(std::string(kDocs) + "\\Photos\\cat.jpg", std::string(5000, 'c'));
        MakeEngine();
        ASSERT_EQ(engine->RunPass(false), 0u);
        sim.clock().Sleep(60'000);
    }
    std::map<std::string, std::string> Sources() { return DiskFiles(kDocs); }
};

// The user makes another disk the backup disk (a new one, after the old one broke): it gets every
// file at its first pass, not only the files changed since the last one.
TEST_F(ReconcileEdgesTest, ANewBackupDiskGetsEverythingAtItsFirstPass) {
    auto fresh = NewDisk(2);
    drives->InsertDisk('F', fresh);
    EXPECT_EQ(store().WriteDiskId(Identifier(2)), 0u);
    Put(std::string(kDocs) + "\\new.txt", "new");
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(user.shown.empty());
    EXPECT_EQ(DiskFiles("F:\\Users\\User\\Documents"), Sources());
}

TEST_F(ReconcileEdgesTest, AClockSetBackMakesTheComparisonDue) {
    ASSERT_EQ(sim.machine().files.DeleteFile("F:\\Users\\User\\Documents\\letter.doc"), 0u);
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(DiskFiles("F:\\Users\\User\\Documents").count("letter.doc"), 0u);
    sim.clock().SetUtcNow(sim.clock().UtcNow() - 3600 * os::kFileTimeTicksPerSecond);
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(DiskFiles("F:\\Users\\User\\Documents"), Sources());
}

TEST_F(ReconcileEdgesTest, ADueComparisonFollowsTheDiskToAnotherDriveLetter) {
    ASSERT_EQ(sim.machine().files.DeleteFile("F:\\Users\\User\\Documents\\letter.doc"), 0u);
    engine.reset();
    drives->AddDrive('G');
    drives->InsertDisk('G', drives->RemoveDisk('F'));
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);  // nothing changed, but the disk was not compared yet
    EXPECT_TRUE(user.shown.empty());
    EXPECT_EQ(DiskFiles("G:\\Users\\User\\Documents"), Sources());
    std::string destination;
    ASSERT_EQ(store().ReadDestination(destination), 0u);
    EXPECT_EQ(destination, "G:\\");
}

}  // namespace
}  // namespace engine::testing
