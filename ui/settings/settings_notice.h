#pragma once
// A notice of the settings window (dialog 230): one text and OK.

#include <string>

#include "ui/common/base_dialog.h"

namespace ui {

class CKRVSettingsNoticeDlg : public CKRVBaseDlg {
  public:
    CKRVSettingsNoticeDlg(std::string text, HWND parent);

  protected:
    bool OnInitDialog() override;

  private:
    std::string text_;
};

// Shows the notice over parent and returns when the user closed it.
void ShowSettingsNotice(const std::string& text, HWND parent);

}  // namespace ui
