#include "ui/common/drive_protection.h"

#include "framework/controls.h"
#include "framework/text.h"
#include "framework/text_format.h"
#include "os/errors.h"
#include "res/resource.h"

namespace ui {

namespace {

// Reads an edit's text, then overwrites and empties the control, so that a password does not
// stay in its memory.
engine::SecretText TakeEditText(HWND edit) {
    if (edit == nullptr) {
        return {};
    }
    const int length = GetWindowTextLengthW(edit);
    std::wstring typed(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(edit, typed.data(), length + 1);
    typed.resize(static_cast<size_t>(length));
    engine::SecretText text(fw::Utf8(typed));
    for (auto& unit : typed) {
        const_cast<volatile wchar_t&>(unit) = 0;
    }
    if (length > 0) {
        SetWindowTextW(edit, std::wstring(static_cast<size_t>(length), L'*').c_str());
    }
    SetWindowTextW(edit, L"");
    return text;
}

void WipeEdit(HWND edit) {
    TakeEditText(edit).Wipe();
}

std::string FailureText(UINT patternId, drvKit::EError error) {
    std::string reason = fw::SystemErrorText(error);
    if (reason.empty()) {
        reason = std::to_string(static_cast<uint32_t>(error));
    }
    return fw::FormatText(fw::LoadText(patternId), {reason});
}

}  // namespace

// ---------------------------------------------------------------- dialog 210

CKRVProtectDiskDlg::CKRVProtectDiskDlg(std::string driveText, Mode mode, bool offerPassword,
                                       ApplyProtection apply, HWND parent)
    : CKRVBaseDlg(IDD_PROTECT_DISK, parent),
      driveText_(std::move(driveText)),
      mode_(mode),
      offerPassword_(offerPassword),
      apply_(std::move(apply)) {}

bool CKRVProtectDiskDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    SetHeadingFontOn(IDC_PROTECT_HEADLINE);
    fw::SetText(Item(IDC_PROTECT_DRIVE), driveText_);
    CheckRadioButton(hwnd(), IDC_PROTECT_WRITE, IDC_PROTECT_READ_WRITE_PASSWORD, IDC_PROTECT_WRITE);
    fw::Edit(hwnd(), IDC_PROTECT_PASSWORD).SetLimit(127);
    fw::Edit(hwnd(), IDC_PROTECT_CONFIRM).SetLimit(127);
    ShowMode();
    return true;
}

void CKRVProtectDiskDlg::ShowMode() {
    const bool offer = mode_ == Mode::Offer;
    for (const int id : {IDC_PROTECT_WRITE, IDC_PROTECT_WRITE_PASSWORD,
                         IDC_PROTECT_READ_WRITE_PASSWORD, IDC_PROTECT_PASSWORD_LABEL,
                         IDC_PROTECT_PASSWORD, IDC_PROTECT_CONFIRM_LABEL, IDC_PROTECT_CONFIRM}) {
        fw::Control(hwnd(), id).Show(offer);
    }
    const fw::Static note(hwnd(), IDC_PROTECT_NOTE);
    note.SetText(offer ? std::string() : fw::LoadText(IDS_PROTECT_UNSUPPORTED));
    note.Show(!offer);
    // With nothing to choose, OK only closes.
    fw::Control(hwnd(), IDCANCEL).Show(offer);
    if (offer) {
        fw::Control(hwnd(), IDC_PROTECT_WRITE_PASSWORD).Enable(offerPassword_);
        fw::Control(hwnd(), IDC_PROTECT_READ_WRITE_PASSWORD).Enable(offerPassword_);
        UpdatePasswordFields();
    } else {
        ShowError({});
        SetFocus(Item(IDOK));
    }
}

void CKRVProtectDiskDlg::UpdatePasswordFields() {
    const bool password = !fw::Button(hwnd(), IDC_PROTECT_WRITE).IsChecked();
    for (const int id : {IDC_PROTECT_PASSWORD_LABEL, IDC_PROTECT_PASSWORD,
                         IDC_PROTECT_CONFIRM_LABEL, IDC_PROTECT_CONFIRM}) {
        fw::Control(hwnd(), id).Enable(password);
    }
}

void CKRVProtectDiskDlg::ShowError(const std::string& text) {
    fw::SetText(Item(IDC_PROTECT_ERROR), text);
}

bool CKRVProtectDiskDlg::OnCommand(int id, int code, HWND control) {
    if ((id == IDC_PROTECT_WRITE || id == IDC_PROTECT_WRITE_PASSWORD ||
         id == IDC_PROTECT_READ_WRITE_PASSWORD) &&
        code == BN_CLICKED) {
        UpdatePasswordFields();
        ShowError({});
        return true;
    }
    return CKRVBaseDlg::OnCommand(id, code, control);
}

void CKRVProtectDiskDlg::OnOK() {
    if (mode_ != Mode::Offer) {
        EndDialog(IDOK);
        return;
    }
    drvKit::EProtectState state = drvKit::kProtectWrite;
    if (fw::Button(hwnd(), IDC_PROTECT_WRITE_PASSWORD).IsChecked()) {
        state = drvKit::kProtectWritePassword;
    } else if (fw::Button(hwnd(), IDC_PROTECT_READ_WRITE_PASSWORD).IsChecked()) {
        state = drvKit::kProtectReadWritePassword;
    }
    engine::SecretText password = TakeEditText(Item(IDC_PROTECT_PASSWORD));
    engine::SecretText confirm = TakeEditText(Item(IDC_PROTECT_CONFIRM));
    if (drvKit::NeedsPassword(state)) {
        if (password.empty()) {
            ShowError(fw::LoadText(IDS_PASSWORD_MISSING));
            SetFocus(Item(IDC_PROTECT_PASSWORD));
            return;
        }
        if (password.text() != confirm.text()) {
            ShowError(fw::LoadText(IDS_PASSWORDS_DIFFER));
            SetFocus(Item(IDC_PROTECT_PASSWORD));
            return;
        }
    } else {
        password.Wipe();
    }
    result_ = apply_(state, password.text());
    if (result_ == drvKit::kErrNone) {
        EndDialog(IDOK);
        return;
    }
    if (result_ == drvKit::kErrNotSupported) {
        mode_ = Mode::CannotProtect;  // the disk itself says it cannot be protected
        ShowMode();
        return;
    }
    ShowError(FailureText(IDS_PROTECT_FAILED, result_));
}

bool CKRVProtectDiskDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_DESTROY) {
        WipeEdit(Item(IDC_PROTECT_PASSWORD));
        WipeEdit(Item(IDC_PROTECT_CONFIRM));
    }
    return CKRVBaseDlg::OnMessage(message, wParam, lParam, result);
}

