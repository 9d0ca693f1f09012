// The setup wizard on real windows under Wine, driven with window messages: the page sequence
// with Back and the finishing button, the drive page's figures, what leaving the drive page
// stores, the source folders, the revisions count, the review, Help and Cancel.

#include <gtest/gtest.h>

#include "framework/text.h"
#include "res/resource.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/wizard_fixture.h"
#include "ui/wizard/run_setup.h"

namespace ui::testing {
namespace {

constexpr int kDrivePage = 2;
constexpr int kSourcePage = 3;
constexpr int kRevisionsPage = 4;
constexpr int kReviewPage = 5;
constexpr int kLastPage = 6;

TEST_F(WizardTest, PagesFollowEachOtherWithBackAndTheFinishingButton) {
    TestWizard& wizard = Open();
    ASSERT_EQ(wizard.PageCount(), 7);
    EXPECT_EQ(wizard.GetActiveIndex(), 0);
    EXPECT_FALSE(Enabled(IDC_WIZARD_BACK));
    EXPECT_TRUE(Visible(IDC_WIZARD_BACK));
    EXPECT_TRUE(Visible(IDC_WIZARD_NEXT));
    EXPECT_FALSE(Visible(IDC_WIZARD_FINISH));
    EXPECT_FALSE(Visible(IDC_WIZARD_PLACEHOLDER));

    // Exactly one page shows at a time, over the placeholder's place.
    for (int page = 0; page < kLastPage; ++page) {
        ASSERT_EQ(wizard.GetActiveIndex(), page);
        for (int other = 0; other < wizard.PageCount(); ++other) {
            EXPECT_EQ(wizard.Page(other)->IsCurrent(), other == page) << other << " on " << page;
        }
        Next();
    }
    EXPECT_EQ(wizard.GetActiveIndex(), kLastPage);
    EXPECT_FALSE(Visible(IDC_WIZARD_NEXT));
    EXPECT_TRUE(Visible(IDC_WIZARD_FINISH));
    EXPECT_EQ(GetFocus(), GetDlgItem(Window(), IDC_WIZARD_FINISH));
    EXPECT_EQ(LOWORD(SendMessageW(Window(), DM_GETDEFID, 0, 0)), IDC_WIZARD_FINISH);
    Next();  // Next on the last page does nothing more
    EXPECT_EQ(wizard.GetActiveIndex(), kLastPage);

    Click(IDC_WIZARD_BACK);
    EXPECT_EQ(wizard.GetActiveIndex(), kReviewPage);
    EXPECT_TRUE(Visible(IDC_WIZARD_NEXT));
    EXPECT_FALSE(Visible(IDC_WIZARD_FINISH));
    EXPECT_EQ(LOWORD(SendMessageW(Window(), DM_GETDEFID, 0, 0)), IDC_WIZARD_NEXT);
    for (int page = kReviewPage - 1; page >= 1; --page) {
        Click(IDC_WIZARD_BACK);
        EXPECT_EQ(wizard.GetActiveIndex(), page);
        EXPECT_TRUE(Enabled(IDC_WIZARD_BACK));
    }
    Click(IDC_WIZARD_BACK);
    EXPECT_EQ(wizard.GetActiveIndex(), 0);
    EXPECT_FALSE(Enabled(IDC_WIZARD_BACK));
    EXPECT_TRUE(Visible(IDC_WIZARD_HELP));
    EXPECT_TRUE(wizard.told.empty());
}

TEST_F(WizardTest, TheFinishingButtonActsAsNextBeforeTheLastPage) {
    TestWizard& wizard = Open();
    Click(IDC_WIZARD_FINISH);
    EXPECT_EQ(wizard.GetActiveIndex(), 1);
    EXPECT_NE(wizard.hwnd(), nullptr);
}

TEST_F(WizardTest, DrivePageShowsTheFreeSpaceAndTheChartOfTheSelectedDisk) {
    ASSERT_EQ(shell.sim.files().PutSparseFile("F:\\old.bin", 25 * kMb), 0u);
    TestWizard& wizard = Open();
    Next(kDrivePage);
    CKRVDrivePage& page = wizard.drivePage();
    ASSERT_EQ(page.list().rows().size(), 3u);
    EXPECT_EQ(page.SelectedRootPath(), "F:\\") << "the first drive to begin with";
    const std::string free = PageText(page, IDC_DRIVE_FREE_TEXT);
    EXPECT_EQ(PageText(page, IDC_DRIVE_FREE_SPACE), free);
    EXPECT_EQ(free.rfind("Free Space: ", 0), 0u) << free;
    EXPECT_EQ(PageText(page, IDC_DRIVE_TEXT), "Drive: F:\\");
    EXPECT_EQ(PageText(page, IDC_DRIVE_USED_TEXT).rfind("Used Space : ", 0), 0u);
    EXPECT_TRUE(IsWindowVisible(page.Item(IDC_DRIVE_PIE)));
    EXPECT_TRUE(IsWindowVisible(page.Item(IDC_DRIVE_USED_LEGEND)));
    EXPECT_GE(page.pie().percent(), 70);
    EXPECT_LE(page.pie().percent(), 75);

    ChooseDrive('H');
    EXPECT_EQ(page.SelectedRootPath(), "H:\\");
    EXPECT_EQ(PageText(page, IDC_DRIVE_FREE_SPACE), "Free Space: ?? MB");
    EXPECT_EQ(PageText(page, IDC_DRIVE_FREE_TEXT), "");
    EXPECT_EQ(PageText(page, IDC_DRIVE_TEXT), "");
    EXPECT_FALSE(IsWindowVisible(page.Item(IDC_DRIVE_PIE)));
    EXPECT_FALSE(IsWindowVisible(page.Item(IDC_DRIVE_FREE_LEGEND)));

    // The refresh follows a disk put into the drive meanwhile.
    drvKit::sim::SimDiskSpec disk;
    disk.label = "FRESH";
    disk.serialNumber = 7;
    disk.capacityBytes = 50 * kMb;
    kit->InsertDisk('H', kit->CreateDisk(disk));
    SendMessageW(page.hwnd(), WM_TIMER, CKRVDrivePage::kRefreshTimer, 0);
    EXPECT_EQ(page.SelectedRootPath(), "H:\\");
    EXPECT_EQ(page.pie().percent(), 100) << "nothing used yet";
    EXPECT_NE(PageText(page, IDC_DRIVE_FREE_SPACE), "Free Space: ?? MB");
}

TEST_F(WizardTest, TheDrivePageRefreshesOnItsTimerOnlyWhileItShows) {
    TestWizard& wizard = Open();
    Next(kDrivePage);
    CKRVDrivePage& page = wizard.drivePage();
    Next();
    ASSERT_EQ(wizard.GetActiveIndex(), kSourcePage);
    kit->RemoveDisk('F');
    SendMessageW(page.hwnd(), WM_TIMER, CKRVDrivePage::kRefreshTimer, 0);
    EXPECT_NE(PageText(page, IDC_DRIVE_FREE_SPACE), "Free Space: ?? MB");
    Click(IDC_WIZARD_BACK);
    SendMessageW(page.hwnd(), WM_TIMER, CKRVDrivePage::kRefreshTimer, 0);
    EXPECT_EQ(PageText(page, IDC_DRIVE_FREE_SPACE), "Free Space: ?? MB");
}

TEST_F(WizardTest, LeavingTheDrivePageStoresItsDiskAndBackUndoesNothing) {
    TestWizard& wizard = Open();
    Next(kDrivePage);
    ChooseDrive('G');
    EXPECT_FALSE(OptionsKeyExists()) << "nothing is stored before the user leaves the page";
    Next();
    EXPECT_EQ(wizard.GetActiveIndex(), kSourcePage);
    EXPECT_EQ(StoredDiskId(), "0000-0002");
    EXPECT_EQ(StoredDestination(), std::nullopt) << "the destination waits for Finish";
    Click(IDC_WIZARD_BACK);
    EXPECT_EQ(StoredDiskId(), "0000-0002");

    // Another drive with a disk: its identity replaces the first.
    ChooseDrive('F');
    Next();
    EXPECT_EQ(StoredDiskId(), "1234-ABCD");
    // A drive without a disk takes back what this run stored: the engine asks for a disk there.
    Click(IDC_WIZARD_BACK);
    ChooseDrive('H');
    Next();
    EXPECT_EQ(StoredDiskId(), "");
    EXPECT_EQ(PageText(wizard.drivePage(), IDC_DRIVE_FREE_SPACE), "Free Space: ?? MB");
}

TEST_F(WizardTest, NextWithoutADriveTellsTheUserAndStays) {
    TestWizard& wizard = Open();
    Next(kDrivePage);
    SendMessageW(wizard.drivePage().Item(IDC_DRIVE_LIST), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ASSERT_EQ(wizard.drivePage().SelectedRootPath(), "");
    Next();
    EXPECT_EQ(wizard.GetActiveIndex(), kDrivePage);
    ASSERT_EQ(wizard.told.size(), 1u);
    EXPECT_EQ(wizard.told[0], fw::LoadText(IDS_CHOOSE_DRIVE));
    EXPECT_FALSE(OptionsKeyExists());
}

// An earlier configuration's destination is offered first; the drive the user then picks is the
// one whose disk and root are stored, never a mix of the two.
TEST_F(WizardTest, TheDriveTheUserChoseWinsOverAStoredDestination) {
    ASSERT_EQ(store.WriteDestination("G:\\"), 0u);
    journal = std::make_unique<SetupJournal>(shell.sim.registry(), kTestKey);
    TestWizard& wizard = Open();
    Next(kDrivePage);
    EXPECT_EQ(wizard.drivePage().SelectedRootPath(), "G:\\");
    ChooseDrive('F');
    Next();
    EXPECT_EQ(StoredDiskId(), "1234-ABCD");
    Click(IDC_WIZARD_BACK);
    Click(IDC_WIZARD_BACK);
    Next(2);  // through the disk label page again
    EXPECT_EQ(wizard.drivePage().SelectedRootPath(), "F:\\");
    Next(kLastPage - kSourcePage);
    Click(IDC_WIZARD_FINISH);
    EXPECT_EQ(wizard.hwnd(), nullptr) << "the wizard closed";
    EXPECT_EQ(wizard.choices().destination, "F:\\");
}

TEST_F(WizardTest, SourcesStartWithTheDocumentsAndShowTheirSize) {
    ASSERT_EQ(shell.sim.files().PutSparseFile("C:\\Users\\User\\Documents\\a.bin", 3 * kMb), 0u);
    ASSERT_EQ(shell.sim.files().PutSparseFile("C:\\Users\\User\\Documents\\b\\c.bin", kMb / 2), 0u);
    TestWizard& wizard = Open();
    Next(kSourcePage);
    EXPECT_EQ(wizard.sourcePage().Folders(),
              (std::vector<std::string>{"C:\\Users\\User\\Documents"}));
    ASSERT_TRUE(WaitForSize());
    EXPECT_EQ(PageText(wizard.sourcePage(), IDC_SOURCES_COPY_SIZE), "Copy Size: 3 MB");

    // The picker's folders replace the list; a chosen folder missing by the time the user comes
    // back to the page is made.
    ASSERT_EQ(shell.sim.files().PutSparseFile("C:\\Work\\x.bin", 9 * kMb), 0u);
    wizard.scriptedSources().picks.push_back(
        std::vector<std::string>{"C:\\Work", "C:\\Projects\\New"});
    Click(IDC_WIZARD_BACK);
    Next();
    test::Click(wizard.sourcePage().hwnd(), IDC_SOURCES_ADD_REMOVE);
    ASSERT_EQ(wizard.scriptedSources().pickerShown.size(), 1u);
    EXPECT_EQ(wizard.scriptedSources().pickerShown[0],
              (std::vector<std::string>{"C:\\Users\\User\\Documents"}));
    EXPECT_EQ(wizard.sourcePage().Folders(),
              (std::vector<std::string>{"C:\\Projects\\New", "C:\\Work"}));
    ASSERT_TRUE(WaitForSize());
    EXPECT_EQ(PageText(wizard.sourcePage(), IDC_SOURCES_COPY_SIZE), "Copy Size: 9 MB");
    uint32_t attributes = 0;
    EXPECT_NE(shell.sim.files().GetAttributes("C:\\Projects\\New", attributes), 0u);
    Click(IDC_WIZARD_BACK);
    Next();
    EXPECT_EQ(shell.sim.files().GetAttributes("C:\\Projects\\New", attributes), 0u);
    EXPECT_NE(attributes & os::kAttributeDirectory, 0u);

    // Cancel in the picker changes nothing.
    test::Click(wizard.sourcePage().hwnd(), IDC_SOURCES_ADD_REMOVE);
    EXPECT_EQ(wizard.sourcePage().Folders().size(), 2u);
}

// Without a documents folder the wizard offers "C:\My Documents" but does not make it on the
// user's disk: the user did not choose it.
TEST_F(WizardTest, TheFallbackSourceIsOfferedButNeverCreated) {
    shell.documents.clear();
    TestWizard& wizard = Open();
    Next(kDrivePage);
    EXPECT_TRUE(wizard.sourcePage().Folders().empty());
    Next();
    EXPECT_EQ(wizard.sourcePage().Folders(), (std::vector<std::string>{"C:\\My Documents"}));
    uint32_t attributes = 0;
    EXPECT_EQ(shell.sim.files().GetAttributes("C:\\My Documents", attributes),
              os::kErrorFileNotFound);
    ASSERT_TRUE(WaitForSize());
    EXPECT_EQ(PageText(wizard.sourcePage(), IDC_SOURCES_COPY_SIZE), "Copy Size: 0 MB");
}

TEST_F(WizardTest, RevisionCountsStayBetweenOneAndNinetyNine) {
    TestWizard& wizard = Open();
    Next(kRevisionsPage);
    CKRVRevisionsPage& page = wizard.revisionsPage();
    const HWND count = page.Item(IDC_REVISIONS_COUNT);
    EXPECT_TRUE(IsDlgButtonChecked(page.hwnd(), IDC_REVISIONS_LIMITED));
    EXPECT_TRUE(IsWindowEnabled(count));
    EXPECT_EQ(fw::GetText(count), "5");

    const auto type = [&](const char* text) {
        fw::SetText(count, text);
        return fw::GetText(count);
    };
    EXPECT_EQ(type("0"), "1");
    EXPECT_EQ(type("250"), "99");
    EXPECT_EQ(type("x"), "1") << "no number reads as 0";
    // Emptied with Backspace, the field waits for the new number; the page reads the lowest
    // count meanwhile and shows it when the field loses the focus.
    EXPECT_EQ(type(""), "");
    EXPECT_EQ(page.Count(), 1u);
    SendMessageW(page.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_REVISIONS_COUNT, EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(count));
    EXPECT_EQ(fw::GetText(count), "1");
    EXPECT_EQ(type(""), "");
    test::Click(page.hwnd(), IDC_REVISIONS_NONE);
    EXPECT_EQ(fw::GetText(count), "1") << "an empty count is put right when the choice changes";
    test::Click(page.hwnd(), IDC_REVISIONS_LIMITED);
    EXPECT_EQ(type("42"), "42");

    const auto arrow = [&](int delta) {
        NMUPDOWN change = {};
        change.hdr.hwndFrom = page.Item(IDC_REVISIONS_SPIN);
        change.hdr.idFrom = IDC_REVISIONS_SPIN;
        change.hdr.code = UDN_DELTAPOS;
        change.iDelta = delta;
        const LRESULT allowed = SendMessageW(page.hwnd(), WM_NOTIFY, IDC_REVISIONS_SPIN,
                                             reinterpret_cast<LPARAM>(&change));
        EXPECT_EQ(allowed, 0);
        return fw::GetText(count);
    };
    EXPECT_EQ(arrow(-1), "43") << "the upper arrow raises the count";
    type("99");
    EXPECT_EQ(arrow(-1), "99");
    type("1");
    EXPECT_EQ(arrow(1), "1");
    EXPECT_EQ(page.Count(), 1u);

    test::Click(page.hwnd(), IDC_REVISIONS_NONE);
    EXPECT_FALSE(IsWindowEnabled(count));
    EXPECT_FALSE(IsWindowEnabled(page.Item(IDC_REVISIONS_SPIN)));
    EXPECT_EQ(page.Choice(), RevisionsChoice::None);
    test::Click(page.hwnd(), IDC_REVISIONS_UNLIMITED);
    EXPECT_EQ(page.Choice(), RevisionsChoice::Unlimited);
    test::Click(page.hwnd(), IDC_REVISIONS_LIMITED);
    EXPECT_TRUE(IsWindowEnabled(count));
    EXPECT_EQ(fw::GetText(count), "1");
}

TEST_F(WizardTest, ReviewShowsTheFoldersRevisionsDiskAndEstimate) {
    ASSERT_EQ(shell.sim.files().PutSparseFile("C:\\Users\\User\\Documents\\big.bin", 150 * kMb),
              0u);
    ASSERT_EQ(shell.sim.files().PutSparseFile("F:\\old.bin", 5 * kMb), 0u);
    TestWizard& wizard = Open();
    Next(kRevisionsPage);
    fw::SetText(wizard.revisionsPage().Item(IDC_REVISIONS_COUNT), "12");
    ASSERT_TRUE(WaitForSize());
    Next();
    ASSERT_EQ(wizard.GetActiveIndex(), kReviewPage);
    CKRVReviewPage& page = wizard.reviewPage();
    const HWND list = page.Item(IDC_REVIEW_FOLDERS);
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(fw::ListView(list).ItemText(0), "C:\\Users\\User\\Documents");
    EXPECT_EQ(PageText(page, IDC_REVIEW_REVISIONS), "The number of revisions you want to keep: 12");
    EXPECT_EQ(PageText(page, IDC_REVIEW_NO_TEXT), "which contain 150 MB of data.");
    const std::string free = PageText(page, IDC_REVIEW_FREE_TEXT);
    EXPECT_EQ(free.rfind("has 9", 0), 0u) << free;  // about 95 MB of the 100 MB disk
    EXPECT_EQ(PageText(page, IDC_REVIEW_DISK_SENTENCE).rfind("BACKUP1 (F:) BACKUP1 has 9", 0), 0u)
        << PageText(page, IDC_REVIEW_DISK_SENTENCE);
    // 150 MB onto a disk with about 95 MB free and 100 MB disks: this one and one more.
    EXPECT_EQ(PageText(page, IDC_REVIEW_ESTIMATE),
              "Approximate number of disk(s) needed to complete copy: 2");
    EXPECT_NE(wizard.reviewPage().texts().driveIcon, 0);

    // Unlimited, and a drive without a disk.
    Click(IDC_WIZARD_BACK);
    test::Click(wizard.revisionsPage().hwnd(), IDC_REVISIONS_UNLIMITED);
    Click(IDC_WIZARD_BACK);
    Click(IDC_WIZARD_BACK);
    ChooseDrive('H');
    Next(3);
    ASSERT_EQ(wizard.GetActiveIndex(), kReviewPage);
    EXPECT_EQ(PageText(page, IDC_REVIEW_REVISIONS),
              "The number of revisions you want to keep: UNLIMITED");
    EXPECT_EQ(PageText(page, IDC_REVIEW_FREE_TEXT), "has ?? MB of free space.");
    EXPECT_NE(PageText(page, IDC_REVIEW_DISK_SENTENCE).find("has ?? MB"), std::string::npos);
}

TEST_F(WizardTest, ReviewFiguresWaitForTheSizeAndFollowItWhenKnown) {
    TestWizard& wizard = Open();
    Next(kRevisionsPage);
    ASSERT_TRUE(WaitForSize());
    // A new list whose size is not known yet when the user reaches the review.
    wizard.scriptedSources().picks.push_back(std::vector<std::string>{"C:\\Users"});
    Click(IDC_WIZARD_BACK);
    test::Click(wizard.sourcePage().hwnd(), IDC_SOURCES_ADD_REMOVE);
    Next(2);
    ASSERT_EQ(wizard.GetActiveIndex(), kReviewPage);
    ASSERT_TRUE(WaitForSize());
    test::Pump();
    EXPECT_EQ(PageText(wizard.reviewPage(), IDC_REVIEW_ESTIMATE),
              "Approximate number of disk(s) needed to complete copy: 1");
    EXPECT_EQ(PageText(wizard.reviewPage(), IDC_REVIEW_NO_TEXT), "which contain 0 MB of data.");
}

TEST_F(WizardTest, FinishHandsOverEveryChoice) {
    TestWizard& wizard = Open();
    Next(kDrivePage);
    ChooseDrive('G');
    Next(kRevisionsPage - kDrivePage);
    test::Click(wizard.revisionsPage().hwnd(), IDC_REVISIONS_NONE);
    Next(kLastPage - kRevisionsPage);
    EXPECT_FALSE(IsWindowVisible(wizard.congratulationsPage().Item(IDC_CONGRATULATIONS_TRAY_ICON)));
    Click(IDC_WIZARD_FINISH);
    ASSERT_EQ(wizard.hwnd(), nullptr);
    const SetupChoices& choices = wizard.choices();
    EXPECT_EQ(choices.destination, "G:\\");
    EXPECT_EQ(choices.sources, (std::vector<std::string>{"C:\\Users\\User\\Documents"}));
    EXPECT_EQ(choices.revisions, 0u);
    EXPECT_EQ(choices.trayIcon, 1u);
}

TEST_F(WizardTest, HelpOpensThePageOfTheCurrentPage) {
    Open();
    Click(IDC_WIZARD_HELP);
    Next(3);
    Click(IDC_WIZARD_HELP);
    Next(3);
    Click(IDC_WIZARD_HELP);
    EXPECT_EQ(shell.helpPages,
              (std::vector<std::wstring>{L"resource\\0101.html", L"resource\\0104.html",
                                         L"resource\\0107.html"}));
}

TEST_F(WizardTest, CancelAndTheCloseButtonTakeBackWhatWasStored) {
    Open();
    Next(kDrivePage + 1);
    ASSERT_TRUE(OptionsKeyExists());
    Click(IDCANCEL);
    EXPECT_EQ(wizard_->hwnd(), nullptr);
    EXPECT_FALSE(OptionsKeyExists()) << "a first run leaves no settings behind";

    ASSERT_EQ(store.WriteDiskId("OLD0-0001"), 0u);
    ASSERT_EQ(store.WriteFilterList({"tmp"}), 0u);
    journal = std::make_unique<SetupJournal>(shell.sim.registry(), kTestKey);
    Open();
    Next(kDrivePage + 1);
    ASSERT_EQ(StoredDiskId(), "1234-ABCD");
    SendMessageW(Window(), WM_COMMAND, IDC_CLOSE_BUTTON, 0);
    test::Pump();
    EXPECT_EQ(wizard_->hwnd(), nullptr);
    EXPECT_EQ(StoredDiskId(), "OLD0-0001");
    std::vector<std::string> filter;
    EXPECT_EQ(store.ReadFilterList(filter), 0u);
    EXPECT_EQ(filter, std::vector<std::string>{"tmp"});
}

TEST_F(WizardTest, RunSetupTakesThePromptGuardBeforeTheSplash) {
    bool guardedDuringSplash = false;
    EXPECT_EQ(RunSetup(shell,
                       [&] {
                           guardedDuringSplash = shell.state.promptActive;
                           return false;  // no drive of the maker: dialog 209 was shown
                       }),
              SetupOutcome::NotRun);
    EXPECT_TRUE(guardedDuringSplash);
    EXPECT_FALSE(shell.state.promptActive);

    // While another window holds the guard, neither the splash nor the wizard shows.
    shell.state.promptActive = true;
    bool splashShown = false;
    EXPECT_EQ(RunSetup(shell,
                       [&] {
                           splashShown = true;
                           return true;
                       }),
              SetupOutcome::NotRun);
    EXPECT_FALSE(splashShown);
    EXPECT_TRUE(shell.state.promptActive) << "the other window's guard is left alone";
}

TEST_F(WizardTest, RunSetupStoresTheSettingsOfAFinishedWizard) {
    const SetupOutcome outcome =
        test::DriveModal([&] { return RunSetup(shell, [] { return true; }); },
                         [](HWND dialog) {
                             for (int page = 0; page < kLastPage; ++page) {
                                 test::Click(dialog, IDC_WIZARD_NEXT);
                             }
                             test::Click(dialog, IDC_WIZARD_FINISH);
                         });
    EXPECT_EQ(outcome, SetupOutcome::Finished);
    EXPECT_FALSE(shell.state.promptActive);
    EXPECT_TRUE(store.IsConfigured());
    EXPECT_EQ(StoredDestination(), "F:\\");
    EXPECT_EQ(StoredDiskId(), "1234-ABCD");
    std::vector<std::string> sources;
    EXPECT_EQ(store.ReadSourceList(sources), 0u);
    EXPECT_EQ(sources, std::vector<std::string>{"C:\\Users\\User\\Documents"});
    os::FileTime start = 1;
    EXPECT_EQ(store.ReadStartTime(start), 0u);
    EXPECT_EQ(start, 0u);
    uint32_t value = 0;
    EXPECT_EQ(store.ReadRevisions(value), 0u);
    EXPECT_EQ(value, 5u);
    EXPECT_EQ(store.ReadIconStatus(value), 0u);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(store.ReadMirrorStatus(value), 0u);
    EXPECT_EQ(value, 1u);
}

TEST_F(WizardTest, RunSetupTellsTheUserWhenTheSettingsCannotBeStored) {
    shell.sim.FailOperation(os::sim::SimOperation::RegistrySet, "*:Mirror Status", 5);
    std::string told;
    const SetupOutcome outcome =
        test::DriveModal([&] { return RunSetup(shell, [] { return true; }); },
                         [&](HWND dialog) {
                             for (int page = 0; page < kLastPage; ++page) {
                                 test::Click(dialog, IDC_WIZARD_NEXT);
                             }
                             test::detail::Arm([&](HWND box) {
                                 told = test::ItemText(box, 0xFFFF);  // the message box's text
                                 test::Click(box, IDOK);
                             });
                             test::Click(dialog, IDC_WIZARD_FINISH);
                         });
    EXPECT_EQ(outcome, SetupOutcome::NotStored);
    EXPECT_EQ(told.rfind("Corvant Ferrolin 2 could not store all of your settings", 0), 0u) << told;
    EXPECT_FALSE(store.IsConfigured());
    EXPECT_FALSE(shell.state.promptActive);
}

TEST_F(WizardTest, RunSetupCancelledLeavesTheProgramUnconfigured) {
    const SetupOutcome outcome =
        test::DriveModal([&] { return RunSetup(shell, [] { return true; }); },
                         [](HWND dialog) {
                             for (int page = 0; page <= kDrivePage; ++page) {
                                 test::Click(dialog, IDC_WIZARD_NEXT);
                             }
                             test::Click(dialog, IDCANCEL);
                         });
    EXPECT_EQ(outcome, SetupOutcome::Cancelled);
    EXPECT_FALSE(OptionsKeyExists());
    EXPECT_FALSE(shell.state.promptActive);
}

}  // namespace
}  // namespace ui::testing
