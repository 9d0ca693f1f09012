#pragma once
// The setup-done dialog (207), shown after the first pass that followed the setup wizard: the
// initial copy is complete; visit the maker's web site, read the user's manual, open the
// settings, or simply finish.

#include <string>

#include "engine/mirror_engine.h"
#include "engine/shared_state.h"
#include "ui/wizard/page_host.h"

namespace ui {

class CKRVSetupDoneDlg : public CKRVPageHostDlg {
  public:
    enum Choice { kWebSite = 0, kManual = 1, kSettings = 2, kExit = 3 };

    // manualPath: the user's manual ("index.html" beside the program), as a full path.
    explicit CKRVSetupDoneDlg(std::string manualPath);

    // The last choice the user made, whichever way the dialog was closed.
    int choice() const { return choice_; }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;
    int SeparatorId() const override;
    // Opens a web address or a file with the shell (a test replaces it).
    virtual void Open(const std::string& target);

  private:
    std::string manualPath_;
    int choice_ = kExit;
};

// The engine's view of the setup-done dialog: runs it modally, without an owner, on the thread
// of the pass. While it shows it holds the prompt guard, so that the tray does not open the
// settings (which would wait for the pass to end) behind it.
class SetupDoneView : public engine::WizardFinishView {
  public:
    // programPath: the running program's full path; the manual lies beside it.
    SetupDoneView(std::string programPath, engine::SharedState& shared)
        : programPath_(std::move(programPath)), shared_(shared) {}
    // True when the user chose to open the settings.
    bool ShowFinishPage() override;

  private:
    std::string programPath_;
    engine::SharedState& shared_;
};

// The file beside the program: its folder, a backslash and the name.
std::string FileBesideProgram(const std::string& programPath, const std::string& name);

}  // namespace ui
