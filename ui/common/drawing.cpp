#include "ui/common/drawing.h"

#include "framework/gdi.h"

namespace ui {

namespace {
// Destination AND NOT source: blacks out the pixels that the mask marks as transparent.
constexpr DWORD kAndNotSource = 0x00220326;
}  // namespace

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info = {};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0) {
        return {0, 0};
    }
    return {info.bmWidth, info.bmHeight};
}

void DrawBitmap(HBITMAP bitmap, HDC target, int x, int y) {
    const SIZE size = BitmapSize(bitmap);
    if (size.cx == 0 || target == nullptr) {
        return;
    }
    fw::MemoryDc memory(CreateCompatibleDC(target));
    if (!memory) {
        return;
    }
    fw::Selection selected(memory.Get(), bitmap);
    BitBlt(target, x, y, size.cx, size.cy, memory.Get(), 0, 0, SRCCOPY);
}

void DrawTransparentBitmap(HBITMAP bitmap, HDC target, int x, int y, COLORREF transparent) {
    const SIZE size = BitmapSize(bitmap);
    if (size.cx == 0 || target == nullptr) {
        return;
    }
    fw::MemoryDc image(CreateCompatibleDC(target));
    fw::MemoryDc mask(CreateCompatibleDC(target));
    fw::MemoryDc blackened(CreateCompatibleDC(target));
    fw::MemoryDc composite(CreateCompatibleDC(target));
    fw::Bitmap maskBitmap(CreateBitmap(size.cx, size.cy, 1, 1, nullptr));
    fw::Bitmap blackenedBitmap(CreateCompatibleBitmap(target, size.cx, size.cy));
    fw::Bitmap compositeBitmap(CreateCompatibleBitmap(target, size.cx, size.cy));
    if (!image || !mask || !blackened || !composite || !maskBitmap || !blackenedBitmap ||
        !compositeBitmap) {
        return;
    }
    fw::Selection imageSelected(image.Get(), bitmap);
    fw::Selection maskSelected(mask.Get(), maskBitmap.Get());
    fw::Selection blackenedSelected(blackened.Get(), blackenedBitmap.Get());
    fw::Selection compositeSelected(composite.Get(), compositeBitmap.Get());

    // Copying colour to monochrome turns pixels of the background colour into 1, others into 0.
    SetBkColor(image.Get(), transparent);
    BitBlt(mask.Get(), 0, 0, size.cx, size.cy, image.Get(), 0, 0, SRCCOPY);
    // Mono to colour maps 1 to the background colour and 0 to the text colour; white and black
    // keep the mask exact for the raster operations below.
    SetBkColor(blackened.Get(), RGB(255, 255, 255));
    SetTextColor(blackened.Get(), RGB(0, 0, 0));
    SetBkColor(composite.Get(), RGB(255, 255, 255));
    SetTextColor(composite.Get(), RGB(0, 0, 0));
    BitBlt(blackened.Get(), 0, 0, size.cx, size.cy, image.Get(), 0, 0, SRCCOPY);
    BitBlt(blackened.Get(), 0, 0, size.cx, size.cy, mask.Get(), 0, 0, kAndNotSource);
    BitBlt(composite.Get(), 0, 0, size.cx, size.cy, target, x, y, SRCCOPY);
    BitBlt(composite.Get(), 0, 0, size.cx, size.cy, mask.Get(), 0, 0, SRCAND);
    BitBlt(composite.Get(), 0, 0, size.cx, size.cy, blackened.Get(), 0, 0, SRCINVERT);
    BitBlt(target, x, y, size.cx, size.cy, composite.Get(), 0, 0, SRCCOPY);
}

UINT DpiOf(HWND window) {
    const UINT dpi = window != nullptr ? GetDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : 96;
}

UINT PictureForDpi(UINT dpi, UINT at100, UINT at150, UINT at200) {
    if (dpi >= 192) {
        return at200;
    }
    return dpi >= 144 ? at150 : at100;
}

}  // namespace ui
