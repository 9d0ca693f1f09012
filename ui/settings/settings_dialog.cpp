#include "ui/settings/settings_dialog.h"

#include "framework/controls.h"
#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"
#include "ui/prompts/message_dialogs.h"
#include "ui/settings/settings_notice.h"
#include "ui/settings/source_folders.h"

namespace ui {

namespace {

// The sheet's pages, in their order.
constexpr int kGeneralPage = 0;
constexpr int kSchedulingPage = 2;
constexpr UINT kPageHelp[] = {IDS_HELP_GENERAL, IDS_HELP_ADVANCED, IDS_HELP_SCHEDULING};

uint32_t MinuteOfDay(os::Clock& clock) {
    const os::SystemTime now = clock.LocalTime();
    return static_cast<uint32_t>(now.hour) * 60 + now.minute;
}

}  // namespace

CKRVSettingsDlg::CKRVSettingsDlg(ShellServices& shell, const SettingsAtOpen& atOpen, HWND parent)
    : CKRVBaseDlg(IDD_SETTINGS, parent),
      shell_(shell),
      atOpen_(atOpen),
      general_(shell),
      advanced_(shell),
      scheduling_(shell) {}

bool CKRVSettingsDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();

    const SheetValues& values = atOpen_.values;
    general_.SetValues(values.switchedOn, values.sources, values.destination);
    advanced_.icon = values.trayIcon ? 1 : 0;
    advanced_.revisionsChoice = static_cast<int>(values.revisions);
    advanced_.count = values.revisionsCount;
    advanced_.warnings = values.warnings ? 1 : 0;
    advanced_.diskFullWarning = values.diskFullWarning ? 1 : 0;
    advanced_.showProgress = values.showProgress ? 1 : 0;
    scheduling_.SetValues(values.schedule);

    sheet_.AddPage(general_);
    sheet_.AddPage(advanced_);
    sheet_.AddPage(scheduling_);
    const RECT place = fw::Control(hwnd(), IDC_SETTINGS_SHEET).RectInParent();
    if (!sheet_.CreateChild(hwnd(), "Settings", place)) {
        EndDialog(IDCANCEL);
        return false;
    }
    // Every page is made now, so that OK can read all three; General is the one shown.
    sheet_.SetActivePage(kSchedulingPage);
    sheet_.SetActivePage(1);
    sheet_.SetActivePage(kGeneralPage);
    return true;
}

bool CKRVSettingsDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_SETTINGS_HELP && code == BN_CLICKED) {
        const int page = sheet_.ActiveIndex();
        if (page >= 0 && page < static_cast<int>(std::size(kPageHelp))) {
            shell_.OpenHelpPage(fw::Wide(fw::LoadText(kPageHelp[page])));
        }
        return true;
    }
    return CKRVBaseDlg::OnCommand(id, code, control);
}

SheetValues CKRVSettingsDlg::ReadPages() {
    general_.UpdateData(true);
    advanced_.UpdateData(true);
    SheetValues values = atOpen_.values;
    values.switchedOn = general_.switchedOn();
    values.sources = general_.Sources();
    values.destination = general_.SelectedDestination();
    values.trayIcon = advanced_.icon != 0;
    values.revisions =
        static_cast<RevisionsChoice>(advanced_.revisionsChoice < 0 ? 0 : advanced_.revisionsChoice);
    values.revisionsCount = advanced_.count;
    values.warnings = advanced_.warnings != 0;
    values.diskFullWarning = advanced_.diskFullWarning != 0;
    values.showProgress = advanced_.showProgress != 0;
    values.schedule = scheduling_.Values();
    // At most one is checked; a complete copy includes the changed files.
    values.copyChanged = scheduling_.copyChangedChecked();
    values.recopyAll = !values.copyChanged && scheduling_.recopyChecked();
    return values;
}

bool CKRVSettingsDlg::CheckSchedule() {
    if (!scheduling_.DaysScheduleWithoutDay()) {
        return true;
    }
    sheet_.SetActivePage(kSchedulingPage);
    ShowSettingsNotice(fw::LoadText(IDS_NO_DAY_CHOSEN), hwnd());
    return false;
}

