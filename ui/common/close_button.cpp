#include "ui/common/close_button.h"

#include "framework/gdi.h"
#include "framework/text.h"
#include "res/resource.h"
#include "ui/common/drawing.h"

namespace ui {

namespace {

RECT PlaceFor(HWND parent) {
    RECT client = {};
    GetClientRect(parent, &client);
    const UINT dpi = DpiOf(parent);
    return {client.right - ScaleToDpi(19, dpi), client.top + ScaleToDpi(3, dpi),
            client.right - ScaleToDpi(3, dpi), client.top + ScaleToDpi(19, dpi)};
}

}  // namespace

void CKRVCloseButton::PlaceInTitleBand(HWND parent) const {
    const RECT rect = PlaceFor(parent);
    SetWindowPos(hwnd(), nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CKRVCloseButton::CreateInTitleBand(HWND parent) {
    const RECT rect = PlaceFor(parent);
    // The cross is drawn; the text is what screen readers say for the button.
    return CreateControl(L"BUTTON", fw::LoadText(IDS_CLOSE_BUTTON_NAME),
                         WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, rect, parent, IDC_CLOSE_BUTTON);
}

void CKRVCloseButton::Draw(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    if (pushed) {
        OffsetRect(&r, 1, 1);
    }
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    fw::Pen pen(CreatePen(PS_SOLID, 1, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT)));
    fw::Selection selected(item.hDC, pen.Get());
    // Two strokes 2 pixels wide at 96 dots per inch, 4 pixels in from the frame: each diagonal
    // is drawn once per pixel of width, one pixel further right each time. At other densities
    // the width and the inset grow with the scale.
    const UINT dpi = DpiOf(item.hwndItem);
    const int inset = ScaleToDpi(4, dpi);
    const int width = ScaleToDpi(2, dpi);
    for (int i = 0; i < width; ++i) {
        MoveToEx(item.hDC, r.left + inset + i, r.top + inset, nullptr);
        LineTo(item.hDC, r.right - inset - 1 + i, r.bottom - inset - 1);
        MoveToEx(item.hDC, r.right - inset - 2 + i, r.top + inset, nullptr);
        LineTo(item.hDC, r.left + inset - 1 + i, r.bottom - inset - 1);
    }
}

LRESULT CKRVCloseButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDBLCLK) {
        // A fast second click counts as a press of its own.
        POINT cursor = {};
        GetCursorPos(&cursor);
        ScreenToClient(hwnd(), &cursor);
        Send(WM_LBUTTONDOWN, wParam, MAKELPARAM(cursor.x, cursor.y));
    }
    return DefaultProc(message, wParam, lParam);
}

bool CKRVCloseButton::OnReflected(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_DRAWITEM) {
        return false;
    }
    Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    result = TRUE;
    return true;
}

}  // namespace ui
