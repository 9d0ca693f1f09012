// The copier under every single fault: a small pass with revisions is run once for each of its
// file-system and registry operations, with that one operation failing. Whatever fails, no
// backup copy or revision that was on the disk is lost or changed, nothing half-written sits
// under a backup's name, and a second pass without faults completes the backup.

#include <gtest/gtest.h>

#include <regex>

#include "os/errors.h"
#include "tests/engine/copier_fixture.h"

namespace engine::testing {
namespace {

constexpr char kOlder[] = "a, two versions ago";
constexpr char kRevisionFolder[] = "Corvant Ferrolin 2 Revisions\\Data\\";

// One machine with the pass's starting point: a backup to replace (read-only), one to replace
// with its revision kept, a new file in a new folder, and a file on the retry list.
struct Rig {
    Rig() {
        os::sim::SimMediumSpec setup;
        setup.capacityBytes = 64ULL << 20;
        machine.files().AddDrive("F:", os::DriveType::Removable,
                                 machine.files().CreateMedium(setup));
        PutSource("C:\\Data\\a.txt", "a, new");
        PutSource("C:\\Data\\Sub\\b.txt", "b, new");
        PutSource("C:\\Data\\c.txt", std::string(70000, 'c'));  // three blocks
        PutSource("C:\\Data\\r.txt", "r, retried");
        PutBackup("F:\\Data\\a.txt", "a, old", os::kAttributeReadOnly);
        PutBackup("F:\\Data\\c.txt", "c, old", os::kAttributeHidden);
        PutBackup(std::string("F:\\") + kRevisionFolder + "a.(1).txt", kOlder, 0);
        copier = std::make_unique<FileCopier>(files, owner, store, 2);
        EXPECT_EQ(scanner.ScanFolder("C:\\Data", {}, At(0), candidates), 0u);
        EXPECT_EQ(retries.AddFile("C:\\Data\\r.txt"), 0u);
        before = FilesUnder(machine.files(), "F:\\");
    }
    void PutSource(const std::string& path, const std::string& contents) {
        os::sim::SimPutOptions options;
        options.times = os::FileTimes{At(10), At(10), At(10)};
        EXPECT_EQ(machine.files().PutFile(path, contents, options), 0u);
    }
    void PutBackup(const std::string& path, const std::string& contents, uint32_t attributes) {
        os::sim::SimPutOptions options;
        options.attributes = attributes;
        options.times = os::FileTimes{At(-100), At(-100), At(-100)};
        EXPECT_EQ(machine.files().PutFile(path, contents, options), 0u);
    }
    uint32_t Pass() { return copier->CopyPass(candidates, "F:", retries, watermark); }

