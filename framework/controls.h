#pragma once
// Thin wrappers over the controls the program uses: a window handle and the messages, by name.
// They do not own the control (the dialog does); ImageList owns its image list.

#include <string>
#include <string_view>
#include <vector>

#include "framework/text.h"

namespace fw {

class Control {
  public:
    Control() = default;
    explicit Control(HWND control) : hwnd_(control) {}
    Control(HWND dialog, int id) : hwnd_(GetDlgItem(dialog, id)) {}

    HWND hwnd() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr; }
    int Id() const { return GetDlgCtrlID(hwnd_); }

    void Enable(bool enable) const { EnableWindow(hwnd_, enable ? TRUE : FALSE); }
    bool IsEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
    void Show(bool show) const { ShowWindow(hwnd_, show ? SW_SHOW : SW_HIDE); }
    bool IsVisible() const { return IsWindowVisible(hwnd_) != FALSE; }
    std::string Text() const { return GetText(hwnd_); }
    void SetText(std::string_view text) const { fw::SetText(hwnd_, text); }
    void SetFont(HFONT font, bool redraw = true) const {
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
    }
    // The control's rectangle in its parent's client coordinates.
    RECT RectInParent() const;

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(hwnd_, message, wParam, lParam);
    }

  protected:
    HWND hwnd_ = nullptr;
};

class Button : public Control {
  public:
    using Control::Control;
    bool IsChecked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
    void SetCheck(bool checked) const { Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }
    // As if the user clicked it (BM_CLICK).
    void Click() const { Send(BM_CLICK); }
};

class Static : public Control {
  public:
    using Control::Control;
    void SetIcon(HICON icon) const { Send(STM_SETICON, reinterpret_cast<WPARAM>(icon)); }
    HICON Icon() const { return reinterpret_cast<HICON>(Send(STM_GETICON)); }
    void SetBitmap(HBITMAP bitmap) const {
        Send(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    }
};

class Edit : public Control {
  public:
    using Control::Control;
    void SetLimit(int characters) const { Send(EM_SETLIMITTEXT, static_cast<WPARAM>(characters)); }
    void SetReadOnly(bool readOnly) const { Send(EM_SETREADONLY, readOnly ? TRUE : FALSE); }
    void SelectAll() const { Send(EM_SETSEL, 0, -1); }
};

class ListBox : public Control {
  public:
    using Control::Control;
    int Add(std::string_view text) const;
    int Count() const { return static_cast<int>(Send(LB_GETCOUNT)); }
    std::string ItemText(int index) const;
    int Selection() const { return static_cast<int>(Send(LB_GETCURSEL)); }
    void Select(int index) const { Send(LB_SETCURSEL, static_cast<WPARAM>(index)); }
    void Reset() const { Send(LB_RESETCONTENT); }
};

class ComboBox : public Control {
  public:
    using Control::Control;
    int Add(std::string_view text) const;
    int Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }
    int Selection() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    void Select(int index) const { Send(CB_SETCURSEL, static_cast<WPARAM>(index)); }
};

class ListView : public Control {
  public:
    using Control::Control;
    int InsertColumn(int index, std::string_view title, int width, int format = LVCFMT_LEFT) const;
    void SetColumnWidth(int column, int width) const {
        Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
    }
    // Inserts a row (image -1: none) and returns its index, -1 on failure.
    int InsertItem(int index, std::string_view text, int image = -1) const;
    void SetItemText(int index, int column, std::string_view text) const;
    std::string ItemText(int index, int column = 0) const;
    int Count() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    void DeleteItem(int index) const { Send(LVM_DELETEITEM, static_cast<WPARAM>(index)); }
    void DeleteAll() const { Send(LVM_DELETEALLITEMS); }
    bool IsSelected(int index) const {
        return (Send(LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) &
                LVIS_SELECTED) != 0;
    }
    void SetSelected(int index, bool selected) const;
    int StringWidth(std::string_view text) const;
    void SetImageList(HIMAGELIST images, int which = LVSIL_SMALL) const {
        Send(LVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(images));
    }
    int ItemImage(int index) const;
    // The selected rows, in row order.
    std::vector<int> SelectedItems() const;
    // The row at a point of the client area, -1 for none.
    int HitTest(POINT client) const;
    // Marks a row as the target of a drag (LVIS_DROPHILITED) or clears the mark, and redraws it.
    void SetDropHighlighted(int index, bool highlighted) const;
    bool IsDropHighlighted(int index) const {
        return (Send(LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_DROPHILITED) &
                LVIS_DROPHILITED) != 0;
    }
};

