// The hyperlink: its colours, its hover state, what a click does, and the texts it shows when
// the shell cannot open its target.

#include "ui/common/hyperlink.h"

#include <gtest/gtest.h>

#include "framework/text.h"
#include "res/resource.h"
#include "tests/ui/dialog_driver.h"
#include "ui/common/base_dialog.h"

namespace ui {
namespace {

class Hyperlink : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }
};

TEST_F(Hyperlink, ShowsTheShellsReasonForEachErrorCode) {
    const std::string head = "Unable to open hyperlink:\n\n";
    EXPECT_EQ(HyperlinkErrorText(0), head + "The operating system is out\nof memory or resources.");
    EXPECT_EQ(HyperlinkErrorText(2), head + "The specified file was not found.");
    EXPECT_EQ(HyperlinkErrorText(5),
              head + "The operating system denied\naccess to the specified file.");
    EXPECT_EQ(HyperlinkErrorText(26), head + "A sharing violation occurred. ");
    EXPECT_EQ(HyperlinkErrorText(30),
              head +
                  "The DDE transaction could not\nbe completed because other DDE "
                  "transactions\nwere being processed.");
    EXPECT_EQ(HyperlinkErrorText(31), head +
                                          "There is no application associated\nwith the given "
                                          "filename extension.");
    EXPECT_EQ(HyperlinkErrorText(32), head + "The specified dynamic-link library was not found.");
    EXPECT_EQ(HyperlinkErrorText(7), head + "Unknown Error (7) occurred.");
    EXPECT_EQ(HyperlinkErrorText(-1), head + "Unknown Error (-1) occurred.");
}

// Sets the default value of a key of the classes root for the test's length and puts back what
// was there.
class ClassesRootValue {
  public:
    ClassesRootValue(const std::wstring& key, const std::wstring& value) : key_(key) {
        wchar_t old[1024] = L"";
        DWORD size = sizeof old;
        had_ = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, old,
                            &size) == ERROR_SUCCESS;
        old_ = old;
        Set(value);
    }
    ~ClassesRootValue() {
        if (had_) {
            Set(old_);
        } else {
            RegDeleteTreeW(HKEY_CLASSES_ROOT, key_.c_str());
        }
    }
    ClassesRootValue(const ClassesRootValue&) = delete;
    ClassesRootValue& operator=(const ClassesRootValue&) = delete;

  private:
    void Set(const std::wstring& value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    std::wstring key_;
    std::wstring old_;
    bool had_ = false;
};

std::wstring BesideThisProgram(const std::wstring& name) {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

TEST_F(Hyperlink, TheBrowsersCommandTakesTheTargetAsOneArgument) {
    const ClassesRootValue kind(L".htm", L"FerrolinTestPage");
    {
        const ClassesRootValue command(L"FerrolinTestPage\\shell\\open\\command",
                                       L"\"C:\\Browser\\open.exe\" -url \"%1\"");
        EXPECT_EQ(HtmlOpenCommand(L"C:\\Help Pages\\a.htm"),
                  L"\"C:\\Browser\\open.exe\" -url \"C:\\Help Pages\\a.htm\"");
    }
    {
        const ClassesRootValue command(L"FerrolinTestPage\\shell\\open\\command",
                                       L"C:\\Browser\\open.exe %1 -new");
        EXPECT_EQ(HtmlOpenCommand(L"C:\\x y.htm"), L"C:\\Browser\\open.exe \"C:\\x y.htm\" -new");
    }
    {
        const ClassesRootValue command(L"FerrolinTestPage\\shell\\open\\command",
                                       L"C:\\Browser\\open.exe");
        EXPECT_EQ(HtmlOpenCommand(L"C:\\x.htm"), L"C:\\Browser\\open.exe \"C:\\x.htm\"");
    }
}

TEST_F(Hyperlink, TheLastResortHandsTheBrowserATargetInAnyScriptWhole) {
    // A target the shell cannot open goes to the program registered for .htm files.
    const std::wstring record = BesideThisProgram(L"hyperlink-command-line.txt");
    DeleteFileW(record.c_str());
    SetEnvironmentVariableW(L"FERROLIN_RECORD_TO", record.c_str());
    const ClassesRootValue kind(L".htm", L"FerrolinTestPage");
    const ClassesRootValue command(
        L"FerrolinTestPage\\shell\\open\\command",
        L"\"" + BesideThisProgram(L"command_line_recorder.exe") + L"\" \"%1\"");
    const std::wstring target = L"ferrolin-no-such-scheme:Stra\u00dfe \u65e5\u672c \u0416.htm";

    EXPECT_GT(OpenHyperlink(fw::Utf8(target), SW_SHOWNORMAL), 32);
    std::wstring line;
    for (int tries = 0; tries < 100 && line.empty(); ++tries) {
        Sleep(50);
        const HANDLE file = CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            continue;
        }
        wchar_t text[2048] = L"";
        DWORD read = 0;
        ReadFile(file, text, sizeof text - sizeof(wchar_t), &read, nullptr);
        CloseHandle(file);
        line.assign(text, read / sizeof(wchar_t));
    }
    SetEnvironmentVariableW(L"FERROLIN_RECORD_TO", nullptr);
    DeleteFileW(record.c_str());
    EXPECT_NE(line.find(L"\"" + target + L"\""), std::wstring::npos) << fw::Utf8(line);
}

