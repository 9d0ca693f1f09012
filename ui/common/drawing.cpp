#include "ui/common/drawing.h"

#include <map>
#include <mutex>
#include <string>

#include "framework/application.h"
#include "framework/controls.h"
#include "framework/gdi.h"
#include "ui/common/dpi_picture.h"

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

HBITMAP LoadPictureForDpi(UINT at100, const wchar_t* name, UINT dpi, UINT flags) {
    const HINSTANCE instance = fw::Application::ResourceInstance();
    if (dpi >= 144) {
        const std::wstring scaled = std::wstring(name) + (dpi >= 192 ? L"_200" : L"_150");
        if (HANDLE picture = LoadImageW(instance, scaled.c_str(), IMAGE_BITMAP, 0, 0, flags)) {
            return static_cast<HBITMAP>(picture);
        }
    }
    return static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(at100), IMAGE_BITMAP, 0, 0, flags));
}

void ShowPictureForDpi(HWND dialog, int controlId, UINT dpi, UINT at100, const wchar_t* name,
                       SIZE slot) {
    const HWND control = GetDlgItem(dialog, controlId);
    if (dpi < 144 || control == nullptr) {
        return;
    }
    RECT room = {0, 0, slot.cx, slot.cy};
    MapDialogRect(dialog, &room);
    // A picture control does not free the picture it is given: each one is loaded once.
    static std::mutex lock;
    static std::map<std::pair<UINT, int>, HBITMAP> pictures;
    const std::lock_guard<std::mutex> hold(lock);
    for (const int percent : {200, 150}) {
        if (dpi < static_cast<UINT>(percent) * 96 / 100) {
            continue;
        }
        HBITMAP& picture = pictures[{at100, percent}];
        if (picture == nullptr) {
            const std::wstring scaled = std::wstring(name) + (percent == 200 ? L"_200" : L"_150");
            picture = static_cast<HBITMAP>(LoadImageW(fw::Application::ResourceInstance(),
                                                      scaled.c_str(), IMAGE_BITMAP, 0, 0, 0));
        }
        // Two pixels of rounding aside, the picture keeps to its room.
        const SIZE size = BitmapSize(picture);
        if (picture != nullptr && size.cx <= room.right + 2 && size.cy <= room.bottom + 2) {
            SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
            return;
        }
    }
}

int OpenAnimationForDpi(const fw::Animation& animation, UINT at100, const wchar_t* name,
                        SIZE frame100, UINT dpi) {
    RECT room = {};
    GetClientRect(animation.hwnd(), &room);
    for (const int percent : {200, 150}) {
        const bool fits = frame100.cx * percent / 100 <= room.right - room.left &&
                          frame100.cy * percent / 100 <= room.bottom - room.top;
        if (dpi < static_cast<UINT>(percent) * 96 / 100 || !fits) {
            continue;
        }
        const std::wstring scaled = std::wstring(name) + (percent == 200 ? L"_200" : L"_150");
        if (animation.Open(scaled.c_str())) {
            return percent;
        }
    }
    return animation.Open(at100) ? 100 : 0;
}

bool LoadImagesForDpi(fw::ImageList& images, UINT at100, const wchar_t* name, int width100,
                      UINT dpi, COLORREF mask) {
    for (const int percent : {200, 150}) {
        if (dpi < static_cast<UINT>(percent) * 96 / 100) {
            continue;
        }
        const std::wstring scaled = std::wstring(name) + (percent == 200 ? L"_200" : L"_150");
        if (images.LoadBitmap(scaled.c_str(), width100 * percent / 100, mask)) {
            return true;
        }
    }
    return images.LoadBitmap(at100, width100, mask);
}

}  // namespace ui
