// The shell's windows in this process: the main window's handlers over a scripted application,
// the tray icon in the real notification area (Wine's, on the build's virtual desktop), and the
// bitmap, splash and About window with their pictures.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/messages.h"
#include "app/splash_window.h"
#include "app/system_tray.h"
#include "drivekit/sim/sim_drive_backend.h"
#include "framework/application.h"
#include "os/sim/sim_machine.h"
#include "res/resource.h"
#include "tests/app/program_runner.h"

namespace app {
namespace {

// What the main window asks of the application, counted.
class ScriptedShell final : public AppShell {
  public:
    engine::SharedState& shared() override { return sharedState; }
    const settings::CKRVSettingsStore& store() override { return settingsStore; }
    void StartEngine() override { ++starts; }
    void StopEngine() override { ++stops; }
    void WakeEngine() override { ++wakes; }
    void RequestCompleteCopy() override {
        EXPECT_EQ(settingsStore.WriteStartTime(0), 0u);
        ++wakes;
    }
    bool IsEngineRunning() override { return engineRunning; }
    void SaveRetryListNow() override { ++retrySaves; }
    void OpenSettingsSheet() override {
        ++settingsOpened;
        if (whileOpen) {
            whileOpen();
        }
    }
    bool RunSetupWizard() override {
        ++wizardsRun;
        return wizardFinishes;
    }
    void ShowAbout(HWND owner) override {
        ++aboutsShown;
        aboutOwner = owner;
        promptActiveDuringAbout = sharedState.promptActive;
    }
    void OpenHelpPage(std::wstring_view page) override { helpPages.emplace_back(page); }
    void AddTrayIcon() override { ++trayAdds; }
    void RemoveTrayIcon() override { ++trayRemoves; }
    CKRVSystemTray* tray() override { return nullptr; }

    // Every value the setup wizard stores.
    void Configure(uint32_t mirror) {
        EXPECT_EQ(settingsStore.WriteDestination("F:\\"), 0u);
        EXPECT_EQ(settingsStore.WriteDiskId("1234-ABCD"), 0u);
        EXPECT_EQ(settingsStore.WriteSourceList({"C:\\Users\\Ana\\Documents"}), 0u);
        EXPECT_EQ(settingsStore.WriteStartTime(12345), 0u);
        EXPECT_EQ(settingsStore.WriteRevisions(0), 0u);
        EXPECT_EQ(settingsStore.WriteIconStatus(1), 0u);
        EXPECT_EQ(settingsStore.WriteMirrorStatus(mirror), 0u);
        EXPECT_EQ(settingsStore.WriteWarningStatus(1), 0u);
        EXPECT_EQ(settingsStore.WriteTooLargeStatus(1), 0u);
        EXPECT_EQ(settingsStore.WriteFileErrorStatus(1), 0u);
        EXPECT_EQ(settingsStore.WriteFileNameStatus(1), 0u);
        EXPECT_EQ(settingsStore.WriteNotCurrentStatus(1), 0u);
    }

    os::sim::SimMachine sim;
    settings::CKRVSettingsStore settingsStore{sim.machine().registry};
    engine::SharedState sharedState;
    std::function<void()> whileOpen;
    int starts = 0, stops = 0, wakes = 0, settingsOpened = 0, wizardsRun = 0, aboutsShown = 0;
    bool wizardFinishes = true;
    int trayAdds = 0, trayRemoves = 0, retrySaves = 0;
    bool engineRunning = true;
    HWND aboutOwner = nullptr;
    bool promptActiveDuringAbout = false;
    std::vector<std::wstring> helpPages;
};

// Handles what is waiting; true when the quit message came.
bool PumpSawQuit() {
    MSG message;
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return quit;
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fw::Application::Initialise();
        ASSERT_TRUE(window.CreateHidden());
    }
    void TearDown() override { PumpSawQuit(); }

    LRESULT Command(int command) { return window.Send(WM_COMMAND, command, 0); }

