// Whole passes with the reconciliation: files the changed-file scan cannot see (moved in with old
// times, copies deleted from the disk) come back when the disk is first found in a run, after it
// left its drive, and a day later; not on every pass.

#include <algorithm>
#include <string>

#include "os/errors.h"
#include "tests/engine/engine_fixture.h"

namespace engine::testing {
namespace {

constexpr char kDocs[] = "C:\\Users\\User\\Documents";
constexpr char kMirror[] = "F:\\Users\\User\\Documents";

class ReconcilePassTest : public EngineFixture {
  protected:
    void SetUp() override {
        Configure();
        EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
        Put(std::string(kDocs) + "\\letter.doc", "Dear all");
        Put(std::string(kDocs) + "\\Photos\\cat.jpg", std::string(5000, 'c'));
        MakeEngine();
        ASSERT_EQ(engine->RunPass(false), 0u);
        ASSERT_EQ(DiskFiles(kMirror), DiskFiles(kDocs));
        sim.clock().Sleep(60'000);
    }

    // A file as another program moves it in: times from last year, no archive attribute.
    void MoveIn(const std::string& relative, const std::string& contents) {
        const os::FileTime old =
            sim.clock().UtcNow() - 365ULL * 24 * 60 * os::kFileTimeTicksPerMinute;
        os::sim::SimPutOptions options;
        options.attributes = 0;
        options.times = os::FileTimes{old, old, old};
        ASSERT_EQ(sim.files().PutFile(std::string(kDocs) + "\\" + relative, contents, options),
                  os::kErrorSuccess);
    }
    void DeleteCopy(const std::string& relative) {
        ASSERT_EQ(sim.machine().files.DeleteFile(std::string(kMirror) + "\\" + relative),
                  os::kErrorSuccess);
    }
    bool OnDisk(const std::string& relative) { return DiskFiles(kMirror).count(relative) != 0; }
};

TEST_F(ReconcilePassTest, TheNextRunPutsBackWhatTheScanCannotSee) {
    MoveIn("Old\\thesis.doc", "chapter one");
    MoveIn("old.tmp", "excluded by type");
    DeleteCopy("letter.doc");
    EXPECT_EQ(store().WriteFilterList({"tmp"}), 0u);
    // The same run: the scan finds nothing and the disk was compared already.
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_FALSE(OnDisk("Old\\thesis.doc"));
    EXPECT_FALSE(OnDisk("letter.doc"));
    // The program starts again: the first pass compares the sources with the disk.
    engine.reset();
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(user.shown.empty());
    EXPECT_TRUE(OnDisk("Old\\thesis.doc"));
    EXPECT_TRUE(OnDisk("letter.doc"));
    EXPECT_FALSE(OnDisk("old.tmp"));
    auto sources = DiskFiles(kDocs);
    sources.erase("old.tmp");
    EXPECT_EQ(DiskFiles(kMirror), sources);
    // The last-sync time did not move back to last year's files.
    os::FileTime stored = 0;
    ASSERT_EQ(store().ReadStartTime(stored), 0u);
    EXPECT_GT(stored, sim.clock().UtcNow() - 10 * os::kFileTimeTicksPerMinute);
}

TEST_F(ReconcilePassTest, OnceADayAndAfterTheDiskWasAway) {
    DeleteCopy("letter.doc");
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_FALSE(OnDisk("letter.doc"));
    sim.clock().Sleep(23 * 3600 * 1000);
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_FALSE(OnDisk("letter.doc"));
    sim.clock().Sleep(3600 * 1000);
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(OnDisk("letter.doc"));

    // Away during a pass (it had something to copy): compared again once it is back.
    DeleteCopy("Photos\\cat.jpg");
    Put(std::string(kDocs) + "\\new.txt", "new");
    auto disk = drives->DiskIn('F');
    drives->RemoveDisk('F');
    user.answerAnything = true;
    ASSERT_EQ(engine->RunPass(false), 0u);
    drives->InsertDisk('F', disk);
    user.shown.clear();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(OnDisk("new.txt"));
    EXPECT_TRUE(OnDisk("Photos\\cat.jpg"));
}

TEST_F(ReconcilePassTest, ADueComparisonLooksForTheDiskWithoutAsking) {
    DeleteCopy("letter.doc");
    engine.reset();
    auto disk = drives->DiskIn('F');
    drives->RemoveDisk('F');
    MakeEngine();
    // Nothing changed and the disk is not in: no prompt for it.
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(user.shown.empty());
    drives->InsertDisk('F', disk);
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(user.shown.empty());
    EXPECT_TRUE(OnDisk("letter.doc"));
}

// A first comparison with a large tree takes a while: the progress dialog is up from its start,
// counts the folders searched, and stays up for the copy that follows.
TEST_F(ReconcilePassTest, TheProgressDialogCountsTheFoldersWhileTheyAreCompared) {
    for (int i = 0; i < 40; ++i) {
        MoveIn("Tree\\folder " + std::to_string(i) + "\\file.txt", "moved in");
    }
    engine.reset();
    MakeEngine();
    uint32_t mostCompared = 0;
    bool comparedWithoutDialog = false;
    sim.WatchOperations([&](const std::string&) {
        if (shared.progress.comparing) {
            mostCompared = std::max(mostCompared, shared.progress.foldersCompared.load());
            comparedWithoutDialog = comparedWithoutDialog || !shared.progress.shown;
        }
        return true;
    });
    ASSERT_EQ(engine->RunPass(true), 0u);
    sim.ClearFaults();
    EXPECT_GE(mostCompared, 40u);  // Documents, Photos, Tree and its 40 folders
    EXPECT_FALSE(comparedWithoutDialog);
    EXPECT_FALSE(shared.progress.comparing);
    EXPECT_EQ(progress.shownCount, 1);
    EXPECT_TRUE(OnDisk("Tree\\folder 39\\file.txt"));
}

// Cancel while the folders are compared: the comparison stops there, nothing is copied, the
// last-sync time stays, and the next pass compares and copies everything.
TEST_F(ReconcilePassTest, CancelWhileComparingStopsThePassAndStoresNothing) {
    for (int i = 0; i < 40; ++i) {
        MoveIn("Tree\\folder " + std::to_string(i) + "\\file.txt", "moved in");
    }
    Put(std::string(kDocs) + "\\new.txt", "new");
    engine.reset();
    MakeEngine();
    os::FileTime before = 0;
    ASSERT_EQ(store().ReadStartTime(before), 0u);
    const auto diskBefore = DiskFiles(kMirror);
    sim.WatchOperations([&](const std::string&) {
        if (shared.progress.comparing && shared.progress.foldersCompared >= 10) {
            shared.progress.cancelled = true;  // what the dialog's Cancel does
            shared.progress.percent = 100;
            return false;
        }
        return true;
    });
    ASSERT_EQ(engine->RunPass(true), 0u);
    sim.ClearFaults();
    EXPECT_LE(shared.progress.foldersCompared, 11u);
    EXPECT_FALSE(shared.progress.comparing);
    EXPECT_FALSE(shared.progress.shown);
    EXPECT_EQ(DiskFiles(kMirror), diskBefore);
    os::FileTime after = 0;
    ASSERT_EQ(store().ReadStartTime(after), 0u);
    EXPECT_EQ(after, before);
    EXPECT_EQ(engine->retryList().Count(), 0u);
    EXPECT_TRUE(user.shown.empty());

    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(OnDisk("new.txt"));
    for (int i = 0; i < 40; ++i) {
        EXPECT_TRUE(OnDisk("Tree\\folder " + std::to_string(i) + "\\file.txt")) << i;
    }
}

}  // namespace
}  // namespace engine::testing