// ---------------------------------------------------------------- dialog 211

CKRVUnprotectDiskDlg::CKRVUnprotectDiskDlg(std::string driveText, Mode mode, ApplyProtection apply,
                                           HWND parent)
    : CKRVBaseDlg(IDD_UNPROTECT_DISK, parent),
      driveText_(std::move(driveText)),
      mode_(mode),
      apply_(std::move(apply)) {}

bool CKRVUnprotectDiskDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    SetHeadingFontOn(IDC_UNPROTECT_HEADLINE);
    fw::SetText(Item(IDC_UNPROTECT_DRIVE), driveText_);
    UINT text = IDS_UNPROTECT_WRITE;
    if (mode_ == Mode::AskPassword) {
        text = IDS_UNPROTECT_PASSWORD;
    } else if (mode_ == Mode::Switch) {
        text = IDS_PROTECT_BY_SWITCH;
    }
    fw::SetText(Item(IDC_UNPROTECT_TEXT), fw::LoadText(text));
    const bool ask = mode_ == Mode::AskPassword;
    fw::Control(hwnd(), IDC_UNPROTECT_PASSWORD_LABEL).Show(ask);
    fw::Control(hwnd(), IDC_UNPROTECT_PASSWORD).Show(ask);
    fw::Edit(hwnd(), IDC_UNPROTECT_PASSWORD).SetLimit(127);
    fw::Control(hwnd(), IDCANCEL).Show(mode_ != Mode::Switch);
    if (ask) {
        SetFocus(Item(IDC_UNPROTECT_PASSWORD));
        return false;
    }
    return true;
}