    ScriptedShell shell;
    CKRVMainWnd window{shell};
};

TEST_F(MainWindowTest, IsAHiddenWindowWithTheProgramsClassTitleAndIcon) {
    wchar_t className[64] = L"";
    GetClassNameW(window.hwnd(), className, 64);
    EXPECT_STREQ(className, kMainWindowClass);
    EXPECT_EQ(endtoend::WindowText(window.hwnd()), L"Corvant Ferrolin 2");
    EXPECT_FALSE(IsWindowVisible(window.hwnd()));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window.hwnd(), GWL_STYLE)) & 0xC0000000u,
              0xC0000000u);
    EXPECT_NE(GetClassLongPtrW(window.hwnd(), GCLP_HICON), 0);
}

TEST_F(MainWindowTest, SessionEndIsHeldOnceForACopyWhenTheScheduleAsks) {
    EXPECT_EQ(shell.settingsStore.WriteSchedulerValue(settings::names::kSchedulerType, 1), 0u);
    EXPECT_EQ(shell.settingsStore.WriteSchedulerValue(settings::names::kSchedulerAtShutdown, 0),
              0u);
    EXPECT_EQ(window.Send(WM_QUERYENDSESSION), TRUE);
    EXPECT_EQ(shell.wakes, 0);
    EXPECT_FALSE(shell.sharedState.shutdownCopyPending);

    // Only at shutdown: the first request is refused and wakes the engine; the next may end it.
    EXPECT_EQ(shell.settingsStore.WriteSchedulerValue(settings::names::kSchedulerType, 3), 0u);
    EXPECT_EQ(window.Send(WM_QUERYENDSESSION), FALSE);
    EXPECT_TRUE(shell.sharedState.shutdownCopyPending);
    EXPECT_EQ(shell.wakes, 1);
    EXPECT_EQ(window.Send(WM_QUERYENDSESSION), TRUE);
    EXPECT_EQ(shell.wakes, 1);
}

TEST_F(MainWindowTest, WithoutARunningWorkerTheSessionEndsAtTheFirstRequest) {
    // Paused, switched off or with its worker ended, nobody would make the copy: holding the
    // end would only make the user shut down twice.
    EXPECT_EQ(shell.settingsStore.WriteSchedulerValue(settings::names::kSchedulerType, 3), 0u);
    EXPECT_EQ(shell.settingsStore.WriteSchedulerValue(settings::names::kSchedulerAtShutdown, 1),
              0u);
    shell.engineRunning = false;
    EXPECT_EQ(window.Send(WM_QUERYENDSESSION), TRUE);
    EXPECT_EQ(shell.wakes, 0);
    EXPECT_FALSE(shell.sharedState.shutdownCopyPending);
}

TEST_F(MainWindowTest, AlwaysAtShutdownHoldsTheSessionEndOfAnySchedule) {
    EXPECT_EQ(shell.settingsStore.WriteSchedulerValue(settings::names::kSchedulerType, 0), 0u);
    EXPECT_EQ(shell.settingsStore.WriteSchedulerValue(settings::names::kSchedulerAtShutdown, 1),
              0u);
    EXPECT_EQ(window.Send(WM_QUERYENDSESSION), FALSE);
    EXPECT_EQ(shell.wakes, 1);
    // The session really ends: the engine stops; a cancelled end stops nothing.
    window.Send(WM_ENDSESSION, FALSE);
    EXPECT_EQ(shell.stops, 0);
    EXPECT_EQ(shell.retrySaves, 0);
    window.Send(WM_ENDSESSION, TRUE);
    EXPECT_EQ(shell.stops, 1);
    EXPECT_EQ(shell.retrySaves, 1);
}

TEST_F(MainWindowTest, CopyCommandsWakeTheEngineAndACompleteCopyStartsFromTimeZero) {
    shell.Configure(1);
    Command(kCommandCopyChanged);
    EXPECT_EQ(shell.wakes, 1);
    os::FileTime time = 0;
    EXPECT_EQ(shell.settingsStore.ReadStartTime(time), 0u);
    EXPECT_EQ(time, 12345u);
    Command(kCommandCopyAll);
    EXPECT_EQ(shell.wakes, 2);
    EXPECT_EQ(shell.settingsStore.ReadStartTime(time), 0u);
    EXPECT_EQ(time, 0u);
}

