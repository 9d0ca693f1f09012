#pragma once
// The drive library's protect and unprotect dialogs, our own: the user protects the disk in a
// drive against writing (without a password, with one, or with one against reading too) and
// lifts that protection again. The medium changes only through the drive's setProtect.
//
// A disk that software cannot protect (an ordinary volume), or whose protection is the switch
// on the medium, says so in the dialog instead of offering what cannot work.

#include <functional>
#include <string>

#include "drivekit/drvkit_ui.h"
#include "engine/secret_text.h"
#include "ui/common/base_dialog.h"

namespace ui {

class CKRVDriveProtection final : public drvKit::DrvKitUI {
  public:
    // The dialogs are shown over parent (may be null).
    explicit CKRVDriveProtection(HWND parent = nullptr) : parent_(parent) {}

    // Protects the disk in drive. 0 once it is protected (also when it was already, then without
    // a dialog); 995 when the user cancelled; 21 without a disk (no dialog); 50 when the disk
    // cannot be protected (the dialog says so); else what setProtect answered last.
    drvKit::EError protect(drvKit::Drive& drive, bool offerPassword) override;
    // Lifts the protection of the disk in drive. 0 once it is writable (also when it was
    // already, then without a dialog); 995 when the user cancelled; 21 without a disk (no
    // dialog); 19 when the switch on the medium protects it (the dialog says so); else what
    // setProtect answered last. askPassword false: the password given in *password is used.
    drvKit::EError unprotect(drvKit::Drive& drive, bool temporarily, bool askPassword,
                             std::string* password, drvKit::EProtectState* previousState) override;

  private:
    HWND parent_;
};

// What a protection dialog does to the disk: setProtect with a state and a password.
using ApplyProtection =
    std::function<drvKit::EError(drvKit::EProtectState state, const std::string& password)>;

// Dialog 210. Shows the choices, or only a note when the disk cannot be protected.
class CKRVProtectDiskDlg : public CKRVBaseDlg {
  public:
    enum class Mode { Offer, CannotProtect };
    CKRVProtectDiskDlg(std::string driveText, Mode mode, bool offerPassword, ApplyProtection apply,
                       HWND parent = nullptr);
    // What the last setProtect answered (kErrNone before any).
    drvKit::EError result() const { return result_; }
    Mode mode() const { return mode_; }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnOK() override;

  private:
    void ShowMode();
    void UpdatePasswordFields();
    void ShowError(const std::string& text);

    std::string driveText_;
    Mode mode_;
    bool offerPassword_;
    ApplyProtection apply_;
    drvKit::EError result_ = drvKit::kErrNone;
};

// Dialog 211. Asks for the password of a disk that has one, only confirms for one that has
// none, or only says that the switch on the medium protects it.
class CKRVUnprotectDiskDlg : public CKRVBaseDlg {
  public:
    enum class Mode { Confirm, AskPassword, Switch };
    CKRVUnprotectDiskDlg(std::string driveText, Mode mode, ApplyProtection apply,
                         HWND parent = nullptr);
    drvKit::EError result() const { return result_; }
    Mode mode() const { return mode_; }
    // The password that lifted the protection.
    engine::SecretText TakePassword() { return std::move(password_); }

  protected:
    bool OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnOK() override;

  private:
    std::string driveText_;
    Mode mode_;
    ApplyProtection apply_;
    drvKit::EError result_ = drvKit::kErrNone;
    engine::SecretText password_;
};

}  // namespace ui