void CKRVUnprotectDiskDlg::OnOK() {
    if (mode_ == Mode::Switch) {
        result_ = drvKit::kErrWriteProtect;
        EndDialog(IDOK);
        return;
    }
    engine::SecretText typed = TakeEditText(Item(IDC_UNPROTECT_PASSWORD));
    result_ = apply_(drvKit::kProtectNone, typed.text());
    if (result_ == drvKit::kErrNone) {
        password_ = std::move(typed);
        EndDialog(IDOK);
        return;
    }
    if (result_ == drvKit::kErrWriteProtect) {
        // The disk turned out to be held by its switch.
        mode_ = Mode::Switch;
        fw::SetText(Item(IDC_UNPROTECT_TEXT), fw::LoadText(IDS_PROTECT_BY_SWITCH));
        fw::Control(hwnd(), IDC_UNPROTECT_PASSWORD_LABEL).Show(false);
        fw::Control(hwnd(), IDC_UNPROTECT_PASSWORD).Show(false);
        fw::Control(hwnd(), IDCANCEL).Show(false);
        fw::SetText(Item(IDC_UNPROTECT_ERROR), "");
        return;
    }
    fw::SetText(Item(IDC_UNPROTECT_ERROR), result_ == drvKit::kErrInvalidPassword
                                               ? fw::LoadText(IDS_PASSWORD_WRONG)
                                               : FailureText(IDS_UNPROTECT_FAILED, result_));
    if (mode_ == Mode::AskPassword) {
        SetFocus(Item(IDC_UNPROTECT_PASSWORD));
    }
}

bool CKRVUnprotectDiskDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_DESTROY) {
        WipeEdit(Item(IDC_UNPROTECT_PASSWORD));
    }
    return CKRVBaseDlg::OnMessage(message, wParam, lParam, result);
}

// ---------------------------------------------------------------- the drive library's dialogs

drvKit::EError CKRVDriveProtection::protect(drvKit::Drive& drive, bool offerPassword) {
    if (!drive.hasDisk()) {
        return drvKit::kErrNotReady;
    }
    const drvKit::Disk disk = drive.getDisk();
    if (disk.isProtected() != 0) {
        return drvKit::kErrNone;
    }
    // A disk that reports it cannot be protected gets only the note; any other is offered the
    // choices, and the drive library's answer decides.
    const auto mode = disk.getProtectState() == drvKit::kProtectUnsupported
                          ? CKRVProtectDiskDlg::Mode::CannotProtect
                          : CKRVProtectDiskDlg::Mode::Offer;
    CKRVProtectDiskDlg dialog(
        drive.getLabelText(), mode, offerPassword,
        [&drive](drvKit::EProtectState state, const std::string& password) {
            return drive.setProtect(state, password);
        },
        parent_);
    const INT_PTR answer = dialog.DoModal();
    if (dialog.mode() == CKRVProtectDiskDlg::Mode::CannotProtect) {
        return drvKit::kErrNotSupported;
    }
    if (answer != IDOK) {
        return static_cast<drvKit::EError>(os::kErrorOperationAborted);
    }
    return dialog.result();
}

drvKit::EError CKRVDriveProtection::unprotect(drvKit::Drive& drive, bool temporarily,
                                              bool askPassword, std::string* password,
                                              drvKit::EProtectState* previousState) {
    // temporarily: the caller puts the protection back later with what is handed out here; the
    // dialog itself works the same either way.
    (void)temporarily;
    if (!drive.hasDisk()) {
        return drvKit::kErrNotReady;
    }
    const drvKit::Disk disk = drive.getDisk();
    const drvKit::EProtectState state = disk.getProtectState();
    if (previousState != nullptr) {
        *previousState = state;
    }
    if (disk.isProtected() == 0) {
        return drvKit::kErrNone;
    }
    auto apply = [&drive](drvKit::EProtectState target, const std::string& typed) {
        return drive.setProtect(target, typed);
    };
    CKRVUnprotectDiskDlg::Mode mode = CKRVUnprotectDiskDlg::Mode::Confirm;
    if (disk.isSwitchProtected()) {
        mode = CKRVUnprotectDiskDlg::Mode::Switch;
    } else if (drvKit::NeedsPassword(state)) {
        if (!askPassword) {
            // The caller knows the password: no dialog.
            const drvKit::EError result =
                drive.setProtect(drvKit::kProtectNone, password != nullptr ? *password : "");
            return result;
        }
        mode = CKRVUnprotectDiskDlg::Mode::AskPassword;
    }
    CKRVUnprotectDiskDlg dialog(drive.getLabelText(), mode, apply, parent_);
    const INT_PTR answer = dialog.DoModal();
    if (dialog.mode() == CKRVUnprotectDiskDlg::Mode::Switch) {
        return drvKit::kErrWriteProtect;
    }
    if (answer != IDOK) {
        return static_cast<drvKit::EError>(os::kErrorOperationAborted);
    }
    engine::SecretText used = dialog.TakePassword();
    if (password != nullptr) {
        *password = used.text();
    }
    return dialog.result();
}

}  // namespace ui
