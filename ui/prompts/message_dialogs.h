#pragma once
// The dialogs that only say something and take OK or Cancel: protected disk (204), the disk's
// write-protect switch (205), folder on another drive (208), no drive (209), invalid path (167),
// not a local fixed drive (127), turning the program off (135) and creating a missing source
// (113); and the password prompt (203).

#include <optional>

#include "engine/secret_text.h"
#include "ui/common/base_dialog.h"

namespace ui {

class CKRVMessageDlg : public CKRVBaseDlg {
  public:
    // headlineId: a control shown in the heading font, or 0.
    explicit CKRVMessageDlg(UINT templateId, int headlineId = 0, HWND parent = nullptr)
        : CKRVBaseDlg(templateId, parent), headlineId_(headlineId) {}

  protected:
    bool OnInitDialog() override;

  private:
    int headlineId_;
};

// 204, 205, 208, 209, 167, 127, 135 and 113 with their headlines; IDOK or IDCANCEL.
INT_PTR RunMessageDialog(UINT templateId, HWND parent = nullptr);

class CKRVPasswordDlg : public CKRVBaseDlg {
  public:
    CKRVPasswordDlg();
    // The password typed when OK closed the dialog.
    std::optional<engine::SecretText> TakePassword() { return std::move(password_); }

  protected:
    void OnOK() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void WipeEdit();
    std::optional<engine::SecretText> password_;
};

}  // namespace ui
