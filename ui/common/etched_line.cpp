#include "ui/common/etched_line.h"

#include "framework/gdi.h"

namespace ui {

UINT CKRVEtchedLine::EdgeFor(const RECT& client) {
    return client.right - client.left < client.bottom - client.top ? BF_LEFT : BF_TOP;
}

LRESULT CKRVEtchedLine::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) {
        return DefaultProc(message, wParam, lParam);
    }
    fw::PaintDc paint(hwnd());
    RECT client = {};
    GetClientRect(hwnd(), &client);
    DrawEdge(paint.get(), &client, EDGE_ETCHED, EdgeFor(client));
    return 0;
}

}  // namespace ui
