#include "app/mirror_app.h"

#include "app/command_line.h"
#include "app/help_pages.h"
#include "app/messages.h"
#include "drivekit/win32/win32_drive_backend.h"
#include "engine/retry_log.h"
#include "framework/application.h"
#include "framework/text.h"
#include "os/win32/unique_handle.h"
#include "res/resource.h"
#include "ui/settings/settings_dialog.h"
#include "ui/wizard/run_setup.h"

#include <knownfolders.h>
#include <shlobj.h>

namespace app {

namespace {

// A second instance that starts while the first is still starting waits this long for it to
// have its main window, so that two quick starts never make two running instances. The first
// may be showing the setup wizard meanwhile; after the wait the search is made anyway.
constexpr DWORD kStartupMutexWaitMs = 10000;

}  // namespace

DriveBackendInstallation::DriveBackendInstallation(os::FileSystem& files) {
    drvKit::InstallBackend(std::make_unique<drvKit::win32::Win32DriveBackend>(files));
}

DriveBackendInstallation::~DriveBackendInstallation() {
    drvKit::InstallBackend(nullptr);
}

CKRVMirrorApp::CKRVMirrorApp()
    : backend_(machine_.machine().files),
      setupDone_(machine_.machine().system.ProgramPath(), shared_),
      engine_(engine::EngineServices{.machine = machine_.machine(),
                                     .shared = shared_,
                                     .drives = drives_,
                                     .mainWindow = windowLink_,
                                     .prompts = prompts_,
                                     .progressView = progressView_,
                                     .wizardFinish = &setupDone_,
                                     .productKey = settings::kProductKey,
                                     .retryLogPath = {}}),
      store_(machine_.machine().registry) {}

CKRVMirrorApp::~CKRVMirrorApp() {
    // The icon goes before the window it reports to; the window's end stops the engine.
    tray_.reset();
    mainWindow_.reset();
}

bool CKRVMirrorApp::InitInstance(std::wstring_view commandLine) {
    fw::Application::Initialise();
    const StartWord word = StartWordOf(commandLine);
    shared_.promptActive = false;

    os::win32::KernelHandle mutex(CreateMutexW(nullptr, TRUE, kStartupMutexName));
    if (!mutex) {
        return false;
    }
    bool owned = GetLastError() != ERROR_ALREADY_EXISTS;
    if (!owned) {
        // Another instance holds it while it starts: wait until its window exists.
        const DWORD waited = WaitForSingleObject(mutex.Get(), kStartupMutexWaitMs);
        owned = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    const auto releaseMutex = [&] {
        if (owned) {
            ReleaseMutex(mutex.Get());
        }
    };

    if (const HWND running = FindWindowW(kMainWindowClass, nullptr)) {
        PostMessageW(running, WMU_OPEN, 0, 0);
        releaseMutex();
        return false;
    }

    mainWindow_ = std::make_unique<CKRVMainWnd>(*this);
    if (!mainWindow_->CreateHidden()) {
        mainWindow_.reset();
        releaseMutex();
        return false;
    }

    uint32_t mirror = 0;
    // Missing or unreadable: the program counts as switched off.
    static_cast<void>(store_.ReadMirrorStatus(mirror));
    switch (DecideStartAction(store_.IsConfigured(), word, mirror)) {
        case StartAction::RunSetupWizard:
            if (RunSetupWizard()) {
                shared_.wizardRan = true;
            }
            break;
        case StartAction::OpenSettings:
            OpenSettingsSheet();
            break;
        case StartAction::Nothing:
            break;
    }

    mirror = 0;
    static_cast<void>(store_.ReadMirrorStatus(mirror));  // as above: 0 is switched off
    if (store_.IsConfigured() && mirror != 0) {
        uint32_t icon = 0;
        static_cast<void>(store_.ReadIconStatus(icon));  // missing: no tray icon
        if (icon == 1) {
            AddTrayIcon();
        }
        StartEngine();
    } else {
        // Not configured, or left switched off: the window's end stops everything and quits.
        PostMessageW(mainWindow_->hwnd(), WM_DESTROY, 0, 0);
    }
    releaseMutex();
    return true;
}

int CKRVMirrorApp::Run() {
    return fw::Application::Run();
}

void CKRVMirrorApp::RefreshDriveNames() {
    std::lock_guard lock(drives_.mutex);
    drives_.RebuildLocked();
}

void CKRVMirrorApp::StartEngine() {
    engine_.Start();  // a failure leaves the program in the tray without a worker
}

void CKRVMirrorApp::StopEngine() {
    engine_.Stop();
}

void CKRVMirrorApp::WakeEngine() {
    engine_.Wake();
}

void CKRVMirrorApp::RequestCompleteCopy() {
    engine_.RequestCompleteCopy();
}

// Windows ends the process soon after the session-end message, without the engine's destruction
// that would save the list: files still to be copied would be forgotten. A worker that did not
// stop in time (it is inside a prompt) still owns the list, and then it is left alone.
void CKRVMirrorApp::SaveRetryListNow() {
    if (engine_.IsWorkerRunning()) {
        return;
    }
    os::Machine& machine = machine_.machine();
    engine::SaveRetryLog(machine.files, engine::RetryLogPath(machine.system), engine_.retryList());
}

// The settings sheet, after the splash; what it changed reaches the engine when the caller starts
// it again.
void CKRVMirrorApp::OpenSettingsSheet() {
    ui::RunSettings(*this, [this] {
        ShowSplash(splashContext(), SplashKind::BeforeSettings, SplashBaseName(store_));
    });
}

// Once dialog 209 has said that no drive of the maker is connected, the wizard does not run
// again in this process.
bool CKRVMirrorApp::RunSetupWizard() {
    if (!splashAllowed_) {
        return false;
    }
    const ui::SetupOutcome outcome = ui::RunSetup(*this, [this] {
        return ShowSplash(splashContext(), SplashKind::BeforeWizard, SplashBaseName(store_));
    });
    return outcome == ui::SetupOutcome::Finished;
}

std::string CKRVMirrorApp::DocumentsFolder() {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)) && path != nullptr) {
        folder = fw::Utf8(path);
    }
    CoTaskMemFree(path);
    return folder;
}

