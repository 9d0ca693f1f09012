// Whole sync passes over the simulated machine with a scripted user: finding the backup disk
// (adopting, following, refusing), its protection, the filling warning, the full-disk swap and a
// disk that leaves its drive in the middle of a pass.

#include "os/errors.h"
#include "tests/engine/engine_fixture.h"

namespace engine::testing {
namespace {

using drvKit::sim::SimRequestKind;

constexpr char kDocs[] = "C:\\Users\\User\\Documents";

class SyncPassTest : public EngineFixture {
  protected:
    void SetUp() override {
        Configure();
        Put(std::string(kDocs) + "\\letter.doc", "Dear all");
        Put(std::string(kDocs) + "\\Photos\\cat.jpg", std::string(5000, 'c'));
        Put(std::string(kDocs) + "\\\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.txt",
            "report");  // Отчёт.txt
    }
    void KnownDisk(int number) { ASSERT_EQ(store().WriteDiskId(Identifier(number)), 0u); }
    std::map<std::string, std::string> Backed(const std::string& drive = "F:") {
        return DiskFiles(drive + "\\Users\\User\\Documents");
    }
    std::map<std::string, std::string> Sources() { return DiskFiles(kDocs); }
    std::string StoredDiskId() {
        std::string id;
        EXPECT_EQ(store().ReadDiskId(id), 0u);
        return id;
    }
    std::string StoredDestination() {
        std::string destination;
        EXPECT_EQ(store().ReadDestination(destination), 0u);
        return destination;
    }
    int Requests(SimRequestKind kind) {
        int count = 0;
        for (const auto& r : drives->Requests()) {
            count += r.kind == kind ? 1 : 0;
        }
        return count;
    }
};

TEST_F(SyncPassTest, TheFirstBackupAdoptsTheDiskAndCopiesEverything) {
    user.insertDisk = {true};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown, (std::vector<std::string>{"136"}));
    EXPECT_EQ(user.insertDiskIcon, 121);  // the drive's sub-family 7
    EXPECT_EQ(user.insertDiskLabel, "BACKUP1 (F:)");
    EXPECT_EQ(StoredDiskId(), Identifier(1));
    EXPECT_EQ(Backed(), Sources());
    // The last-sync time moved to the newest file time copied.
    os::FileTime stored = 0;
    ASSERT_EQ(store().ReadStartTime(stored), 0u);
    os::FileTime newest = 0;
    for (const auto& e : sim.files().ListTree(kDocs)) {
        newest = std::max({newest, e.times.creation, e.times.lastWrite});
    }
    EXPECT_EQ(stored, newest);
    EXPECT_EQ(engine->snapshot().lastSync, newest);
    // The medium was locked in the drive for the copy and released after it.
    EXPECT_EQ(Requests(SimRequestKind::Lock), 1);
    EXPECT_EQ(Requests(SimRequestKind::Release), 1);
}

TEST_F(SyncPassTest, RemindMeLaterCopiesNothingAndAsksOnce) {
    user.insertDisk = {false};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("136"), 1);
    EXPECT_TRUE(Backed().empty());
    EXPECT_EQ(StoredDiskId(), "0");
    os::FileTime stored = 1;
    ASSERT_EQ(store().ReadStartTime(stored), 0u);
    EXPECT_EQ(stored, 0u);  // the same files are due next time
}

TEST_F(SyncPassTest, TheDiskIsFollowedToAnotherDriveLetterWithoutAPrompt) {
    KnownDisk(1);
    drvKit::sim::SimDriveSpec setup;
    drives->AddDrive('G', setup);
    drives->InsertDisk('G', drives->RemoveDisk('F'));
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(user.shown.empty());
    EXPECT_EQ(StoredDestination(), "G:\\");
    EXPECT_EQ(Backed("G:"), Sources());
}

