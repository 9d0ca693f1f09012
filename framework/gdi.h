#pragma once
// Ownership of GDI objects and device contexts, and the selection of objects into a context.

#include "framework/windows_api.h"
#include "os/win32/unique_handle.h"

namespace fw {

using Font = os::win32::UniqueHandle<HFONT, &::DeleteObject, 0>;
using Bitmap = os::win32::UniqueHandle<HBITMAP, &::DeleteObject, 0>;
using Brush = os::win32::UniqueHandle<HBRUSH, &::DeleteObject, 0>;
using Pen = os::win32::UniqueHandle<HPEN, &::DeleteObject, 0>;
using MemoryDc = os::win32::UniqueHandle<HDC, &::DeleteDC, 0>;
using Cursor = os::win32::UniqueHandle<HCURSOR, &::DestroyCursor, 0>;

// Selects an object into a context for the scope and puts the previous one back.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A window's device context for the scope (GetDC / ReleaseDC).
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDc {
  public:
    explicit PaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_ = nullptr;
};

}  // namespace fw
