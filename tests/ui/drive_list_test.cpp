// The drive list over simulated drives and over the emulated removable drives of Wine: its rows,
// its selection across fills, the root path it gives, and how a row is drawn.

#include "ui/common/drive_list.h"

#include <gtest/gtest.h>

#include "drivekit/drvkit_text.h"
#include "drivekit/sim/sim_drive_backend.h"
#include "drivekit/win32/win32_drive_backend.h"
#include "framework/controls.h"
#include "framework/gdi.h"
#include "os/sim/sim_machine.h"
#include "os/win32/win32_file_system.h"
#include "res/resource.h"
#include "tests/drivekit/wine_media.h"
#include "tests/ui/controls_fixture.h"
#include "tests/ui/dialog_driver.h"

namespace ui {
namespace {

class DriveList : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }

    DriveList() {
        drvKit::sim::SimDriveSpec card;
        card.subFamily = drvKit::kSubFamilyCardReader;
        kit->AddDrive('E', card);
        kit->AddDrive('F');
        kit->AddDrive('G');
        drvKit::sim::SimDiskSpec disk;
        disk.label = "BACKUP1";
        disk.serialNumber = 0x1234ABCD;
        kit->InsertDisk('E', kit->CreateDisk(disk));
        disk.label = "PHOTOS";
        disk.serialNumber = 0x55667788;
        kit->InsertDisk('G', kit->CreateDisk(disk));
        Rebuild();
        EXPECT_TRUE(list.Attach(host.page(), IDC_DRIVE_LIST));
    }

    void Rebuild() {
        std::lock_guard lock(drives.mutex);
        drives.RebuildLocked();
    }
    int Selection() const { return static_cast<int>(list.Send(LB_GETCURSEL)); }
    std::string RowString(int index) const { return fw::ListBox(list.hwnd()).ItemText(index); }

    os::sim::SimMachine sim;
    drvKit::sim::SimDriveKit kit{sim.files()};
    engine::SharedDrives drives;
    test::PageHost host{IDD_WIZARD_DRIVE};
    CKRVDriveListBox list{drives};
};

