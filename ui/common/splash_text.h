#pragma once
// The text and the link that the splash and About window paint over their picture.

#include <string>

#include "framework/gdi.h"

namespace ui {

// Where the lines go, in the window's client coordinates at 96 dots per inch (they move with the
// screen's scale, as the picture under them grows).
inline constexpr int kSplashLinkTop = 189;
inline constexpr int kSplashProductTop = 203;
inline constexpr int kSplashNoticeTop = 217;
inline constexpr int kSplashLoadingLeft = 13;

// A 12-pixel bold font (at 96 dots per inch; larger by the screen's scale) of the first
// available face of "Ms Sans Serif", "Arial" and "System" (or of no face name when none is
// there); null when none could be made.
HFONT CreateSplashFont(bool underline, unsigned dpi = 96);

class SplashText {
  public:
    SplashText();

    // The dots per inch of the screen the texts are painted on (96 until told).
    void SetDpi(unsigned dpi);

    // Paints the texts; loading mode shows "Loading Settings..." instead of the link, the product
    // name and the notice. The link is blue while hovered and red otherwise when the window has
    // an owner (the About window), black when it has none.
    void Paint(HDC dc, int clientWidth, bool loadingMode, bool hovering, bool hasOwner) const;
    // The link's text rectangle: its width centred in the window, from y = 189 (at 96 dots per
    // inch).
    RECT LinkRect(HDC dc, int clientWidth) const;
    // The address the About window opens when the link is clicked.
    const std::string& linkTarget() const { return target_; }
    bool fontsReady() const { return linkFont_.IsValid(); }

  private:
    unsigned dpi_ = 96;
    fw::Font linkFont_;
    std::string linkText_;
    std::string target_;
    std::string product_;
    std::string notice_;
    std::string loading_;
};

}  // namespace ui
