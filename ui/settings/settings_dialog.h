#pragma once
// The settings window: dialog 101 hosting the property sheet with the General, Advanced and
// Scheduling pages, and RunSettings, the flow that shows it and applies what needs more than a
// stored value (the tray icon, a copy for the engine).

#include <functional>

#include "framework/property_sheet.h"
#include "ui/common/base_dialog.h"
#include "ui/common/shell_services.h"
#include "ui/settings/advanced_page.h"
#include "ui/settings/general_page.h"
#include "ui/settings/scheduler_page.h"
#include "ui/settings/sheet_values.h"

namespace ui {

class CKRVMirrorSettingsSheet : public fw::PropertySheet {};

class CKRVSettingsDlg : public CKRVBaseDlg {
  public:
    // atOpen: the settings as stored now; the pages show them.
    CKRVSettingsDlg(ShellServices& shell, const SettingsAtOpen& atOpen, HWND parent = nullptr);

    CKRVMirrorSettingsSheet& sheet() { return sheet_; }
    CKRVMirrorGenPage& generalPage() { return general_; }
    CKRVMirrorAdvPage& advancedPage() { return advanced_; }
    CKRVSchedulerPage& schedulingPage() { return scheduling_; }

    // After OK: what was chosen and what storing it did.
    const SheetValues& chosen() const { return chosen_; }
    const SaveOutcome& outcome() const { return outcome_; }

    // The pages as the sheet shows them, read into the sheet's values.
    SheetValues ReadPages();

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;

  private:
    // False keeps the sheet open (the user is told why).
    bool CheckSchedule();
    bool CheckSources(const std::vector<std::string>& sources);
    void ShowSaveFailure(uint32_t error);

    ShellServices& shell_;
    const SettingsAtOpen& atOpen_;
    CKRVMirrorSettingsSheet sheet_;
    CKRVMirrorGenPage general_;
    CKRVMirrorAdvPage advanced_;
    CKRVSchedulerPage scheduling_;
    SheetValues chosen_;
    SaveOutcome outcome_;
};

enum class SettingsResult {
    Refused,    // another prompt, sheet or wizard is on screen: nothing shown
    Cancelled,  // the sheet was closed without OK
    Confirmed,
};

// Shows the settings sheet modally (after showSplash, when given) and applies the user's choice:
// the tray icon posted on or off, a pass or a complete copy requested of the engine, and a
// complete copy of the source folders that were added. The engine is stopped meanwhile; the
// caller starts it again, or ends the program when it was switched off.
SettingsResult RunSettings(ShellServices& shell, const std::function<void()>& showSplash = {});

}  // namespace ui
