// The copier when one step of a file's copy fails: the source cannot be opened as first asked,
// the temporary copy cannot be made, written, flushed, named, finished or closed, the old copy
// will not make way, or the source's archive attribute stays. Whatever fails, the disk holds the
// previous copy or the complete new one under the file's name and nothing half-made, and the
// file is either copied, reported, or kept due for the next pass.

#include <gtest/gtest.h>

#include "os/errors.h"
#include "tests/engine/copier_fixture.h"

namespace engine::testing {
namespace {

using os::kAttributeArchive;
using os::kAttributeReadOnly;
using os::sim::SimOperation;

constexpr char kTemporaries[] = "F:\\Data\\~Ferrolin2-*";
constexpr uint32_t kDeviceError = 1117;

class CopierErrorsTest : public CopierTest {
  protected:
    // A backup of a.txt from an earlier pass, older than the source.
    void PutOldCopy(const std::string& contents, uint32_t attributes = kAttributeArchive) {
        os::sim::SimPutOptions old;
        old.attributes = attributes;
        old.times = os::FileTimes{At(-900), At(-900), At(-900)};
        ASSERT_EQ(sim().PutFile("F:\\Data\\a.txt", contents, old), 0u);
    }
    // Another program's handle on path.
    std::unique_ptr<os::File> Hold(const std::string& path, uint32_t access, uint32_t share) {
        std::unique_ptr<os::File> held;
        EXPECT_EQ(sim().Open(path, {access, share, os::Disposition::OpenExisting, 0, 0}, held), 0u);
        return held;
    }
    // Another medium in F: in place of the test's disk.
    void NewDisk(uint64_t capacity, const std::string& fileSystem = "NTFS") {
        os::sim::SimMediumSpec setup;
        setup.capacityBytes = capacity;
        setup.fileSystem = fileSystem;
        disk = sim().CreateMedium(setup);
        sim().InsertMedium("F:", disk);
    }
    using Reports = std::vector<std::pair<std::string, uint32_t>>;
};

// --- Opening the source ---------------------------------------------------------------------

// A program reading the file and letting others read it: the copy shares reading too, and the
// file is copied and settled as usual.
TEST_F(CopierErrorsTest, ASourceOthersReadIsCopiedSharingReading) {
    Put("C:\\Data\\a.txt", "a", At(-10));
    auto reader = Hold("C:\\Data\\a.txt", os::kAccessRead, os::kShareRead);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "a"}}));
    EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), os::kAttributeNormal);
    EXPECT_TRUE(owner.errors.empty());
    EXPECT_EQ(retries.Count(), 0u);
    EXPECT_EQ(watermark, At(-10));
}

// A lock on a range of the file refuses the first opening like a sharing violation does: the
// next sharing is tried.
TEST_F(CopierErrorsTest, ALockViolationOnOpeningTriesTheNextSharing) {
    Put("C:\\Data\\a.txt", "a", At(-10));
    machine.FailOperation(SimOperation::Open, "C:\\Data\\a.txt", os::kErrorLockViolation, 1);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "a"}}));
    EXPECT_TRUE(owner.errors.empty());
    EXPECT_EQ(retries.Count(), 0u);
}

// The right to change attributes refused (a share the user may only read, a write-protected
// medium): the file is copied all the same; its archive attribute cannot be cleared, so the next
// scan finds it again rather than never.
TEST_F(CopierErrorsTest, ASourceThatMayOnlyBeReadIsCopiedAndStaysMarked) {
    for (const uint32_t refusal : {os::kErrorAccessDenied, os::kErrorWriteProtect}) {
        SCOPED_TRACE(refusal);
        Put("C:\\Data\\a.txt", "a" + std::to_string(refusal), At(-10));
        machine.ClearFaults();
        machine.FailOperation(SimOperation::Open, "C:\\Data\\a.txt", refusal, 1);
        candidates.Clear();
        ASSERT_EQ(Backup(), 0u);
        EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "a" + std::to_string(refusal)}}));
        EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), kAttributeArchive);
        EXPECT_TRUE(owner.errors.empty());
        EXPECT_EQ(retries.Count(), 0u);
        ASSERT_EQ(Scan(), 0u);
        EXPECT_EQ(candidates.Count(), 1u);  // found again
    }
}

