#pragma once
// Where the pie chart's wedge goes (portable): the chart is a full ellipse in the rest colour
// with a wedge in the slice colour from twelve o'clock clockwise through the percentage.

namespace ui {

struct PieShape {
    enum class Kind { RestOnly, SliceOnly, Wedge } kind = Kind::RestOnly;
    // For a wedge: the arc runs counter-clockwise from start to end (the system's Pie call).
    int startX = 0;
    int startY = 0;
    int endX = 0;
    int endY = 0;
};

// The shape for the rectangle (left, top, right, bottom) at percent (limited to 0..100).
PieShape ComputePieShape(int left, int top, int right, int bottom, int percent);

}  // namespace ui
