#pragma once
// A page of the setup wizard: a caption-less child dialog that the wizard creates once, lays over
// its placeholder and keeps, with its control values, while another page shows.

#include "framework/dialog.h"

namespace ui {

class CKRVWizardPage : public fw::Dialog {
  public:
    // headingId: the page's heading, given the shared heading font (0 for none).
    CKRVWizardPage(UINT templateId, int headingId) : fw::Dialog(templateId), heading_(headingId) {}

    // Creates the page's dialog as a modeless child of the wizard; false when it cannot.
    virtual bool CreatePage(HWND parent) { return CreateModeless(parent); }
    // The page became the current one through Next.
    virtual void OnPageActivate() {}
    // The page is the one on show.
    bool IsCurrent() const;

  protected:
    bool OnInitDialog() override;
    // Enter and Esc belong to the wizard: a page never closes itself.
    void OnOK() override {}
    void OnCancel() override {}

  private:
    int heading_;
};

}  // namespace ui
