// The contract of the calls on an open file that stand for calls by name: its attributes, times
// and size in one query, its times and attributes in one change, and its rename. The copier
// relies on them to copy a file with a few calls, so each case here is one it meets.

#include <string>

#include "os/errors.h"
#include "tests/os/contract/file_system_fixture.h"

namespace contract {
namespace {

using os::Disposition;
using os::FileInfo;
using os::FileTimes;
using os::OpenRequest;

constexpr FileTimes kTimes{133000000000000000ULL, 133100000000000000ULL, 133200000000000000ULL};

class FileHandleContract : public FileSystemContract {
  protected:
    std::unique_ptr<os::File> Open(const std::string& path, uint32_t access,
                                   uint32_t share = os::kShareNone,
                                   Disposition disposition = Disposition::OpenExisting,
                                   uint32_t attributes = 0) {
        std::unique_ptr<os::File> file;
        const uint32_t error =
            files().Open(path, OpenRequest{access, share, disposition, attributes, 0}, file);
        EXPECT_EQ(error, os::kErrorSuccess) << path;
        return file;
    }
    uint32_t AttributesOf(const std::string& path) {
        uint32_t attributes = 0;
        EXPECT_EQ(files().GetAttributes(path, attributes), os::kErrorSuccess) << path;
        return attributes;
    }
};

TEST_F(FileHandleContract, TheOpenFileReportsWhatALookUpByNameReports) {
    const std::string path = at("info.txt");
    ASSERT_EQ(Write(path, "twelve bytes"), os::kErrorSuccess);
    ASSERT_EQ(files().SetAttributes(path, os::kAttributeHidden | os::kAttributeArchive),
              os::kErrorSuccess);
    auto file = Open(path, os::kAccessRead, os::kShareRead);
    ASSERT_TRUE(file);
    FileInfo byHandle;
    ASSERT_EQ(file->GetInfo(byHandle), os::kErrorSuccess);
    FileInfo byName;
    ASSERT_EQ(files().GetFileInfo(path, byName), os::kErrorSuccess);
    EXPECT_EQ(byHandle.size, 12u);
    EXPECT_EQ(byHandle.attributes, byName.attributes);
    EXPECT_NE(byHandle.attributes & os::kAttributeHidden, 0u);
    EXPECT_EQ(byHandle.times, byName.times);
    EXPECT_TRUE(byHandle.name.empty());
}

TEST_F(FileHandleContract, TimesAndAttributesChangeInOneCallAndZeroLeavesThem) {
    const std::string path = at("set.txt");
    ASSERT_EQ(Write(path, "s"), os::kErrorSuccess);
    {
        auto file = Open(path, os::kAccessWrite);
        ASSERT_TRUE(file);
        ASSERT_EQ(file->SetTimesAndAttributes(kTimes, os::kAttributeHidden | os::kAttributeArchive),
                  os::kErrorSuccess);
        // Nothing given: nothing changes.
        ASSERT_EQ(file->SetTimesAndAttributes({}, 0), os::kErrorSuccess);
    }
    FileInfo info;
    ASSERT_EQ(files().GetFileInfo(path, info), os::kErrorSuccess);
    EXPECT_EQ(info.times.lastWrite, kTimes.lastWrite);
    EXPECT_EQ(info.times.lastAccess, kTimes.lastAccess);
    EXPECT_NE(info.attributes & os::kAttributeHidden, 0u);
    {
        auto file = Open(path, os::kAccessWrite);
        ASSERT_TRUE(file);
        ASSERT_EQ(file->SetTimesAndAttributes({0, 0, 134000000000000000ULL}, 0), os::kErrorSuccess);
    }
    ASSERT_EQ(files().GetFileInfo(path, info), os::kErrorSuccess);
    EXPECT_EQ(info.times.lastWrite, 134000000000000000ULL);
    EXPECT_EQ(info.times.lastAccess, kTimes.lastAccess);
    EXPECT_NE(info.attributes & os::kAttributeHidden, 0u);
    SKIP_UNDER_WINE("creation times cannot be set; they read as the last-write time");
    EXPECT_EQ(info.times.creation, kTimes.creation);
}

// The copier clears a source's archive bit through the handle it read the file with: the right to
// change attributes needs no write sharing from the program that holds the file open, and no
// writable file.
TEST_F(FileHandleContract, AttributesChangeThroughAReadHandleOfAFileOthersHoldOpen) {
    const std::string path = at("held.txt");
    ASSERT_EQ(Write(path, "h"), os::kErrorSuccess);
    ASSERT_EQ(files().SetAttributes(path, os::kAttributeReadOnly | os::kAttributeArchive),
              os::kErrorSuccess);
    auto other = Open(path, os::kAccessRead, os::kShareRead);
    ASSERT_TRUE(other);
    auto reader = Open(path, os::kAccessRead | os::kAccessWriteAttributes, os::kShareRead);
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->SetTimesAndAttributes({}, os::kAttributeReadOnly | os::kAttributeHidden),
              os::kErrorSuccess);
    EXPECT_NE(AttributesOf(path) & os::kAttributeHidden, 0u);
    EXPECT_NE(AttributesOf(path) & os::kAttributeReadOnly, 0u);
    if (!underWine()) {  // Wine shows the archive bit on every file
        EXPECT_EQ(AttributesOf(path) & os::kAttributeArchive, 0u);
    }
    reader.reset();
    other.reset();
    ASSERT_EQ(files().SetAttributes(path, os::kAttributeNormal), os::kErrorSuccess);
}

TEST_F(FileHandleContract, TheRightToReadAttributesAloneNeedsNoSharing) {
    const std::string path = at("exclusive.txt");
    ASSERT_EQ(Write(path, "x"), os::kErrorSuccess);
    auto holder = Open(path, os::kAccessRead | os::kAccessWrite, os::kShareNone);
    ASSERT_TRUE(holder);
    auto looker =
        Open(path, os::kAccessReadAttributes, os::kShareRead | os::kShareWrite | os::kShareDelete);
    ASSERT_TRUE(looker);
    FileInfo info;
    ASSERT_EQ(looker->GetInfo(info), os::kErrorSuccess);
    EXPECT_EQ(info.size, 1u);
}

TEST_F(FileHandleContract, ARenamedFileKeepsItsHandleDataTimesAndAttributes) {
    ASSERT_EQ(files().CreateDirectory(at("sub")), os::kErrorSuccess);
    auto file = Open(at("new.tmp"), os::kAccessWrite | os::kAccessDelete, os::kShareNone,
                     Disposition::CreateNew, os::kAttributeHidden);
    ASSERT_TRUE(file);
    uint32_t written = 0;
    ASSERT_EQ(file->Write("data", 4, written), os::kErrorSuccess);
    ASSERT_EQ(file->SetTimesAndAttributes(kTimes, 0), os::kErrorSuccess);
    ASSERT_EQ(file->Rename(at("final.txt"), false), os::kErrorSuccess);
    EXPECT_EQ(Search(at("*")), (std::set<std::string>{"final.txt", "sub"}));
    // Still the same open file, now under its new name and in another folder.
    ASSERT_EQ(file->Rename(at("sub\\final.txt"), false), os::kErrorSuccess);
    ASSERT_EQ(file->SetTimesAndAttributes({0, 0, 134000000000000000ULL}, 0), os::kErrorSuccess);
    ASSERT_EQ(file->Close(), os::kErrorSuccess);
    EXPECT_EQ(Search(at("*")), (std::set<std::string>{"sub"}));
    FileInfo info;
    ASSERT_EQ(files().GetFileInfo(at("sub\\final.txt"), info), os::kErrorSuccess);
    EXPECT_EQ(info.times.lastWrite, 134000000000000000ULL);
    EXPECT_EQ(info.times.lastAccess, kTimes.lastAccess);  // before reading it moves that time
    EXPECT_NE(info.attributes & os::kAttributeHidden, 0u);
    EXPECT_EQ(Read(at("sub\\final.txt")), "data");
    ASSERT_EQ(files().SetAttributes(at("sub\\final.txt"), os::kAttributeNormal), os::kErrorSuccess);
}

TEST_F(FileHandleContract, ARenameReplacesOnlyWhenAskedTo) {
    ASSERT_EQ(Write(at("old.txt"), "old"), os::kErrorSuccess);
    auto file = Open(at("new.tmp"), os::kAccessWrite | os::kAccessDelete, os::kShareNone,
                     Disposition::CreateNew);
    ASSERT_TRUE(file);
    uint32_t written = 0;
    ASSERT_EQ(file->Write("new", 3, written), os::kErrorSuccess);
    EXPECT_EQ(file->Rename(at("old.txt"), false), os::kErrorAlreadyExists);
    EXPECT_EQ(Read(at("old.txt")), "old");
    ASSERT_EQ(file->Rename(at("old.txt"), true), os::kErrorSuccess);
    ASSERT_EQ(file->Close(), os::kErrorSuccess);
    EXPECT_EQ(Read(at("old.txt")), "new");
    EXPECT_EQ(Search(at("*")), (std::set<std::string>{"old.txt"}));
}

TEST_F(FileHandleContract, ARenameRefusesWhatItMayNotReplaceOrReach) {
    ASSERT_EQ(files().CreateDirectory(at("folder")), os::kErrorSuccess);
    auto file = Open(at("a.tmp"), os::kAccessWrite | os::kAccessDelete, os::kShareNone,
                     Disposition::CreateNew);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Rename(at("folder"), true), os::kErrorAccessDenied);
    EXPECT_EQ(file->Rename(at("missing\\a.txt"), false), os::kErrorPathNotFound);
    EXPECT_EQ(file->Rename(at("a.tmp"), false), os::kErrorSuccess);  // its own name: nothing to do
    if (!underWine()) {  // read-only is a Unix mode there, which the tests' root user may replace
        ASSERT_EQ(Write(at("locked.txt"), "keep"), os::kErrorSuccess);
        ASSERT_EQ(files().SetAttributes(at("locked.txt"), os::kAttributeReadOnly),
                  os::kErrorSuccess);
        EXPECT_EQ(file->Rename(at("locked.txt"), true), os::kErrorAccessDenied);
        EXPECT_EQ(Read(at("locked.txt")), "keep");
        ASSERT_EQ(files().SetAttributes(at("locked.txt"), os::kAttributeNormal), os::kErrorSuccess);
    }
    auto reader = Open(at("a.tmp"), os::kAccessReadAttributes, os::kShareRead | os::kShareWrite);
    ASSERT_TRUE(reader);
    SKIP_UNDER_WINE("a rename through a handle without the right to delete succeeds");
    EXPECT_EQ(reader->Rename(at("b.txt"), false), os::kErrorAccessDenied);
}