TEST_F(SyncPassTest, AWrongDiskIsNeverWrittenUnlessTheUserAdoptsIt) {
    KnownDisk(1);
    drives->InsertDisk('F', NewDisk(2));
    ASSERT_EQ(store().WriteNotCurrentStatus(0), 0u);
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(user.shown.empty());  // "NotCurrent Status" 0: no prompt and no copy
    EXPECT_TRUE(Backed().empty());

    ASSERT_EQ(store().WriteNotCurrentStatus(1), 0u);
    user.wrongDisk = {{true, WrongDiskOption::MakeCurrentDisk}};
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown, (std::vector<std::string>{"115"}));
    EXPECT_EQ(StoredDiskId(), Identifier(2));
    EXPECT_EQ(Backed(), Sources());
}

TEST_F(SyncPassTest, InsertingTheRightDiskAtTheWrongDiskPromptContinuesOnIt) {
    KnownDisk(1);
    auto mine = drives->RemoveDisk('F');
    drives->InsertDisk('F', NewDisk(2));
    user.wrongDisk = {{true, WrongDiskOption::InsertMyDisk}};
    user.beforeAnswer = [&](const std::string& prompt) {
        if (prompt == "115") {
            drives->InsertDisk('F', mine);
        }
    };
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("115"), 1);
    EXPECT_EQ(StoredDiskId(), Identifier(1));
    EXPECT_EQ(Backed(), Sources());
}

TEST_F(SyncPassTest, TheWrongDiskPromptsOtherAnswersGiveUpThePass) {
    KnownDisk(1);
    drives->InsertDisk('F', NewDisk(2));
    user.wrongDisk = {{false, WrongDiskOption::InsertMyDisk},
                      {true, WrongDiskOption::DoNotWarnAgain},
                      {true, WrongDiskOption::Disable}};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);  // Cancel
    EXPECT_EQ(mainWindow.Count("close"), 0);
    ASSERT_EQ(engine->RunPass(false), 0u);  // "Do not warn me again" turns off the warnings
    uint32_t warnings = 1;
    ASSERT_EQ(store().ReadWarningStatus(warnings), 0u);
    EXPECT_EQ(warnings, 0u);
    uint32_t notCurrent = 0;
    ASSERT_EQ(store().ReadNotCurrentStatus(notCurrent), 0u);
    EXPECT_EQ(notCurrent, 1u);
    ASSERT_EQ(store().WriteWarningStatus(1), 0u);
    ASSERT_EQ(engine->RunPass(false), 0u);  // "Disable" closes the program
    EXPECT_EQ(mainWindow.Count("close"), 1);
    EXPECT_EQ(user.Count("115"), 3);
    EXPECT_TRUE(Backed().empty());
    EXPECT_EQ(StoredDiskId(), Identifier(1));
}

TEST_F(SyncPassTest, WithWarningsOffOnlyTheKnownDiskIsWrittenAndNothingIsAsked) {
    KnownDisk(1);
    ASSERT_EQ(store().WriteWarningStatus(0), 0u);
    drives->RemoveDisk('F');
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(user.shown.empty());
    drives->InsertDisk('F', NewDisk(1));
    // A new medium with the same number is the same disk to the program.
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(Backed(), Sources());
}

TEST_F(SyncPassTest, NoDiskInTheDriveAsksForItAndDisableClosesTheProgram) {
    KnownDisk(1);
    auto mine = drives->RemoveDisk('F');
    NoDiskChoice insert{NoDiskButton::Ok, NoDiskOption::InsertMyDisk};
    NoDiskChoice disable{NoDiskButton::Ok, NoDiskOption::Disable};
    NoDiskChoice later{NoDiskButton::RemindMeLater, NoDiskOption::InsertMyDisk};
    NoDiskChoice never{NoDiskButton::DontRemindMe, NoDiskOption::InsertMyDisk};
    user.noDisk = {later, never, disable, insert};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    uint32_t warnings = 0;
    ASSERT_EQ(store().ReadWarningStatus(warnings), 0u);
    EXPECT_EQ(warnings, 1u);
    ASSERT_EQ(engine->RunPass(false), 0u);
    ASSERT_EQ(store().ReadWarningStatus(warnings), 0u);
    EXPECT_EQ(warnings, 0u);
    ASSERT_EQ(store().WriteWarningStatus(1), 0u);
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(mainWindow.Count("close"), 1);
    EXPECT_TRUE(Backed().empty());
    user.beforeAnswer = [&](const std::string&) { drives->InsertDisk('F', mine); };
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("160"), 4);
    EXPECT_EQ(Backed(), Sources());
}

