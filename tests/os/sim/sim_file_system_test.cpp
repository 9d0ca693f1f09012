// What the simulated file system offers beyond the contract: media that come and go, volume
// limits, faults, sparse files and the helpers that tests build their trees with.

#include "os/sim/sim_machine.h"

#include <gtest/gtest.h>

#include "os/errors.h"

namespace os::sim {
namespace {

class SimFileSystemTest : public ::testing::Test {
  protected:
    SimFileSystemTest() {
        SimMediumSpec setup;
        setup.label = "BACKUP1";
        setup.serialNumber = 0x1234ABCD;
        setup.capacityBytes = 1 << 20;  // 256 clusters of 4096 bytes
        disk = files.CreateMedium(setup);
        files.AddDrive("F:", DriveType::Removable, disk);
    }

    uint32_t Write(const std::string& path, const std::string& contents) {
        std::unique_ptr<File> file;
        if (const uint32_t error =
                fs.Open(path, {kAccessWrite, kShareNone, Disposition::CreateAlways, 0, 0}, file)) {
            return error;
        }
        uint32_t written = 0;
        return file->Write(contents.data(), static_cast<uint32_t>(contents.size()), written);
    }

    SimMachine sim;
    SimFileSystem& files = sim.files();
    FileSystem& fs = sim.machine().files;
    std::shared_ptr<SimMedium> disk;
};

TEST_F(SimFileSystemTest, AMediumCanLeaveAndComeBackWithItsContents) {
    ASSERT_EQ(Write("F:\\keep.txt", "kept"), kErrorSuccess);
    std::shared_ptr<SimMedium> out = files.EjectMedium("F:");
    EXPECT_EQ(out, disk);
    uint32_t attributes = 0;
    EXPECT_EQ(fs.GetAttributes("F:\\keep.txt", attributes), kErrorNotReady);
    VolumeInfo info;
    EXPECT_EQ(fs.GetVolumeInfo("F:\\", info), kErrorNotReady);
    EXPECT_EQ(fs.GetDriveType("F:\\"), DriveType::Removable);
    files.InsertMedium("F:", out);
    EXPECT_EQ(files.ContentsOf("F:\\keep.txt"), "kept");
    ASSERT_EQ(fs.GetVolumeInfo("F:\\", info), kErrorSuccess);
    EXPECT_EQ(info.label, "BACKUP1");
    EXPECT_EQ(info.serialNumber, 0x1234ABCDu);
}

TEST_F(SimFileSystemTest, OpenFilesGoStaleWhenTheMediumChanges) {
    std::unique_ptr<File> file;
    ASSERT_EQ(
        fs.Open("F:\\open.txt", {kAccessWrite, kShareNone, Disposition::CreateAlways, 0, 0}, file),
        kErrorSuccess);
    files.InsertMedium("F:", files.EjectMedium("F:"));
    uint32_t written = 0;
    EXPECT_EQ(file->Write("x", 1, written), kErrorDeviceNotConnected);
}

TEST_F(SimFileSystemTest, TheDiskFillsAtItsCapacityInWholeClusters) {
    VolumeSpace space;
    ASSERT_EQ(fs.GetVolumeSpace("F:", space), kErrorSuccess);
    EXPECT_EQ(space.totalClusters, 256u);
    EXPECT_EQ(space.freeBytes, 1u << 20);
    ASSERT_EQ(Write("F:\\one byte", "1"), kErrorSuccess);
    ASSERT_EQ(fs.GetVolumeSpace("F:\\", space), kErrorSuccess);
    EXPECT_EQ(space.freeClusters, 255u);
    const std::string big(255 * 4096, 'b');
    EXPECT_EQ(Write("F:\\big", big), kErrorSuccess);
    EXPECT_EQ(Write("F:\\more", "m"), kErrorDiskFull);
    EXPECT_EQ(fs.DeleteFile("F:\\big"), kErrorSuccess);
    EXPECT_EQ(Write("F:\\more", "m"), kErrorSuccess);
}

TEST_F(SimFileSystemTest, FillingAtAByteFailsTheWriteThatCrossesIt) {
    files.FillVolumeAfter("F:", 10000);
    VolumeSpace space;
    ASSERT_EQ(fs.GetVolumeSpace("F:", space), kErrorSuccess);
    EXPECT_EQ(space.freeBytes, 8192u);  // what is left, in whole clusters
    std::unique_ptr<File> file;
    ASSERT_EQ(fs.Open("F:\\f", {kAccessWrite, 0, Disposition::CreateAlways, 0, 0}, file),
              kErrorSuccess);
    const std::string block(6000, 'x');
    uint32_t written = 0;
    EXPECT_EQ(file->Write(block.data(), 6000, written), kErrorSuccess);
    EXPECT_EQ(file->Write(block.data(), 6000, written), kErrorDiskFull);
    EXPECT_EQ(written, 0u);
}

TEST_F(SimFileSystemTest, RemovingTheMediumMidWriteFailsThatWriteAndEveryPathAfter) {
    files.RemoveMediumAfter("F:", 5000);
    std::unique_ptr<File> file;
    ASSERT_EQ(fs.Open("F:\\f", {kAccessWrite, 0, Disposition::CreateAlways, 0, 0}, file),
              kErrorSuccess);
    const std::string block(4096, 'x');
    uint32_t written = 0;
    EXPECT_EQ(file->Write(block.data(), 4096, written), kErrorSuccess);
    EXPECT_EQ(file->Write(block.data(), 4096, written), kErrorDeviceNotConnected);
    EXPECT_EQ(files.MediumIn("F:"), nullptr);
    EXPECT_EQ(Write("F:\\g", "g"), kErrorNotReady);
}

TEST_F(SimFileSystemTest, AWriteProtectedMediumRefusesChanges) {
    ASSERT_EQ(Write("F:\\a", "a"), kErrorSuccess);
    files.SetWriteProtected("F:", true);
    EXPECT_EQ(Write("F:\\b", "b"), kErrorWriteProtect);
    EXPECT_EQ(fs.DeleteFile("F:\\a"), kErrorWriteProtect);
    EXPECT_EQ(fs.CreateDirectory("F:\\d"), kErrorWriteProtect);
    VolumeInfo info;
    ASSERT_EQ(fs.GetVolumeInfo("F:\\", info), kErrorSuccess);
    EXPECT_TRUE(info.readOnly);
}

TEST_F(SimFileSystemTest, FaultsFailTheNamedOperationOnMatchingPaths) {
    ASSERT_EQ(files.PutFile("C:\\Data\\a.doc", "a"), kErrorSuccess);
    ASSERT_EQ(files.PutFile("C:\\Data\\b.doc", "b"), kErrorSuccess);
    sim.FailOperation(SimOperation::Open, "C:\\Data\\a.*", kErrorSharingViolation, 2);
    std::unique_ptr<File> file;
    EXPECT_EQ(fs.Open("c:\\data\\A.DOC", {}, file), kErrorSharingViolation);
    EXPECT_EQ(fs.Open("C:\\Data\\b.doc", {}, file), kErrorSuccess);
    EXPECT_EQ(fs.Open("C:\\Data\\a.doc", {}, file), kErrorSharingViolation);
    EXPECT_EQ(fs.Open("C:\\Data\\a.doc", {}, file), kErrorSuccess);  // two times only
    sim.FailOperation(SimOperation::Read, "C:\\Data\\*", 23);
    char c = 0;
    uint32_t got = 0;
    EXPECT_EQ(file->Read(&c, 1, got), 23u);
    sim.ClearFaults();
    EXPECT_EQ(file->Read(&c, 1, got), kErrorSuccess);
    // A search pattern names its folder with a literal star; a fault pattern's star still covers
    // it.
    sim.FailOperation(SimOperation::Find, "C:\\Data\\*", kErrorAccessDenied, 1);
    std::unique_ptr<DirectorySearch> search;
    FileInfo first;
    EXPECT_EQ(fs.FindFirst("C:\\Data\\*.*", search, first), kErrorAccessDenied);
}

TEST_F(SimFileSystemTest, EachOperationOfARunCanBeFailedInTurn) {
    auto run = [&] {
        if (uint32_t error = Write("F:\\a.txt", "a")) {
            return error;
        }
        uint32_t attributes = 0;
        if (uint32_t error = fs.GetAttributes("F:\\a.txt", attributes)) {
            return error;
        }
        return fs.DeleteFile("F:\\a.txt");
    };
    const uint64_t before = sim.OperationCount();
    ASSERT_EQ(run(), kErrorSuccess);
    const uint64_t operations = sim.OperationCount() - before;
    EXPECT_EQ(operations, 4u);  // open, write, get attributes, delete
    for (uint64_t n = 1; n <= operations; ++n) {
        sim.FailNthOperation(n, 1117);  // ERROR_IO_DEVICE
        EXPECT_EQ(run(), 1117u) << "operation " << n;
        sim.ClearFaults();
    }
}

TEST_F(SimFileSystemTest, SparseFilesHaveLargeSizesWithoutTheMemory) {
    SimMediumSpec setup;
    setup.capacityBytes = 2ULL << 40;
    setup.sectorsPerCluster = 8;
    files.AddDrive("D:", DriveType::Fixed, files.CreateMedium(setup));
    const uint64_t fiveGb = 5ULL << 30;
    ASSERT_EQ(files.PutSparseFile("D:\\video.mkv", fiveGb), kErrorSuccess);
    FileInfo info;
    ASSERT_EQ(fs.GetFileInfo("D:\\video.mkv", info), kErrorSuccess);
    EXPECT_EQ(info.size, fiveGb);
    // Copying it block by block keeps the copy sparse too.
    std::unique_ptr<File> source;
    std::unique_ptr<File> copy;
    ASSERT_EQ(fs.Open("D:\\video.mkv", {}, source), kErrorSuccess);
    ASSERT_EQ(fs.Open("D:\\copy.mkv", {kAccessWrite, 0, Disposition::CreateAlways, 0, 0}, copy),
              kErrorSuccess);
    std::vector<char> buffer(1 << 20);
    uint64_t total = 0;
    for (;;) {
        uint32_t got = 0;
        ASSERT_EQ(source->Read(buffer.data(), static_cast<uint32_t>(buffer.size()), got),
                  kErrorSuccess);
        if (got == 0) {
            break;
        }
        uint32_t written = 0;
        ASSERT_EQ(copy->Write(buffer.data(), got, written), kErrorSuccess);
        total += written;
    }
    EXPECT_EQ(total, fiveGb);
    uint64_t size = 0;
    ASSERT_EQ(copy->GetSize(size), kErrorSuccess);
    EXPECT_EQ(size, fiveGb);
    VolumeSpace space;
    ASSERT_EQ(fs.GetVolumeSpace("D:", space), kErrorSuccess);
    EXPECT_EQ(space.totalBytes - space.freeBytes, 2 * fiveGb);
}

TEST_F(SimFileSystemTest, WritesByTheProgramAndByOthersFireNotifications) {
    ASSERT_EQ(files.PutFolder("C:\\Watched\\Deep"), kErrorSuccess);
    std::unique_ptr<ChangeNotification> notification;
    ASSERT_EQ(fs.OpenChangeNotification("C:\\Watched", true, kNotifyLastWrite, notification),
              kErrorSuccess);
    SimClock::Participation here(sim.clock());
    ASSERT_EQ(files.PutFile("C:\\Watched\\Deep\\doc.txt", "v1"), kErrorSuccess);
    EXPECT_EQ(sim.clock().Wait(*notification, 0).status, WaitStatus::Signalled);
    // A second change before the re-arm is recorded and fires again right after it.
    ASSERT_EQ(files.PutFile("C:\\Watched\\Deep\\doc.txt", "v2"), kErrorSuccess);
    notification->Rearm();
    EXPECT_EQ(sim.clock().Wait(*notification, 0).status, WaitStatus::Signalled);
    notification->Rearm();
    EXPECT_EQ(sim.clock().Wait(*notification, 1000).status, WaitStatus::TimedOut);
}

TEST_F(SimFileSystemTest, ATreeIsListedWithRelativePathsContentsAndTimes) {
    const FileTimes times{100, 200, 300};
    ASSERT_EQ(files.PutFile("C:\\Src\\b.txt", "bee", {kAttributeArchive | kAttributeHidden, times}),
              kErrorSuccess);
    ASSERT_EQ(files.PutFile("C:\\Src\\A\\a.txt", "ay"), kErrorSuccess);
    const std::vector<SimEntry> tree = files.ListTree("C:\\Src");
    ASSERT_EQ(tree.size(), 3u);
    EXPECT_EQ(tree[0].relativePath, "A");
    EXPECT_TRUE(tree[0].directory);
    EXPECT_EQ(tree[1].relativePath, "A\\a.txt");
    EXPECT_EQ(tree[1].contents, "ay");
    EXPECT_EQ(tree[2].relativePath, "b.txt");
    EXPECT_EQ(tree[2].times, times);
    EXPECT_EQ(tree[2].attributes, kAttributeArchive | kAttributeHidden);
}

TEST_F(SimFileSystemTest, PrefixedRelativeAndNetworkPathsFindTheirFiles) {
    ASSERT_EQ(files.PutFile("C:\\Users\\u\\x.txt", "x"), kErrorSuccess);
    uint32_t attributes = 0;
    EXPECT_EQ(fs.GetAttributes("\\\\?\\C:\\Users\\u\\x.txt", attributes), kErrorSuccess);
    files.SetCurrentDirectory("C:\\Users\\u");
    EXPECT_EQ(fs.GetAttributes("x.txt", attributes), kErrorSuccess);
    SimMediumSpec share;
    files.AddDrive("\\\\server\\share", DriveType::Remote, files.CreateMedium(share));
    ASSERT_EQ(files.PutFile("\\\\SERVER\\Share\\docs\\n.txt", "net"), kErrorSuccess);
    EXPECT_EQ(files.ContentsOf("\\\\?\\UNC\\server\\share\\docs\\n.txt"), "net");
    EXPECT_EQ(fs.GetDriveType("\\\\server\\share\\"), DriveType::Remote);
    std::unique_ptr<File> file;
    EXPECT_EQ(
        fs.Open("C:\\bad<name>.txt", {kAccessWrite, 0, Disposition::CreateAlways, 0, 0}, file),
        kErrorInvalidName);
    EXPECT_EQ(fs.Open("C:\\" + std::string(256, 'n'),
                      {kAccessWrite, 0, Disposition::CreateAlways, 0, 0}, file),
              kErrorInvalidName);
}

TEST_F(SimFileSystemTest, EmptyAndDriveRelativePathsMeanWhatTheyMeanOnWindows) {
    uint32_t attributes = 0;
    EXPECT_EQ(fs.GetAttributes("", attributes), kErrorInvalidName);
    ASSERT_EQ(files.PutFile("C:\\Work\\here.txt", "h"), kErrorSuccess);
    files.SetCurrentDirectory("C:\\Work");
    EXPECT_EQ(fs.GetAttributes("C:here.txt", attributes), kErrorSuccess);
    EXPECT_EQ(fs.GetAttributes("F:here.txt", attributes), kErrorFileNotFound);  // F: is at its root
}

TEST_F(SimFileSystemTest, AFolderCannotMoveIntoItselfNorAcrossVolumes) {
    ASSERT_EQ(files.PutFolder("C:\\A\\B"), kErrorSuccess);
    EXPECT_EQ(fs.MoveFile("C:\\A", "C:\\A\\B\\A", false), kErrorAccessDenied);
    ASSERT_EQ(files.PutFile("C:\\A\\f.txt", "f"), kErrorSuccess);
    EXPECT_EQ(fs.MoveFile("C:\\A\\f.txt", "F:\\f.txt", false), kErrorNotSameDevice);
}

TEST_F(SimFileSystemTest, ARenameThroughAHandleMovesAcrossFoldersButNotVolumes) {
    ASSERT_EQ(files.PutFolder("C:\\A\\B"), kErrorSuccess);
    std::unique_ptr<File> file;
    ASSERT_EQ(
        fs.Open("C:\\A\\f.tmp",
                {kAccessWrite | kAccessDelete, kShareNone, Disposition::CreateNew, 0, 0}, file),
        kErrorSuccess);
    EXPECT_EQ(file->Rename("F:\\f.txt", false), kErrorNotSameDevice);
    ASSERT_EQ(file->Rename("C:\\A\\B\\f.txt", false), kErrorSuccess);
    // Faults match the file's new path.
    sim.FailOperation(SimOperation::Write, "*\\B\\f.txt", kErrorDiskFull, 1);
    uint32_t written = 0;
    EXPECT_EQ(file->Write("x", 1, written), kErrorDiskFull);
    files.EjectMedium("C:");
    EXPECT_EQ(file->Rename("C:\\A\\g.txt", false), kErrorDeviceNotConnected);
}

TEST_F(SimFileSystemTest, CallsAreCountedByKindAndEachHandleClosesOnce) {
    ASSERT_EQ(files.PutFile("C:\\c.txt", "counted"), kErrorSuccess);
    const SimCallTally before = files.calls().Tally();
    uint32_t attributes = 0;
    EXPECT_EQ(fs.GetAttributes("C:\\c.txt", attributes), kErrorSuccess);
    EXPECT_EQ(fs.GetAttributes("C:\\missing.txt", attributes), kErrorFileNotFound);
    {
        std::unique_ptr<File> file;
        ASSERT_EQ(fs.Open("C:\\c.txt", {}, file), kErrorSuccess);
        FileInfo info;
        EXPECT_EQ(file->GetInfo(info), kErrorSuccess);
        char buffer[16];
        uint32_t got = 0;
        EXPECT_EQ(file->Read(buffer, sizeof buffer, got), kErrorSuccess);
        EXPECT_EQ(file->Close(), kErrorSuccess);
        EXPECT_EQ(file->Close(), kErrorInvalidHandle);
    }
    {
        std::unique_ptr<File> file;
        ASSERT_EQ(fs.Open("C:\\c.txt", {}, file), kErrorSuccess);
    }  // closed by its destructor
    const SimCallTally made = CallsBetween(before, files.calls().Tally());
    EXPECT_EQ(made[static_cast<size_t>(SimCall::GetAttributes)], 2u);
    EXPECT_EQ(made[static_cast<size_t>(SimCall::GetFileInfo)], 0u);
    EXPECT_EQ(made[static_cast<size_t>(SimCall::Open)], 2u);
    EXPECT_EQ(made[static_cast<size_t>(SimCall::GetInfo)], 1u);
    EXPECT_EQ(made[static_cast<size_t>(SimCall::Read)], 1u);
    EXPECT_EQ(made[static_cast<size_t>(SimCall::Close)], 2u);
    EXPECT_EQ(TotalCalls(made), 8u);
    EXPECT_STREQ(SimCallName(SimCall::Rename), "File::Rename");
}

}  // namespace
}  // namespace os::sim
