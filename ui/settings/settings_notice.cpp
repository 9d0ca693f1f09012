#include "ui/settings/settings_notice.h"

#include "framework/text.h"
#include "res/resource.h"

namespace ui {

CKRVSettingsNoticeDlg::CKRVSettingsNoticeDlg(std::string text, HWND parent)
    : CKRVBaseDlg(IDD_SETTINGS_NOTICE, parent), text_(std::move(text)) {}

bool CKRVSettingsNoticeDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    fw::SetText(Item(IDC_SETTINGS_NOTICE_TEXT), text_);
    return true;
}

void ShowSettingsNotice(const std::string& text, HWND parent) {
    CKRVSettingsNoticeDlg notice(text, parent);
    notice.DoModal();
}

}  // namespace ui