TEST_F(DriveList, FillsItselfWhenFirstShownWithEachDrivesIconTextAndDisk) {
    EXPECT_FALSE(list.filled());
    RedrawWindow(list.hwnd(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ERASENOW);
    ASSERT_TRUE(list.filled());
    EXPECT_TRUE(list.hasRows());
    ASSERT_EQ(list.rows().size(), 3u);
    const DriveListRow& e = list.rows()[0];
    EXPECT_EQ(e.displayText, "BACKUP1 (E:)");
    EXPECT_EQ(e.volumeText, "BACKUP1");
    EXPECT_EQ(e.rootPath, "E:\\");
    EXPECT_EQ(e.iconId, drvKit::IconForSubFamily(drvKit::kSubFamilyCardReader));
    const DriveListRow& f = list.rows()[1];
    EXPECT_EQ(f.displayText, "Removable Disk (F:)");
    EXPECT_EQ(f.volumeText, "( No disk in drive )");
    EXPECT_EQ(f.volumeText, fw::LoadText(IDS_NO_DISK_IN_DRIVE));
    // What a screen reader reads of a row: what the row shows.
    EXPECT_EQ(RowString(0), "BACKUP1 (E:), BACKUP1");
    EXPECT_EQ(RowString(1), "Removable Disk (F:), ( No disk in drive )");
    EXPECT_EQ(fw::ListBox(list.hwnd()).Count(), 3);
    // Rows of 40 pixels from string 57665, icons of 32 (at the 96 DPI of the test's screen).
    EXPECT_EQ(list.Send(LB_GETITEMHEIGHT, 1), 40);
    EXPECT_EQ(list.RowHeight(), 40);
    EXPECT_EQ(list.IconSize(), 32);
    EXPECT_EQ(Selection(), -1);
}

TEST_F(DriveList, NoSelectionGivesNoRootPathAndALetterSelectsItsDrive) {
    EXPECT_EQ(list.SelectedRootPath(), "");
    // Before the first fill: the list fills itself to find the drive.
    EXPECT_EQ(list.SelectDriveByLetter('g'), 2);
    EXPECT_TRUE(list.filled());
    EXPECT_EQ(list.SelectedRootPath(), "G:\\");
    EXPECT_EQ(list.SelectDriveByLetter('e'), 0);
    EXPECT_EQ(list.SelectedRootPath(), "E:\\");
    EXPECT_EQ(list.SelectDriveByLetter('Q'), -1);  // nothing changes
    EXPECT_EQ(list.SelectedRootPath(), "E:\\");
    list.Send(LB_SETCURSEL, static_cast<WPARAM>(-1));
    EXPECT_EQ(list.SelectedRootPath(), "");
}

TEST_F(DriveList, TheSelectedDriveStaysSelectedAcrossFillsWhereverItsRowMoves) {
    list.FillDrives();
    list.Send(LB_SETCURSEL, 2);  // the user picks G:
    EXPECT_EQ(list.FillDrives(), 3);
    EXPECT_EQ(Selection(), 2);
    // E: goes away: G: is the second row now, and still the one selected.
    kit->RemoveDisk('E');
    sim.files().RemoveDrive("E:");
    Rebuild();
    EXPECT_EQ(list.FillDrives(), 2);
    EXPECT_EQ(Selection(), 1);
    EXPECT_EQ(list.SelectedRootPath(), "G:\\");
    // G: goes too: nothing is selected rather than another drive.
    sim.files().RemoveDrive("G:");
    Rebuild();
    EXPECT_EQ(list.FillDrives(), 1);
    EXPECT_EQ(Selection(), -1);
    EXPECT_EQ(list.SelectedRootPath(), "");
}

TEST_F(DriveList, ARowKeepsItsDriveWhileTheSharedArrayIsRebuiltBehindIt) {
    list.SelectDriveByLetter('G');
    sim.files().RemoveDrive("E:");
    Rebuild();  // another thread's rebuild; the list is not filled again yet
    EXPECT_EQ(list.SelectedRootPath(), "G:\\");
}

TEST_F(DriveList, AnEmptyDriveArrayGivesAnEmptyListWithNothingSelected) {
    for (const char* root : {"E:", "F:", "G:"}) {
        sim.files().RemoveDrive(root);
    }
    Rebuild();
    EXPECT_EQ(list.FillDrives(), 0);
    EXPECT_TRUE(list.filled());
    EXPECT_FALSE(list.hasRows());
    EXPECT_EQ(list.SelectDriveByLetter('E'), -1);
    EXPECT_EQ(list.SelectedRootPath(), "");
}

// Draws one row into a bitmap as the list box asks its parent to, and reads pixels back.
class RowPicture {
  public:
    RowPicture(HWND list, int index, bool selected)
        : screen_(nullptr),
          dc_(CreateCompatibleDC(screen_.get())),
          bitmap_(CreateCompatibleBitmap(screen_.get(), 200, 40)) {
        fw::Selection select(dc_.Get(), bitmap_.Get());
        const RECT all = {0, 0, 200, 40};
        FillRect(dc_.Get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_LISTBOX;
        item.CtlID = static_cast<UINT>(GetDlgCtrlID(list));
        item.itemID = static_cast<UINT>(index);
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = selected ? ODS_SELECTED : 0;
        item.hwndItem = list;
        item.hDC = dc_.Get();
        item.rcItem = {0, 0, 200, 40};
        SendMessageW(GetParent(list), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 200; ++x) {
                pixels_[y][x] = GetPixel(dc_.Get(), x, y);
            }
        }
    }
    COLORREF At(int x, int y) const { return pixels_[y][x]; }
    // Pixels of a rectangle that differ from the colour.
    int CountOtherThan(COLORREF colour, RECT area) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                count += pixels_[y][x] != colour ? 1 : 0;
            }
        }
        return count;
    }

  private:
    fw::WindowDc screen_;
    fw::MemoryDc dc_;
    fw::Bitmap bitmap_;
    COLORREF pixels_[40][200] = {};
};

