// The framework's input pieces over real windows: the thread's message filter, Ctrl+Tab between
// the pages of a sheet inside a modal dialog, files dropped from the shell, the hit tests and
// drop marks of trees and lists, the drag image and the wait cursor.

#include <gtest/gtest.h>

#include "framework/application.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/drag_drop.h"
#include "framework/message_filter.h"
#include "framework/property_sheet.h"
#include "framework/text.h"
#include "res/resource.h"

namespace fw {
namespace {

class FrameworkInput : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { Application::Initialise(); }
    void TearDown() override { SetKeys({}); }

    // The keys this thread sees held down.
    static void SetKeys(std::initializer_list<int> held) {
        BYTE state[256] = {};
        for (const int key : held) {
            state[key] = 0x80;
        }
        SetKeyboardState(state);
    }
};

TEST_F(FrameworkInput, AFilterSeesQueuedMessagesFirstAndTheNewestFilterFirst) {
    const HWND window =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    std::vector<std::string> seen;
    MessageFilter outer;
    MessageFilter inner;
    ASSERT_TRUE(outer.Start([&](MSG& message) {
        if (message.hwnd == window && message.message == WM_USER + 1) {
            seen.push_back("outer " + std::to_string(message.wParam));
        }
        return false;
    }));
    ASSERT_TRUE(inner.Start([&](MSG& message) {
        if (message.hwnd != window || message.message != WM_USER + 1) {
            return false;
        }
        seen.push_back("inner " + std::to_string(message.wParam));
        return message.wParam == 2;  // the second message is used up here
    }));
    PostMessageW(window, WM_USER + 1, 1, 0);
    PostMessageW(window, WM_USER + 1, 2, 0);
    Application::PumpPending();
    EXPECT_EQ(seen, (std::vector<std::string>{"inner 1", "outer 1", "inner 2"}));

    inner.Stop();
    EXPECT_FALSE(inner.active());
    seen.clear();
    PostMessageW(window, WM_USER + 1, 2, 0);
    Application::PumpPending();
    EXPECT_EQ(seen, (std::vector<std::string>{"outer 2"}));
    DestroyWindow(window);
}

// The settings dialog with its sheet, modal; the script runs inside its loop.
class SheetDialog : public Dialog {
  public:
    SheetDialog() : Dialog(IDD_SETTINGS) {
        sheet.AddPage(general);
        sheet.AddPage(advanced);
        sheet.AddPage(scheduling);
    }
    PropertyPage general{IDD_GENERAL_PAGE};
    PropertyPage advanced{IDD_ADVANCED_PAGE};
    PropertyPage scheduling{IDD_SCHEDULING_PAGE};
    PropertySheet sheet;
    std::function<void()> script;

  protected:
    bool OnInitDialog() override {
        sheet.CreateChild(hwnd(), "Settings", Control(hwnd(), IDC_SETTINGS_SHEET).RectInParent());
        PostMessageW(hwnd(), WM_USER + 5, 0, 0);
        return true;
    }
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
        if (message != WM_USER + 5) {
            return false;
        }
        script();
        EndDialog(IDOK);
        result = 0;
        return true;
    }
};

