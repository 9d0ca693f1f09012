#include "app/bitmap_window.h"

#include <algorithm>
#include <cstring>

#include "app/packed_dib.h"
#include "framework/application.h"
#include "framework/text.h"
#include "ui/common/drawing.h"

namespace app {

namespace {

// Destination AND NOT source: blacks out the pixels that the mask marks as transparent.
constexpr DWORD kAndNotSource = 0x00220326;

// Bitmap windows live on the user-interface thread only.
std::vector<CKRVBitmapWnd*>& Windows() {
    static std::vector<CKRVBitmapWnd*> windows;
    return windows;
}

int measuredDepth = 0;
int overriddenDepth = 0;

int MeasureDepth() {
    const HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return 24;
    }
    const int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    return depth;
}

}  // namespace

CKRVBitmapWnd::CKRVBitmapWnd() {
    if (Windows().empty() && measuredDepth == 0) {
        measuredDepth = MeasureDepth();
    }
    Windows().push_back(this);
}

CKRVBitmapWnd::~CKRVBitmapWnd() {
    std::erase(Windows(), this);
}

const std::vector<CKRVBitmapWnd*>& CKRVBitmapWnd::AllWindows() {
    return Windows();
}

int CKRVBitmapWnd::ColourDepth() {
    if (overriddenDepth != 0) {
        return overriddenDepth;
    }
    if (measuredDepth == 0) {
        measuredDepth = MeasureDepth();
    }
    return measuredDepth;
}

void CKRVBitmapWnd::OverrideColourDepthForTesting(int depth) {
    overriddenDepth = depth;
}

void CKRVBitmapWnd::Free() {
    memory_.Reset();
    palette_.Reset();
    picture_ = {0, 0, 0, 0};
    loadedName_.clear();
    pixelsOffset_ = 0;
}

bool CKRVBitmapWnd::LoadBitmap(const std::string& baseName) {
    baseName_ = baseName;
    Free();
    loadedDepth_ = ColourDepth();
    // The picture drawn for the screen's scale when there is one (a stretched picture would be
    // blocky, and a smoothed one would fringe its transparent outline), else the plain one.
    const HINSTANCE instance = fw::Application::ResourceInstance();
    std::string name =
        ScaledVariantName(BitmapVariantName(baseName, loadedDepth_), ui::DpiOf(hwnd()));
    HRSRC found =
        FindResourceW(instance, fw::Wide(name).c_str(), MAKEINTRESOURCEW(2));  // RT_BITMAP
    if (found == nullptr) {
        name = BitmapVariantName(baseName, loadedDepth_);
        found = FindResourceW(instance, fw::Wide(name).c_str(), MAKEINTRESOURCEW(2));
    }
    const HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    const DWORD size = found != nullptr ? SizeofResource(instance, found) : 0;
    const std::optional<PackedDibLayout> layout = ReadPackedDib(bytes, size);
    if (!layout) {
        return false;
    }
    if (layout->bitCount <= 8) {
        // A logical palette of the bitmap's own colour table.
        const size_t entries = layout->colourTable.size();
        std::vector<unsigned char> buffer(sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY));
        auto* logical = reinterpret_cast<LOGPALETTE*>(buffer.data());
        logical->palVersion = 0x300;
        logical->palNumEntries = static_cast<WORD>(entries);
        for (size_t i = 0; i < entries; ++i) {
            const PaletteColour& colour = layout->colourTable[i];
            logical->palPalEntry[i] = {colour.red, colour.green, colour.blue, 0};
        }
        palette_.Reset(CreatePalette(logical));
    }
    GlobalBlock copy(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!copy) {
        palette_.Reset();
        return false;
    }
    void* target = GlobalLock(copy.Get());
    if (target == nullptr) {
        palette_.Reset();
        return false;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(copy.Get());
    memory_ = std::move(copy);
    picture_ = {0, 0, layout->width, layout->height};
    pixelsOffset_ = layout->pixelsOffset;
    loadedName_ = name;
    FitToPicture();
    return true;
}

