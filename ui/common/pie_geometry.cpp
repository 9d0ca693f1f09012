#include "ui/common/pie_geometry.h"

#include <algorithm>
#include <cmath>

namespace ui {

PieShape ComputePieShape(int left, int top, int right, int bottom, int percent) {
    // Percentages outside 0..100 come from sizes the drive library got wrong; the chart shows
    // the nearest possible picture instead of a wedge that runs round more than once.
    percent = std::clamp(percent, 0, 100);
    PieShape shape;
    if (percent == 100) {
        shape.kind = PieShape::Kind::SliceOnly;
        return shape;
    }
    // At 0 there is no wedge. Comparing the computed start with the top would miss that for an
    // odd height, where the truncated start lies a pixel above the top: the system then draws
    // the wedge as the whole ellipse, a full chart for an empty value.
    if (percent == 0) {
        return shape;
    }
    const double angle = percent * 0.06283;  // 2 pi / 100 to five places
    const int cx = (left + right) / 2;
    const int cy = (top + bottom) / 2;
    shape.startX = static_cast<int>((right - left) * std::sin(angle) * 0.5 + cx);
    shape.startY = static_cast<int>(-std::cos(angle) * (bottom - top) * 0.5 + cy);
    shape.endX = cx;
    shape.endY = top;
    shape.kind = (shape.startX == cx && shape.startY == top) ? PieShape::Kind::RestOnly
                                                             : PieShape::Kind::Wedge;
    return shape;
}

}  // namespace ui
