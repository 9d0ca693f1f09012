#include "ui/settings/advanced_page.h"

#include <algorithm>
#include <string>

#include "framework/controls.h"
#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"
#include "ui/common/base_dialog.h"
#include "ui/settings/file_exclusion_dialog.h"
#include "ui/settings/settings_notice.h"

namespace ui {

namespace {

// The spin steps the count within 1..999 and the edit's own check brings it into 1..99.
constexpr int kSpinLowest = 1;
constexpr int kSpinHighest = 999;

}  // namespace

CKRVMirrorAdvPage::CKRVMirrorAdvPage(ShellServices& shell)
    : fw::PropertyPage(IDD_ADVANCED_PAGE), shell_(shell) {}

bool CKRVMirrorAdvPage::OnInitDialog() {
    for (int id = IDC_ADVANCED_HEADING_REVISIONS; id <= IDC_ADVANCED_HEADING_RESET; ++id) {
        CKRVBaseDlg::SetHeadingFont(Item(id));
    }
    BoundedNumberField::WidenSpinRange(Item(IDC_ADVANCED_COUNT_SPIN));
    fw::Edit(Item(IDC_ADVANCED_COUNT)).SetLimit(3);
    EnableCount();
    return true;
}

void CKRVMirrorAdvPage::Exchange(fw::DataExchange& exchange) {
    exchange.Check(IDC_ADVANCED_TRAY_ICON, icon);
    exchange.Radio(IDC_ADVANCED_NO_REVISIONS, revisionsChoice);
    if (exchange.pulling()) {
        // A count left empty or too small while typing is put right before it is read.
        (void)countField_.Settle(Item(IDC_ADVANCED_COUNT));
    }
    exchange.Number(IDC_ADVANCED_COUNT, count);
    exchange.Check(IDC_ADVANCED_WARN_NO_DISK, warnings);
    exchange.Check(IDC_ADVANCED_WARN_FULL, diskFullWarning);
    exchange.Check(IDC_ADVANCED_SHOW_PROGRESS, showProgress);
}

// The count and its spin mean something only for the limited choice.
void CKRVMirrorAdvPage::EnableCount() {
    const bool limited = revisionsChoice == static_cast<int>(RevisionsChoice::Limited);
    EnableWindow(Item(IDC_ADVANCED_COUNT), limited ? TRUE : FALSE);
    EnableWindow(Item(IDC_ADVANCED_COUNT_SPIN), limited ? TRUE : FALSE);
}

void CKRVMirrorAdvPage::EditExclusions() {
    CKRVFileExclusionDlg dialog(shell_, hwnd());
    if (dialog.DoModal() != IDOK) {
        return;
    }
    const settings::CKRVSettingsStore store(shell_.machine().registry, shell_.productKey());
    if (const uint32_t error = StoreExclusionList(store, dialog.extensions())) {
        ShowSettingsNotice(
            fw::FormatText(fw::LoadText(IDS_SETTINGS_NOT_SAVED), {fw::SystemErrorText(error)}),
            hwnd());
    }
}

bool CKRVMirrorAdvPage::OnCommand(int id, int code, HWND control) {
    switch (id) {
        case IDC_ADVANCED_NO_REVISIONS:
        case IDC_ADVANCED_UNLIMITED:
        case IDC_ADVANCED_LIMITED:
            if (code == BN_CLICKED) {
                fw::DataExchange pull(hwnd(), true);
                pull.Radio(IDC_ADVANCED_NO_REVISIONS, revisionsChoice);
                EnableCount();
                return true;
            }
            break;
        case IDC_ADVANCED_COUNT:
            if (code == EN_CHANGE) {
                // Whatever is typed, the count ends between 1 and 99.
                count = countField_.OnTextChanged(Item(IDC_ADVANCED_COUNT));
                return true;
            }
            if (code == EN_KILLFOCUS) {
                count = countField_.Settle(Item(IDC_ADVANCED_COUNT));
                return true;
            }
            break;
        case IDC_ADVANCED_EXCLUSION:
            if (code == BN_CLICKED) {
                EditExclusions();
                return true;
            }
            break;
        default:
            break;
    }
    return fw::PropertyPage::OnCommand(id, code, control);
}

bool CKRVMirrorAdvPage::OnNotify(NMHDR& header, LRESULT& result) {
    if (header.idFrom == IDC_ADVANCED_COUNT_SPIN && header.code == UDN_DELTAPOS) {
        const auto& step = reinterpret_cast<const NMUPDOWN&>(header);
        BoundedNumberField::Step(Item(IDC_ADVANCED_COUNT), step.iDelta, kSpinLowest, kSpinHighest);
        result = 0;  // the step is allowed
        return true;
    }
    return fw::PropertyPage::OnNotify(header, result);
}

}  // namespace ui
