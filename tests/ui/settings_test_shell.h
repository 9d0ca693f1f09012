#pragma once
// What the settings window's tests give it of the program around it: a simulated machine with
// the maker's drives F: and G:, a settings key of the tests' own, and a record of what the window
// asked of the engine, the tray icon and the help.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "drivekit/sim/sim_drive_backend.h"
#include "os/sim/sim_machine.h"
#include "settings/settings_store.h"
#include "ui/common/shell_services.h"

namespace test {

class SettingsShell final : public ui::ShellServices {
  public:
    SettingsShell();

    os::Machine& machine() override { return sim.machine(); }
    engine::SharedState& shared() override { return sharedState; }
    engine::SharedDrives& drives() override { return *sharedDrives; }
    std::string productKey() override { return kProductKey; }
    void RequestFullCopy() override { ++fullCopies; }
    uint32_t RunPassForFolders(const std::vector<std::string>& folders,
                               bool showProgress) override {
        folderPasses.push_back(folders);
        folderPassProgress = showProgress;
        guardHeldDuringPass = sharedState.promptActive;
        return folderPassResult;
    }
    void SetTrayIconShown(bool shown) override { trayChanges.push_back(shown); }
    void OpenHelpPage(std::wstring_view page) override { helpPages.emplace_back(page); }

    // Every value the setup wizard stores, with the disk BACKUP1 in F: as the backup disk.
    void Configure();
    std::shared_ptr<drvKit::sim::SimDisk> NewDisk(int number, uint64_t capacity = 1ULL << 30);

    static constexpr char kProductKey[] = "Software\\Corvant Ferrolin 2 Settings Tests";
    static constexpr os::FileTime kSynced = 133485408000000000ULL;

    os::sim::SimMachine sim;
    drvKit::sim::SimDriveKit drivesKit{sim.files()};
    std::unique_ptr<engine::SharedDrives> sharedDrives;
    settings::CKRVSettingsStore store{sim.machine().registry, kProductKey};
    engine::SharedState sharedState;

    int fullCopies = 0;
    std::vector<std::vector<std::string>> folderPasses;
    bool folderPassProgress = false;
    bool guardHeldDuringPass = false;
    uint32_t folderPassResult = 0;
    std::vector<bool> trayChanges;
    std::vector<std::wstring> helpPages;
};

// The page of a settings dialog's sheet (0 General, 1 Advanced, 2 Scheduling).
HWND SheetPage(HWND settingsDialog, int index);
bool Checked(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
bool Visible(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);

}  // namespace test