// A link whose shell answers what the test says, and which shows its failure as the program does.
class ScriptedLink : public CKRVHyperLink {
  public:
    INT_PTR shellAnswer = 42;
    std::string opened;

  protected:
    INT_PTR Open(const std::string& target) override {
        opened = target;
        return shellAnswer;
    }
};

class LinkHost : public CKRVBaseDlg {
  public:
    LinkHost() : CKRVBaseDlg(IDD_DISK_FILLING) {}
    ScriptedLink link;

  protected:
    bool OnInitDialog() override {
        CKRVBaseDlg::OnInitDialog();
        link.Attach(hwnd(), IDC_DISK_FILLING_STORE);
        return true;
    }
};

void ClickLink(HWND link) {
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

TEST_F(Hyperlink, TakesItsTextAsTargetAndBecomesAClickableUnderlinedLink) {
    LinkHost host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    const HWND link = host.link.hwnd();
    EXPECT_EQ(host.link.target(), fw::LoadText(IDS_STORE_ADDRESS));
    EXPECT_NE(GetWindowLongW(link, GWL_STYLE) & SS_NOTIFY, 0);
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_TRUE(font.lfUnderline);
    EXPECT_NE(host.link.tooltip(), nullptr);
    EXPECT_EQ(host.link.TextColour(), CKRVHyperLink::kLinkColour);
    DestroyWindow(host.hwnd());
}

// The keyboard reaches the link with Tab, and Enter or Space opens it instead of pressing the
// dialog's default button.
TEST_F(Hyperlink, TabReachesTheLinkAndEnterOrSpaceOpensIt) {
    LinkHost host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    ShowWindow(host.hwnd(), SW_SHOW);
    SetForegroundWindow(host.hwnd());
    SetFocus(GetNextDlgTabItem(host.hwnd(), nullptr, FALSE));
    EXPECT_EQ(GetFocus(), host.link.hwnd()) << "the link is not the first tab stop";
    for (const WPARAM key : {VK_RETURN, VK_SPACE}) {
        host.link.opened.clear();
        MSG press = {GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
        IsDialogMessageW(host.hwnd(), &press);
        EXPECT_EQ(host.link.opened, fw::LoadText(IDS_STORE_ADDRESS)) << "key " << key;
    }
    EXPECT_TRUE(IsWindow(host.hwnd())) << "Enter pressed the default button";
    DestroyWindow(host.hwnd());
}

TEST_F(Hyperlink, AnOpenedTargetTurnsTheLinkToTheVisitedColour) {
    LinkHost host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    ClickLink(host.link.hwnd());
    EXPECT_EQ(host.link.opened, host.link.target());
    EXPECT_TRUE(host.link.visited());
    EXPECT_EQ(host.link.TextColour(), CKRVHyperLink::kVisitedColour);
    DestroyWindow(host.hwnd());
}

TEST_F(Hyperlink, HoveringChangesTheColourAndLeavingRestoresIt) {
    LinkHost host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    const HWND link = host.link.hwnd();
    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(host.link.hovering());
    EXPECT_EQ(host.link.TextColour(), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(GetCapture(), link);
    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(-5, 300));
    EXPECT_FALSE(host.link.hovering());
    EXPECT_NE(GetCapture(), link);
    EXPECT_EQ(host.link.TextColour(), CKRVHyperLink::kLinkColour);
    DestroyWindow(host.hwnd());
}

TEST_F(Hyperlink, ATargetThatDoesNotOpenIsReportedWithTheShellsReason) {
    LinkHost host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    host.link.shellAnswer = 26;
    std::string shown;
    test::DriveModal(
        [&] {
            ClickLink(host.link.hwnd());
            return 0;
        },
        [&](HWND box) {
            shown = test::ItemText(box, 0xFFFF);  // the message box's text
            SendMessageW(box, WM_COMMAND, IDOK, 0);
        });
    EXPECT_EQ(shown, "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    EXPECT_FALSE(host.link.visited());
    DestroyWindow(host.hwnd());
}

TEST_F(Hyperlink, ANewTargetUpdatesTheLink) {
    LinkHost host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    host.link.SetTarget("https://store.corvant.example/disks");
    ClickLink(host.link.hwnd());
    EXPECT_EQ(host.link.opened, "https://store.corvant.example/disks");
    DestroyWindow(host.hwnd());
}

}  // namespace
}  // namespace ui
