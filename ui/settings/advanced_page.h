#pragma once
// The Advanced page (103) of the settings sheet: the tray icon, revisions with their count, the
// file exclusion dialog, and the notices. The host fills the data before the page is shown and
// reads them on OK; only the exclusion list is stored from here, at once.

#include "framework/property_sheet.h"
#include "ui/common/shell_services.h"
#include "ui/settings/number_field.h"
#include "ui/settings/sheet_values.h"

namespace ui {

class CKRVMirrorAdvPage : public fw::PropertyPage {
  public:
    explicit CKRVMirrorAdvPage(ShellServices& shell);

    // The page's data, as 0/1 and the revisions radio's index.
    int icon = 0;
    int revisionsChoice = -1;  // RevisionsChoice; -1 before the host sets it
    int count = kDefaultRevisionsCount;
    int warnings = 0;
    int diskFullWarning = 0;
    int showProgress = 0;

    // Runs the exclusion dialog and stores its list when it closes with OK.
    void EditExclusions();

  protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& exchange) override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;

  private:
    void EnableCount();

    ShellServices& shell_;
    BoundedNumberField countField_{kFewestRevisions, kMostRevisions};
};

}  // namespace ui
