#pragma once
// The owner-drawn close button in the top-right corner of every dialog's title band.

#include "framework/window.h"

namespace ui {

class CKRVCloseButton : public fw::Window {
  public:
    // A 16 x 16 button (at 96 dots per inch; larger by the screen's scale) at the right end of
    // the title band of parent, with id 6969.
    bool CreateInTitleBand(HWND parent);
    // Puts the button back in its place for the parent's size and dots per inch.
    void PlaceInTitleBand(HWND parent) const;
    // Draws the frame and the cross (owner draw).
    static void Draw(const DRAWITEMSTRUCT& item);

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

}  // namespace ui
