// The copier over the simulated machine: where backups land and what they carry, the order and
// the watermark, the archive attribute, retries, cancelling, full disks and files too large, the
// temporary files, and what the progress display reads.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "os/errors.h"
#include "os/text.h"
#include "tests/engine/copier_fixture.h"

namespace engine::testing {
namespace {

using os::kAttributeArchive;
using os::kAttributeHidden;
using os::kAttributeReadOnly;
using os::kAttributeSystem;

// --- Where backups land, and what they carry -------------------------------------------------

TEST_F(CopierTest, MirrorsTheSourcePathsWithAttributesAndTimes) {
    Put("C:\\Data\\Report.doc", "report", At(-100), kAttributeArchive | kAttributeReadOnly);
    Put("C:\\Data\\Sub\\Deeper\\notes.txt", "notes", At(-50), kAttributeArchive | kAttributeHidden);
    Put("C:\\Data\\Sub\\boot.ini", "ini", At(-10), kAttributeArchive | kAttributeSystem);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\",
                             {{"Data\\Report.doc", "report"},
                              {"Data\\Sub\\Deeper\\notes.txt", "notes"},
                              {"Data\\Sub\\boot.ini", "ini"}}));
    os::FileInfo copy;
    ASSERT_EQ(files.GetFileInfo("F:\\Data\\Sub\\Deeper\\notes.txt", copy), 0u);
    EXPECT_EQ(copy.times, (os::FileTimes{At(-50), At(-50), At(-50)}));
    EXPECT_EQ(AttributesOf("F:\\Data\\Report.doc"), kAttributeArchive | kAttributeReadOnly);
    EXPECT_EQ(copy.attributes, kAttributeArchive | kAttributeHidden);
    EXPECT_EQ(AttributesOf("F:\\Data\\Sub\\boot.ini"), kAttributeArchive | kAttributeSystem);
    EXPECT_TRUE(owner.errors.empty());
    EXPECT_TRUE(retries.Count() == 0);
}

TEST_F(CopierTest, RootFilesNetworkPathsAndATrailingBackslash) {
    Put("C:\\boot.txt", "root", At(-5));
    sim().AddDrive("\\\\server\\share", os::DriveType::Remote,
                   sim().CreateMedium(os::sim::SimMediumSpec{}));
    Put("\\\\server\\share\\team\\plan.txt", "plan", At(-4));
    ASSERT_EQ(candidates.AddFile("C:\\boot.txt"), 0u);
    ASSERT_EQ(candidates.AddFile("\\\\server\\share\\team\\plan.txt"), 0u);
    ASSERT_EQ(copier->CopyPass(candidates, "F:\\", retries, watermark), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\",
                             {{"boot.txt", "root"}, {"server\\share\\team\\plan.txt", "plan"}}));
    EXPECT_EQ(BackupPathOf("E:", "\\\\srv\\s\\x.txt"), "E:\\srv\\s\\x.txt");
    EXPECT_EQ(BackupPathOf("E:", "C:\\My Documents\\Report.doc"), "E:\\My Documents\\Report.doc");
}

TEST_F(CopierTest, ReplacesProtectedOldCopiesAndLeavesNoTemporaryFile) {
    Put("C:\\Data\\a.txt", "new", At(-1));
    os::sim::SimPutOptions old;
    old.attributes = kAttributeReadOnly | kAttributeHidden | kAttributeSystem;
    old.times = os::FileTimes{At(-900), At(-900), At(-900)};
    ASSERT_EQ(sim().PutFile("F:\\Data\\a.txt", "old", old), 0u);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "new"}}));
    EXPECT_EQ(AttributesOf("F:\\Data\\a.txt"), kAttributeArchive);
}

TEST_F(CopierTest, UnicodeNamesAndPathsLongerThanMaxPath) {
    std::string deep = "C:\\Data";
    for (int i = 0; i < 14; ++i) {
        deep += "\\Ελληνικά φάκελος 文件夹 " + std::to_string(i);  // about 35 characters each
    }
    const std::string file = deep + "\\Über naïve 😀 résumé.txt";
    ASSERT_GT(os::Utf16Length(file), 300u);
    Put(file, "unicode", At(-3));
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(sim().ContentsOf("F:" + file.substr(2)), "unicode");
    EXPECT_TRUE(owner.errors.empty());
}

// --- Oldest first, and the watermark ---------------------------------------------------------

