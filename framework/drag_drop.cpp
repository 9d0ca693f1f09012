#include "framework/drag_drop.h"

#include <cstring>

#include <shlobj.h>

#include "framework/text.h"

namespace fw {

namespace {

thread_local int waitCursors = 0;

}  // namespace

DragImage::~DragImage() {
    End();
    Release();
}

void DragImage::Release() {
    if (images_ != nullptr) {
        ImageList_Destroy(images_);
        images_ = nullptr;
    }
}

bool DragImage::Begin(HIMAGELIST images, POINT hotSpot) {
    End();
    Release();
    images_ = images;
    if (images_ == nullptr || !ImageList_BeginDrag(images_, 0, hotSpot.x, hotSpot.y)) {
        return false;
    }
    dragging_ = true;
    return true;
}

void DragImage::Enter(HWND lockWindow, POINT point) {
    if (!dragging_) {
        return;
    }
    lockWindow_ = lockWindow;
    entered_ = ImageList_DragEnter(lockWindow, point.x, point.y) != FALSE;
}

void DragImage::Move(POINT point) const {
    if (entered_) {
        ImageList_DragMove(point.x, point.y);
    }
}

void DragImage::Show(bool show) const {
    if (entered_) {
        ImageList_DragShowNolock(show ? TRUE : FALSE);
    }
}

void DragImage::End() {
    if (entered_) {
        ImageList_DragLeave(lockWindow_);
        entered_ = false;
    }
    if (dragging_) {
        ImageList_EndDrag();
        dragging_ = false;
    }
    lockWindow_ = nullptr;
}

DroppedFiles::DroppedFiles(HDROP drop) : drop_(drop) {
    if (drop_ == nullptr) {
        return;
    }
    const UINT count = DragQueryFileW(drop_, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // The length first, so a name of any length comes whole.
        const UINT length = DragQueryFileW(drop_, i, nullptr, 0);
        std::wstring name(static_cast<size_t>(length) + 1, L'\0');
        const UINT got = DragQueryFileW(drop_, i, name.data(), length + 1);
        name.resize(got);
        if (!name.empty()) {
            names_.push_back(Utf8(name));
        }
    }
    DragQueryPoint(drop_, &point_);
}

DroppedFiles::~DroppedFiles() {
    if (drop_ != nullptr) {
        DragFinish(drop_);
    }
}

HDROP MakeDropFiles(const std::vector<std::string>& names, POINT point) {
    std::wstring list;
    for (const std::string& name : names) {
        list += Wide(name);
        list += L'\0';
    }
    list += L'\0';
    const size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (memory == nullptr) {
        return nullptr;
    }
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    if (header == nullptr) {
        GlobalFree(memory);
        return nullptr;
    }
    header->pFiles = sizeof(DROPFILES);
    header->pt = point;
    header->fNC = FALSE;
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(),
                list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

WaitCursor::WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {
    ++waitCursors;
}

WaitCursor::~WaitCursor() {
    --waitCursors;
    if (waitCursors == 0) {
        SetCursor(previous_);
    }
}

bool WaitCursor::Active() {
    return waitCursors > 0;
}

}  // namespace fw
