// Passes to the disks most removable media carry: FAT32 keeps no file of 4 GiB or more and its
// times in steps of 2 s; exFAT in steps of 10 ms. And the files the user would not want copied
// as they are: cloud placeholders and EFS-encrypted files. And names the disk cannot hold.

#include "engine/file_copier.h"
#include "os/errors.h"
#include "tests/engine/engine_fixture.h"

namespace engine::testing {
namespace {

constexpr char kDocs[] = "C:\\Users\\User\\Documents";
constexpr char kMirror[] = "F:\\Users\\User\\Documents";
constexpr char kRevisions[] = "F:\\Corvant Ferrolin 2 Revisions\\Users\\User\\Documents";

class DiskKindsTest : public EngineFixture {
  protected:
    void UseDisk(const std::string& fileSystem) {
        Configure();
        EXPECT_EQ(store().WriteRevisions(3), 0u);
        drvKit::sim::SimDiskSpec setup;
        setup.label = "STICK";
        setup.serialNumber = 9;
        setup.capacityBytes = 64ULL << 30;
        setup.fileSystem = fileSystem;
        setup.fileSystemRules = true;
        drives->InsertDisk('F', drives->CreateDisk(setup));
        EXPECT_EQ(store().WriteDiskId(Identifier(9)), 0u);
    }

