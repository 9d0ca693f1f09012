#include "ui/common/base_dialog.h"

#include <mutex>

#include "framework/application.h"
#include "framework/text.h"
#include "res/resource.h"
#include "ui/common/drawing.h"

namespace ui {

namespace {

// Prompts initialise on the engine's worker thread and the settings on the user-interface
// thread; the lock makes sure only one of them creates the font.
std::mutex headingFontMutex;
HFONT headingFont = nullptr;  // kept for the life of the process

void CreateHeadingFontFrom(HWND dialog) {
    std::lock_guard lock(headingFontMutex);
    if (headingFont != nullptr) {
        return;
    }
    auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (font == nullptr) {
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    LOGFONTW description = {};
    if (GetObjectW(font, sizeof description, &description) == 0) {
        return;  // SetHeadingFont then gives the system font
    }
    // The dialog's own face, 16 pixels high (at 96 dots per inch) and bold, so headings match
    // the text under them.
    description.lfHeight = ScaleToDpi(16, DpiOf(dialog));
    description.lfWidth = 0;
    description.lfWeight = FW_BOLD;
    headingFont = CreateFontIndirectW(&description);
}

}  // namespace

void TrimSystemMenu(HMENU menu) {
    if (menu == nullptr || GetMenuItemCount(menu) < 3) {
        return;
    }
    // Each deletion moves the later items up: these go from positions 0, 2 and 4.
    DeleteMenu(menu, 0, MF_BYPOSITION);
    DeleteMenu(menu, 1, MF_BYPOSITION);
    DeleteMenu(menu, 2, MF_BYPOSITION);
}

HFONT CKRVBaseDlg::HeadingFont() {
    std::lock_guard lock(headingFontMutex);
    return headingFont;
}

void CKRVBaseDlg::SetHeadingFont(HWND control) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(HeadingFont()), TRUE);
}

void CKRVBaseDlg::SetHeadingFontOn(int id) const {
    if (const HWND control = Item(id)) {
        SetHeadingFont(control);
    }
}

bool CKRVBaseDlg::OnInitDialog() {
    const HWND window = hwnd();
    SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_SYSMENU);
    TrimSystemMenu(GetSystemMenu(window, FALSE));

    LayOutTitleBand();
    // The icon's image of the size the screen asks for (the icon holds one per scale).
    const HINSTANCE instance = fw::Application::ResourceInstance();
    const UINT dpi = DpiOf(window);
    const auto large = static_cast<HICON>(LoadImageW(
        instance, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON,
        GetSystemMetricsForDpi(SM_CXICON, dpi), GetSystemMetricsForDpi(SM_CYICON, dpi), LR_SHARED));
    const auto small =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON,
                                      GetSystemMetricsForDpi(SM_CXSMICON, dpi),
                                      GetSystemMetricsForDpi(SM_CYSMICON, dpi), LR_SHARED));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    fw::SetText(window, fw::LoadText(IDS_TITLE));

    CreateHeadingFontFrom(window);
    BringWindowToTop(window);
    closeButton_.CreateInTitleBand(window);
    return true;
}

// The band is 40 pixels high and the title font 20 at 96 dots per inch; both grow with the
// screen's scale.
void CKRVBaseDlg::LayOutTitleBand() {
    RECT client = {};
    GetClientRect(hwnd(), &client);
    const UINT dpi = DpiOf(hwnd());
    const int edgeX = GetSystemMetrics(SM_CXEDGE) - 1;
    const int edgeY = GetSystemMetrics(SM_CYEDGE) - 1;
    titleBand_ = {edgeX, edgeY, client.right - edgeX, ScaleToDpi(kTitleBandHeight, dpi) - edgeY};

    LOGFONTW title = {};
    title.lfHeight = ScaleToDpi(20, dpi);
    title.lfWeight = FW_BOLD;
    title.lfCharSet = DEFAULT_CHARSET;
    titleFont_.Reset(CreateFontIndirectW(&title));
}

bool CKRVBaseDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_CLOSE_BUTTON) {
        // The dialog's default handling turns the close into Cancel.
        PostMessageW(hwnd(), WM_CLOSE, 0, 0);
        return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

bool CKRVBaseDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_NCHITTEST: {
            result = DefWindowProcW(hwnd(), message, wParam, lParam);
            if (result == HTCLIENT) {
                POINT point = {static_cast<short>(LOWORD(lParam)),
                               static_cast<short>(HIWORD(lParam))};
                ScreenToClient(hwnd(), &point);
                if (PtInRect(&titleBand_, point)) {
                    result = HTCAPTION;
                }
            }
            return true;
        }
        case WM_DPICHANGED: {
            // The dialog manager scales the template's controls; the band is ours.
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            LayOutTitleBand();
            if (closeButton_.hwnd() != nullptr) {
                closeButton_.PlaceInTitleBand(hwnd());
            }
            InvalidateRect(hwnd(), nullptr, TRUE);
            result = 0;
            return true;
        }
        case WM_PAINT: {
            fw::PaintDc paint(hwnd());
            PaintTitleBand(paint.get());
            result = 0;
            return true;
        }
        default:
            return false;
    }
}

void CKRVBaseDlg::PaintTitleBand(HDC dc) const {
    fw::Brush band(CreateSolidBrush(kTitleBandColour));
    FillRect(dc, &titleBand_, band.Get());
    RECT client = {};
    GetClientRect(hwnd(), &client);
    const int edgeX = GetSystemMetrics(SM_CXEDGE) - 1;
    const RECT line = {titleBand_.left, titleBand_.bottom,
                       titleBand_.left + client.right - 2 * edgeX, titleBand_.bottom + 1};
    FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    // The logo drawn for the screen's scale (a scaled-up small one would blur); a missing logo
    // leaves the band plain.
    const UINT dpi = DpiOf(hwnd());
    const UINT logoId = PictureForDpi(dpi, IDB_LOGO, IDB_LOGO_150, IDB_LOGO_200);
    fw::Bitmap logo(static_cast<HBITMAP>(LoadImageW(fw::Application::ResourceInstance(),
                                                    MAKEINTRESOURCEW(logoId), IMAGE_BITMAP, 0, 0,
                                                    LR_CREATEDIBSECTION)));
    const int margin = ScaleToDpi(4, dpi);
    DrawBitmap(logo.Get(), dc, client.left + margin, client.top + margin);
}

}  // namespace ui
