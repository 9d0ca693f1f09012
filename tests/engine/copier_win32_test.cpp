// The scan and the copier over real files (Windows, or Wine): attributes and times on the
// backup, a replaced read-only copy, a file another program holds open, a revision, a Unicode
// path longer than MAX_PATH, and names made through "\\?\" that the disk cannot hold.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/copier_owner.h"
#include "engine/file_copier.h"
#include "engine/folder_scanner.h"
#include "os/errors.h"
#include "os/text.h"
#include "settings/settings_store.h"
#include "tests/os/contract/port_environment.h"

namespace engine {
namespace {

class Owner final : public CopierOwner {
  public:
    uint32_t DiskFullHandler(const os::FileTime&, const os::FileTime&, uint64_t, const std::string&,
                             uint64_t) override {
        ++diskFull;
        return os::kErrorOperationAborted;
    }
    void FileTooLarge(const std::string& path) override { tooLarge.push_back(path); }
    void FileError(const std::string& path, uint32_t code) override {
        errors.push_back(path + " " + std::to_string(code));
    }
    void LongFileName(const std::string& name) override { longNames.push_back(name); }
    int diskFull = 0;
    std::vector<std::string> longNames;
    std::vector<std::string> tooLarge;
    std::vector<std::string> errors;
};

// 2020-06-01 12:00 UTC, and a second later for each step.
constexpr os::FileTime kTime = 132355728000000000ULL;

class CopierWin32Test : public contract::ContractTest {
  protected:
    void SetUp() override {
        ContractTest::SetUp();
        source = at("src");
        destination = at("dst");
        ASSERT_EQ(files().CreateDirectory(source), 0u);
        ASSERT_EQ(files().CreateDirectory(destination), 0u);
        store = std::make_unique<settings::CKRVSettingsStore>(registry(),
                                                              environment().registryScratch());
        copier = std::make_unique<FileCopier>(files(), owner, *store, 0);
        scanner = std::make_unique<FolderScanner>(files());
        candidates = std::make_unique<FileList>(files());
        retries = std::make_unique<FileList>(files());
    }
    void TearDown() override {
        retries.reset();
        candidates.reset();
        scanner.reset();
        copier.reset();
        store.reset();
        ContractTest::TearDown();
    }

    void Write(const std::string& path, const std::string& contents, os::FileTime time) {
        std::unique_ptr<os::File> file;
        ASSERT_EQ(files().Open(path,
                               {os::kAccessWrite, os::kShareNone, os::Disposition::CreateAlways,
                                os::kAttributeNormal, 0},
                               file),
                  0u)
            << path;
        uint32_t written = 0;
        ASSERT_EQ(file->Write(contents.data(), static_cast<uint32_t>(contents.size()), written),
                  0u);
        ASSERT_EQ(file->SetTimes({time, time, time}), 0u);
        ASSERT_EQ(file->Close(), 0u);
    }
    std::string Read(const std::string& path) {
        std::unique_ptr<os::File> file;
        if (files().Open(path,
                         {os::kAccessRead, os::kShareRead, os::Disposition::OpenExisting, 0, 0},
                         file) != 0) {
            return "<missing>";
        }
        std::string contents(1 << 16, '\0');
        uint32_t got = 0;
        file->Read(contents.data(), static_cast<uint32_t>(contents.size()), got);
        contents.resize(got);
        return contents;
    }
    std::string BackupOf(const std::string& path) { return BackupPathOf(destination, path); }
    uint32_t Backup() {
        EXPECT_EQ(scanner->ScanFolder(source, {}, watermark, *candidates), 0u);
        return copier->CopyPass(*candidates, destination, *retries, watermark);
    }
    // Files whose names mark them as the copier's temporary files, anywhere under dst.
    int TemporaryFiles(const std::string& folder) {
        int count = 0;
        std::unique_ptr<os::DirectorySearch> search;
        os::FileInfo entry;
        for (uint32_t e = files().FindFirst(folder + "\\*", search, entry); e == 0;
             e = search->Next(entry)) {
            if (entry.name == "." || entry.name == "..") {
                continue;
            }
            if (entry.IsDirectory()) {
                count += TemporaryFiles(folder + "\\" + entry.name);
            } else if (IsTemporaryName(entry.name)) {
                ++count;
            }
        }
        return count;
    }