// A source that cannot be opened for another reason is reported and stays due.
TEST_F(CopierErrorsTest, ASourceThatCannotBeOpenedIsReportedAndStaysDue) {
    Put("C:\\Data\\a.txt", "a", At(-20));
    Put("C:\\Data\\b.txt", "b", At(-10));
    machine.FailOperation(SimOperation::Open, "C:\\Data\\a.txt", kDeviceError);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(owner.errors, (Reports{{"C:\\Data\\a.txt", kDeviceError}}));
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\b.txt", "b"}}));
    EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), kAttributeArchive);
    ASSERT_EQ(Scan(), 0u);  // found again by its archive attribute
    EXPECT_EQ(candidates.Count(), 1u);
}

// --- Making, writing and flushing the temporary copy ------------------------------------------

// Each step of the new copy failing before it takes the file's name: the old copy stays as it
// was, no temporary file remains, the file is reported, and the next pass copies it.
TEST_F(CopierErrorsTest, ANewCopyFailingBeforeItIsNamedLeavesTheOldCopy) {
    struct Step {
        const char* what;
        SimOperation operation;
    };
    for (const Step& step :
         {Step{"creating", SimOperation::Open}, Step{"writing", SimOperation::Write},
          Step{"flushing", SimOperation::Flush},
          Step{"setting its times", SimOperation::SetFileTimes}}) {
        SCOPED_TRACE(step.what);
        machine.ClearFaults();
        owner.errors.clear();
        PutOldCopy("previous");
        Put("C:\\Data\\a.txt", std::string(3 * kCopyBlockBytes, 'n'), At(-10));
        machine.FailOperation(step.operation, kTemporaries, kDeviceError);
        candidates.Clear();
        ASSERT_EQ(Backup(), 0u);
        EXPECT_EQ(owner.errors, (Reports{{"C:\\Data\\a.txt", kDeviceError}}));
        EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "previous"}}));
        EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), kAttributeArchive);
    }
    machine.ClearFaults();
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(
        HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", std::string(3 * kCopyBlockBytes, 'n')}}));
}

// A write failing after a block went through: the old copy stays and the file is reported.
TEST_F(CopierErrorsTest, AWriteFailingMidFileKeepsTheOldCopy) {
    PutOldCopy("previous");
    Put("C:\\Data\\a.txt", std::string(3 * kCopyBlockBytes, 'n'), At(-10));
    int writes = 0;
    files.beforeWrite = [&](const std::string&) {
        if (++writes == 2) {
            machine.FailOperation(SimOperation::Write, kTemporaries, kDeviceError);
        }
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(owner.errors, (Reports{{"C:\\Data\\a.txt", kDeviceError}}));
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "previous"}}));
    EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), kAttributeArchive);
}

// The disk's own record of what was written failing to reach it at the end of the pass: every
// copy is on the disk, but none of them may be counted as lasting, so the last-sync time does not
// move past them.
TEST_F(CopierErrorsTest, TheEndOfPassFlushFailingKeepsTheFilesDue) {
    Put("C:\\Data\\a.txt", "a", At(-20));
    Put("C:\\Data\\b.txt", "b", At(-10));
    machine.FailOperation(SimOperation::Flush, "F:\\~Ferrolin2-*", kDeviceError);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "a"}, {"Data\\b.txt", "b"}}));
    EXPECT_EQ(watermark, 0u);
    machine.ClearFaults();
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(watermark, At(-10));
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "a"}, {"Data\\b.txt", "b"}}));
}

// --- Taking the file's name -----------------------------------------------------------------

