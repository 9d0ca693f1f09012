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

}  // namespace ui
