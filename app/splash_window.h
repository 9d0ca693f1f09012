#pragma once
// The splash picture shown before the settings sheet and the setup wizard, and the same picture
// as the About window, with the product's name, the maker's notice and a link to the maker's
// web site drawn over it.

#include <atomic>
#include <string>

#include "app/bitmap_window.h"
#include "engine/shared_drives.h"
#include "settings/settings_store.h"
#include "ui/common/splash_text.h"

namespace app {

// What the splash shares with the rest of the program: the process-wide drive list it rebuilds
// and the flag that dialog 209 clears (no splash before the wizard and no About after it).
struct SplashContext {
    engine::SharedDrives& drives;
    std::atomic<bool>& splashAllowed;
};

enum class SplashKind { BeforeWizard, BeforeSettings, About };

// How long the splash shows before each window.
inline constexpr DWORD kSplashBeforeSettingsMs = 750;
inline constexpr DWORD kSplashBeforeWizardMs = 1000;

// "IDB_SPLISH" when HKEY_CURRENT_USER\Software\Corvant Ferrolin 2\Special exists, else
// "IDB_SPLASH".
std::string SplashBaseName(const settings::CKRVSettingsStore& store);

// Rebuilds the drive list under its mutex; when it holds no drive, shows dialog 209 (a drive of
// the maker must be connected before the setup wizard can run), after which no splash shows
// before the wizard. True when there is a drive.
bool CheckForDrives(const SplashContext& context);

class CKRVSplashWnd : public CKRVBitmapWnd {
  public:
    CKRVSplashWnd(const SplashContext& context, SplashKind kind);

    // Creates the pop-up window (hidden, centred in the work area, with a border and an empty
    // title). The splash before the wizard or the settings also checks for drives (dialog 209).
    bool CreateSplash(HWND owner = nullptr);
    // Loads the picture, fits the window to it, makes 0xFF00FF transparent and centres it.
    bool Prepare(const std::string& baseName);
    // "Loading Settings..." instead of the link, the name and the notice.
    void SetLoadingMode(bool loading) { loadingMode_ = loading; }

    // The About window: shows, keeps owner disabled, and returns 2 when a click outside the
    // link or any key ends it; a click on the link opens the maker's web site.
    int RunModal(HWND owner);
    // Ends RunModal with a result.
    void EndModal(int result);

    bool hovering() const { return hovering_; }
    bool loadingMode() const { return loadingMode_; }
    // The link's rectangle in client coordinates (empty when there is no link font).
    RECT LinkRect() const;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintOver(HDC dc, int width, int height) override;

  private:
    void OnMouseMove(POINT point);
    void Centre();

    SplashContext context_;
    SplashKind kind_;
    ui::SplashText text_;
    bool loadingMode_ = false;
    bool hovering_ = false;
    bool driveSetBuilt_ = false;
    bool modal_ = false;
    bool ended_ = false;
    int result_ = 0;
};

// Shows the splash before the settings sheet (750 ms, in loading mode, always) or before the
// setup wizard (1000 ms, only while splashAllowed), then destroys it. Returns whether the splash
// may be shown, that is false once dialog 209 has been answered.
bool ShowSplash(const SplashContext& context, SplashKind kind, const std::string& baseName);

}  // namespace app