TEST_F(SyncPassTest, ADiskProtectedWithoutPasswordIsWrittenAfterOkAndProtectedAgain) {
    drives->InsertDisk('F', NewDisk(1, 64ULL << 20, drvKit::kProtectWrite));
    KnownDisk(1);
    user.protectedDisk = {false, true};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(Backed().empty());
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("204"), 2);
    EXPECT_EQ(Backed(), Sources());
    EXPECT_EQ(drives->ProtectionOf(*drives->DiskIn('F')), drvKit::kProtectWrite);
    std::vector<drvKit::sim::SimRequest> protects;
    for (const auto& r : drives->Requests()) {
        if (r.kind == SimRequestKind::SetProtect) {
            protects.push_back(r);
        }
    }
    ASSERT_EQ(protects.size(), 2u);
    EXPECT_EQ(protects[0].state, drvKit::kProtectNone);
    EXPECT_EQ(protects[1].state, drvKit::kProtectWrite);
}

TEST_F(SyncPassTest, APasswordProtectedDiskNeedsTheRightPassword) {
    for (drvKit::EProtectState state :
         {drvKit::kProtectWritePassword, drvKit::kProtectReadWritePassword}) {
        drives->InsertDisk('F', NewDisk(1, 64ULL << 20, state, "s3cret"));
        KnownDisk(1);
        ASSERT_EQ(store().WriteStartTime(0), 0u);
        user.shown.clear();
        user.passwords = {std::string("wrong"), std::nullopt};
        MakeEngine();
        ASSERT_EQ(engine->RunPass(false), 0u);
        EXPECT_EQ(user.Count("203"), 2);  // asked again after the wrong one, then cancelled
        EXPECT_TRUE(Backed().empty());
        user.passwords = {std::string("s3cret")};
        ASSERT_EQ(engine->RunPass(false), 0u);
        EXPECT_EQ(Backed(), Sources());
        auto disk = drives->DiskIn('F');
        EXPECT_EQ(drives->ProtectionOf(*disk), state);  // the same state and password as before
        EXPECT_EQ(drives->PasswordOf(*disk), "s3cret");
        engine.reset();
    }
}

TEST_F(SyncPassTest, TheFillingWarningComesAtSeventyFivePercentOnce) {
    // 4 MiB disks of 4 KiB clusters: 758 clusters used are 74 %, 768 are 75 %.
    for (auto [clusters, warned] : {std::pair{758, 0}, std::pair{768, 1}}) {
        engine.reset();
        user.shown.clear();
        drives->InsertDisk('F', NewDisk(1, 4ULL << 20));
        KnownDisk(1);
        sim.files().PutFile(
            "F:\\filler.bin",
            std::string(static_cast<size_t>(clusters) * 4096 - 3 * 4096 - 4096, 'f'));
        ASSERT_EQ(store().WriteStartTime(0), 0u);
        user.notices = {{true, false}};
        MakeEngine();
        ASSERT_EQ(engine->RunPass(false), 0u);
        EXPECT_EQ(user.Count("202"), warned) << clusters << " clusters";
        user.notices.clear();
    }
}

TEST_F(SyncPassTest, TheFillingRuleTakesACdThatReportsNoCapacityAsHolding540Megabytes) {
    // The rule as the pass applies it, on the figures a drive reports.
    drvKit::sim::SimDriveSpec cd;
    cd.family = drvKit::kFamilyCD;
    cd.subFamily = drvKit::kSubFamilyOptical;
    drives->AddDrive('R', cd);
    drvKit::sim::SimDiskSpec setup;
    setup.serialNumber = 77;
    setup.sizesUnavailable = true;
    drives->InsertDisk('R', drives->CreateDisk(setup));
    ASSERT_EQ(store().WriteDestination("R:\\"), 0u);
    KnownDisk(77);
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("202"), 0);  // it reports no used space either
}

