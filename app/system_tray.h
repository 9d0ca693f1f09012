#pragma once
// The icon in the taskbar's notification area: it animates while the engine copies, opens the
// settings on a double click and offers menu 107 on a right click. Its notifications and the
// menu's commands go to the owner window (the hidden main window); the icon's own small hidden
// window runs the animation timer and hears the taskbar being created again.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/shared_state.h"
#include "framework/window.h"
#include "os/win32/unique_handle.h"

namespace app {

using IconHandle = os::win32::UniqueHandle<HICON, &::DestroyIcon, 0>;

// Which items of the tray menu can be chosen: none while a prompt, the settings, the wizard,
// About or the progress dialog is up; while the engine is paused only resume (40014); otherwise
// everything but resume.
struct TrayMenuFlags {
    bool promptActive = false;
    bool progressShown = false;
    bool enginePaused = false;
};
bool IsTrayCommandEnabled(UINT command, const TrayMenuFlags& flags);
// Greys and enables every command of a menu and its sub-menus by the rule above; a sub-menu whose
// commands are all greyed is greyed too.
void SetTrayMenuStates(HMENU menu, const TrayMenuFlags& flags);

// The frames of the animation in turn: 0, 1, ..., count - 1, 0, ...
class FrameCycle {
  public:
    void Restart(size_t count) {
        count_ = count;
        next_ = 0;
    }
    // The frame to show now; SIZE_MAX when there are no frames.
    size_t Advance() {
        if (count_ == 0) {
            return SIZE_MAX;
        }
        const size_t shown = next_;
        next_ = (next_ + 1) % count_;
        return shown;
    }

  private:
    size_t count_ = 0;
    size_t next_ = 0;
};

class CKRVSystemTray : public fw::Window {
  public:
    static constexpr UINT_PTR kAnimationTimerId = 207217;

    explicit CKRVSystemTray(engine::SharedState& shared);
    // Removes the icon; the window and the frames go with the object.
    ~CKRVSystemTray() override;

    // Creates the icon's own hidden window and adds the icon with the owner (or that window when
    // there is no owner) as the receiver of callbackMessage. True when the shell took the icon.
    // The icon is not owned: it is a resource icon of the program.
    bool Create(HWND owner, UINT callbackMessage, const std::string& tip, HICON icon, UINT id);
    // Deletes the icon from the notification area.
    void Remove();
    // Shows another icon (when added).
    void SetIcon(HICON icon);
    // Loads the icons first..last of the program's resources in order as the animation frames;
    // false (and no frames) when one cannot be loaded.
    bool LoadAnimationIcons(UINT first, UINT last);
    void SetDefaultMenuItem(UINT item, bool byPosition);

    // Shows the frames in turn every frameMs until StopAnimation, or until durationSeconds have
    // passed when that is above 0. Nothing happens while the icon is not added.
    void StartAnimation(UINT frameMs, int durationSeconds);
    // Stops and shows again the icon shown before the animation.
    void StopAnimation();
    // One tick of the animation timer.
    void OnTimer();

    // The callback message: wParam the icon's identifier, lParam the mouse or keyboard event.
    // Right button up, the context-menu key (Shift+F10) and Enter or Space on the focused icon
    // open the menu; a left double click opens the settings. 0 when wParam is not this icon.
    LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);

    bool added() const { return added_; }
    bool animating() const { return timer_ != 0; }
    HICON shownIcon() const { return record_.hIcon; }
    const std::vector<IconHandle>& frames() const { return frames_; }
    UINT defaultItem() const { return defaultItem_; }
    // The menu 107 with the item states and the default item as the right click shows it; the
    // caller owns it. For tests and the screenshots.
    HMENU BuildMenu() const;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    bool AddToShell();
    // At the cursor for a click; over the icon when the keyboard asked.
    void ShowMenu(bool fromKeyboard);

    engine::SharedState& shared_;
    bool wanted_ = false;  // Create was called: re-added when the taskbar comes back
    bool added_ = false;
    NOTIFYICONDATAW record_ = {};
    std::vector<IconHandle> frames_;
    FrameCycle cycle_;
    UINT_PTR timer_ = 0;
    ULONGLONG startTick_ = 0;
    int durationSeconds_ = 0;
    HICON savedIcon_ = nullptr;
    UINT defaultItem_ = 0;
    bool defaultByPosition_ = false;
    UINT taskbarCreated_ = 0;
    ULONGLONG keyMenuClosedTick_ = 0;  // when a menu opened from the keyboard last closed
};

}  // namespace app
