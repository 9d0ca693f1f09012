// Every dialog driven with the keyboard alone, through the dialog manager as the message loop
// hands it the keys: Tab visits the controls that take the focus in reading order and comes
// back round; each access key reaches its control (a button is pressed, a label's control gets
// the focus); Enter gives the default button and Esc Cancel; a group of radio buttons is one tab
// stop that the arrow keys go round. The pages of the settings window and of the wizard are shown
// in their dialogs. And the owner-drawn controls tell accessibility tools their names.

#include <oleacc.h>

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"
#include "tests/ui/dialog_driver.h"
#include "ui/common/base_dialog.h"
#include "ui/common/pie_chart.h"

namespace ui {
namespace {

// A dialog of the base over any template that notes the commands the keys give, and does
// nothing else with them, so that one dialog can take every key in turn.
class KeyboardDlg : public CKRVBaseDlg {
  public:
    explicit KeyboardDlg(UINT templateId) : CKRVBaseDlg(templateId) {}
    std::vector<int> commands;

  protected:
    bool OnCommand(int id, int code, HWND) override {
        if (code == BN_CLICKED) {
            commands.push_back(id);
        }
        return true;
    }
};

int FocusedId() {
    return GetDlgCtrlID(GetFocus());
}

// A key as the message loop hands it to the dialog manager.
void Press(HWND dialog, UINT message, WPARAM key) {
    // Alt is down for a WM_SYSCHAR (bit 29 of lParam).
    MSG msg = {GetFocus() != nullptr ? GetFocus() : dialog, message, key,
               message == WM_SYSCHAR ? (1 << 29) : 0,       0,       {}};
    IsDialogMessageW(dialog, &msg);
}

// The control ids Tab visits from the first control, once round.
std::vector<int> TabRound(HWND dialog, size_t expected) {
    std::vector<int> visited = {FocusedId()};
    for (size_t step = 0; step < expected; ++step) {
        Press(dialog, WM_KEYDOWN, VK_TAB);
        visited.push_back(FocusedId());
    }
    return visited;
}

wchar_t AccessKeyOf(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '&') {
            if (text[i + 1] != '&') {
                return static_cast<wchar_t>(tolower(static_cast<unsigned char>(text[i + 1])));
            }
            ++i;
        }
    }
    return 0;
}

bool HasClass(HWND control, const wchar_t* name) {
    wchar_t actual[16] = L"";
    GetClassNameW(control, actual, 16);
    return _wcsicmp(actual, name) == 0;
}

// A button the user presses or ticks (a group box is a label).
bool IsPressable(HWND control) {
    return HasClass(control, L"Button") &&
           (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX;
}

struct DialogKeys {
    UINT id;
    const char* name;
    std::vector<int> tabOrder;  // the controls Tab visits, starting with the first focus
    // A page (of the settings sheet or the wizard) shown in the dialog over the rectangle of
    // its placeholder, as the dialog shows its pages: its controls come before the dialog's own.
    UINT page = 0;
    int placeholder = 0;
};

// A page's commands go to the dialog that holds it.
INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        SendMessageW(GetParent(page), WM_COMMAND, wParam, lParam);
        return TRUE;
    }
    return FALSE;
}