// An old copy another program holds open cannot be replaced: the copy waits on the retry list
// without a prompt, and the old copy stays whole.
TEST_F(CopierErrorsTest, AnOldCopyHeldOpenIsRetriedNextPass) {
    PutOldCopy("previous");
    Put("C:\\Data\\a.txt", "new", At(-10));
    auto reader = Hold("F:\\Data\\a.txt", os::kAccessRead, os::kShareRead);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(owner.errors.empty());
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "previous"}}));
    ASSERT_EQ(retries.Count(), 1u);
    EXPECT_EQ(retries.EntryAt(0).path, "C:\\Data\\a.txt");
    reader.reset();
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "new"}}));
    EXPECT_EQ(retries.Count(), 0u);
}

// A read-only old copy is made writable to be replaced; when the replacing still fails, it gets
// its protection back and is otherwise untouched.
TEST_F(CopierErrorsTest, AProtectedOldCopyThatStillRefusesGetsItsProtectionBack) {
    PutOldCopy("previous", kAttributeReadOnly | os::kAttributeHidden);
    Put("C:\\Data\\a.txt", "new", At(-10));
    files.beforeSetAttributes = [&](const std::string& path, uint32_t attributes) {
        if (path == "F:\\Data\\a.txt" && attributes == os::kAttributeNormal) {
            machine.FailOperation(SimOperation::Move, kTemporaries, kDeviceError, 1);
        }
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(owner.errors, (Reports{{"C:\\Data\\a.txt", kDeviceError}}));
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "previous"}}));
    EXPECT_EQ(AttributesOf("F:\\Data\\a.txt"), kAttributeReadOnly | os::kAttributeHidden);
    EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), kAttributeArchive);
}

// --- Finishing the copy in its place ----------------------------------------------------------

// A disk that cannot set creation times: a replaced read-only copy still gets its read-only
// attribute, without an error.
TEST_F(CopierErrorsTest, ADiskThatKeepsNoCreationTimeStillGetsTheReadOnlyAttribute) {
    PutOldCopy("previous");
    Put("C:\\Data\\a.txt", "new", At(-10), kAttributeArchive | kAttributeReadOnly);
    int times = 0;
    files.beforeMove = [&](const std::string&, const std::string& to) {
        if (to == "F:\\Data\\a.txt" && times++ == 0) {
            machine.FailOperation(SimOperation::SetFileTimes, "F:\\Data\\a.txt",
                                  os::kErrorInvalidParameter);
        }
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(owner.errors.empty());
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "new"}}));
    EXPECT_EQ(AttributesOf("F:\\Data\\a.txt"), kAttributeArchive | kAttributeReadOnly);
    EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), kAttributeReadOnly);
}

// The read-only attribute failing on the copy in its place: the data is there under its name,
// and the source stays due so that the next pass makes the copy whole.
TEST_F(CopierErrorsTest, ACopyWhoseReadOnlyAttributeFailsStaysDue) {
    Put("C:\\Data\\a.txt", "new", At(-10), kAttributeArchive | kAttributeReadOnly);
    machine.FailOperation(SimOperation::SetAttributes, "F:\\Data\\a.txt", kDeviceError, 1);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(owner.errors, (Reports{{"C:\\Data\\a.txt", kDeviceError}}));
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "new"}}));
    EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), kAttributeArchive | kAttributeReadOnly);
    EXPECT_LT(watermark, At(-10));
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(AttributesOf("F:\\Data\\a.txt"), kAttributeArchive | kAttributeReadOnly);
    EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), kAttributeReadOnly);
}

// Closing the new copy is where a write the system held back may fail: the file stays due.
TEST_F(CopierErrorsTest, ACloseThatFailsKeepsTheFileDue) {
    Put("C:\\Data\\a.txt", "new", At(-10));
    files.closeError = [](const std::string& path) {
        return path == "F:\\Data\\a.txt" ? kDeviceError : 0u;
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(owner.errors, (Reports{{"C:\\Data\\a.txt", kDeviceError}}));
    EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), kAttributeArchive);
    EXPECT_LT(watermark, At(-10));
    files.closeError = nullptr;
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "new"}}));
    EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), os::kAttributeNormal);
}

