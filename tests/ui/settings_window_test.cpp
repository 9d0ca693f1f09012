// The settings window with real window messages, over the simulated machine and drives: what
// each page shows, how its controls keep their values in bounds, what OK stores and asks of the
// program, and what Cancel leaves.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/text.h"
#include "res/resource.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/settings_test_shell.h"
#include "ui/common/folder_picker.h"
#include "ui/settings/settings_dialog.h"

namespace ui {
namespace {

namespace names = settings::names;
using Strings = std::vector<std::string>;
using test::Checked;
using test::Enabled;
using test::SheetPage;
using test::Visible;

constexpr int kGeneral = 0;
constexpr int kAdvanced = 1;
constexpr int kScheduling = 2;

// A click on the upper (up) or lower half of an up-down control.
void ClickSpin(HWND page, int id, bool up) {
    const HWND spin = GetDlgItem(page, id);
    RECT rect = {};
    GetClientRect(spin, &rect);
    const LPARAM point = MAKELPARAM(rect.right / 2, up ? rect.bottom / 4 : rect.bottom * 3 / 4);
    SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(spin, WM_LBUTTONUP, 0, point);
}

void ShowPage(HWND dialog, int index) {
    HWND sheet = GetParent(SheetPage(dialog, 0));
    PropSheet_SetCurSel(sheet, nullptr, index);
}

// Drives the next modal dialog this thread shows (a message over the sheet) with the script.
void ThenDrive(std::function<void(HWND)> script) {
    test::detail::Arm(std::move(script));
}

class SettingsWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }
    void SetUp() override { shell.Configure(); }

    SettingsResult Run(const std::function<void(HWND)>& script) {
        return test::DriveModal([&] { return RunSettings(shell); }, script);
    }

    uint32_t Scheduler(const char* name) {
        uint32_t value = 0xDEAD;
        (void)shell.store.ReadSchedulerValue(name, value);
        return value;
    }
    bool SchedulerStored(const char* name) {
        uint32_t value = 0;
        return shell.store.ReadSchedulerValue(name, value) == 0;
    }
    uint32_t Dword(uint32_t (settings::CKRVSettingsStore::*read)(uint32_t&) const) {
        uint32_t value = 0xDEAD;
        (void)(shell.store.*read)(value);
        return value;
    }
    os::FileTime StartTime() {
        os::FileTime time = 1;
        (void)shell.store.ReadStartTime(time);
        return time;
    }

    test::SettingsShell shell;
};

