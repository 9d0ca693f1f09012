// The change watcher over a real file system (Windows, or Wine in the Windows tree): a save in a
// subfolder wakes the engine, an attribute change does not, a missing folder ends the watch, and
// Stop returns within about a second.

#include "engine/change_watcher.h"

#include "os/errors.h"
#include "tests/os/contract/port_environment.h"

namespace engine {
namespace {

class ChangeWatcherRealTest : public contract::ContractTest {
  protected:
    uint32_t Write(const std::string& path, const std::string& contents) {
        std::unique_ptr<os::File> file;
        if (const uint32_t error = files().Open(
                path, {os::kAccessWrite, os::kShareNone, os::Disposition::CreateAlways, 0, 0},
                file)) {
            return error;
        }
        uint32_t written = 0;
        if (const uint32_t error =
                file->Write(contents.data(), static_cast<uint32_t>(contents.size()), written)) {
            return error;
        }
        return file->Close();
    }
    // The pass would enumerate the folders after the watch began; Wine's subtree watches need
    // that to cover subfolders.
    void Enumerate(const std::string& pattern) {
        std::unique_ptr<os::DirectorySearch> search;
        os::FileInfo entry;
        if (files().FindFirst(pattern, search, entry) == os::kErrorSuccess) {
            while (search->Next(entry) == os::kErrorSuccess) {
            }
        }
    }
    bool Woken(os::Event& wake, uint32_t withinMs) {
        return clock().Wait(wake, withinMs).status == os::WaitStatus::Signalled;
    }
};

TEST_F(ChangeWatcherRealTest, SavesWakeTheEngineAndAttributeChangesDoNot) {
    ASSERT_EQ(files().CreateDirectory(at("Deep")), os::kErrorSuccess);
    ASSERT_EQ(Write(at("Deep\\doc.txt"), "v1"), os::kErrorSuccess);
    auto wake = clock().CreateEvent(true, false);
    ChangeWatcher watcher(files(), clock());
    ASSERT_EQ(watcher.Start(*wake, {scratch()}), os::kErrorSuccess);
    clock().Sleep(300);
    Enumerate(at("Deep\\*"));
    clock().Sleep(300);
    wake->Reset();
    ASSERT_EQ(files().SetAttributes(at("Deep\\doc.txt"), os::kAttributeHidden), os::kErrorSuccess);
    ASSERT_EQ(files().SetAttributes(at("Deep\\doc.txt"), os::kAttributeNormal), os::kErrorSuccess);
    EXPECT_FALSE(Woken(*wake, 1500));
    ASSERT_EQ(Write(at("Deep\\doc.txt"), "version 2"), os::kErrorSuccess);
    EXPECT_TRUE(Woken(*wake, 5000));
    const uint64_t before = clock().TickCount();
    watcher.Stop();
    EXPECT_LE(clock().TickCount() - before, 1600u);
    EXPECT_FALSE(watcher.IsRunning());
}

TEST_F(ChangeWatcherRealTest, AMissingFolderEndsTheWatch) {
    auto wake = clock().CreateEvent(true, false);
    ChangeWatcher watcher(files(), clock());
    ASSERT_EQ(watcher.Start(*wake, {scratch(), at("Missing")}), os::kErrorSuccess);
    for (int i = 0; i < 50 && watcher.IsRunning(); ++i) {
        clock().Sleep(20);
    }
    EXPECT_FALSE(watcher.IsRunning());
    EXPECT_NE(watcher.LastError(), os::kErrorSuccess);
}

}  // namespace
}  // namespace engine
