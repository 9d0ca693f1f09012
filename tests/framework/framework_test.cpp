// The framework over real windows: binding objects to windows, subclassing and reflection,
// dialogs, data exchange, the child property sheet, the control wrappers and the text edge.

#include <gtest/gtest.h>

#include "framework/application.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/property_sheet.h"
#include "framework/text.h"
#include "res/resource.h"

namespace fw {
namespace {

class Framework : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { Application::Initialise(); }
};

class CountingWindow : public Window {
  public:
    int creates = 0;
    int paints = 0;
    bool destroyed = false;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) {
            ++creates;
        }
        return DefaultProc(message, wParam, lParam);
    }
    void OnDestroyed() override { destroyed = true; }
};

TEST_F(Framework, ACreatedWindowIsBoundBeforeItsFirstMessagesAndGoesWithItsObject) {
    ASSERT_TRUE(Window::RegisterClass(L"FerrolinTestWindow", 0, nullptr, nullptr));
    HWND window = nullptr;
    {
        CountingWindow object;
        ASSERT_TRUE(object.Create(L"FerrolinTestWindow", "test", WS_POPUP, 0, {0, 0, 10, 10},
                                  nullptr, nullptr));
        window = object.hwnd();
        EXPECT_EQ(object.creates, 1);
        EXPECT_EQ(Window::FromHandle(window), &object);
    }
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(Framework, DestroyingTheWindowUnbindsItsObject) {
    CountingWindow object;
    ASSERT_TRUE(Window::RegisterClass(L"FerrolinTestWindow", 0, nullptr, nullptr));
    ASSERT_TRUE(
        object.Create(L"FerrolinTestWindow", "", WS_POPUP, 0, {0, 0, 10, 10}, nullptr, nullptr));
    DestroyWindow(object.hwnd());
    EXPECT_TRUE(object.destroyed);
    EXPECT_EQ(object.hwnd(), nullptr);
}

// A subclassed static that answers its parent's colour and click messages itself.
class ReflectingStatic : public Window {
  public:
    int clicks = 0;
    int colours = 0;
    int moves = 0;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_MOUSEMOVE) {
            ++moves;
        }
        return DefaultProc(message, wParam, lParam);
    }
    bool OnReflected(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
        if (message == WM_CTLCOLORSTATIC) {
            ++colours;
            result = reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
            return true;
        }
        if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
            ++clicks;
            return true;
        }
        return false;
    }
};

class Host : public Dialog {
  public:
    Host() : Dialog(IDD_SETTINGS) {}
};

// A page of the settings inside a host dialog, as the sheet has it.
class ExchangeDialog : public Dialog {
  public:
    ExchangeDialog() : Dialog(IDD_ADVANCED_PAGE) {}
    std::string text = "x";
    uint32_t count = 0;
    int icon = 0;
    int revisions = -1;
    int commands = 0;

  protected:
    void Exchange(DataExchange& exchange) override {
        exchange.Text(IDC_ADVANCED_COUNT, text);
        exchange.Check(IDC_ADVANCED_TRAY_ICON, icon);
        exchange.Radio(IDC_ADVANCED_NO_REVISIONS, revisions);
    }
    bool OnCommand(int id, int code, HWND control) override {
        ++commands;
        return Dialog::OnCommand(id, code, control);
    }
};

TEST_F(Framework, ASubclassedControlGetsItsOwnMessagesAndThoseItsParentReflects) {
    Host host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    ExchangeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(host.hwnd()));
    ReflectingStatic label;
    // A static of the template with the notify style, as a link would have.
    const HWND control =
        CreateWindowExW(0, L"STATIC", L"link", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 0, 0, 50, 10,
                        dialog.hwnd(), reinterpret_cast<HMENU>(4242), nullptr, nullptr);
    ASSERT_TRUE(label.Subclass(control));
    EXPECT_FALSE(ReflectingStatic().Subclass(control));  // one object per window

    SendMessageW(control, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(label.moves, 1);
    const LRESULT brush =
        SendMessageW(dialog.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(GetDC(control)),
                     reinterpret_cast<LPARAM>(control));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(label.colours, 1);
    const int before = dialog.commands;
    SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(4242, STN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
    EXPECT_EQ(label.clicks, 1);
    EXPECT_EQ(dialog.commands, before);  // the control handled it; the dialog never saw it
    DestroyWindow(host.hwnd());
}

TEST_F(Framework, AControlOutlivesItsObject) {
    Host host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    ExchangeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(host.hwnd()));
    const HWND control = GetDlgItem(dialog.hwnd(), IDC_ADVANCED_COUNT);
    {
        ReflectingStatic object;
        ASSERT_TRUE(object.Subclass(control));
    }
    EXPECT_EQ(Window::FromHandle(control), nullptr);
    SetWindowTextW(control, L"12");
    EXPECT_EQ(GetText(control), "12");
    DestroyWindow(host.hwnd());
}

