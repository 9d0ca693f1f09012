// The settings window itself with the keyboard alone: on each page, Tab visits the page's
// controls in reading order, each once (a group of radio buttons once), and the window's own
// buttons, and comes back round.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "res/resource.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/settings_test_shell.h"
#include "ui/settings/settings_dialog.h"

namespace ui {
namespace {

struct Visit {
    HWND parent;
    int id;
};

// The controls Tab visits from the focus (the focus first) until it comes back to it (at most 60
// steps), as the window's message loop hands the key to the dialog manager.
std::vector<Visit> TabRound(HWND dialog) {
    const HWND start = GetFocus();
    std::vector<Visit> visits = {{GetParent(start), GetDlgCtrlID(start)}};
    for (int step = 0; step < 60; ++step) {
        MSG msg = {GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        IsDialogMessageW(dialog, &msg);
        if (GetFocus() == start) {
            break;
        }
        visits.push_back({GetParent(GetFocus()), GetDlgCtrlID(GetFocus())});
    }
    return visits;
}

// How often Tab came to the control id of the window parent, and where first.
int Count(const std::vector<Visit>& visits, HWND parent, int id) {
    return static_cast<int>(std::count_if(visits.begin(), visits.end(), [&](const Visit& visit) {
        return visit.parent == parent && visit.id == id;
    }));
}
size_t Where(const std::vector<Visit>& visits, HWND parent, int id) {
    for (size_t i = 0; i < visits.size(); ++i) {
        if (visits[i].parent == parent && visits[i].id == id) {
            return i;
        }
    }
    return visits.size();
}

class SettingsKeyboard : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }
    void SetUp() override { shell.Configure(); }
    test::SettingsShell shell;
};

TEST_F(SettingsKeyboard, TabGoesRoundEachPageAndTheWindowsButtons) {
    // The page's controls that take the focus, in reading order (the group of radio buttons by
    // the one that is chosen: the window chooses On, the stored revisions and schedule).
    const std::vector<std::vector<int>> pages = {
        {IDC_GENERAL_ON, IDC_GENERAL_SOURCES, IDC_GENERAL_ADD_REMOVE, IDC_GENERAL_DRIVES},
        {IDC_ADVANCED_TRAY_ICON, IDC_ADVANCED_EXCLUSION, IDC_ADVANCED_WARN_NO_DISK,
         IDC_ADVANCED_WARN_FULL, IDC_ADVANCED_SHOW_PROGRESS},
        {}};  // the Scheduling page's other controls come and go with the schedule
    const int radios[][3] = {
        {IDC_GENERAL_ON, IDC_GENERAL_OFF, 0},
        {IDC_ADVANCED_NO_REVISIONS, IDC_ADVANCED_UNLIMITED, IDC_ADVANCED_LIMITED},
        {IDC_SCHEDULE_ON_SAVE, IDC_SCHEDULE_INTERVAL, IDC_SCHEDULE_DAYS}};
    test::DriveModal([&] { return RunSettings(shell); },
                     [&](HWND dialog) {
                         for (int index = 0; index < 3; ++index) {
                             const HWND page = test::SheetPage(dialog, index);
                             PropSheet_SetCurSel(GetParent(page), nullptr, index);
                             SetFocus(GetNextDlgTabItem(page, nullptr, FALSE));
                             const std::vector<Visit> round = TabRound(dialog);
                             testing::Message trace;
                             trace << "page " << index << ", Tab visits:";
                             for (const Visit& visit : round) {
                                 trace << " "
                                       << (visit.parent == page     ? "page."
                                           : visit.parent == dialog ? "window."
                                                                    : "other.")
                                       << visit.id;
                             }
                             SCOPED_TRACE(trace);
                             EXPECT_GT(round.size(), 1u);
                             EXPECT_LT(round.size(), 61u) << "Tab does not come back round";
                             size_t last = 0;
                             for (const int id : pages[index]) {
                                 EXPECT_EQ(Count(round, page, id), 1) << "control " << id;
                                 const size_t at = Where(round, page, id);
                                 EXPECT_GE(at + 1, last) << "control " << id << " out of order";
                                 last = at + 1;
                             }
                             int radioStops = 0;
                             for (const int id : radios[index]) {
                                 radioStops += id != 0 ? Count(round, page, id) : 0;
                             }
                             EXPECT_EQ(radioStops, 1) << "the radio buttons' tab stops";
                             for (const int id : {IDOK, IDCANCEL, IDC_SETTINGS_HELP}) {
                                 EXPECT_EQ(Count(round, dialog, id), 1) << "button " << id;
                             }
                         }
                         test::Click(dialog, IDCANCEL);
                     });
}

}  // namespace
}  // namespace ui
