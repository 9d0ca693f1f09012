// The file exclusion dialog with real window messages, over the simulated machine's registered
// file types: stored entries, typed extensions, moving rows, Enter, and what it hands back.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/text.h"
#include "res/resource.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/settings_test_shell.h"
#include "ui/settings/file_exclusion_dialog.h"

namespace ui {
namespace {

using Strings = std::vector<std::string>;
using Row = std::pair<std::string, std::string>;  // description, extension

std::vector<Row> Rows(HWND dialog, int id) {
    const fw::ListView list(GetDlgItem(dialog, id));
    std::vector<Row> rows;
    for (int i = 0; i < list.Count(); ++i) {
        rows.emplace_back(list.ItemText(i, 0), list.ItemText(i, 1));
    }
    return rows;
}

bool HasExtension(const std::vector<Row>& rows, const std::string& extension) {
    for (const Row& row : rows) {
        if (row.second == extension) {
            return true;
        }
    }
    return false;
}

// Types into the entry field as the keyboard would: one character message each.
void Type(HWND dialog, const std::wstring& text) {
    const HWND edit = GetDlgItem(dialog, IDC_EXCLUSION_TYPED);
    SetFocus(edit);
    for (const wchar_t c : text) {
        SendMessageW(edit, WM_CHAR, c, 1);
    }
}

// Presses Enter where the focus is, as the dialog's keyboard handling sees it.
void PressEnter(HWND dialog) {
    MSG message = {GetFocus(), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
    IsDialogMessageW(dialog, &message);
}

class ExclusionDialog : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }

    // Runs the dialog with the script; true when it closed with OK.
    bool Run(const std::function<void(HWND)>& script) {
        dialog = std::make_unique<CKRVFileExclusionDlg>(shell, nullptr);
        return test::DriveModal([&] { return dialog->DoModal(); }, script) == IDOK;
    }

    test::SettingsShell shell;
    std::unique_ptr<CKRVFileExclusionDlg> dialog;
};

TEST_F(ExclusionDialog, ShowsTheRegisteredTypesSortedAndTheStoredEntriesAsTheyAre) {
    ASSERT_EQ(shell.store.WriteFilterList({"tar.gz", "txt", "TMP"}), 0u);
    std::vector<Row> known;
    std::vector<Row> excluded;
    std::string typed = "x";
    int selected = -1;
    ASSERT_TRUE(Run([&](HWND window) {
        known = Rows(window, IDC_EXCLUSION_KNOWN);
        excluded = Rows(window, IDC_EXCLUSION_EXCLUDED);
        typed = test::ItemText(window, IDC_EXCLUSION_TYPED);
        selected = fw::ListView(GetDlgItem(window, IDC_EXCLUSION_KNOWN)).IsSelected(0) ? 0 : -1;
        test::Click(window, IDOK);
    }));
    EXPECT_EQ(known, (std::vector<Row>{{"Bitmap image", "bmp"},
                                       {"Compressed (zipped) Folder", "zip"},
                                       {"Configuration settings", "ini"},
                                       {"JPEG image", "jpeg"},
                                       {"Microsoft Word 97 - 2003 Document", "doc"}}));
    // "tar.gz" stays whole (cut at its dot it would exclude every .gz file); a registered one
    // keeps its description.
    EXPECT_EQ(excluded, (std::vector<Row>{{"User Defined Type", "tar.gz"},
                                          {"Text Document", "txt"},
                                          {"User Defined Type", "TMP"}}));
    EXPECT_EQ(typed, "");
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(dialog->extensions(), (Strings{"tar.gz", "txt", "TMP"}));
    // The dialog stores nothing itself.
    Strings stored;
    ASSERT_EQ(shell.store.ReadFilterList(stored), 0u);
    EXPECT_EQ(stored, (Strings{"tar.gz", "txt", "TMP"}));
}

TEST_F(ExclusionDialog, TypedExtensionsLoseWhatComesBeforeTheirFirstDotAndComeInOnce) {
    std::vector<Row> excluded;
    std::vector<Row> known;
    ASSERT_TRUE(Run([&](HWND window) {
        Type(window, L".DOC");  // the registered type is doc: this is another one
        test::Click(window, IDC_EXCLUSION_ADD);
        Type(window, L"doc");  // excluded already, in another letter case
        test::Click(window, IDC_EXCLUSION_ADD);
        Type(window, L"archive.tar.gz");
        test::Click(window, IDC_EXCLUSION_ADD);
        Type(window, L"jpeg");  // exactly a registered one: its row moves over
        test::Click(window, IDC_EXCLUSION_ADD);
        excluded = Rows(window, IDC_EXCLUSION_EXCLUDED);
        known = Rows(window, IDC_EXCLUSION_KNOWN);
        test::Click(window, IDOK);
    }));
    EXPECT_EQ(excluded, (std::vector<Row>{{"User Defined Type", "DOC"},
                                          {"User Defined Type", "tar.gz"},
                                          {"JPEG image", "jpeg"}}));
    EXPECT_TRUE(HasExtension(known, "doc"));
    EXPECT_FALSE(HasExtension(known, "jpeg"));
    EXPECT_EQ(dialog->extensions(), (Strings{"DOC", "tar.gz", "jpeg"}));
}

TEST_F(ExclusionDialog, CharactersNoFileNameMayHoldNeverGetIntoTheField) {
    std::string typed;
    std::string pasted;
    ASSERT_TRUE(Run([&](HWND window) {
        Type(window, L"*8\\/:?\"<>|x");
        typed = test::ItemText(window, IDC_EXCLUSION_TYPED);
        // Text that arrives other than by keys (a paste, an input method's result) too.
        const HWND edit = GetDlgItem(window, IDC_EXCLUSION_TYPED);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, EM_REPLACESEL, TRUE,
                     reinterpret_cast<LPARAM>(L"m\u00fcsic/*.fl\u00e4c"));
        pasted = test::ItemText(window, IDC_EXCLUSION_TYPED);
        test::Click(window, IDC_EXCLUSION_ADD);
        test::Click(window, IDOK);
    }));
    EXPECT_EQ(typed, "8x");
    EXPECT_EQ(pasted, "müsic.fläc");
    EXPECT_EQ(dialog->extensions(), (Strings{"fläc"}));
}

