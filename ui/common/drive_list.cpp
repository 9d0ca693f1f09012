#include "ui/common/drive_list.h"

#include <algorithm>
#include <cctype>

#include "framework/application.h"
#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"
#include "ui/common/drawing.h"

namespace ui {

namespace {

// The row's size from the string table ("40" and "100"), in pixels at 96 DPI.
int RowMeasure(UINT id, int fallback) {
    const int64_t value = fw::ParseLeadingNumber(fw::LoadText(id));
    return value > 0 && value < 1000 ? static_cast<int>(value) : fallback;
}

char UpperLetter(char letter) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

// What a screen reader reads for a row: both lines, as the row shows them.
std::string AccessibleText(const DriveListRow& row) {
    if (row.volumeText.empty()) {
        return row.displayText;
    }
    return row.displayText + ", " + row.volumeText;
}

}  // namespace

CKRVDriveListBox::CKRVDriveListBox(engine::SharedDrives& drives) : drives_(drives) {}

CKRVDriveListBox::~CKRVDriveListBox() {
    ReleaseIcons();
}

bool CKRVDriveListBox::Attach(HWND dialog, int id) {
    // A new list box starts empty; it fills itself when first shown.
    rows_.clear();
    filled_ = false;
    hasRows_ = false;
    return SubclassItem(dialog, id);
}

int CKRVDriveListBox::RowHeight() const {
    return ScaleToDpi(RowMeasure(IDS_DRIVE_ROW_HEIGHT, 40), DpiOf(hwnd()));
}

int CKRVDriveListBox::IconSize() const {
    return ScaleToDpi(32, DpiOf(hwnd()));
}

int CKRVDriveListBox::FillDrives() {
    // The drive the user sees selected stays selected, if it is still there.
    const int selected = hwnd() != nullptr ? static_cast<int>(Send(LB_GETCURSEL)) : LB_ERR;
    if (selected >= 0 && selected < static_cast<int>(rows_.size()) &&
        !rows_[static_cast<size_t>(selected)].rootPath.empty()) {
        rememberedLetter_ = rows_[static_cast<size_t>(selected)].rootPath[0];
    }
    rows_.clear();
    {
        std::lock_guard lock(drives_.mutex);
        const int count = drives_.array.getCount();
        for (int i = 0; i < count; ++i) {
            const drvKit::Drive& drive = drives_.array[i];
            DriveListRow row;
            row.iconId = drive.getIcon(drvKit::kIconLarge);
            row.displayText = drive.getLabelText();
            row.volumeText = static_cast<size_t>(i) < drives_.volumeNames.size()
                                 ? drives_.volumeNames[static_cast<size_t>(i)]
                                 : std::string();
            row.rootPath = drive.getDrvRootPath();
            rows_.push_back(std::move(row));
        }
    }
    filled_ = true;
    hasRows_ = !rows_.empty();
    if (hwnd() == nullptr) {
        return static_cast<int>(rows_.size());
    }
    Send(WM_SETREDRAW, FALSE);
    Send(LB_RESETCONTENT);
    for (const DriveListRow& row : rows_) {
        const std::wstring text = fw::Wide(AccessibleText(row));
        Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    int index = -1;
    if (rememberedLetter_ != '\0') {
        const auto it = std::find_if(rows_.begin(), rows_.end(), [this](const DriveListRow& row) {
            return !row.rootPath.empty() && UpperLetter(row.rootPath[0]) == rememberedLetter_;
        });
        if (it != rows_.end()) {
            index = static_cast<int>(it - rows_.begin());
        }
    }
    Send(LB_SETCURSEL, static_cast<WPARAM>(index));
    Send(WM_SETREDRAW, TRUE);
    InvalidateRect(hwnd(), nullptr, TRUE);
    return static_cast<int>(rows_.size());
}

std::string CKRVDriveListBox::SelectedRootPath() const {
    if (hwnd() == nullptr) {
        return {};
    }
    const auto selected = static_cast<int>(Send(LB_GETCURSEL));
    if (selected < 0 || selected >= static_cast<int>(rows_.size())) {
        return {};
    }
    return rows_[static_cast<size_t>(selected)].rootPath;
}

int CKRVDriveListBox::SelectDriveByLetter(char letter) {
    if (!filled_) {
        FillDrives();
    }
    const char wanted = UpperLetter(letter);
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (!rows_[i].rootPath.empty() && UpperLetter(rows_[i].rootPath[0]) == wanted) {
            Send(LB_SETCURSEL, i);
            rememberedLetter_ = wanted;
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CKRVDriveListBox::Measure(MEASUREITEMSTRUCT& item) const {
    item.itemHeight = static_cast<UINT>(RowHeight());
    item.itemWidth =
        static_cast<UINT>(ScaleToDpi(RowMeasure(IDS_DRIVE_ROW_WIDTH, 100), DpiOf(hwnd())));
}

HICON CKRVDriveListBox::IconFor(int iconId) {
    if (iconId == 0) {
        return nullptr;
    }
    const int size = IconSize();
    for (const LoadedIcon& loaded : icons_) {
        if (loaded.id == iconId && loaded.size == size) {
            return loaded.icon;
        }
    }
    // Loaded at the size the screen needs, so the icon's own larger image is used where it has
    // one instead of a blurred enlargement.
    const auto icon =
        static_cast<HICON>(LoadImageW(fw::Application::ResourceInstance(), MAKEINTRESOURCEW(iconId),
                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (icon != nullptr) {
        icons_.push_back({iconId, size, icon});
    }
    return icon;
}

void CKRVDriveListBox::ReleaseIcons() {
    for (const LoadedIcon& loaded : icons_) {
        DestroyIcon(loaded.icon);
    }
    icons_.clear();
}

void CKRVDriveListBox::Draw(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= rows_.size()) {
        return;
    }
    const DriveListRow& row = rows_[item.itemID];
    const HDC dc = item.hDC;
    const UINT dpi = DpiOf(hwnd());
    const HWND parent = GetParent(hwnd());
    const auto font = reinterpret_cast<HFONT>(
        SendMessageW(parent != nullptr ? parent : hwnd(), WM_GETFONT, 0, 0));
    const HGDIOBJ oldFont = font != nullptr ? SelectObject(dc, font) : nullptr;

    const std::wstring display = fw::Wide(row.displayText);
    const std::wstring volume = fw::Wide(row.volumeText);
    SIZE textSize = {};
    GetTextExtentPoint32W(dc, display.c_str(), static_cast<int>(display.size()), &textSize);
    const int lineHeight = textSize.cy;

    RECT client = {};
    GetClientRect(hwnd(), &client);
    const RECT& r = item.rcItem;
    const int iconSize = IconSize();
    const int iconX = client.left + ScaleToDpi(4, dpi);
    const int iconY = (r.bottom - r.top) / 2 + r.top - iconSize / 2;
    const int textX = client.left + ScaleToDpi(44, dpi);
    const int textY = r.top + ScaleToDpi(5, dpi);

    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const COLORREF oldColour =
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, textX, textY, display.c_str(), static_cast<int>(display.size()));
    TextOutW(dc, textX, textY + lineHeight, volume.c_str(), static_cast<int>(volume.size()));
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);

    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = r;
        InflateRect(&focus, -2, -2);
        DrawFocusRect(dc, &focus);
    }
    if (oldFont != nullptr) {
        SelectObject(dc, oldFont);
    }
    if (const HICON icon = IconFor(row.iconId)) {
        DrawIconEx(dc, iconX, iconY, icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
    }
}

bool CKRVDriveListBox::OnReflected(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_MEASUREITEM:
            Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            result = TRUE;
            return true;
        case WM_DRAWITEM:
            Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            result = TRUE;
            return true;
        default:
            return false;
    }
}

LRESULT CKRVDriveListBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            // The list fills itself when it is first shown.
            if (!filled_) {
                FillDrives();
            }
            break;
        case WM_MEASUREITEM:
            // Also asked of the control itself, not only through its parent.
            Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DPICHANGED_AFTERPARENT:
            // New row heights and icon sizes for the new screen.
            ReleaseIcons();
            for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
                Send(LB_SETITEMHEIGHT, static_cast<WPARAM>(i), RowHeight());
            }
            InvalidateRect(hwnd(), nullptr, TRUE);
            break;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ui
