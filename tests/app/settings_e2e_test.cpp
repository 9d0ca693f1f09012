// The settings window of the real Ferrolin2.exe under Wine, driven from outside like a user:
// opened by a second start and from the tray menu, its pages changed with clicks, and what then
// lands in the registry, in the notification area and on the backup disk.

#include <gtest/gtest.h>

#include <string>

#include "tests/app/program_fixture.h"

namespace endtoend {
namespace {

constexpr int kCommandOpen = 40008;
constexpr int kGeneralPage = 0;
constexpr int kAdvancedPage = 1;
constexpr int kSchedulingPage = 2;
// Controls of the pages.
constexpr int kOff = 1002;
constexpr int kSources = 1024;
constexpr int kTrayIconBox = 1052;
constexpr int kEveryInterval = 1106;
constexpr int kIntervalCount = 1122;
constexpr int kIntervalUnit = 1109;
constexpr int kRecopyAll = 1010;

class SettingsTest : public ProgramTest {
  protected:
    // Opens the settings from the tray menu's Open and waits for the sheet.
    HWND OpenSettings() {
        Command(kCommandOpen);
        return WaitForDialogWithText(L"Sheet", 20000);
    }

    static HWND ShowPage(HWND settings, int index) { return ShowSettingsPage(settings, index); }

    // Clicks and waits for the click to be handled (a posted click can overtake a later send).
    static void Press(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

    // Confirms the sheet and waits until it is gone.
    bool Confirm(HWND settings) {
        ClickButton(settings, IDOK);
        return WaitUntil([&] { return !IsWindow(settings); }, 20000);
    }
};

TEST_F(SettingsTest, ASecondStartOpensTheSheetOfTheRunningProgram) {
    Configuration configuration = BaseConfiguration();
    configuration.startTime = kJanuary2024 + 1000 * kHour;
    ASSERT_TRUE(WriteConfiguration(configuration));
    Start();
    RunningProgram second;
    ASSERT_TRUE(second.started());
    DWORD exitCode = 1;
    ASSERT_TRUE(second.WaitForExit(kStartMs, exitCode));
    const HWND settings = WaitForDialogWithText(L"Sheet", 20000);
    ASSERT_NE(settings, nullptr) << "0x401 did not open the settings";
    ClickButton(settings, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(settings); }, 10000));
    EXPECT_TRUE(program_->IsRunning());
}

TEST_F(SettingsTest, TurningTheTrayIconOffStoresItAndTheIconGoes) {
    Configuration configuration = BaseConfiguration();
    configuration.startTime = kJanuary2024 + 1000 * kHour;
    configuration.iconStatus = 1;
    ASSERT_TRUE(WriteConfiguration(configuration));
    Start();
    ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(window_, kTrayIconId); }, 10000));
    const HWND settings = OpenSettings();
    ASSERT_NE(settings, nullptr);
    Press(ShowPage(settings, kAdvancedPage), kTrayIconBox);
    ASSERT_TRUE(Confirm(settings));
    EXPECT_TRUE(WaitUntil([&] { return !TrayIconExists(window_, kTrayIconId); }, 10000));
    EXPECT_EQ(ReadDword(L"Icon Status").value_or(7), 0u);
    EXPECT_TRUE(program_->IsRunning());
}

TEST_F(SettingsTest, ReCopyAllFilesMakesACompleteCopy) {
    MakeSourceFiles();
    Configuration configuration = BaseConfiguration();
    // Copied before, as far as the program knows: an ordinary pass would copy nothing.
    configuration.startTime = kJanuary2024 + 100000 * kHour;
    ASSERT_TRUE(WriteConfiguration(configuration));
    Start();
    const HWND settings = OpenSettings();
    ASSERT_NE(settings, nullptr);
    Press(ShowPage(settings, kSchedulingPage), kRecopyAll);
    ASSERT_TRUE(Confirm(settings));
    EXPECT_TRUE(WaitForDiskToMatchSource()) << CompareTrees(SourceTree(), DiskTree());
    EXPECT_TRUE(WaitUntil([&] { return ReadStartTime().value_or(0) == NewestWrite(SourceTree()); },
                          kPassMs))
        << "the complete copy stored no new last-sync time";
}

