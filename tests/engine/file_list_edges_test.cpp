// The file list's index under the uses a pass makes of it: lookups between additions as the list
// grows, removals mixed with an order that leaves some entries out, names that are not valid
// text, and paths longer than a storage block.

#include <gtest/gtest.h>

#include "engine/file_list.h"
#include "os/sim/sim_machine.h"

namespace engine {
namespace {

class FileListEdgesTest : public ::testing::Test {
  protected:
    FileListEdgesTest() : list(sim.machine().files) {}
    static std::string Name(int i) { return "C:\\Data\\file" + std::to_string(i) + ".txt"; }
    os::sim::SimMachine sim;
    FileList list;
};

// A path looked up after every addition is always found, however often the index grows, and one
// never added is never found: a miss would let a file into the retry list twice, a false hit
// would keep one out of it.
TEST_F(FileListEdgesTest, LookupsBetweenAdditionsFindEveryPathAsTheIndexGrows) {
    for (int i = 0; i < 300; ++i) {
        list.AddEntry(Name(i), static_cast<os::FileTime>(i), 1);
        ASSERT_TRUE(list.Contains(Name(i))) << i;
        ASSERT_TRUE(list.Contains(Name(i / 2))) << i;
        ASSERT_FALSE(list.Contains(Name(i + 1))) << i;
    }
    EXPECT_EQ(list.Count(), 300u);
    EXPECT_EQ(list.Total(), 300u);
}

TEST_F(FileListEdgesTest, TheOrderLeavesOutFilteredEntriesAndSurvivesRemovals) {
    for (int i = 0; i < 6; ++i) {
        list.AddEntry(Name(i), static_cast<os::FileTime>(100 - i), 10);
    }
    // Odd numbers only, oldest first.
    list.OrderByTime([](const FileEntryView& e) {
        return e.path.find("file1") != std::string_view::npos ||
               e.path.find("file3") != std::string_view::npos ||
               e.path.find("file5") != std::string_view::npos;
    });
    ASSERT_EQ(list.IndexCount(), 3u);
    EXPECT_EQ(list.SortedAt(0).path, Name(5));
    // Removing an entry the order left out, and one it holds, by path and by number.
    EXPECT_TRUE(list.RemovePath(Name(2)));
    EXPECT_TRUE(list.RemovePath(Name(3)));
    ASSERT_EQ(list.IndexCount(), 2u);
    EXPECT_EQ(list.SortedAt(0).path, Name(5));
    EXPECT_EQ(list.SortedAt(1).path, Name(1));
    list.RemoveAt(0);  // file0
    EXPECT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.Total(), 30u);
    EXPECT_EQ(list.EntryAt(0).path, Name(1));
    list.RemoveAt(7);  // past the end: nothing
    EXPECT_EQ(list.Count(), 3u);
}

TEST_F(FileListEdgesTest, NamesThatAreNotValidTextAreFoundByTheirExactBytesIgnoringCase) {
    const std::string odd = "C:\\Data\\a\xFF\xFE.txt";
    list.AddEntry(odd, 1, 1);
    list.AddEntry("C:\\Data\\a\xFF\xFD.txt", 1, 1);
    EXPECT_TRUE(list.Contains("c:\\data\\A\xFF\xFE.TXT"));
    EXPECT_TRUE(list.RemovePath("C:\\DATA\\a\xFF\xFE.txt"));
    EXPECT_FALSE(list.Contains(odd));
    EXPECT_TRUE(list.Contains("C:\\Data\\a\xFF\xFD.txt"));
}

TEST_F(FileListEdgesTest, PathsLongerThanABlockAndEmptyOnesAreKeptWhole) {
    const std::string longPath = "C:\\" + std::string(100'000, 'x');
    list.AddEntry("C:\\Data\\before.txt", 1, 1);
    list.AddEntry(longPath, 2, 2);
    list.AddEntry("", 3, 3);
    list.AddEntry("C:\\Data\\after.txt", 4, 4);
    ASSERT_EQ(list.Count(), 4u);
    EXPECT_EQ(list.EntryAt(0).path, "C:\\Data\\before.txt");
    EXPECT_EQ(list.EntryAt(1).path, longPath);
    EXPECT_EQ(list.EntryAt(2).path, "");
    EXPECT_EQ(list.EntryAt(3).path, "C:\\Data\\after.txt");
    EXPECT_TRUE(list.Contains(longPath));
    EXPECT_EQ(FileSizeOf(sim.machine().files, "C:\\Data\\gone.txt"), 0u);
    os::FileTime time = 7;
    EXPECT_NE(FileTimeOf(sim.machine().files, "C:\\Data\\gone.txt", time), 0u);
    EXPECT_EQ(time, 0u);
}

}  // namespace
}  // namespace engine