TEST_F(DriveList, ARowShowsItsIconCentredAndItsTwoLinesInTheSelectionsColours) {
    list.FillDrives();
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const RowPicture plain(list.hwnd(), 0, false);
    EXPECT_EQ(plain.At(199, 1), window);
    // The icon: 32 x 32 at x 4, centred in the 40-pixel row; nothing outside it left of the text.
    EXPECT_GT(plain.CountOtherThan(window, {4, 4, 36, 36}), 100);
    EXPECT_EQ(plain.CountOtherThan(window, {0, 0, 4, 40}), 0);
    EXPECT_EQ(plain.CountOtherThan(window, {4, 0, 36, 4}), 0);
    // Both lines of text, from x 44.
    EXPECT_GT(plain.CountOtherThan(window, {44, 4, 200, 18}), 10);
    EXPECT_GT(plain.CountOtherThan(window, {44, 19, 200, 34}), 10);

    const RowPicture selected(list.hwnd(), 1, true);
    EXPECT_EQ(selected.At(199, 1), highlight);
    EXPECT_GT(selected.CountOtherThan(highlight, {44, 4, 200, 34}), 10);

    // A row the list does not have draws nothing.
    const RowPicture outside(list.hwnd(), 7, true);
    EXPECT_EQ(outside.CountOtherThan(RGB(0, 0, 0), {0, 0, 200, 40}), 0);
}

// Wine's emulated removable drives through the drive library's real backend.
class EmulatedDriveList : public ::testing::Test {
  protected:
    static constexpr char kLetter = 'R';
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }

    void SetUp() override {
        if (!winetest::RunningUnderWine()) {
            GTEST_SKIP() << "the emulated removable drives exist under Wine only";
        }
        const std::string media = winetest::HostMediaFolder();
        ASSERT_FALSE(media.empty()) << "WINEPREFIX is not set";
        medium = media + "/drive-list-test-" + std::to_string(GetCurrentProcessId());
        ASSERT_EQ(winetest::MakeMedium(medium, "ARCHIVE2", "0a0b0c0d"), 0u);
        ASSERT_EQ(winetest::InsertMedium(kLetter, medium), 0u);
        drvKit::InstallBackend(std::make_unique<drvKit::win32::Win32DriveBackend>(files));
    }
    void TearDown() override {
        drvKit::InstallBackend(nullptr);
        if (!medium.empty()) {
            winetest::RemoveDrive(kLetter);
            winetest::RemoveMedium(medium);
        }
    }

    const DriveListRow* RowOf(const CKRVDriveListBox& list, const std::string& root) {
        for (const DriveListRow& row : list.rows()) {
            if (row.rootPath == root) {
                return &row;
            }
        }
        return nullptr;
    }

    os::win32::Win32FileSystem files;
    std::string medium;
};

TEST_F(EmulatedDriveList, ShowsTheDiskInTheDriveAndNoDiskOnceItIsOut) {
    engine::SharedDrives drives;
    test::PageHost host(IDD_WIZARD_DRIVE);
    CKRVDriveListBox list(drives);
    ASSERT_TRUE(list.Attach(host.page(), IDC_DRIVE_LIST));
    {
        std::lock_guard lock(drives.mutex);
        drives.RebuildLocked();
    }
    list.FillDrives();
    const DriveListRow* row = RowOf(list, "R:\\");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->displayText, "ARCHIVE2 (R:)");
    EXPECT_EQ(row->volumeText, "ARCHIVE2");
    EXPECT_NE(row->iconId, 0);
    EXPECT_EQ(RowOf(list, "C:\\"), nullptr);  // fixed disks are not the maker's
    EXPECT_GE(list.SelectDriveByLetter('r'), 0);

    ASSERT_EQ(winetest::EjectMedium(kLetter), 0u);
    {
        std::lock_guard lock(drives.mutex);
        drives.RebuildLocked();
    }
    list.FillDrives();
    row = RowOf(list, "R:\\");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->volumeText, "( No disk in drive )");
    EXPECT_EQ(list.SelectedRootPath(), "R:\\");
}

}  // namespace
}  // namespace ui
