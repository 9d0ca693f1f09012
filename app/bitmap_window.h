#pragma once
// A window that shows a device-independent bitmap of the program's resources, in the variant
// that suits the screen's colour depth, with one colour left undrawn so that the window takes
// the picture's outline. The splash and About window build on it.

#include <string>
#include <vector>

#include "framework/gdi.h"
#include "framework/window.h"
#include "os/win32/unique_handle.h"

namespace app {

using GlobalBlock = os::win32::UniqueHandle<HGLOBAL, &::GlobalFree, 0>;
using Palette = os::win32::UniqueHandle<HPALETTE, &::DeleteObject, 0>;

class CKRVBitmapWnd : public fw::Window {
  public:
    CKRVBitmapWnd();
    ~CKRVBitmapWnd() override;

    // Loads the variant of baseName for the screen's colour depth ("24" from 16 bits, "8" from
    // 8, else "4") with its palette, and sizes the window's client area to the picture when the
    // window exists. False (and no picture: the window draws nothing) when the resource is
    // missing or not a whole bitmap, or memory runs out.
    bool LoadBitmap(const std::string& baseName);
    bool hasBitmap() const { return static_cast<bool>(memory_); }
    RECT GetPictureRect() const { return picture_; }
    void SetTransparentColour(COLORREF colour) { transparent_ = colour; }
    COLORREF transparentColour() const { return transparent_; }
    // The resource name last loaded ("IDB_SPLASH24"), empty when none.
    const std::string& loadedName() const { return loadedName_; }
    HPALETTE palette() const { return palette_.Get(); }

    // Draws the picture into a client area of width x height: the picture where it is not of
    // the transparent colour, elsewhere what `under` shows at underOrigin.
    void DrawPicture(HDC target, HDC under, POINT underOrigin, int width, int height) const;

    // The screen's colour depth (bits per pixel times planes), measured when the first bitmap
    // window is made and again when the system's colours or the display change.
    static int ColourDepth();
    // Tests pretend another screen; 0 measures the real one again.
    static void OverrideColourDepthForTesting(int depth);
    // Every bitmap window that exists.
    static const std::vector<CKRVBitmapWnd*>& AllWindows();

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Painted over the picture.
    virtual void PaintOver(HDC, int /*width*/, int /*height*/) {}
    // Resizes the window so that its client area is the picture, without moving or showing it.
    void FitToPicture();

  private:
    void Free();
    void EraseWithPicture(HDC dc);
    // Realises the palette in a client context; true when any colour changed.
    bool RealisePalette(bool background);
    void OnColoursChanged();

    GlobalBlock memory_;
    Palette palette_;
    RECT picture_ = {0, 0, 0, 0};
    COLORREF transparent_ = RGB(255, 0, 255);
    std::string baseName_;
    std::string loadedName_;
    size_t pixelsOffset_ = 0;
    int loadedDepth_ = 0;
};

}  // namespace app
