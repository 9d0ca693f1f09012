#pragma once
// The wizard's revisions page (dialog 131): keep no revisions, unlimited revisions, or a number
// of them from 1 to 99 (5 at the start), typed or stepped with the arrows.

#include <cstdint>

#include "ui/wizard/setup_model.h"
#include "ui/wizard/wizard_page.h"

namespace ui {

class CKRVRevisionsPage : public CKRVWizardPage {
  public:
    CKRVRevisionsPage();

    // The choice and the count as the controls show them now.
    RevisionsChoice Choice();
    uint32_t Count();
    // Corrects the count into 1..99 and shows it.
    void LimitCount();

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    void Exchange(fw::DataExchange& exchange) override;

  private:
    void EnableCount(bool enable) const;
    void CountEdited();
    void Stepped(int delta);
    // Shows the count in the edit when it shows something else (the caret goes to its end).
    void ShowCount();

    int choice_ = 2;  // radio buttons in template order: none, unlimited, limited
    uint32_t count_ = 5;
    bool showing_ = false;  // the page itself is changing the edit's text
};

}  // namespace ui
