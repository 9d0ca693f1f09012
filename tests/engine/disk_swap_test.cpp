// The swap of a full backup disk, past the happy path: the new disk is protected (by the program,
// with a password, by its own switch), the drive is left empty or is slow to become ready, its
// space cannot be read, or the engine stops in the middle. Whatever happens, a file that did not
// reach a disk stays due for the next pass and a protection the swap lifted is put back.

#include "os/errors.h"
#include "tests/engine/engine_fixture.h"

namespace engine::testing {
namespace {

using drvKit::sim::SimRequestKind;

constexpr char kBig[] = "C:\\Users\\User\\Documents\\big";

class DiskSwapTest : public EngineFixture {
  protected:
    // a.bin fits on the 512 KB backup disk, b.bin (newer) does not.
    void SetUp() override {
        Configure({kBig});
        for (const char* name : {"a.bin", "b.bin"}) {
            Put(std::string(kBig) + "\\" + name, std::string(300 * 1024, name[0]));
            sim.clock().Sleep(1000);
        }
        drives->InsertDisk('F', NewDisk(1, 512 * 1024));
        EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
    }
    // The disk the user puts in at the disk-full prompt.
    void SwapTo(std::shared_ptr<drvKit::sim::SimDisk> disk) {
        user.beforeAnswer = [this, disk](const std::string& prompt) {
            if (prompt == "104") {
                drives->InsertDisk('F', disk);
            }
        };
    }
    std::map<std::string, std::string> OnDisk(const std::shared_ptr<drvKit::sim::SimDisk>& disk) {
        drives->InsertDisk('F', disk);
        return DiskFiles("F:\\Users\\User\\Documents\\big");
    }
    os::FileTime TimeOf(const std::string& name) {
        for (const auto& e : sim.files().ListTree(kBig)) {
            if (e.relativePath == name) {
                return std::max(e.times.creation, e.times.lastWrite);
            }
        }
        ADD_FAILURE() << name;
        return 0;
    }
    // b.bin is found again by the next pass: the last-sync time stayed below it.
    void ExpectBStillDue() {
        os::FileTime stored = 0;
        ASSERT_EQ(store().ReadStartTime(stored), 0u);
        EXPECT_LT(stored, TimeOf("b.bin"));
    }
    std::string StoredDiskId() {
        std::string id;
        static_cast<void>(store().ReadDiskId(id));
        return id;
    }
    int Requests(SimRequestKind kind) {
        int count = 0;
        for (const auto& r : drives->Requests()) {
            count += r.kind == kind ? 1 : 0;
        }
        return count;
    }
};

TEST_F(DiskSwapTest, AWriteProtectedNewDiskIsUnlockedWrittenAndProtectedAgain) {
    auto next = NewDisk(2, 8ULL << 20, drvKit::kProtectWrite);
    SwapTo(next);
    user.diskFull = {{true, false}};
    user.protectedDisk = {true};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown, (std::vector<std::string>{"104", "204"}));
    EXPECT_EQ(StoredDiskId(), Identifier(2));
    EXPECT_EQ(drives->ProtectionOf(*next), drvKit::kProtectWrite);
    const auto files = OnDisk(next);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files.at("b.bin"), std::string(300 * 1024, 'b'));
}

TEST_F(DiskSwapTest, APasswordNewDiskIsAskedAgainAfterAWrongPasswordAndKeepsItsPassword) {
    auto next = NewDisk(2, 8ULL << 20, drvKit::kProtectWritePassword, "s3cret");
    SwapTo(next);
    user.diskFull = {{true, false}};
    user.passwords = {std::string("wrong"), std::string("s3cret")};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("203"), 2);
    EXPECT_EQ(OnDisk(next).count("b.bin"), 1u);
    EXPECT_EQ(drives->ProtectionOf(*next), drvKit::kProtectWritePassword);
    EXPECT_EQ(drives->PasswordOf(*next), "s3cret");
}

// Every way of not unlocking the new disk ends the pass; nothing is written to that disk, it keeps
// its protection, and b.bin is still due.
TEST_F(DiskSwapTest, ANewDiskLeftLockedEndsThePassWithTheRestDue) {
    struct Case {
        const char* name;
        drvKit::EProtectState protection;
        bool switchProtected;
        std::string expectedPrompt;
    };
    for (const Case& c : {Case{"declined", drvKit::kProtectWrite, false, "204"},
                          Case{"no password", drvKit::kProtectReadWritePassword, false, "203"},
                          Case{"switch", drvKit::kProtectWrite, true, "205"}}) {
        SCOPED_TRACE(c.name);
        std::shared_ptr<drvKit::sim::SimDisk> next;
        if (c.switchProtected) {
            drvKit::sim::SimDiskSpec setup;
            setup.serialNumber = 2;
            setup.capacityBytes = 8ULL << 20;
            setup.writeProtectSwitch = true;
            next = drives->CreateDisk(setup);
        } else {
            next = NewDisk(2, 8ULL << 20, c.protection, "s3cret");
        }
        drives->InsertDisk('F', NewDisk(1, 512 * 1024));
        EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
        EXPECT_EQ(store().WriteStartTime(0), 0u);
        SwapTo(next);
        user.shown.clear();
        user.diskFull = {{true, false}};
        user.protectedDisk = {false};
        user.passwords = {std::nullopt};
        MakeEngine();
        ASSERT_EQ(engine->RunPass(false), 0u);
        EXPECT_EQ(user.Count(c.expectedPrompt), 1);
        EXPECT_EQ(user.Count("104"), 1);
        ExpectBStillDue();
        if (!c.switchProtected) {
            EXPECT_EQ(drives->ProtectionOf(*next), c.protection);
        }
        EXPECT_TRUE(OnDisk(next).empty());
        engine.reset();
    }
}

