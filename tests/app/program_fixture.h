#pragma once
// The fixture of the end-to-end tests: a source folder of the test's own on C:, a backup disk of
// its own in the emulated removable drive K:, the program's settings, and the running program.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/app/e2e_support.h"
#include "tests/app/program_runner.h"
#include "tests/drivekit/wine_media.h"

namespace endtoend {

inline constexpr DWORD kStartMs = 20000;
// A pass takes its copy, five seconds with the progress at 100 % and a second for the drive.
inline constexpr DWORD kPassMs = 40000;
inline constexpr char kBackupLetter = 'K';

// 2024-01-01 00:00 UTC as a FILETIME, and one hour.
inline constexpr uint64_t kJanuary2024 = 133485408000000000ULL;
inline constexpr uint64_t kHour = 36000000000ULL;

inline constexpr int kCommandClose = 40009;
inline constexpr int kCommandCopyChanged = 40010;
inline constexpr int kCommandCopyAll = 40011;

inline std::string Binary(size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 2463534242u;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state);
    }
    return bytes;
}

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!winetest::RunningUnderWine()) {
            GTEST_SKIP() << "the emulated removable backup drive exists under Wine only";
        }
        EndLeftoverInstances();
        DeleteFileW(RetryLogPath().c_str());
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder_ = L"ferrolin-e2e\\" + std::wstring(name.begin(), name.end());
        source_ = L"C:\\" + folder_;
        RemoveTree(source_);
        ASSERT_TRUE(CreateFolders(source_));
        disk_ = std::make_unique<BackupDisk>(kBackupLetter, "app-e2e-disk", "e2e00001");
        ASSERT_TRUE(disk_->ready());
    }

    void TearDown() override {
        program_.reset();
        EndLeftoverInstances();
        DeleteProgramKey();
        disk_.reset();
        RemoveTree(L"C:\\ferrolin-e2e");
        DeleteFileW(RetryLogPath().c_str());
    }

    std::wstring Source(const std::wstring& relative) const { return source_ + L"\\" + relative; }

    void AddFile(const std::wstring& relative, const std::string& contents, uint64_t time) {
        const std::wstring path = Source(relative);
        CreateFolders(path.substr(0, path.rfind(L'\\')));
        ASSERT_TRUE(WriteFileBytes(path, contents));
        ASSERT_TRUE(SetLastWriteTime(path, time));
    }

    // Files of several kinds: text, empty, binary over several copy blocks, names in other
    // scripts, a deep folder.
    void MakeSourceFiles() {
        AddFile(L"notes.txt", "Shopping: bread, milk\r\n", kJanuary2024);
        AddFile(L"Letters\\Grüße an Zoë.txt", "Liebe Zoë,\r\n", kJanuary2024 + kHour);
        AddFile(L"Letters\\Ελληνικά και 日本語.doc", Binary(700), kJanuary2024 + 2 * kHour);
        AddFile(L"Photos\\empty.dat", "", kJanuary2024 + 3 * kHour);
        AddFile(L"Photos\\holiday.jpg", Binary(100000), kJanuary2024 + 4 * kHour);
        AddFile(L"Work\\2024\\Q1\\report.txt", "Quarter one\r\n", kJanuary2024 + 5 * kHour);
    }

    Configuration BaseConfiguration() const {
        Configuration configuration;
        configuration.destination = disk_->root();
        configuration.diskId = disk_->diskId();
        configuration.sources = {source_};
        return configuration;
    }

    void Start(const std::wstring& arguments = L"") {
        program_ = std::make_unique<RunningProgram>(arguments);
        ASSERT_TRUE(program_->started());
        window_ = program_->WaitForMainWindow(kStartMs);
        ASSERT_NE(window_, nullptr) << "the program shows no main window";
    }

    std::map<std::wstring, FileFacts> SourceTree() const { return ReadTree(source_); }
    // The backup of C:\x\y is K:\x\y.
    std::map<std::wstring, FileFacts> DiskTree() const {
        return ReadTree(disk_->hostRoot() + L"\\" + folder_);
    }

    // Waits until a pass has stored a last-sync time other than `before`.
    bool WaitForStoredTimeOtherThan(uint64_t before) {
        return WaitUntil(
            [&] {
                const std::optional<uint64_t> now = ReadStartTime();
                return now && *now != before && *now != 0;
            },
            kPassMs);
    }

    bool WaitForDiskToMatchSource() {
        return WaitUntil([&] { return CompareTrees(SourceTree(), DiskTree()).empty(); }, kPassMs,
                         200);
    }

    void Command(int command) { ASSERT_TRUE(PostMessageW(window_, WM_COMMAND, command, 0)); }

    HWND WaitForDialogWithText(const std::wstring& textStart, DWORD timeoutMs = 15000) {
        HWND dialog = nullptr;
        WaitUntil(
            [&] {
                dialog = program_->FindWindowOfProcess(L"#32770", textStart);
                return dialog != nullptr;
            },
            timeoutMs);
        return dialog;
    }

    void ClickButton(HWND dialog, int id) {
        ASSERT_TRUE(PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0));
    }

    std::wstring folder_;
    std::wstring source_;
    std::unique_ptr<BackupDisk> disk_;
    std::unique_ptr<RunningProgram> program_;
    HWND window_ = nullptr;
};

}  // namespace endtoend
