// What the simulated media model beyond the contract: the write cache that a power cut or a
// pulled disk empties, the rules of FAT32 and exFAT, reparse points and the files a backup must
// not copy as they are (cloud placeholders, encrypted files).

#include <gtest/gtest.h>

#include "os/errors.h"
#include "os/sim/sim_machine.h"

namespace os::sim {
namespace {

constexpr FileTime kSecond = kFileTimeTicksPerSecond;

class SimMediaTest : public ::testing::Test {
  protected:
    std::shared_ptr<SimMedium> AddDisk(const std::string& root, SimWriteCache cache,
                                       const std::string& fileSystem = "NTFS") {
        SimMediumSpec setup;
        setup.label = "BACKUP";
        setup.capacityBytes = 64ULL << 20;
        setup.fileSystem = fileSystem;
        setup.writeCache = cache;
        auto medium = files.CreateMedium(setup);
        files.AddDrive(root, DriveType::Removable, medium);
        return medium;
    }

    // Creates (or replaces) a file with contents; flushes it when asked. Keeps it open in `open`.
    uint32_t Write(const std::string& path, const std::string& contents, bool flush = false) {
        if (const uint32_t error =
                fs.Open(path, {kAccessWrite, kShareNone, Disposition::CreateAlways, 0, 0}, open)) {
            return error;
        }
        uint32_t written = 0;
        if (const uint32_t error =
                open->Write(contents.data(), static_cast<uint32_t>(contents.size()), written)) {
            return error;
        }
        return flush ? open->Flush() : kErrorSuccess;
    }

    std::string Contents(const std::string& path) {
        return files.ContentsOf(path).value_or("<missing>");
    }

    void PowerCycle() {
        sim.CutPowerNow();
        open.reset();
        sim.RestorePower();
    }