TEST_F(MainWindowTest, OpenRestartsTheEngineAroundTheSettingsOfAConfiguredProgram) {
    shell.Configure(1);
    ASSERT_EQ(window.Send(WMU_OPEN), 0);
    EXPECT_EQ(shell.stops, 1);
    EXPECT_EQ(shell.settingsOpened, 1);
    EXPECT_EQ(shell.wizardsRun, 0);
    EXPECT_EQ(shell.starts, 1);
    EXPECT_FALSE(PumpSawQuit());
    Command(kCommandOpen);
    EXPECT_EQ(shell.settingsOpened, 2);
}

TEST_F(MainWindowTest, OpenOfAnUnconfiguredProgramRunsTheWizardAndEndsWhenItStaysOff) {
    window.Send(WMU_OPEN);
    EXPECT_EQ(shell.wizardsRun, 1);
    EXPECT_TRUE(shell.sharedState.wizardRan);
    EXPECT_EQ(shell.starts, 0);
    EXPECT_TRUE(PumpSawQuit()) << "the program did not end";
    EXPECT_EQ(shell.stops, 2);  // before the wizard, and as the window ends
}

// The setup-done dialog follows a pass only after a wizard that stored its settings.
TEST_F(MainWindowTest, AWizardLeftUnfinishedIsNotTakenForOneThatRan) {
    shell.wizardFinishes = false;
    window.Send(WMU_OPEN);
    EXPECT_EQ(shell.wizardsRun, 1);
    EXPECT_FALSE(shell.sharedState.wizardRan);
    EXPECT_TRUE(PumpSawQuit());
}

TEST_F(MainWindowTest, SwitchingOffInTheSettingsEndsTheProgram) {
    shell.Configure(1);
    shell.whileOpen = [&] { EXPECT_EQ(shell.settingsStore.WriteMirrorStatus(0), 0u); };
    Command(kCommandOpen);
    EXPECT_EQ(shell.starts, 0);
    EXPECT_TRUE(PumpSawQuit());
}

TEST_F(MainWindowTest, NothingOpensWhileAnotherWindowHoldsThePromptGuard) {
    shell.Configure(1);
    shell.sharedState.promptActive = true;
    Command(kCommandOpen);
    window.Send(WMU_OPEN);
    Command(kCommandAbout);
    Command(kCommandHelp);
    Command(kCommandClose);
    window.Send(WM_CLOSE);
    EXPECT_EQ(shell.stops, 0);
    EXPECT_EQ(shell.settingsOpened, 0);
    EXPECT_EQ(shell.aboutsShown, 0);
    EXPECT_TRUE(shell.helpPages.empty());
    EXPECT_TRUE(IsWindow(window.hwnd()));
    EXPECT_TRUE(shell.sharedState.promptActive);
}

TEST_F(MainWindowTest, AboutHoldsTheGuardAndHelpOpensTheHomePage) {
    Command(kCommandAbout);
    EXPECT_EQ(shell.aboutsShown, 1);
    EXPECT_EQ(shell.aboutOwner, window.hwnd());
    EXPECT_TRUE(shell.promptActiveDuringAbout);
    EXPECT_FALSE(shell.sharedState.promptActive);
    Command(kCommandHelp);
    EXPECT_EQ(shell.helpPages, std::vector<std::wstring>{L"home.html"});
}

TEST_F(MainWindowTest, PauseStopsTheEngineAndResumeStartsItWithoutTheSettings) {
    shell.Configure(1);
    Command(kCommandPause);
    EXPECT_EQ(shell.stops, 1);
    EXPECT_TRUE(shell.sharedState.enginePaused);
    Command(kCommandOpen);  // while paused: only the restart
    EXPECT_EQ(shell.settingsOpened, 0);
    EXPECT_EQ(shell.starts, 1);
    EXPECT_TRUE(shell.sharedState.enginePaused);
    Command(kCommandResume);
    EXPECT_EQ(shell.settingsOpened, 0);
    EXPECT_EQ(shell.starts, 2);
    EXPECT_FALSE(shell.sharedState.enginePaused);
}