TEST_F(SettingsTest, AFolderAddedOnOkIsCopiedWhole) {
    MakeSourceFiles();
    Configuration configuration = BaseConfiguration();
    configuration.startTime = kJanuary2024 + 1000 * kHour;  // newer than every file
    ASSERT_TRUE(WriteConfiguration(configuration));
    Start();
    // A second folder with old files, added as the folder picker adds it to the list.
    const std::wstring added = source_ + L" Added";
    RemoveTree(added);
    ASSERT_TRUE(CreateFolders(added + L"\\Old"));
    ASSERT_TRUE(WriteFileBytes(added + L"\\Old\\ledger.txt", "1999: 12 apples\r\n"));
    ASSERT_TRUE(SetLastWriteTime(added + L"\\Old\\ledger.txt", kJanuary2024));
    const HWND settings = OpenSettings();
    ASSERT_NE(settings, nullptr);
    const HWND general = ShowPage(settings, kGeneralPage);
    SendDlgItemMessageW(general, kSources, LB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(added.c_str()));
    ASSERT_TRUE(Confirm(settings));

    const std::wstring copy = disk_->hostRoot() + L"\\" + folder_ + L" Added\\Old\\ledger.txt";
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(copy).has_value(); }, kPassMs))
        << "the added folder's old file is not on the disk";
    EXPECT_EQ(ReadFileBytes(copy).value_or(""), "1999: 12 apples\r\n");
    // Its files only: the other folder's files are older than the last sync and stay off.
    EXPECT_TRUE(DiskTree().empty());
    RemoveTree(disk_->hostRoot() + L"\\" + folder_ + L" Added");
    RemoveTree(added);
}

// The engine works from its settings as they were when it started: a new interval reaches it
// only through the restart after OK. With copies every ten hours nothing would be copied while
// the test looks; with one minute, a new file is on the disk about a minute later.
TEST_F(SettingsTest, ANewIntervalScheduleReachesTheEngine) {
    Configuration configuration = BaseConfiguration();
    configuration.startTime = kJanuary2024 + 1000 * kHour;
    ASSERT_TRUE(WriteConfiguration(configuration));
    Start();
    const HWND settings = OpenSettings();
    ASSERT_NE(settings, nullptr);
    const HWND scheduling = ShowPage(settings, kSchedulingPage);
    Press(scheduling, kEveryInterval);
    SendDlgItemMessageW(scheduling, kIntervalCount, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1"));
    SendDlgItemMessageW(scheduling, kIntervalUnit, CB_SETCURSEL, 0, 0);
    ASSERT_TRUE(Confirm(settings));
    const DWORD confirmed = GetTickCount();
    EXPECT_EQ(ReadDword(L"Scheduler TYP").value_or(7), 1u);
    EXPECT_EQ(ReadDword(L"Scheduler INT").value_or(7), 1u);
    EXPECT_EQ(ReadDword(L"Scheduler ITP").value_or(7), 0u);

    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    AddFile(L"fresh.txt", "made after the settings\r\n",
            (static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime));
    const std::wstring copy = disk_->hostRoot() + L"\\" + folder_ + L"\\fresh.txt";
    ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(copy).has_value(); }, 60000 + kPassMs))
        << "no pass came at the new interval";
    // Not at once (there is no change watcher for this schedule), but after the minute.
    EXPECT_GE(GetTickCount() - confirmed, 50000u);
}

TEST_F(SettingsTest, SwitchingOffWithTheNoticeConfirmedEndsTheProgram) {
    Configuration configuration = BaseConfiguration();
    configuration.startTime = kJanuary2024 + 1000 * kHour;
    ASSERT_TRUE(WriteConfiguration(configuration));
    Start();
    const HWND settings = OpenSettings();
    ASSERT_NE(settings, nullptr);
    Press(ShowPage(settings, kGeneralPage), kOff);
    ClickButton(settings, IDOK);
    const HWND notice = WaitForDialogWithText(L"You are about to turn");
    ASSERT_NE(notice, nullptr);
    ClickButton(notice, IDOK);
    DWORD exitCode = 1;
    EXPECT_TRUE(program_->WaitForExit(kStartMs, exitCode)) << "the program keeps running";
    EXPECT_EQ(ReadDword(L"Mirror Status").value_or(7), 0u);
}

}  // namespace
}  // namespace endtoend