TEST_F(SyncPassTest, AFullDiskIsSwappedUntilOneWithRoomIsInTheDrive) {
    // Three files of 300 KB on disks of 512 KB: the first fits, the next one does not.
    for (const char* name : {"a.bin", "b.bin", "c.bin"}) {
        Put(std::string(kDocs) + "\\big\\" + name, std::string(300 * 1024, name[0]));
        sim.clock().Sleep(1000);
    }
    ASSERT_EQ(store().WriteSourceList({std::string(kDocs) + "\\big"}), 0u);
    drives->InsertDisk('F', NewDisk(1, 512 * 1024));
    KnownDisk(1);
    auto tooSmall = NewDisk(2, 256 * 1024);
    auto large = NewDisk(3, 8ULL << 20);
    user.diskFull = {{true, false}, {true, false}};
    int swaps = 0;
    user.beforeAnswer = [&](const std::string& prompt) {
        if (prompt == "104") {
            drives->InsertDisk('F', ++swaps == 1 ? tooSmall : large);
        }
    };
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("104"), 2);  // again for the disk that is too small
    EXPECT_EQ(StoredDiskId(), Identifier(3));
    drives->InsertDisk('F', nullptr);
    drives->InsertDisk('F', large);
    const auto onLarge = DiskFiles("F:\\Users\\User\\Documents\\big");
    EXPECT_EQ(onLarge.size(), 2u);
    EXPECT_EQ(onLarge.count("b.bin") + onLarge.count("c.bin"), 2u);
    // The full disk was let go and ejected before the prompt.
    EXPECT_GE(Requests(SimRequestKind::Eject), 1);
    // The dates of the full disk: its first file and the newest copied, both a.bin's day.
    ASSERT_GE(user.diskFullDates.size(), 2u);
    EXPECT_EQ(user.diskFullDates[0].day, user.diskFullDates[1].day);
    // The disk start time starts again on the new disk: b.bin's time.
    engine.reset();
    os::FileTime diskStart = 0;
    ASSERT_EQ(store().ReadDiskStartTime(diskStart), 0u);
    os::FileTime bTime = 0;
    for (const auto& e : sim.files().ListTree(std::string(kDocs) + "\\big")) {
        if (e.relativePath == "b.bin") {
            bTime = std::max(e.times.creation, e.times.lastWrite);
        }
    }
    EXPECT_EQ(diskStart, bTime);
}

TEST_F(SyncPassTest, CancellingTheSwapKeepsTheRestDue) {
    for (const char* name : {"a.bin", "b.bin"}) {
        Put(std::string(kDocs) + "\\big\\" + name, std::string(300 * 1024, name[0]));
        sim.clock().Sleep(1000);
    }
    ASSERT_EQ(store().WriteSourceList({std::string(kDocs) + "\\big"}), 0u);
    drives->InsertDisk('F', NewDisk(1, 512 * 1024));
    KnownDisk(1);
    user.diskFull = {{false, false}};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("104"), 1);
    // b.bin is newer than the new last-sync time: the next pass finds it again.
    os::FileTime stored = 0;
    ASSERT_EQ(store().ReadStartTime(stored), 0u);
    for (const auto& e : sim.files().ListTree(std::string(kDocs) + "\\big")) {
        if (e.relativePath == "b.bin") {
            EXPECT_GT(std::max(e.times.creation, e.times.lastWrite), stored);
        }
    }
}

TEST_F(SyncPassTest, AZeroFirstDateShowsToday) {
    user.diskFull = {{false, false}};
    MakeEngine();
    engine->DiskFullHandler(0, 0, 1, "F:", 0);
    ASSERT_EQ(user.diskFullDates.size(), 2u);
    const os::SystemTime today = sim.clock().UtcTime();
    EXPECT_EQ(user.diskFullDates[0].year, today.year);
    EXPECT_EQ(user.diskFullDates[0].month, today.month);
    EXPECT_EQ(user.diskFullDates[0].day, today.day);
}