// A resume that arrives while About or a prompt holds the guard still ends the pause: the engine
// must not stay stopped with nothing left to start it.
TEST_F(MainWindowTest, ResumeWhileAnotherWindowHoldsTheGuardStillStartsTheEngine) {
    shell.Configure(1);
    Command(kCommandPause);
    shell.sharedState.promptActive = true;
    Command(kCommandResume);
    EXPECT_EQ(shell.settingsOpened, 0);
    EXPECT_EQ(shell.starts, 1);
    EXPECT_FALSE(shell.sharedState.enginePaused);

    // Switched off meanwhile: the program ends instead.
    Command(kCommandPause);
    EXPECT_EQ(shell.settingsStore.WriteMirrorStatus(0), 0u);
    Command(kCommandResume);
    EXPECT_EQ(shell.starts, 1);
    EXPECT_TRUE(PumpSawQuit());
}

TEST_F(MainWindowTest, CloseOfASwitchedOffProgramEndsAtOnce) {
    shell.Configure(0);
    Command(kCommandClose);
    EXPECT_FALSE(IsWindow(window.hwnd()));
    EXPECT_GE(shell.stops, 1);
    EXPECT_TRUE(PumpSawQuit());
    EXPECT_FALSE(shell.sharedState.promptActive);
}

TEST_F(MainWindowTest, TrayMessagesWithoutAnIconDoNothing) {
    EXPECT_EQ(window.Send(WMU_ANIMATE_START), 0);
    EXPECT_EQ(window.Send(WMU_ANIMATE_STOP), 0);
    EXPECT_EQ(window.Send(WMU_TRAY_NOTIFY, kTrayIconId, WM_RBUTTONUP), 0);
    window.Send(WMU_ADD_TRAY_ICON);
    window.Send(WMU_REMOVE_TRAY_ICON);
    EXPECT_EQ(shell.trayAdds, 1);
    EXPECT_EQ(shell.trayRemoves, 1);
}

// An owner window that records the commands it receives.
class CommandSink : public fw::Window {
  public:
    bool Make() {
        RegisterClass(L"FerrolinTestCommandSink", 0, nullptr, nullptr);
        return Create(L"FerrolinTestCommandSink", "sink", WS_POPUP, 0, RECT{0, 0, 1, 1}, nullptr,
                      nullptr);
    }
    std::vector<WPARAM> commands;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) {
            commands.push_back(wParam);
            return 0;
        }
        return DefaultProc(message, wParam, lParam);
    }
};

class SystemTrayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fw::Application::Initialise();
        ASSERT_TRUE(owner.Make());
        resting = static_cast<HICON>(LoadImageW(fw::Application::ResourceInstance(),
                                                MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON, 16, 16,
                                                LR_DEFAULTCOLOR));
        ASSERT_NE(resting, nullptr);
        tray.SetDefaultMenuItem(kCommandOpen, false);
        ASSERT_TRUE(tray.LoadAnimationIcons(IDI_TRAY_FRAME_1, IDI_TRAY_FRAME_5));
        ASSERT_TRUE(tray.Create(owner.hwnd(), WMU_TRAY_NOTIFY, "Corvant Ferrolin 2 Options",
                                resting, kTrayIconId))
            << "the notification area refused the icon";
    }
    void TearDown() override {
        tray.Remove();
        DestroyIcon(resting);
    }

    engine::SharedState shared;
    CommandSink owner;
    CKRVSystemTray tray{shared};
    HICON resting = nullptr;
};

TEST_F(SystemTrayTest, TheIconIsInTheNotificationAreaUntilRemoved) {
    EXPECT_TRUE(tray.added());
    EXPECT_TRUE(endtoend::TrayIconExists(owner.hwnd(), kTrayIconId));
    tray.Remove();
    EXPECT_FALSE(tray.added());
    EXPECT_FALSE(endtoend::TrayIconExists(owner.hwnd(), kTrayIconId));
    // Nothing animates without the icon.
    tray.StartAnimation(kTrayFrameMs, 0);
    EXPECT_FALSE(tray.animating());
}

