#pragma once
// The setup wizard's tests: a program around the wizard over the simulated machine, with the
// maker's drives F: (disk BACKUP1), G: (disk BACKUP2) and H: (empty), and a wizard whose folder
// picker and messages the test answers.

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "drivekit/sim/sim_drive_backend.h"
#include "engine/shared_drives.h"
#include "engine/shared_state.h"
#include "os/sim/sim_machine.h"
#include "settings/settings_store.h"
#include "ui/common/shell_services.h"
#include "ui/wizard/setup_wizard.h"

namespace ui::testing {

inline constexpr char kTestKey[] = "Software\\Wizard Test";
inline constexpr uint64_t kMb = 1ULL << 20;

class FakeShell final : public ShellServices {
  public:
    os::sim::SimMachine sim;
    engine::SharedState state;
    engine::SharedDrives driveList;
    std::string documents = "C:\\Users\\User\\Documents";
    std::vector<std::wstring> helpPages;

    os::Machine& machine() override { return sim.machine(); }
    engine::SharedState& shared() override { return state; }
    engine::SharedDrives& drives() override { return driveList; }
    std::string productKey() override { return kTestKey; }
    void RequestFullCopy() override {}
    uint32_t RunPassForFolders(const std::vector<std::string>&, bool) override { return 0; }
    void SetTrayIconShown(bool) override {}
    void OpenHelpPage(std::wstring_view page) override { helpPages.emplace_back(page); }
    std::string DocumentsFolder() override { return documents; }
};

// A source page whose folder picker hands back what the test queued (Cancel when nothing is).
class ScriptedSourcePage final : public CKRVSourcePage {
  public:
    using CKRVSourcePage::CKRVSourcePage;
    std::deque<std::vector<std::string>> picks;
    std::vector<std::vector<std::string>> pickerShown;  // what the picker was opened with

  protected:
    std::optional<std::vector<std::string>> PickFolders(
        const std::vector<std::string>& current) override;
};

class TestWizard final : public CKRVSetupWizard {
  public:
    using CKRVSetupWizard::CKRVSetupWizard;
    std::vector<std::string> told;
    ScriptedSourcePage& scriptedSources() { return static_cast<ScriptedSourcePage&>(sourcePage()); }

  protected:
    void Tell(const std::string& text) override { told.push_back(text); }
    std::unique_ptr<CKRVSourcePage> MakeSourcePage(ShellServices& shell,
                                                   std::function<void()> foldersChanged) override;
};

class WizardTest : public ::testing::Test {
  protected:
    WizardTest();
    ~WizardTest() override;
    static void SetUpTestSuite();

    // The wizard, modeless and on screen.
    TestWizard& Open();
    HWND Window() const { return wizard_->hwnd(); }
    void Click(int id);
    void Next(int times = 1);
    // Selects the drive with this letter on the drive page as the user does.
    void ChooseDrive(char letter);
    // Waits until the source folders' size is known and shown.
    bool WaitForSize();
    std::string Text(int id) const;
    std::string PageText(CKRVWizardPage& page, int id) const;
    bool Visible(int id) const;
    bool Enabled(int id) const;
    std::string StoredDiskId();
    std::optional<std::string> StoredDestination();
    bool OptionsKeyExists();

    FakeShell shell;
    drvKit::sim::SimDriveKit kit{shell.sim.files()};
    settings::CKRVSettingsStore store{shell.sim.registry(), kTestKey};
    std::unique_ptr<SetupJournal> journal;
    std::unique_ptr<TestWizard> wizard_;
};

}  // namespace ui::testing
