// The base dialog and the shared drawing, on real windows under Wine.

#include "ui/common/base_dialog.h"

#include <gtest/gtest.h>

#include "framework/controls.h"
#include "framework/text.h"
#include "res/resource.h"
#include "tests/ui/dialog_driver.h"
#include "ui/common/drawing.h"
#include "ui/common/etched_line.h"
#include "ui/common/pie_chart.h"

namespace ui {
namespace {

class BaseDialog : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }
};

// A dialog of the base that notes the close requests it receives.
class RecordingDlg : public CKRVBaseDlg {
  public:
    RecordingDlg() : CKRVBaseDlg(IDD_INVALID_PATH) {}
    int closes = 0;

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == WM_CLOSE) {
            ++closes;
        }
        return CKRVBaseDlg::OnMessage(message, wParam, lParam, result);
    }
};

LRESULT HitTestAt(HWND dialog, int x, int y) {
    POINT point = {x, y};
    ClientToScreen(dialog, &point);
    return SendMessageW(dialog, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
}

TEST_F(BaseDialog, TheTitleBandDragsTheDialogAndTheRestDoesNot) {
    RecordingDlg dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    const HWND window = dialog.hwnd();
    const RECT band = dialog.titleBand();
    EXPECT_LT(band.top, 3);
    EXPECT_GE(band.bottom, 36);
    EXPECT_EQ(HitTestAt(window, 60, 20), HTCAPTION);
    EXPECT_EQ(HitTestAt(window, band.left, band.top), HTCAPTION);
    EXPECT_EQ(HitTestAt(window, 60, band.bottom + 2), HTCLIENT);
    EXPECT_EQ(HitTestAt(window, 60, 80), HTCLIENT);
    DestroyWindow(window);
}

TEST_F(BaseDialog, TheCloseButtonPostsCloseWhichEndsTheDialogWithCancel) {
    RecordingDlg dialog;
    const INT_PTR result =
        test::DriveModal([&] { return dialog.DoModal(); },
                         [](HWND window) { test::Click(window, IDC_CLOSE_BUTTON); });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialog.closes, 1);
}

TEST_F(BaseDialog, TheCloseButtonIsASixteenPixelOwnerDrawnButtonAtTheRightOfTheBand) {
    RecordingDlg dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    const HWND button = GetDlgItem(dialog.hwnd(), IDC_CLOSE_BUTTON);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    RECT client = {};
    GetClientRect(dialog.hwnd(), &client);
    const RECT rect = fw::Control(button).RectInParent();
    EXPECT_EQ(rect.left, client.right - 19);
    EXPECT_EQ(rect.top, 3);
    EXPECT_EQ(rect.right - rect.left, 16);
    EXPECT_EQ(rect.bottom - rect.top, 16);
    DestroyWindow(dialog.hwnd());
}

TEST_F(BaseDialog, ADoubleClickOnTheCloseButtonClosesOnce) {
    RecordingDlg dialog;
    const INT_PTR result =
        test::DriveModal([&] { return dialog.DoModal(); },
                         [](HWND window) {
                             const HWND button = GetDlgItem(window, IDC_CLOSE_BUTTON);
                             SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
                             SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
                             SendMessageW(button, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
                             SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
                         });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_GE(dialog.closes, 1);
}

TEST_F(BaseDialog, SetsTitleIconAndHeadingFont) {
    RecordingDlg dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    const HWND window = dialog.hwnd();
    EXPECT_EQ(fw::GetText(window), "Corvant Ferrolin 2");
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(GetWindowLongW(window, GWL_STYLE) & WS_SYSMENU, 0);
    const HFONT heading = CKRVBaseDlg::HeadingFont();
    ASSERT_NE(heading, nullptr);
    LOGFONTW description = {};
    GetObjectW(heading, sizeof description, &description);
    EXPECT_EQ(description.lfHeight, 16);
    EXPECT_EQ(description.lfWeight, FW_BOLD);
    const HWND headline = GetDlgItem(window, IDC_INVALID_PATH_HEADLINE);
    CKRVBaseDlg::SetHeadingFont(headline);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(headline, WM_GETFONT, 0, 0)), heading);
    DestroyWindow(window);
}

