#include "ui/wizard/simple_pages.h"

#include "framework/application.h"
#include "framework/controls.h"
#include "res/resource.h"
#include "ui/common/dpi_picture.h"
#include "ui/common/drawing.h"

namespace ui {

namespace {

// The picture's pixels of this colour are not drawn: the page shows through.
constexpr COLORREF kTransparent = RGB(255, 0, 255);

}  // namespace

CKRVIntroPage::CKRVIntroPage() : CKRVWizardPage(IDD_WIZARD_INTRO, IDC_INTRO_HEADING) {}

bool CKRVIntroPage::OnInitDialog() {
    const bool result = CKRVWizardPage::OnInitDialog();
    // The picture may grow down to the foot of the page and right to the text.
    ShowPictureForDpi(hwnd(), IDC_INTRO_PICTURE, DpiOf(hwnd()), IDB_WELCOME, L"IDB_WELCOME",
                      {80, 163});
    return result;
}

CKRVDiskLabelPage::CKRVDiskLabelPage()
    : CKRVWizardPage(IDD_WIZARD_DISK_LABEL, IDC_DISK_LABEL_HEADING) {}

bool CKRVDiskLabelPage::OnInitDialog() {
    picture_.Reset(
        LoadPictureForDpi(IDB_DISK_LABEL, L"IDB_DISK_LABEL", DpiOf(hwnd()), LR_CREATEDIBSECTION));
    return CKRVWizardPage::OnInitDialog();
}

// The hidden control 1143 only marks where the picture goes.
bool CKRVDiskLabelPage::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != WM_PAINT) {
        return false;
    }
    fw::PaintDc paint(hwnd());
    const RECT place = fw::Control(hwnd(), IDC_DISK_LABEL_PICTURE).RectInParent();
    DrawTransparentBitmap(picture_.Get(), paint.get(), place.left, place.top, kTransparent);
    result = 0;
    return true;
}

CKRVCongratulationsPage::CKRVCongratulationsPage()
    : CKRVWizardPage(IDD_WIZARD_CONGRATULATIONS, IDC_CONGRATULATIONS_HEADING) {}

bool CKRVCongratulationsPage::OnInitDialog() {
    CKRVWizardPage::OnInitDialog();
    // The picture may grow down to the foot of the page and right to the text.
    ShowPictureForDpi(hwnd(), IDC_CONGRATULATIONS_PICTURE, DpiOf(hwnd()), IDB_CONGRATULATIONS,
                      L"IDB_CONGRATULATIONS", {80, 163});
    UpdateData(false);
    return false;
}

void CKRVCongratulationsPage::Exchange(fw::DataExchange& exchange) {
    exchange.Check(IDC_CONGRATULATIONS_TRAY_ICON, trayIcon_);
}

}  // namespace ui
