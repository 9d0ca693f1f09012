// The setup wizard itself with the keyboard alone: on each page, Tab visits the page's controls
// in reading order, each once (a group of radio buttons once), then the wizard's buttons, and
// comes back round.

#include <algorithm>
#include <vector>

#include "res/resource.h"
#include "tests/ui/wizard_fixture.h"

namespace ui::testing {
namespace {

class WizardKeyboard : public WizardTest {};

// The controls Tab visits from the focus (the focus first) until it comes back to it (at most 60
// steps), as the wizard's message loop hands the key to the dialog manager.
std::vector<HWND> TabRound(HWND wizard) {
    const HWND start = GetFocus();
    std::vector<HWND> visits = {start};
    for (int step = 0; step < 60; ++step) {
        MSG msg = {GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        IsDialogMessageW(wizard, &msg);
        if (GetFocus() == start) {
            break;
        }
        visits.push_back(GetFocus());
    }
    return visits;
}

int Count(const std::vector<HWND>& visits, HWND control) {
    return static_cast<int>(std::count(visits.begin(), visits.end(), control));
}

TEST_F(WizardKeyboard, TabGoesRoundEachPageAndTheWizardsButtons) {
    TestWizard& wizard = Open();
    // Each page's controls that take the focus, in reading order; a group of radio buttons by all
    // its buttons, of which Tab comes to one.
    const std::vector<std::vector<int>> pages = {{},
                                                 {},
                                                 {IDC_DRIVE_LIST},
                                                 {IDC_SOURCES_LIST, IDC_SOURCES_ADD_REMOVE},
                                                 {},
                                                 {IDC_REVIEW_FOLDERS},
                                                 {}};
    const std::vector<int> radios = {IDC_REVISIONS_NONE, IDC_REVISIONS_UNLIMITED,
                                     IDC_REVISIONS_LIMITED};
    for (int index = 0; index < 7; ++index) {
        ASSERT_EQ(wizard.GetActiveIndex(), index);
        const HWND page = wizard.Page(index)->hwnd();
        SetFocus(GetNextDlgTabItem(Window(), nullptr, FALSE));
        const std::vector<HWND> round = TabRound(Window());
        SCOPED_TRACE(::testing::Message() << "page " << index);
        ASSERT_LT(round.size(), 61u) << "Tab does not come back round";
        size_t last = 0;
        for (const int id : pages[index]) {
            const HWND control = GetDlgItem(page, id);
            EXPECT_EQ(Count(round, control), 1) << "control " << id;
            const size_t at = std::find(round.begin(), round.end(), control) - round.begin();
            EXPECT_GE(at, last) << "control " << id << " out of order";
            last = at;
        }
        if (index == 4) {
            int stops = 0;
            for (const int id : radios) {
                stops += Count(round, GetDlgItem(page, id));
            }
            EXPECT_EQ(stops, 1) << "the radio buttons' tab stops";
        }
        const int forward = index == 6 ? IDC_WIZARD_FINISH : IDC_WIZARD_NEXT;
        for (const int id : {IDC_WIZARD_HELP, forward, static_cast<int>(IDCANCEL)}) {
            EXPECT_EQ(Count(round, GetDlgItem(Window(), id)), 1) << "button " << id;
        }
        EXPECT_EQ(Count(round, GetDlgItem(Window(), IDC_WIZARD_BACK)), index == 0 ? 0 : 1);
        if (index < 6) {
            Next();
        }
    }
}

}  // namespace
}  // namespace ui::testing
