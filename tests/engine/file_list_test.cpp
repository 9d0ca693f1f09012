// The file list: adding and removing by number and by path, the order index, the total.

#include <gtest/gtest.h>

#include "engine/file_list.h"
#include "os/errors.h"
#include "os/sim/sim_machine.h"

namespace engine {
namespace {

class FileListTest : public ::testing::Test {
  protected:
    FileListTest() : list(sim.machine().files) {}
    void Add(const std::string& path, os::FileTime time, uint64_t size) {
        list.AddEntry(path, time, size);
    }
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (size_t i = 0; i < list.Count(); ++i) {
            paths.push_back(list.EntryAt(i).path);
        }
        return paths;
    }
    std::vector<std::string> Sorted() const {
        std::vector<std::string> paths;
        for (size_t i = 0; i < list.IndexCount(); ++i) {
            paths.push_back(list.SortedAt(i).path);
        }
        return paths;
    }
    os::sim::SimMachine sim;
    FileList list;
};

TEST_F(FileListTest, AddFileReadsTimeAndSizeOrAddsNothing) {
    os::sim::SimPutOptions options;
    options.times = os::FileTimes{500, 1, 300};
    ASSERT_EQ(sim.files().PutFile("C:\\a.txt", "abc", options), 0u);
    EXPECT_EQ(list.AddFile("C:\\a.txt"), 0u);
    EXPECT_EQ(list.AddFile("C:\\missing.txt"), os::kErrorFileNotFound);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.EntryAt(0).time, 500u);  // the later of creation and last write
    EXPECT_EQ(list.Total(), 3u);
}

TEST_F(FileListTest, RemovingByPathTakesTheFirstMatchIgnoringCase) {
    Add("C:\\A.txt", 1, 10);
    Add("C:\\b.txt", 2, 20);
    Add("C:\\a.TXT", 3, 30);
    Add("C:\\Ärger.txt", 4, 40);
    EXPECT_TRUE(list.Contains("c:\\ärger.TXT"));
    EXPECT_TRUE(list.RemovePath("c:\\a.txt"));
    EXPECT_EQ(Paths(), (std::vector<std::string>{"C:\\b.txt", "C:\\a.TXT", "C:\\Ärger.txt"}));
    EXPECT_EQ(list.Total(), 90u);
    EXPECT_TRUE(list.RemovePath("C:\\A.TXT"));
    EXPECT_FALSE(list.RemovePath("C:\\a.txt"));
    EXPECT_FALSE(list.Contains("C:\\a.txt"));
    Add("C:\\a.txt", 5, 50);  // added after the index was built
    EXPECT_TRUE(list.Contains("C:\\A.TXT"));
    EXPECT_EQ(list.Count(), 3u);
}

TEST_F(FileListTest, TheOrderIsOldestFirstStableAndFollowsRemovals) {
    Add("C:\\c", 30, 1);
    Add("C:\\a1", 10, 1);
    Add("C:\\b", 20, 1);
    Add("C:\\a2", 10, 1);
    Add("C:\\skip", 5, 1000);
    list.OrderByTime([](const FileEntryView& e) { return e.size < 1000; });
    EXPECT_EQ(Sorted(), (std::vector<std::string>{"C:\\a1", "C:\\a2", "C:\\b", "C:\\c"}));
    list.RemovePath("C:\\a1");
    EXPECT_EQ(Sorted(), (std::vector<std::string>{"C:\\a2", "C:\\b", "C:\\c"}));
    list.RemoveAt(0);  // C:\c, the first entry now
    EXPECT_EQ(Sorted(), (std::vector<std::string>{"C:\\a2", "C:\\b"}));
    list.InsertIndex(0, list.Count() - 1);  // C:\skip
    EXPECT_EQ(list.SortedAt(0).path, "C:\\skip");
    list.ClearIndex();
    EXPECT_EQ(list.IndexCount(), 0u);
    EXPECT_EQ(list.Count(), 3u);
}

TEST_F(FileListTest, TheTotalNeverGoesBelowZeroAndClearEmptiesEverything) {
    Add("C:\\a", 1, 7);
    list.RemoveAt(0);
    list.RemoveAt(0);  // nothing there
    EXPECT_EQ(list.Total(), 0u);
    Add("C:\\" + std::string(70000, 'x'), 1, 1);  // longer than a block of paths
    Add("C:\\b", 2, 2);
    EXPECT_EQ(list.EntryAt(0).path.size(), 70003u);
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.IndexCount(), 0u);
    EXPECT_EQ(list.Total(), 0u);
    EXPECT_FALSE(list.Contains("C:\\b"));
}

TEST_F(FileListTest, CopyFromReadsEachFileAgainAndDropsTheGone) {
    ASSERT_EQ(sim.files().PutFile("C:\\kept.txt", "12345"), 0u);
    FileList other(sim.machine().files);
    other.AddEntry("C:\\kept.txt", 1, 1);
    other.AddEntry("C:\\gone.txt", 1, 1);
    list.AddEntry("C:\\old", 1, 1);
    list.CopyFrom(other);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"C:\\kept.txt"}));
    EXPECT_EQ(list.Total(), 5u);
}

TEST_F(FileListTest, HalfOfAHundredThousandRemovedByPathStaysLinear) {
    for (int i = 0; i < 100000; ++i) {
        Add("C:\\Data\\file " + std::to_string(i) + ".txt", static_cast<os::FileTime>(i), 1);
    }
    for (int i = 0; i < 100000; i += 2) {
        ASSERT_TRUE(list.RemovePath("C:\\Data\\FILE " + std::to_string(i) + ".TXT"));
    }
    EXPECT_EQ(list.Count(), 50000u);
    EXPECT_EQ(list.EntryAt(0).path, "C:\\Data\\file 1.txt");
    EXPECT_EQ(list.Total(), 50000u);
}

}  // namespace
}  // namespace engine
