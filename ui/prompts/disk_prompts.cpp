#include "ui/prompts/disk_prompts.h"

#include "framework/application.h"
#include "framework/controls.h"
#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"
#include "ui/common/drawing.h"

namespace ui {

namespace {

bool IsChecked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

}  // namespace

std::string FormatPromptDate(const os::SystemTime& date) {
    return fw::FormatText(
        fw::LoadText(IDS_DATE_FORMAT),
        {std::to_string(date.month), std::to_string(date.day), std::to_string(date.year)});
}

CKRVDiskFullDlg::CKRVDiskFullDlg(const os::SystemTime& first, const os::SystemTime& last)
    : CKRVBaseDlg(IDD_DISK_FULL),
      dates_(fw::FormatText(fw::LoadText(IDS_DISK_DATE_RANGE),
                            {FormatPromptDate(first), FormatPromptDate(last)})) {}

bool CKRVDiskFullDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    SetHeadingFontOn(IDC_DISK_FULL_HEADLINE);
    fw::SetText(Item(IDC_DISK_FULL_DATES), dates_);
    CheckRadioButton(hwnd(), IDC_DISK_FULL_NEW_DISK, IDC_DISK_FULL_DISABLE, IDC_DISK_FULL_NEW_DISK);
    store_.SetTarget(fw::LoadText(IDS_STORE_ADDRESS));
    store_.Attach(hwnd(), IDC_DISK_FULL_STORE);
    return true;
}

void CKRVDiskFullDlg::OnOK() {
    choice_.ok = true;
    choice_.disable = IsChecked(hwnd(), IDC_DISK_FULL_DISABLE);
    EndDialog(choice_.disable ? engine::kResultCancel : engine::kResultOk);
}

CKRVWrongDiskDlg::CKRVWrongDiskDlg() : CKRVBaseDlg(IDD_WRONG_DISK) {}

bool CKRVWrongDiskDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    SetHeadingFontOn(IDC_WRONG_DISK_HEADLINE);
    CheckRadioButton(hwnd(), IDC_WRONG_DISK_INSERT, IDC_WRONG_DISK_ADOPT, IDC_WRONG_DISK_INSERT);
    return true;
}

void CKRVWrongDiskDlg::OnOK() {
    choice_.ok = true;
    if (IsChecked(hwnd(), IDC_WRONG_DISK_DONT_WARN)) {
        choice_.option = engine::WrongDiskOption::DoNotWarnAgain;
        EndDialog(engine::kResultCancel);
    } else if (IsChecked(hwnd(), IDC_WRONG_DISK_DISABLE)) {
        choice_.option = engine::WrongDiskOption::Disable;
        EndDialog(engine::kResultCancel);
    } else if (IsChecked(hwnd(), IDC_WRONG_DISK_ADOPT)) {
        choice_.option = engine::WrongDiskOption::MakeCurrentDisk;
        EndDialog(engine::kResultMakeCurrentDisk);
    } else {
        choice_.option = engine::WrongDiskOption::InsertMyDisk;
        EndDialog(engine::kResultOk);
    }
}

CKRVNoDiskDlg::CKRVNoDiskDlg() : CKRVBaseDlg(IDD_NO_DISK) {}

bool CKRVNoDiskDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    SetHeadingFontOn(IDC_NO_DISK_HEADLINE);
    CheckRadioButton(hwnd(), IDC_NO_DISK_INSERT, IDC_NO_DISK_DISABLE, IDC_NO_DISK_INSERT);
    return true;
}

bool CKRVNoDiskDlg::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED && (id == IDC_NO_DISK_REMIND_LATER || id == IDC_NO_DISK_DONT_REMIND)) {
        choice_.button = id == IDC_NO_DISK_REMIND_LATER ? engine::NoDiskButton::RemindMeLater
                                                        : engine::NoDiskButton::DontRemindMe;
        EndDialog(engine::kResultCancel);
        return true;
    }
    return CKRVBaseDlg::OnCommand(id, code, control);
}

void CKRVNoDiskDlg::OnOK() {
    choice_.button = engine::NoDiskButton::Ok;
    if (IsChecked(hwnd(), IDC_NO_DISK_DONT_WARN)) {
        choice_.option = engine::NoDiskOption::DoNotWarnAgain;
        EndDialog(engine::kResultCancel);
    } else if (IsChecked(hwnd(), IDC_NO_DISK_DISABLE)) {
        choice_.option = engine::NoDiskOption::Disable;
        EndDialog(engine::kResultCancel);
    } else {
        choice_.option = engine::NoDiskOption::InsertMyDisk;
        EndDialog(engine::kResultOk);
    }
}

CKRVInsertDiskDlg::CKRVInsertDiskDlg(int driveIcon, std::string labelText)
    : CKRVBaseDlg(IDD_INSERT_DISK), driveIcon_(driveIcon), label_(std::move(labelText)) {}

bool CKRVInsertDiskDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    SetHeadingFontOn(IDC_INSERT_DISK_HEADLINE);
    if (driveIcon_ != 0) {
        // 32 x 32 at 96 dots per inch; the icon holds an image for each scale.
        const int size = ScaleToDpi(32, DpiOf(hwnd()));
        const auto icon = static_cast<HICON>(LoadImageW(fw::Application::ResourceInstance(),
                                                        MAKEINTRESOURCEW(driveIcon_), IMAGE_ICON,
                                                        size, size, LR_SHARED));
        fw::Static(hwnd(), IDC_INSERT_DISK_DRIVE_ICON).SetIcon(icon);
    }
    fw::SetText(Item(IDC_INSERT_DISK_LABEL), label_);
    return true;
}

}  // namespace ui
