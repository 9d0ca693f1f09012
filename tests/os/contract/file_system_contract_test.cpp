// The file-system port's contract: what the program relies on from files, folders, searches,
// volumes and change notifications, the same on the simulated machine and on Windows.

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "os/errors.h"
#include "tests/os/contract/file_system_fixture.h"

namespace contract {
namespace {

using os::Disposition;
using os::FileInfo;
using os::OpenRequest;

TEST_F(FileSystemContract, WritesReadsAndReportsTheSize) {
    const std::string path = at("a.txt");
    ASSERT_EQ(Write(path, "hello, disk"), os::kErrorSuccess);
    EXPECT_EQ(Read(path), "hello, disk");
    FileInfo info;
    ASSERT_EQ(files().GetFileInfo(path, info), os::kErrorSuccess);
    EXPECT_EQ(info.size, 11u);
    EXPECT_EQ(info.name, "a.txt");
    EXPECT_FALSE(info.IsDirectory());
}

TEST_F(FileSystemContract, ReadingAtTheEndGivesZeroBytes) {
    ASSERT_EQ(Write(at("empty.bin"), ""), os::kErrorSuccess);
    std::unique_ptr<os::File> file;
    ASSERT_EQ(files().Open(at("empty.bin"), {}, file), os::kErrorSuccess);
    char byte = 0;
    uint32_t got = 99;
    EXPECT_EQ(file->Read(&byte, 1, got), os::kErrorSuccess);
    EXPECT_EQ(got, 0u);
}

TEST_F(FileSystemContract, MissingFilesAndFoldersHaveTheirOwnCodes) {
    std::unique_ptr<os::File> file;
    EXPECT_EQ(files().Open(at("nothing.txt"), {}, file), os::kErrorFileNotFound);
    EXPECT_EQ(files().Open(at("no folder\\nothing.txt"), {}, file), os::kErrorPathNotFound);
    FileInfo info;
    EXPECT_EQ(files().GetFileInfo(at("nothing.txt"), info), os::kErrorFileNotFound);
    uint32_t attributes = 0;
    EXPECT_EQ(files().GetAttributes(at("no folder\\x"), attributes), os::kErrorPathNotFound);
    EXPECT_EQ(attributes, os::kInvalidAttributes);
}

TEST_F(FileSystemContract, DispositionsCreateTruncateAndRefuse) {
    const std::string path = at("d.txt");
    ASSERT_EQ(Write(path, "first", Disposition::CreateNew), os::kErrorSuccess);
    EXPECT_EQ(Write(path, "again", Disposition::CreateNew), os::kErrorFileExists);
    ASSERT_EQ(Write(path, "x", Disposition::CreateAlways), os::kErrorSuccess);
    EXPECT_EQ(Read(path), "x");
    ASSERT_EQ(Write(path, "y", Disposition::OpenAlways), os::kErrorSuccess);
    EXPECT_EQ(Read(path), "y");  // OpenAlways overwrites from the start and keeps the length
    std::unique_ptr<os::File> file;
    EXPECT_EQ(
        files().Open(at("t.txt"), {os::kAccessWrite, 0, Disposition::TruncateExisting, 0, 0}, file),
        os::kErrorFileNotFound);
}

TEST_F(FileSystemContract, TimesSetThroughTheHandleReadBackEverywhere) {
    const std::string path = at("timed.txt");
    ASSERT_EQ(Write(path, "t"), os::kErrorSuccess);
    const os::FileTimes wanted{133000000000000000ULL, 133100000000000000ULL, 133200000000000000ULL};
    {
        std::unique_ptr<os::File> file;
        ASSERT_EQ(files().Open(path, {os::kAccessWrite, 0, Disposition::OpenExisting, 0, 0}, file),
                  os::kErrorSuccess);
        ASSERT_EQ(file->SetTimes(wanted), os::kErrorSuccess);
        os::FileTimes got;
        ASSERT_EQ(file->GetTimes(got), os::kErrorSuccess);
        EXPECT_EQ(got.lastWrite, wanted.lastWrite);
    }
    FileInfo info;
    ASSERT_EQ(files().GetFileInfo(path, info), os::kErrorSuccess);
    EXPECT_EQ(info.times.lastWrite, wanted.lastWrite);
    EXPECT_EQ(info.times.lastAccess, wanted.lastAccess);
    std::unique_ptr<os::DirectorySearch> search;
    FileInfo found;
    ASSERT_EQ(files().FindFirst(path, search, found), os::kErrorSuccess);
    EXPECT_EQ(found.times.lastWrite, wanted.lastWrite);
    SKIP_UNDER_WINE("creation times cannot be set; they read as the last-write time");
    EXPECT_EQ(info.times.creation, wanted.creation);
    EXPECT_EQ(found.times.creation, wanted.creation);
}

TEST_F(FileSystemContract, AZeroTimeLeavesThatTimeAlone) {
    const std::string path = at("keep.txt");
    ASSERT_EQ(Write(path, "k"), os::kErrorSuccess);
    std::unique_ptr<os::File> file;
    ASSERT_EQ(files().Open(path, {os::kAccessWrite, 0, Disposition::OpenExisting, 0, 0}, file),
              os::kErrorSuccess);
    ASSERT_EQ(file->SetTimes({0, 0, 132000000000000000ULL}), os::kErrorSuccess);
    ASSERT_EQ(file->SetTimes({0, 0, 0}), os::kErrorSuccess);
    os::FileTimes got;
    ASSERT_EQ(file->GetTimes(got), os::kErrorSuccess);
    EXPECT_EQ(got.lastWrite, 132000000000000000ULL);
}

TEST_F(FileSystemContract, NewFilesCarryTheArchiveBitAndFoldersTheDirectoryBit) {
    ASSERT_EQ(Write(at("new.txt"), "n"), os::kErrorSuccess);
    uint32_t attributes = 0;
    ASSERT_EQ(files().GetAttributes(at("new.txt"), attributes), os::kErrorSuccess);
    EXPECT_NE(attributes & os::kAttributeArchive, 0u);
    EXPECT_EQ(attributes & os::kAttributeDirectory, 0u);
    ASSERT_EQ(files().CreateDirectory(at("folder")), os::kErrorSuccess);
    ASSERT_EQ(files().GetAttributes(at("folder"), attributes), os::kErrorSuccess);
    EXPECT_NE(attributes & os::kAttributeDirectory, 0u);
}

TEST_F(FileSystemContract, ClearingTheArchiveBitLeavesTheOthers) {
    SKIP_UNDER_WINE("every file reports the archive attribute and it cannot be cleared");
    const std::string path = at("arch.txt");
    ASSERT_EQ(Write(path, "a"), os::kErrorSuccess);
    ASSERT_EQ(files().SetAttributes(path, os::kAttributeHidden | os::kAttributeArchive),
              os::kErrorSuccess);
    ASSERT_EQ(files().SetAttributes(path, os::kAttributeHidden), os::kErrorSuccess);
    uint32_t attributes = 0;
    ASSERT_EQ(files().GetAttributes(path, attributes), os::kErrorSuccess);
    EXPECT_EQ(attributes, os::kAttributeHidden);
    ASSERT_EQ(files().SetAttributes(path, os::kAttributeNormal), os::kErrorSuccess);
    ASSERT_EQ(files().GetAttributes(path, attributes), os::kErrorSuccess);
    EXPECT_EQ(attributes, os::kAttributeNormal);
}

TEST_F(FileSystemContract, ReadOnlyFilesRefuseWritingAndDeletion) {
    const std::string path = at("ro.txt");
    ASSERT_EQ(Write(path, "r"), os::kErrorSuccess);
    ASSERT_EQ(files().SetAttributes(path, os::kAttributeReadOnly), os::kErrorSuccess);
    EXPECT_EQ(files().DeleteFile(path), os::kErrorAccessDenied);
    if (!underWine()) {
        // Wine keeps read-only as a Unix mode, which the tests' root user may write through.
        EXPECT_EQ(Write(path, "w", Disposition::OpenExisting), os::kErrorAccessDenied);
        EXPECT_EQ(Read(path), "r");
    }
    ASSERT_EQ(files().SetAttributes(path, os::kAttributeNormal), os::kErrorSuccess);
    EXPECT_EQ(files().DeleteFile(path), os::kErrorSuccess);
}

TEST_F(FileSystemContract, ReplacingAHiddenFileNeedsTheHiddenBitInTheRequest) {
    SKIP_UNDER_WINE("CREATE_ALWAYS replaces a hidden file without refusing");
    const std::string path = at("hidden.txt");
    ASSERT_EQ(Write(path, "h"), os::kErrorSuccess);
    ASSERT_EQ(files().SetAttributes(path, os::kAttributeHidden), os::kErrorSuccess);
    EXPECT_EQ(Write(path, "replaced"), os::kErrorAccessDenied);
    std::unique_ptr<os::File> file;
    ASSERT_EQ(
        files().Open(
            path, {os::kAccessWrite, 0, Disposition::CreateAlways, os::kAttributeHidden, 0}, file),
        os::kErrorSuccess);
}

TEST_F(FileSystemContract, ShareModesDecideWhoElseMayOpen) {
    const std::string path = at("shared.txt");
    ASSERT_EQ(Write(path, "s"), os::kErrorSuccess);
    uint32_t error = 0;
    auto exclusive = OpenWith(path, os::kAccessRead, os::kShareNone, error);
    ASSERT_EQ(error, os::kErrorSuccess);
    OpenWith(path, os::kAccessRead, os::kShareRead | os::kShareWrite, error);
    EXPECT_EQ(error, os::kErrorSharingViolation);
    exclusive.reset();

    auto reader = OpenWith(path, os::kAccessRead, os::kShareRead, error);
    ASSERT_EQ(error, os::kErrorSuccess);
    auto secondReader = OpenWith(path, os::kAccessRead, os::kShareRead, error);
    EXPECT_EQ(error, os::kErrorSuccess);
    OpenWith(path, os::kAccessWrite, os::kShareRead, error);
    EXPECT_EQ(error, os::kErrorSharingViolation);
    // The new opener must also allow what the existing ones do.
    OpenWith(path, os::kAccessRead, os::kShareNone, error);
    EXPECT_EQ(error, os::kErrorSharingViolation);
    EXPECT_EQ(files().DeleteFile(path), os::kErrorSharingViolation);
    EXPECT_EQ(files().MoveFile(path, at("moved.txt"), false), os::kErrorSharingViolation);
}

TEST_F(FileSystemContract, DeletingNeedsAnExistingFile) {
    EXPECT_EQ(files().DeleteFile(at("ghost.txt")), os::kErrorFileNotFound);
    ASSERT_EQ(files().CreateDirectory(at("dir")), os::kErrorSuccess);
    EXPECT_EQ(files().DeleteFile(at("dir")), os::kErrorAccessDenied);
}

TEST_F(FileSystemContract, MovingRenamesReplacesOrRefuses) {
    ASSERT_EQ(Write(at("one.txt"), "1"), os::kErrorSuccess);
    ASSERT_EQ(Write(at("two.txt"), "2"), os::kErrorSuccess);
    EXPECT_EQ(files().MoveFile(at("one.txt"), at("two.txt"), false), os::kErrorAlreadyExists);
    ASSERT_EQ(files().MoveFile(at("one.txt"), at("two.txt"), true), os::kErrorSuccess);
    EXPECT_EQ(Read(at("two.txt")), "1");
    EXPECT_EQ(Read(at("one.txt")), "<missing>");
    EXPECT_EQ(files().MoveFile(at("ghost"), at("x"), true), os::kErrorFileNotFound);
    ASSERT_EQ(files().MoveFile(at("two.txt"), at("Two.TXT"), false), os::kErrorSuccess);
    SKIP_UNDER_WINE("a rename that only changes the case leaves the old name");
    EXPECT_EQ(Search(at("*.txt")), (std::set<std::string>{"Two.TXT"}));
}

TEST_F(FileSystemContract, MovingOntoAReadOnlyFileIsRefused) {
    SKIP_UNDER_WINE("read-only is a Unix mode, and the tests' root user may replace the file");
    ASSERT_EQ(Write(at("new.txt"), "new"), os::kErrorSuccess);
    ASSERT_EQ(Write(at("old.txt"), "old"), os::kErrorSuccess);
    ASSERT_EQ(files().SetAttributes(at("old.txt"), os::kAttributeReadOnly), os::kErrorSuccess);
    EXPECT_EQ(files().MoveFile(at("new.txt"), at("old.txt"), true), os::kErrorAccessDenied);
    EXPECT_EQ(Read(at("old.txt")), "old");
    ASSERT_EQ(files().SetAttributes(at("old.txt"), os::kAttributeNormal), os::kErrorSuccess);
}

TEST_F(FileSystemContract, FoldersAreCreatedOnceAndRemovedWhenEmpty) {
    ASSERT_EQ(files().CreateDirectory(at("f")), os::kErrorSuccess);
    EXPECT_EQ(files().CreateDirectory(at("f")), os::kErrorAlreadyExists);
    EXPECT_EQ(files().CreateDirectory(at("missing\\f")), os::kErrorPathNotFound);
    ASSERT_EQ(Write(at("f\\inside.txt"), "i"), os::kErrorSuccess);
    EXPECT_EQ(files().CreateDirectory(at("f\\inside.txt")), os::kErrorAlreadyExists);
    EXPECT_EQ(files().RemoveDirectory(at("f")), os::kErrorDirNotEmpty);
    ASSERT_EQ(files().DeleteFile(at("f\\inside.txt")), os::kErrorSuccess);
    EXPECT_EQ(files().RemoveDirectory(at("f")), os::kErrorSuccess);
}

TEST_F(FileSystemContract, SearchPatternsHaveTheirWindowsMeaning) {
    for (const char* name : {"Report.doc", "Report.(1).doc", "Report.(12).doc", "README", "abc",
                             "abd.txt", "archive.tar.gz"}) {
        ASSERT_EQ(Write(at(name), "x"), os::kErrorSuccess) << name;
    }
    ASSERT_EQ(files().CreateDirectory(at("Sub.Folder")), os::kErrorSuccess);
    EXPECT_EQ(Search(at("*.*")).size(), 8u);  // names without a dot too
    EXPECT_EQ(Search(at("*")).size(), 8u);
    EXPECT_EQ(Search(at("Report.(*).doc")),
              (std::set<std::string>{"Report.(1).doc", "Report.(12).doc"}));
    EXPECT_EQ(Search(at("*.gz")), (std::set<std::string>{"archive.tar.gz"}));
    if (!underWine()) {  // Wine's "*." also matches names with an extension
        EXPECT_EQ(Search(at("*.")), (std::set<std::string>{"README", "abc"}));
    }
    EXPECT_EQ(Search(at("ab?")), (std::set<std::string>{"abc"}));
    EXPECT_EQ(Search(at("README.(*)")), std::set<std::string>{});
    EXPECT_EQ(Search(at("readme")), (std::set<std::string>{"README"}));
}

TEST_F(FileSystemContract, SearchesReportEntriesAndTheirErrors) {
    ASSERT_EQ(Write(at("one.bin"), "12345"), os::kErrorSuccess);
    ASSERT_EQ(files().CreateDirectory(at("sub")), os::kErrorSuccess);
    std::unique_ptr<os::DirectorySearch> search;
    FileInfo entry;
    ASSERT_EQ(files().FindFirst(at("*"), search, entry), os::kErrorSuccess);
    std::vector<FileInfo> entries;
    do {
        entries.push_back(entry);
    } while (search->Next(entry) == os::kErrorSuccess);
    EXPECT_EQ(search->Next(entry), os::kErrorNoMoreFiles);
    auto file = std::find_if(entries.begin(), entries.end(),
                             [](const FileInfo& e) { return e.name == "one.bin"; });
    auto folder = std::find_if(entries.begin(), entries.end(),
                               [](const FileInfo& e) { return e.name == "sub"; });
    ASSERT_NE(file, entries.end());
    ASSERT_NE(folder, entries.end());
    EXPECT_EQ(file->size, 5u);
    EXPECT_FALSE(file->IsDirectory());
    EXPECT_TRUE(folder->IsDirectory());
    uint32_t error = 0;
    Search(at("sub\\*.txt"), &error);
    EXPECT_EQ(error, os::kErrorFileNotFound);
    Search(at("nowhere\\*.*"), &error);
    EXPECT_EQ(error, os::kErrorPathNotFound);
}

TEST_F(FileSystemContract, NamesInAnyScriptSurviveAndCompareIgnoringCase) {
    const std::string name =
        "R\xC3\xA9sum\xC3\xA9 \xE2\x80\x94 \xE6\x97\xA5\xE6\x9C\xAC \xD0\x9C\xD0\xB8\xD1\x80.txt";
    ASSERT_EQ(Write(at(name), "unicode"), os::kErrorSuccess);
    EXPECT_EQ(Search(at("*.txt")), (std::set<std::string>{name}));
    // The same name in capitals: RÉSUMÉ — 日本 МИР.TXT
    const std::string upper =
        "R\xC3\x89SUM\xC3\x89 \xE2\x80\x94 \xE6\x97\xA5\xE6\x9C\xAC \xD0\x9C\xD0\x98\xD0\xA0.TXT";
    EXPECT_EQ(Read(at(upper)), "unicode");
}

TEST_F(FileSystemContract, PathsLongerThanTwoHundredAndSixtyCharactersWork) {
    std::string folder = scratch();
    const std::string piece(60, 'p');
    for (int i = 0; folder.size() < 400; ++i) {
        folder += "\\" + piece + std::to_string(i);
        ASSERT_EQ(files().CreateDirectory(folder), os::kErrorSuccess) << folder.size();
    }
    const std::string path = folder + "\\deep file.txt";
    ASSERT_GT(path.size(), 400u);
    ASSERT_EQ(Write(path, "deep"), os::kErrorSuccess);
    EXPECT_EQ(Read(path), "deep");
    EXPECT_EQ(Search(folder + "\\*.txt"), (std::set<std::string>{"deep file.txt"}));
    ASSERT_EQ(files().DeleteFile(path), os::kErrorSuccess);
}

TEST_F(FileSystemContract, ForwardSlashesAndDotsAreNormalised) {
    ASSERT_EQ(Write(at("n.txt"), "n"), os::kErrorSuccess);
    std::string slashed = scratch() + "/sub/../n.txt";
    EXPECT_EQ(Read(slashed), "n");
}

TEST_F(FileSystemContract, TheVolumeReportsConsistentFigures) {
    os::VolumeSpace space;
    ASSERT_EQ(files().GetVolumeSpace(scratch(), space), os::kErrorSuccess);
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_LE(space.freeBytes, space.totalBytes);
    EXPECT_GT(space.bytesPerSector, 0u);
    EXPECT_GT(space.sectorsPerCluster, 0u);
    const uint64_t cluster = static_cast<uint64_t>(space.bytesPerSector) * space.sectorsPerCluster;
    EXPECT_LE(space.freeClusters, space.totalClusters);
    EXPECT_LE(space.totalClusters * cluster, space.totalBytes + cluster);
    const std::string root = scratch().substr(0, 2);
    os::VolumeSpace byRoot;
    ASSERT_EQ(files().GetVolumeSpace(root, byRoot), os::kErrorSuccess);
    EXPECT_EQ(byRoot.totalBytes, space.totalBytes);
    EXPECT_EQ(files().GetDriveType(root + "\\"), os::DriveType::Fixed);
    const int letter = root[0] >= 'a' ? root[0] - 'a' : root[0] - 'A';
    EXPECT_NE(files().LogicalDrives() & (1u << letter), 0u);
    os::VolumeInfo info;
    EXPECT_EQ(files().GetVolumeInfo(root + "\\", info), os::kErrorSuccess);
}

TEST_F(FileSystemContract, AnUnknownDriveLetterHasNoRoot) {
    const uint32_t drives = files().LogicalDrives();
    for (char letter = 'Z'; letter > 'D'; --letter) {
        if ((drives & (1u << (letter - 'A'))) == 0) {
            const std::string root = std::string(1, letter) + ":\\";
            EXPECT_EQ(files().GetDriveType(root), os::DriveType::NoRootDirectory);
            os::VolumeSpace space;
            EXPECT_NE(files().GetVolumeSpace(root, space), os::kErrorSuccess);
            return;
        }
    }
    GTEST_SKIP() << "every drive letter is in use";
}

class ChangeNotificationContract : public FileSystemContract {
  protected:
    static constexpr uint32_t kFilter =
        os::kNotifyFileName | os::kNotifyDirectoryName | os::kNotifySize | os::kNotifyLastWrite;

