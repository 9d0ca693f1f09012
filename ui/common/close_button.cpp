#include "ui/common/close_button.h"

#include "framework/gdi.h"
#include "res/resource.h"

namespace ui {

bool CKRVCloseButton::CreateInTitleBand(HWND parent) {
    RECT client = {};
    GetClientRect(parent, &client);
    const RECT rect = {client.right - 19, client.top + 3, client.right - 3, client.top + 19};
    return CreateControl(L"BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, rect, parent,
                         IDC_CLOSE_BUTTON);
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
    // Two 2-pixel strokes: each diagonal is drawn twice, one pixel apart.
    MoveToEx(item.hDC, r.left + 4, r.top + 4, nullptr);
    LineTo(item.hDC, r.right - 5, r.bottom - 5);
    MoveToEx(item.hDC, r.right - 6, r.top + 4, nullptr);
    LineTo(item.hDC, r.left + 3, r.bottom - 5);
    MoveToEx(item.hDC, r.left + 5, r.top + 4, nullptr);
    LineTo(item.hDC, r.right - 4, r.bottom - 5);
    MoveToEx(item.hDC, r.right - 5, r.top + 4, nullptr);
    LineTo(item.hDC, r.left + 4, r.bottom - 5);
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