TEST_F(ExclusionDialog, EnterAddsOrRemovesWhereTheFocusIsAndOnlyOkCloses) {
    ASSERT_EQ(shell.store.WriteFilterList({"bak"}), 0u);
    std::vector<Row> afterAdd;
    std::vector<Row> afterRemove;
    bool stillOpen = false;
    Strings storedMeanwhile;
    ASSERT_TRUE(Run([&](HWND window) {
        Type(window, L"log");
        PressEnter(window);
        afterAdd = Rows(window, IDC_EXCLUSION_EXCLUDED);
        stillOpen = IsWindowVisible(window) != FALSE;
        (void)shell.store.ReadFilterList(storedMeanwhile);

        // Enter in the excluded list takes its selected rows back.
        const fw::ListView excluded(GetDlgItem(window, IDC_EXCLUSION_EXCLUDED));
        SetFocus(excluded.hwnd());
        excluded.SetSelected(0, true);
        PressEnter(window);
        afterRemove = Rows(window, IDC_EXCLUSION_EXCLUDED);

        // Enter in the known list excludes its selected row (the first, after each add).
        SetFocus(GetDlgItem(window, IDC_EXCLUSION_KNOWN));
        PressEnter(window);
        test::Click(window, IDOK);
    }));
    EXPECT_EQ(afterAdd,
              (std::vector<Row>{{"User Defined Type", "bak"}, {"User Defined Type", "log"}}));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(storedMeanwhile, (Strings{"bak"}));
    EXPECT_EQ(afterRemove, (std::vector<Row>{{"User Defined Type", "log"}}));
    EXPECT_EQ(dialog->extensions(), (Strings{"log", "bmp"}));
}

TEST_F(ExclusionDialog, RowsMoveBothWaysAndARemovedTypeIsSortedIn) {
    ASSERT_EQ(shell.store.WriteFilterList({"zip", "own"}), 0u);
    std::vector<Row> known;
    ASSERT_TRUE(Run([&](HWND window) {
        const fw::ListView excluded(GetDlgItem(window, IDC_EXCLUSION_EXCLUDED));
        excluded.SetSelected(0, true);
        excluded.SetSelected(1, true);
        test::Click(window, IDC_EXCLUSION_REMOVE);
        known = Rows(window, IDC_EXCLUSION_KNOWN);
        test::Click(window, IDOK);
    }));
    ASSERT_EQ(known.size(), 7u);
    EXPECT_EQ(known[1], (Row{"Compressed (zipped) Folder", "zip"}));
    EXPECT_EQ(known.back(), (Row{"User Defined Type", "own"}));
    EXPECT_TRUE(dialog->extensions().empty());
}