    bool Fires(os::ChangeNotification& notification, uint32_t timeoutMs) {
        return clock().Wait(notification, timeoutMs).status == os::WaitStatus::Signalled;
    }
};

TEST_F(ChangeNotificationContract, ASaveInASubfolderFiresASubtreeWatch) {
    ASSERT_EQ(files().CreateDirectory(at("sub")), os::kErrorSuccess);
    ASSERT_EQ(Write(at("sub\\doc.txt"), "v1"), os::kErrorSuccess);
    std::unique_ptr<os::ChangeNotification> notification;
    ASSERT_EQ(files().OpenChangeNotification(scratch() + "\\", true, kFilter, notification),
              os::kErrorSuccess);
    Search(at("sub\\*"));  // Wine watches the subfolders it opens after the watch began
    EXPECT_FALSE(Fires(*notification, 100));
    ASSERT_EQ(Write(at("sub\\doc.txt"), "version 2"), os::kErrorSuccess);
    EXPECT_TRUE(Fires(*notification, 3000));
    // It stays signalled until it is re-armed.
    EXPECT_TRUE(Fires(*notification, 0));
    ASSERT_EQ(notification->Rearm(), os::kErrorSuccess);
    clock().Sleep(200);
    notification->Rearm();  // drop what the same save may still report
    EXPECT_FALSE(Fires(*notification, 200));
    ASSERT_EQ(Write(at("new.txt"), "n"), os::kErrorSuccess);
    EXPECT_TRUE(Fires(*notification, 3000));
}

TEST_F(ChangeNotificationContract, AWatchWithoutSubtreeIgnoresSubfolders) {
    ASSERT_EQ(files().CreateDirectory(at("sub")), os::kErrorSuccess);
    std::unique_ptr<os::ChangeNotification> notification;
    ASSERT_EQ(files().OpenChangeNotification(scratch(), false, kFilter, notification),
              os::kErrorSuccess);
    ASSERT_EQ(Write(at("sub\\deep.txt"), "d"), os::kErrorSuccess);
    EXPECT_FALSE(Fires(*notification, 300));
    ASSERT_EQ(Write(at("top.txt"), "t"), os::kErrorSuccess);
    EXPECT_TRUE(Fires(*notification, 3000));
}

TEST_F(ChangeNotificationContract, AttributeChangesAreOutsideTheFilter) {
    ASSERT_EQ(Write(at("quiet.txt"), "q"), os::kErrorSuccess);
    std::unique_ptr<os::ChangeNotification> notification;
    ASSERT_EQ(files().OpenChangeNotification(scratch(), true, kFilter, notification),
              os::kErrorSuccess);
    clock().Sleep(100);
    notification->Rearm();
    ASSERT_EQ(files().SetAttributes(at("quiet.txt"), os::kAttributeHidden), os::kErrorSuccess);
    EXPECT_FALSE(Fires(*notification, 300));
}

TEST_F(ChangeNotificationContract, AMissingFolderCannotBeWatched) {
    std::unique_ptr<os::ChangeNotification> notification;
    const uint32_t error =
        files().OpenChangeNotification(at("absent"), true, kFilter, notification);
    EXPECT_TRUE(error == os::kErrorFileNotFound || error == os::kErrorPathNotFound) << error;
    EXPECT_EQ(notification, nullptr);
}

TEST_F(ChangeNotificationContract, OneWaitCoversSeveralFolders) {
    ASSERT_EQ(files().CreateDirectory(at("a")), os::kErrorSuccess);
    ASSERT_EQ(files().CreateDirectory(at("b")), os::kErrorSuccess);
    std::unique_ptr<os::ChangeNotification> first;
    std::unique_ptr<os::ChangeNotification> second;
    ASSERT_EQ(files().OpenChangeNotification(at("a"), true, kFilter, first), os::kErrorSuccess);
    ASSERT_EQ(files().OpenChangeNotification(at("b"), true, kFilter, second), os::kErrorSuccess);
    ASSERT_EQ(Write(at("b\\x.txt"), "x"), os::kErrorSuccess);
    os::Waitable* const both[] = {first.get(), second.get()};
    const os::WaitResult result = clock().WaitForAny(both, 3000);
    EXPECT_EQ(result.status, os::WaitStatus::Signalled);
    EXPECT_EQ(result.index, 1u);
}

}  // namespace
}  // namespace contract
