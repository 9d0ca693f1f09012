#pragma once
// The application object: it owns the machine's ports, the engine, the process-wide drive list
// and its mutex, the hidden main window and the tray icon, and decides at start-up whether this
// process becomes the running instance.

#include <atomic>
#include <memory>
#include <string_view>

#include "app/app_shell.h"
#include "app/main_window.h"
#include "app/main_window_link.h"
#include "app/splash_window.h"
#include "app/system_tray.h"
#include "engine/mirror_engine.h"
#include "engine/shared_drives.h"
#include "os/win32/win32_machine.h"
#include "ui/common/shell_services.h"
#include "ui/prompts/prompt_views.h"
#include "ui/wizard/setup_done.h"

namespace app {

// Installs the drive library's backend over this PC's volumes for the object's lifetime.
class DriveBackendInstallation {
  public:
    explicit DriveBackendInstallation(os::FileSystem& files);
    ~DriveBackendInstallation();
    DriveBackendInstallation(const DriveBackendInstallation&) = delete;
    DriveBackendInstallation& operator=(const DriveBackendInstallation&) = delete;
};

class CKRVMirrorApp final : public AppShell, public ui::ShellServices {
  public:
    CKRVMirrorApp();
    ~CKRVMirrorApp() override;
    CKRVMirrorApp(const CKRVMirrorApp&) = delete;
    CKRVMirrorApp& operator=(const CKRVMirrorApp&) = delete;

    // The start-up sequence; true when this process is the running instance and its message
    // loop is to run, false when it ends at once (another instance runs, or the mutex could not
    // be made).
    bool InitInstance(std::wstring_view commandLine);
    // The message loop of the user-interface thread; its quit code.
    int Run();

    // Rebuilds the drive list with the volume name of each drive's disk, under its mutex.
    void RefreshDriveNames();
    CKRVMainWnd* mainWindow() { return mainWindow_.get(); }

    // AppShell.
    engine::SharedState& shared() override { return shared_; }
    const settings::CKRVSettingsStore& store() override { return store_; }
    void StartEngine() override;
    void StopEngine() override;
    void WakeEngine() override;
    void RequestCompleteCopy() override;
    bool IsEngineRunning() override { return engine_.IsWorkerRunning(); }
    void SaveRetryListNow() override;
    void OpenSettingsSheet() override;
    bool RunSetupWizard() override;
    void ShowAbout(HWND owner) override;
    void OpenHelpPage(std::wstring_view page) override;
    void AddTrayIcon() override;
    void RemoveTrayIcon() override;
    CKRVSystemTray* tray() override { return tray_.get(); }

    // ShellServices: what the settings window and the setup wizard are given.
    os::Machine& machine() override { return machine_.machine(); }
    engine::SharedDrives& drives() override { return drives_; }
    std::string productKey() override { return settings::kProductKey; }
    void RequestFullCopy() override { engine_.RequestFullCopy(); }
    uint32_t RunPassForFolders(const std::vector<std::string>& folders, bool showProgress) override;
    void SetTrayIconShown(bool shown) override;
    std::string DocumentsFolder() override;

  private:
    SplashContext splashContext() { return {drives_, splashAllowed_}; }

    // In the order they are built; the engine comes before the windows that drive it and goes
    // after them.
    os::win32::Win32Machine machine_;
    DriveBackendInstallation backend_;
    engine::SharedState shared_;
    engine::SharedDrives drives_;
    MainWindowPoster windowLink_;
    ui::DialogPromptView prompts_;
    ui::DialogProgressView progressView_;
    ui::SetupDoneView setupDone_;
    engine::CKRVMirrorEngine engine_;
    settings::CKRVSettingsStore store_;
    std::atomic<bool> splashAllowed_{true};
    IconHandle trayIcon_;
    std::unique_ptr<CKRVMainWnd> mainWindow_;
    std::unique_ptr<CKRVSystemTray> tray_;
};

}  // namespace app
