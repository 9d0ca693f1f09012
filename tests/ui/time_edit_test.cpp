// The time edit and its spin on the Scheduling page's controls, driven with key presses, focus
// changes and clicks on the spin's arrows.

#include "ui/common/time_edit.h"

#include <gtest/gtest.h>

#include "framework/text.h"
#include "res/resource.h"
#include "tests/ui/controls_fixture.h"
#include "tests/ui/dialog_driver.h"

namespace ui {
namespace {

const LocaleTimeFormat k24Hours{"HH:mm:ss", "", ""};
const LocaleTimeFormat k12Hours{"h:mm:ss tt", "AM", "PM"};

class TimeEdit : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }
    void TearDown() override { test::HoldKeys({}); }

    // The edit on the page, with the focus, showing 17:30.
    void Show(CKRVTimeEdit& edit) {
        ASSERT_TRUE(edit.Attach(host.page(), IDC_SCHEDULE_TIME, IDC_SCHEDULE_TIME_SPIN));
        edit.SetTime(17, 30);
        SetFocus(edit.hwnd());
    }
    std::string Text() const { return fw::GetText(host.Item(IDC_SCHEDULE_TIME)); }
    std::pair<DWORD, DWORD> Selection() const {
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(host.Item(IDC_SCHEDULE_TIME), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
    void Press(UINT key) { test::PressKey(host.Item(IDC_SCHEDULE_TIME), key); }
    // A click on the spin's upper or lower arrow.
    void ClickSpin(bool up) {
        const HWND spin = host.Item(IDC_SCHEDULE_TIME_SPIN);
        RECT rect = {};
        GetClientRect(spin, &rect);
        const LPARAM at = MAKELPARAM(rect.right / 2, up ? 2 : rect.bottom - 2);
        SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(spin, WM_LBUTTONUP, 0, at);
    }

    test::PageHost host{IDD_SCHEDULING_PAGE};
};

TEST_F(TimeEdit, DigitsTypedIntoAFreshFieldMakeANewNumberOfTwoDigits) {
    CKRVTimeEdit edit(k24Hours);
    Show(edit);
    EXPECT_EQ(Text(), "17:30");
    EXPECT_EQ(Selection(), std::make_pair(DWORD{0}, DWORD{2}));
    Press('0');
    EXPECT_EQ(Text(), "00:30");
    Press('8');
    EXPECT_EQ(Text(), "08:30");
    Press('5');  // a third digit starts over
    EXPECT_EQ(Text(), "05:30");
    Press(VK_NUMPAD7);
    EXPECT_EQ(Text(), "57:30");
    EXPECT_EQ(Selection(), std::make_pair(DWORD{0}, DWORD{2}));
}

TEST_F(TimeEdit, ArrowsChangeAndMoveBetweenTheFieldsWrappingAround) {
    CKRVTimeEdit edit(k24Hours);
    Show(edit);
    Press(VK_UP);
    EXPECT_EQ(Text(), "18:30");
    Press(VK_RIGHT);
    EXPECT_EQ(Selection(), std::make_pair(DWORD{3}, DWORD{5}));
    Press(VK_DOWN);
    Press(VK_NEXT);
    EXPECT_EQ(Text(), "18:28");
    Press(VK_RIGHT);  // from the last field to the first
    EXPECT_EQ(Selection(), std::make_pair(DWORD{0}, DWORD{2}));
    edit.SetTime(23, 59);
    Press(VK_UP);
    EXPECT_EQ(Text(), "00:59");
    Press(VK_LEFT);  // from the first field to the last
    Press(VK_PRIOR);
    EXPECT_EQ(Text(), "00:00");
    EXPECT_EQ(edit.ShownTime(), (settings::TimeOfDay{0, 0}));
}

TEST_F(TimeEdit, TwelveHoursShowTheDesignatorAndItsLetterSwitchesIt) {
    CKRVTimeEdit edit(k12Hours);
    Show(edit);
    EXPECT_EQ(edit.format(), "h:mm:ss tt");
    EXPECT_EQ(Text(), "05:30 PM");
    Press(VK_LEFT);
    EXPECT_EQ(Selection(), std::make_pair(DWORD{6}, DWORD{8}));
    Press('A');
    EXPECT_EQ(Text(), "05:30 AM");
    Press('P');
    EXPECT_EQ(Text(), "05:30 PM");
    Press(VK_UP);  // a choice wraps too
    EXPECT_EQ(Text(), "05:30 AM");
    Press(VK_RIGHT);
    edit.SetTime(12, 30);
    Press(VK_UP);
    EXPECT_EQ(Text(), "01:30 PM");
    edit.SetTime(0, 30);
    EXPECT_EQ(Text(), "12:30 AM");
    EXPECT_EQ(edit.ShownTime(), (settings::TimeOfDay{0, 30}));
}

TEST_F(TimeEdit, ALocaleThatCannotShowTheHourFaithfullyGetsTwentyFourHours) {
    CKRVTimeEdit edit(LocaleTimeFormat{"h:mm tt", "", ""});
    Show(edit);
    EXPECT_EQ(edit.format(), "HH:mm");
    EXPECT_EQ(Text(), "17:30");
    EXPECT_EQ(edit.ShownTime(), (settings::TimeOfDay{17, 30}));
}

TEST_F(TimeEdit, ANumberTypedOutOfRangeIsClampedWhenTheFocusLeaves) {
    CKRVTimeEdit edit(k24Hours);
    Show(edit);
    Press(VK_RIGHT);
    Press('7');
    Press('5');
    EXPECT_EQ(Text(), "17:75");
    EXPECT_EQ(edit.ShownTime(), (settings::TimeOfDay{17, 59}));
    SetFocus(host.Item(IDC_SCHEDULE_COPY_CHANGED));
    EXPECT_EQ(Text(), "17:59");
}

TEST_F(TimeEdit, TheSpinsArrowsChangeTheSelectedFieldAndBringTheFocus) {
    CKRVTimeEdit edit(k24Hours);
    Show(edit);
    Press(VK_RIGHT);
    SetFocus(host.Item(IDC_SCHEDULE_COPY_CHANGED));
    ClickSpin(true);
    EXPECT_EQ(GetFocus(), edit.hwnd());
    ClickSpin(true);
    ClickSpin(false);
    ClickSpin(true);
    // The minutes, which were selected when the edit lost the focus.
    EXPECT_EQ(Text(), "17:32");
}

TEST_F(TimeEdit, TheTextCannotBeTypedOverPastedOrCut) {
    CKRVTimeEdit edit(k24Hours);
    Show(edit);
    const HWND window = edit.hwnd();
    SendMessageW(window, WM_CHAR, 'x', 0);
    SendMessageW(window, WM_CHAR, VK_BACK, 0);
    Press(VK_DELETE);
    Press(VK_BACK);
    if (OpenClipboard(window)) {
        EmptyClipboard();
        const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 16);
        wcscpy(static_cast<wchar_t*>(GlobalLock(memory)), L"99:99");
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
    }
    SendMessageW(window, WM_PASTE, 0, 0);
    SendMessageW(window, WM_CUT, 0, 0);
    SendMessageW(window, WM_CLEAR, 0, 0);
    EXPECT_EQ(Text(), "17:30");
}

TEST_F(TimeEdit, TabIntoTheEditSelectsAFieldNotTheWholeText) {
    CKRVTimeEdit edit(k24Hours);
    Show(edit);
    EXPECT_EQ(SendMessageW(edit.hwnd(), WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL, 0);
    EXPECT_NE(SendMessageW(edit.hwnd(), WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, 0);
    SetFocus(host.Item(IDC_SCHEDULE_COPY_CHANGED));
    SetFocus(edit.hwnd());
    const auto selection = Selection();
    EXPECT_EQ(selection.second - selection.first, 2u);
}

TEST_F(TimeEdit, TheUsersLocaleGivesAFormatThatShowsHoursAndMinutes) {
    const LocaleTimeFormat user = UserTimeFormat();
    EXPECT_FALSE(user.format.empty());
    CKRVTimeEdit edit;
    Show(edit);
    EXPECT_EQ(edit.ShownTime(), (settings::TimeOfDay{17, 30}));
}

}  // namespace
}  // namespace ui