// What the copier meets when the user has the old copy open on the backup disk.
TEST_F(FileHandleContract, ARenameDoesNotReplaceAFileOpenElsewhere) {
    ASSERT_EQ(Write(at("open.txt"), "in use"), os::kErrorSuccess);
    auto user = Open(at("open.txt"), os::kAccessRead, os::kShareRead);
    ASSERT_TRUE(user);
    auto file = Open(at("c.tmp"), os::kAccessWrite | os::kAccessDelete, os::kShareNone,
                     Disposition::CreateNew);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Rename(at("open.txt"), true), os::kErrorAccessDenied);
    user.reset();
    EXPECT_EQ(Read(at("open.txt")), "in use");
}

TEST_F(FileHandleContract, AFileCreatedReadOnlyTakesWritesThroughItsHandle) {
    const std::string path = at("made-read-only.txt");
    auto file = Open(path, os::kAccessWrite, os::kShareNone, Disposition::CreateNew,
                     os::kAttributeReadOnly);
    ASSERT_TRUE(file);
    uint32_t written = 0;
    ASSERT_EQ(file->Write("ro", 2, written), os::kErrorSuccess);
    ASSERT_EQ(file->Close(), os::kErrorSuccess);
    EXPECT_EQ(Read(path), "ro");
    EXPECT_NE(AttributesOf(path) & os::kAttributeReadOnly, 0u);
    ASSERT_EQ(files().SetAttributes(path, os::kAttributeNormal), os::kErrorSuccess);
}

}  // namespace
}  // namespace contract