    std::string source;
    std::string destination;
    Owner owner;
    std::unique_ptr<settings::CKRVSettingsStore> store;
    std::unique_ptr<FileCopier> copier;
    std::unique_ptr<FolderScanner> scanner;
    std::unique_ptr<FileList> candidates;
    std::unique_ptr<FileList> retries;
    os::FileTime watermark = 0;
};

TEST_F(CopierWin32Test, TheBackupCarriesTheDataAttributesAndTimes) {
    const std::string report = source + "\\Report.doc";
    Write(report, "report", kTime);
    ASSERT_EQ(files().SetAttributes(
                  report, os::kAttributeReadOnly | os::kAttributeHidden | os::kAttributeArchive),
              0u);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(owner.errors.empty()) << owner.errors.front();
    EXPECT_EQ(Read(BackupOf(report)), "report");
    os::FileInfo copy;
    ASSERT_EQ(files().GetFileInfo(BackupOf(report), copy), 0u);
    EXPECT_EQ(copy.times.lastWrite, kTime);
    EXPECT_EQ(copy.attributes & (os::kAttributeReadOnly | os::kAttributeHidden),
              os::kAttributeReadOnly | os::kAttributeHidden);
    EXPECT_EQ(watermark, kTime);
    EXPECT_EQ(TemporaryFiles(destination), 0);
    ASSERT_EQ(files().SetAttributes(BackupOf(report), os::kAttributeNormal), 0u);
    ASSERT_EQ(files().SetAttributes(report, os::kAttributeNormal), 0u);
    if (!underWine()) {
        EXPECT_EQ(copy.times.creation, kTime);
    }
}

TEST_F(CopierWin32Test, TheArchiveAttributeOfTheSourceIsClearedAfterTheCopy) {
    SKIP_UNDER_WINE("every file reports the archive attribute and it cannot be cleared");
    const std::string path = source + "\\a.txt";
    Write(path, "a", kTime);
    ASSERT_EQ(Backup(), 0u);
    uint32_t attributes = 0;
    ASSERT_EQ(files().GetAttributes(path, attributes), 0u);
    EXPECT_EQ(attributes & os::kAttributeArchive, 0u);
}

TEST_F(CopierWin32Test, AReadOnlyOldCopyIsReplacedAndARevisionKept) {
    const std::string path = source + "\\notes.txt";
    Write(path, "first", kTime);
    ASSERT_EQ(Backup(), 0u);
    ASSERT_EQ(files().SetAttributes(BackupOf(path), os::kAttributeReadOnly), 0u);
    copier->SetRevisionLimit(3);
    Write(path, "second", kTime + 10'000'000);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(owner.errors.empty()) << owner.errors.front();
    EXPECT_EQ(Read(BackupOf(path)), "second");
    const std::string revision = destination + "\\Corvant Ferrolin 2 Revisions" +
                                 BackupOf(source + "\\notes.(1).txt").substr(destination.size());
    EXPECT_EQ(Read(revision), "first");
    EXPECT_EQ(TemporaryFiles(destination), 0);
    files().SetAttributes(revision, os::kAttributeNormal);
}

TEST_F(CopierWin32Test, AFileHeldOpenGoesOnTheRetryListAndIsCopiedLater) {
    const std::string path = source + "\\held.txt";
    Write(path, "held", kTime);
    {
        std::unique_ptr<os::File> held;
        ASSERT_EQ(files().Open(path,
                               {os::kAccessRead | os::kAccessWrite, os::kShareNone,
                                os::Disposition::OpenExisting, 0, 0},
                               held),
                  0u);
        ASSERT_EQ(Backup(), 0u);
        EXPECT_TRUE(owner.errors.empty()) << owner.errors.front();
        ASSERT_EQ(retries->Count(), 1u);
        EXPECT_EQ(retries->EntryAt(0).path, path);
        EXPECT_EQ(Read(BackupOf(path)), "<missing>");
        EXPECT_EQ(TemporaryFiles(destination), 0);
    }
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(Read(BackupOf(path)), "held");
    EXPECT_EQ(retries->Count(), 0u);
}

TEST_F(CopierWin32Test, AUnicodePathLongerThanMaxPath) {
    std::string folder = source;
    for (int i = 0; os::Utf16Length(folder) < 300; ++i) {
        folder += "\\Ελληνικά 文件夹 " + std::to_string(i);
        ASSERT_EQ(files().CreateDirectory(folder), 0u) << folder;
    }
    const std::string path = folder + "\\Über naïve 😀.txt";
    ASSERT_GT(os::Utf16Length(path), 260u);
    Write(path, "far away", kTime);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(owner.errors.empty()) << owner.errors.front();
    EXPECT_EQ(Read(BackupOf(path)), "far away");
}

// A name ending in a dot and a device name, made through "\\?\" paths: the scan finds them, the
// copier reports the first and copies neither (a plain path would reach "report" or the device),
// and nothing is left to retry.
TEST_F(CopierWin32Test, NamesMadeThroughLiteralPathsAreReportedNotCopied) {
    const std::string literal = "\\\\?\\" + source + "\\";
    std::unique_ptr<os::File> probe;
    if (files().Open(literal + "report.",
                     {os::kAccessWrite, os::kShareNone, os::Disposition::CreateAlways,
                      os::kAttributeNormal, 0},
                     probe) != 0) {
        GTEST_SKIP() << "this system keeps no name ending in a dot";
    }
    ASSERT_EQ(probe->Close(), 0u);
    Write(literal + "report.", "dotted", kTime);
    Write(literal + "CON", "device name", kTime);
    Write(source + "\\report", "the real report", kTime);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(owner.longNames.size(), 1u);
    EXPECT_TRUE(owner.errors.empty()) << owner.errors.front();
    EXPECT_EQ(retries->Count(), 0u);
    EXPECT_EQ(Read(BackupOf(source + "\\report")), "the real report");
    uint32_t attributes = 0;
    EXPECT_NE(files().GetAttributes("\\\\?\\" + BackupOf(source + "\\CON"), attributes), 0u);
    EXPECT_NE(files().GetAttributes("\\\\?\\" + BackupOf(source + "\\report."), attributes), 0u);
}

}  // namespace
}  // namespace engine
