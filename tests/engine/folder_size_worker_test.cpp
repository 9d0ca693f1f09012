// The folder sizes summed on a thread of their own: the latest request's total, never one that
// belongs to a list that changed meanwhile.

#include "engine/folder_size_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "os/sim/sim_machine.h"
#include "tests/os/forwarding_file_system.h"

namespace engine {
namespace {

using namespace std::chrono_literals;

// The simulated file system, with searches of one folder held until the test lets them go.
class GatedFiles final : public test::ForwardingFileSystem {
  public:
    GatedFiles(os::FileSystem& inner, std::string gatedPattern)
        : ForwardingFileSystem(inner), gated_(std::move(gatedPattern)) {}

    void Open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }
    bool WaitUntilHeld() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 5s, [this] { return held_ > 0; });
    }

    uint32_t FindFirst(const std::string& pattern, std::unique_ptr<os::DirectorySearch>& search,
                       os::FileInfo& first) override {
        if (pattern == gated_) {
            std::unique_lock lock(mutex_);
            ++held_;
            changed_.notify_all();
            changed_.wait(lock, [this] { return open_; });
        }
        return ForwardingFileSystem::FindFirst(pattern, search, first);
    }

  private:
    std::string gated_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    int held_ = 0;
};

// What the worker reported; the report comes just after the total is known.
struct Reports {
    std::mutex mutex;
    std::condition_variable added;
    std::vector<std::pair<uint64_t, uint64_t>> done;  // request, total
    void Add(uint64_t request, uint64_t total) {
        {
            std::lock_guard lock(mutex);
            done.emplace_back(request, total);
        }
        added.notify_all();
    }
    std::vector<std::pair<uint64_t, uint64_t>> WaitForOne() {
        std::unique_lock lock(mutex);
        added.wait_for(lock, 5s, [this] { return !done.empty(); });
        return done;
    }
};

class FolderSizeWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(sim.files().PutFile("C:\\Big\\a.bin", std::string(3000, 'a')), 0u);
        ASSERT_EQ(sim.files().PutFile("C:\\Big\\Deep\\b.bin", std::string(2000, 'b')), 0u);
        ASSERT_EQ(sim.files().PutFile("C:\\Small\\c.txt", std::string(10, 'c')), 0u);
    }
    os::sim::SimMachine sim;
    Reports reports;
};

TEST_F(FolderSizeWorkerTest, SumsTheFoldersOfARequestAndReportsOnce) {
    FolderSizeWorker worker(sim.machine().files,
                            [this](uint64_t r, uint64_t total) { reports.Add(r, total); });
    EXPECT_EQ(worker.LatestRequest(), 0u);
    const uint64_t request = worker.Request({"C:\\Big", "C:\\Small", "C:\\Missing"});
    EXPECT_EQ(request, 1u);
    ASSERT_TRUE(worker.WaitUntilDone(5s));
    EXPECT_EQ(worker.Total(request), 5010u);
    EXPECT_EQ(reports.WaitForOne(), (std::vector<std::pair<uint64_t, uint64_t>>{{1, 5010}}));
}

TEST_F(FolderSizeWorkerTest, AListThatChangedMeanwhileDropsTheOlderTotal) {
    GatedFiles gated(sim.machine().files, "C:\\Big\\Deep\\*.*");
    FolderSizeWorker worker(gated, [this](uint64_t r, uint64_t total) { reports.Add(r, total); });
    const uint64_t first = worker.Request({"C:\\Big"});
    ASSERT_TRUE(gated.WaitUntilHeld());  // the first sum is inside C:\Big now
    const uint64_t second = worker.Request({"C:\\Small"});
    EXPECT_FALSE(worker.Total(first).has_value());
    EXPECT_FALSE(worker.Total(second).has_value());  // not summed yet
    gated.Open();
    ASSERT_TRUE(worker.WaitUntilDone(5s));
    EXPECT_EQ(worker.Total(second), 10u);
    EXPECT_FALSE(worker.Total(first).has_value());
    EXPECT_EQ(reports.WaitForOne(), (std::vector<std::pair<uint64_t, uint64_t>>{{second, 10}}));
}

TEST_F(FolderSizeWorkerTest, AnEmptyListSumsToZeroAndAWorkerWithoutRequestsEndsAtOnce) {
    {
        FolderSizeWorker idle(sim.machine().files, nullptr);
        EXPECT_TRUE(idle.WaitUntilDone(0ms));
    }
    FolderSizeWorker worker(sim.machine().files, nullptr);
    const uint64_t request = worker.Request({});
    ASSERT_TRUE(worker.WaitUntilDone(5s));
    EXPECT_EQ(worker.Total(request), 0u);
}

TEST_F(FolderSizeWorkerTest, GoingAwayCancelsTheRunningSumWithoutReportingIt) {
    GatedFiles gated(sim.machine().files, "C:\\Big\\Deep\\*.*");
    std::atomic<int> calls{0};
    std::thread opener;
    {
        FolderSizeWorker worker(gated, [&calls](uint64_t, uint64_t) { ++calls; });
        worker.Request({"C:\\Big", "C:\\Small"});
        ASSERT_TRUE(gated.WaitUntilHeld());
        // The search is let go while the worker is being destroyed.
        opener = std::thread([&gated] {
            std::this_thread::sleep_for(20ms);
            gated.Open();
        });
    }
    opener.join();
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace engine
