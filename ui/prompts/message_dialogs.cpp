#include "ui/prompts/message_dialogs.h"

#include <string>

#include "framework/text.h"
#include "res/resource.h"

namespace ui {

namespace {

template <typename Text>
void Overwrite(Text& text) {
    for (auto& unit : text) {
        const_cast<volatile typename Text::value_type&>(unit) = 0;
    }
}

}  // namespace

bool CKRVMessageDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    if (headlineId_ != 0) {
        SetHeadingFontOn(headlineId_);
    }
    return true;
}

INT_PTR RunMessageDialog(UINT templateId, HWND parent) {
    int headline = 0;
    if (templateId == IDD_INVALID_PATH) {
        headline = IDC_INVALID_PATH_HEADLINE;
    } else if (templateId == IDD_NOT_FIXED_DRIVE) {
        headline = IDC_NOT_FIXED_DRIVE_HEADLINE;
    }
    CKRVMessageDlg dialog(templateId, headline, parent);
    return dialog.DoModal();
}

CKRVPasswordDlg::CKRVPasswordDlg() : CKRVBaseDlg(IDD_PROTECTED_PASSWORD) {}

void CKRVPasswordDlg::WipeEdit() {
    const HWND edit = Item(IDC_PROTECTED_PASSWORD);
    if (edit == nullptr) {
        return;
    }
    // Overwrite the control's text before emptying it, so the password does not stay in the
    // edit's memory.
    const int length = GetWindowTextLengthW(edit);
    if (length > 0) {
        SetWindowTextW(edit, std::wstring(static_cast<size_t>(length), L'*').c_str());
    }
    SetWindowTextW(edit, L"");
}

void CKRVPasswordDlg::OnOK() {
    const HWND edit = Item(IDC_PROTECTED_PASSWORD);
    const int length = GetWindowTextLengthW(edit);
    std::wstring typed(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(edit, typed.data(), length + 1);
    typed.resize(static_cast<size_t>(length));
    std::string utf8 = fw::Utf8(typed);
    password_.emplace(utf8);
    Overwrite(utf8);
    Overwrite(typed);
    WipeEdit();
    EndDialog(IDOK);
}

bool CKRVPasswordDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_DESTROY) {
        WipeEdit();
    }
    return CKRVBaseDlg::OnMessage(message, wParam, lParam, result);
}

}  // namespace ui
