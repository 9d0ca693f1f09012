#include "framework/controls.h"

#include <vector>

#include "framework/application.h"

namespace fw {

RECT Control::RectInParent() const {
    RECT rect = {};
    GetWindowRect(hwnd_, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int ListBox::Add(std::string_view text) const {
    const std::wstring wide = Wide(text);
    return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

std::string ListBox::ItemText(int index) const {
    const LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    return Utf8(text);
}

int ComboBox::Add(std::string_view text) const {
    const std::wstring wide = Wide(text);
    return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int ListView::InsertColumn(int index, std::string_view title, int width, int format) const {
    std::wstring wide = Wide(title);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_FMT | (width >= 0 ? LVCF_WIDTH : 0);
    column.fmt = format;
    column.cx = width;
    column.pszText = wide.data();
    return static_cast<int>(
        Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
}

int ListView::InsertItem(int index, std::string_view text, int image) const {
    std::wstring wide = Wide(text);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = index;
    item.iImage = image;
    item.pszText = wide.data();
    return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::SetItemText(int index, int column, std::string_view text) const {
    std::wstring wide = Wide(text);
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = wide.data();
    Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

std::string ListView::ItemText(int index, int column) const {
    // The list view copies at most the buffer's size; grow until the text fits.
    for (size_t size = 256; size <= 65536; size *= 4) {
        std::wstring text(size, L'\0');
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(size);
        const LRESULT got =
            Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        if (static_cast<size_t>(got) + 1 < size) {
            text.resize(static_cast<size_t>(got));
            return Utf8(text);
        }
    }
    return {};
}

void ListView::SetSelected(int index, bool selected) const {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int ListView::StringWidth(std::string_view text) const {
    const std::wstring wide = Wide(text);
    return static_cast<int>(Send(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int ListView::ItemImage(int index) const {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    if (!Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
        return -1;
    }
    return item.iImage;
}

std::vector<int> ListView::SelectedItems() const {
    std::vector<int> selected;
    int index = -1;
    for (;;) {
        index = static_cast<int>(
            Send(LVM_GETNEXTITEM, static_cast<WPARAM>(index), MAKELPARAM(LVNI_SELECTED, 0)));
        if (index < 0) {
            return selected;
        }
        selected.push_back(index);
    }
}

int ListView::HitTest(POINT client) const {
    LVHITTESTINFO hit = {};
    hit.pt = client;
    const auto index = static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (hit.flags & LVHT_ONITEM) != 0 ? index : -1;
}

void ListView::SetDropHighlighted(int index, bool highlighted) const {
    LVITEMW item = {};
    item.stateMask = LVIS_DROPHILITED;
    item.state = highlighted ? LVIS_DROPHILITED : 0;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    if (index >= 0) {
        Send(LVM_REDRAWITEMS, static_cast<WPARAM>(index), index);
    }
}

HTREEITEM TreeView::InsertItem(HTREEITEM parent, std::string_view text, int image,
                               int selectedImage, LPARAM data, bool hasChildren) const {
    std::wstring wide = Wide(text);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = wide.data();
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.lParam = data;
    insert.item.cChildren = hasChildren ? 1 : 0;
    return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

LPARAM TreeView::ItemData(HTREEITEM item) const {
    TVITEMW query = {};
    query.mask = TVIF_PARAM | TVIF_HANDLE;
    query.hItem = item;
    if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) {
        return 0;
    }
    return query.lParam;
}

std::string TreeView::ItemText(HTREEITEM item) const {
    std::wstring text(1024, L'\0');
    TVITEMW query = {};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = item;
    query.pszText = text.data();
    query.cchTextMax = static_cast<int>(text.size());
    if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) {
        return {};
    }
    text.resize(wcslen(text.c_str()));
    return Utf8(text);
}

void TreeView::SetHasChildren(HTREEITEM item, bool hasChildren) const {
    TVITEMW change = {};
    change.mask = TVIF_CHILDREN | TVIF_HANDLE;
    change.hItem = item;
    change.cChildren = hasChildren ? 1 : 0;
    Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

bool TreeView::HasChildrenMark(HTREEITEM item) const {
    TVITEMW query = {};
    query.mask = TVIF_CHILDREN | TVIF_HANDLE;
    query.hItem = item;
    if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) {
        return false;
    }
    return query.cChildren != 0;
}

int TreeView::ItemImage(HTREEITEM item) const {
    TVITEMW query = {};
    query.mask = TVIF_IMAGE | TVIF_HANDLE;
    query.hItem = item;
    if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) {
        return -1;
    }
    return query.iImage;
}

void TreeView::SetDropHighlight(HTREEITEM item) const {
    const HTREEITEM previous = TreeView_GetDropHilight(hwnd_);
    TreeView_SelectDropTarget(hwnd_, item);
    // Some tree controls (Wine's) keep the old target when asked for none: its mark goes anyway.
    if (item == nullptr && previous != nullptr) {
        TreeView_SetItemState(hwnd_, previous, 0, TVIS_DROPHILITED);
    }
}

HTREEITEM TreeView::DropHighlight() const {
    const HTREEITEM item = TreeView_GetDropHilight(hwnd_);
    if (item == nullptr ||
        (TreeView_GetItemState(hwnd_, item, TVIS_DROPHILITED) & TVIS_DROPHILITED) == 0) {
        return nullptr;
    }
    return item;
}

HIMAGELIST TreeView::CreateDragImage(HTREEITEM item) const {
    HIMAGELIST image = TreeView_CreateDragImage(hwnd_, item);
    if (image != nullptr && ImageList_GetImageCount(image) > 0) {
        return image;
    }
    // A tree control that makes no picture of the item (Wine's makes an empty one): the item's
    // own image from the tree's image list.
    if (image != nullptr) {
        ImageList_Destroy(image);
    }
    const HIMAGELIST images = TreeView_GetImageList(hwnd_, TVSIL_NORMAL);
    const int index = ItemImage(item);
    if (images == nullptr || index < 0) {
        return nullptr;
    }
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(images, &width, &height);
    image = ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 1, 1);
    const HICON icon = ImageList_GetIcon(images, index, ILD_NORMAL);
    if (image == nullptr || icon == nullptr || ImageList_AddIcon(image, icon) < 0) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
        if (image != nullptr) {
            ImageList_Destroy(image);
        }
        return nullptr;
    }
    DestroyIcon(icon);
    return image;
}

HTREEITEM TreeView::HitTest(POINT client) const {
    TVHITTESTINFO hit = {};
    hit.pt = client;
    const HTREEITEM item = TreeView_HitTest(hwnd_, &hit);
    return (hit.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON)) != 0 ? item : nullptr;
}

bool Animation::Open(UINT resourceId) const {
    return Open(MAKEINTRESOURCEW(resourceId));
}

bool Animation::Open(const wchar_t* resourceName) const {
    return Send(ACM_OPENW, reinterpret_cast<WPARAM>(Application::ResourceInstance()),
                reinterpret_cast<LPARAM>(resourceName)) != FALSE;
}

bool Animation::Play(int from, int to, int repeat) const {
    return Send(ACM_PLAY, static_cast<WPARAM>(repeat),
                MAKELPARAM(static_cast<WORD>(from), static_cast<WORD>(to))) != FALSE;
}

Tooltip::~Tooltip() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
}

bool Tooltip::Create(HWND owner) {
    if (hwnd_ != nullptr) {
        return false;
    }
    hwnd_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                            Application::ResourceInstance(), nullptr);
    return hwnd_ != nullptr;
}

bool Tooltip::AddTool(HWND window, UINT id, const RECT& rect, std::string_view text) const {
    std::wstring wide = Wide(text);
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = 0;
    tool.hwnd = window;
    tool.uId = id;
    tool.rect = rect;
    tool.lpszText = wide.data();
    return SendMessageW(hwnd_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}

void Tooltip::UpdateText(HWND window, UINT id, std::string_view text) const {
    std::wstring wide = Wide(text);
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = window;
    tool.uId = id;
    tool.lpszText = wide.data();
    SendMessageW(hwnd_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Tooltip::Relay(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    if (hwnd_ == nullptr) {
        return;
    }
    MSG relayed = {};
    relayed.hwnd = window;
    relayed.message = message;
    relayed.wParam = wParam;
    relayed.lParam = lParam;
    relayed.time = GetMessageTime();
    const DWORD position = GetMessagePos();
    relayed.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    SendMessageW(hwnd_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

bool ImageList::LoadBitmap(UINT bitmapId, int imageWidth, COLORREF mask) {
    return LoadBitmap(MAKEINTRESOURCEW(bitmapId), imageWidth, mask);
}

bool ImageList::LoadBitmap(const wchar_t* name, int imageWidth, COLORREF mask) {
    Reset();
    images_ = ImageList_LoadImageW(Application::ResourceInstance(), name, imageWidth, 1, mask,
                                   IMAGE_BITMAP, LR_CREATEDIBSECTION);
    return images_ != nullptr;
}

void ImageList::Reset() {
    if (images_ != nullptr) {
        ImageList_Destroy(images_);
        images_ = nullptr;
    }
}

}  // namespace fw
