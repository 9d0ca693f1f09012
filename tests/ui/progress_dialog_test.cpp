// The copy progress dialog: it plays the animation, shows the names and closes at 100; Cancel
// ends it at once and tells the engine.

#include "ui/prompts/progress_dialog.h"

#include <gtest/gtest.h>

#include "framework/controls.h"
#include "os/win32/win32_clock.h"
#include "res/resource.h"
#include "tests/ui/dialog_driver.h"
#include "ui/prompts/prompt_views.h"

namespace ui {
namespace {

class ProgressDialog : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }
    os::win32::Win32Clock clock;
    engine::ProgressState state;
};

CKRVProgressDlg& DialogOf(HWND window) {
    return *static_cast<CKRVProgressDlg*>(fw::Window::FromHandle(window));
}

TEST_F(ProgressDialog, ClosesWithOneWhenTheCopyReachesOneHundred) {
    state.percent = 100;
    DialogProgressView view;
    bool playing = false;
    const int result = test::DriveModal([&] { return view.RunProgressDialog(state, clock); },
                                        [&](HWND window) {
                                            playing = DialogOf(window).animationPlaying();
                                            DialogOf(window).Tick();
                                        });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(playing);
    EXPECT_FALSE(state.cancelled);
}

TEST_F(ProgressDialog, ShowsTheFileItsFolderAndThePosition) {
    state.percent = 40;
    state.SetNames("C:\\Users\\Ana\\Reports\\Budget.xlsx", "F:\\Users\\Ana\\Reports\\Budget.xlsx");
    CKRVProgressDlg dialog(state, clock);
    std::string file;
    std::string fromTo;
    int position = -1;
    std::string time = "unset";
    test::DriveModal([&] { return dialog.DoModal(); },
                     [&](HWND window) {
                         dialog.Tick();
                         file = test::ItemText(window, IDC_PROGRESS_FILE);
                         fromTo = test::ItemText(window, IDC_PROGRESS_FROM_TO);
                         position = fw::Progress(window, IDC_PROGRESS_BAR).Position();
                         time = test::ItemText(window, IDC_PROGRESS_TIME);
                         state.percent = 100;
                         dialog.Tick();
                     });
    EXPECT_EQ(file, "Budget.xlsx");
    EXPECT_EQ(fromTo, "From 'Reports' to 'Reports'");
    EXPECT_EQ(position, 40);
    EXPECT_EQ(time, "");  // no estimate before ten seconds have passed
}

TEST_F(ProgressDialog, CountsTheFoldersComparedBeforeTheCopy) {
    state.percent = 0;
    state.comparing = true;
    state.foldersCompared = 1523;
    CKRVProgressDlg dialog(state, clock);
    std::string file;
    std::string fromTo = "unset";
    std::string copying;
    test::DriveModal([&] { return dialog.DoModal(); },
                     [&](HWND window) {
                         dialog.Tick();
                         file = test::ItemText(window, IDC_PROGRESS_FILE);
                         fromTo = test::ItemText(window, IDC_PROGRESS_FROM_TO);
                         state.comparing = false;
                         state.SetNames("C:\\Users\\Ana\\Budget.xlsx",
                                        "F:\\Users\\Ana\\Budget.xlsx");
                         dialog.Tick();
                         copying = test::ItemText(window, IDC_PROGRESS_FILE);
                         state.percent = 100;
                         dialog.Tick();
                     });
    EXPECT_EQ(file, "Comparing your folders with the backup disk: 1523 searched");
    EXPECT_EQ(fromTo, "");
    EXPECT_EQ(copying, "Budget.xlsx");
}

TEST_F(ProgressDialog, WithoutNamesTheTextsStayEmpty) {
    state.percent = 0;
    CKRVProgressDlg dialog(state, clock);
    std::string file = "unset";
    test::DriveModal([&] { return dialog.DoModal(); },
                     [&](HWND window) {
                         dialog.Tick();
                         file = test::ItemText(window, IDC_PROGRESS_FILE);
                         test::Click(window, IDCANCEL);
                     });
    EXPECT_EQ(file, "");
}

TEST_F(ProgressDialog, CancelEndsTheDialogAndTellsTheEngine) {
    state.percent = 30;
    DialogProgressView view;
    const int result = test::DriveModal([&] { return view.RunProgressDialog(state, clock); },
                                        [](HWND window) { test::Click(window, IDCANCEL); });
    EXPECT_EQ(result, 2);
    EXPECT_TRUE(state.cancelled);
    EXPECT_EQ(state.percent, 100u);
}

TEST_F(ProgressDialog, TheCloseButtonCancelsToo) {
    state.percent = 30;
    DialogProgressView view;
    const int result = test::DriveModal([&] { return view.RunProgressDialog(state, clock); },
                                        [](HWND window) { test::Click(window, IDC_CLOSE_BUTTON); });
    EXPECT_EQ(result, 2);
    EXPECT_TRUE(state.cancelled);
}

TEST_F(ProgressDialog, TheOnceASecondTimerClosesItWithoutHelp) {
    state.percent = 100;
    CKRVProgressDlg dialog(state, clock);
    const DWORD start = GetTickCount();
    const INT_PTR result = test::DriveModal([&] { return dialog.DoModal(); }, [](HWND) {});
    EXPECT_EQ(result, IDOK);
    EXPECT_LT(GetTickCount() - start, 5000u);
}

}  // namespace
}  // namespace ui
