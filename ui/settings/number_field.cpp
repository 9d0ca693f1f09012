#include "ui/settings/number_field.h"

#include <algorithm>
#include <string>

#include "framework/controls.h"
#include "framework/text.h"
#include "framework/text_format.h"

namespace ui {

int BoundedNumberField::OnTextChanged(HWND edit) {
    if (writing_) {
        return last_;
    }
    const std::string text = fw::GetText(edit);
    last_ = static_cast<int>(std::clamp<int64_t>(fw::ParseLeadingNumber(text), low_, high_));
    // A field emptied with Backspace or Delete waits for the new number.
    const std::string shown = std::to_string(last_);
    if (!text.empty() && shown != text) {
        Show(edit, shown);
    }
    return last_;
}

int BoundedNumberField::Settle(HWND edit) {
    if (edit == nullptr) {
        return last_;
    }
    const std::string text = fw::GetText(edit);
    last_ = static_cast<int>(std::clamp<int64_t>(fw::ParseLeadingNumber(text), low_, high_));
    const std::string shown = std::to_string(last_);
    if (shown != text) {
        Show(edit, shown);
    }
    return last_;
}

void BoundedNumberField::Show(HWND edit, const std::string& shown) {
    writing_ = true;
    fw::SetText(edit, shown);
    SendMessageW(edit, EM_SETSEL, shown.size(), static_cast<LPARAM>(shown.size()));
    writing_ = false;
}

int BoundedNumberField::Step(HWND edit, int delta, int spinLow, int spinHigh) {
    const int64_t next =
        std::clamp<int64_t>(fw::ParseLeadingNumber(fw::GetText(edit)) - delta, spinLow, spinHigh);
    fw::SetText(edit, std::to_string(next));
    return static_cast<int>(next);
}

void BoundedNumberField::WidenSpinRange(HWND spin) {
    fw::UpDown(spin).SetRange(1000000, -1000000);
}

}  // namespace ui
