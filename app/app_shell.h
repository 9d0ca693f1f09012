#pragma once
// What the hidden main window asks of the application around it: the engine, the settings, the
// tray icon and the windows that the main window's commands open. The application object answers
// it; the main window's tests give their own.

#include <string_view>

#include "engine/shared_state.h"
#include "framework/windows_api.h"
#include "settings/settings_store.h"

namespace app {

class CKRVSystemTray;

class AppShell {
  public:
    virtual ~AppShell() = default;

    virtual engine::SharedState& shared() = 0;
    virtual const settings::CKRVSettingsStore& store() = 0;

    // Engine start failure is ignored: the program stays in the tray without a worker.
    virtual void StartEngine() = 0;
    // Blocks for up to about two seconds.
    virtual void StopEngine() = 0;
    virtual void WakeEngine() = 0;
    // A complete copy (command 40011): a zero last-sync time is stored and the engine woken,
    // through the engine, so that a pass running now does not store its own time over it.
    virtual void RequestCompleteCopy() = 0;
    // True while the engine's worker runs (not paused, switched off or ended).
    virtual bool IsEngineRunning() = 0;
    // The session is ending and the system ends the process without running its destructors:
    // the retry list is written to its file now.
    virtual void SaveRetryListNow() = 0;

    // The settings sheet and the setup wizard; each runs modally and returns when it is closed.
    virtual void OpenSettingsSheet() = 0;
    // True when the user finished the wizard and its settings are stored (the setup-done dialog
    // then follows the next pass).
    virtual bool RunSetupWizard() = 0;
    // The About window, modal, with owner disabled while it shows.
    virtual void ShowAbout(HWND owner) = 0;
    // Opens a page of the help that lies beside the program ("home.html").
    virtual void OpenHelpPage(std::wstring_view page) = 0;

    virtual void AddTrayIcon() = 0;
    virtual void RemoveTrayIcon() = 0;
    // The tray icon, or null when there is none.
    virtual CKRVSystemTray* tray() = 0;
};

}  // namespace app
