#include "ui/wizard/page_host.h"

#include "framework/controls.h"

namespace ui {

bool CKRVPageHostDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    if (SeparatorId() != 0) {
        separator_.SubclassItem(hwnd(), SeparatorId());
    }
    return true;
}

void CKRVPageHostDlg::SetPlaceholder(int id) {
    placeholder_ = id;
    fw::Control(hwnd(), id).Show(false);
}

bool CKRVPageHostDlg::AddPage(CKRVWizardPage& page) {
    if (!page.CreatePage(hwnd())) {
        return false;
    }
    const fw::Control placeholder(hwnd(), placeholder_);
    const RECT rect = placeholder.RectInParent();
    // Right after the placeholder in the z-order: the page's controls come first in the tab
    // order, before the wizard's buttons.
    SetWindowPos(page.hwnd(), placeholder.hwnd() != nullptr ? placeholder.hwnd() : HWND_TOP,
                 rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOREDRAW | SWP_NOACTIVATE);
    ShowWindow(page.hwnd(), SW_HIDE);
    pages_.push_back(&page);
    if (current_ == -1) {
        SetActivePage(0);
    }
    return true;
}

void CKRVPageHostDlg::SetActivePage(int index) {
    if (index == current_ || index < 0 || index >= PageCount()) {
        return;
    }
    ShowWindow(pages_[static_cast<size_t>(index)]->hwnd(), SW_SHOW);
    if (current_ >= 0) {
        const HWND previous = pages_[static_cast<size_t>(current_)]->hwnd();
        // The focus must not stay on a control that is no longer on screen.
        const HWND focus = GetFocus();
        const bool focusLeaves =
            focus != nullptr && (focus == previous || IsChild(previous, focus));
        ShowWindow(previous, SW_HIDE);
        if (focusLeaves) {
            SendMessageW(hwnd(), WM_NEXTDLGCTL, 0, FALSE);
        }
    }
    current_ = index;
}

CKRVWizardPage* CKRVPageHostDlg::GetActivePage() const {
    return Page(current_);
}

CKRVWizardPage* CKRVPageHostDlg::Page(int index) const {
    return index >= 0 && index < PageCount() ? pages_[static_cast<size_t>(index)] : nullptr;
}

}  // namespace ui
