#pragma once
// The pictures of the wizard drawn at 150 and 200 per cent as well, for screens of more dots per
// inch. The larger art is named after the picture ("IDB_WELCOME_150", "IDB_WELCOME_200"), as the
// splash's is; below 150 per cent the picture of the numbered resource is the one shown.

#include "framework/windows_api.h"

namespace fw {
class Animation;
class ImageList;
}  // namespace fw

namespace ui {

// Loads the picture drawn for dpi (LoadImage's flags); the picture at 100 per cent when the
// larger one cannot be loaded. The caller owns the bitmap.
HBITMAP LoadPictureForDpi(UINT at100, const wchar_t* name, UINT dpi, UINT flags);

// Shows in the picture control controlId of a dialog (a static of SS_BITMAP, which takes the
// picture's size) the picture drawn for dpi; below 150 per cent the control keeps its template's.
// slot is the room the template gives the picture, in dialog units: the dialog's font may grow
// less than the screen's scale, and a larger picture that would not fit is not taken (the next
// smaller one is). The larger pictures are loaded once and kept while the program runs.
void ShowPictureForDpi(HWND dialog, int controlId, UINT dpi, UINT at100, const wchar_t* name,
                       SIZE slot);

// Loads into images the strip of images drawn for dpi: at 100 per cent images of width100 pixels
// cut from the bitmap at100; at 150 and 200 per cent images one and a half and two times as wide
// cut from the bitmaps named name_150 and name_200 (the next smaller strip when one cannot be
// loaded). False when not even the strip at 100 per cent could be loaded.
bool LoadImagesForDpi(fw::ImageList& images, UINT at100, const wchar_t* name, int width100,
                      UINT dpi, COLORREF mask);

// Opens in animation the animation drawn for dpi: at 150 and 200 per cent the AVIs named
// name_150 and name_200, whose frames are one and a half and two times frame100. One whose frames
// would not fit the control (the dialog's font may grow less than the screen's scale, and a frame
// larger than the control is cut) or that cannot be opened gives way to the next smaller. Returns
// the per cent opened; 0 when not even the animation at 100 per cent (at100) could be opened.
int OpenAnimationForDpi(const fw::Animation& animation, UINT at100, const wchar_t* name,
                        SIZE frame100, UINT dpi);

}  // namespace ui
