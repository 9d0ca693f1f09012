#include "ui/wizard/run_setup.h"

#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"
#include "ui/wizard/setup_wizard.h"

namespace ui {

namespace {

void TellNotStored(uint32_t error) {
    const std::string text =
        fw::FormatText(fw::LoadText(IDS_SETTINGS_NOT_STORED), {fw::SystemErrorText(error)});
    MessageBoxW(nullptr, fw::Wide(text).c_str(), fw::Wide(fw::LoadText(IDS_TITLE)).c_str(),
                MB_OK | MB_ICONERROR);
}

}  // namespace

SetupOutcome RunSetup(ShellServices& shell, const std::function<bool()>& showSplash) {
    engine::PromptGuard guard(shell.shared());
    if (!guard.held()) {
        return SetupOutcome::NotRun;
    }
    if (showSplash && !showSplash()) {
        return SetupOutcome::NotRun;
    }
    const SetupJournal journal(shell.machine().registry, shell.productKey());
    SetupChoices choices;
    {
        CKRVSetupWizard wizard(shell, journal);
        if (wizard.DoModal() != IDOK) {
            // Cancel has cleaned up; a wizard that could not even be shown cleans up here.
            static_cast<void>(journal.Cancel());
            return SetupOutcome::Cancelled;
        }
        choices = wizard.choices();
    }
    const settings::CKRVSettingsStore store(shell.machine().registry, shell.productKey());
    if (const uint32_t error = StoreSetupChoices(store, choices)) {
        TellNotStored(error);
        return SetupOutcome::NotStored;
    }
    return SetupOutcome::Finished;
}

}  // namespace ui