// Shows the page over the placeholder, enabled, without its caption, and next after the
// placeholder in the order of the dialog's controls.
HWND ShowPage(HWND dialog, UINT pageId, int placeholderId) {
    const HWND page = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(pageId),
                                         dialog, PageProc, 0);
    if (page == nullptr) {
        return nullptr;
    }
    SetWindowLongW(page, GWL_STYLE,
                   (GetWindowLongW(page, GWL_STYLE) & ~(WS_CAPTION | WS_DISABLED)) | WS_CHILD);
    SetWindowLongW(page, GWL_EXSTYLE, GetWindowLongW(page, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    const HWND placeholder = GetDlgItem(dialog, placeholderId);
    RECT area = {};
    GetWindowRect(placeholder, &area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    SetWindowPos(page, placeholder, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    return page;
}

bool IsRadio(HWND control) {
    const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return HasClass(control, L"Button") && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
}

bool IsPushButton(HWND control) {
    const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return HasClass(control, L"Button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

// The visible, enabled controls of a window and of the windows it holds, in their order.
std::vector<HWND> Controls(HWND window) {
    std::vector<HWND> controls;
    for (HWND control = GetWindow(window, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        if (IsWindowVisible(control) && IsWindowEnabled(control)) {
            controls.push_back(control);
        }
    }
    return controls;
}

std::string PrintDialog(const ::testing::TestParamInfo<DialogKeys>& info) {
    return info.param.name;
}

class DialogKeyboard : public ::testing::TestWithParam<DialogKeys> {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }
    void SetUp() override {
        dialog_ = std::make_unique<KeyboardDlg>(GetParam().id);
        ASSERT_TRUE(dialog_->CreateModeless(nullptr));
        window_ = dialog_->hwnd();
        if (GetParam().page != 0) {
            page_ = ShowPage(window_, GetParam().page, GetParam().placeholder);
            ASSERT_NE(page_, nullptr);
        }
        ShowWindow(window_, SW_SHOW);
        SetForegroundWindow(window_);
        test::Pump();
        if (page_ != nullptr) {
            // The dialog gave the focus before the page was there.
            SetFocus(GetNextDlgTabItem(window_, nullptr, FALSE));
        }
    }
    void TearDown() override {
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }
    void FocusFirst() {
        SetFocus(GetNextDlgTabItem(window_, nullptr, FALSE));
        dialog_->commands.clear();
    }

    std::unique_ptr<KeyboardDlg> dialog_;
    HWND window_ = nullptr;
    HWND page_ = nullptr;
};

TEST_P(DialogKeyboard, TabVisitsTheControlsInReadingOrderAndComesBackRound) {
    const std::vector<int>& order = GetParam().tabOrder;
    EXPECT_EQ(FocusedId(), order.front()) << "the focus does not start on the first control";
    FocusFirst();
    std::vector<int> expected = order;
    expected.push_back(order.front());
    EXPECT_EQ(TabRound(window_, order.size()), expected);
}

// Of a page, its own controls' keys (the dialog's own are tested with the dialog alone).
TEST_P(DialogKeyboard, EachAccessKeyReachesItsControl) {
    for (HWND control : Controls(page_ != nullptr ? page_ : window_)) {
        const std::string text = fw::GetText(control);
        const wchar_t key = AccessKeyOf(text);
        const bool noPrefix =
            HasClass(control, L"Static") && (GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX) != 0;
        if (key == 0 || noPrefix) {
            continue;
        }
        FocusFirst();
        Press(window_, WM_SYSCHAR, key);
        const int id = GetDlgCtrlID(control);
        if (IsPressable(control)) {
            // Pressed; or, where a text before it shares its key ("click &Add/Remove."), the
            // text hands it the focus.
            EXPECT_TRUE(dialog_->commands == std::vector<int>{id} ||
                        (dialog_->commands.empty() && GetFocus() == control))
                << "Alt+" << char(key) << ": " << text;
        } else {
            // A label hands the focus to the control after it, and presses it when it is a
            // button. A page's text may name a button of the dialog ("click &Next.").
            const HWND next = GetNextDlgTabItem(window_, control, FALSE);
            const bool pressed =
                IsPressable(next) && dialog_->commands == std::vector<int>{GetDlgCtrlID(next)};
            bool named = false;
            for (HWND button : Controls(window_)) {
                named = named || (page_ != nullptr && IsPushButton(button) &&
                                  AccessKeyOf(fw::GetText(button)) == key &&
                                  dialog_->commands == std::vector<int>{GetDlgCtrlID(button)});
            }
            EXPECT_TRUE(GetFocus() == next || pressed || named)
                << "Alt+" << char(key) << ": " << text;
        }
    }
}

TEST_P(DialogKeyboard, EnterGivesTheDefaultButtonAndEscCancel) {
    FocusFirst();
    Press(window_, WM_KEYDOWN, VK_RETURN);
    const LRESULT defaultId = SendMessageW(window_, DM_GETDEFID, 0, 0);
    ASSERT_EQ(HIWORD(defaultId), DC_HASDEFID);
    EXPECT_EQ(dialog_->commands, std::vector<int>{LOWORD(defaultId)});
    FocusFirst();
    Press(window_, WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(dialog_->commands, std::vector<int>{IDCANCEL});
}

// The arrow keys go round a group of radio buttons and stay in it: the next control after the
// group starts a group of its own.
TEST_P(DialogKeyboard, ArrowsGoRoundEachGroupOfRadioButtons) {
    for (HWND first : Controls(page_ != nullptr ? page_ : window_)) {
        if (!IsRadio(first) || (GetWindowLongW(first, GWL_STYLE) & WS_GROUP) == 0) {
            continue;
        }
        SetFocus(first);
        for (int step = 0; step < 8; ++step) {
            Press(window_, WM_KEYDOWN, VK_DOWN);
            EXPECT_TRUE(IsRadio(GetFocus()))
                << "Down from " << fw::GetText(first) << " reaches control " << FocusedId();
            if (GetFocus() == first || !IsRadio(GetFocus())) {
                break;
            }
        }
        EXPECT_EQ(GetFocus(), first) << "Down does not come back round to " << fw::GetText(first);
    }
}

const DialogKeys kDialogs[] = {
    {IDD_DISK_FULL, "DiskFull104", {IDC_DISK_FULL_NEW_DISK, IDOK, IDCANCEL}},
    {IDD_WRONG_DISK, "WrongDisk115", {IDC_WRONG_DISK_INSERT, IDOK, IDCANCEL}},
    {IDD_NO_DISK,
     "NoDisk160",
     {IDC_NO_DISK_INSERT, IDC_NO_DISK_REMIND_LATER, IDC_NO_DISK_DONT_REMIND, IDOK, IDCANCEL}},
    {IDD_INSERT_DISK, "InsertDisk136", {IDOK, IDCANCEL}},
    {IDD_FILE_TOO_LARGE, "FileTooLarge162", {IDC_DONT_SHOW_AGAIN, IDOK}},
    {IDD_FILE_ERROR, "FileError163", {IDC_DONT_SHOW_AGAIN, IDOK}},
    {IDD_NAME_TOO_LONG, "NameTooLong164", {IDC_DONT_SHOW_AGAIN, IDOK}},
    {IDD_DISK_FILLING, "DiskFilling202", {IDC_DISK_FILLING_DONT_SHOW, IDOK}},
    {IDD_PROTECTED_PASSWORD, "Password203", {IDC_PROTECTED_PASSWORD, IDOK, IDCANCEL}},
    {IDD_PROTECTED, "Protected204", {IDOK, IDCANCEL}},
    {IDD_FOLDER_ELSEWHERE, "FolderElsewhere208", {IDOK, IDCANCEL}},
    {IDD_NO_DRIVE, "NoDrive209", {IDOK}},
    {IDD_INVALID_PATH, "InvalidPath167", {IDOK}},
    {IDD_NOT_FIXED_DRIVE, "NotFixedDrive127", {IDOK}},
    {IDD_TURN_OFF, "TurnOff135", {IDOK, IDCANCEL}},
    {IDD_CREATE_SOURCE, "CreateSource113", {IDOK, IDCANCEL}},
    {IDD_NEW_FOLDER, "NewFolder120", {IDC_NEW_FOLDER_PATH, IDOK, IDCANCEL}},
    {IDD_PROGRESS, "Progress192", {IDCANCEL}},
    {IDD_FOLDER_PICKER,
     "FolderPicker129",
     {IDC_PICKER_TREE, IDC_PICKER_ADD, IDC_PICKER_REMOVE, IDC_PICKER_NEW_FOLDER, IDC_PICKER_LIST,
      IDOK, IDCANCEL, IDC_PICKER_HELP}},
    {IDD_FILE_EXCLUSION,
     "FileExclusion200",
     {IDC_EXCLUSION_KNOWN, IDC_EXCLUSION_ADD, IDC_EXCLUSION_REMOVE, IDC_EXCLUSION_EXCLUDED,
      IDC_EXCLUSION_TYPED, IDOK, IDCANCEL, IDC_EXCLUSION_HELP}},
    {IDD_PROTECT_DISK,
     "ProtectDisk210",
     {IDC_PROTECT_WRITE, IDC_PROTECT_PASSWORD, IDC_PROTECT_CONFIRM, IDOK, IDCANCEL}},
    {IDD_UNPROTECT_DISK, "UnprotectDisk211", {IDC_UNPROTECT_PASSWORD, IDOK, IDCANCEL}},
    {IDD_SETUP_DONE, "SetupDone207", {IDC_DONE_WEB_SITE, IDOK}},
    {IDD_SETTINGS, "Settings101", {IDOK, IDCANCEL, IDC_SETTINGS_HELP}},
    {IDD_SETTINGS,
     "GeneralPage102",
     {IDC_GENERAL_ON, IDC_GENERAL_SOURCES, IDC_GENERAL_ADD_REMOVE, IDC_GENERAL_DRIVES,
      IDC_GENERAL_PROTECT, IDC_GENERAL_UNPROTECT, IDOK, IDCANCEL, IDC_SETTINGS_HELP},
     IDD_GENERAL_PAGE,
     IDC_SETTINGS_SHEET},
    {IDD_SETTINGS,
     "AdvancedPage103",
     {IDC_ADVANCED_TRAY_ICON, IDC_ADVANCED_NO_REVISIONS, IDC_ADVANCED_COUNT, IDC_ADVANCED_EXCLUSION,
      IDC_ADVANCED_WARN_NO_DISK, IDC_ADVANCED_WARN_FULL, IDC_ADVANCED_SHOW_PROGRESS, IDOK, IDCANCEL,
      IDC_SETTINGS_HELP},
     IDD_ADVANCED_PAGE,
     IDC_SETTINGS_SHEET},
    {IDD_SETTINGS,
     "SchedulingPage194",
     {IDC_SCHEDULE_ON_SAVE, IDC_SCHEDULE_INTERVAL_COUNT, IDC_SCHEDULE_INTERVAL_UNIT,
      IDC_SCHEDULE_SUNDAY, IDC_SCHEDULE_MONDAY, IDC_SCHEDULE_TUESDAY, IDC_SCHEDULE_WEDNESDAY,
      IDC_SCHEDULE_THURSDAY, IDC_SCHEDULE_FRIDAY, IDC_SCHEDULE_SATURDAY, IDC_SCHEDULE_TIME,
      IDC_SCHEDULE_COPY_CHANGED, IDC_SCHEDULE_RECOPY, IDOK, IDCANCEL, IDC_SETTINGS_HELP},
     IDD_SCHEDULING_PAGE,
     IDC_SETTINGS_SHEET},
    {IDD_SETUP_WIZARD, "Wizard134", {IDC_WIZARD_HELP, IDC_WIZARD_BACK, IDC_WIZARD_NEXT, IDCANCEL}},
    {IDD_SETUP_WIZARD,
     "WizardIntro109",
     {IDC_WIZARD_HELP, IDC_WIZARD_BACK, IDC_WIZARD_NEXT, IDCANCEL},
     IDD_WIZARD_INTRO,
     IDC_WIZARD_PLACEHOLDER},
    {IDD_SETUP_WIZARD,
     "WizardDiskLabel110",
     {IDC_WIZARD_HELP, IDC_WIZARD_BACK, IDC_WIZARD_NEXT, IDCANCEL},
     IDD_WIZARD_DISK_LABEL,
     IDC_WIZARD_PLACEHOLDER},
    {IDD_SETUP_WIZARD,
     "WizardDrive111",
     {IDC_DRIVE_LIST, IDC_WIZARD_HELP, IDC_WIZARD_BACK, IDC_WIZARD_NEXT, IDCANCEL},
     IDD_WIZARD_DRIVE,
     IDC_WIZARD_PLACEHOLDER},
    {IDD_SETUP_WIZARD,
     "WizardSources130",
     {IDC_SOURCES_LIST, IDC_SOURCES_ADD_REMOVE, IDC_WIZARD_HELP, IDC_WIZARD_BACK, IDC_WIZARD_NEXT,
      IDCANCEL},
     IDD_WIZARD_SOURCES,
     IDC_WIZARD_PLACEHOLDER},
    {IDD_SETUP_WIZARD,
     "WizardRevisions131",
     {IDC_REVISIONS_NONE, IDC_WIZARD_HELP, IDC_WIZARD_BACK, IDC_WIZARD_NEXT, IDCANCEL},
     IDD_WIZARD_REVISIONS,
     IDC_WIZARD_PLACEHOLDER},
    {IDD_SETUP_WIZARD,
     "WizardReview132",
     {IDC_REVIEW_FOLDERS, IDC_WIZARD_HELP, IDC_WIZARD_BACK, IDC_WIZARD_NEXT, IDCANCEL},
     IDD_WIZARD_REVIEW,
     IDC_WIZARD_PLACEHOLDER},
    {IDD_SETUP_WIZARD,
     "WizardCongratulations133",
     {IDC_WIZARD_HELP, IDC_WIZARD_BACK, IDC_WIZARD_NEXT, IDCANCEL},
     IDD_WIZARD_CONGRATULATIONS,
     IDC_WIZARD_PLACEHOLDER},
};
INSTANTIATE_TEST_SUITE_P(Dialogs, DialogKeyboard, ::testing::ValuesIn(kDialogs), PrintDialog);

// ---------------------------------------------------------------- names for accessibility tools

std::wstring AccessibleName(HWND window) {
    IAccessible* accessible = nullptr;
    // By __uuidof: the IID_IAccessible of mingw-w64's import libraries is not the interface's.
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible)))) {
        return L"(no accessible object)";
    }
    VARIANT self = {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring result;
    if (accessible->get_accName(self, &name) == S_OK && name != nullptr) {
        result = name;
        SysFreeString(name);
    }
    accessible->Release();
    return result;
}

class Accessibility : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        test::InitialiseUserInterface();
        CoInitialize(nullptr);
    }
    static void TearDownTestSuite() { CoUninitialize(); }
};

TEST_F(Accessibility, TheCloseButtonIsNamedClose) {
    CKRVBaseDlg dialog(IDD_INVALID_PATH);
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    EXPECT_EQ(AccessibleName(dialog.closeButton()), L"Close");
    DestroyWindow(dialog.hwnd());
}

TEST_F(Accessibility, ThePieChartIsNamedByTheShareItShows) {
    CKRVBaseDlg dialog(IDD_INVALID_PATH);
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    const HWND host =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 60, 60, 60, dialog.hwnd(),
                        reinterpret_cast<HMENU>(4711), nullptr, nullptr);
    CKRVPieChart pie;
    ASSERT_TRUE(pie.SubclassItem(dialog.hwnd(), 4711));
    pie.SetPercent(62);
    EXPECT_EQ(AccessibleName(host),
              fw::Wide(fw::FormatText(fw::LoadText(IDS_PIE_USED_NAME), {"62"})));
    pie.SetPercent(0);
    EXPECT_EQ(AccessibleName(host),
              fw::Wide(fw::FormatText(fw::LoadText(IDS_PIE_USED_NAME), {"0"})));
    DestroyWindow(dialog.hwnd());
}

}  // namespace
}  // namespace ui