// A source that is a folder by the time the pass reaches it has nothing to copy; one that only
// refuses to be opened is busy and waits on the retry list, without a prompt.
TEST_F(CopierErrorsTest, ASourceThatBecameAFolderIsPassedOverAndARefusedOneRetried) {
    Put("C:\\Data\\was a file", "x", At(-30));
    Put("C:\\Data\\refused.txt", "r", At(-20));
    Put("C:\\Data\\b.txt", "b", At(-10));
    ASSERT_EQ(Scan(), 0u);
    ASSERT_EQ(sim().DeleteFile("C:\\Data\\was a file"), 0u);
    ASSERT_EQ(sim().PutFile("C:\\Data\\was a file\\inner.txt", "i"), 0u);
    machine.FailOperation(SimOperation::Open, "C:\\Data\\refused.txt", os::kErrorAccessDenied);
    ASSERT_EQ(Pass(), 0u);
    EXPECT_TRUE(owner.errors.empty());
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\b.txt", "b"}}));
    ASSERT_EQ(retries.Count(), 1u);
    EXPECT_EQ(retries.EntryAt(0).path, "C:\\Data\\refused.txt");
}

// --- Where the copy goes --------------------------------------------------------------------

// A network share as the backup's place: its server and share are the volume, and the folders
// below it are made from there.
TEST_F(CopierErrorsTest, ANetworkShareHoldsTheMirrorBelowItsFolder) {
    sim().AddDrive("\\\\nas\\backup", os::DriveType::Remote,
                   sim().CreateMedium(os::sim::SimMediumSpec{}));
    ASSERT_EQ(sim().PutFolder("\\\\nas\\backup\\Ferrolin"), 0u);
    Put("C:\\Data\\Sub\\Deeper\\a.txt", "a", At(-20));
    Put("C:\\Data\\b.txt", "b", At(-10));
    ASSERT_EQ(Scan(), 0u);
    ASSERT_EQ(copier->CopyPass(candidates, "\\\\nas\\backup\\Ferrolin", retries, watermark), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "\\\\nas\\backup\\Ferrolin",
                             {{"Data\\Sub\\Deeper\\a.txt", "a"}, {"Data\\b.txt", "b"}}));
    EXPECT_TRUE(owner.errors.empty());
    EXPECT_EQ(watermark, At(-10));
}

// Every FAT kind keeps no file of 4 GiB or more: such a file is too large before a byte is
// written, even without revisions, and the rest of the pass goes on.
TEST_F(CopierErrorsTest, FourGigabytesAreTooLargeForEveryFatDisk) {
    for (const char* fileSystem : {"FAT", "FAT16", "FAT12", "fat32"}) {
        SCOPED_TRACE(fileSystem);
        NewDisk(64ULL << 30, fileSystem);
        owner.tooLarge.clear();
        os::sim::SimPutOptions options;
        options.times = os::FileTimes{At(-20), At(-20), At(-20)};
        ASSERT_EQ(sim().PutSparseFile("C:\\Data\\film.mkv", 4ULL << 30, options), 0u);
        Put("C:\\Data\\letter.doc", "Dear all", At(-10));
        candidates.Clear();
        watermark = 0;
        ASSERT_EQ(Backup(), 0u);
        EXPECT_EQ(owner.tooLarge, (std::vector<std::string>{"C:\\Data\\film.mkv"}));
        EXPECT_TRUE(owner.diskFull.empty());
        EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\letter.doc", "Dear all"}}));
    }
}

// A file that fits the disk only where its old copy is: a protected old copy is unprotected and
// deleted first; when the delete is refused, it keeps its protection and the file is retried.
TEST_F(CopierErrorsTest, AProtectedOldCopyMakesRoomOrKeepsItsProtection) {
    NewDisk(1ULL << 20);
    PutOldCopy(std::string(700 << 10, 'o'), kAttributeReadOnly);
    Put("C:\\Data\\a.txt", std::string(800 << 10, 'n'), At(-10));
    machine.FailOperation(SimOperation::Delete, "F:\\Data\\a.txt", os::kErrorSharingViolation, 1);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(owner.errors.empty());
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", std::string(700 << 10, 'o')}}));
    EXPECT_EQ(AttributesOf("F:\\Data\\a.txt"), kAttributeReadOnly);
    ASSERT_EQ(retries.Count(), 1u);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(owner.diskFull.empty());
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", std::string(800 << 10, 'n')}}));
    EXPECT_EQ(retries.Count(), 0u);
}