void CKRVBitmapWnd::FitToPicture() {
    if (hwnd() == nullptr || !hasBitmap()) {
        return;
    }
    RECT frame = picture_;
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
    SetWindowPos(hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CKRVBitmapWnd::DrawPicture(HDC target, HDC under, POINT underOrigin, int width,
                                int height) const {
    if (!hasBitmap() || width <= 0 || height <= 0 || target == nullptr) {
        return;
    }
    const auto* block = static_cast<const unsigned char*>(GlobalLock(memory_.Get()));
    if (block == nullptr) {
        return;
    }
    const auto* info = reinterpret_cast<const BITMAPINFO*>(block);
    const unsigned char* pixels = block + pixelsOffset_;
    const int pictureWidth = picture_.right;
    const int pictureHeight = picture_.bottom;

    fw::MemoryDc picture(CreateCompatibleDC(target));
    fw::MemoryDc mask(CreateCompatibleDC(target));
    fw::MemoryDc composite(CreateCompatibleDC(target));
    fw::Bitmap pictureBitmap(CreateCompatibleBitmap(target, width, height));
    fw::Bitmap maskBitmap(CreateBitmap(width, height, 1, 1, nullptr));
    fw::Bitmap compositeBitmap(CreateCompatibleBitmap(target, width, height));
    if (picture && mask && composite && pictureBitmap && maskBitmap && compositeBitmap) {
        fw::Selection pictureSelected(picture.Get(), pictureBitmap.Get());
        fw::Selection maskSelected(mask.Get(), maskBitmap.Get());
        fw::Selection compositeSelected(composite.Get(), compositeBitmap.Get());
        HPALETTE previousPalette = nullptr;
        if (palette_) {
            previousPalette = SelectPalette(picture.Get(), palette_.Get(), FALSE);
            RealizePalette(picture.Get());
        }
        // 1. The picture, off the screen.
        if (width == pictureWidth && height == pictureHeight) {
            SetDIBitsToDevice(picture.Get(), 0, 0, static_cast<DWORD>(width),
                              static_cast<DWORD>(height), 0, 0, 0, static_cast<UINT>(pictureHeight),
                              pixels, info, DIB_RGB_COLORS);
        } else {
            SetStretchBltMode(picture.Get(), COLORONCOLOR);
            StretchDIBits(picture.Get(), 0, 0, width, height, 0, 0, pictureWidth, pictureHeight,
                          pixels, info, DIB_RGB_COLORS, SRCCOPY);
        }
        // 2. The mask: copying to monochrome turns pixels of the background colour into 1.
        SetBkColor(picture.Get(), transparent_);
        BitBlt(mask.Get(), 0, 0, width, height, picture.Get(), 0, 0, SRCCOPY);
        // 3. The picture with its transparent pixels blacked out. Monochrome to colour maps 1 to
        // the background colour and 0 to the text colour: white and black keep the mask exact.
        SetBkColor(picture.Get(), RGB(255, 255, 255));
        SetTextColor(picture.Get(), RGB(0, 0, 0));
        BitBlt(picture.Get(), 0, 0, width, height, mask.Get(), 0, 0, kAndNotSource);
        // 4. What lies under the window, kept only where the picture is transparent, with the
        // picture laid over it.
        SetBkColor(composite.Get(), RGB(255, 255, 255));
        SetTextColor(composite.Get(), RGB(0, 0, 0));
        if (under != nullptr) {
            BitBlt(composite.Get(), 0, 0, width, height, under, underOrigin.x, underOrigin.y,
                   SRCCOPY);
        } else {
            PatBlt(composite.Get(), 0, 0, width, height, BLACKNESS);
        }
        BitBlt(composite.Get(), 0, 0, width, height, mask.Get(), 0, 0, SRCAND);
        BitBlt(composite.Get(), 0, 0, width, height, picture.Get(), 0, 0, SRCINVERT);
        HPALETTE previousTargetPalette = nullptr;
        if (palette_) {
            previousTargetPalette = SelectPalette(target, palette_.Get(), TRUE);
            RealizePalette(target);
        }
        BitBlt(target, 0, 0, width, height, composite.Get(), 0, 0, SRCCOPY);
        if (previousTargetPalette != nullptr) {
            SelectPalette(target, previousTargetPalette, TRUE);
        }
        if (previousPalette != nullptr) {
            SelectPalette(picture.Get(), previousPalette, FALSE);
        }
    }
    GlobalUnlock(memory_.Get());
}

void CKRVBitmapWnd::EraseWithPicture(HDC dc) {
    RECT client = {};
    GetClientRect(hwnd(), &client);
    POINT origin = {0, 0};
    ClientToScreen(hwnd(), &origin);
    const HDC screen = GetDC(nullptr);
    DrawPicture(dc, screen, origin, client.right, client.bottom);
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
}

bool CKRVBitmapWnd::RealisePalette(bool background) {
    if (!palette_ || hwnd() == nullptr) {
        return false;
    }
    fw::WindowDc dc(hwnd());
    const HPALETTE previous = SelectPalette(dc.get(), palette_.Get(), background ? TRUE : FALSE);
    const UINT changed = RealizePalette(dc.get());
    if (previous != nullptr) {
        SelectPalette(dc.get(), previous, TRUE);
    }
    if (changed != 0 && changed != GDI_ERROR) {
        InvalidateRect(hwnd(), nullptr, TRUE);
        return true;
    }
    return false;
}

void CKRVBitmapWnd::OnColoursChanged() {
    measuredDepth = MeasureDepth();
    if (ColourDepth() != loadedDepth_ && !baseName_.empty()) {
        LoadBitmap(baseName_);
        if (hwnd() != nullptr) {
            InvalidateRect(hwnd(), nullptr, TRUE);
        }
    }
}

LRESULT CKRVBitmapWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            EraseWithPicture(reinterpret_cast<HDC>(wParam));
            return TRUE;
        case WM_PAINT: {
            fw::PaintDc paint(hwnd());
            RECT client = {};
            GetClientRect(hwnd(), &client);
            PaintOver(paint.get(), client.right, client.bottom);
            return 0;
        }
        case WM_QUERYNEWPALETTE:
            return RealisePalette(false) ? TRUE : FALSE;
        case WM_PALETTECHANGED:
            if (reinterpret_cast<HWND>(wParam) != hwnd()) {
                RealisePalette(true);
            }
            return 0;
        case WM_SYSCOLORCHANGE:
        case WM_DISPLAYCHANGE:
            OnColoursChanged();
            break;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace app