    os::sim::SimMachine machine;
    HookedFileSystem files{machine.files()};
    settings::CKRVSettingsStore store{machine.registry()};
    RecordingOwner owner;
    std::unique_ptr<FileCopier> copier;
    FolderScanner scanner{files};
    FileList candidates{files};
    FileList retries{files};
    os::FileTime watermark = At(0);
    Tree before;
};

const Tree kNewBackups = {
    {"Data\\a.txt", "a, new"},
    {"Data\\Sub\\b.txt", "b, new"},
    {"Data\\c.txt", std::string(70000, 'c')},
    {"Data\\r.txt", "r, retried"},
};

bool IsTemporaryPath(const std::string& relative) {
    return IsTemporaryName(relative.substr(relative.rfind('\\') + 1));
}

// After a pass with one fault: every backup is its old or its new version, complete; nothing
// that was there is gone; a replaced copy of a.txt has its revision; temporary files remain only
// where deleting them was what failed.
void CheckAfterFault(Rig& rig, uint64_t n, uint32_t error) {
    SCOPED_TRACE("operation " + std::to_string(n) + " failing with " + std::to_string(error));
    const Tree after = FilesUnder(rig.machine.files(), "F:\\");
    for (const auto& [path, contents] : rig.before) {
        auto found = after.find(path);
        ASSERT_NE(found, after.end()) << "lost: " << path;
        const auto replacement = kNewBackups.find(path);
        if (found->second != contents) {
            ASSERT_NE(replacement, kNewBackups.end()) << "changed: " << path;
            EXPECT_EQ(found->second, replacement->second) << "torn: " << path;
        }
    }
    const std::regex revision(
        std::string("Corvant Ferrolin 2 Revisions\\\\Data\\\\a\\.\\((\\d+)\\)\\.txt"));
    bool newRevisionOfA = false;
    for (const auto& [path, contents] : after) {
        if (rig.before.count(path) != 0) {
            continue;
        }
        std::smatch number;
        if (IsTemporaryPath(path)) {
            bool deleteFailed = false;
            for (const std::string& failed : rig.files.failedDeletes) {
                deleteFailed = deleteFailed || failed == "F:\\" + path;
            }
            EXPECT_TRUE(deleteFailed) << "temporary file left: " << path;
        } else if (std::regex_match(path, number, revision)) {
            EXPECT_EQ(number[1], "2") << path;
            EXPECT_EQ(contents, "a, old") << "torn revision: " << path;
            newRevisionOfA = true;
        } else if (path == std::string(kRevisionFolder) + "c.(1).txt") {
            EXPECT_EQ(contents, "c, old");
        } else {
            auto expected = kNewBackups.find(path);
            ASSERT_NE(expected, kNewBackups.end()) << "unexpected: " << path;
            EXPECT_EQ(contents, expected->second) << "torn: " << path;
        }
    }
    if (after.at("Data\\a.txt") == "a, new") {
        EXPECT_TRUE(newRevisionOfA) << "a.txt was replaced without its revision";
    }
}

// A second pass without faults, from where the first one left the watermark and the retry
// list, completes the backup.
void CheckSecondPass(Rig& rig, uint64_t n, uint32_t error) {
    SCOPED_TRACE("second pass after operation " + std::to_string(n) + " failed with " +
                 std::to_string(error));
    rig.machine.ClearFaults();
    rig.owner.onDiskFull = nullptr;
    ASSERT_EQ(rig.scanner.ScanFolder("C:\\Data", {}, rig.watermark, rig.candidates), 0u);
    ASSERT_EQ(rig.Pass(), 0u);
    Tree mirror;
    for (const auto& [path, contents] : FilesUnder(rig.machine.files(), "F:\\")) {
        if (path.rfind("Corvant Ferrolin 2 Revisions\\", 0) == 0) {
            EXPECT_FALSE(IsTemporaryPath(path)) << path;
            EXPECT_TRUE(contents == "a, old" || contents == kOlder || contents == "c, old")
                << path << " holds " << contents.substr(0, 20);
        } else {
            mirror[path] = contents;
        }
    }
    EXPECT_EQ(mirror, kNewBackups);
    EXPECT_EQ(rig.retries.Count(), 0u);
}

void Sweep(uint32_t error) {
    uint64_t operations = 0;
    {
        Rig clean;
        const uint64_t start = clean.machine.OperationCount();
        ASSERT_EQ(clean.Pass(), 0u);
        operations = clean.machine.OperationCount() - start;
        ASSERT_TRUE(HoldsExactly(clean.machine.files(), "F:\\",
                                 {{"Data\\a.txt", "a, new"},
                                  {"Data\\Sub\\b.txt", "b, new"},
                                  {"Data\\c.txt", std::string(70000, 'c')},
                                  {"Data\\r.txt", "r, retried"},
                                  {std::string(kRevisionFolder) + "a.(1).txt", kOlder},
                                  {std::string(kRevisionFolder) + "a.(2).txt", "a, old"},
                                  {std::string(kRevisionFolder) + "c.(1).txt", "c, old"}}));
    }
    ASSERT_GT(operations, 40u);
    for (uint64_t n = 1; n <= operations; ++n) {
        Rig rig;
        rig.machine.FailNthOperation(n, error);
        const uint32_t result = rig.Pass();
        EXPECT_TRUE(result == 0 || result == error) << "operation " << n << ": " << result;
        CheckAfterFault(rig, n, error);
        CheckSecondPass(rig, n, error);
    }
}

TEST(CopierFaults, AnyOperationFailingWithADeviceError) {
    Sweep(1117);
}

TEST(CopierFaults, AnyOperationFailingAsBusy) {
    Sweep(os::kErrorSharingViolation);
}

TEST(CopierFaults, AnyOperationFailingWithAFullDiskTheUserGivesUpOn) {
    Sweep(os::kErrorDiskFull);
}

TEST(CopierFaults, TheMediumLeavingTheDriveMidCopy) {
    for (uint64_t bytes : {1ULL, 6ULL, 40000ULL, 70005ULL, 70020ULL}) {
        Rig rig;
        std::shared_ptr<os::sim::SimMedium> medium = rig.machine.files().MediumIn("F:");
        rig.machine.files().RemoveMediumAfter("F:", bytes);
        rig.Pass();
        rig.machine.files().EjectMedium("F:");
        rig.machine.files().InsertMedium("F:", medium);  // back as it was left
        CheckAfterFault(rig, bytes, os::kErrorDeviceNotConnected);
        CheckSecondPass(rig, bytes, os::kErrorDeviceNotConnected);
    }
}

}  // namespace
}  // namespace engine::testing