// What is in the way of a copy that needs the old copy's room, or at the moment the copy takes
// its name, is left alone: a folder is reported, a link is refused once, and neither is retried.
TEST_F(CopierErrorsTest, AFolderOrALinkInTheCopysPlaceIsLeftAlone) {
    for (const bool small : {true, false}) {
        SCOPED_TRACE(small ? "a disk with room only in the old copy's place" : "a disk with room");
        NewDisk(small ? 1ULL << 20 : 64ULL << 20);
        if (small) {
            ASSERT_EQ(sim().PutFile("F:\\filler.bin", std::string(400 << 10, 'f')), 0u);
        }
        owner.errors.clear();
        ASSERT_EQ(sim().PutFile("F:\\Data\\folder.txt\\user.txt", "the user's"), 0u);
        ASSERT_EQ(sim().PutFile("C:\\Elsewhere\\target.txt", "outside"), 0u);
        ASSERT_EQ(sim().PutLink("F:\\Data\\link.txt", "C:\\Elsewhere\\target.txt", false), 0u);
        const std::string contents(small ? 800 << 10 : 10, 'n');
        Put("C:\\Data\\folder.txt", contents, At(-20));
        Put("C:\\Data\\link.txt", contents, At(-10));
        candidates.Clear();
        ASSERT_EQ(Backup(), 0u);
        EXPECT_EQ(owner.errors, (Reports{{"C:\\Data\\folder.txt", os::kErrorDirectoryNotSupported},
                                         {"F:\\Data\\link.txt", kErrorReparsePointEncountered}}));
        EXPECT_EQ(sim().ContentsOf("F:\\Data\\folder.txt\\user.txt"), "the user's");
        EXPECT_EQ(sim().ContentsOf("C:\\Elsewhere\\target.txt"), "outside");
        EXPECT_EQ(retries.Count(), 0u);
        copier = std::make_unique<FileCopier>(files, owner, store, 0);  // a new run
    }
}

// A file on the retry list that has grown too large for the disk is reported as such and leaves
// the list.
TEST_F(CopierErrorsTest, ARetriedFileTooLargeForTheDiskLeavesTheList) {
    for (const uint32_t revisions : {0u, 2u}) {
        SCOPED_TRACE(revisions);
        NewDisk(1ULL << 20);
        owner.tooLarge.clear();
        copier = std::make_unique<FileCopier>(files, owner, store, revisions);
        PutOldCopy("previous");
        Put("C:\\Data\\a.txt", std::string(2 << 20, 'n'), At(-10), kAttributeArchive);
        ASSERT_EQ(retries.AddFile("C:\\Data\\a.txt"), 0u);
        ASSERT_EQ(Pass(), 0u);
        EXPECT_EQ(owner.tooLarge, (std::vector<std::string>{"C:\\Data\\a.txt"}));
        EXPECT_TRUE(owner.errors.empty());
        EXPECT_TRUE(owner.diskFull.empty());
        EXPECT_EQ(retries.Count(), 0u);
        EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "previous"}}));
    }
}

