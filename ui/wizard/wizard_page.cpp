#include "ui/wizard/wizard_page.h"

#include "ui/common/base_dialog.h"

namespace ui {

bool CKRVWizardPage::IsCurrent() const {
    return hwnd() != nullptr && (GetWindowLongPtrW(hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool CKRVWizardPage::OnInitDialog() {
    if (heading_ != 0) {
        if (const HWND heading = Item(heading_)) {
            CKRVBaseDlg::SetHeadingFont(heading);
        }
    }
    return false;  // the wizard keeps the focus on its buttons
}

}  // namespace ui