TEST_F(SystemTrayTest, TheAnimationShowsEachFrameInTurnAndThenTheIconBeforeIt) {
    ASSERT_EQ(tray.frames().size(), 5u);
    tray.StartAnimation(kTrayFrameMs, 0);
    ASSERT_TRUE(tray.animating());
    for (size_t tick = 0; tick < 11; ++tick) {
        tray.OnTimer();
        EXPECT_EQ(tray.shownIcon(), tray.frames()[tick % 5].Get()) << "tick " << tick;
    }
    EXPECT_TRUE(endtoend::TrayIconExists(owner.hwnd(), kTrayIconId));
    tray.StopAnimation();
    EXPECT_FALSE(tray.animating());
    EXPECT_EQ(tray.shownIcon(), resting);
    // A new start begins at the first frame again.
    tray.StartAnimation(kTrayFrameMs, 0);
    tray.OnTimer();
    EXPECT_EQ(tray.shownIcon(), tray.frames()[0].Get());
    tray.StopAnimation();
}

TEST_F(SystemTrayTest, TheTimerDrivesTheAnimation) {
    tray.StartAnimation(10, 0);
    EXPECT_TRUE(endtoend::WaitUntil(
        [&] {
            fw::Application::PumpPending();
            return tray.shownIcon() == tray.frames()[3].Get();
        },
        5000, 5));
    tray.StopAnimation();
}

TEST_F(SystemTrayTest, AnAnimationWithALimitStopsByItself) {
    tray.StartAnimation(10, 1);
    EXPECT_TRUE(endtoend::WaitUntil(
        [&] {
            fw::Application::PumpPending();
            return !tray.animating();
        },
        5000, 20));
    EXPECT_EQ(tray.shownIcon(), resting);
}

TEST_F(SystemTrayTest, TheMenuHasOpenInBoldAndGreysWhatCannotBeChosen) {
    HMENU menu = tray.BuildMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(kCommandOpen));
    for (const UINT command : {kCommandOpen, kCommandCopyChanged, kCommandCopyAll, kCommandAbout,
                               kCommandHelp, kCommandClose}) {
        EXPECT_EQ(GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED, 0u) << command;
    }
    DestroyMenu(menu);

    for (const bool progress : {true, false}) {
        shared.progress.shown = progress;
        shared.enginePaused = !progress;
        menu = tray.BuildMenu();
        for (const UINT command : {kCommandOpen, kCommandCopyChanged, kCommandCopyAll,
                                   kCommandAbout, kCommandHelp, kCommandClose}) {
            EXPECT_NE(GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED, 0u) << command;
        }
        EXPECT_NE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_GRAYED, 0u)
            << "the Copy Now sub-menu stays open to an empty choice";
        DestroyMenu(menu);
    }
}

TEST_F(SystemTrayTest, ADoubleClickOpensTheSettingsUnlessACopyShowsOrTheEngineIsPaused) {
    EXPECT_EQ(tray.OnTrayNotification(kTrayIconId + 1, WM_LBUTTONDBLCLK), 0);
    EXPECT_TRUE(owner.commands.empty());
    EXPECT_EQ(tray.OnTrayNotification(kTrayIconId, WM_MOUSEMOVE), 1);
    EXPECT_EQ(tray.OnTrayNotification(kTrayIconId, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(owner.commands, std::vector<WPARAM>{static_cast<WPARAM>(kCommandOpen)});
    shared.progress.shown = true;
    tray.OnTrayNotification(kTrayIconId, WM_LBUTTONDBLCLK);
    shared.progress.shown = false;
    shared.enginePaused = true;
    tray.OnTrayNotification(kTrayIconId, WM_LBUTTONDBLCLK);
    EXPECT_EQ(owner.commands.size(), 1u);
}

// Set while a popup menu is open: a timer that fires inside the menu's own loop sees it and
// closes it.
bool g_menuWasOpen = false;
void CALLBACK CloseOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu != nullptr && IsWindowVisible(menu)) {
        g_menuWasOpen = true;
        KillTimer(nullptr, timer);
        EndMenu();
    }
}