void CKRVMirrorApp::ShowAbout(HWND owner) {
    if (!splashAllowed_) {
        return;
    }
    CKRVSplashWnd about(splashContext(), SplashKind::About);
    if (!about.CreateSplash(owner)) {
        return;
    }
    about.Prepare(SplashBaseName(store_));
    about.RunModal(owner);
}

void CKRVMirrorApp::OpenHelpPage(std::wstring_view page) {
    app::OpenHelpPage(page);
}

uint32_t CKRVMirrorApp::RunPassForFolders(const std::vector<std::string>& folders,
                                          bool showProgress) {
    return engine_.RunPassForFolders(folders, showProgress);
}

// Posted, not called: the window that asks is a modal one, and the icon changes once it is gone.
void CKRVMirrorApp::SetTrayIconShown(bool shown) {
    if (mainWindow_ != nullptr) {
        PostMessageW(mainWindow_->hwnd(), shown ? WMU_ADD_TRAY_ICON : WMU_REMOVE_TRAY_ICON, 0, 0);
    }
}

void CKRVMirrorApp::AddTrayIcon() {
    if (tray_ != nullptr || mainWindow_ == nullptr) {
        return;
    }
    if (!trayIcon_) {
        const int size = GetSystemMetrics(SM_CXSMICON);
        trayIcon_.Reset(static_cast<HICON>(LoadImageW(fw::Application::ResourceInstance(),
                                                      MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON, size,
                                                      size, LR_DEFAULTCOLOR)));
    }
    tray_ = std::make_unique<CKRVSystemTray>(shared_);
    tray_->SetDefaultMenuItem(kCommandOpen, false);
    tray_->LoadAnimationIcons(IDI_TRAY_FRAME_1, IDI_TRAY_FRAME_5);
    // Kept when the shell refuses the icon now (at log-on the taskbar may not be there yet): it
    // is added when the taskbar appears.
    tray_->Create(mainWindow_->hwnd(), WMU_TRAY_NOTIFY, fw::LoadText(IDS_TRAY_TIP), trayIcon_.Get(),
                  kTrayIconId);
}

void CKRVMirrorApp::RemoveTrayIcon() {
    tray_.reset();
}

}  // namespace app
