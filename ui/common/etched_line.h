#pragma once
// A separator: a static that paints an etched edge along its top, or along its left side when it
// is narrower than it is high.

#include "framework/window.h"

namespace ui {

class CKRVEtchedLine : public fw::Window {
  public:
    // The edge this control draws: BF_LEFT or BF_TOP.
    static UINT EdgeFor(const RECT& client);

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace ui