TEST_F(SettingsWindow, PagesShowTheStoredSettingsAndCancelStoresNothing) {
    shell.drivesKit->InsertDisk('F', shell.NewDisk(1, 250ULL << 20));
    (void)shell.store.WriteSourceList({"D:\\B", "C:\\A"});
    (void)shell.store.WriteWarningStatus(1);
    (void)shell.store.WriteBuyStatus(1);
    struct {
        bool on = false, off = true;
        Strings sources;
        std::string freeSpace;
        bool protectShown = false, unprotectShown = true;
        bool icon = false, dontSave = false, countEnabled = true, warn = false, full = false,
             progress = true;
        std::string count;
        bool onSave = false, intervalEnabled = true, daysEnabled = true, copyNowEnabled = false;
        std::string interval, unit;
        bool days[7] = {};
    } seen;
    const SettingsResult result = Run([&](HWND dialog) {
        const HWND general = SheetPage(dialog, kGeneral);
        seen.on = Checked(general, IDC_GENERAL_ON);
        seen.off = Checked(general, IDC_GENERAL_OFF);
        const fw::ListBox sources(GetDlgItem(general, IDC_GENERAL_SOURCES));
        for (int i = 0; i < sources.Count(); ++i) {
            seen.sources.push_back(sources.ItemText(i));
        }
        seen.freeSpace = test::ItemText(general, IDC_GENERAL_FREE_SPACE);
        seen.protectShown = Visible(general, IDC_GENERAL_PROTECT);
        seen.unprotectShown = Visible(general, IDC_GENERAL_UNPROTECT);

        const HWND advanced = SheetPage(dialog, kAdvanced);
        seen.icon = Checked(advanced, IDC_ADVANCED_TRAY_ICON);
        seen.dontSave = Checked(advanced, IDC_ADVANCED_NO_REVISIONS);
        seen.count = test::ItemText(advanced, IDC_ADVANCED_COUNT);
        seen.countEnabled = Enabled(advanced, IDC_ADVANCED_COUNT);
        seen.warn = Checked(advanced, IDC_ADVANCED_WARN_NO_DISK);
        seen.full = Checked(advanced, IDC_ADVANCED_WARN_FULL);
        seen.progress = Checked(advanced, IDC_ADVANCED_SHOW_PROGRESS);

        const HWND scheduling = SheetPage(dialog, kScheduling);
        seen.onSave = Checked(scheduling, IDC_SCHEDULE_ON_SAVE);
        seen.interval = test::ItemText(scheduling, IDC_SCHEDULE_INTERVAL_COUNT);
        seen.unit = test::ItemText(scheduling, IDC_SCHEDULE_INTERVAL_UNIT);
        seen.intervalEnabled = Enabled(scheduling, IDC_SCHEDULE_INTERVAL_COUNT);
        seen.daysEnabled = Enabled(scheduling, IDC_SCHEDULE_MONDAY);
        seen.copyNowEnabled = Enabled(scheduling, IDC_SCHEDULE_COPY_CHANGED) &&
                              Enabled(scheduling, IDC_SCHEDULE_RECOPY);
        for (int day = 0; day < 7; ++day) {
            seen.days[day] = Checked(scheduling, IDC_SCHEDULE_SUNDAY + day);
        }

        // Changes that Cancel throws away.
        test::Click(general, IDC_GENERAL_OFF);
        test::Click(advanced, IDC_ADVANCED_TRAY_ICON);
        test::Click(scheduling, IDC_SCHEDULE_INTERVAL);
        test::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, SettingsResult::Cancelled);
    EXPECT_TRUE(seen.on);
    EXPECT_FALSE(seen.off);
    EXPECT_EQ(seen.sources, (Strings{"C:\\A", "D:\\B"}));
    EXPECT_EQ(seen.freeSpace, "Free Space: 250 MB");
    EXPECT_TRUE(seen.protectShown);
    EXPECT_FALSE(seen.unprotectShown);
    EXPECT_TRUE(seen.icon);
    EXPECT_TRUE(seen.dontSave);
    EXPECT_EQ(seen.count, "5");
    EXPECT_FALSE(seen.countEnabled);
    EXPECT_TRUE(seen.warn);
    EXPECT_TRUE(seen.full);
    EXPECT_FALSE(seen.progress);
    // No schedule stored: every change, 15 minutes, Monday to Friday; only the first radio's
    // controls and Copy Now are enabled.
    EXPECT_TRUE(seen.onSave);
    EXPECT_EQ(seen.interval, "15");
    EXPECT_EQ(seen.unit, "Minutes");
    EXPECT_FALSE(seen.intervalEnabled);
    EXPECT_FALSE(seen.daysEnabled);
    EXPECT_TRUE(seen.copyNowEnabled);
    EXPECT_FALSE(seen.days[0]);
    for (int day = 1; day <= 5; ++day) {
        EXPECT_TRUE(seen.days[day]) << day;
    }
    EXPECT_FALSE(seen.days[6]);

    EXPECT_EQ(Dword(&settings::CKRVSettingsStore::ReadMirrorStatus), 1u);
    EXPECT_EQ(Dword(&settings::CKRVSettingsStore::ReadIconStatus), 1u);
    EXPECT_FALSE(SchedulerStored(names::kSchedulerType));
    EXPECT_TRUE(shell.trayChanges.empty());
    EXPECT_EQ(shell.fullCopies, 0);
    EXPECT_FALSE(shell.sharedState.promptActive);
}

TEST_F(SettingsWindow, OkStoresTheSourcesInTheListsOrderAndTheRevisionsChosen) {
    shell.sim.files().PutFolder("C:\\Apple");
    shell.sim.files().PutFolder("C:\\Zebra");
    (void)shell.store.WriteSourceList({"C:\\Zebra", "C:\\Apple"});
    const SettingsResult result = Run([&](HWND dialog) {
        const HWND advanced = SheetPage(dialog, kAdvanced);
        test::Click(advanced, IDC_ADVANCED_LIMITED);
        test::SetItemText(advanced, IDC_ADVANCED_COUNT, "7");
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(result, SettingsResult::Confirmed);
    Strings sources;
    ASSERT_EQ(shell.store.ReadSourceList(sources), 0u);
    EXPECT_EQ(sources, (Strings{"C:\\Apple", "C:\\Zebra"}));
    EXPECT_EQ(Dword(&settings::CKRVSettingsStore::ReadRevisions), 7u);
    // Every scheduling value is stored on OK, the page's defaults included.
    EXPECT_EQ(Scheduler(names::kSchedulerType), 0u);
    EXPECT_EQ(Scheduler(names::kSchedulerInterval), 15u);
    EXPECT_EQ(Scheduler(names::kSchedulerDays), 0x3Eu);
    // Nothing but the settings changed: no copy is asked for, and the tray stays as it was.
    EXPECT_EQ(StartTime(), test::SettingsShell::kSynced);
    EXPECT_EQ(shell.fullCopies, 0);
    EXPECT_TRUE(shell.folderPasses.empty());
    EXPECT_TRUE(shell.trayChanges.empty());

    Run([&](HWND dialog) {
        test::Click(SheetPage(dialog, kAdvanced), IDC_ADVANCED_UNLIMITED);
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(Dword(&settings::CKRVSettingsStore::ReadRevisions), 0xFFFFFFFFu);
    Run([&](HWND dialog) {
        test::Click(SheetPage(dialog, kAdvanced), IDC_ADVANCED_NO_REVISIONS);
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(Dword(&settings::CKRVSettingsStore::ReadRevisions), 0u);
}

TEST_F(SettingsWindow, TheRevisionsCountStaysBetweenOneAndNinetyNine) {
    (void)shell.store.WriteRevisions(98);
    Strings shown;
    bool enabledForLimited = false;
    bool disabledForUnlimited = true;
    Run([&](HWND dialog) {
        const HWND advanced = SheetPage(dialog, kAdvanced);
        ShowPage(dialog, kAdvanced);
        enabledForLimited =
            Enabled(advanced, IDC_ADVANCED_COUNT) && Enabled(advanced, IDC_ADVANCED_COUNT_SPIN);
        ClickSpin(advanced, IDC_ADVANCED_COUNT_SPIN, true);
        shown.push_back(test::ItemText(advanced, IDC_ADVANCED_COUNT));  // 99
        ClickSpin(advanced, IDC_ADVANCED_COUNT_SPIN, true);
        shown.push_back(test::ItemText(advanced, IDC_ADVANCED_COUNT));  // still 99
        test::SetItemText(advanced, IDC_ADVANCED_COUNT, "150");
        shown.push_back(test::ItemText(advanced, IDC_ADVANCED_COUNT));
        test::SetItemText(advanced, IDC_ADVANCED_COUNT, "0");
        shown.push_back(test::ItemText(advanced, IDC_ADVANCED_COUNT));
        ClickSpin(advanced, IDC_ADVANCED_COUNT_SPIN, false);
        shown.push_back(test::ItemText(advanced, IDC_ADVANCED_COUNT));  // stays 1
        ClickSpin(advanced, IDC_ADVANCED_COUNT_SPIN, true);
        shown.push_back(test::ItemText(advanced, IDC_ADVANCED_COUNT));
        test::Click(advanced, IDC_ADVANCED_UNLIMITED);
        disabledForUnlimited =
            !Enabled(advanced, IDC_ADVANCED_COUNT) && !Enabled(advanced, IDC_ADVANCED_COUNT_SPIN);
        test::Click(advanced, IDC_ADVANCED_LIMITED);
        test::Click(dialog, IDOK);
    });
    EXPECT_TRUE(enabledForLimited);
    EXPECT_TRUE(disabledForUnlimited);
    EXPECT_EQ(shown, (Strings{"99", "99", "99", "1", "1", "2"}));
    EXPECT_EQ(Dword(&settings::CKRVSettingsStore::ReadRevisions), 2u);
}

// Backspace over the last digit leaves the field empty for the new number; the number is put
// right when the field loses the focus, or when OK takes the values without that.
TEST_F(SettingsWindow, ANumberFieldEmptiedWithBackspaceWaitsForTheNewNumber) {
    (void)shell.store.WriteRevisions(7);
    Strings shown;
    Run([&](HWND dialog) {
        const HWND advanced = SheetPage(dialog, kAdvanced);
        const HWND scheduling = SheetPage(dialog, kScheduling);
        const auto erase = [&](HWND page, int id) {
            const HWND edit = GetDlgItem(page, id);
            SetFocus(edit);
            const LPARAM end = GetWindowTextLengthW(edit);
            SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
            while (GetWindowTextLengthW(edit) > 0) {
                SendMessageW(edit, WM_CHAR, VK_BACK, 1);
            }
            shown.push_back(test::ItemText(page, id));
        };
        const auto type = [&](HWND page, int id, const wchar_t* digits) {
            for (const wchar_t* digit = digits; *digit != 0; ++digit) {
                SendDlgItemMessageW(page, id, WM_CHAR, *digit, 1);
            }
            shown.push_back(test::ItemText(page, id));
        };
        ShowPage(dialog, kScheduling);
        test::Click(scheduling, IDC_SCHEDULE_INTERVAL);
        erase(scheduling, IDC_SCHEDULE_INTERVAL_COUNT);
        type(scheduling, IDC_SCHEDULE_INTERVAL_COUNT, L"30");
        erase(scheduling, IDC_SCHEDULE_INTERVAL_COUNT);
        // The focus leaves: the lowest interval.
        SetFocus(GetDlgItem(scheduling, IDC_SCHEDULE_INTERVAL));
        shown.push_back(test::ItemText(scheduling, IDC_SCHEDULE_INTERVAL_COUNT));
        erase(scheduling, IDC_SCHEDULE_INTERVAL_COUNT);
        type(scheduling, IDC_SCHEDULE_INTERVAL_COUNT, L"45");

        ShowPage(dialog, kAdvanced);
        erase(advanced, IDC_ADVANCED_COUNT);
        type(advanced, IDC_ADVANCED_COUNT, L"42");
        erase(advanced, IDC_ADVANCED_COUNT);
        // Enter (OK without the focus leaving the field) while it is empty: the lowest count,
        // not a count of 0 (which would be no revisions at all).
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    });
    EXPECT_EQ(shown, (Strings{"", "30", "", "1", "", "45", "", "42", ""}));
    EXPECT_EQ(Dword(&settings::CKRVSettingsStore::ReadRevisions), 1u);
    EXPECT_EQ(Scheduler(names::kSchedulerInterval), 45u);
}

TEST_F(SettingsWindow, TheExclusionListIsStoredAtOnceAndKeptWhenTheSheetIsCancelled) {
    (void)shell.store.WriteFilterList({"tmp", "tar.gz"});
    Strings whileOpen;
    Run([&](HWND dialog) {
        const HWND advanced = SheetPage(dialog, kAdvanced);
        ThenDrive([](HWND exclusion) {
            const HWND edit = GetDlgItem(exclusion, IDC_EXCLUSION_TYPED);
            SetFocus(edit);
            SendMessageW(edit, WM_CHAR, L'b', 1);
            SendMessageW(edit, WM_CHAR, L'a', 1);
            SendMessageW(edit, WM_CHAR, L'k', 1);
            test::Click(exclusion, IDC_EXCLUSION_ADD);
            test::Click(exclusion, IDOK);
        });
        test::Click(advanced, IDC_ADVANCED_EXCLUSION);
        (void)shell.store.ReadFilterList(whileOpen);
        test::Click(dialog, IDCANCEL);
    });
    // One write replaced the list; "tar.gz" came back whole.
    EXPECT_EQ(whileOpen, (Strings{"tmp", "tar.gz", "bak"}));
    Strings after;
    ASSERT_EQ(shell.store.ReadFilterList(after), 0u);
    EXPECT_EQ(after, (Strings{"tmp", "tar.gz", "bak"}));

    // Everything taken out: no "Filter" at all. Cancel in the exclusion dialog changes nothing.
    Run([&](HWND dialog) {
        const HWND advanced = SheetPage(dialog, kAdvanced);
        ThenDrive([](HWND exclusion) {
            const fw::ListView excluded(GetDlgItem(exclusion, IDC_EXCLUSION_EXCLUDED));
            for (int row = 0; row < excluded.Count(); ++row) {
                excluded.SetSelected(row, true);
            }
            test::Click(exclusion, IDC_EXCLUSION_REMOVE);
            test::Click(exclusion, IDOK);
        });
        test::Click(advanced, IDC_ADVANCED_EXCLUSION);
        test::Click(dialog, IDCANCEL);
    });
    Strings none = {"x"};
    EXPECT_NE(shell.store.ReadFilterList(none), 0u);
    EXPECT_TRUE(none.empty());
}

TEST_F(SettingsWindow, TheIntervalStaysBetweenOneAnd999AndItsUnitIsStoredByIndex) {
    Strings shown;
    bool intervalEnabled = false;
    bool daysEnabled = true;
    Run([&](HWND dialog) {
        const HWND page = SheetPage(dialog, kScheduling);
        ShowPage(dialog, kScheduling);
        test::Click(page, IDC_SCHEDULE_INTERVAL);
        intervalEnabled = Enabled(page, IDC_SCHEDULE_INTERVAL_COUNT) &&
                          Enabled(page, IDC_SCHEDULE_INTERVAL_SPIN) &&
                          Enabled(page, IDC_SCHEDULE_INTERVAL_UNIT);
        daysEnabled = Enabled(page, IDC_SCHEDULE_WEDNESDAY) || Enabled(page, IDC_SCHEDULE_TIME);
        test::SetItemText(page, IDC_SCHEDULE_INTERVAL_COUNT, "0");
        shown.push_back(test::ItemText(page, IDC_SCHEDULE_INTERVAL_COUNT));
        ClickSpin(page, IDC_SCHEDULE_INTERVAL_SPIN, false);
        shown.push_back(test::ItemText(page, IDC_SCHEDULE_INTERVAL_COUNT));
        test::SetItemText(page, IDC_SCHEDULE_INTERVAL_COUNT, "1200");
        shown.push_back(test::ItemText(page, IDC_SCHEDULE_INTERVAL_COUNT));
        ClickSpin(page, IDC_SCHEDULE_INTERVAL_SPIN, true);
        shown.push_back(test::ItemText(page, IDC_SCHEDULE_INTERVAL_COUNT));
        test::SetItemText(page, IDC_SCHEDULE_INTERVAL_COUNT, "2");
        SendDlgItemMessageW(page, IDC_SCHEDULE_INTERVAL_UNIT, CB_SETCURSEL, 1, 0);
        test::Click(dialog, IDOK);
    });
    EXPECT_TRUE(intervalEnabled);
    EXPECT_FALSE(daysEnabled);
    EXPECT_EQ(shown, (Strings{"1", "1", "999", "999"}));
    EXPECT_EQ(Scheduler(names::kSchedulerType), 1u);
    EXPECT_EQ(Scheduler(names::kSchedulerInterval), 2u);
    EXPECT_EQ(Scheduler(names::kSchedulerIntervalUnit), 1u);
}

TEST_F(SettingsWindow, ADayBoxStoresTheDaysAtOnceAndCancelKeepsThem) {
    (void)shell.store.WriteSchedulerValue(names::kSchedulerType, 2);
    (void)shell.store.WriteSchedulerValue(names::kSchedulerDays, 0x3E);
    (void)shell.store.WriteSchedulerValue(names::kSchedulerInterval, 30);
    uint32_t whileOpen = 0;
    Run([&](HWND dialog) {
        const HWND page = SheetPage(dialog, kScheduling);
        test::Click(page, IDC_SCHEDULE_WEDNESDAY);
        whileOpen = Scheduler(names::kSchedulerDays);
        test::SetItemText(page, IDC_SCHEDULE_INTERVAL_COUNT, "45");
        test::Click(page, IDC_SCHEDULE_INTERVAL);
        test::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(whileOpen, 0x36u);
    EXPECT_EQ(Scheduler(names::kSchedulerDays), 0x36u);
    EXPECT_EQ(Scheduler(names::kSchedulerType), 2u);
    EXPECT_EQ(Scheduler(names::kSchedulerInterval), 30u);
}

// With no day mask stored the boxes show Monday to Friday: a click stores the boxes as shown,
// not one day set or cleared in a mask of nothing.
TEST_F(SettingsWindow, ADayBoxStoresTheDaysAsShownWhenNoMaskWasStored) {
    Run([&](HWND dialog) {
        const HWND page = SheetPage(dialog, kScheduling);
        test::Click(page, IDC_SCHEDULE_DAYS);
        test::Click(page, IDC_SCHEDULE_SATURDAY);
        test::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(Scheduler(names::kSchedulerDays), 0x7Eu);
}

TEST_F(SettingsWindow, ADaysScheduleWithoutADayIsRefused) {
    (void)shell.store.WriteSchedulerValue(names::kSchedulerDays, 0x02);
    std::string notice;
    bool stillOpen = false;
    const SettingsResult result = Run([&](HWND dialog) {
        const HWND page = SheetPage(dialog, kScheduling);
        test::Click(page, IDC_SCHEDULE_DAYS);
        test::Click(page, IDC_SCHEDULE_MONDAY);  // the only day goes
        ThenDrive([&](HWND message) {
            notice = test::ItemText(message, IDC_SETTINGS_NOTICE_TEXT);
            test::Click(message, IDOK);
        });
        test::Click(dialog, IDOK);
        stillOpen = IsWindowVisible(dialog) != FALSE;
        test::Click(page, IDC_SCHEDULE_FRIDAY);
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(result, SettingsResult::Confirmed);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(notice, fw::LoadText(IDS_NO_DAY_CHOSEN));
    EXPECT_EQ(Scheduler(names::kSchedulerType), 2u);
    EXPECT_EQ(Scheduler(names::kSchedulerDays), 0x20u);
}

TEST_F(SettingsWindow, TheTimeOfDayIsShownAndStoredBackAndItsSpinChangesIt) {
    (void)shell.store.WriteSchedulerValue(names::kSchedulerType, 2);
    (void)shell.store.WriteSchedulerValue(names::kSchedulerTimeOfDay, 1050);
    std::string shown;
    bool enabled = false;
    Run([&](HWND dialog) {
        const HWND page = SheetPage(dialog, kScheduling);
        shown = test::ItemText(page, IDC_SCHEDULE_TIME);
        enabled = Enabled(page, IDC_SCHEDULE_TIME) && Enabled(page, IDC_SCHEDULE_TIME_SPIN);
        test::Click(dialog, IDOK);
    });
    // 17:30, or 05:30 PM, as the locale writes it.
    EXPECT_TRUE(shown == "17:30" || shown == "05:30 PM") << shown;
    EXPECT_TRUE(enabled);
    EXPECT_EQ(Scheduler(names::kSchedulerTimeOfDay), 1050u);

    // The spin's up arrow raises the hour, the field it starts on.
    Run([&](HWND dialog) {
        const HWND page = SheetPage(dialog, kScheduling);
        ShowPage(dialog, kScheduling);
        ClickSpin(page, IDC_SCHEDULE_TIME_SPIN, true);
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(Scheduler(names::kSchedulerTimeOfDay), 1110u);
}

TEST_F(SettingsWindow, TheDestinationIsTheDriveChosenInTheList) {
    int selectedAtOpen = -1;
    std::string freeSpaceOfG;
    const auto chooseRow = [](HWND dialog, int row) {
        const HWND general = SheetPage(dialog, kGeneral);
        SendDlgItemMessageW(general, IDC_GENERAL_DRIVES, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageW(general, WM_COMMAND, MAKEWPARAM(IDC_GENERAL_DRIVES, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(general, IDC_GENERAL_DRIVES)));
    };
    // No row chosen: the stored destination and disk stay, and nothing is copied anew.
    Run([&](HWND dialog) {
        selectedAtOpen = static_cast<int>(SendDlgItemMessageW(
            SheetPage(dialog, kGeneral), IDC_GENERAL_DRIVES, LB_GETCURSEL, 0, 0));
        chooseRow(dialog, -1);
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(selectedAtOpen, 0);
    std::string destination;
    std::string diskId;
    (void)shell.store.ReadDestination(destination);
    (void)shell.store.ReadDiskId(diskId);
    EXPECT_EQ(destination, "F:\\");
    EXPECT_EQ(diskId, "0000-0001");
    EXPECT_EQ(StartTime(), test::SettingsShell::kSynced);
    EXPECT_EQ(shell.fullCopies, 0);

    // Another drive: its disk becomes the backup disk and gets a complete copy.
    shell.drivesKit->InsertDisk('G', shell.NewDisk(2, 100ULL << 20));
    Run([&](HWND dialog) {
        chooseRow(dialog, 1);
        freeSpaceOfG = test::ItemText(SheetPage(dialog, kGeneral), IDC_GENERAL_FREE_SPACE);
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(freeSpaceOfG, "Free Space: 100 MB");
    (void)shell.store.ReadDestination(destination);
    (void)shell.store.ReadDiskId(diskId);
    EXPECT_EQ(destination, "G:\\");
    EXPECT_EQ(diskId, "0000-0002");
    EXPECT_EQ(StartTime(), 0u);
    EXPECT_EQ(shell.fullCopies, 1);
}

TEST_F(SettingsWindow, ProtectionIsOfferedOnlyForADiskInTheDrive) {
    bool dialogShown = false;
    Run([&](HWND dialog) {
        const HWND general = SheetPage(dialog, kGeneral);
        ThenDrive([&](HWND protect) {
            dialogShown = GetDlgItem(protect, IDC_PROTECT_WRITE) != nullptr;
            test::Click(protect, IDCANCEL);
        });
        test::Click(general, IDC_GENERAL_PROTECT);
        test::Click(dialog, IDCANCEL);
    });
    EXPECT_TRUE(dialogShown);

    // Without a disk the button only refreshes what the page shows: no dialog.
    shell.drivesKit->RemoveDisk('F');
    bool onlyProtect = false;
    Run([&](HWND dialog) {
        const HWND general = SheetPage(dialog, kGeneral);
        test::Click(general, IDC_GENERAL_PROTECT);
        onlyProtect =
            Visible(general, IDC_GENERAL_PROTECT) && !Visible(general, IDC_GENERAL_UNPROTECT);
        test::Click(dialog, IDCANCEL);
    });
    EXPECT_TRUE(onlyProtect);
}

TEST_F(SettingsWindow, FoldersChosenInThePickerAppearSortedAndAreStoredSo) {
    shell.sim.files().PutFolder("C:\\Zebra");
    shell.sim.files().PutFolder("C:\\Apple");
    Strings shown;
    std::string pickerStart;
    Run([&](HWND dialog) {
        const HWND general = SheetPage(dialog, kGeneral);
        ThenDrive([&](HWND window) {
            auto* picker = dynamic_cast<CKRVFolderPickerDlg*>(fw::Window::FromHandle(window));
            ASSERT_NE(picker, nullptr);
            pickerStart = picker->initialFolder();
            picker->AddFolder("C:\\Zebra");
            picker->AddFolder("C:\\Apple");
            test::Click(window, IDOK);
        });
        test::Click(general, IDC_GENERAL_ADD_REMOVE);
        const fw::ListBox list(GetDlgItem(general, IDC_GENERAL_SOURCES));
        for (int i = 0; i < list.Count(); ++i) {
            shown.push_back(list.ItemText(i));
        }
        test::Click(dialog, IDOK);
    });
    // The tree opens at the list's first folder (the picker keeps folders with a backslash).
    EXPECT_TRUE(pickerStart == "C:\\Data" || pickerStart == "C:\\Data\\") << pickerStart;
    EXPECT_EQ(shown, (Strings{"C:\\Apple", "C:\\Data", "C:\\Zebra"}));
    Strings stored;
    ASSERT_EQ(shell.store.ReadSourceList(stored), 0u);
    EXPECT_EQ(stored, shown);
    ASSERT_EQ(shell.folderPasses.size(), 1u);
    EXPECT_EQ(shell.folderPasses[0], (Strings{"C:\\Apple", "C:\\Zebra"}));
}

TEST_F(SettingsWindow, CopyNowOffersOneOfItsTwoBoxesAtATime) {
    bool changedGreyed = false;
    bool changedBack = false;
    bool recopyGreyed = false;
    Run([&](HWND dialog) {
        const HWND page = SheetPage(dialog, kScheduling);
        test::Click(page, IDC_SCHEDULE_RECOPY);
        changedGreyed = !Enabled(page, IDC_SCHEDULE_COPY_CHANGED);
        test::Click(page, IDC_SCHEDULE_RECOPY);
        changedBack = Enabled(page, IDC_SCHEDULE_COPY_CHANGED);
        test::Click(page, IDC_SCHEDULE_COPY_CHANGED);
        recopyGreyed = !Enabled(page, IDC_SCHEDULE_RECOPY);
        test::Click(dialog, IDCANCEL);
    });
    EXPECT_TRUE(changedGreyed);
    EXPECT_TRUE(changedBack);
    EXPECT_TRUE(recopyGreyed);
}

TEST_F(SettingsWindow, ReCopyAllFilesStartsTheEngineWithACompleteCopy) {
    Run([&](HWND dialog) {
        test::Click(SheetPage(dialog, kScheduling), IDC_SCHEDULE_RECOPY);
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(StartTime(), 0u);
    EXPECT_EQ(shell.fullCopies, 1);

    // Only the changed files: a pass at once, from the last-sync time.
    (void)shell.store.WriteStartTime(test::SettingsShell::kSynced);
    Run([&](HWND dialog) {
        test::Click(SheetPage(dialog, kScheduling), IDC_SCHEDULE_COPY_CHANGED);
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(StartTime(), test::SettingsShell::kSynced);
    EXPECT_EQ(shell.fullCopies, 2);
}

TEST_F(SettingsWindow, TheTrayIconBoxPostsExactlyOneChange) {
    Run([&](HWND dialog) {
        test::Click(SheetPage(dialog, kAdvanced), IDC_ADVANCED_TRAY_ICON);
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(shell.trayChanges, std::vector<bool>{false});
    EXPECT_EQ(Dword(&settings::CKRVSettingsStore::ReadIconStatus), 0u);
    Run([&](HWND dialog) {
        test::Click(SheetPage(dialog, kAdvanced), IDC_ADVANCED_TRAY_ICON);
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(shell.trayChanges, (std::vector<bool>{false, true}));
    Run([&](HWND dialog) { test::Click(dialog, IDOK); });
    EXPECT_EQ(shell.trayChanges.size(), 2u);
}

TEST_F(SettingsWindow, SwitchingOffAsksFirstAndStoresOnlyTheSwitch) {
    bool stayedAfterCancel = false;
    const SettingsResult result = Run([&](HWND dialog) {
        const HWND general = SheetPage(dialog, kGeneral);
        test::Click(general, IDC_GENERAL_OFF);
        test::Click(SheetPage(dialog, kScheduling), IDC_SCHEDULE_INTERVAL);
        ThenDrive([](HWND turnOff) { test::Click(turnOff, IDCANCEL); });
        test::Click(dialog, IDOK);
        stayedAfterCancel = IsWindowVisible(dialog) != FALSE;
        ThenDrive([](HWND turnOff) { test::Click(turnOff, IDOK); });
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(result, SettingsResult::Confirmed);
    EXPECT_TRUE(stayedAfterCancel);
    EXPECT_EQ(Dword(&settings::CKRVSettingsStore::ReadMirrorStatus), 0u);
    EXPECT_FALSE(SchedulerStored(names::kSchedulerType));
    EXPECT_EQ(shell.fullCopies, 0);
    EXPECT_TRUE(shell.trayChanges.empty());
}

TEST_F(SettingsWindow, AMissingSourceIsOfferedForCreationAndOneThatCannotBeMadeKeepsTheSheet) {
    (void)shell.store.WriteSourceList({"C:\\Data", "C:\\New\\Letters"});
    int offers = 0;
    bool openAfterRefusal = false;
    const SettingsResult result = Run([&](HWND dialog) {
        ThenDrive([&](HWND create) {
            ++offers;
            test::Click(create, IDCANCEL);
        });
        test::Click(dialog, IDOK);
        openAfterRefusal = IsWindowVisible(dialog) != FALSE;
        ThenDrive([&](HWND create) {
            ++offers;
            test::Click(create, IDOK);
        });
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(result, SettingsResult::Confirmed);
    EXPECT_EQ(offers, 2);
    EXPECT_TRUE(openAfterRefusal);
    uint32_t attributes = 0;
    EXPECT_EQ(shell.sim.files().GetAttributes("C:\\New\\Letters", attributes), 0u);

    // A folder that cannot be made: "access denied" is no success.
    (void)shell.store.WriteSourceList({"C:\\Denied\\Inner"});
    shell.sim.FailOperation(os::sim::SimOperation::CreateDirectory, "C:\\Denied*",
                            os::kErrorAccessDenied);
    bool invalidPathShown = false;
    bool stillOpen = false;
    std::string selected;
    const SettingsResult refused = Run([&](HWND dialog) {
        ThenDrive([&](HWND create) {
            ThenDrive([&](HWND invalid) {
                invalidPathShown = test::ItemText(invalid, IDC_INVALID_PATH_HEADLINE) ==
                                   "You have choosen an invalid path.";
                test::Click(invalid, IDOK);
            });
            test::Click(create, IDOK);
        });
        test::Click(dialog, IDOK);
        stillOpen = IsWindowVisible(dialog) != FALSE;
        const fw::ListBox list(GetDlgItem(SheetPage(dialog, kGeneral), IDC_GENERAL_SOURCES));
        selected = list.ItemText(list.Selection());
        test::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(refused, SettingsResult::Cancelled);
    EXPECT_TRUE(invalidPathShown);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(selected, "C:\\Denied\\Inner");
}

TEST_F(SettingsWindow, AnAddedFolderIsCopiedWholeWithTheProgressChosen) {
    shell.sim.files().PutFolder("C:\\Projects");
    (void)shell.store.WriteProgressStatus(1);
    shell.folderPassResult = 0;
    Run([&](HWND dialog) {
        // The folder picker's answer, as it fills the list.
        const fw::ListBox list(GetDlgItem(SheetPage(dialog, kGeneral), IDC_GENERAL_SOURCES));
        list.Add("C:\\Projects");
        list.Add("c:\\data\\Old");  // inside a folder copied already
        test::Click(dialog, IDOK);
    });
    ASSERT_EQ(shell.folderPasses.size(), 1u);
    EXPECT_EQ(shell.folderPasses[0], Strings{"C:\\Projects"});
    EXPECT_TRUE(shell.folderPassProgress);
    EXPECT_EQ(StartTime(), test::SettingsShell::kSynced);
    EXPECT_EQ(shell.fullCopies, 0);
    Strings stored;
    ASSERT_EQ(shell.store.ReadSourceList(stored), 0u);
    EXPECT_EQ(stored, (Strings{"C:\\Data", "C:\\Projects"}));
    // Its prompts (no disk, disk full) can show: the guard is free while it copies.
    EXPECT_FALSE(shell.guardHeldDuringPass);
}

// The added folder's copy did not complete (no disk, cancelled): its older files would never be
// copied by the ordinary passes, so the engine starts with a complete copy instead.
TEST_F(SettingsWindow, AnAddedFolderWhoseCopyFailedGetsACompleteCopy) {
    shell.sim.files().PutFolder("C:\\Projects");
    shell.folderPassResult = 995;
    Run([&](HWND dialog) {
        fw::ListBox(GetDlgItem(SheetPage(dialog, kGeneral), IDC_GENERAL_SOURCES))
            .Add("C:\\Projects");
        test::Click(dialog, IDOK);
    });
    EXPECT_EQ(shell.folderPasses.size(), 1u);
    EXPECT_EQ(StartTime(), 0u);
    EXPECT_EQ(shell.fullCopies, 1);
}

TEST_F(SettingsWindow, HelpOpensThePageOfTheActivePage) {
    Run([&](HWND dialog) {
        test::Click(dialog, IDC_SETTINGS_HELP);
        ShowPage(dialog, kAdvanced);
        test::Click(dialog, IDC_SETTINGS_HELP);
        ShowPage(dialog, kScheduling);
        test::Click(dialog, IDC_SETTINGS_HELP);
        test::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(shell.helpPages,
              (std::vector<std::wstring>{L"resource\\0201.html", L"resource\\0202.html",
                                         L"resource\\0203.html"}));
}

TEST_F(SettingsWindow, NothingOpensWhileAnotherWindowHoldsTheGuard) {
    shell.sharedState.promptActive = true;
    bool splash = false;
    EXPECT_EQ(RunSettings(shell, [&] { splash = true; }), SettingsResult::Refused);
    EXPECT_FALSE(splash);
    EXPECT_TRUE(shell.sharedState.promptActive);

    shell.sharedState.promptActive = false;
    bool guardHeldDuringSplash = false;
    bool guardHeldDuringSheet = false;
    test::DriveModal(
        [&] {
            return RunSettings(shell,
                               [&] { guardHeldDuringSplash = shell.sharedState.promptActive; });
        },
        [&](HWND dialog) {
            guardHeldDuringSheet = shell.sharedState.promptActive;
            test::Click(dialog, IDCANCEL);
        });
    EXPECT_TRUE(guardHeldDuringSplash);
    EXPECT_TRUE(guardHeldDuringSheet);
    EXPECT_FALSE(shell.sharedState.promptActive);
}

TEST_F(SettingsWindow, TheDestinationsDiskIsShownAndFollowedWhenItLeavesTheDrive) {
    drvKit::sim::SimDiskSpec setup;
    setup.label = "LOCKED";
    setup.identifier = "0000-0009";
    setup.protection = drvKit::kProtectWrite;
    shell.drivesKit->InsertDisk('F', shell.drivesKit->CreateDisk(setup));
    bool unprotectShown = false;
    bool protectHidden = false;
    std::string afterRemoval;
    bool onlyProtectAfter = false;
    Run([&](HWND dialog) {
        const HWND general = SheetPage(dialog, kGeneral);
        unprotectShown = Visible(general, IDC_GENERAL_UNPROTECT);
        protectHidden = !Visible(general, IDC_GENERAL_PROTECT);
        shell.drivesKit->RemoveDisk('F');
        SendMessageW(general, WM_TIMER, 13, 0);  // the page's 15-second refresh
        afterRemoval = test::ItemText(general, IDC_GENERAL_FREE_SPACE);
        onlyProtectAfter =
            Visible(general, IDC_GENERAL_PROTECT) && !Visible(general, IDC_GENERAL_UNPROTECT);
        test::Click(dialog, IDCANCEL);
    });
    EXPECT_TRUE(unprotectShown);
    EXPECT_TRUE(protectHidden);
    EXPECT_EQ(afterRemoval, "Free Space: ?? MB");
    EXPECT_TRUE(onlyProtectAfter);
}

}  // namespace
}  // namespace ui
