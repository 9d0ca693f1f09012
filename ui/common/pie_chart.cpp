#include "ui/common/pie_chart.h"

#include <string>

#include "framework/gdi.h"
#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"
#include "ui/common/pie_geometry.h"

namespace ui {

void CKRVPieChart::SetPercent(int p) {
    percent_ = p;
    if (hwnd() == nullptr) {
        return;
    }
    // Not drawn: the text is what screen readers say for the chart.
    fw::SetText(hwnd(), fw::FormatText(fw::LoadText(IDS_PIE_USED_NAME), {std::to_string(p)}));
    InvalidateRect(hwnd(), nullptr, TRUE);
    const HWND parent = GetParent(hwnd());
    if (parent != nullptr) {
        RECT covered = {};
        GetWindowRect(hwnd(), &covered);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&covered), 2);
        InvalidateRect(parent, &covered, TRUE);
    }
}

void CKRVPieChart::Paint(HDC dc, const RECT& r) const {
    fw::Brush rest(CreateSolidBrush(rest_));
    fw::Brush slice(CreateSolidBrush(slice_));
    const PieShape shape = ComputePieShape(r.left, r.top, r.right, r.bottom, percent_);
    if (shape.kind == PieShape::Kind::SliceOnly) {
        fw::Selection brush(dc, slice.Get());
        Ellipse(dc, r.left, r.top, r.right, r.bottom);
        return;
    }
    {
        fw::Selection brush(dc, rest.Get());
        Ellipse(dc, r.left, r.top, r.right, r.bottom);
    }
    if (shape.kind == PieShape::Kind::Wedge) {
        fw::Selection brush(dc, slice.Get());
        Pie(dc, r.left, r.top, r.right, r.bottom, shape.startX, shape.startY, shape.endX,
            shape.endY);
    }
}

LRESULT CKRVPieChart::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) {
        return DefaultProc(message, wParam, lParam);
    }
    fw::PaintDc paint(hwnd());
    RECT client = {};
    GetClientRect(hwnd(), &client);
    Paint(paint.get(), client);
    return 0;
}

}  // namespace ui