TEST_F(BaseDialog, SystemMenuLosesItsFirstThirdAndFifthItemsWhenItHasThree) {
    const HMENU menu = CreatePopupMenu();
    for (UINT id = 1; id <= 6; ++id) {
        AppendMenuW(menu, MF_STRING, id, L"item");
    }
    TrimSystemMenu(menu);
    ASSERT_EQ(GetMenuItemCount(menu), 3);
    EXPECT_EQ(GetMenuItemID(menu, 0), 2u);
    EXPECT_EQ(GetMenuItemID(menu, 1), 4u);
    EXPECT_EQ(GetMenuItemID(menu, 2), 6u);
    DestroyMenu(menu);

    const HMENU small = CreatePopupMenu();
    AppendMenuW(small, MF_STRING, 1, L"one");
    AppendMenuW(small, MF_STRING, 2, L"two");
    TrimSystemMenu(small);
    EXPECT_EQ(GetMenuItemCount(small), 2);
    DestroyMenu(small);
}

TEST_F(BaseDialog, TheEtchedLineRunsAlongItsLongerSide) {
    EXPECT_EQ(CKRVEtchedLine::EdgeFor({0, 0, 368, 8}), static_cast<UINT>(BF_TOP));
    EXPECT_EQ(CKRVEtchedLine::EdgeFor({0, 0, 2, 50}), static_cast<UINT>(BF_LEFT));
}

// A 32-bit section to draw into and read back.
struct Canvas {
    Canvas(int columns, int rows) : width(columns) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = columns;
        info.bmiHeader.biHeight = -rows;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    COLORREF At(int x, int y) const {
        GdiFlush();
        const uint32_t pixel = static_cast<const uint32_t*>(bits)[y * width + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    void Fill(COLORREF colour) const {
        const HBRUSH brush = CreateSolidBrush(colour);
        RECT all = {0, 0, width, 1000};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;
    void* bits = nullptr;
    int width = 0;
};

TEST_F(BaseDialog, TransparentDrawingLeavesTheKeyColourUnpainted) {
    Canvas picture(4, 1);
    SetPixel(picture.dc, 0, 0, RGB(255, 0, 255));
    SetPixel(picture.dc, 1, 0, RGB(10, 20, 30));
    SetPixel(picture.dc, 2, 0, RGB(255, 0, 255));
    SetPixel(picture.dc, 3, 0, RGB(250, 250, 250));
    SelectObject(picture.dc, picture.previous);  // a bitmap is drawn from outside any context

    Canvas target(8, 2);
    target.Fill(RGB(0, 128, 0));
    DrawTransparentBitmap(picture.bitmap, target.dc, 2, 1, RGB(255, 0, 255));
    EXPECT_EQ(target.At(2, 1), RGB(0, 128, 0));
    EXPECT_EQ(target.At(3, 1), RGB(10, 20, 30));
    EXPECT_EQ(target.At(4, 1), RGB(0, 128, 0));
    EXPECT_EQ(target.At(5, 1), RGB(250, 250, 250));
    EXPECT_EQ(target.At(1, 1), RGB(0, 128, 0));
    EXPECT_EQ(target.At(3, 0), RGB(0, 128, 0));

    DrawBitmap(picture.bitmap, target.dc, 0, 0);
    EXPECT_EQ(target.At(0, 0), RGB(255, 0, 255));
    EXPECT_EQ(target.At(1, 0), RGB(10, 20, 30));
    SelectObject(picture.dc, picture.bitmap);
}

TEST_F(BaseDialog, DrawingWithoutABitmapPaintsNothing) {
    Canvas target(2, 2);
    target.Fill(RGB(1, 2, 3));
    DrawBitmap(nullptr, target.dc, 0, 0);
    DrawTransparentBitmap(nullptr, target.dc, 0, 0, RGB(255, 0, 255));
    EXPECT_EQ(target.At(0, 0), RGB(1, 2, 3));
}

TEST_F(BaseDialog, ThePieChartPaintsTheWedgeFromTwelveClockwise) {
    CKRVPieChart pie;
    pie.SetColours(RGB(255, 0, 255), RGB(0, 0, 255));
    const RECT rect = {0, 0, 100, 100};
    Canvas canvas(100, 100);
    const COLORREF slice = RGB(255, 0, 255);
    const COLORREF rest = RGB(0, 0, 255);

    pie.SetPercent(0);
    pie.Paint(canvas.dc, rect);
    EXPECT_EQ(canvas.At(70, 30), rest);
    EXPECT_EQ(canvas.At(30, 70), rest);

    pie.SetPercent(25);
    pie.Paint(canvas.dc, rect);
    EXPECT_EQ(canvas.At(70, 30), slice);  // between twelve and three
    EXPECT_EQ(canvas.At(70, 70), rest);
    EXPECT_EQ(canvas.At(30, 30), rest);

    pie.SetPercent(100);
    pie.Paint(canvas.dc, rect);
    EXPECT_EQ(canvas.At(30, 70), slice);
    EXPECT_EQ(canvas.At(70, 30), slice);
}

}  // namespace
}  // namespace ui