TEST_F(CopierTest, CopiesOldestFirstWithEqualTimesInScanOrder) {
    Put("C:\\Data\\a.txt", "a", At(-10));
    Put("C:\\Data\\b.txt", "b", At(-30));
    Put("C:\\Data\\c\\c.txt", "c", At(-20));
    Put("C:\\Data\\d.txt", "d", At(-20));
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(files.moves, (std::vector<std::string>{"F:\\Data\\b.txt", "F:\\Data\\c\\c.txt",
                                                     "F:\\Data\\d.txt", "F:\\Data\\a.txt"}));
    EXPECT_EQ(watermark, At(-10));
}

TEST_F(CopierTest, TheWatermarkNeverMovesBack) {
    Put("C:\\Data\\a.txt", "a", At(-10));
    watermark = At(-100);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(watermark, At(-10));
    watermark = At(50);
    Put("C:\\Data\\b.txt", "b", At(-5), kAttributeArchive);  // due by its attribute only
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\b.txt"), "b");
    EXPECT_EQ(watermark, At(50));
}

// A restored folder or an unpacked archive: older times and no archive attribute, so its files
// are found only by a complete copy (a zero watermark) or by times later than the watermark.
TEST_F(CopierTest, ACompleteCopyCutShortNeverStoresATimeFromAnEarlierPass) {
    Put("C:\\Data\\new.txt", "n", At(-10));
    ASSERT_EQ(Backup(), 0u);
    ASSERT_EQ(watermark, At(-10));
    Put("C:\\Data\\restored\\a.txt", "a", At(-30), 0);
    Put("C:\\Data\\restored\\b.txt", "b", At(-20), 0);
    watermark = 0;  // "Re-copy all files"
    CancelAfterMoveTo("F:\\Data\\restored\\a.txt");
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(watermark, At(-30));  // a.txt was copied; b.txt was not reached
    files.beforeMove = nullptr;
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(
        sim(), "F:\\",
        {{"Data\\new.txt", "n"}, {"Data\\restored\\a.txt", "a"}, {"Data\\restored\\b.txt", "b"}}));
}

TEST_F(CopierTest, FilesSharingOneTimeAreNotLeftBehindByAPassCutAmongThem) {
    Tree expected;
    for (int i = 0; i < 5; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        Put("C:\\Data\\unpacked\\" + name, name, At(-10), 0);
        expected["Data\\unpacked\\" + name] = name;
    }
    CancelAfterMoveTo("F:\\Data\\unpacked\\f1.txt");
    ASSERT_EQ(Backup(), 0u);
    EXPECT_LT(watermark, At(-10));  // it claims none of the five
    files.beforeMove = nullptr;
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", expected));
    EXPECT_EQ(watermark, At(-10));
}

TEST_F(CopierTest, OrderingAHundredThousandCandidatesIsQuick) {
    for (int i = 0; i < 100000; ++i) {
        candidates.AddEntry("C:\\Data\\f" + std::to_string(i), At((i * 7919) % 100000), 1);
    }
    for (int i = 0; i < 100000; i += 2) {
        retries.AddEntry("C:\\Data\\f" + std::to_string(i), 0, 1);
    }
    // Files that do not exist: the retry pass takes each off the candidates, the rest drop out.
    ASSERT_EQ(Pass(), 0u);
    EXPECT_EQ(candidates.Count(), 0u);
    EXPECT_EQ(retries.Count(), 0u);
}

// --- The archive attribute -------------------------------------------------------------------

TEST_F(CopierTest, TheMainPassClearsTheArchiveAttributeAndKeepsTheOthers) {
    Put("C:\\Data\\a.txt", "a", At(-10), kAttributeArchive | kAttributeHidden);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), kAttributeHidden);
    // Found again by nothing: the next scan is empty.
    ASSERT_EQ(Scan(), 0u);
    EXPECT_EQ(candidates.Count(), 0u);
}

TEST_F(CopierTest, TheRetryPassKeepsTheArchiveAttributeAndTheWatermark) {
    Put("C:\\Data\\busy.txt", "v1", At(-10));
    ASSERT_EQ(retries.AddFile("C:\\Data\\busy.txt"), 0u);
    ASSERT_EQ(Pass(), 0u);
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\busy.txt"), "v1");
    EXPECT_EQ(AttributesOf("C:\\Data\\busy.txt"), kAttributeArchive);
    EXPECT_EQ(watermark, 0u);
    EXPECT_EQ(retries.Count(), 0u);
    EXPECT_EQ(copier->DiskStartTime(), At(-10));
}

// A program that keeps the file open for writing, sharing it (a log, a mailbox): only then can
// the file change while the copier holds it.
std::unique_ptr<os::File> HoldSharingWrites(os::sim::SimFileSystem& sim, const std::string& path) {
    std::unique_ptr<os::File> held;
    EXPECT_EQ(sim.Open(path,
                       {os::kAccessRead | os::kAccessWrite, os::kShareRead | os::kShareWrite,
                        os::Disposition::OpenExisting, 0, 0},
                       held),
              0u);
    return held;
}

