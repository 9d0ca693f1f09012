#pragma once
// Bitmap drawing shared by the dialogs and pages.

#include "framework/windows_api.h"

namespace ui {

// Copies the whole bitmap to (x, y) of the target (SRCCOPY); nothing when it cannot.
void DrawBitmap(HBITMAP bitmap, HDC target, int x, int y);
// Draws the bitmap at (x, y) leaving every pixel of the transparent colour unpainted.
void DrawTransparentBitmap(HBITMAP bitmap, HDC target, int x, int y, COLORREF transparent);
// Width and height of a bitmap; 0 x 0 for none.
SIZE BitmapSize(HBITMAP bitmap);

// The dots per inch of the screen a window is on (96 at 100 per cent; the program is aware of
// each monitor's own).
UINT DpiOf(HWND window);
// A length in pixels at 96 dots per inch, at dpi.
inline int ScaleToDpi(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), 96);
}
// Of a picture drawn at 100, 150 and 200 per cent, the one for dpi: the largest that is not
// larger than the screen asks (a picture is never shrunk, and grows only by whole art).
UINT PictureForDpi(UINT dpi, UINT at100, UINT at150, UINT at200);

}  // namespace ui
