#pragma once
// A static that draws a round chart of one percentage: the slice colour for the percentage, the
// rest colour for the remainder.

#include "framework/window.h"

namespace ui {

class CKRVPieChart : public fw::Window {
  public:
    int percent() const { return percent_; }
    COLORREF sliceColour() const { return slice_; }
    COLORREF restColour() const { return rest_; }

    // Stores p and repaints the chart and what it covers in its parent.
    void SetPercent(int p);
    void SetColours(COLORREF slice, COLORREF rest) {
        slice_ = slice;
        rest_ = rest;
    }
    void Paint(HDC dc, const RECT& rect) const;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    int percent_ = 0;
    COLORREF slice_ = RGB(210, 223, 94);
    COLORREF rest_ = RGB(43, 115, 31);
};

}  // namespace ui
