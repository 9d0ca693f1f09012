// The setup-done dialog (207) on real windows: its preset choice, what Finish opens, and that the
// choice to open the settings counts however the dialog is closed.

#include <gtest/gtest.h>

#include "framework/text.h"
#include "res/resource.h"
#include "tests/ui/dialog_driver.h"
#include "ui/wizard/setup_done.h"

namespace ui {
namespace {

class RecordingDoneDlg final : public CKRVSetupDoneDlg {
  public:
    using CKRVSetupDoneDlg::CKRVSetupDoneDlg;
    std::vector<std::string> opened;

  protected:
    void Open(const std::string& target) override { opened.push_back(target); }
};

class SetupDone : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }
    RecordingDoneDlg dialog{"C:\\Program Files\\Corvant\\index.html"};

    INT_PTR Run(std::function<void(HWND)> drive) {
        return test::DriveModal([&] { return dialog.DoModal(); }, std::move(drive));
    }
};

TEST_F(SetupDone, FinishingWithTheChoiceAsPresetOpensNothing) {
    bool exitChecked = false;
    bool bold = false;
    const INT_PTR result = Run([&](HWND window) {
        exitChecked = IsDlgButtonChecked(window, IDC_DONE_EXIT) == BST_CHECKED;
        bold = reinterpret_cast<HFONT>(SendDlgItemMessageW(window, IDC_DONE_HEADING, WM_GETFONT, 0,
                                                           0)) == CKRVBaseDlg::HeadingFont();
        test::Click(window, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(exitChecked);
    EXPECT_TRUE(bold);
    EXPECT_EQ(dialog.choice(), CKRVSetupDoneDlg::kExit);
    EXPECT_TRUE(dialog.opened.empty());
}

TEST_F(SetupDone, FinishOpensTheWebSiteOrTheManualBesideTheProgram) {
    Run([](HWND window) {
        test::Click(window, IDC_DONE_WEB_SITE);
        test::Click(window, IDOK);
    });
    EXPECT_EQ(dialog.opened, std::vector<std::string>{fw::LoadText(IDS_WEB_SITE_TARGET)});

    RecordingDoneDlg manual("C:\\Program Files\\Corvant\\index.html");
    test::DriveModal([&] { return manual.DoModal(); },
                     [](HWND window) {
                         test::Click(window, IDC_DONE_MANUAL);
                         test::Click(window, IDOK);
                     });
    EXPECT_EQ(manual.opened, std::vector<std::string>{"C:\\Program Files\\Corvant\\index.html"});
    EXPECT_EQ(FileBesideProgram("C:\\Program Files\\Corvant\\Ferrolin2.exe", "index.html"),
              "C:\\Program Files\\Corvant\\index.html");
}

// The settings open after the dialog, by the choice made: also when the dialog was closed with
// its close button rather than Finish.
TEST_F(SetupDone, TheSettingsChoiceCountsWhenTheDialogIsClosed) {
    const INT_PTR result = Run([](HWND window) {
        test::Click(window, IDC_DONE_CONTROL_PANEL);
        test::Click(window, IDC_CLOSE_BUTTON);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialog.choice(), CKRVSetupDoneDlg::kSettings);
    EXPECT_TRUE(dialog.opened.empty());
}

// The engine's view holds the prompt guard while the dialog shows (the tray then opens nothing
// behind it) and gives it back before the settings it asks for are opened; it shows even when
// another window holds the guard, and leaves that window's guard alone.
TEST_F(SetupDone, TheEnginesViewHoldsThePromptGuardOnlyWhileTheDialogShows) {
    engine::SharedState shared;
    SetupDoneView view("C:\\Program Files\\Corvant\\Ferrolin2.exe", shared);
    bool heldMeanwhile = false;
    const bool settings = test::DriveModal([&] { return view.ShowFinishPage(); },
                                           [&](HWND window) {
                                               heldMeanwhile = shared.promptActive;
                                               test::Click(window, IDC_DONE_CONTROL_PANEL);
                                               test::Click(window, IDOK);
                                           });
    EXPECT_TRUE(heldMeanwhile);
    EXPECT_TRUE(settings);
    EXPECT_FALSE(shared.promptActive);

    ASSERT_TRUE(shared.TryEnterPrompt());  // About, say
    bool shown = false;
    const bool none = test::DriveModal([&] { return view.ShowFinishPage(); },
                                       [&](HWND window) {
                                           shown = IsWindowVisible(window) != FALSE;
                                           test::Click(window, IDOK);
                                       });
    EXPECT_TRUE(shown);
    EXPECT_FALSE(none);
    EXPECT_TRUE(shared.promptActive) << "the other window's guard is kept";
}

}  // namespace
}  // namespace ui
