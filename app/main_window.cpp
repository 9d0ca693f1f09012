#include "app/main_window.h"

#include "app/messages.h"
#include "app/system_tray.h"
#include "framework/application.h"
#include "framework/text.h"
#include "res/resource.h"
#include "settings/scheduler.h"
#include "ui/prompts/message_dialogs.h"

namespace app {

namespace {

// WS_POPUP | WS_CHILD without a parent: a top-level window that is never shown.
constexpr DWORD kMainWindowStyle = 0xC0000000;

}  // namespace

bool CKRVMainWnd::CreateHidden() {
    if (!RegisterClass(kMainWindowClass, 0, nullptr, nullptr)) {
        return false;
    }
    if (!Create(kMainWindowClass, fw::LoadText(IDS_TITLE), kMainWindowStyle, 0, RECT{0, 0, 0, 0},
                nullptr, nullptr)) {
        return false;
    }
    // The class carries the program's icon; it is registered by the framework, which knows no
    // icons, so the icon is set on the class once its first window exists.
    if (GetClassLongPtrW(hwnd(), GCLP_HICON) == 0) {
        const HICON icon =
            LoadIconW(fw::Application::ResourceInstance(), MAKEINTRESOURCEW(IDI_APPLICATION_ICON));
        SetClassLongPtrW(hwnd(), GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    }
    ShowWindow(hwnd(), SW_HIDE);
    UpdateWindow(hwnd());
    return true;
}

void CKRVMainWnd::StartEngineOrEnd() {
    uint32_t mirror = 0;
    // Missing or unreadable: the program counts as switched off.
    static_cast<void>(shell_.store().ReadMirrorStatus(mirror));
    if (mirror != 0) {
        shell_.StartEngine();
    } else {
        PostMessageW(hwnd(), WM_DESTROY, 0, 0);  // the program ends
    }
}

// Open: the settings sheet when the program is configured, else the setup wizard; the engine is
// stopped meanwhile, so that the settings reach it through its restart. While the engine is
// paused only the restart happens.
bool CKRVMainWnd::Open() {
    engine::SharedState& shared = shell_.shared();
    if (shared.promptActive) {
        return false;
    }
    shell_.StopEngine();
    if (!shared.enginePaused) {
        if (shell_.store().IsConfigured()) {
            shell_.OpenSettingsSheet();
        } else {
            if (shell_.RunSetupWizard()) {
                shared.wizardRan = true;
            }
        }
    }
    StartEngineOrEnd();
    return true;
}

// Close: with the program switched on, the turn-off notice (dialog 135) asks first.
void CKRVMainWnd::Close() {
    engine::PromptGuard guard(shell_.shared());
    if (!guard.held()) {
        return;
    }
    uint32_t mirror = 0;
    // Missing or unreadable: the program counts as switched off.
    static_cast<void>(shell_.store().ReadMirrorStatus(mirror));
    if (mirror != 0 && ui::RunMessageDialog(IDD_TURN_OFF) != IDOK) {
        return;
    }
    shell_.StopEngine();
    DestroyWindow(hwnd());  // WM_DESTROY posts the quit message
}

void CKRVMainWnd::CopyChangedFiles() {
    shell_.WakeEngine();
}

// A zero last-sync time makes the next pass copy every file of the source folders.
void CKRVMainWnd::CopyAllFiles() {
    shell_.RequestCompleteCopy();
}

void CKRVMainWnd::About() {
    engine::PromptGuard guard(shell_.shared());
    if (!guard.held()) {
        return;
    }
    shell_.ShowAbout(hwnd());
}

void CKRVMainWnd::Help() {
    if (shell_.shared().promptActive) {
        return;
    }
    shell_.OpenHelpPage(L"home.html");
}

void CKRVMainWnd::Pause() {
    shell_.StopEngine();
    shell_.shared().enginePaused = true;
}

// Resume ends the pause even when another window holds the guard and Open does nothing: the
// engine, stopped by the pause, is started again then too.
void CKRVMainWnd::Resume() {
    const bool opened = Open();
    shell_.shared().enginePaused = false;
    if (!opened) {
        StartEngineOrEnd();
    }
}

// Only a running worker can make the copy that holding the session end is for: paused,
// switched off or with its worker ended, the program lets Windows end at once.
bool CKRVMainWnd::QueryEndSession() {
    if (!shell_.IsEngineRunning()) {
        return true;
    }
    return settings::AllowSessionEnd(shell_.store(), shell_.shared().shutdownCopyPending,
                                     [this] { shell_.WakeEngine(); });
}

bool CKRVMainWnd::OnCommand(int command) {
    switch (command) {
        case kCommandOpen:
            Open();
            return true;
        case kCommandClose:
            Close();
            return true;
        case kCommandCopyChanged:
            CopyChangedFiles();
            return true;
        case kCommandCopyAll:
            CopyAllFiles();
            return true;
        case kCommandAbout:
            About();
            return true;
        case kCommandHelp:
            Help();
            return true;
        case kCommandPause:
            Pause();
            return true;
        case kCommandResume:
            Resume();
            return true;
        default:
            return false;
    }
}

LRESULT CKRVMainWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam))) {
                return 0;
            }
            break;
        case WMU_OPEN:
            Open();
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
        case WM_DESTROY:
            shell_.StopEngine();
            PostQuitMessage(0);
            return 0;
        case WM_QUERYENDSESSION:
            return QueryEndSession() ? TRUE : FALSE;
        case WM_ENDSESSION:
            if (wParam) {
                shell_.StopEngine();
                shell_.SaveRetryListNow();
            }
            return 0;
        case WMU_ADD_TRAY_ICON:
            shell_.AddTrayIcon();
            return 0;
        case WMU_REMOVE_TRAY_ICON:
            shell_.RemoveTrayIcon();
            return 0;
        case WMU_ANIMATE_START:
            if (CKRVSystemTray* tray = shell_.tray()) {
                tray->StartAnimation(kTrayFrameMs, 0);
            }
            return 0;
        case WMU_ANIMATE_STOP:
            if (CKRVSystemTray* tray = shell_.tray()) {
                tray->StopAnimation();
            }
            return 0;
        case WMU_TRAY_NOTIFY:
            if (CKRVSystemTray* tray = shell_.tray()) {
                return tray->OnTrayNotification(wParam, lParam);
            }
            return 0;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace app