TEST_F(SyncPassTest, TheFlushWaitFollowsMemoryBytesAndBus) {
    const uint64_t mib = 1ULL << 20;
    EXPECT_EQ(CKRVMirrorEngine::FlushWaitMs(96 * mib, 150 * mib, 4), 6250u);
    EXPECT_EQ(CKRVMirrorEngine::FlushWaitMs(256 * mib, 200 * mib, 1), 375000u);
    EXPECT_EQ(CKRVMirrorEngine::FlushWaitMs(256 * mib, 100 * mib, 2), 4000u);
    EXPECT_EQ(CKRVMirrorEngine::FlushWaitMs(64 * mib, 250 * mib, 5), 187500u);
    EXPECT_EQ(CKRVMirrorEngine::FlushWaitMs(8ULL << 30, 10 * mib, 4), 5000u);   // little written
    EXPECT_EQ(CKRVMirrorEngine::FlushWaitMs(32 * mib, 500 * mib, 4), 5000u);    // little memory
    EXPECT_EQ(CKRVMirrorEngine::FlushWaitMs(8ULL << 30, 500 * mib, 6), 5000u);  // another bus
}

TEST_F(SyncPassTest, ADiskThatLeavesMidPassEndsItWithOnePromptAndTheRestDue) {
    for (int i = 0; i < 8; ++i) {
        Put(std::string(kDocs) + "\\many\\f" + std::to_string(i) + ".bin", std::string(40000, 'x'));
    }
    KnownDisk(1);
    sim.files().RemoveMediumAfter("F:", 100000);
    user.noDisk = {{NoDiskButton::Cancel, NoDiskOption::InsertMyDisk}};
    auto disk = drives->DiskIn('F');
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown, (std::vector<std::string>{"160"}));
    EXPECT_TRUE(engine->IsWorkerRunning() == false);
    // Nothing half-written, and the next pass with the disk back completes the backup.
    drives->InsertDisk('F', disk);
    for (const auto& [path, contents] : Backed()) {
        EXPECT_EQ(contents, Sources()[path]) << path;
    }
    user.shown.clear();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(user.shown.empty());
    EXPECT_EQ(Backed(), Sources());
}

TEST_F(SyncPassTest, AShownProgressDialogClosesAtTheEnd) {
    KnownDisk(1);
    MakeEngine();
    ASSERT_EQ(engine->RunPass(true), 0u);
    EXPECT_EQ(progress.shownCount, 1);
    EXPECT_EQ(shared.progress.percent, 100u);
    EXPECT_FALSE(shared.progress.shown);
    EXPECT_EQ(Backed(), Sources());
}

TEST_F(SyncPassTest, NothingChangedMeansTheDrivesAreNotTouched) {
    KnownDisk(1);
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    drives->ClearRequests();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(drives->Requests().empty());
}

TEST_F(SyncPassTest, ACompleteCopyAskedForDuringAPassIsTheNextPasssWork) {
    KnownDisk(1);
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    os::FileTime stored = 0;
    // The settings sheet's "Re-copy all files", and the tray's complete copy.
    for (const bool fromTheTray : {false, true}) {
        Put(std::string(kDocs) + "\\later.txt", fromTheTray ? "2" : "1");
        progress.whileShown = [&] {
            if (fromTheTray) {
                engine->RequestCompleteCopy();
            } else {
                ASSERT_EQ(store().WriteStartTime(0), 0u);
            }
        };
        ASSERT_EQ(engine->RunPass(true), 0u);
        ASSERT_EQ(store().ReadStartTime(stored), 0u);
        EXPECT_EQ(stored, 0u) << fromTheTray;
        progress.whileShown = nullptr;
        ASSERT_EQ(engine->RunPass(false), 0u);  // the complete copy
        ASSERT_EQ(store().ReadStartTime(stored), 0u);
        EXPECT_NE(stored, 0u);
    }
}

