// The change watcher wakes the engine for changes under the source folders, and only for them.

#include "engine/change_watcher.h"

#include <gtest/gtest.h>

#include "os/errors.h"
#include "os/sim/sim_machine.h"
#include "tests/engine/copier_fixture.h"

namespace engine {
namespace {

class ChangeWatcherTest : public ::testing::Test {
  protected:
    ChangeWatcherTest()
        : here(sim.clock()),
          wake(sim.clock().CreateEvent(true, false)),
          watcher(sim.machine().files, sim.clock()) {
        sim.files().PutFile("C:\\Src\\Deep\\doc.txt", "v1");
        sim.files().PutFolder("C:\\Other");
    }
    bool Woken(uint32_t withinMs) {
        return sim.clock().Wait(*wake, withinMs).status == os::WaitStatus::Signalled;
    }

    os::sim::SimMachine sim;
    os::sim::SimClock::Participation here;
    std::unique_ptr<os::Event> wake;
    ChangeWatcher watcher;
};

TEST_F(ChangeWatcherTest, ASaveInASubfolderWakesTheEngineAndAnAttributeChangeDoesNot) {
    ASSERT_EQ(watcher.Start(*wake, {"C:\\Src\\"}), 0u);  // a trailing backslash is fine
    sim.clock().Sleep(10);
    ASSERT_EQ(sim.machine().files.SetAttributes("C:\\Src\\Deep\\doc.txt", os::kAttributeNormal),
              0u);
    EXPECT_FALSE(Woken(3000));
    sim.files().PutFile("C:\\Other\\x.txt", "not watched");
    EXPECT_FALSE(Woken(3000));
    sim.files().PutFile("C:\\Src\\Deep\\doc.txt", "v2");
    EXPECT_TRUE(Woken(3000));
    wake->Reset();
    sim.files().PutFile("C:\\Src\\new.txt", "again");  // the handle was re-armed
    EXPECT_TRUE(Woken(3000));
    watcher.Stop();
}

// A whole drive as a source folder: its root keeps its backslash ("G:" alone would be the drive's
// current folder).
TEST_F(ChangeWatcherTest, ADriveRootIsWatchedAsTheRoot) {
    sim.files().AddDrive("G:", os::DriveType::Fixed,
                         sim.files().CreateMedium(os::sim::SimMediumSpec{}));
    ASSERT_EQ(watcher.Start(*wake, {"G:\\"}), 0u);
    sim.clock().Sleep(10);
    sim.files().PutFile("C:\\Other\\x.txt", "not watched");
    EXPECT_FALSE(Woken(3000));
    sim.files().PutFile("G:\\Deep\\new.txt", "watched");
    EXPECT_TRUE(Woken(3000));
    EXPECT_FALSE(watcher.LastFailure());
    watcher.Stop();
}

TEST_F(ChangeWatcherTest, OneMissingFolderEndsTheWatchOfAllAndSaysWhich) {
    ASSERT_EQ(watcher.Start(*wake, {"C:\\Src", "C:\\Missing"}), 0u);
    EXPECT_TRUE(Woken(100));  // once, so that the engine looks at what ended the watch
    sim.clock().Sleep(100);   // the thread ends right after it
    EXPECT_FALSE(watcher.IsRunning());
    EXPECT_EQ(watcher.LastError(), os::kErrorFileNotFound);
    ASSERT_TRUE(watcher.LastFailure());
    EXPECT_EQ(watcher.LastFailure()->folder, "C:\\Missing");
    wake->Reset();
    sim.files().PutFile("C:\\Src\\Deep\\doc.txt", "v2");
    EXPECT_FALSE(Woken(3000));
    watcher.Stop();
    EXPECT_FALSE(watcher.LastFailure());  // a stopped watch has no failure to tell
}

TEST_F(ChangeWatcherTest, StopReturnsWithinASecond) {
    ASSERT_EQ(watcher.Start(*wake, {"C:\\Src"}), 0u);
    sim.clock().Sleep(5000);
    const uint64_t before = sim.clock().TickCount();
    watcher.Stop();
    EXPECT_LE(sim.clock().TickCount() - before, 1000u);
    EXPECT_FALSE(watcher.IsRunning());
}

TEST_F(ChangeWatcherTest, StopDoesNotWaitForAThreadStuckInTheSystem) {
    // Opening a notification on a share that does not answer takes five minutes.
    testing::HookedFileSystem files(sim.machine().files);
    files.beforeChangeNotification = [this](const std::string& folder) {
        if (folder == "C:\\Other") {
            sim.clock().Sleep(5 * 60 * 1000);
        }
    };
    ChangeWatcher slow(files, sim.clock());
    ASSERT_EQ(slow.Start(*wake, {"C:\\Src", "C:\\Other"}), 0u);
    sim.clock().Sleep(1000);
    const uint64_t before = sim.clock().TickCount();
    slow.Stop();
    EXPECT_LE(sim.clock().TickCount() - before, 1500u);
    // Started again meanwhile, it watches; the thread kept aside wakes no one when it ends.
    ASSERT_EQ(slow.Start(*wake, {"C:\\Src"}), 0u);
    sim.clock().Sleep(5 * 60 * 1000);
    EXPECT_FALSE(Woken(10));
    sim.files().PutFile("C:\\Src\\Deep\\doc.txt", "v2");
    EXPECT_TRUE(Woken(3000));
    slow.Stop();
}

TEST_F(ChangeWatcherTest, NoFoldersMeansNoThread) {
    EXPECT_EQ(watcher.Start(*wake, {}), 0u);
    EXPECT_FALSE(watcher.IsRunning());
}

TEST_F(ChangeWatcherTest, MoreFoldersThanOneWaitTakesAreAllWatched) {
    std::vector<std::string> folders;
    for (int i = 0; i < 150; ++i) {
        folders.push_back("C:\\Many\\F" + std::to_string(i));
        sim.files().PutFolder(folders.back());
    }
    ASSERT_EQ(watcher.Start(*wake, folders), 0u);
    sim.clock().Sleep(10);
    for (int i : {0, 63, 64, 127, 149}) {
        wake->Reset();
        sim.files().PutFile(folders[static_cast<size_t>(i)] + "\\x.txt", "x");
        EXPECT_TRUE(Woken(3000)) << "folder " << i;
    }
}

}  // namespace
}  // namespace engine
