// The changed-file scan and the folder sizes over the simulated machine: which files count as
// changed, exclusions, the order of the walk, links, deep trees, unreadable folders, cancelling.

#include <gtest/gtest.h>

#include "os/errors.h"
#include "tests/engine/copier_fixture.h"

namespace engine::testing {
namespace {

using os::kAttributeArchive;
using os::kAttributeHidden;
using os::kAttributeSystem;
using os::kAttributeTemporary;

class ScannerTest : public CopierTest {
  protected:
    // A file with separate creation and last-write times.
    void PutTimes(const std::string& path, os::FileTime creation, os::FileTime lastWrite,
                  uint32_t attributes) {
        os::sim::SimPutOptions options;
        options.attributes = attributes;
        options.times = os::FileTimes{creation, lastWrite, lastWrite};
        ASSERT_EQ(sim().PutFile(path, "x", options), 0u);
    }
    std::vector<std::string> Found(os::FileTime since,
                                   const std::vector<std::string>& exclusions = {}) {
        FileList list(files);
        EXPECT_EQ(scanner.ScanFolder("C:\\Data", exclusions, since, list), 0u);
        std::vector<std::string> paths;
        for (size_t i = 0; i < list.Count(); ++i) {
            paths.push_back(list.EntryAt(i).path.substr(8));  // after "C:\Data\"
        }
        return paths;
    }
};

TEST_F(ScannerTest, ChangedMeansCreatedOrWrittenSinceOrMarkedForArchiving) {
    const os::FileTime since = At(0);
    PutTimes("C:\\Data\\copied-in.txt", At(10), At(-100), 0);  // created since, written before
    PutTimes("C:\\Data\\temp-created.txt", At(10), At(-100), kAttributeTemporary);
    PutTimes("C:\\Data\\temp-written.txt", At(-100), At(10), kAttributeTemporary);
    PutTimes("C:\\Data\\temp-archive.txt", At(10), At(-100),
             kAttributeTemporary | kAttributeArchive);
    PutTimes("C:\\Data\\archive.txt", At(-100), At(-100), kAttributeArchive);
    PutTimes("C:\\Data\\old.txt", At(-100), At(-100), 0);
    PutTimes("C:\\Data\\exactly.txt", since, since, 0);
    PutTimes("C:\\Data\\hidden.txt", At(-100), At(10), kAttributeHidden | kAttributeSystem);
    EXPECT_EQ(Found(since), (std::vector<std::string>{"archive.txt", "copied-in.txt", "hidden.txt",
                                                      "temp-archive.txt", "temp-written.txt"}));
}

TEST_F(ScannerTest, AZeroLastSyncTimeTakesEveryFileWhateverItsTimes) {
    PutTimes("C:\\Data\\a.txt", At(-100), At(-100), 0);
    PutTimes("C:\\Data\\epoch.txt", 0, 0, 0);
    PutTimes("C:\\Data\\temp.txt", At(-100), At(-100), kAttributeTemporary);
    EXPECT_EQ(Found(0), (std::vector<std::string>{"a.txt", "epoch.txt", "temp.txt"}));
}

TEST_F(ScannerTest, ExcludedTypesAreLeftOut) {
    for (const char* name : {"Report.DOC", "x.tmp", "x.tmp.bak", "README", "a.tar.gz"}) {
        Put(std::string("C:\\Data\\My.Folder\\") + name, "x", At(5));
    }
    EXPECT_EQ(Found(0, {"doc", "TMP", "tar.gz"}),
              (std::vector<std::string>{"My.Folder\\README", "My.Folder\\x.tmp.bak"}));
}

TEST_F(ScannerTest, WalksEachSubfolderBeforeTheNextEntryAndTakesTheSearchesSizes) {
    Put("C:\\Data\\a.txt", "a", At(5));
    Put("C:\\Data\\b\\c.txt", "cc", At(5));
    Put("C:\\Data\\b\\d\\e.txt", "eee", At(5));
    Put("C:\\Data\\f.txt", "ffff", At(5));
    ASSERT_EQ(scanner.ScanFolder("C:\\Data\\", {}, 0, candidates), 0u);
    ASSERT_EQ(candidates.Count(), 4u);
    EXPECT_EQ(candidates.EntryAt(0).path, "C:\\Data\\a.txt");
    EXPECT_EQ(candidates.EntryAt(1).path, "C:\\Data\\b\\c.txt");
    EXPECT_EQ(candidates.EntryAt(2).path, "C:\\Data\\b\\d\\e.txt");
    EXPECT_EQ(candidates.EntryAt(3).path, "C:\\Data\\f.txt");
    EXPECT_EQ(candidates.Total(), 10u);
    EXPECT_EQ(candidates.EntryAt(2).time, At(5));
}

TEST_F(ScannerTest, DoesNotFollowALinkBackUpTheTree) {
    Put("C:\\Users\\Ann\\Documents\\letter.txt", "l", At(5));
    ASSERT_EQ(sim().PutFolder("C:\\Users\\Ann\\Application Data"), 0u);
    files.AddLink("C:\\Users\\Ann\\Application Data", "C:\\Users\\Ann");  // as profiles have
    FileList list(files);
    ASSERT_EQ(scanner.ScanFolder("C:\\Users", {}, 0, list), 0u);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.EntryAt(0).path, "C:\\Users\\Ann\\Documents\\letter.txt");
    EXPECT_EQ(scanner.FolderSize("C:\\Users"), 1u);
}

TEST_F(ScannerTest, SurvivesTreesNestedThousandsDeep) {
    std::string path = "C:\\Data";
    for (int i = 0; i < 1500; ++i) {
        path += "\\d";
    }
    Put(path + "\\bottom.txt", "b", At(5));
    ASSERT_EQ(Scan(), 0u);
    ASSERT_EQ(candidates.Count(), 1u);
    EXPECT_EQ(candidates.EntryAt(0).path, path + "\\bottom.txt");
}

TEST_F(ScannerTest, AFolderThatCannotBeSearchedIsSkippedAndNamed) {
    Put("C:\\Data\\Locked\\secret.txt", "s", At(5));
    Put("C:\\Data\\open.txt", "o", At(5));
    machine.FailOperation(os::sim::SimOperation::Find, "C:\\Data\\Locked*", os::kErrorAccessDenied);
    EXPECT_EQ(Found(0), (std::vector<std::string>{"open.txt"}));
    ASSERT_EQ(scanner.Skipped().size(), 1u);
    EXPECT_EQ(scanner.Skipped()[0].path, "C:\\Data\\Locked");
    EXPECT_EQ(scanner.Skipped()[0].error, os::kErrorAccessDenied);

    FileList list(files);
    EXPECT_EQ(scanner.ScanFolder("C:\\Missing", {}, 0, list), 0u);
    EXPECT_EQ(list.Count(), 0u);
    ASSERT_EQ(scanner.Skipped().size(), 1u);
    EXPECT_EQ(scanner.Skipped()[0].error, os::kErrorPathNotFound);
    EXPECT_EQ(scanner.FolderSize("C:\\Missing"), 0u);
    EXPECT_EQ(scanner.ScanFolder("", {}, 0, list), 0u);
}

TEST_F(ScannerTest, CancelStopsAfterTheCurrentEntry) {
    for (int i = 0; i < 5; ++i) {
        Put("C:\\Data\\f" + std::to_string(i) + "\\x.txt", "12345", At(5));
    }
    int searches = 0;
    files.beforeFind = [&](const std::string&) {
        if (++searches == 3) {
            scanner.Cancel();
        }
    };
    EXPECT_EQ(Scan(), os::kErrorOperationAborted);
    EXPECT_EQ(candidates.Count(), 1u);
    searches = 0;
    EXPECT_EQ(scanner.FolderSize("C:\\Data"), 5u);  // what was summed so far
    files.beforeFind = nullptr;
    EXPECT_EQ(scanner.FolderSize("C:\\Data"), 25u);  // the flag is cleared at the start
}

// The folder observer is asked before each folder is searched; its "no" stops a scan, a
// reconciliation or a size there, with what was found before it.
TEST_F(ScannerTest, TheFolderObserverStopsAWalkBeforeTheNextFolder) {
    for (int i = 0; i < 5; ++i) {
        Put("C:\\Data\\f" + std::to_string(i) + "\\x.txt", "12345", At(5));
    }
    int asked = 0;
    scanner.SetFolderObserver([&] { return ++asked < 3; });  // C:\Data and f0, not f1
    EXPECT_EQ(Scan(), os::kErrorOperationAborted);
    ASSERT_EQ(candidates.Count(), 1u);
    EXPECT_EQ(candidates.EntryAt(0).path, "C:\\Data\\f0\\x.txt");
    asked = 0;
    EXPECT_EQ(scanner.FolderSize("C:\\Data\\"), 5u);
    asked = 0;
    FileList missing(files);
    EXPECT_EQ(scanner.ReconcileFolder("C:\\Data", {}, "F:", TimeRulesOf("NTFS"), missing),
              os::kErrorOperationAborted);
    ASSERT_EQ(missing.Count(), 1u);
    EXPECT_EQ(missing.EntryAt(0).path, "C:\\Data\\f0\\x.txt");
    scanner.SetFolderObserver([] { return true; });
    EXPECT_EQ(scanner.FolderSize("C:\\Data\\"), 25u);
    missing.Clear();
    EXPECT_EQ(scanner.ReconcileFolder("C:\\Data", {}, "F:", TimeRulesOf("NTFS"), missing), 0u);
    EXPECT_EQ(missing.Count(), 5u);
    EXPECT_EQ(scanner.ReconcileFolder("", {}, "F:", TimeRulesOf("NTFS"), missing), 0u);
}

// An empty drive root has no entries at all, not even "." and "..": its search finds nothing
// (2), which is not a folder that cannot be searched.
TEST_F(ScannerTest, AnEmptyDriveRootIsEmptyNotUnsearchable) {
    sim().AddDrive("G:", os::DriveType::Removable, sim().CreateMedium(os::sim::SimMediumSpec{}));
    FileList list(files);
    EXPECT_EQ(scanner.ScanFolder("G:\\", {}, 0, list), 0u);
    EXPECT_TRUE(scanner.Skipped().empty());
    EXPECT_EQ(scanner.FolderSize("G:\\"), 0u);
    EXPECT_TRUE(scanner.Skipped().empty());
    EXPECT_EQ(scanner.ReconcileFolder("G:\\", {}, "F:", TimeRulesOf("NTFS"), list), 0u);
    EXPECT_TRUE(scanner.Skipped().empty());
    EXPECT_EQ(list.Count(), 0u);
}

TEST_F(ScannerTest, FolderSizeCountsEveryFileInSixtyFourBits) {
    os::sim::SimPutOptions options;
    ASSERT_EQ(sim().PutSparseFile("C:\\Data\\video.mkv", 5ULL << 30, options), 0u);
    ASSERT_EQ(sim().PutFile("C:\\Data\\sub\\a.txt", "abc"), 0u);
    ASSERT_EQ(sim().PutFolder("C:\\Data\\empty"), 0u);
    EXPECT_EQ(scanner.FolderSize("C:\\Data"), (5ULL << 30) + 3);
    EXPECT_EQ(scanner.FolderSize("C:\\Data\\empty"), 0u);
}

}  // namespace
}  // namespace engine::testing
