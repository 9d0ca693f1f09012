#include "ui/wizard/review_page.h"

#include "framework/application.h"
#include "framework/controls.h"
#include "framework/gdi.h"
#include "framework/text.h"
#include "res/resource.h"
#include "ui/common/drawing.h"

namespace ui {

namespace {

constexpr int kFolderColumnWidth = 215;
// The icons' size at 96 dots per inch; they grow with the screen's scale like the page.
constexpr int kIconSize = 32;

void DrawIconAt(HDC dc, int iconId, const RECT& place, int size) {
    if (iconId == 0) {
        return;
    }
    const auto icon =
        static_cast<HICON>(LoadImageW(fw::Application::ResourceInstance(), MAKEINTRESOURCEW(iconId),
                                      IMAGE_ICON, size, size, LR_SHARED));
    if (icon != nullptr) {
        DrawIconEx(dc, place.left, place.top, icon, size, size, 0, nullptr, DI_NORMAL);
    }
}

}  // namespace

CKRVReviewPage::CKRVReviewPage() : CKRVWizardPage(IDD_WIZARD_REVIEW, IDC_REVIEW_HEADING) {}

bool CKRVReviewPage::OnInitDialog() {
    CKRVWizardPage::OnInitDialog();
    fw::ListView(hwnd(), IDC_REVIEW_FOLDERS).InsertColumn(0, "Source List", kFolderColumnWidth);
    store_.SetTarget(fw::LoadText(IDS_STORE_ADDRESS));
    store_.Attach(hwnd(), IDC_REVIEW_STORE);
    return false;
}

void CKRVReviewPage::SetTexts(ReviewTexts texts) {
    texts_ = std::move(texts);
    if (IsCurrent()) {
        OnPageActivate();
    }
}

void CKRVReviewPage::OnPageActivate() {
    if (hwnd() == nullptr) {
        return;
    }
    const fw::ListView folders(hwnd(), IDC_REVIEW_FOLDERS);
    folders.DeleteAll();
    for (const std::string& folder : texts_.folders) {
        folders.InsertItem(folders.Count(), folder);
    }
    const std::pair<int, const std::string*> texts[] = {
        {IDC_REVIEW_REVISIONS, &texts_.revisions},
        {IDC_REVIEW_DISK_SENTENCE, &texts_.diskSentence},
        {IDC_REVIEW_ESTIMATE, &texts_.estimate},
        {IDC_REVIEW_VOLUME, &texts_.volumeName},
        {IDC_REVIEW_DRIVE_NAME, &texts_.driveName},
        {IDC_REVIEW_NO_TEXT, &texts_.dataText},
        {IDC_REVIEW_FREE_TEXT, &texts_.freeText},
    };
    for (const auto& [id, text] : texts) {
        fw::SetText(Item(id), *text);
    }
    fw::SetText(Item(IDC_REVIEW_FOLDERS_TEXT), "");
    InvalidateRect(hwnd(), nullptr, TRUE);
}

bool CKRVReviewPage::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != WM_PAINT) {
        return false;
    }
    fw::PaintDc paint(hwnd());
    PaintIcons(paint.get());
    result = 0;
    return true;
}

// The hidden controls 1091 and 1005 mark where the folders' icon and the drive's icon go.
void CKRVReviewPage::PaintIcons(HDC dc) const {
    const int size = ScaleToDpi(kIconSize, DpiOf(hwnd()));
    DrawIconAt(dc, IDI_SOURCE_FOLDERS, fw::Control(hwnd(), IDC_REVIEW_SOURCE_ICON).RectInParent(),
               size);
    DrawIconAt(dc, texts_.driveIcon, fw::Control(hwnd(), IDC_REVIEW_DRIVE_ICON).RectInParent(),
               size);
}

}  // namespace ui
