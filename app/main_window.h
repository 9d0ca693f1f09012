#pragma once
// The hidden main window: the program's address on the desktop. A second instance finds it by
// its class, the engine by its class and title; the tray icon sends it its notifications and its
// menu's commands, and Windows its session-end messages. Every handler runs on the
// user-interface thread.

#include "app/app_shell.h"
#include "framework/window.h"

namespace app {

// The tray menu's commands, and the two that other programs send (pause and resume).
inline constexpr int kCommandOpen = 40008;
inline constexpr int kCommandClose = 40009;
inline constexpr int kCommandCopyChanged = 40010;
inline constexpr int kCommandCopyAll = 40011;
inline constexpr int kCommandHelp = 40012;
inline constexpr int kCommandPause = 40013;
inline constexpr int kCommandResume = 40014;
inline constexpr int kCommandAbout = 57664;

class CKRVMainWnd : public fw::Window {
  public:
    explicit CKRVMainWnd(AppShell& shell) : shell_(shell) {}

    // Registers the class (with the program's icon 116) and creates the window hidden: style
    // 0xC0000000, an empty rectangle, no parent, the title string 103.
    bool CreateHidden();

    // The handlers, as the messages reach them. Open is false when another window held the
    // guard and nothing happened.
    bool Open();
    void Close();
    void CopyChangedFiles();
    void CopyAllFiles();
    void About();
    void Help();
    void Pause();
    void Resume();
    // WM_QUERYENDSESSION: true lets the session end.
    bool QueryEndSession();

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    bool OnCommand(int command);
    // Starts the engine when "Mirror Status" is not 0; otherwise ends the program.
    void StartEngineOrEnd();

    AppShell& shell_;
};

}  // namespace app
