#pragma once
// A dialog of the program that hosts child pages at a hidden placeholder and shows one at a
// time. The pages belong to the derived dialog; the host only points at them.

#include <vector>

#include "ui/common/base_dialog.h"
#include "ui/common/etched_line.h"
#include "ui/wizard/wizard_page.h"

namespace ui {

class CKRVPageHostDlg : public CKRVBaseDlg {
  public:
    using CKRVBaseDlg::CKRVBaseDlg;

    // Remembers the placeholder's id and hides it.
    void SetPlaceholder(int id);
    // Creates the page over the placeholder, hidden, and appends it; the first page added shows.
    // False when the page could not be created (it is then left out).
    bool AddPage(CKRVWizardPage& page);
    // Shows the page at index and hides the one before; nothing when it is already current.
    void SetActivePage(int index);
    int GetActiveIndex() const { return current_; }
    CKRVWizardPage* GetActivePage() const;
    int PageCount() const { return static_cast<int>(pages_.size()); }
    CKRVWizardPage* Page(int index) const;

  protected:
    bool OnInitDialog() override;
    // The etched separator line the host dialogs carry (0 for none).
    virtual int SeparatorId() const { return 0; }

  private:
    std::vector<CKRVWizardPage*> pages_;
    int current_ = -1;
    int placeholder_ = 0;
    CKRVEtchedLine separator_;
};

}  // namespace ui
