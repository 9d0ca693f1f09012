// The first run of the real program under Wine, seen as a new user sees it: an unconfigured
// start shows the setup wizard; walking it to the end stores the settings, makes the first
// complete copy with its progress window and shows the setup-done dialog; cancelling it leaves
// no settings and ends the program.

#include <gtest/gtest.h>

#include "tests/app/program_fixture.h"

namespace endtoend {
namespace {

// The resources' ids of the windows a new user goes through.
constexpr int kNext = 1015;
constexpr int kDiskLabelPicture = 1143;
constexpr int kFinishWizard = 1032;
constexpr int kDriveList = 1040;
constexpr int kAddRemove = 1083;
constexpr int kSourceList = 1099;
constexpr int kPickerList = 1096;
constexpr int kNewFolder = 1021;
constexpr int kNewFolderPath = 1081;

constexpr wchar_t kIntroText[] = L"Corvant Ferrolin 2 is an easy to use backup utility";
constexpr wchar_t kPickerText[] = L"Select the folder(s) you would like to automatically protect";
constexpr wchar_t kNewFolderText[] = L"Enter the name of the folder you would like to create";
constexpr wchar_t kProgressText[] = L"Corvant Ferrolin 2 is now copying";
constexpr wchar_t kDoneText[] = L"Your initial copy is now complete.";
// The notice of a disk that is three quarters full: the test's disk is a folder of the host,
// whose fullness the test does not choose.
constexpr wchar_t kFillingText[] = L"Your Corvant Ferrolin 2 disk is becoming full.";
constexpr int kFillingDontShow = 1142;

// A child dialog (a page of the wizard) that holds a control with this id.
HWND PageWith(HWND wizard, int id) {
    for (HWND page = FindWindowExW(wizard, nullptr, L"#32770", nullptr); page != nullptr;
         page = FindWindowExW(wizard, page, L"#32770", nullptr)) {
        if (GetDlgItem(page, id) != nullptr) {
            return page;
        }
    }
    return nullptr;
}

bool PageShows(HWND wizard, int id) {
    const HWND page = PageWith(wizard, id);
    return page != nullptr && IsWindowVisible(page);
}

std::wstring ListText(HWND list, int index) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return text;
}

class FirstRunTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        DeleteProgramKey();
        program_ = std::make_unique<RunningProgram>();
        ASSERT_TRUE(program_->started());
        wizard_ = WaitForDialogWithText(kIntroText, kStartMs);
        ASSERT_NE(wizard_, nullptr) << "an unconfigured start shows the setup wizard";
    }

    // Clicks a button of the wizard and waits until the page with the control shows.
    void NextTo(int controlOfPage) {
        ClickButton(wizard_, kNext);
        ASSERT_TRUE(WaitUntil([&] { return PageShows(wizard_, controlOfPage); }, 10000))
            << "no page with control " << controlOfPage;
    }

    void ChooseDrive(char letter) {
        const HWND page = PageWith(wizard_, kDriveList);
        const HWND list = GetDlgItem(page, kDriveList);
        const std::wstring root = std::wstring(L"(") + wchar_t(letter) + L":)";
        int row = -1;
        ASSERT_TRUE(WaitUntil(
            [&] {
                const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
                for (int i = 0; i < count && row < 0; ++i) {
                    if (ListText(list, i).find(root) != std::wstring::npos) {
                        row = i;
                    }
                }
                return row >= 0;
            },
            10000))
            << "no row for drive " << letter;
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(kDriveList, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }

    // Walks the wizard to its last page: drive K: and the test's source folder, typed into the
    // folder picker's create-folder dialog (the folder exists, so it is simply taken), in place
    // of the documents folder the wizard offers.
    void WalkToTheLastPage() {
        NextTo(kDiskLabelPicture);
        NextTo(kDriveList);
        ChooseDrive(kBackupLetter);
        NextTo(kSourceList);
        ClickButton(PageWith(wizard_, kAddRemove), kAddRemove);
        const HWND picker = WaitForDialogWithText(kPickerText);
        ASSERT_NE(picker, nullptr);
        // The folder the wizard offered goes: the first of the list, then Delete.
        const HWND chosen = GetDlgItem(picker, kPickerList);
        PostMessageW(chosen, WM_SETFOCUS, 0, 0);
        PostMessageW(chosen, WM_KEYDOWN, VK_HOME, 0);
        PostMessageW(chosen, WM_KEYDOWN, VK_DELETE, 0);
        ClickButton(picker, kNewFolder);
        const HWND typed = WaitForDialogWithText(kNewFolderText);
        ASSERT_NE(typed, nullptr);
        SendMessageW(GetDlgItem(typed, kNewFolderPath), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(source_.c_str()));
        ClickButton(typed, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(typed); }, 10000));
        ClickButton(picker, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); }, 10000));
        for (int page = 0; page < 3; ++page) {
            ClickButton(wizard_, kNext);
        }
        ASSERT_TRUE(
            WaitUntil([&] { return IsWindowVisible(GetDlgItem(wizard_, kFinishWizard)); }, 10000));
    }

    // The setup-done dialog that follows the first pass. A notice that the disk is filling up
    // may come first (the pass ends only when it is closed): it is told not to show again.
    HWND WaitForSetupDone() {
        HWND done = nullptr;
        WaitUntil(
            [&] {
                done = program_->FindWindowOfProcess(L"#32770", kDoneText);
                if (done != nullptr) {
                    return true;
                }
                if (const HWND filling = program_->FindWindowOfProcess(L"#32770", kFillingText)) {
                    SendMessageW(GetDlgItem(filling, kFillingDontShow), BM_SETCHECK, BST_CHECKED,
                                 0);
                    PostMessageW(GetDlgItem(filling, IDOK), BM_CLICK, 0, 0);
                }
                return false;
            },
            kPassMs);
        return done;
    }

    HWND wizard_ = nullptr;
};