// Many registered types, put in order before they go in: the list holds them in the order its
// own sorting gives (a sorted list view filled one row at a time is the yardstick), only the
// first row is selected, and a type taken back is still sorted in.
TEST_F(ExclusionDialog, ManyTypesAreListedInTheListsOwnOrder) {
    std::unique_ptr<os::RegistryKey> key;
    for (int i = 0; i < 300; ++i) {
        // Descriptions out of order, in both letter cases, some twice.
        const int n = (i * 7919) % 300;
        const std::string description =
            std::string(n % 3 == 0 ? "type " : "Type ") + std::to_string(n % 250);
        const std::string program = "Many.Type" + std::to_string(i);
        ASSERT_EQ(
            shell.sim.registry().CreateKey(os::Hive::ClassesRoot, ".m" + std::to_string(i), key),
            0u);
        ASSERT_EQ(key->SetValue("", os::RegistryValue::String(program)), 0u);
        ASSERT_EQ(shell.sim.registry().CreateKey(os::Hive::ClassesRoot, program, key), 0u);
        ASSERT_EQ(key->SetValue("", os::RegistryValue::String(description)), 0u);
    }
    ASSERT_EQ(shell.store.WriteFilterList({"m17"}), 0u);
    std::vector<Row> known;
    std::vector<Row> afterRemove;
    int selectedRows = -1;
    std::vector<std::string> yardstick;
    ASSERT_TRUE(Run([&](HWND window) {
        const fw::ListView list(GetDlgItem(window, IDC_EXCLUSION_KNOWN));
        known = Rows(window, IDC_EXCLUSION_KNOWN);
        selectedRows = static_cast<int>(list.Send(LVM_GETSELECTEDCOUNT, 0, 0));
        const fw::ListView sorted(CreateWindowExW(0, WC_LISTVIEWW, L"",
                                                  WS_POPUP | LVS_REPORT | LVS_SORTASCENDING, 0, 0,
                                                  100, 100, nullptr, nullptr, nullptr, nullptr));
        sorted.InsertColumn(0, "", 100);
        for (const Row& row : known) {
            sorted.InsertItem(sorted.Count(), row.first);
        }
        for (int i = 0; i < sorted.Count(); ++i) {
            yardstick.push_back(sorted.ItemText(i, 0));
        }
        DestroyWindow(sorted.hwnd());
        fw::ListView(GetDlgItem(window, IDC_EXCLUSION_EXCLUDED)).SetSelected(0, true);
        test::Click(window, IDC_EXCLUSION_REMOVE);
        afterRemove = Rows(window, IDC_EXCLUSION_KNOWN);
        test::Click(window, IDOK);
    }));
    ASSERT_EQ(known.size(), 6u + 299u);
    std::vector<std::string> descriptions;
    for (const Row& row : known) {
        descriptions.push_back(row.first);
    }
    EXPECT_EQ(descriptions, yardstick);
    EXPECT_EQ(selectedRows, 1);
    EXPECT_FALSE(HasExtension(known, "m17"));
    ASSERT_EQ(afterRemove.size(), known.size() + 1);
    for (size_t i = 0; i < afterRemove.size(); ++i) {
        if (afterRemove[i].second == "m17") {
            ASSERT_GT(i, 0u);
            ASSERT_LT(i + 1, afterRemove.size());
            EXPECT_LE(lstrcmpW(fw::Wide(afterRemove[i - 1].first).c_str(),
                               fw::Wide(afterRemove[i].first).c_str()),
                      0);
            EXPECT_LE(lstrcmpW(fw::Wide(afterRemove[i].first).c_str(),
                               fw::Wide(afterRemove[i + 1].first).c_str()),
                      0);
        }
    }
    EXPECT_TRUE(HasExtension(afterRemove, "m17"));
}

TEST_F(ExclusionDialog, CancelHandsBackNothingAndHelpOpensItsPage) {
    EXPECT_FALSE(Run([&](HWND window) {
        Type(window, L"iso");
        test::Click(window, IDC_EXCLUSION_ADD);
        test::Click(window, IDC_EXCLUSION_HELP);
        test::Click(window, IDCANCEL);
    }));
    EXPECT_TRUE(dialog->extensions().empty());
    EXPECT_EQ(shell.helpPages, std::vector<std::wstring>{L"resource\\0202a.html"});
}

}  // namespace
}  // namespace ui
