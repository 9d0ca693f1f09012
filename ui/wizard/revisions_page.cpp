#include "ui/wizard/revisions_page.h"

#include <algorithm>
#include <limits>
#include <string>

#include "framework/controls.h"
#include "framework/text_format.h"
#include "res/resource.h"

namespace ui {

namespace {

constexpr int kChoiceNone = 0;
constexpr int kChoiceUnlimited = 1;
constexpr int kChoiceLimited = 2;

// The count as the C library's atol reads the edit's text, taken as an unsigned number: text
// that is not a number is 0, a negative number counts as very large.
uint32_t CountOf(const std::string& text) {
    const int64_t number = fw::ParseLeadingNumber(text);
    if (number < 0 || number > std::numeric_limits<uint32_t>::max()) {
        return std::numeric_limits<uint32_t>::max();
    }
    return static_cast<uint32_t>(number);
}

// The arrows never reach the ends of their range: the count, not the arrows' position, is
// what counts.
constexpr int kArrowsMiddle = 50;

}  // namespace

CKRVRevisionsPage::CKRVRevisionsPage()
    : CKRVWizardPage(IDD_WIZARD_REVISIONS, IDC_REVISIONS_HEADING) {}

bool CKRVRevisionsPage::OnInitDialog() {
    CKRVWizardPage::OnInitDialog();
    choice_ = kChoiceLimited;
    count_ = 5;
    UpdateData(false);
    fw::Control(hwnd(), IDC_REVISIONS_SPIN).Enable(false);
    fw::Control(hwnd(), IDC_REVISIONS_SPIN).Send(UDM_SETPOS32, 0, kArrowsMiddle);
    OnCommand(IDC_REVISIONS_LIMITED, BN_CLICKED, Item(IDC_REVISIONS_LIMITED));
    return false;
}

void CKRVRevisionsPage::Exchange(fw::DataExchange& exchange) {
    exchange.Radio(IDC_REVISIONS_NONE, choice_);
    std::string text = std::to_string(count_);
    exchange.Text(IDC_REVISIONS_COUNT, text);
    if (exchange.pulling()) {
        count_ = CountOf(text);
    }
}

RevisionsChoice CKRVRevisionsPage::Choice() {
    UpdateData(true);
    switch (choice_) {
        case kChoiceLimited:
            return RevisionsChoice::Limited;
        case kChoiceNone:
            return RevisionsChoice::None;
        default:
            return RevisionsChoice::Unlimited;
    }
}

uint32_t CKRVRevisionsPage::Count() {
    UpdateData(true);
    // A field left empty while the user types counts as the lowest count.
    return LimitRevisionCount(count_);
}

void CKRVRevisionsPage::LimitCount() {
    UpdateData(true);
    count_ = LimitRevisionCount(count_);
    ShowCount();
}

void CKRVRevisionsPage::EnableCount(bool enable) const {
    fw::Control(hwnd(), IDC_REVISIONS_COUNT).Enable(enable);
    fw::Control(hwnd(), IDC_REVISIONS_SPIN).Enable(enable);
}

void CKRVRevisionsPage::ShowCount() {
    const fw::Edit edit(hwnd(), IDC_REVISIONS_COUNT);
    const std::string text = std::to_string(count_);
    if (edit.Text() == text) {
        return;
    }
    showing_ = true;
    edit.SetText(text);
    edit.Send(EM_SETSEL, text.size(), text.size());
    showing_ = false;
}

bool CKRVRevisionsPage::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED) {
        switch (id) {
            case IDC_REVISIONS_LIMITED:
                EnableCount(true);
                LimitCount();
                return true;
            case IDC_REVISIONS_NONE:
                EnableCount(false);
                LimitCount();
                return true;
            case IDC_REVISIONS_UNLIMITED:
                EnableCount(false);
                return true;
            default:
                break;
        }
    }
    if (id == IDC_REVISIONS_COUNT && code == EN_CHANGE) {
        if (!showing_) {
            CountEdited();
        }
        return true;
    }
    if (id == IDC_REVISIONS_COUNT && code == EN_KILLFOCUS) {
        LimitCount();
        return true;
    }
    return CKRVWizardPage::OnCommand(id, code, control);
}

// A count typed as 0 (or as text that is no number) becomes 1 at once, one of 99 or more 99.
// A field emptied with Backspace or Delete waits for the new number: it is put right when it
// loses the focus or the wizard reads it.
void CKRVRevisionsPage::CountEdited() {
    UpdateData(true);
    if (fw::Control(hwnd(), IDC_REVISIONS_COUNT).Text().empty()) {
        return;
    }
    count_ = LimitRevisionCount(count_);
    ShowCount();
}

bool CKRVRevisionsPage::OnNotify(NMHDR& header, LRESULT& result) {
    if (header.idFrom == IDC_REVISIONS_SPIN && header.code == UDN_DELTAPOS) {
        Stepped(reinterpret_cast<NMUPDOWN&>(header).iDelta);
        result = 0;  // the arrows may move
        return true;
    }
    return CKRVWizardPage::OnNotify(header, result);
}

// The arrows keep their default range, in which the upper one reports -1: it raises the count.
void CKRVRevisionsPage::Stepped(int delta) {
    const int64_t shown = fw::ParseLeadingNumber(fw::Control(hwnd(), IDC_REVISIONS_COUNT).Text());
    const int64_t value = std::clamp<int64_t>(shown - delta, 1, 99);
    count_ = static_cast<uint32_t>(value);
    ShowCount();
    PostMessageW(Item(IDC_REVISIONS_SPIN), UDM_SETPOS32, 0, kArrowsMiddle);
}

}  // namespace ui
