#include "ui/wizard/setup_done.h"

#include "framework/text.h"
#include "res/resource.h"
#include "ui/common/dpi_picture.h"
#include "ui/common/drawing.h"
#include "ui/common/hyperlink.h"

namespace ui {

CKRVSetupDoneDlg::CKRVSetupDoneDlg(std::string manualPath)
    : CKRVPageHostDlg(IDD_SETUP_DONE), manualPath_(std::move(manualPath)) {}

int CKRVSetupDoneDlg::SeparatorId() const {
    return IDC_DONE_SEPARATOR;
}

bool CKRVSetupDoneDlg::OnInitDialog() {
    CKRVPageHostDlg::OnInitDialog();
    // The picture may grow down to the separator and right to the text.
    ShowPictureForDpi(hwnd(), IDC_DONE_PICTURE, DpiOf(hwnd()), IDB_WELCOME, L"IDB_WELCOME",
                      {80, 154});
    SetHeadingFontOn(IDC_DONE_HEADING);
    SetHeadingFontOn(IDC_DONE_HIDDEN_HEADING);
    choice_ = kExit;
    CheckRadioButton(hwnd(), IDC_DONE_WEB_SITE, IDC_DONE_EXIT, IDC_DONE_EXIT);
    return true;
}

bool CKRVSetupDoneDlg::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED && id >= IDC_DONE_WEB_SITE && id <= IDC_DONE_EXIT) {
        choice_ = id - IDC_DONE_WEB_SITE;
        return true;
    }
    return CKRVPageHostDlg::OnCommand(id, code, control);
}

// Opening the settings is the engine's part, after the dialog has closed.
void CKRVSetupDoneDlg::OnOK() {
    if (choice_ == kWebSite) {
        Open(fw::LoadText(IDS_WEB_SITE_TARGET));
    } else if (choice_ == kManual) {
        Open(manualPath_);
    }
    EndDialog(IDOK);
}

// A web site or manual that does not open is not reported.
void CKRVSetupDoneDlg::Open(const std::string& target) {
    OpenHyperlink(target, SW_SHOW);
}

std::string FileBesideProgram(const std::string& programPath, const std::string& name) {
    const size_t slash = programPath.find_last_of('\\');
    return (slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1)) + name;
}

// The manual lies beside the program, not in whatever folder the program was started from. The
// dialog shows once after the wizard even when another window holds the guard (About, say); the
// settings it asks for open after the guard is given back.
bool SetupDoneView::ShowFinishPage() {
    int choice = CKRVSetupDoneDlg::kExit;
    {
        const engine::PromptGuard guard(shared_);
        CKRVSetupDoneDlg dialog(FileBesideProgram(programPath_, fw::LoadText(IDS_USER_MANUAL)));
        dialog.DoModal();
        choice = dialog.choice();
    }
    return choice == CKRVSetupDoneDlg::kSettings;
}

}  // namespace ui