    SimMachine sim;
    SimFileSystem& files = sim.files();
    FileSystem& fs = sim.machine().files;
    std::unique_ptr<File> open;
};

TEST_F(SimMediaTest, DataWaitsInTheCacheUntilItsFileIsFlushed) {
    AddDisk("F:", SimWriteCache::Data);
    ASSERT_EQ(files.PutFile("F:\\old.txt", "old contents"), kErrorSuccess);
    ASSERT_EQ(Write("F:\\kept.txt", "flushed", true), kErrorSuccess);
    ASSERT_EQ(Write("F:\\new.txt", "not flushed"), kErrorSuccess);
    ASSERT_EQ(Write("F:\\old.txt", "rewritten"), kErrorSuccess);
    EXPECT_EQ(Contents("F:\\new.txt"), "not flushed");  // the running system sees it all
    PowerCycle();
    EXPECT_EQ(Contents("F:\\kept.txt"), "flushed");
    // The names and sizes were journalled; the data never reached the medium.
    EXPECT_EQ(Contents("F:\\new.txt"), std::string(11, '\0'));
    EXPECT_EQ(Contents("F:\\old.txt"), std::string("old contents").substr(0, 9));
}

TEST_F(SimMediaTest, ARenameCanReachTheMediumBeforeTheDataItNames) {
    AddDisk("F:", SimWriteCache::Data);
    ASSERT_EQ(files.PutFile("F:\\report.doc", "version one"), kErrorSuccess);
    ASSERT_EQ(Write("F:\\report.tmp", "version two"), kErrorSuccess);
    open.reset();
    ASSERT_EQ(fs.MoveFile("F:\\report.tmp", "F:\\report.doc", true), kErrorSuccess);
    PowerCycle();
    // The old copy is gone and the new one is torn: what a copier must flush against.
    EXPECT_EQ(Contents("F:\\report.doc"), std::string(11, '\0'));
    EXPECT_EQ(Contents("F:\\report.tmp"), "<missing>");
}

TEST_F(SimMediaTest, WithEverythingCachedOnlyAFlushCommitsNamesAndThatFilesData) {
    AddDisk("F:", SimWriteCache::All);
    ASSERT_EQ(files.PutFile("F:\\a.txt", "a, old"), kErrorSuccess);
    ASSERT_EQ(Write("F:\\b.tmp", "b, new"), kErrorSuccess);
    open.reset();
    ASSERT_EQ(fs.MoveFile("F:\\b.tmp", "F:\\b.txt", false), kErrorSuccess);
    ASSERT_EQ(fs.CreateDirectory("F:\\Folder"), kErrorSuccess);
    ASSERT_EQ(Write("F:\\a.txt", "a, new"), kErrorSuccess);
    ASSERT_EQ(Write("F:\\c.txt", "c", true), kErrorSuccess);  // commits every change so far
    ASSERT_EQ(fs.DeleteFile("F:\\a.txt"), kErrorSuccess);       // after the flush: lost
    PowerCycle();
    EXPECT_EQ(Contents("F:\\c.txt"), "c");
    EXPECT_EQ(Contents("F:\\b.txt"), std::string(6, '\0'));  // named, data not flushed
    EXPECT_EQ(Contents("F:\\a.txt"), "a, old");
    FileInfo info;
    EXPECT_EQ(fs.GetFileInfo("F:\\Folder", info), kErrorSuccess);
    EXPECT_EQ(fs.GetFileInfo("F:\\b.tmp", info), kErrorFileNotFound);
}

TEST_F(SimMediaTest, ASafeEjectWritesTheCacheAndAPullLosesIt) {
    AddDisk("F:", SimWriteCache::All);
    ASSERT_EQ(Write("F:\\safe.txt", "safe"), kErrorSuccess);
    open.reset();
    files.InsertMedium("F:", files.EjectMedium("F:"));
    ASSERT_EQ(Write("F:\\pulled.txt", "pulled"), kErrorSuccess);
    files.InsertMedium("F:", files.PullMedium("F:"));
    uint32_t written = 0;
    EXPECT_EQ(open->Write("x", 1, written), kErrorDeviceNotConnected);
    EXPECT_EQ(Contents("F:\\safe.txt"), "safe");
    EXPECT_EQ(Contents("F:\\pulled.txt"), "<missing>");
}

TEST_F(SimMediaTest, FlushingNeedsWriteAccessAndCountsAsAnOperation) {
    AddDisk("F:", SimWriteCache::Data);
    ASSERT_EQ(files.PutFile("F:\\a.txt", "a"), kErrorSuccess);
    std::unique_ptr<File> reader;
    ASSERT_EQ(fs.Open("F:\\a.txt", {}, reader), kErrorSuccess);
    EXPECT_EQ(reader->Flush(), kErrorAccessDenied);
    ASSERT_EQ(Write("F:\\b.txt", "b"), kErrorSuccess);
    sim.FailOperation(SimOperation::Flush, "F:\\b.txt", 1117, 1);
    EXPECT_EQ(open->Flush(), 1117u);
    EXPECT_EQ(open->Flush(), kErrorSuccess);
}

TEST_F(SimMediaTest, APowerCutAtAnOperationStopsEveryOperationAfterIt) {
    AddDisk("F:", SimWriteCache::Data);
    std::unique_ptr<RegistryKey> key;
    ASSERT_EQ(sim.machine().registry.CreateKey(Hive::CurrentUser, "Software\\Test", key),
              kErrorSuccess);
    ASSERT_EQ(key->SetValue("before", RegistryValue::Dword(1)), kErrorSuccess);
    sim.CutPowerAtOperation(3);  // open, write, then the flush
    EXPECT_EQ(Write("F:\\a.txt", "a", true), kErrorNotReady);
    EXPECT_TRUE(sim.PoweredOff());
    EXPECT_EQ(key->SetValue("after", RegistryValue::Dword(2)), kErrorNotReady);
    EXPECT_EQ(fs.CreateDirectory("F:\\late"), kErrorNotReady);
    uint32_t written = 0;
    EXPECT_EQ(open->Write("b", 1, written), kErrorDeviceNotConnected);  // stale
    sim.RestorePower();
    EXPECT_EQ(Contents("F:\\a.txt"), std::string(1, '\0'));
    FileInfo info;
    EXPECT_EQ(fs.GetFileInfo("F:\\late", info), kErrorFileNotFound);
    RegistryValue value;
    EXPECT_EQ(key->QueryValue("before", value), kErrorSuccess);
    EXPECT_EQ(key->QueryValue("after", value), kErrorFileNotFound);
}

TEST_F(SimMediaTest, AMediumPulledAtAnOperationFailsOnlyWhatIsOnIt) {
    AddDisk("F:", SimWriteCache::Data);
    ASSERT_EQ(files.PutFile("C:\\Data\\a.txt", "a"), kErrorSuccess);
    sim.PullMediumAtOperation(2, "F:");
    ASSERT_EQ(fs.Open("F:\\b.txt", {kAccessWrite, kShareNone, Disposition::CreateNew, 0, 0}, open),
              kErrorSuccess);  // 1
    std::unique_ptr<File> source;
    EXPECT_EQ(fs.Open("C:\\Data\\a.txt", {}, source), kErrorSuccess);  // 2: pulled, goes on
    uint32_t written = 0;
    EXPECT_EQ(open->Write("b", 1, written), kErrorDeviceNotConnected);
    EXPECT_EQ(files.MediumIn("F:"), nullptr);
    ASSERT_NE(sim.MediumPulled(), nullptr);
    files.InsertMedium("F:", sim.MediumPulled());
    EXPECT_EQ(Contents("F:\\b.txt"), "");  // created, nothing written
}

TEST_F(SimMediaTest, Fat32KeepsNoFileOf4GiBOrMore) {
    AddDisk("F:", SimWriteCache::Off, "FAT32");
    SimMediumSpec big;
    big.capacityBytes = 16ULL << 30;
    big.fileSystem = "FAT32";
    files.AddDrive("G:", DriveType::Removable, files.CreateMedium(big));
    ASSERT_EQ(fs.Open("G:\\video.mkv", {kAccessWrite, 0, Disposition::CreateAlways, 0, 0}, open),
              kErrorSuccess);
    // Reach 4 GiB - 1 in one large zero write (kept sparse), then one byte more.
    const std::string zeros(1 << 20, '\0');
    uint32_t written = 0;
    for (int i = 0; i < 4095; ++i) {
        ASSERT_EQ(open->Write(zeros.data(), 1 << 20, written), kErrorSuccess);
    }
    ASSERT_EQ(open->Write(zeros.data(), (1 << 20) - 1, written), kErrorSuccess);
    EXPECT_EQ(open->Write("x", 1, written), kErrorDiskFull);
    EXPECT_EQ(written, 0u);
    uint64_t size = 0;
    ASSERT_EQ(open->GetSize(size), kErrorSuccess);
    EXPECT_EQ(size, 0xFFFFFFFFu);
}

TEST_F(SimMediaTest, FatKeepsWriteTimesInTwoSecondsOfLocalTime) {
    AddDisk("F:", SimWriteCache::Off, "FAT32");
    AddDisk("G:", SimWriteCache::Off, "exFAT");
    const FileTime base = sim.clock().UtcNow() / (10 * kSecond) * (10 * kSecond);
    const FileTimes times{base + kSecond + 123, base + 5, base + 3 * kSecond + 7};
    for (const char* path : {"F:\\a.txt", "G:\\a.txt"}) {
        ASSERT_EQ(Write(path, "a"), kErrorSuccess);
        ASSERT_EQ(open->SetTimes(times), kErrorSuccess);
        open.reset();
    }
    FileInfo fat;
    FileInfo exfat;
    ASSERT_EQ(fs.GetFileInfo("F:\\a.txt", fat), kErrorSuccess);
    ASSERT_EQ(fs.GetFileInfo("G:\\a.txt", exfat), kErrorSuccess);
    EXPECT_EQ(fat.times.lastWrite, base + 4 * kSecond);  // rounded up to an even second
    EXPECT_EQ(fat.times.creation, base + kSecond);      // 10 ms steps
    EXPECT_EQ(exfat.times.lastWrite, base + 3 * kSecond);
    EXPECT_EQ(exfat.times.creation, base + kSecond);
    // Daylight saving starts: FAT's local times now read an hour earlier; exFAT's do not move.
    sim.clock().SetTimeZoneBias(-60);
    ASSERT_EQ(fs.GetFileInfo("F:\\a.txt", fat), kErrorSuccess);
    ASSERT_EQ(fs.GetFileInfo("G:\\a.txt", exfat), kErrorSuccess);
    EXPECT_EQ(fat.times.lastWrite, base + 4 * kSecond - 3600 * kSecond);
    EXPECT_EQ(exfat.times.lastWrite, base + 3 * kSecond);
}

TEST_F(SimMediaTest, FatAndExFatRefuseNamesEndingInADotOrASpace) {
    AddDisk("F:", SimWriteCache::Off, "FAT32");
    AddDisk("G:", SimWriteCache::Off, "exFAT");
    ASSERT_EQ(files.PutFile("\\\\?\\C:\\Data\\notes.", "n"), kErrorSuccess);
    FileInfo info;
    EXPECT_EQ(fs.GetFileInfo("\\\\?\\C:\\Data\\notes.", info), kErrorSuccess);
    for (const char* root : {"\\\\?\\F:\\", "\\\\?\\G:\\"}) {
        EXPECT_EQ(Write(std::string(root) + "notes.", "n"), kErrorInvalidName) << root;
        EXPECT_EQ(fs.CreateDirectory(std::string(root) + "folder "), kErrorInvalidName) << root;
    }
    // Without the prefix the system drops them, as everywhere.
    EXPECT_EQ(Write("F:\\notes.", "n"), kErrorSuccess);
    EXPECT_EQ(files.ContentsOf("F:\\notes"), "n");
}

TEST_F(SimMediaTest, ANameLongerThanTheMediumTakesIsRefused) {
    SimMediumSpec setup;
    setup.maximumComponentLength = 64;
    files.AddDrive("F:", DriveType::Removable, files.CreateMedium(setup));
    VolumeInfo volume;
    ASSERT_EQ(fs.GetVolumeInfo("F:\\", volume), kErrorSuccess);
    EXPECT_EQ(volume.maximumComponentLength, 64u);
    EXPECT_EQ(Write("F:\\" + std::string(64, 'n'), "ok"), kErrorSuccess);
    EXPECT_EQ(Write("F:\\" + std::string(65, 'n'), "long"), kErrorInvalidName);
    ASSERT_EQ(fs.CreateDirectory("F:\\d"), kErrorSuccess);
    EXPECT_EQ(fs.MoveFile("F:\\d", "F:\\" + std::string(65, 'd'), false), kErrorInvalidName);
}

TEST_F(SimMediaTest, LookupsFollowAJunctionButLinkOperationsActOnTheLinkItself) {
    AddDisk("F:", SimWriteCache::Off);
    ASSERT_EQ(files.PutFile("C:\\Data\\mine.txt", "the user's own"), kErrorSuccess);
    ASSERT_EQ(files.PutFolder("F:\\Data"), kErrorSuccess);
    ASSERT_EQ(files.PutLink("F:\\Data\\Link", "C:\\Data", true), kErrorSuccess);
    FileInfo info;
    ASSERT_EQ(fs.GetFileInfo("F:\\Data\\Link", info), kErrorSuccess);
    EXPECT_EQ(info.attributes, kAttributeDirectory | kAttributeReparsePoint);
    // Through the link: a search, a read, a write and a new folder all land on C:.
    std::unique_ptr<DirectorySearch> search;
    ASSERT_EQ(fs.FindFirst("F:\\Data\\Link\\*.txt", search, info), kErrorSuccess);
    EXPECT_EQ(info.name, "mine.txt");
    ASSERT_EQ(Write("F:\\Data\\Link\\mine.txt", "overwritten"), kErrorSuccess);
    open.reset();
    EXPECT_EQ(files.ContentsOf("C:\\Data\\mine.txt"), "overwritten");
    ASSERT_EQ(fs.CreateDirectory("F:\\Data\\Link\\Made"), kErrorSuccess);
    EXPECT_EQ(fs.GetFileInfo("C:\\Data\\Made", info), kErrorSuccess);
    // A rename across it leaves the disk.
    ASSERT_EQ(files.PutFile("F:\\Data\\x.txt", "x"), kErrorSuccess);
    EXPECT_EQ(fs.MoveFile("F:\\Data\\x.txt", "F:\\Data\\Link\\x.txt", false),
              kErrorNotSameDevice);
    // Deleting the link removes the link, not what it leads to.
    EXPECT_EQ(fs.DeleteFile("F:\\Data\\Link"), kErrorAccessDenied);  // it is a folder
    EXPECT_EQ(fs.RemoveDirectory("F:\\Data\\Link"), kErrorSuccess);
    EXPECT_EQ(fs.GetFileInfo("C:\\Data\\mine.txt", info), kErrorSuccess);
}

TEST_F(SimMediaTest, FileLinksMountPointsAndLoops) {
    AddDisk("F:", SimWriteCache::Off);
    AddDisk("G:", SimWriteCache::Off);
    ASSERT_EQ(files.PutFile("C:\\Data\\a.txt", "a"), kErrorSuccess);
    ASSERT_EQ(files.PutLink("F:\\a.txt", "C:\\Data\\a.txt", false), kErrorSuccess);
    FileInfo info;
    ASSERT_EQ(fs.GetFileInfo("F:\\a.txt", info), kErrorSuccess);
    EXPECT_EQ(info.attributes & kAttributeReparsePoint, kAttributeReparsePoint);
    EXPECT_EQ(files.ContentsOf("F:\\a.txt"), "");  // the link holds no data of its own
    std::unique_ptr<File> file;
    ASSERT_EQ(fs.Open("F:\\a.txt", {}, file), kErrorSuccess);
    char c = 0;
    uint32_t got = 0;
    ASSERT_EQ(file->Read(&c, 1, got), kErrorSuccess);
    EXPECT_EQ(c, 'a');
    file.reset();
    EXPECT_EQ(fs.DeleteFile("F:\\a.txt"), kErrorSuccess);
    EXPECT_EQ(files.ContentsOf("C:\\Data\\a.txt"), "a");
    // A mount point: another volume's root as a folder.
    ASSERT_EQ(files.PutLink("F:\\Other", "G:\\", true), kErrorSuccess);
    ASSERT_EQ(Write("F:\\Other\\g.txt", "g"), kErrorSuccess);
    open.reset();
    EXPECT_EQ(files.ContentsOf("G:\\g.txt"), "g");
    // A loop ends with 1921 after 63 links, never by running out of stack.
    ASSERT_EQ(files.PutLink("F:\\Loop", "F:\\Loop", true), kErrorSuccess);
    EXPECT_EQ(fs.CreateDirectory("F:\\Loop\\x"), 1921u);
}

TEST_F(SimMediaTest, ReadingAPlaceholderDownloadsItAndEncryptedFilesKeepTheirMark) {
    SimPutOptions placeholder;
    placeholder.attributes =
        kAttributeArchive | kAttributeOffline | kAttributeRecallOnDataAccess;
    ASSERT_EQ(files.PutFile("C:\\Cloud\\big.pdf", "cloud data", placeholder), kErrorSuccess);
    SimPutOptions encrypted;
    encrypted.attributes = kAttributeArchive | kAttributeEncrypted;
    ASSERT_EQ(files.PutFile("C:\\Private\\diary.txt", "secret", encrypted), kErrorSuccess);
    uint32_t attributes = 0;
    ASSERT_EQ(fs.GetAttributes("C:\\Private\\diary.txt", attributes), kErrorSuccess);
    EXPECT_EQ(attributes, kAttributeArchive | kAttributeEncrypted);
    ASSERT_EQ(fs.SetAttributes("C:\\Private\\diary.txt", kAttributeNormal), kErrorSuccess);
    ASSERT_EQ(fs.GetAttributes("C:\\Private\\diary.txt", attributes), kErrorSuccess);
    EXPECT_EQ(attributes, kAttributeEncrypted);  // not a bit SetAttributes changes
    // Opening and asking about a placeholder costs nothing; reading its data downloads it.
    std::unique_ptr<File> file;
    ASSERT_EQ(fs.Open("C:\\Cloud\\big.pdf", {}, file), kErrorSuccess);
    EXPECT_EQ(files.RecallCount(), 0u);
    char buffer[16];
    uint32_t got = 0;
    ASSERT_EQ(file->Read(buffer, sizeof buffer, got), kErrorSuccess);
    EXPECT_EQ(files.RecallCount(), 1u);
    ASSERT_EQ(fs.GetAttributes("C:\\Cloud\\big.pdf", attributes), kErrorSuccess);
    EXPECT_EQ(attributes, kAttributeArchive);
}

}  // namespace
}  // namespace os::sim