TEST_F(SystemTrayTest, TheKeyboardOpensTheMenuOnceForEachKeyPress) {
    // The context-menu key (Shift+F10), and Enter or Space on the focused icon.
    for (const UINT event : {static_cast<UINT>(WM_CONTEXTMENU), static_cast<UINT>(NIN_KEYSELECT)}) {
        g_menuWasOpen = false;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseOpenMenu);
        EXPECT_EQ(tray.OnTrayNotification(kTrayIconId, event), 1);
        KillTimer(nullptr, timer);
        EXPECT_TRUE(g_menuWasOpen) << "event " << event;
        Sleep(400);  // a later key press, not the shell's repeat of this one
    }
    // The shell may report one Enter twice: the second, as the menu closes, opens nothing.
    g_menuWasOpen = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseOpenMenu);
    tray.OnTrayNotification(kTrayIconId, NIN_KEYSELECT);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(g_menuWasOpen);
    g_menuWasOpen = false;
    timer = SetTimer(nullptr, 0, 50, CloseOpenMenu);
    const DWORD started = GetTickCount();
    tray.OnTrayNotification(kTrayIconId, NIN_KEYSELECT);
    KillTimer(nullptr, timer);
    EXPECT_FALSE(g_menuWasOpen);
    EXPECT_LT(GetTickCount() - started, 50u) << "no menu was waited for";
    EXPECT_TRUE(owner.commands.empty());
}

TEST_F(SystemTrayTest, TheIconComesBackWhenTheTaskbarIsCreatedAgain) {
    NOTIFYICONDATAW record = {};
    record.cbSize = sizeof record;
    record.hWnd = owner.hwnd();
    record.uID = kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &record));  // as a restarted Explorer has it
    ASSERT_FALSE(endtoend::TrayIconExists(owner.hwnd(), kTrayIconId));
    tray.Send(RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_TRUE(endtoend::TrayIconExists(owner.hwnd(), kTrayIconId));
}

struct NoDrives {
    os::sim::SimMachine machine;
    drvKit::sim::SimDriveKit kit{machine.files()};
    engine::SharedDrives drives;
    std::atomic<bool> splashAllowed{true};
    SplashContext context{drives, splashAllowed};
};

class BitmapWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { fw::Application::Initialise(); }
    void TearDown() override { CKRVBitmapWnd::OverrideColourDepthForTesting(0); }
    NoDrives world;
};

TEST_F(BitmapWindowTest, TheVariantAndItsPaletteFollowTheScreensColourDepth) {
    CKRVBitmapWnd window;
    CKRVBitmapWnd::OverrideColourDepthForTesting(8);
    ASSERT_TRUE(window.LoadBitmap("IDB_SPLASH"));
    EXPECT_EQ(window.loadedName(), "IDB_SPLASH8");
    ASSERT_NE(window.palette(), nullptr);
    EXPECT_EQ(GetPaletteEntries(window.palette(), 0, 0, nullptr), 256u);
    const RECT picture = window.GetPictureRect();
    EXPECT_EQ(picture.right, 400);
    EXPECT_EQ(picture.bottom, 240);

    CKRVBitmapWnd::OverrideColourDepthForTesting(4);
    ASSERT_TRUE(window.LoadBitmap("IDB_SPLISH"));
    EXPECT_EQ(window.loadedName(), "IDB_SPLISH4");
    EXPECT_EQ(GetPaletteEntries(window.palette(), 0, 0, nullptr), 16u);

    CKRVBitmapWnd::OverrideColourDepthForTesting(32);
    ASSERT_TRUE(window.LoadBitmap("IDB_SPLASH"));
    EXPECT_EQ(window.loadedName(), "IDB_SPLASH24");
    EXPECT_EQ(window.palette(), nullptr);

    EXPECT_FALSE(window.LoadBitmap("IDB_NO_SUCH_PICTURE"));
    EXPECT_FALSE(window.hasBitmap());
    EXPECT_TRUE(window.loadedName().empty());
}

TEST_F(BitmapWindowTest, EveryBitmapWindowIsListedWhileItExists) {
    const size_t before = CKRVBitmapWnd::AllWindows().size();
    {
        CKRVBitmapWnd first;
        CKRVBitmapWnd second;
        EXPECT_EQ(CKRVBitmapWnd::AllWindows().size(), before + 2);
    }
    EXPECT_EQ(CKRVBitmapWnd::AllWindows().size(), before);
}

