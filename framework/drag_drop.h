#pragma once
// Dragging inside a window with an image that follows the cursor, files dropped from the shell,
// and the wait cursor of a long operation.

#include <string>
#include <vector>

#include "framework/windows_api.h"

namespace fw {

// The image list drag: an image made from a tree item (or given), shown over a window while the
// mouse moves, hidden while the window under it repaints. The image list is owned and replaced
// at each Begin.
class DragImage {
  public:
    DragImage() = default;
    DragImage(const DragImage&) = delete;
    DragImage& operator=(const DragImage&) = delete;
    ~DragImage();

    // Takes ownership of images and starts the drag with the hot spot in image pixels; false
    // (and nothing started) when there is no image.
    bool Begin(HIMAGELIST images, POINT hotSpot);
    // Shows the image over lockWindow (null: the desktop) at a point of that window's client
    // area (the desktop's client area is the screen).
    void Enter(HWND lockWindow, POINT point);
    void Move(POINT point) const;
    // Hides or shows the image, so a window can repaint under it without leaving traces.
    void Show(bool show) const;
    // Leaves the lock window and ends the drag; the image list stays until the next Begin.
    void End();
    bool dragging() const { return dragging_; }

  private:
    void Release();

    HIMAGELIST images_ = nullptr;
    HWND lockWindow_ = nullptr;
    bool dragging_ = false;
    bool entered_ = false;
};

// The files of one WM_DROPFILES message; finishes the drop when it goes.
class DroppedFiles {
  public:
    explicit DroppedFiles(HDROP drop);
    DroppedFiles(const DroppedFiles&) = delete;
    DroppedFiles& operator=(const DroppedFiles&) = delete;
    ~DroppedFiles();

    // Full names of any length, in the order the shell gave them.
    const std::vector<std::string>& names() const { return names_; }
    // Where the files were dropped, in the client coordinates of the window that took them.
    POINT point() const { return point_; }

  private:
    HDROP drop_;
    std::vector<std::string> names_;
    POINT point_ = {};
};

// Builds the block of a WM_DROPFILES message as the shell does (for tests and for a window that
// hands files on): the names, a drop point in client coordinates. Global memory the receiver
// releases with DragFinish; null when it cannot be made.
HDROP MakeDropFiles(const std::vector<std::string>& names, POINT point);

// The hourglass for the scope; the cursor the window had comes back at the end.
class WaitCursor {
  public:
    WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor();

    // True while some WaitCursor of this thread lives; a window's WM_SETCURSOR then keeps the
    // hourglass.
    static bool Active();

  private:
    HCURSOR previous_;
};

}  // namespace fw
