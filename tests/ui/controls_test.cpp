// The hyperlink: its colours, its hover state, what a click does, and the texts it shows when
// the shell cannot open its target.

#include "ui/common/hyperlink.h"

#include <gtest/gtest.h>

#include "framework/text.h"
#include "res/resource.h"
#include "tests/ui/dialog_driver.h"
#include "ui/common/base_dialog.h"

namespace ui {
namespace {

class Hyperlink : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }
};

TEST_F(Hyperlink, ShowsTheShellsReasonForEachErrorCode) {
    const std::string head = "Unable to open hyperlink:\n\n";
    EXPECT_EQ(HyperlinkErrorText(0), head + "The operating system is out\nof memory or resources.");
    EXPECT_EQ(HyperlinkErrorText(2), head + "The specified file was not found.");
    EXPECT_EQ(HyperlinkErrorText(5),
              head + "The operating system denied\naccess to the specified file.");
    EXPECT_EQ(HyperlinkErrorText(26), head + "A sharing violation occurred. ");
    EXPECT_EQ(HyperlinkErrorText(30),
              head +
                  "The DDE transaction could not\nbe completed because other DDE "
                  "transactions\nwere being processed.");
    EXPECT_EQ(HyperlinkErrorText(31), head +
                                          "There is no application associated\nwith the given "
                                          "filename extension.");
    EXPECT_EQ(HyperlinkErrorText(32), head + "The specified dynamic-link library was not found.");
    EXPECT_EQ(HyperlinkErrorText(7), head + "Unknown Error (7) occurred.");
    EXPECT_EQ(HyperlinkErrorText(-1), head + "Unknown Error (-1) occurred.");
}

// A link whose shell answers what the test says, and which shows its failure as the program does.
class ScriptedLink : public CKRVHyperLink {
  public:
    INT_PTR shellAnswer = 42;
    std::string opened;

  protected:
    INT_PTR Open(const std::string& target) override {
        opened = target;
        return shellAnswer;
    }
};

class LinkHost : public CKRVBaseDlg {
  public:
    LinkHost() : CKRVBaseDlg(IDD_DISK_FILLING) {}
    ScriptedLink link;

  protected:
    bool OnInitDialog() override {
        CKRVBaseDlg::OnInitDialog();
        link.Attach(hwnd(), IDC_DISK_FILLING_STORE);
        return true;
    }
};

void ClickLink(HWND link) {
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

TEST_F(Hyperlink, TakesItsTextAsTargetAndBecomesAClickableUnderlinedLink) {
    LinkHost host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    const HWND link = host.link.hwnd();
    EXPECT_EQ(host.link.target(), fw::LoadText(IDS_STORE_ADDRESS));
    EXPECT_NE(GetWindowLongW(link, GWL_STYLE) & SS_NOTIFY, 0);
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_TRUE(font.lfUnderline);
    EXPECT_NE(host.link.tooltip(), nullptr);
    EXPECT_EQ(host.link.TextColour(), CKRVHyperLink::kLinkColour);
    DestroyWindow(host.hwnd());
}

TEST_F(Hyperlink, AnOpenedTargetTurnsTheLinkToTheVisitedColour) {
    LinkHost host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    ClickLink(host.link.hwnd());
    EXPECT_EQ(host.link.opened, host.link.target());
    EXPECT_TRUE(host.link.visited());
    EXPECT_EQ(host.link.TextColour(), CKRVHyperLink::kVisitedColour);
    DestroyWindow(host.hwnd());
}

TEST_F(Hyperlink, HoveringChangesTheColourAndLeavingRestoresIt) {
    LinkHost host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    const HWND link = host.link.hwnd();
    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(host.link.hovering());
    EXPECT_EQ(host.link.TextColour(), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(GetCapture(), link);
    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(-5, 300));
    EXPECT_FALSE(host.link.hovering());
    EXPECT_NE(GetCapture(), link);
    EXPECT_EQ(host.link.TextColour(), CKRVHyperLink::kLinkColour);
    DestroyWindow(host.hwnd());
}

TEST_F(Hyperlink, ATargetThatDoesNotOpenIsReportedWithTheShellsReason) {
    LinkHost host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    host.link.shellAnswer = 26;
    std::string shown;
    test::DriveModal(
        [&] {
            ClickLink(host.link.hwnd());
            return 0;
        },
        [&](HWND box) {
            shown = test::ItemText(box, 0xFFFF);  // the message box's text
            SendMessageW(box, WM_COMMAND, IDOK, 0);
        });
    EXPECT_EQ(shown, "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    EXPECT_FALSE(host.link.visited());
    DestroyWindow(host.hwnd());
}

TEST_F(Hyperlink, ANewTargetUpdatesTheLink) {
    LinkHost host;
    ASSERT_TRUE(host.CreateModeless(nullptr));
    host.link.SetTarget("https://store.corvant.example/disks");
    ClickLink(host.link.hwnd());
    EXPECT_EQ(host.link.opened, "https://store.corvant.example/disks");
    DestroyWindow(host.hwnd());
}

}  // namespace
}  // namespace ui