TEST_F(Framework, DataExchangePutsAndPullsTextChecksAndRadios) {
    Host host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    ExchangeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(host.hwnd()));
    dialog.text = "17";
    dialog.icon = 1;
    dialog.revisions = 2;
    ASSERT_TRUE(dialog.UpdateData(false));
    EXPECT_EQ(GetText(dialog.Item(IDC_ADVANCED_COUNT)), "17");
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), IDC_ADVANCED_TRAY_ICON), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), IDC_ADVANCED_LIMITED), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), IDC_ADVANCED_NO_REVISIONS), BST_UNCHECKED);

    SetText(dialog.Item(IDC_ADVANCED_COUNT), "99");
    CheckDlgButton(dialog.hwnd(), IDC_ADVANCED_TRAY_ICON, BST_UNCHECKED);
    CheckDlgButton(dialog.hwnd(), IDC_ADVANCED_LIMITED, BST_UNCHECKED);
    CheckDlgButton(dialog.hwnd(), IDC_ADVANCED_UNLIMITED, BST_CHECKED);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.text, "99");
    EXPECT_EQ(dialog.icon, 0);
    EXPECT_EQ(dialog.revisions, 1);

    CheckDlgButton(dialog.hwnd(), IDC_ADVANCED_UNLIMITED, BST_UNCHECKED);
    dialog.UpdateData(true);
    EXPECT_EQ(dialog.revisions, -1);
    DestroyWindow(host.hwnd());
}

TEST_F(Framework, NumbersAreReadAsAtolReadsThem) {
    Host host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    ExchangeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(host.hwnd()));
    DataExchange pull(dialog.hwnd(), true);
    SetText(dialog.Item(IDC_ADVANCED_COUNT), "150");
    uint32_t count = 0;
    pull.Number(IDC_ADVANCED_COUNT, count);
    EXPECT_EQ(count, 150u);
    SetText(dialog.Item(IDC_ADVANCED_COUNT), "abc");
    pull.Number(IDC_ADVANCED_COUNT, count);
    EXPECT_EQ(count, 0u);
    DataExchange put(dialog.hwnd(), false);
    int32_t value = -3;
    put.Number(IDC_ADVANCED_COUNT, value);
    EXPECT_EQ(GetText(dialog.Item(IDC_ADVANCED_COUNT)), "-3");
    DestroyWindow(host.hwnd());
}

class ModalDialog : public Dialog {
  public:
    ModalDialog() : Dialog(IDD_NEW_FOLDER) {}
    std::string path;

  protected:
    bool OnInitDialog() override {
        SetText(Item(IDC_NEW_FOLDER_PATH), "C:\\Work");
        PostMessageW(hwnd(), WM_COMMAND, IDOK, 0);
        return true;
    }
    void Exchange(DataExchange& exchange) override {
        exchange.Text(IDC_NEW_FOLDER_PATH, path, 255);
    }
};

TEST_F(Framework, AModalDialogEndsWithItsResultAndPullsItsData) {
    ModalDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.path, "C:\\Work");
    EXPECT_EQ(dialog.hwnd(), nullptr);
}

TEST_F(Framework, AMissingTemplateIsAFailureNotACrash) {
    Dialog missing(4321);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_FALSE(missing.CreateModeless(nullptr));
}