// Every folder of the list must be there: a missing one is offered for creation (113), and one
// that cannot be made keeps the sheet open (167) with that folder selected.
bool CKRVSettingsDlg::CheckSources(const std::vector<std::string>& sources) {
    os::FileSystem& files = shell_.machine().files;
    const std::vector<std::string> missing = MissingFolders(files, CleanSourceList(sources));
    if (missing.empty()) {
        return true;
    }
    if (RunMessageDialog(IDD_CREATE_SOURCE, hwnd()) != IDOK) {
        return false;
    }
    for (const std::string& folder : missing) {
        if (CreateFolderWithParents(files, folder) != os::kErrorSuccess) {
            sheet_.SetActivePage(kGeneralPage);
            general_.SelectSource(folder);
            RunMessageDialog(IDD_INVALID_PATH, hwnd());
            return false;
        }
    }
    return true;
}

void CKRVSettingsDlg::ShowSaveFailure(uint32_t error) {
    ShowSettingsNotice(
        fw::FormatText(fw::LoadText(IDS_SETTINGS_NOT_SAVED), {fw::SystemErrorText(error)}), hwnd());
}

void CKRVSettingsDlg::OnOK() {
    SheetValues chosen = ReadPages();
    if (chosen.switchedOn) {
        if (!CheckSchedule() || !CheckSources(chosen.sources)) {
            return;
        }
    } else if (RunMessageDialog(IDD_TURN_OFF, hwnd()) != IDOK) {
        // Not turned off after all: the sheet stays, with every choice still on it.
        return;
    }
    const settings::CKRVSettingsStore store(shell_.machine().registry, shell_.productKey());
    SaveOutcome outcome = SaveSheetValues(chosen, atOpen_, store);
    if (outcome.error != os::kErrorSuccess) {
        ShowSaveFailure(outcome.error);
        return;
    }
    chosen_ = std::move(chosen);
    outcome_ = std::move(outcome);
    EndDialog(IDOK);
}

SettingsResult RunSettings(ShellServices& shell, const std::function<void()>& showSplash) {
    SheetValues chosen;
    SaveOutcome outcome;
    {
        engine::PromptGuard guard(shell.shared());
        if (!guard.held()) {
            return SettingsResult::Refused;
        }
        const settings::CKRVSettingsStore store(shell.machine().registry, shell.productKey());
        const SettingsAtOpen atOpen = LoadSettingsAtOpen(store, MinuteOfDay(shell.machine().clock));
        if (showSplash) {
            showSplash();
        }
        CKRVSettingsDlg dialog(shell, atOpen);
        if (dialog.DoModal() != IDOK) {
            return SettingsResult::Cancelled;
        }
        chosen = dialog.chosen();
        outcome = dialog.outcome();
        if (outcome.iconChanged) {
            shell.SetTrayIconShown(outcome.iconShown);
        }
    }
    // The guard is free again: the copies below may raise the engine's prompts.
    if (outcome.switchedOff) {
        return SettingsResult::Confirmed;
    }
    const settings::CKRVSettingsStore store(shell.machine().registry, shell.productKey());
    if (chosen.recopyAll) {
        // A failed write leaves the last-sync time; the requested pass still runs.
        (void)store.WriteStartTime(0);
    }
    const bool completeCopy = chosen.recopyAll || outcome.newBackupDisk;
    if (completeCopy || chosen.copyChanged) {
        shell.RequestFullCopy();
    }
    // A user who adds a folder expects all its files on the disk, not only those changed after
    // the last copy: the added folders are copied whole now, before the engine starts again.
    // When that copy does not complete (no disk, cancelled, a failure), the files older than
    // the last-sync time would never be copied: the engine then starts with a complete copy.
    if (!completeCopy && !outcome.addedFolders.empty() &&
        shell.RunPassForFolders(outcome.addedFolders, chosen.showProgress) != os::kErrorSuccess) {
        // A failed write cannot be helped here; the requested pass still runs.
        (void)store.WriteStartTime(0);
        shell.RequestFullCopy();
    }
    return SettingsResult::Confirmed;
}

}  // namespace ui