// A folder of the mirror another program removes during the pass is made again, and the file
// read again from its start.
TEST_F(CopierErrorsTest, AFolderRemovedFromTheDiskDuringThePassIsMadeAgain) {
    ASSERT_EQ(sim().PutFolder("F:\\Data\\Sub"), 0u);
    Put("C:\\Data\\Sub\\b.txt", "b", At(-10));
    bool removed = false;
    files.beforeOpen = [&](const std::string& path, const os::OpenRequest&) {
        if (!removed && path.rfind("F:\\Data\\Sub\\~", 0) == 0) {
            removed = true;
            ASSERT_EQ(sim().RemoveDirectory("F:\\Data\\Sub"), 0u);
        }
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(removed);
    EXPECT_TRUE(owner.errors.empty());
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\Sub\\b.txt", "b"}}));
    EXPECT_EQ(AttributesOf("C:\\Data\\Sub\\b.txt"), os::kAttributeNormal);
}

// --- The retry pass ---------------------------------------------------------------------------

// A busy file that is both on the retry list and a candidate stays on the list once.
TEST_F(CopierErrorsTest, ABusyFileIsKeptOnTheRetryListOnce) {
    Put("C:\\Data\\a.txt", "a", At(-10));
    auto holder = Hold("C:\\Data\\a.txt", os::kAccessRead | os::kAccessWrite, os::kShareNone);
    ASSERT_EQ(retries.AddFile("C:\\Data\\a.txt"), 0u);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(owner.errors.empty());
    ASSERT_EQ(retries.Count(), 1u);
    EXPECT_EQ(retries.EntryAt(0).path, "C:\\Data\\a.txt");
}

// A full disk in the retry pass that the user gives up on, or that the owner keeps answering
// with "go on" without a new disk: every file of the list stays on it and the main pass does not
// run, so nothing moves the last-sync time.
TEST_F(CopierErrorsTest, AFullDiskInTheRetryPassKeepsTheWholeList) {
    for (const bool givesUp : {true, false}) {
        SCOPED_TRACE(givesUp ? "the user gives up" : "the owner keeps answering go on");
        NewDisk(1ULL << 20);
        retries.Clear();
        owner.diskFull.clear();
        owner.onDiskFull = givesUp ? std::function<uint32_t(const RecordingOwner::DiskFull&)>{}
                                   : [](const RecordingOwner::DiskFull&) { return 0u; };
        for (const char* p : {"C:\\Data\\a.bin", "C:\\Data\\b.bin"}) {
            Put(p, std::string(600 << 10, p[8]), At(-20));
        }
        ASSERT_EQ(sim().PutFile("F:\\filler.bin", std::string(600 << 10, 'f')), 0u);
        ASSERT_EQ(retries.AddFile("C:\\Data\\a.bin"), 0u);
        ASSERT_EQ(retries.AddFile("C:\\Data\\b.bin"), 0u);
        Put("C:\\Data\\c.txt", "c", At(-10));
        candidates.Clear();
        watermark = 0;
        ASSERT_EQ(Backup(), 0u);
        EXPECT_FALSE(owner.diskFull.empty());
        EXPECT_EQ(retries.Count(), 2u);
        EXPECT_EQ(watermark, 0u);
        EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"filler.bin", std::string(600 << 10, 'f')}}));
    }
}

