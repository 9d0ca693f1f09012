#include "ui/wizard/drive_page.h"

#include "drivekit/drive.h"
#include "engine/folder_sizes.h"
#include "framework/controls.h"
#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"
#include "ui/common/dpi_picture.h"
#include "ui/common/drawing.h"
#include "ui/wizard/setup_model.h"

namespace ui {

namespace {

// The chart: the free share in magenta, the rest in blue.
constexpr COLORREF kFreeColour = RGB(255, 0, 255);
constexpr COLORREF kUsedColour = RGB(0, 0, 255);

std::string Megabytes(uint64_t bytes) {
    return std::to_string(engine::Megabytes(bytes));
}

}  // namespace

std::string FreeSpaceText(bool hasDisk, uint64_t freeBytes) {
    return fw::FormatText(fw::LoadText(IDS_FREE_SPACE),
                          {engine::FreeMegabytesText(hasDisk, freeBytes)});
}

CKRVDrivePage::CKRVDrivePage(ShellServices& shell)
    : CKRVWizardPage(IDD_WIZARD_DRIVE, IDC_DRIVE_HEADING), shell_(shell), list_(shell.drives()) {}

bool CKRVDrivePage::OnInitDialog() {
    CKRVWizardPage::OnInitDialog();
    list_.Attach(hwnd(), IDC_DRIVE_LIST);
    pie_.SubclassItem(hwnd(), IDC_DRIVE_PIE);
    pie_.SetColours(kFreeColour, kUsedColour);
    SetTimer(hwnd(), kRefreshTimer, kRefreshMs, nullptr);
    fw::Control(hwnd(), IDC_DRIVE_PIE).Show(false);
    const UINT dpi = DpiOf(hwnd());
    ShowPictureForDpi(hwnd(), IDC_DRIVE_USED_LEGEND, dpi, IDB_LEGEND_USED, L"IDB_LEGEND_USED",
                      {8, 8});
    ShowPictureForDpi(hwnd(), IDC_DRIVE_FREE_LEGEND, dpi, IDB_LEGEND_FREE, L"IDB_LEGEND_FREE",
                      {8, 8});
    ShowLegends(false);
    driveText_.clear();
    usedText_.clear();
    freeText_.clear();
    UpdateData(false);
    return false;
}

void CKRVDrivePage::Exchange(fw::DataExchange& exchange) {
    exchange.Text(IDC_DRIVE_FREE_SPACE, freeSpace_);
    exchange.Text(IDC_DRIVE_TEXT, driveText_);
    exchange.Text(IDC_DRIVE_USED_TEXT, usedText_);
    exchange.Text(IDC_DRIVE_FREE_TEXT, freeText_);
}

void CKRVDrivePage::ShowLegends(bool show) const {
    fw::Control(hwnd(), IDC_DRIVE_USED_LEGEND).Show(show);
    fw::Control(hwnd(), IDC_DRIVE_FREE_LEGEND).Show(show);
}

void CKRVDrivePage::RefreshDrives() {
    engine::SharedDrives& drives = shell_.drives();
    {
        std::lock_guard lock(drives.mutex);
        drives.RebuildLocked();
    }
    // The drive selected before is selected again when it is still there, whatever its row.
    list_.FillDrives();
}

void CKRVDrivePage::SelectDriveByLetter(char letter) {
    list_.SelectDriveByLetter(letter);
}

void CKRVDrivePage::SetFreeSpaceText(const std::string& text) {
    freeSpace_ = text;
    fw::SetText(Item(IDC_DRIVE_FREE_SPACE), text);
}

void CKRVDrivePage::OnPageActivate() {
    RefreshDrives();
    rootPath_ = list_.SelectedRootPath();
    drvKit::Drive drive = rootPath_.empty() ? drvKit::Drive() : drvKit::Drive(rootPath_[0]);
    const DiskFigures disk = ReadDiskFigures(drive);
    const fw::Control pie(hwnd(), IDC_DRIVE_PIE);
    const std::string usedPattern = fw::LoadText(IDS_USED_SPACE);
    const std::string freePattern = fw::LoadText(IDS_FREE_SPACE);
    if (disk.hasDisk && disk.sizesUnavailable) {
        pie_.SetPercent(0);
        pie.Show(true);
        freeSpace_ = fw::FormatText(freePattern, {"0"});
        driveText_.clear();
        ShowLegends(true);
        usedText_ = fw::FormatText(usedPattern, {"0"});
        freeText_ = freeSpace_;
    } else if (disk.hasDisk) {
        freeSpace_ = fw::FormatText(freePattern, {Megabytes(disk.freeBytes)});
        // A disk whose capacity is not known gets no chart, only its figures.
        const std::optional<int> share = FreeSharePercent(disk);
        pie_.SetPercent(share.value_or(0));
        pie.Show(share.has_value());
        driveText_ = fw::LoadText(IDS_DRIVE_PREFIX) + rootPath_;
        ShowLegends(true);
        usedText_ = fw::FormatText(usedPattern, {Megabytes(disk.usedBytes)});
        freeText_ = freeSpace_;
    } else {
        pie.Show(false);
        freeSpace_ = FreeSpaceText(false, 0);
        driveText_.clear();
        usedText_.clear();
        freeText_.clear();
        ShowLegends(false);
    }
    UpdateData(false);
}

bool CKRVDrivePage::OnCommand(int id, int code, HWND control) {
    if (id == IDC_DRIVE_LIST && code == LBN_SELCHANGE) {
        userChose_ = true;
        OnPageActivate();
        return true;
    }
    return CKRVWizardPage::OnCommand(id, code, control);
}

bool CKRVDrivePage::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message == WM_TIMER && wParam == kRefreshTimer) {
        // The timer runs for the wizard's whole life; it acts only while this page shows.
        if (IsCurrent()) {
            OnPageActivate();
        }
        result = 0;
        return true;
    }
    if (message == WM_DESTROY) {
        KillTimer(hwnd(), kRefreshTimer);
    }
    return false;
}

}  // namespace ui