    // A file whose archive attribute comes back without a change (a program that sets it, a
    // restore) is a candidate again; its backup has its times only to the disk's resolution.
    void AnUnchangedFileMakesNoRevision() {
        const std::string letter = std::string(kDocs) + "\\letter.doc";
        os::sim::SimPutOptions odd;
        const os::FileTime t = sim.clock().UtcNow() - 3 * os::kFileTimeTicksPerSecond + 12'345;
        odd.times = os::FileTimes{t, t, t};
        ASSERT_EQ(sim.files().PutFile(letter, "Dear all", odd), 0u);
        MakeEngine();
        ASSERT_EQ(engine->RunPass(false), 0u);
        ASSERT_EQ(sim.files().ContentsOf(std::string(kMirror) + "\\letter.doc"), "Dear all");
        sim.clock().Sleep(60'000);
        ASSERT_EQ(sim.machine().files.SetAttributes(letter, os::kAttributeArchive), 0u);
        ASSERT_EQ(engine->RunPass(false), 0u);
        EXPECT_TRUE(DiskFiles(kRevisions).empty());
        EXPECT_TRUE(user.shown.empty());
    }
};

TEST_F(DiskKindsTest, AFileOfFourGigabytesIsTooLargeForFat32BeforeAByteIsWritten) {
    UseDisk("FAT32");
    ASSERT_EQ(sim.files().PutSparseFile(std::string(kDocs) + "\\film.mkv", 4ULL << 30), 0u);
    Put(std::string(kDocs) + "\\letter.doc", "Dear all");
    user.notices = {NoticeChoice{}};
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    // The file-too-large notice, not a full disk to swap.
    EXPECT_EQ(user.shown, std::vector<std::string>{"162"});
    const auto disk = sim.files().ListTree("F:\\");
    for (const os::sim::SimEntry& entry : disk) {
        EXPECT_LT(entry.size, 1u << 20) << entry.relativePath;
    }
    EXPECT_EQ(sim.files().ContentsOf(std::string(kMirror) + "\\letter.doc"), "Dear all");
    // One byte less fits.
    ASSERT_EQ(sim.files().PutSparseFile(std::string(kDocs) + "\\film.mkv", (4ULL << 30) - 1), 0u);
    user.shown.clear();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_TRUE(user.shown.empty());
    os::FileInfo copy;
    ASSERT_EQ(sim.machine().files.GetFileInfo(std::string(kMirror) + "\\film.mkv", copy), 0u);
    EXPECT_EQ(copy.size, (4ULL << 30) - 1);
}

TEST_F(DiskKindsTest, AnUnchangedFileMakesNoRevisionOnFat32) {
    UseDisk("FAT32");
    AnUnchangedFileMakesNoRevision();
}

TEST_F(DiskKindsTest, AnUnchangedFileMakesNoRevisionOnExFat) {
    UseDisk("exFAT");
    AnUnchangedFileMakesNoRevision();
}

TEST_F(DiskKindsTest, PlaceholdersAndEncryptedFilesAreSkippedAndReportedOnceARun) {
    Configure();
    EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
    auto put = [this](const std::string& name, uint32_t attributes) {
        os::sim::SimPutOptions options;
        options.attributes = os::kAttributeArchive | attributes;
        ASSERT_EQ(sim.files().PutFile(std::string(kDocs) + "\\" + name, "data of " + name, options),
                  0u);
    };
    put("in the cloud.docx", os::kAttributeRecallOnDataAccess | os::kAttributeUnpinned);
    put("also in the cloud.xlsx", os::kAttributeRecallOnDataAccess);
    put("offline.pdf", os::kAttributeOffline);
    put("secret.txt", os::kAttributeEncrypted);
    put("secret too.txt", os::kAttributeEncrypted);
    put("plain.txt", 0);
    user.answerAnything = true;
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(DiskFiles(kMirror),
              (std::map<std::string, std::string>{{"plain.txt", "data of plain.txt"}}));
    EXPECT_EQ(sim.files().RecallCount(), 0u);  // nothing was downloaded
    ASSERT_EQ(user.fileErrors.size(), 2u);
    EXPECT_EQ(user.fileErrors[0].code, kErrorFileOffline);
    EXPECT_EQ(user.fileErrors[1].code, kErrorFileEncrypted);
    // They do not hold the last-sync time back: the next pass has nothing to do.
    os::FileTime stored = 0;
    ASSERT_EQ(store().ReadStartTime(stored), 0u);
    EXPECT_GT(stored, 0u);
    sim.clock().Sleep(60'000);
    put("secret three.txt", os::kAttributeEncrypted);
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.fileErrors.size(), 2u);  // once a run
    EXPECT_EQ(DiskFiles(kMirror).size(), 1u);
}

// Names made through "\\?\" paths or by other systems: one ending in a dot reaches the file
// without it through a plain path, a device name the device, and a name longer than the disk's
// file system takes cannot be made there. None is copied, retried or held against the last-sync
// time; the first of a run gets the file-name notice, and the next run finds them again.
TEST_F(DiskKindsTest, NamesTheDiskCannotHoldAreReportedOnceARunAndNotRetried) {
    Configure();
    drvKit::sim::SimDiskSpec setup;
    setup.label = "OLD DISK";
    setup.serialNumber = 9;
    setup.capacityBytes = 64ULL << 30;
    setup.fileSystem = "UDF";
    setup.maximumComponentLength = 64;
    drives->InsertDisk('F', drives->CreateDisk(setup));
    EXPECT_EQ(store().WriteDiskId(Identifier(9)), 0u);
    const std::string literal = std::string("\\\\?\\") + kDocs + "\\";
    for (const char* name : {"report.", "notes ", "CON", "nul.txt", "old stuff.\\inside.txt"}) {
        ASSERT_EQ(sim.files().PutFile(literal + name, std::string("data of ") + name), 0u) << name;
    }
    const std::string longName = std::string(70, 'x') + ".txt";
    Put(std::string(kDocs) + "\\" + longName, "long");
    Put(std::string(kDocs) + "\\report", "the real report");
    Put(std::string(kDocs) + "\\plain.txt", "plain");
    user.answerAnything = true;
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    // "report." did not reach the backup of "report", nor anything else.
    const std::map<std::string, std::string> expected{{"report", "the real report"},
                                                      {"plain.txt", "plain"}};
    EXPECT_EQ(DiskFiles(kMirror), expected);
    EXPECT_EQ(user.shown, std::vector<std::string>{"164"});
    EXPECT_TRUE(user.fileErrors.empty());
    EXPECT_EQ(engine->retryList().Count(), 0u);
    os::FileTime stored = 0;
    ASSERT_EQ(store().ReadStartTime(stored), 0u);
    EXPECT_GT(stored, 0u);

    // The names still carry their archive attributes: found by every pass, reported no more.
    sim.clock().Sleep(60'000);
    Put(std::string(kDocs) + "\\later.txt", "later");
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown.size(), 1u);
    EXPECT_EQ(DiskFiles(kMirror).size(), 3u);
    EXPECT_EQ(engine->retryList().Count(), 0u);

    // The next run: once more, and only once.
    engine.reset();
    sim.clock().Sleep(60'000);
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown, (std::vector<std::string>{"164", "164"}));
    EXPECT_EQ(DiskFiles(kMirror),
              (std::map<std::string, std::string>{
                  {"report", "the real report"}, {"plain.txt", "plain"}, {"later.txt", "later"}}));
}

// Found by the reconciliation alone (no archive attribute, old times), a name the disk cannot
// hold is reported in each run, and the folder that holds it is searched no deeper.
TEST_F(DiskKindsTest, TheReconciliationFindsNamesTheDiskCannotHoldInEachRun) {
    UseDisk("NTFS");
    os::sim::SimPutOptions old;
    const os::FileTime t = sim.clock().UtcNow() - 100 * os::kFileTimeTicksPerSecond;
    old.times = os::FileTimes{t, t, t};
    old.attributes = 0;
    const std::string literal = std::string("\\\\?\\") + kDocs + "\\";
    ASSERT_EQ(sim.files().PutFile(literal + "dotted folder.\\a.txt", "a", old), 0u);
    ASSERT_EQ(sim.files().PutFile(std::string(kDocs) + "\\dotted folder\\b.txt", "b", old), 0u);
    EXPECT_EQ(store().WriteStartTime(sim.clock().UtcNow()),
              0u);  // the scan alone would find nothing
    user.answerAnything = true;
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown, std::vector<std::string>{"164"});
    ASSERT_EQ(user.noticeTexts.size(), 1u);
    EXPECT_NE(user.noticeTexts[0].find("dotted folder."), std::string::npos);
    // The folder without the dot is a folder of its own, and only its file is in it.
    EXPECT_EQ(DiskFiles(kMirror),
              (std::map<std::string, std::string>{{"dotted folder\\b.txt", "b"}}));
    engine.reset();
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(user.shown, (std::vector<std::string>{"164", "164"}));
}

}  // namespace
}  // namespace engine::testing