COLORREF PixelAfterDrawing(const CKRVBitmapWnd& window, int x, int y, COLORREF under) {
    const HDC screen = GetDC(nullptr);
    fw::MemoryDc target(CreateCompatibleDC(screen));
    fw::MemoryDc background(CreateCompatibleDC(screen));
    fw::Bitmap targetBitmap(CreateCompatibleBitmap(screen, 400, 240));
    fw::Bitmap backgroundBitmap(CreateCompatibleBitmap(screen, 420, 260));
    ReleaseDC(nullptr, screen);
    fw::Selection targetSelected(target.Get(), targetBitmap.Get());
    fw::Selection backgroundSelected(background.Get(), backgroundBitmap.Get());
    fw::Brush brush(CreateSolidBrush(under));
    const RECT all = {0, 0, 420, 260};
    FillRect(background.Get(), &all, brush.Get());
    window.DrawPicture(target.Get(), background.Get(), POINT{10, 10}, 400, 240);
    return GetPixel(target.Get(), x, y);
}

TEST_F(BitmapWindowTest, PixelsOfTheTransparentColourShowWhatLiesUnderTheWindow) {
    CKRVBitmapWnd window;
    CKRVBitmapWnd::OverrideColourDepthForTesting(24);
    ASSERT_TRUE(window.LoadBitmap("IDB_SPLASH"));
    window.SetTransparentColour(RGB(255, 0, 255));
    // The picture's corners are magenta: what is under the window shows there.
    EXPECT_EQ(PixelAfterDrawing(window, 0, 0, RGB(0, 128, 0)), RGB(0, 128, 0));
    EXPECT_EQ(PixelAfterDrawing(window, 399, 239, RGB(10, 20, 30)), RGB(10, 20, 30));
    // Inside, the picture itself: the white band of the text, whatever is under it.
    EXPECT_EQ(PixelAfterDrawing(window, 200, 220, RGB(0, 128, 0)), RGB(255, 255, 255));
    // With another transparent colour the corners are drawn as they are.
    window.SetTransparentColour(RGB(1, 2, 3));
    EXPECT_EQ(PixelAfterDrawing(window, 0, 0, RGB(0, 128, 0)), RGB(255, 0, 255));
}

TEST_F(BitmapWindowTest, AChangeOfColourDepthLoadsTheVariantForTheNewScreen) {
    CKRVBitmapWnd::OverrideColourDepthForTesting(8);
    CKRVSplashWnd about(world.context, SplashKind::About);
    ASSERT_TRUE(about.CreateSplash());
    ASSERT_TRUE(about.Prepare("IDB_SPLASH"));
    EXPECT_EQ(about.loadedName(), "IDB_SPLASH8");
    RECT client = {};
    GetClientRect(about.hwnd(), &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 240);
    CKRVBitmapWnd::OverrideColourDepthForTesting(24);
    about.Send(WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768));
    EXPECT_EQ(about.loadedName(), "IDB_SPLASH24");
    EXPECT_EQ(about.palette(), nullptr);
    // The splash without a drive check: the About window never shows dialog 209.
    EXPECT_TRUE(world.splashAllowed);
}

TEST_F(BitmapWindowTest, TheAlternativePictureFollowsTheSpecialKey) {
    settings::CKRVSettingsStore store(world.machine.machine().registry);
    EXPECT_EQ(SplashBaseName(store), "IDB_SPLASH");
    std::unique_ptr<os::RegistryKey> key;
    world.machine.machine().registry.CreateKey(os::Hive::CurrentUser,
                                               "Software\\Corvant Ferrolin 2\\Special", key);
    EXPECT_EQ(SplashBaseName(store), "IDB_SPLISH");
}

