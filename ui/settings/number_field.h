#pragma once
// A number in an edit control that its page keeps within bounds: the revisions count and the
// schedule's interval.

#include <cstdint>
#include <string>

#include "framework/windows_api.h"

namespace ui {

class BoundedNumberField {
  public:
    BoundedNumberField(int low, int high) : low_(low), high_(high) {}

    // The edit's text changed: the number read from it, brought within bounds and written back
    // when it differs; but an emptied field stays empty, so that the user can type a new number
    // (it counts as the lowest, and Settle writes that back). The text it writes itself is not
    // checked again.
    int OnTextChanged(HWND edit);
    // The field lost the focus or the sheet takes its values: the number within bounds, written
    // back when the text differs. Nothing happens without the edit.
    int Settle(HWND edit);
    // A step of the edit's up-down (UDN_DELTAPOS): the shown number minus the step (the up arrow
    // reports -1), within [spinLow, spinHigh], written to the edit.
    static int Step(HWND edit, int delta, int spinLow, int spinHigh);
    // The up-down's own position never reaches a limit, so that every click arrives as a step;
    // a range from high to low makes the up arrow report -1.
    static void WidenSpinRange(HWND spin);

  private:
    // Writes shown into the edit, caret at its end, without reading it back.
    void Show(HWND edit, const std::string& shown);

    int low_;
    int high_;
    bool writing_ = false;
    int last_ = 0;
};

}  // namespace ui