class TreeView : public Control {
  public:
    using Control::Control;
    HTREEITEM InsertItem(HTREEITEM parent, std::string_view text, int image, int selectedImage,
                         LPARAM data, bool hasChildren) const;
    HTREEITEM Selection() const { return TreeView_GetSelection(hwnd_); }
    bool Select(HTREEITEM item) const { return TreeView_SelectItem(hwnd_, item) != FALSE; }
    HTREEITEM Child(HTREEITEM item) const { return TreeView_GetChild(hwnd_, item); }
    HTREEITEM Next(HTREEITEM item) const { return TreeView_GetNextSibling(hwnd_, item); }
    HTREEITEM Parent(HTREEITEM item) const { return TreeView_GetParent(hwnd_, item); }
    HTREEITEM Root() const { return TreeView_GetRoot(hwnd_); }
    LPARAM ItemData(HTREEITEM item) const;
    std::string ItemText(HTREEITEM item) const;
    void SetHasChildren(HTREEITEM item, bool hasChildren) const;
    // The has-children mark (the expand button) as the item has it now.
    bool HasChildrenMark(HTREEITEM item) const;
    int ItemImage(HTREEITEM item) const;
    bool Expand(HTREEITEM item) const { return TreeView_Expand(hwnd_, item, TVE_EXPAND) != FALSE; }
    bool IsExpanded(HTREEITEM item) const {
        return (TreeView_GetItemState(hwnd_, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    }
    void DeleteAll() const { TreeView_DeleteAllItems(hwnd_); }
    // The item at a point of the client area (on its label, icon or button), null for none.
    HTREEITEM HitTest(POINT client) const;
    // The item shown as the target of a drag; null clears the mark.
    void SetDropHighlight(HTREEITEM item) const;
    HTREEITEM DropHighlight() const;
    // An image of the item for dragging; the caller owns it (null when it cannot be made).
    HIMAGELIST CreateDragImage(HTREEITEM item) const;
    void SetImageList(HIMAGELIST images) const {
        TreeView_SetImageList(hwnd_, images, TVSIL_NORMAL);
    }
};

class UpDown : public Control {
  public:
    using Control::Control;
    void SetRange(int low, int high) const { Send(UDM_SETRANGE32, static_cast<WPARAM>(low), high); }
    void SetBuddy(HWND buddy) const { Send(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy)); }
};

class Progress : public Control {
  public:
    using Control::Control;
    void SetRange(int low, int high) const { Send(PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
    void SetPosition(int position) const { Send(PBM_SETPOS, static_cast<WPARAM>(position)); }
    int Position() const { return static_cast<int>(Send(PBM_GETPOS)); }
};

class Animation : public Control {
  public:
    using Control::Control;
    // Opens an AVI resource of the program's module, by number or by name.
    bool Open(UINT resourceId) const;
    bool Open(const wchar_t* resourceName) const;
    // Plays frames from..to (-1: the last) repeat times (-1: for ever).
    bool Play(int from = 0, int to = -1, int repeat = -1) const;
    void Stop() const { Send(ACM_STOP); }
    void Close() const { Send(ACM_OPEN, 0, 0); }
    bool IsPlaying() const { return Send(ACM_ISPLAYING) != FALSE; }
};

// A tooltip window for one owner; destroyed with the object.
class Tooltip {
  public:
    Tooltip() = default;
    Tooltip(const Tooltip&) = delete;
    Tooltip& operator=(const Tooltip&) = delete;
    ~Tooltip();

    bool Create(HWND owner);
    HWND hwnd() const { return hwnd_; }
    // One tool with this id covering rect of the window.
    bool AddTool(HWND window, UINT id, const RECT& rect, std::string_view text) const;
    void UpdateText(HWND window, UINT id, std::string_view text) const;
    // Hands a mouse message of the tool's window to the tooltip.
    void Relay(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;

  private:
    HWND hwnd_ = nullptr;
};

// An owned image list.
class ImageList {
  public:
    ImageList() = default;
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;
    ~ImageList() { Reset(); }

    // Images of width imageWidth cut from a bitmap of the program's resources; mask colour is
    // transparent.
    bool LoadBitmap(UINT bitmapId, int imageWidth, COLORREF mask);
    // The same from a bitmap named by name (as the larger art for screens of more dots per inch).
    bool LoadBitmap(const wchar_t* name, int imageWidth, COLORREF mask);
    HIMAGELIST get() const { return images_; }
    int Count() const { return images_ != nullptr ? ImageList_GetImageCount(images_) : 0; }
    void Reset();

  private:
    HIMAGELIST images_ = nullptr;
};

}  // namespace fw
