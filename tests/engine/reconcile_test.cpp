// The reconciliation of the source folders with the backup disk: what it takes as candidates,
// what it leaves, and what it costs in searches.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine/folder_scanner.h"
#include "os/errors.h"
#include "os/sim/sim_machine.h"

namespace engine {
namespace {

constexpr char kDocs[] = "C:\\Users\\User\\Documents";
constexpr os::FileTime kTime = 134'000'000'000'000'000ULL + 1'234'567;  // on no 2 s step

class ReconcileTest : public ::testing::Test {
  protected:
    explicit ReconcileTest(const std::string& fileSystem = "FAT32") {
        os::sim::SimMediumSpec setup;
        setup.fileSystem = fileSystem;
        setup.capacityBytes = 256ULL << 20;
        sim.files().AddDrive("F:", os::DriveType::Removable, sim.files().CreateMedium(setup));
        rules = TimeRulesOf(fileSystem);
    }

    // A source file and, unless withCopy is false, its backup as a pass would have made it.
    void Put(const std::string& relative, const std::string& contents, bool withCopy = true) {
        os::sim::SimPutOptions options;
        options.times = os::FileTimes{kTime, kTime, kTime};
        ASSERT_EQ(sim.files().PutFile(std::string(kDocs) + "\\" + relative, contents, options),
                  os::kErrorSuccess);
        if (withCopy) {
            ASSERT_EQ(
                sim.files().PutFile("F:\\Users\\User\\Documents\\" + relative, contents, options),
                os::kErrorSuccess);
        }
    }

    std::set<std::string> Reconcile(const std::vector<std::string>& exclusions = {}) {
        EXPECT_EQ(scanner.ReconcileFolder(kDocs, exclusions, "F:", rules, candidates),
                  os::kErrorSuccess);
        std::set<std::string> paths;
        for (size_t i = 0; i < candidates.Count(); ++i) {
            paths.insert(candidates.EntryAt(i).path.substr(sizeof kDocs));
        }
        return paths;
    }

    os::sim::SimMachine sim;
    FolderScanner scanner{sim.machine().files};
    FileList candidates{sim.machine().files};
    DiskTimeRules rules;
};

TEST_F(ReconcileTest, TakesWhatIsMissingOrDifferentAndNothingElse) {
    Put("same.txt", "same");
    Put("missing.txt", "gone from the disk", false);
    Put("Deep\\Deeper\\moved in.txt", "a folder the disk never saw", false);
    Put("shorter.txt", "longer on the disk");
    ASSERT_EQ(sim.files().PutFile("F:\\Users\\User\\Documents\\shorter.txt", "longer!"),
              os::kErrorSuccess);
    Put("older.txt", "same size");
    os::sim::SimPutOptions older;
    older.times = os::FileTimes{kTime, kTime, kTime - 10 * os::kFileTimeTicksPerSecond};
    ASSERT_EQ(sim.files().PutFile("F:\\Users\\User\\Documents\\older.txt", "same size", older),
              os::kErrorSuccess);
    Put("skipped.tmp", "excluded", false);
    Put("already.txt", "on the list", false);
    candidates.AddEntry(std::string(kDocs) + "\\already.txt", kTime, 11);
    // A folder of the disk with a file's name is no copy of it.
    Put("folder on disk.txt", "x", false);
    ASSERT_EQ(sim.files().PutFolder("F:\\Users\\User\\Documents\\folder on disk.txt"),
              os::kErrorSuccess);

    EXPECT_EQ(
        Reconcile({"tmp"}),
        (std::set<std::string>{"already.txt", "Deep\\Deeper\\moved in.txt", "folder on disk.txt",
                               "missing.txt", "older.txt", "shorter.txt"}));
    // Taken once: a second reconciliation finds them on the list already.
    const size_t count = candidates.Count();
    Reconcile({"tmp"});
    EXPECT_EQ(candidates.Count(), count);
}

TEST_F(ReconcileTest, SummerTimeOnAFatDiskIsNoChange) {
    Put("a.txt", "a");
    Put("Sub\\b.txt", "b");
    sim.clock().SetTimeZoneBias(sim.clock().TimeZoneBias() - 60);
    EXPECT_TRUE(Reconcile().empty());
}

TEST_F(ReconcileTest, ABackupFolderThatCannotBeSearchedTakesNoneOfItsFiles) {
    Put("Locked\\a.txt", "a", false);
    Put("Open\\b.txt", "b", false);
    sim.FailOperation(os::sim::SimOperation::Find, "F:\\Users\\User\\Documents\\Locked\\*",
                      os::kErrorAccessDenied);
    EXPECT_EQ(Reconcile(), std::set<std::string>{"Open\\b.txt"});
    EXPECT_TRUE(scanner.Skipped().empty());  // the source folders were all searched
}

TEST_F(ReconcileTest, SearchesEachBackupFolderAboutOnce) {
    // 20 folders of 50 files, each folder with two subfolders between its files.
    for (int f = 0; f < 20; ++f) {
        for (int i = 0; i < 50; ++i) {
            const std::string folder = "F" + std::to_string(f) + "\\";
            Put(folder + "file" + std::to_string(100 + i) + ".txt", "x");
            if (i == 10 || i == 30) {
                Put(folder + "file" + std::to_string(100 + i) + "\\inner.txt", "y");
            }
        }
    }
    sim.files().calls().Reset();
    EXPECT_TRUE(Reconcile().empty());
    const uint64_t folders = 1 + 20 + 40;
    const uint64_t searches = sim.files().calls().Of(os::sim::SimCall::FindFirst);
    // Each source folder once, each backup folder once, and again after each subfolder.
    EXPECT_LE(searches, 2 * folders + 2 * 20);
    EXPECT_EQ(sim.files().calls().Of(os::sim::SimCall::GetFileInfo), 0u);
    EXPECT_EQ(sim.files().calls().Of(os::sim::SimCall::Open), 0u);
}

class ReconcileNtfsTest : public ReconcileTest {
  protected:
    ReconcileNtfsTest() : ReconcileTest("NTFS") {}
};

TEST_F(ReconcileNtfsTest, ATickOfDifferenceIsAnotherVersion) {
    Put("a.txt", "a");
    os::sim::SimPutOptions later;
    later.times = os::FileTimes{kTime, kTime, kTime + 1};
    ASSERT_EQ(sim.files().PutFile(std::string(kDocs) + "\\a.txt", "a", later), os::kErrorSuccess);
    EXPECT_EQ(Reconcile(), std::set<std::string>{"a.txt"});
}

}  // namespace
}  // namespace engine
