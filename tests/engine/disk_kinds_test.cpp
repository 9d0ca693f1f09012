// Passes to the disks most removable media carry: FAT32 keeps no file of 4 GiB or more and its
// times in steps of 2 s; exFAT in steps of 10 ms. And the files the user would not want copied
// as they are: cloud placeholders and EFS-encrypted files.

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
        store().WriteRevisions(3);
        drvKit::sim::SimDiskSpec setup;
        setup.label = "STICK";
        setup.serialNumber = 9;
        setup.capacityBytes = 64ULL << 30;
        setup.fileSystem = fileSystem;
        setup.fileSystemRules = true;
        drives->InsertDisk('F', drives->CreateDisk(setup));
        store().WriteDiskId(Identifier(9));
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
    store().WriteDiskId(Identifier(1));
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

}  // namespace
}  // namespace engine::testing