TEST_F(FirstRunTest, TheWizardLeadsToAFirstCompleteBackupAndTheSetupDoneDialog) {
    MakeSourceFiles();
    WalkToTheLastPage();
    ClickButton(wizard_, kFinishWizard);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(wizard_); }, 10000));

    // What the wizard stored: the drive and disk chosen, the folder, and a zero last-sync time.
    ASSERT_TRUE(WaitUntil([] { return ReadDword(L"Warning Status").has_value(); }, 10000));
    EXPECT_EQ(ReadDword(L"Mirror Status"), 1u);
    EXPECT_EQ(ReadDword(L"Icon Status"), 1u);
    EXPECT_EQ(ReadString(L"Destination"), disk_->root());
    EXPECT_EQ(ReadString(L"DiskID"), disk_->diskId());
    EXPECT_EQ(ReadMultiString(L"Source"), std::vector<std::wstring>{source_});

    // The first pass copies everything, with its progress window.
    EXPECT_NE(WaitForDialogWithText(kProgressText, kPassMs), nullptr) << "no progress window";
    EXPECT_TRUE(WaitForDiskToMatchSource()) << CompareTrees(SourceTree(), DiskTree());
    const HWND done = WaitForSetupDone();
    ASSERT_NE(done, nullptr) << "no setup-done dialog after the first pass";
    ClickButton(done, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(done); }, 10000));
    EXPECT_TRUE(WaitForStoredTimeOtherThan(0));
    EXPECT_EQ(ReadStartTime(), NewestWrite(SourceTree()));

    // The program stays, in the tray, and copies what changes.
    window_ = program_->WaitForMainWindow(kStartMs);
    ASSERT_NE(window_, nullptr);
    EXPECT_TRUE(TrayIconExists(window_, kTrayIconId));
    AddFile(L"after the wizard.txt", "written later\r\n", kJanuary2024 + 9 * kHour);
    EXPECT_TRUE(WaitForDiskToMatchSource()) << CompareTrees(SourceTree(), DiskTree());
    EXPECT_TRUE(program_->IsRunning());
}

TEST_F(FirstRunTest, CancelLeavesNoSettingsAndEndsTheProgram) {
    NextTo(kDiskLabelPicture);
    NextTo(kDriveList);
    ChooseDrive(kBackupLetter);
    NextTo(kSourceList);  // the disk's identity is stored now
    ClickButton(wizard_, IDCANCEL);
    DWORD exitCode = 1;
    ASSERT_TRUE(program_->WaitForExit(kStartMs, exitCode));
    EXPECT_EQ(exitCode, 0u);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kOptionsKey, 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND)
        << "\"User Options\" is left behind";
    if (key != nullptr) {
        RegCloseKey(key);
    }
}

// A second start while the wizard shows hands over to the running instance, which does not
// start a second wizard.
TEST_F(FirstRunTest, ASecondStartDuringTheWizardOpensNoSecondWizard) {
    RunningProgram second;
    ASSERT_TRUE(second.started());
    DWORD exitCode = 1;
    ASSERT_TRUE(second.WaitForExit(kStartMs, exitCode));
    Sleep(1500);  // the open request has reached the first instance
    std::pair<DWORD, int> dialogs{program_->processId(), 0};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& found = *reinterpret_cast<std::pair<DWORD, int>*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[32] = L"";
            GetClassNameW(window, name, 32);
            if (owner == found.first && IsWindowVisible(window) && wcscmp(name, L"#32770") == 0) {
                ++found.second;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&dialogs));
    EXPECT_EQ(dialogs.second, 1) << "one dialog on screen: the wizard";
    ClickButton(wizard_, IDCANCEL);
    ASSERT_TRUE(program_->WaitForExit(kStartMs, exitCode));
}

}  // namespace
}  // namespace endtoend
