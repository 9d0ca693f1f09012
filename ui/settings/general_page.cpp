#include "ui/settings/general_page.h"

#include <mutex>

#include "drivekit/drive.h"
#include "framework/application.h"
#include "framework/controls.h"
#include "framework/text.h"
#include "res/resource.h"
#include "ui/common/base_dialog.h"
#include "ui/common/dpi_picture.h"
#include "ui/common/drawing.h"
#include "ui/common/drive_protection.h"
#include "ui/common/folder_picker.h"
#include "ui/settings/destination_disk.h"

namespace ui {

namespace {

constexpr UINT_PTR kRefreshTimer = 13;
constexpr UINT kRefreshMs = 15000;
constexpr COLORREF kPictureTransparent = RGB(255, 0, 255);

}  // namespace

CKRVMirrorGenPage::CKRVMirrorGenPage(ShellServices& shell)
    : fw::PropertyPage(IDD_GENERAL_PAGE), shell_(shell), driveList_(shell.drives()) {}

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
    return driveList_.hwnd() != nullptr ? driveList_.SelectedRootPath() : destination_;
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
    driveList_.Attach(hwnd(), IDC_GENERAL_DRIVES);
    if (!destination_.empty()) {
        driveList_.SelectDriveByLetter(destination_.front());
    }
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
    // Drawn for the page's scale: 32 pixels at 100 per cent, 48 and 64 at 150 and 200.
    protectionPicture_.Reset(
        isProtected ? LoadPictureForDpi(IDB_PROTECTED, L"IDB_PROTECTED", DpiOf(hwnd()), 0)
                    : LoadPictureForDpi(IDB_UNPROTECTED, L"IDB_UNPROTECTED", DpiOf(hwnd()), 0));
    InvalidateRect(hwnd(), nullptr, TRUE);
}

// A disk taken out while the page is open shows within 15 seconds; so does a drive that came
// or went.
void CKRVMirrorGenPage::RefreshDestination(bool fromTimer) {
    if (busy_) {
        return;
    }
    if (fromTimer) {
        {
            engine::SharedDrives& drives = shell_.drives();
            std::lock_guard lock(drives.mutex);
            drives.RebuildLocked();
        }
        // The drive chosen stays chosen while it is there.
        driveList_.FillDrives();
    }
    ShowDisk(SelectedDestination());
}

void CKRVMirrorGenPage::ChangeProtection(bool protect) {
    const std::string destination = SelectedDestination();
    busy_ = true;
    if (!destination.empty()) {
        drvKit::Drive drive(destination.front());
        if (drive.hasDisk()) {
            // What the dialog did is shown by the buttons and the picture below.
            CKRVDriveProtection protection(hwnd());
            if (protect) {
                (void)protection.protect(drive, true);
            } else {
                (void)protection.unprotect(drive, false, true, nullptr, nullptr);
            }
        }
    }
    ShowDisk(destination);
    busy_ = false;
}

void CKRVMirrorGenPage::EditSources() {
    os::FileSystem& files = shell_.machine().files;
    const std::vector<std::string> current = Sources();
    CKRVFolderPickerDlg picker(
        files, [this](std::wstring_view page) { shell_.OpenHelpPage(page); },
        current.empty() ? std::string() : current.front(), SourceDriveMask(files), hwnd());
    picker.selectedFolders = current;
    if (picker.DoModal() == IDOK) {
        FillSources(picker.selectedFolders);
    }
}

void CKRVMirrorGenPage::Paint() {
    fw::PaintDc paint(hwnd());
    const RECT place = fw::Control(hwnd(), IDC_GENERAL_PROTECTION_PICTURE).RectInParent();
    DrawTransparentBitmap(protectionPicture_.Get(), paint.get(), place.left, place.top,
                          kPictureTransparent);
}

bool CKRVMirrorGenPage::OnCommand(int id, int code, HWND control) {
    switch (id) {
        case IDC_GENERAL_DRIVES:
            if (code == LBN_SELCHANGE) {
                RefreshDestination(false);
                return true;
            }
            break;
        case IDC_GENERAL_ADD_REMOVE:
            if (code == BN_CLICKED) {
                EditSources();
                return true;
            }
            break;
        case IDC_GENERAL_PROTECT:
        case IDC_GENERAL_UNPROTECT:
            if (code == BN_CLICKED) {
                ChangeProtection(id == IDC_GENERAL_PROTECT);
                return true;
            }
            break;
        default:
            break;
    }
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
