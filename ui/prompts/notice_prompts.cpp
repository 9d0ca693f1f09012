#include "ui/prompts/notice_prompts.h"

#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"

namespace ui {

CKRVNoticeDlg::CKRVNoticeDlg(UINT templateId, int textId, int boxId, std::string text)
    : CKRVBaseDlg(templateId), textId_(textId), boxId_(boxId), text_(std::move(text)) {}

bool CKRVNoticeDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    if (textId_ != 0) {
        fw::SetText(Item(textId_), text_);
    }
    return true;
}

void CKRVNoticeDlg::OnOK() {
    choice_.ok = true;
    choice_.dontShowAgain = IsDlgButtonChecked(hwnd(), boxId_) == BST_CHECKED;
    EndDialog(engine::kResultOk);
}

CKRVFileTooLargeDlg::CKRVFileTooLargeDlg(const std::string& path)
    : CKRVNoticeDlg(IDD_FILE_TOO_LARGE, IDC_TOO_LARGE_TEXT, IDC_DONT_SHOW_AGAIN,
                    fw::FormatText(fw::LoadText(IDS_FILE_TOO_LARGE), {path})) {}

CKRVFileErrorDlg::CKRVFileErrorDlg(const engine::FileErrorDetails& details)
    : CKRVNoticeDlg(
          IDD_FILE_ERROR, IDC_FILE_ERROR_TEXT, IDC_DONT_SHOW_AGAIN,
          fw::FormatText(fw::LoadText(IDS_FILE_ERROR),
                         {details.path, std::to_string(details.code), details.systemText})),
      driveNote_(details.driveNote) {}

bool CKRVFileErrorDlg::OnInitDialog() {
    CKRVNoticeDlg::OnInitDialog();
    fw::SetText(Item(IDC_FILE_ERROR_NOTE), fw::LoadText(driveNote_ ? IDS_DRIVE_NOTE : IDS_NO_NOTE));
    return true;
}

CKRVLongFileNameDlg::CKRVLongFileNameDlg(const std::string& name)
    : CKRVNoticeDlg(IDD_NAME_TOO_LONG, IDC_NAME_TOO_LONG_TEXT, IDC_DONT_SHOW_AGAIN,
                    fw::FormatText(fw::LoadText(IDS_NAME_TOO_LONG), {name})) {}

CKRVDiskFillingDlg::CKRVDiskFillingDlg()
    : CKRVNoticeDlg(IDD_DISK_FILLING, 0, IDC_DISK_FILLING_DONT_SHOW, {}) {}

bool CKRVDiskFillingDlg::OnInitDialog() {
    CKRVNoticeDlg::OnInitDialog();
    store_.SetTarget(fw::LoadText(IDS_STORE_ADDRESS));
    store_.Attach(hwnd(), IDC_DISK_FILLING_STORE);
    return true;
}

}  // namespace ui