TEST_F(SyncPassTest, AFullDiskMetWhileAnotherWindowIsUpKeepsTheDisksDates) {
    // a.bin was written three days ago and fills most of the disk; b.bin does not fit.
    os::sim::SimPutOptions old;
    const os::FileTime threeDaysAgo =
        sim.clock().UtcNow() - 3 * 86400 * os::kFileTimeTicksPerSecond;
    old.times = os::FileTimes{threeDaysAgo, threeDaysAgo, threeDaysAgo};
    ASSERT_EQ(
        sim.files().PutFile(std::string(kDocs) + "\\big\\a.bin", std::string(300 * 1024, 'a'), old),
        0u);
    Put(std::string(kDocs) + "\\big\\b.bin", std::string(300 * 1024, 'b'));
    ASSERT_EQ(store().WriteSourceList({std::string(kDocs) + "\\big"}), 0u);
    drives->InsertDisk('F', NewDisk(1, 512 * 1024));
    KnownDisk(1);
    // The settings sheet is up when the disk fills, and is closed three seconds later.
    bool guardSeen = false;
    std::unique_ptr<os::Thread> window;
    user.diskFull = {{false, false}};
    MakeEngine();
    shared.promptActive = true;
    ASSERT_EQ(sim.clock().StartThread(
                  [&] {
                      sim.clock().Sleep(3000);
                      guardSeen = shared.promptActive;
                      shared.promptActive = false;
                  },
                  window),
              0u);
    ASSERT_EQ(engine->RunPass(false), 0u);
    window.reset();
    EXPECT_TRUE(guardSeen);
    ASSERT_EQ(user.Count("104"), 1);
    const os::SystemTime from = user.diskFullDates[0];
    const os::SystemTime written = *os::FileTimeToSystemTime(sim.clock().ToLocal(threeDaysAgo));
    EXPECT_EQ(from.day, written.day);  // not today: the disk was never swapped
    EXPECT_EQ(from.month, written.month);
}

TEST_F(SyncPassTest, FoldersThatAreNotBackedUpAreReportedOncePerRun) {
    KnownDisk(1);
    ASSERT_EQ(store().WriteSourceList({kDocs, "C:\\Gone"}), 0u);
    sim.FailOperation(os::sim::SimOperation::Find, std::string(kDocs) + "\\Photos\\*", 5);
    user.notices = {{true, false}, {true, false}};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    ASSERT_EQ(user.fileErrors.size(), 2u);
    EXPECT_EQ(user.fileErrors[0].path, std::string(kDocs) + "\\Photos");
    EXPECT_EQ(user.fileErrors[0].code, 5u);
    EXPECT_EQ(user.fileErrors[1].path, "C:\\Gone");
    EXPECT_EQ(user.fileErrors[1].code, os::kErrorPathNotFound);
    Put(std::string(kDocs) + "\\new.txt", "n");
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.fileErrors.size(), 2u);  // told once in this run
    EXPECT_EQ(Backed().count("new.txt"), 1u);
}

TEST_F(SyncPassTest, DisableInAPromptClosesTheProgramOnceThePromptGuardIsFree) {
    // "Disable" in the disk-full prompt.
    for (const char* name : {"a.bin", "b.bin"}) {
        Put(std::string(kDocs) + "\\big\\" + name, std::string(300 * 1024, name[0]));
        sim.clock().Sleep(1000);
    }
    ASSERT_EQ(store().WriteSourceList({std::string(kDocs) + "\\big"}), 0u);
    drives->InsertDisk('F', NewDisk(1, 512 * 1024));
    KnownDisk(1);
    user.diskFull = {{true, true}};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("104"), 1);
    EXPECT_EQ(mainWindow.Messages(), (std::vector<std::string>{"close"}));
    // And in the no-disk prompt when the disk leaves its drive during the copy.
    drives->InsertDisk('F', NewDisk(1));
    ASSERT_EQ(store().WriteSourceList({kDocs}), 0u);
    ASSERT_EQ(store().WriteStartTime(0), 0u);
    for (int i = 0; i < 8; ++i) {
        Put(std::string(kDocs) + "\\many\\f" + std::to_string(i) + ".bin", std::string(40000, 'x'));
    }
    sim.files().RemoveMediumAfter("F:", 100000);
    user.noDisk = {{NoDiskButton::Ok, NoDiskOption::Disable}};
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("160"), 1);
    EXPECT_EQ(mainWindow.Messages(), (std::vector<std::string>{"close", "close"}));
}

