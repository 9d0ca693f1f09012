#pragma once
// The wizard's pages that only show: the intro (dialog 109), the disk label page (110) with its
// picture of a labelled disk, and the congratulations page (133) with its tray-icon choice.

#include "framework/gdi.h"
#include "ui/wizard/wizard_page.h"

namespace ui {

class CKRVIntroPage : public CKRVWizardPage {
  public:
    CKRVIntroPage();

  protected:
    bool OnInitDialog() override;
};

class CKRVDiskLabelPage : public CKRVWizardPage {
  public:
    CKRVDiskLabelPage();

  protected:
    bool OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    fw::Bitmap picture_;
};

class CKRVCongratulationsPage : public CKRVWizardPage {
  public:
    CKRVCongratulationsPage();
    // "Icon Status" as the page holds it (1: the icon shows in the tray).
    int trayIcon() const { return trayIcon_; }

  protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& exchange) override;

  private:
    int trayIcon_ = 1;
};

}  // namespace ui
