#include "ui/settings/general_page.h"

#include "framework/application.h"
#include "framework/controls.h"
#include "framework/text.h"
#include "res/resource.h"
#include "ui/common/base_dialog.h"
#include "ui/common/drawing.h"
#include "ui/settings/destination_disk.h"

namespace ui {

namespace {

constexpr UINT_PTR kRefreshTimer = 13;
constexpr UINT kRefreshMs = 15000;
constexpr COLORREF kPictureTransparent = RGB(255, 0, 255);

}  // namespace

CKRVMirrorGenPage::CKRVMirrorGenPage(ShellServices& shell)
    : fw::PropertyPage(IDD_GENERAL_PAGE), shell_(shell) {}

void CKRVMirrorGenPage::SetValues(bool switchedOn, const std::vector<std::string>& sources,
                                  const std::string& destination) {
    switchIndex_ = switchedOn ? 0 : 1;
    sources_ = sources;
    destination_ = destination;
}

bool CKRVMirrorGenPage::switchedOn() {
    if (hwnd() != nullptr) {
        fw::DataExchange pull(hwnd(), true);
        pull.Radio(IDC_GENERAL_ON, switchIndex_);
    }
    return switchIndex_ == 0;
}

std::vector<std::string> CKRVMirrorGenPage::Sources() const {
    if (hwnd() == nullptr) {
        return sources_;
    }
    const fw::ListBox list(Item(IDC_GENERAL_SOURCES));
    std::vector<std::string> folders;
    for (int i = 0; i < list.Count(); ++i) {
        folders.push_back(list.ItemText(i));
    }
    return folders;
}

std::string CKRVMirrorGenPage::SelectedDestination() const {
    return destination_;
}

void CKRVMirrorGenPage::SelectSource(const std::string& folder) const {
    const fw::ListBox list(Item(IDC_GENERAL_SOURCES));
    for (int i = 0; i < list.Count(); ++i) {
        if (list.ItemText(i) == folder) {
            list.Select(i);
            return;
        }
    }
}

std::string CKRVMirrorGenPage::FreeSpaceText() const {
    return fw::GetText(Item(IDC_GENERAL_FREE_SPACE));
}

void CKRVMirrorGenPage::FillSources(const std::vector<std::string>& folders) const {
    const fw::ListBox list(Item(IDC_GENERAL_SOURCES));
    list.Reset();
    for (const std::string& folder : folders) {
        list.Add(folder);  // the list sorts them
    }
    if (list.Count() > 0) {
        list.Select(0);
    }
}

bool CKRVMirrorGenPage::OnInitDialog() {
    ShowDisk(destination_);
    FillSources(sources_);
    for (const int id : {IDC_GENERAL_HEADING_PROGRAM, IDC_GENERAL_HEADING_SOURCE,
                         IDC_GENERAL_HEADING_DESTINATION}) {
        CKRVBaseDlg::SetHeadingFont(Item(id));
    }
    SetTimer(hwnd(), kRefreshTimer, kRefreshMs, nullptr);
    return true;
}

void CKRVMirrorGenPage::Exchange(fw::DataExchange& exchange) {
    exchange.Radio(IDC_GENERAL_ON, switchIndex_);
    exchange.Text(IDC_GENERAL_FREE_SPACE, freeSpaceText_);
}

// The free space and the protection of the disk in the destination's drive: Protect or Unprotect
// with its picture, and the free megabytes ("??" without a disk).
void CKRVMirrorGenPage::ShowDisk(const std::string& destination) {
    const DestinationDisk disk = LookAtDestinationDisk(destination);
    freeSpaceText_ = ui::FreeSpaceText(fw::LoadText(IDS_FREE_SPACE), disk);
    fw::SetText(Item(IDC_GENERAL_FREE_SPACE), freeSpaceText_);
    const bool isProtected = disk.hasDisk && disk.isProtected;
    ShowWindow(Item(IDC_GENERAL_PROTECT), isProtected ? SW_HIDE : SW_SHOW);
    ShowWindow(Item(IDC_GENERAL_UNPROTECT), isProtected ? SW_SHOW : SW_HIDE);
    protectionPicture_.Reset(static_cast<HBITMAP>(LoadImageW(
        fw::Application::ResourceInstance(),
        MAKEINTRESOURCEW(isProtected ? IDB_PROTECTED : IDB_UNPROTECTED), IMAGE_BITMAP, 0, 0, 0)));
    InvalidateRect(hwnd(), nullptr, TRUE);
}

// The timer and a change of the chosen drive: the text follows the disk in the drive, so a disk
// taken out while the page is open shows within 15 seconds.
void CKRVMirrorGenPage::RefreshDestination(bool fromTimer) {
    if (busy_) {
        return;
    }
    const std::string destination = SelectedDestination();
    ShowDisk(destination);
    (void)fromTimer;
}

void CKRVMirrorGenPage::Paint() {
    fw::PaintDc paint(hwnd());
    const RECT place = fw::Control(hwnd(), IDC_GENERAL_PROTECTION_PICTURE).RectInParent();
    DrawTransparentBitmap(protectionPicture_.Get(), paint.get(), place.left, place.top,
                          kPictureTransparent);
}

bool CKRVMirrorGenPage::OnCommand(int id, int code, HWND control) {
    return fw::PropertyPage::OnCommand(id, code, control);
}

bool CKRVMirrorGenPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kRefreshTimer) {
                RefreshDestination(true);
                result = 0;
                return true;
            }
            break;
        case WM_PAINT:
            Paint();
            result = 0;
            return true;
        case WM_DESTROY:
            KillTimer(hwnd(), kRefreshTimer);
            break;
        default:
            break;
    }
    return fw::PropertyPage::OnMessage(message, wParam, lParam, result);
}

}  // namespace ui