// Presses a button of the first dialog of this thread that shows a text, from another thread,
// while this one runs the dialog modally.
class DialogAnswerer {
  public:
    DialogAnswerer(const std::wstring& textStart, int button)
        : owner_(GetCurrentThreadId()), text_(textStart), thread_([this, button] {
              endtoend::WaitUntil(
                  [&] {
                      if (const HWND dialog = FindDialog()) {
                          seen = true;
                          PostMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
                      }
                      return seen || stop_;
                  },
                  10000, 20);
          }) {}
    ~DialogAnswerer() {
        stop_ = true;
        thread_.join();
    }
    std::atomic<bool> seen{false};

  private:
    static BOOL CALLBACK MatchChild(HWND child, LPARAM data) {
        auto* self = reinterpret_cast<DialogAnswerer*>(data);
        wchar_t text[512] = L"";
        GetWindowTextW(child, text, 512);
        if (std::wstring(text).rfind(self->text_, 0) == 0) {
            self->found_ = GetParent(child);
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
        EnumChildWindows(window, &MatchChild, data);
        return reinterpret_cast<DialogAnswerer*>(data)->found_ == nullptr;
    }
    HWND FindDialog() {
        found_ = nullptr;
        EnumThreadWindows(owner_, &MatchWindow, reinterpret_cast<LPARAM>(this));
        return found_;
    }

    const DWORD owner_;
    const std::wstring text_;
    HWND found_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST_F(BitmapWindowTest, WithoutADriveTheSplashSaysSoAndTheWizardsSplashIsNotShownAgain) {
    {
        DialogAnswerer answer(L"Corvant Ferrolin 2 requires an Corvant drive", IDOK);
        EXPECT_FALSE(ShowSplash(world.context, SplashKind::BeforeWizard, "IDB_SPLASH"));
        EXPECT_TRUE(answer.seen) << "dialog 209 did not show";
    }
    EXPECT_FALSE(world.splashAllowed);
    EXPECT_EQ(world.drives.array.getCount(), 0);
}

TEST_F(BitmapWindowTest, WithTheMakersDriveTheSplashShowsWithoutAQuestion) {
    world.kit->AddDrive('E');
    EXPECT_TRUE(CheckForDrives(world.context));
    EXPECT_TRUE(world.splashAllowed);
    ASSERT_EQ(world.drives.array.getCount(), 1);
    EXPECT_EQ(world.drives.volumeNames, std::vector<std::string>{"( No disk in drive )"});
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(ShowSplash(world.context, SplashKind::BeforeSettings, "IDB_SPLASH"));
    EXPECT_GE(GetTickCount64() - start, kSplashBeforeSettingsMs - 20);
}

TEST_F(BitmapWindowTest, TheAboutWindowEndsOnAKeyOrAClickBesideTheLink) {
    CommandSink owner;
    ASSERT_TRUE(owner.Make());
    for (const UINT ending : {WM_KEYDOWN, WM_LBUTTONDOWN}) {
        CKRVSplashWnd about(world.context, SplashKind::About);
        ASSERT_TRUE(about.CreateSplash(owner.hwnd()));
        about.Prepare("IDB_SPLASH");
        PostMessageW(about.hwnd(), ending, ending == WM_KEYDOWN ? 'A' : MK_LBUTTON,
                     ending == WM_KEYDOWN ? 0 : MAKELPARAM(5, 5));
        EXPECT_EQ(about.RunModal(owner.hwnd()), 2);
        EXPECT_EQ(about.hwnd(), nullptr);
        EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
    }
}

TEST_F(BitmapWindowTest, TheLinkIsHoveredOnlyOverItsTextAndNeverWhileLoading) {
    CKRVSplashWnd about(world.context, SplashKind::About);
    ASSERT_TRUE(about.CreateSplash());
    about.Prepare("IDB_SPLASH");
    const RECT link = about.LinkRect();
    ASSERT_GT(link.right - link.left, 0);
    EXPECT_EQ(link.top, ui::kSplashLinkTop);
    EXPECT_NEAR((link.left + link.right) / 2, 200, 1);
    const int x = (link.left + link.right) / 2;
    const int y = (link.top + link.bottom) / 2;
    about.Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    EXPECT_TRUE(about.hovering());
    about.Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, 20));
    EXPECT_FALSE(about.hovering());
    about.SetLoadingMode(true);
    about.Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    EXPECT_FALSE(about.hovering());
}

}  // namespace
}  // namespace app