// Posts a key-down to a window and lets the dialog's loop take it.
void PressKey(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageW(GetAncestor(window, GA_ROOT), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

TEST_F(FrameworkInput, CtrlTabMovesBetweenThePagesOfASheetInAModalDialog) {
    SheetDialog dialog;
    std::vector<int> pages;
    dialog.script = [&] {
        const HWND onPage = GetDlgItem(dialog.general.hwnd(), IDC_GENERAL_ON);
        SetFocus(onPage);
        pages.push_back(dialog.sheet.ActiveIndex());
        SetKeys({VK_CONTROL});
        PressKey(onPage, VK_TAB);
        pages.push_back(dialog.sheet.ActiveIndex());
        PressKey(GetFocus(), VK_TAB);
        pages.push_back(dialog.sheet.ActiveIndex());
        PressKey(GetFocus(), VK_TAB);  // wraps to the first
        pages.push_back(dialog.sheet.ActiveIndex());
        SetKeys({VK_CONTROL, VK_SHIFT});
        PressKey(GetFocus(), VK_TAB);  // back, wrapping to the last
        pages.push_back(dialog.sheet.ActiveIndex());
        SetKeys({VK_CONTROL});
        PressKey(GetFocus(), VK_PRIOR);
        pages.push_back(dialog.sheet.ActiveIndex());
        // The focus never stays on a page that is hidden.
        const HWND page = dialog.sheet.Page(dialog.sheet.ActiveIndex())->hwnd();
        EXPECT_TRUE(GetFocus() == dialog.sheet.TabControl() || IsChild(page, GetFocus()));
        // Tab alone moves the focus, not the page.
        SetKeys({});
        PressKey(GetFocus(), VK_TAB);
        pages.push_back(dialog.sheet.ActiveIndex());
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(pages, (std::vector<int>{0, 1, 2, 0, 2, 1, 1}));
}

TEST_F(FrameworkInput, DroppedFilesComeWholeInTheirOrderWithThePoint) {
    const std::string longName = "C:\\" + std::string(300, 'l') + "\\file.txt";
    const std::vector<std::string> names = {"C:\\Data", "D:\\\xE6\x96\x87\xE4\xBB\xB6", longName};
    const HDROP drop = MakeDropFiles(names, {12, 34});
    ASSERT_NE(drop, nullptr);
    const DroppedFiles dropped(drop);  // finishes the drop
    EXPECT_EQ(dropped.names(), names);
    EXPECT_EQ(dropped.point().x, 12);
    EXPECT_EQ(dropped.point().y, 34);
    const DroppedFiles none(nullptr);
    EXPECT_TRUE(none.names().empty());
}

TEST_F(FrameworkInput, TreesAndListsTellWhatIsUnderAPointAndMarkDropTargets) {
    const HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300,
                                        nullptr, nullptr, nullptr, nullptr);
    const TreeView tree(CreateWindowExW(0, WC_TREEVIEWW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 150,
                                        200, parent, nullptr, nullptr, nullptr));
    ImageList images;
    ASSERT_TRUE(images.LoadBitmap(IDB_FOLDER_IMAGES, 16, RGB(255, 0, 255)));
    tree.SetImageList(images.get());  // a drag image is made of the item's image and text
    const HTREEITEM first = tree.InsertItem(TVI_ROOT, "C:", 0, 0, 0, true);
    const HTREEITEM second = tree.InsertItem(TVI_ROOT, "D:", 0, 0, 0, false);
    RECT itemRect = {};
    TreeView_GetItemRect(tree.hwnd(), second, &itemRect, TRUE);
    EXPECT_EQ(tree.HitTest({itemRect.left + 2, (itemRect.top + itemRect.bottom) / 2}), second);
    EXPECT_EQ(tree.HitTest({5, 190}), nullptr);
    EXPECT_TRUE(tree.HasChildrenMark(first));
    EXPECT_FALSE(tree.HasChildrenMark(second));
    tree.SetDropHighlight(first);
    EXPECT_EQ(tree.DropHighlight(), first);
    tree.SetDropHighlight(nullptr);
    EXPECT_EQ(tree.DropHighlight(), nullptr);

    const ListView list(CreateWindowExW(0, WC_LISTVIEWW, nullptr,
                                        WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER,
                                        150, 0, 150, 200, parent, nullptr, nullptr, nullptr));
    list.InsertColumn(0, "Folders", 140);
    list.InsertItem(0, "C:\\A", 4);
    list.InsertItem(1, "C:\\B", 6);
    RECT rowRect = {};
    ListView_GetItemRect(list.hwnd(), 1, &rowRect, LVIR_LABEL);
    EXPECT_EQ(list.HitTest({rowRect.left + 4, (rowRect.top + rowRect.bottom) / 2}), 1);
    EXPECT_EQ(list.HitTest({4, 190}), -1);
    EXPECT_EQ(list.ItemImage(1), 6);
    list.SetDropHighlighted(1, true);
    EXPECT_TRUE(list.IsDropHighlighted(1));
    EXPECT_FALSE(list.IsDropHighlighted(0));
    list.SetDropHighlighted(1, false);
    EXPECT_FALSE(list.IsDropHighlighted(1));
    list.SetSelected(0, true);
    list.SetSelected(1, true);
    EXPECT_EQ(list.SelectedItems(), (std::vector<int>{0, 1}));

    // A drag image of a tree item follows the cursor and goes at the end.
    DragImage drag;
    const HIMAGELIST dragImages = tree.CreateDragImage(first);
    ASSERT_NE(dragImages, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(dragImages), 1);
    ASSERT_TRUE(drag.Begin(dragImages, {8, 8}));
    drag.Enter(GetDesktopWindow(), {20, 20});
    drag.Move({40, 40});
    drag.Show(false);
    drag.Show(true);
    EXPECT_TRUE(drag.dragging());
    drag.End();
    EXPECT_FALSE(drag.dragging());
    EXPECT_FALSE(drag.Begin(nullptr, {0, 0}));
    DestroyWindow(parent);
}

TEST_F(FrameworkInput, TheWaitCursorLastsAsLongAsTheOutermostOne) {
    EXPECT_FALSE(WaitCursor::Active());
    {
        const WaitCursor outer;
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
        {
            const WaitCursor inner;
            EXPECT_TRUE(WaitCursor::Active());
        }
        EXPECT_TRUE(WaitCursor::Active());
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    }
    EXPECT_FALSE(WaitCursor::Active());
}

}  // namespace
}  // namespace fw