// Cancelled while the disk is full: the user is not asked for a new disk, and the file is tried
// first next time.
TEST_F(CopierErrorsTest, CancellingAsTheDiskFillsAsksNothing) {
    NewDisk(1ULL << 20);
    Put("C:\\Data\\a.bin", std::string(600 << 10, 'a'), At(-10));
    ASSERT_EQ(sim().PutFile("F:\\filler.bin", std::string(600 << 10, 'f')), 0u);
    files.beforeOpen = [&](const std::string& path, const os::OpenRequest&) {
        if (path == "C:\\Data\\a.bin") {
            copier->Cancel();  // as the copy of a.bin starts
        }
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(owner.diskFull.empty());
    ASSERT_EQ(retries.Count(), 1u);
    EXPECT_EQ(retries.EntryAt(0).path, "C:\\Data\\a.bin");
}

// --- Files others may write meanwhile ---------------------------------------------------------

// Held by a program that lets others write: a large file is read without reading ahead, to the
// end. Unchanged after the copy, its archive attribute stays cleared; a change of time alone
// since the copy (same size) gives it back.
TEST_F(CopierErrorsTest, AFileOthersMayWriteIsSettledByWhatItIsAfterTheCopy) {
    const std::string big(3 << 20, 'b');
    Put("C:\\Data\\big.bin", big, At(-20));
    Put("C:\\Data\\log.txt", "first", At(-10));
    auto bigWriter = Hold("C:\\Data\\big.bin", os::kAccessRead | os::kAccessWrite,
                          os::kShareRead | os::kShareWrite);
    auto logWriter = Hold("C:\\Data\\log.txt", os::kAccessRead | os::kAccessWrite,
                          os::kShareRead | os::kShareWrite);
    files.beforeSetAttributes = [this](const std::string& path, uint32_t attributes) {
        if (path == "C:\\Data\\log.txt" && (attributes & kAttributeArchive) == 0) {
            files.beforeSetAttributes = nullptr;
            Put("C:\\Data\\log.txt", "fir5t", At(-5), 0);  // same size, a new time
        }
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\big.bin", big}, {"Data\\log.txt", "first"}}));
    EXPECT_EQ(AttributesOf("C:\\Data\\big.bin"), os::kAttributeNormal);
    EXPECT_EQ(AttributesOf("C:\\Data\\log.txt"), kAttributeArchive);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\log.txt"), "fir5t");
}

// A write failing while a large file is read ahead of its writing: the reading stops, the old
// copy stays, and the file is reported.
TEST_F(CopierErrorsTest, AWriteFailingBehindTheReadingAheadKeepsTheOldCopy) {
    PutOldCopy("previous");
    Put("C:\\Data\\a.txt", std::string(3 << 20, 'n'), At(-10));
    int writes = 0;
    files.beforeWrite = [&](const std::string&) {
        if (++writes == 4) {
            machine.FailOperation(SimOperation::Write, kTemporaries, kDeviceError);
        }
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(owner.errors, (Reports{{"C:\\Data\\a.txt", kDeviceError}}));
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "previous"}}));
    // The source is no longer held.
    EXPECT_NE(Hold("C:\\Data\\a.txt", os::kAccessWrite, os::kShareNone), nullptr);
}

// A write refused because the disk is full in the words of another driver (39) is a full disk
// too: the user is asked for room, and the old copy stays until the new one is whole.
TEST_F(CopierErrorsTest, AHandleDiskFullIsAFullDisk) {
    PutOldCopy("previous");
    Put("C:\\Data\\a.txt", "new", At(-10));
    machine.FailOperation(SimOperation::Write, kTemporaries, os::kErrorHandleDiskFull, 1);
    ASSERT_EQ(Backup(), 0u);  // the user gives up
    EXPECT_EQ(owner.diskFull.size(), 1u);
    EXPECT_TRUE(owner.errors.empty());
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "previous"}}));
    EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), kAttributeArchive);
    EXPECT_LT(watermark, At(-10));
}

// Cancelled while the last block of a file is written: the copy is not put in the old one's
// place, and the file is tried first next time.
TEST_F(CopierErrorsTest, CancellingAtTheLastBlockKeepsTheOldCopy) {
    PutOldCopy("previous");
    Put("C:\\Data\\a.txt", "new", At(-10));
    files.beforeWrite = [&](const std::string&) { copier->Cancel(); };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "previous"}}));
    ASSERT_EQ(retries.Count(), 1u);
    EXPECT_EQ(retries.EntryAt(0).path, "C:\\Data\\a.txt");
    files.beforeWrite = nullptr;
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "new"}}));
}

// Only the program's own temporary files are cleared from a folder of the disk: a folder with
// such a name, and the user's file that has one (its source has it too), stay.
TEST_F(CopierErrorsTest, AFolderNamedLikeATemporaryFileStays) {
    ASSERT_EQ(sim().PutFile("F:\\Data\\~Ferrolin2-0000abcd.partial\\kept.txt", "k"), 0u);
    ASSERT_EQ(sim().PutFile("F:\\Data\\~Ferrolin2-0000abce.partial", "left by a cut"), 0u);
    Put("C:\\Data\\a.txt", "a", At(-10));
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(
        HoldsExactly(sim(), "F:\\",
                     {{"Data\\a.txt", "a"}, {"Data\\~Ferrolin2-0000abcd.partial\\kept.txt", "k"}}));
}

}  // namespace
}  // namespace engine::testing