TEST_F(CopierTest, AFileChangedDuringItsCopyStaysDue) {
    Put("C:\\Data\\a.txt", "first", At(-10));
    auto writer = HoldSharingWrites(sim(), "C:\\Data\\a.txt");
    files.beforeMove = [this](const std::string&, const std::string& to) {
        if (to == "F:\\Data\\a.txt") {
            files.beforeMove = nullptr;
            Put("C:\\Data\\a.txt", "second", At(-1));  // saved while the copy was finishing
        }
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(watermark, At(-10));
    EXPECT_EQ(AttributesOf("C:\\Data\\a.txt"), kAttributeArchive);
    writer.reset();
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\a.txt"), "second");
}

TEST_F(CopierTest, AWriteJustBeforeTheArchiveAttributeIsClearedIsNotLost) {
    Put("C:\\Data\\a.txt", "first", At(-20));
    Put("C:\\Data\\b.txt", "b", At(-10));
    auto writer = HoldSharingWrites(sim(), "C:\\Data\\a.txt");
    files.beforeSetAttributes = [this](const std::string& path, uint32_t attributes) {
        if (path == "C:\\Data\\a.txt" && (attributes & kAttributeArchive) == 0) {
            files.beforeSetAttributes = nullptr;
            // The other program saves it, keeping a time older than b.txt's.
            Put("C:\\Data\\a.txt", "second", At(-15));
        }
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(watermark, At(-10));
    EXPECT_EQ(AttributesOf("C:\\Data\\a.txt") & kAttributeArchive, kAttributeArchive);
    writer.reset();
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\a.txt"), "second");
}

// Held without write sharing, the source cannot change between the copy and the clearing of its
// archive attribute: the attribute is cleared through the handle the copy read it with, with
// nothing asked by name. A file others may write is looked at again after.
TEST_F(CopierTest, ACopiedFileCostsAFewCallsOnItsTwoHandles) {
    Put("C:\\Data\\Sub\\first.txt", "1", At(-30));
    Put("C:\\Data\\Sub\\small.txt", "small", At(-20));
    Put("C:\\Data\\Sub\\blocks.bin", std::string(2 * kCopyBlockBytes, 'b'), At(-10));
    ASSERT_EQ(Scan(), 0u);
    auto& calls = sim().calls();
    std::vector<os::sim::SimCallTally> tallies;
    files.beforeOpen = [&](const std::string& path, const os::OpenRequest& request) {
        if (path.rfind("C:", 0) == 0) {
            tallies.push_back(calls.Tally());  // each copy starts with its source's open
            // A cloud placeholder is found out from the open file: opening it fetches nothing.
            EXPECT_NE(request.flags & os::kFlagOpenNoRecall, 0u) << path;
        }
    };
    ASSERT_EQ(Pass(), 0u);
    files.beforeOpen = nullptr;
    tallies.push_back(calls.Tally());
    ASSERT_EQ(tallies.size(), 4u);
    using os::sim::SimCall;
    // The second file: the folder is made and cleaned; open, one query and one read; the copy
    // created, written, given its times and attributes, flushed, renamed, closed; the source's
    // archive attribute cleared, and the source closed.
    const os::sim::SimCallTally small = os::sim::CallsBetween(tallies[1], tallies[2]);
    EXPECT_EQ(os::sim::TotalCalls(small), 11u);
    EXPECT_EQ(small[static_cast<size_t>(SimCall::Open)], 2u);
    EXPECT_EQ(small[static_cast<size_t>(SimCall::Flush)], 1u);
    EXPECT_EQ(small[static_cast<size_t>(SimCall::Read)], 1u);
    EXPECT_EQ(small[static_cast<size_t>(SimCall::Rename)], 1u);
    EXPECT_EQ(small[static_cast<size_t>(SimCall::SetTimesAndAttributes)], 2u);
    for (SimCall byName : {SimCall::GetAttributes, SimCall::SetAttributes, SimCall::GetFileInfo,
                           SimCall::Move, SimCall::VolumeSpace}) {
        EXPECT_EQ(small[static_cast<size_t>(byName)], 0u) << os::sim::SimCallName(byName);
    }
    // Whole blocks end with an empty read; the attributes are read again before they change.
    const os::sim::SimCallTally blocks = os::sim::CallsBetween(tallies[2], tallies[3]);
    EXPECT_EQ(blocks[static_cast<size_t>(SimCall::Read)], 3u);
    EXPECT_EQ(blocks[static_cast<size_t>(SimCall::GetInfo)], 2u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\",
                             {{"Data\\Sub\\first.txt", "1"},
                              {"Data\\Sub\\small.txt", "small"},
                              {"Data\\Sub\\blocks.bin", std::string(2 * kCopyBlockBytes, 'b')}}));
    for (const char* name : {"first.txt", "small.txt", "blocks.bin"}) {
        EXPECT_EQ(AttributesOf(std::string("C:\\Data\\Sub\\") + name), os::kAttributeNormal)
            << name;
        os::FileInfo copy;
        ASSERT_EQ(sim().GetFileInfo(std::string("F:\\Data\\Sub\\") + name, copy), 0u);
        EXPECT_EQ(copy.attributes, kAttributeArchive) << name;
    }
}

TEST_F(CopierTest, ASourceGoneSinceTheScanIsSkippedAndThePassGoesOn) {
    Put("C:\\Data\\a.txt", "a", At(-30));
    Put("C:\\Data\\b.txt", "b", At(-20));
    ASSERT_EQ(Scan(), 0u);
    ASSERT_EQ(sim().DeleteFile("C:\\Data\\a.txt"), 0u);
    ASSERT_EQ(Pass(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\b.txt", "b"}}));
    EXPECT_TRUE(owner.errors.empty());
    EXPECT_EQ(watermark, At(-20));
}

// --- Retries, errors and cancelling ----------------------------------------------------------

TEST_F(CopierTest, ALockedFileGoesOnTheRetryListWithoutAPromptAndIsCopiedFirstNextTime) {
    Put("C:\\Data\\locked.txt", "L", At(-20));
    Put("C:\\Data\\free.txt", "F", At(-10));
    std::unique_ptr<os::File> held;
    ASSERT_EQ(sim().Open("C:\\Data\\locked.txt",
                         {os::kAccessRead | os::kAccessWrite, os::kShareNone,
                          os::Disposition::OpenExisting, 0, 0},
                         held),
              0u);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(owner.errors.empty());
    ASSERT_EQ(retries.Count(), 1u);
    EXPECT_EQ(retries.EntryAt(0).path, "C:\\Data\\locked.txt");
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\free.txt", "F"}}));

    held.reset();
    files.moves.clear();
    ASSERT_EQ(Backup(), 0u);  // found again by its archive attribute, and on the retry list
    EXPECT_EQ(files.moves, (std::vector<std::string>{"F:\\Data\\locked.txt"}));
    EXPECT_EQ(retries.Count(), 0u);
    EXPECT_EQ(AttributesOf("C:\\Data\\locked.txt"), kAttributeArchive);  // from the retry pass
}

TEST_F(CopierTest, OtherErrorsArePromptedOnceAndTheFileIsSkipped) {
    Put("C:\\Data\\bad.txt", "x", At(-20));
    Put("C:\\Data\\good.txt", "g", At(-10));
    machine.FailOperation(os::sim::SimOperation::Read, "C:\\Data\\bad.txt", 1117);
    ASSERT_EQ(Backup(), 0u);
    ASSERT_EQ(owner.errors.size(), 1u);
    EXPECT_EQ(owner.errors[0], (std::pair<std::string, uint32_t>{"C:\\Data\\bad.txt", 1117}));
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\good.txt", "g"}}));
    EXPECT_EQ(AttributesOf("C:\\Data\\bad.txt"), kAttributeArchive);  // still due
    EXPECT_EQ(retries.Count(), 0u);
}

TEST_F(CopierTest, AFolderInTheBackupsPlaceIsReportedAndNotRetried) {
    // "notes" was a folder, and its backup still is one; now it is a file.
    ASSERT_EQ(sim().PutFile("F:\\Data\\notes\\old.txt", "old"), 0u);
    Put("C:\\Data\\notes", "now a file", At(-10));
    ASSERT_EQ(Backup(), 0u);
    const std::vector<std::pair<std::string, uint32_t>> reported = {
        {"C:\\Data\\notes", os::kErrorDirectoryNotSupported}};
    EXPECT_EQ(owner.errors, reported);
    EXPECT_EQ(retries.Count(), 0u);
    // From a retry list an older version of the program left: reported once and dropped.
    owner.errors.clear();
    ASSERT_EQ(retries.AddFile("C:\\Data\\notes"), 0u);
    ASSERT_EQ(Pass(), 0u);
    EXPECT_EQ(owner.errors, reported);
    EXPECT_EQ(retries.Count(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\notes\\old.txt", "old"}}));
}

TEST_F(CopierTest, AFileThatFailsInTheRetryPassIsReportedAndKeptWhileThePassGoesOn) {
    for (const char* p : {"C:\\Data\\a.txt", "C:\\Data\\b.txt", "C:\\Data\\c.txt"}) {
        Put(p, std::string(1, p[8]), At(-30));
        ASSERT_EQ(retries.AddFile(p), 0u);
    }
    Put("C:\\Data\\d.txt", "d", At(-10));
    ASSERT_EQ(candidates.AddFile("C:\\Data\\d.txt"), 0u);
    // A share gone, an I/O error, a bad sector: not "busy", and not the end of anything.
    for (uint32_t code : {53u, 1117u, 23u}) {
        machine.ClearFaults();
        machine.FailOperation(os::sim::SimOperation::Read, "C:\\Data\\b.txt", code);
        owner.errors.clear();
        EXPECT_EQ(Pass(), 0u) << code;
        const std::vector<std::pair<std::string, uint32_t>> reported = {{"C:\\Data\\b.txt", code}};
        EXPECT_EQ(owner.errors, reported);
        ASSERT_EQ(retries.Count(), 1u);
        EXPECT_EQ(retries.EntryAt(0).path, "C:\\Data\\b.txt");
        EXPECT_TRUE(HoldsExactly(
            sim(), "F:\\", {{"Data\\a.txt", "a"}, {"Data\\c.txt", "c"}, {"Data\\d.txt", "d"}}));
    }
}

TEST_F(CopierTest, CancellingMidFileKeepsThePreviousCopyAndRetriesTheFile) {
    Put("C:\\Data\\big.bin", std::string(100000, 'n'), At(-10));
    os::sim::SimPutOptions old;
    old.times = os::FileTimes{At(-900), At(-900), At(-900)};
    ASSERT_EQ(sim().PutFile("F:\\Data\\big.bin", "previous", old), 0u);
    int writes = 0;
    files.beforeWrite = [&](const std::string&) {
        if (++writes == 2) {
            copier->Cancel();
        }
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\big.bin", "previous"}}));
    ASSERT_EQ(retries.Count(), 1u);
    EXPECT_EQ(watermark, 0u);
    files.beforeWrite = nullptr;
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\big.bin", std::string(100000, 'n')}}));
}

// --- Large files, read ahead of their writing ----------------------------------------------

// Bytes that differ from block to block, so that a block out of order shows.
std::string Blocks(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('a' + (i / 1000 + i) % 26);
    }
    return bytes;
}

TEST_F(CopierTest, LargeFilesReadAheadArriveWholeWhateverTheirLastBlock) {
    const Tree sources = {{"whole.bin", Blocks(32 * kCopyBlockBytes)},
                          {"odd.bin", Blocks(40 * kCopyBlockBytes + 5)},
                          {"below.bin", Blocks((1 << 20) - 1)}};
    Tree expected;
    for (const auto& [name, contents] : sources) {
        Put("C:\\Data\\" + name, contents, At(-10));
        expected["Data\\" + name] = contents;
    }
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", expected));
    for (const auto& [name, contents] : sources) {
        EXPECT_EQ(AttributesOf("C:\\Data\\" + name), os::kAttributeNormal) << name;
    }
    EXPECT_EQ(copier->BytesCopied(), 72 * kCopyBlockBytes + 5 + (1 << 20) - 1);
}

TEST_F(CopierTest, AReadFailingAheadOfTheWriterFailsTheFileAndKeepsItsOldCopy) {
    const std::string contents = Blocks(3 << 20);
    Put("C:\\Data\\big.bin", contents, At(-10));
    ASSERT_EQ(sim().PutFile("F:\\Data\\big.bin", "previous"), 0u);
    int writes = 0;
    files.beforeWrite = [&](const std::string&) {
        if (++writes == 10) {  // the reader is a few blocks ahead: a bad sector there
            machine.FailOperation(os::sim::SimOperation::Read, "C:\\Data\\big.bin", 1117);
        }
    };
    ASSERT_EQ(Backup(), 0u);
    ASSERT_EQ(owner.errors.size(), 1u);
    EXPECT_EQ(owner.errors[0], (std::pair<std::string, uint32_t>{"C:\\Data\\big.bin", 1117}));
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\big.bin", "previous"}}));
    EXPECT_EQ(AttributesOf("C:\\Data\\big.bin"), kAttributeArchive);

    machine.ClearFaults();
    files.beforeWrite = nullptr;
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\big.bin", contents}}));
}

TEST_F(CopierTest, CancellingALargeFileStopsItsReadingAheadAndRetriesIt) {
    const std::string contents = Blocks(3 << 20);
    Put("C:\\Data\\big.bin", contents, At(-10));
    int writes = 0;
    files.beforeWrite = [&](const std::string&) {
        if (++writes == 5) {
            copier->Cancel();
        }
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {}));
    ASSERT_EQ(retries.Count(), 1u);
    // The source is no longer held: another program may open it alone.
    std::unique_ptr<os::File> alone;
    EXPECT_EQ(sim().Open("C:\\Data\\big.bin",
                         {os::kAccessRead | os::kAccessWrite, os::kShareNone,
                          os::Disposition::OpenExisting, 0, 0},
                         alone),
              0u);
    alone.reset();
    files.beforeWrite = nullptr;
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\big.bin", contents}}));
}

TEST_F(CopierTest, CancellingTheRetryPassKeepsEveryFileNotCopied) {
    for (const char* p : {"C:\\Data\\a.txt", "C:\\Data\\b.txt", "C:\\Data\\c.txt"}) {
        Put(p, "x", At(-10));
        ASSERT_EQ(retries.AddFile(p), 0u);
    }
    files.beforeMove = [&](const std::string&, const std::string&) { copier->Cancel(); };
    ASSERT_EQ(Pass(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.txt", "x"}}));
    ASSERT_EQ(retries.Count(), 2u);
    EXPECT_EQ(retries.EntryAt(0).path, "C:\\Data\\b.txt");
}

// --- Full disks and files too large ----------------------------------------------------------

class SmallDiskTest : public CopierTest {
  protected:
    SmallDiskTest() {
        os::sim::SimMediumSpec setup;
        setup.capacityBytes = 1ULL << 20;  // 1 MB, clusters of 4096 bytes
        disk = machine.files().CreateMedium(setup);
        machine.files().InsertMedium("F:", disk);
    }
};

TEST_F(SmallDiskTest, AFileLargerThanTheDiskIsSkippedAndNotADiskFull) {
    Put("C:\\Data\\huge.bin", std::string(2 << 20, 'h'), At(-20));
    Put("C:\\Data\\small.txt", "s", At(-10));
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(owner.tooLarge, (std::vector<std::string>{"C:\\Data\\huge.bin"}));
    EXPECT_TRUE(owner.diskFull.empty());
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\small.txt", "s"}}));
    EXPECT_EQ(AttributesOf("C:\\Data\\huge.bin"), kAttributeArchive);  // not backed up
    EXPECT_EQ(retries.Count(), 0u);
}

TEST_F(SmallDiskTest, AFileThatFitsAnEmptyDiskButNotThisOneIsADiskFull) {
    Put("C:\\Data\\a.bin", std::string(600 << 10, 'a'), At(-20));
    Put("C:\\Data\\b.bin", std::string(600 << 10, 'b'), At(-10));
    ASSERT_EQ(Backup(), 0u);  // the user gives up: the pass ends without an error
    ASSERT_EQ(owner.diskFull.size(), 1u);
    EXPECT_EQ(owner.diskFull[0].needed, 600u << 10);
    EXPECT_EQ(owner.diskFull[0].destination, "F:");
    EXPECT_EQ(owner.diskFull[0].firstDate, At(-20));
    EXPECT_EQ(owner.diskFull[0].lastDate, At(-20));
    EXPECT_EQ(owner.diskFull[0].bytesWritten, 600u << 10);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.bin", std::string(600 << 10, 'a')}}));
    EXPECT_EQ(watermark, At(-20));
}

TEST_F(SmallDiskTest, ANewDiskFromTheOwnerTakesTheRestOfThePass) {
    Put("C:\\Data\\a.bin", std::string(600 << 10, 'a'), At(-20));
    Put("C:\\Data\\b.bin", std::string(600 << 10, 'b'), At(-10));
    std::shared_ptr<os::sim::SimMedium> full;
    owner.onDiskFull = [&](const RecordingOwner::DiskFull&) {
        full = sim().EjectMedium("F:");
        os::sim::SimMediumSpec setup;
        setup.capacityBytes = 1ULL << 20;
        sim().InsertMedium("F:", sim().CreateMedium(setup));
        return 0u;
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\b.bin", std::string(600 << 10, 'b')}}));
    EXPECT_EQ(copier->DiskStartTime(), At(-10));  // the first file on the new disk
    os::FileTime stored = 0;
    ASSERT_EQ(store.ReadDiskStartTime(stored), 0u);
    EXPECT_EQ(stored, At(-10));
    EXPECT_EQ(watermark, At(-10));
}

TEST_F(SmallDiskTest, AnOwnerThatKeepsAnsweringGoOnWithoutANewDiskEndsThePass) {
    Put("C:\\Data\\a.bin", std::string(600 << 10, 'a'), At(-20));
    Put("C:\\Data\\b.bin", std::string(600 << 10, 'b'), At(-10));
    owner.onDiskFull = [](const RecordingOwner::DiskFull&) { return 0u; };  // a prompt is up
    ASSERT_EQ(Backup(), 0u);
    EXPECT_LE(owner.diskFull.size(), 10u);
    ASSERT_EQ(retries.Count(), 1u);
    EXPECT_EQ(retries.EntryAt(0).path, "C:\\Data\\b.bin");
}

TEST_F(SmallDiskTest, ACopyThatFitsOnlyInTheOldCopysPlaceReplacesIt) {
    ASSERT_EQ(sim().PutFile("F:\\Data\\a.bin", std::string(700 << 10, 'o')), 0u);
    Put("C:\\Data\\a.bin", std::string(800 << 10, 'n'), At(-10));  // free < 800 K <= free + 700 K
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(owner.diskFull.empty());
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\a.bin", std::string(800 << 10, 'n')}}));
}

TEST_F(CopierTest, ADiskFilledByAnotherProgramDuringThePassIsMeasuredAgain) {
    // The copier asks the volume for its free space once and then counts what it writes.
    Put("C:\\Data\\a.txt", "a", At(-20));
    Put("C:\\Data\\b.bin", std::string(700 << 10, 'n'), At(-10));
    ASSERT_EQ(sim().PutFile("F:\\Data\\b.bin", std::string(600 << 10, 'o')), 0u);
    files.beforeMove = [this](const std::string&, const std::string& to) {
        if (to == "F:\\Data\\a.txt") {
            os::VolumeSpace space;
            ASSERT_EQ(sim().GetVolumeSpace("F:", space), 0u);
            ASSERT_EQ(sim().PutSparseFile("F:\\other.bin", space.freeBytes - (300 << 10)), 0u);
        }
    };
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(owner.diskFull.empty());  // it fits where its old copy was
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\b.bin"), std::string(700 << 10, 'n'));
}

TEST_F(CopierTest, SizesBeyondFourGigabytesAreCountedInFull) {
    os::sim::SimMediumSpec setup;
    setup.capacityBytes = 1ULL << 40;  // 1 TB: its 32-bit figures would look nearly full
    setup.sectorsPerCluster = 64;
    disk = sim().CreateMedium(setup);
    sim().InsertMedium("F:", disk);
    os::sim::SimPutOptions big;
    big.times = os::FileTimes{At(-10), At(-10), At(-10)};
    ASSERT_EQ(sim().PutSparseFile("C:\\Data\\video.mkv", 5ULL << 30, big), 0u);
    ASSERT_EQ(Scan(), 0u);
    EXPECT_EQ(candidates.Total(), 5ULL << 30);
    EXPECT_EQ(copier->DiskCapacity("F:\\x"), 1ULL << 40);
    ASSERT_EQ(Pass(), 0u);
    EXPECT_TRUE(owner.diskFull.empty());
    EXPECT_TRUE(owner.tooLarge.empty());
    EXPECT_EQ(FileSizeOf(files, "F:\\Data\\video.mkv"), 5ULL << 30);
    EXPECT_EQ(copier->BytesCopied(), 5ULL << 30);
}

TEST_F(SmallDiskTest, AFiveGigabyteFileIsTooLargeForASmallDisk) {
    os::sim::SimPutOptions big;
    big.times = os::FileTimes{At(-10), At(-10), At(-10)};
    ASSERT_EQ(sim().PutSparseFile("C:\\Data\\video.mkv", (5ULL << 30) + 1000, big), 0u);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(owner.tooLarge.size(), 1u);
    EXPECT_TRUE(owner.diskFull.empty());
}

// --- Temporary files -------------------------------------------------------------------------

TEST_F(CopierTest, AStaleTemporaryFileIsRemovedWhenItsFolderIsWrittenNext) {
    ASSERT_EQ(sim().PutFile("F:\\Data\\~Ferrolin2-0000abcd.partial", "torn"), 0u);
    ASSERT_EQ(sim().PutFile("F:\\Other\\~Ferrolin2-0000abce.partial", "torn"), 0u);
    Put("C:\\Data\\a.txt", "a", At(-10));
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(HoldsExactly(
        sim(), "F:\\", {{"Data\\a.txt", "a"}, {"Other\\~Ferrolin2-0000abce.partial", "torn"}}));
}

TEST_F(CopierTest, AUsersFileNamedLikeATemporaryIsBackedUpAndKept) {
    Put("C:\\Data\\~Ferrolin2-00000001.partial", "mine", At(-20));
    Put("C:\\Data\\b.txt", "b", At(-10));
    ASSERT_EQ(Backup(), 0u);
    Put("C:\\Data\\b.txt", "b2", At(5));
    ASSERT_EQ(Backup(), 0u);  // writes the folder again
    EXPECT_TRUE(HoldsExactly(
        sim(), "F:\\", {{"Data\\~Ferrolin2-00000001.partial", "mine"}, {"Data\\b.txt", "b2"}}));
    EXPECT_TRUE(IsTemporaryName("~ferrolin2-0000ABCD.PARTIAL"));
    EXPECT_FALSE(IsTemporaryName("~Ferrolin2-0000abcg.partial"));
    EXPECT_FALSE(IsTemporaryName("~Ferrolin2-0000abcd.partial.txt"));
}

// --- What the progress display reads, and the disk start time --------------------------------

TEST_F(CopierTest, PercentDoneFollowsTheBytesOfTheCandidates) {
    EXPECT_EQ(copier->PercentDone(), 0u);
    Put("C:\\Data\\a.txt", std::string(300, 'a'), At(-20));
    Put("C:\\Data\\b.txt", std::string(100, 'b'), At(-10));
    std::vector<unsigned> seen;
    files.beforeMove = [&](const std::string&, const std::string&) {
        seen.push_back(copier->PercentDone());
    };
    ASSERT_EQ(Scan(), 0u);
    Put("C:\\Data\\b.txt", std::string(500, 'b'), At(-10));  // grew after the scan
    ASSERT_EQ(Pass(), 0u);
    EXPECT_EQ(seen, (std::vector<unsigned>{75, 200}));
    EXPECT_EQ(copier->PercentDone(), 99u);  // bytes copied, the candidates are done
    EXPECT_EQ(copier->CurrentSource(), "C:\\Data\\b.txt");
    EXPECT_EQ(copier->CurrentDestination(), "F:\\Data\\b.txt");
}

TEST_F(CopierTest, AnotherThreadReadsTheProgressAndCancelsWhileThePassRuns) {
    for (int i = 0; i < 40; ++i) {
        Put("C:\\Data\\f" + std::to_string(i) + ".bin", std::string(40000, 'x'), At(i));
    }
    ASSERT_EQ(Scan(), 0u);
    std::atomic<bool> done{false};
    std::thread poll([&] {
        unsigned last = 0;
        while (!done) {
            const unsigned percent = copier->PercentDone();
            EXPECT_GE(percent, last);  // never runs back within a pass
            last = percent;
            const std::string source = copier->CurrentSource();
            EXPECT_TRUE(source.empty() || source.rfind("C:\\Data\\f", 0) == 0) << source;
            if (percent >= 50) {
                copier->Cancel();
            }
            std::this_thread::yield();
        }
    });
    ASSERT_EQ(Pass(), 0u);
    done = true;
    poll.join();
    // Whatever was copied is complete; the rest is still due.
    for (const auto& [path, contents] : FilesUnder(sim(), "F:\\")) {
        EXPECT_EQ(contents, std::string(40000, 'x')) << path;
    }
}

TEST_F(CopierTest, TheDiskStartTimeIsKeptInTheRegistry) {
    ASSERT_EQ(store.WriteDiskStartTime(At(-500)), 0u);
    FileCopier again(files, owner, store, 0);
    EXPECT_EQ(again.DiskStartTime(), At(-500));
    Put("C:\\Data\\a.txt", "a", At(-10));
    ASSERT_EQ(Scan(), 0u);
    ASSERT_EQ(again.CopyPass(candidates, "F:", retries, watermark), 0u);
    EXPECT_EQ(again.DiskStartTime(), At(-500));  // set by an earlier copy to this disk

    ASSERT_EQ(store.WriteDiskStartTime(0), 0u);
    FileCopier fresh(files, owner, store, 0);
    Put("C:\\Data\\b.txt", "b", At(-5));
    ASSERT_EQ(Scan(), 0u);
    ASSERT_EQ(fresh.CopyPass(candidates, "F:", retries, watermark), 0u);
    EXPECT_EQ(fresh.DiskStartTime(), At(-5));
    os::FileTime stored = 0;
    ASSERT_EQ(store.ReadDiskStartTime(stored), 0u);
    EXPECT_EQ(stored, At(-5));
}

TEST_F(CopierTest, AnEmptyDestinationTouchesNothing) {
    Put("C:\\Data\\a.txt", "a", At(-10));
    ASSERT_EQ(Scan(), 0u);
    ASSERT_EQ(copier->CopyPass(candidates, "", retries, watermark), 0u);
    EXPECT_EQ(candidates.Count(), 1u);
    EXPECT_TRUE(FilesUnder(sim(), "F:\\").empty());
}

}  // namespace
}  // namespace engine::testing