TEST_F(DiskSwapTest, AnEmptyDriveAfterTheEjectAsksForADiskAndGoesOnWithTheOneInserted) {
    auto next = NewDisk(2, 8ULL << 20);
    user.diskFull = {{true, false}};
    user.noDisk = {{NoDiskButton::Ok, NoDiskOption::InsertMyDisk}};
    user.beforeAnswer = [&](const std::string& prompt) {
        if (prompt == "160") {
            drives->InsertDisk('F', next);  // the user had not put a disk in yet
        }
    };
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown, (std::vector<std::string>{"104", "160"}));
    EXPECT_EQ(StoredDiskId(), Identifier(2));
    EXPECT_EQ(OnDisk(next).count("b.bin"), 1u);
}

TEST_F(DiskSwapTest, WithWarningsOffAnEmptyDriveEndsTheSwapWithoutAskingAgain) {
    EXPECT_EQ(store().WriteWarningStatus(0), 0u);
    user.diskFull = {{true, false}};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown, (std::vector<std::string>{"104"}));
    EXPECT_EQ(StoredDiskId(), Identifier(1));  // the full disk is still the backup disk
    ExpectBStillDue();
}

TEST_F(DiskSwapTest, DisableInTheEmptyDrivePromptClosesTheProgram) {
    user.diskFull = {{true, false}};
    user.noDisk = {{NoDiskButton::Ok, NoDiskOption::Disable}};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown, (std::vector<std::string>{"104", "160"}));
    EXPECT_EQ(mainWindow.Messages(), (std::vector<std::string>{"close"}));
    ExpectBStillDue();
}

TEST_F(DiskSwapTest, ADriveSlowToBecomeReadyIsWaitedFor) {
    auto next = NewDisk(2, 8ULL << 20);
    user.diskFull = {{true, false}};
    user.beforeAnswer = [&](const std::string& prompt) {
        if (prompt == "104") {
            drives->InsertDisk('F', next);
            drives->BecomeReadyAfter('F', 3);
        }
    };
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown, (std::vector<std::string>{"104"}));  // no second prompt meanwhile
    EXPECT_EQ(OnDisk(next).count("b.bin"), 1u);
}

TEST_F(DiskSwapTest, ANewDiskWhoseSpaceCannotBeReadIsTakenAsLargeEnough) {
    auto next = NewDisk(2, 8ULL << 20);
    user.diskFull = {{true, false}};
    user.beforeAnswer = [&](const std::string& prompt) {
        if (prompt == "104") {
            drives->InsertDisk('F', next);
            sim.FailOperation(os::sim::SimOperation::VolumeQuery, "F:", os::kErrorNotReady, 1);
        }
    };
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.Count("104"), 1);
    EXPECT_EQ(OnDisk(next).count("b.bin"), 1u);
}

// The settings are opened while the disk-full prompt is up: the worker stops at the swap's next
// step, the new disk is not adopted and b.bin stays due.
TEST_F(DiskSwapTest, AStopDuringTheSwapAdoptsNoDiskAndKeepsTheRestDue) {
    auto next = NewDisk(2, 8ULL << 20);
    EXPECT_EQ(store().WriteSchedulerValue(settings::names::kSchedulerType,
                                          settings::kScheduleAtShutdownOnly),
              0u);
    EXPECT_EQ(store().WriteStartTime(1), 0u);
    user.diskFull = {{true, false}};
    std::unique_ptr<os::Thread> stopper;
    user.beforeAnswer = [&](const std::string& prompt) {
        if (prompt == "104") {
            drives->InsertDisk('F', next);
            EXPECT_EQ(sim.clock().StartThread([&] { engine->Stop(); }, stopper), 0u);
            sim.clock().Sleep(100);
        }
    };
    EXPECT_EQ(MakeEngine().Start(), 0u);
    sim.clock().Sleep(100);
    engine->Wake();
    sim.clock().Sleep(60000);
    stopper.reset();
    EXPECT_EQ(user.Count("104"), 1);
    EXPECT_FALSE(engine->IsWorkerRunning());
    EXPECT_EQ(StoredDiskId(), Identifier(1));
    EXPECT_TRUE(OnDisk(next).empty());
    ExpectBStillDue();
}

TEST_F(DiskSwapTest, AFullDiskWithNoDestinationIsNotSwapped) {
    MakeEngine();
    std::unique_ptr<os::RegistryKey> options;
    ASSERT_EQ(sim.machine().registry.OpenKey(
                  os::Hive::CurrentUser, std::string(kKey) + "\\" + settings::kUserOptionsSubkey,
                  true, options),
              0u);
    ASSERT_EQ(options->DeleteValue(settings::names::kDestination), 0u);
    EXPECT_EQ(engine->DiskFullHandler(0, 0, 1, "F:\\x", 0), os::kErrorOperationAborted);
    EXPECT_TRUE(user.shown.empty());
    EXPECT_EQ(Requests(SimRequestKind::Eject), 0);
}

}  // namespace
}  // namespace engine::testing