TEST_F(SyncPassTest, TheFillingWarningWaitsWhileAnotherWindowIsUp) {
    drives->InsertDisk('F', NewDisk(1, 4ULL << 20));
    KnownDisk(1);
    sim.files().PutFile("F:\\filler.bin", std::string(3200 * 1024, 'f'));
    MakeEngine();
    shared.promptActive = true;  // the settings sheet, About, another prompt
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("202"), 0);
    EXPECT_TRUE(shared.promptActive);  // still the other window's
    shared.promptActive = false;
    Put(std::string(kDocs) + "\\new.txt", "n");
    user.notices = {{true, false}};
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("202"), 1);
}

TEST_F(SyncPassTest, ADiskWhoseOwnSwitchProtectsItIsReportedOnceAndNotOfferedToUnprotect) {
    drvKit::sim::SimDiskSpec setup;
    setup.serialNumber = 1;
    setup.writeProtectSwitch = true;
    drives->InsertDisk('F', drives->CreateDisk(setup));
    KnownDisk(1);
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown, (std::vector<std::string>{"205"}));  // no 204: it cannot lift a switch
    EXPECT_TRUE(Backed().empty());
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("205"), 2);  // once in each pass
    // A protection the program can lift still gets its prompt.
    drives->InsertDisk('F', NewDisk(1, 64ULL << 20, drvKit::kProtectWrite));
    user.protectedDisk = {true};
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("204"), 1);
    EXPECT_EQ(Backed(), Sources());
}

TEST_F(SyncPassTest, AStopRightAfterTheProtectionWasLiftedPutsItBack) {
    drives->InsertDisk('F', NewDisk(1, 64ULL << 20, drvKit::kProtectWrite));
    KnownDisk(1);
    ASSERT_EQ(store().WriteSchedulerValue(settings::names::kSchedulerType,
                                          settings::kScheduleAtShutdownOnly),
              0u);
    ASSERT_EQ(store().WriteStartTime(1), 0u);
    user.protectedDisk = {true};
    std::unique_ptr<os::Thread> stopper;
    user.beforeAnswer = [&](const std::string& prompt) {
        if (prompt == "204") {  // the settings are opened while the prompt is up
            EXPECT_EQ(sim.clock().StartThread([&] { engine->Stop(); }, stopper), 0u);
            sim.clock().Sleep(100);
        }
    };
    MakeEngine().Start();
    sim.clock().Sleep(100);
    engine->Wake();
    sim.clock().Sleep(20000);
    stopper.reset();
    EXPECT_EQ(user.Count("204"), 1);
    EXPECT_TRUE(Backed().empty());
    EXPECT_EQ(drives->ProtectionOf(*drives->DiskIn('F')), drvKit::kProtectWrite);
}

TEST_F(SyncPassTest, TheProgressDialogStartsWithoutTheLastPasssFile) {
    KnownDisk(1);
    MakeEngine();
    std::vector<std::pair<std::string, std::string>> atOpen;
    progress.whileShown = [&] { atOpen.push_back(shared.progress.Names()); };
    ASSERT_EQ(engine->RunPass(true), 0u);
    Put(std::string(kDocs) + "\\later.txt", "l");
    ASSERT_EQ(engine->RunPass(true), 0u);
    ASSERT_EQ(atOpen.size(), 2u);
    // Nothing yet, or already this pass's one file; never one of the last pass.
    const std::string shown = atOpen[1].first;
    EXPECT_TRUE(shown.empty() || shown == std::string(kDocs) + "\\later.txt") << shown;
}

TEST_F(SyncPassTest, ACompleteCopyOfGivenFoldersKeepsTheLastSyncTime) {
    KnownDisk(1);
    ASSERT_EQ(store().WriteStartTime(42), 0u);
    Put("C:\\Projects\\plan.txt", "plan");
    MakeEngine();
    ASSERT_EQ(engine->RunPassForFolders({"C:\\Projects"}, false), 0u);
    EXPECT_EQ(DiskFiles("F:\\Projects"),
              (std::map<std::string, std::string>{{"plan.txt", "plan"}}));
    os::FileTime stored = 0;
    ASSERT_EQ(store().ReadStartTime(stored), 0u);
    EXPECT_EQ(stored, 42u);
}

}  // namespace
}  // namespace engine::testing