TEST_F(Framework, TheActivatedModelessDialogGetsTheKeyboardNavigation) {
    Host host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    ShowWindow(host.hwnd(), SW_SHOW);
    SendMessageW(host.hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(Application::ActiveModeless(), host.hwnd());
    MSG tab = {};
    tab.hwnd = host.Item(IDOK);
    tab.message = WM_KEYDOWN;
    tab.wParam = VK_TAB;
    EXPECT_TRUE(Application::PreTranslate(tab));
    DestroyWindow(host.hwnd());
    EXPECT_EQ(Application::ActiveModeless(), nullptr);
}

TEST_F(Framework, ThePropertySheetLivesAsAChildOfItsDialog) {
    Host host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    ShowWindow(host.hwnd(), SW_SHOW);
    PropertyPage general(IDD_GENERAL_PAGE);
    PropertyPage advanced(IDD_ADVANCED_PAGE);
    PropertyPage scheduling(IDD_SCHEDULING_PAGE);
    PropertySheet sheet;
    sheet.AddPage(general);
    sheet.AddPage(advanced);
    sheet.AddPage(scheduling);
    const RECT place = Control(host.hwnd(), IDC_SETTINGS_SHEET).RectInParent();
    ASSERT_TRUE(sheet.CreateChild(host.hwnd(), "Settings", place));
    EXPECT_EQ(GetParent(sheet.hwnd()), host.hwnd());
    EXPECT_NE(GetWindowLongW(sheet.hwnd(), GWL_STYLE) & WS_CHILD, 0);
    EXPECT_EQ(GetWindowLongW(sheet.hwnd(), GWL_STYLE) & WS_CAPTION, 0u);
    EXPECT_EQ(Control(sheet.hwnd()).RectInParent().left, place.left);
    EXPECT_FALSE(Control(sheet.hwnd(), IDOK).IsVisible());
    // Activating every page creates it; the first one is shown.
    for (int index : {2, 1, 0}) {
        EXPECT_TRUE(sheet.SetActivePage(index));
        EXPECT_EQ(sheet.ActiveIndex(), index);
    }
    EXPECT_NE(general.hwnd(), nullptr);
    EXPECT_NE(advanced.hwnd(), nullptr);
    EXPECT_NE(scheduling.hwnd(), nullptr);
    EXPECT_EQ(GetParent(general.hwnd()), sheet.hwnd());
    EXPECT_TRUE(IsWindowVisible(general.hwnd()));
    EXPECT_FALSE(IsWindowVisible(advanced.hwnd()));
    EXPECT_FALSE(sheet.SetActivePage(3));
    DestroyWindow(host.hwnd());
    EXPECT_EQ(general.hwnd(), nullptr);
}

TEST_F(Framework, ControlWrappersReadWhatTheyWrote) {
    Host host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    const HWND parent = host.hwnd();
    const ListBox list(CreateWindowExW(0, L"LISTBOX", nullptr, WS_CHILD | LBS_SORT, 0, 0, 100, 100,
                                       parent, nullptr, nullptr, nullptr));
    list.Add("D:\\B");
    list.Add("C:\\A");
    list.Add("C:\\\xE6\x96\x87\xE4\xBB\xB6");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.ItemText(0), "C:\\A");
    EXPECT_EQ(list.ItemText(1), "C:\\\xE6\x96\x87\xE4\xBB\xB6");
    EXPECT_EQ(list.ItemText(5), "");

    const ListView view(CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | LVS_REPORT, 0, 0, 100,
                                        100, parent, nullptr, nullptr, nullptr));
    view.InsertColumn(0, "Name", 80);
    view.InsertColumn(1, "Extension", 36);
    const std::string longText(700, 'x');
    ASSERT_EQ(view.InsertItem(0, longText), 0);
    view.SetItemText(0, 1, "doc");
    EXPECT_EQ(view.ItemText(0), longText);
    EXPECT_EQ(view.ItemText(0, 1), "doc");
    view.SetSelected(0, true);
    EXPECT_TRUE(view.IsSelected(0));

    const TreeView tree(CreateWindowExW(0, WC_TREEVIEWW, nullptr, WS_CHILD, 0, 0, 100, 100, parent,
                                        nullptr, nullptr, nullptr));
    const HTREEITEM root = tree.InsertItem(TVI_ROOT, "C:", 0, 0, 77, true);
    const HTREEITEM child = tree.InsertItem(root, "Data", 4, 6, 78, false);
    EXPECT_EQ(tree.ItemData(child), 78);
    EXPECT_EQ(tree.Parent(child), root);
    EXPECT_EQ(tree.ItemText(root), "C:");

    ImageList images;
    ASSERT_TRUE(images.LoadBitmap(IDB_FOLDER_IMAGES, 16, RGB(255, 0, 255)));
    EXPECT_EQ(images.Count(), 7);
    DestroyWindow(parent);
}

TEST_F(Framework, TheCopyAnimationOpensAndPlays) {
    Host host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    const Animation animation(CreateWindowExW(0, ANIMATE_CLASSW, nullptr,
                                              WS_CHILD | ACS_TRANSPARENT, 0, 0, 300, 80,
                                              host.hwnd(), nullptr, nullptr, nullptr));
    ASSERT_TRUE(animation.Open(IDR_COPY_ANIMATION));
    EXPECT_TRUE(animation.Play());
    animation.Stop();
    animation.Close();
    DestroyWindow(host.hwnd());
}

TEST_F(Framework, StringsLoadWholeAndTextCrossesTheEdgeUnchanged) {
    EXPECT_EQ(LoadText(IDS_TITLE), "Corvant Ferrolin 2");
    EXPECT_EQ(LoadText(IDS_DRIVE_NOTE).size(), 187u);
    EXPECT_EQ(LoadText(9999), "");
    const std::string text = "Fotos \xF0\x9F\x93\xB7 \xD0\x90\xD0\xB1\xD0\xB2";
    EXPECT_EQ(Utf8(Wide(text)), text);
    EXPECT_EQ(Wide("\xF0\x9F\x93\xB7").size(), 2u);
}

TEST_F(Framework, SystemErrorTextsComeWithoutTheirLineBreak) {
    const std::string text = SystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_LE(SystemErrorText(ERROR_FILE_NOT_FOUND, 10).size(), 10u);
}

}  // namespace
}  // namespace fw
