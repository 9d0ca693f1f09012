// The folder picker and the create-folder dialog over real folders under Wine, driven with real
// window messages: the tree read as it opens, adding, removing, dragging and dropping folders,
// creating one, the size summed off the window's thread, and what OK and Cancel hand back.

#include "ui/common/folder_picker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "framework/controls.h"
#include "framework/text.h"
#include "os/errors.h"
#include "os/text.h"
#include "os/win32/win32_file_system.h"
#include "res/resource.h"
#include "tests/os/forwarding_file_system.h"
#include "tests/ui/controls_fixture.h"
#include "tests/ui/dialog_driver.h"
#include "ui/common/drawing.h"

namespace ui {
namespace {

using namespace std::chrono_literals;

constexpr uint32_t DriveBit(char letter) {
    return 1u << (letter - 'A');
}

class FolderPicker : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }

    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        root = fw::Utf8(temp) + "picker-" + std::to_string(GetCurrentProcessId()) + "\\";
        for (const char* folder : {"Data\\Work\\Deep", "Data\\empty", "data2", "Zeta", "alpha"}) {
            std::filesystem::create_directories(fw::Wide(root + folder));
        }
        Write("Data\\file.txt", 3u << 20);
        Write("Zeta\\z.bin", 1u << 20);
    }
    void TearDown() override {
        test::HoldKeys({});
        std::error_code ignored;  // what is left behind lies in the temporary folder
        std::filesystem::remove_all(fw::Wide(root), ignored);
    }
    void Write(const std::string& name, size_t size) {
        const HANDLE file = CreateFileW(fw::Wide(root + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const std::string data(size, 'x');
        DWORD written = 0;
        WriteFile(file, data.data(), static_cast<DWORD>(size), &written, nullptr);
        CloseHandle(file);
    }
    static bool IsFolder(const std::string& path) {
        const DWORD attributes = GetFileAttributesW(fw::Wide(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    // The texts of an item's children in the tree.
    static std::vector<std::string> Children(const fw::TreeView& tree, HTREEITEM item) {
        std::vector<std::string> names;
        for (HTREEITEM child = tree.Child(item); child != nullptr; child = tree.Next(child)) {
            names.push_back(tree.ItemText(child));
        }
        return names;
    }
    static HTREEITEM ChildNamed(const fw::TreeView& tree, HTREEITEM item, const std::string& name) {
        for (HTREEITEM child = tree.Child(item); child != nullptr; child = tree.Next(child)) {
            if (os::EqualsIgnoreCase(tree.ItemText(child), name)) {
                return child;
            }
        }
        return nullptr;
    }
    std::string Folder(const std::string& name) const { return root + name; }

    os::win32::Win32FileSystem files;
    std::string root;  // C:\users\...\Temp\picker-N\ (with its backslash)
    const uint32_t cOnly = DriveBit('C');
};

TEST_F(FolderPicker, TheTreeShowsTheAllowedDrivesAndReadsFoldersOnlyAsTheyOpen) {
    CKRVFolderPickerDlg picker(files, nullptr, Folder("Data"), cOnly);
    test::DriveModal(
        [&] { return picker.DoModal(); },
        [&](HWND dialog) {
            const fw::TreeView tree(picker.tree());
            // C: only: the mask allows nothing else.
            ASSERT_NE(tree.Root(), nullptr);
            EXPECT_EQ(tree.Next(tree.Root()), nullptr);
            EXPECT_FALSE(tree.ItemText(tree.Root()).empty());
            // The tree opened at the initial folder.
            EXPECT_TRUE(os::EqualsIgnoreCase(picker.SelectedTreePath(), Folder("Data\\")));
            const HTREEITEM data = tree.Selection();
            const HTREEITEM parent = tree.Parent(data);
            // The way there was read; the folder itself is read when it opens.
            EXPECT_EQ(tree.Child(data), nullptr);
            tree.Expand(data);
            // Folders only, sorted without regard to case.
            EXPECT_EQ(Children(tree, parent),
                      (std::vector<std::string>{"alpha", "Data", "data2", "Zeta"}));
            EXPECT_EQ(Children(tree, data), (std::vector<std::string>{"empty", "Work"}));
            const HTREEITEM empty = ChildNamed(tree, data, "empty");
            const HTREEITEM work = ChildNamed(tree, data, "Work");
            EXPECT_FALSE(tree.HasChildrenMark(empty));
            EXPECT_TRUE(tree.HasChildrenMark(work));
            EXPECT_EQ(tree.ItemImage(work), 4);
            // The images are drawn for the window's scale and the rows hold them.
            const UINT dpi = DpiOf(dialog);
            const int imageSize = dpi >= 192 ? 32 : dpi >= 144 ? 24 : 16;
            int width = 0;
            int height = 0;
            ASSERT_TRUE(ImageList_GetIconSize(TreeView_GetImageList(tree.hwnd(), TVSIL_NORMAL),
                                              &width, &height));
            EXPECT_EQ(width, imageSize);
            EXPECT_GE(TreeView_GetItemHeight(tree.hwnd()), imageSize);
            // Work's own folders are read when it opens, not before.
            EXPECT_EQ(tree.Child(work), nullptr);
            tree.Expand(work);
            EXPECT_EQ(Children(tree, work), (std::vector<std::string>{"Deep"}));
            // Opening a folder without folders takes its expand button away.
            tree.Expand(ChildNamed(tree, work, "Deep"));
            EXPECT_FALSE(tree.HasChildrenMark(ChildNamed(tree, work, "Deep")));
            EXPECT_EQ(test::ItemText(dialog, IDC_PICKER_COPY_SIZE), "Copy Size: 0 MB");
            test::Click(dialog, IDCANCEL);
        });
}

TEST_F(FolderPicker, AFolderOfManyFilesKeepsItsExpandButtonUntilItIsOpened) {
    // Hiding the button would mean reading every name while the parent opens.
    std::filesystem::create_directories(fw::Wide(Folder("Data\\Many")));
    for (int i = 0; i < 600; ++i) {
        Write("Data\\Many\\file " + std::to_string(i) + ".txt", 0);
    }
    CKRVFolderPickerDlg picker(files, nullptr, Folder("Data"), cOnly);
    test::DriveModal([&] { return picker.DoModal(); },
                     [&](HWND dialog) {
                         const fw::TreeView tree(picker.tree());
                         const HTREEITEM data = tree.Selection();
                         tree.Expand(data);
                         const HTREEITEM many = ChildNamed(tree, data, "Many");
                         ASSERT_NE(many, nullptr);
                         EXPECT_TRUE(tree.HasChildrenMark(many));
                         tree.Expand(many);
                         EXPECT_EQ(tree.Child(many), nullptr);
                         EXPECT_FALSE(tree.HasChildrenMark(many));
                         test::Click(dialog, IDCANCEL);
                     });
}

TEST_F(FolderPicker, AddRemoveAndOkGiveTheListInItsOrder) {
    CKRVFolderPickerDlg picker(files, nullptr, Folder("Zeta"), cOnly);
    picker.selectedFolders = {"C:\\Earlier\\"};
    std::vector<std::string> listed;
    bool removeEnabled = true;
    const INT_PTR result = test::DriveModal(
        [&] { return picker.DoModal(); },
        [&](HWND dialog) {
            const fw::ListView list(picker.list());
            removeEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_PICKER_REMOVE)) != FALSE;
            test::Click(dialog, IDC_PICKER_ADD);
            ASSERT_TRUE(picker.SelectPath(Folder("alpha")));
            test::Click(dialog, IDC_PICKER_ADD);
            test::Click(dialog, IDC_PICKER_ADD);  // listed already: nothing new
            ASSERT_TRUE(picker.SelectPath("C:\\"));
            test::Click(dialog, IDC_PICKER_ADD);
            listed = picker.ListedFolders();
            // Delete takes the selected folders out, wherever the focus is in the dialog.
            list.SetSelected(0, true);
            list.SetSelected(2, true);
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_PICKER_REMOVE)));
            test::PressKey(picker.tree(), VK_DELETE);
            test::Click(dialog, IDOK);
        });
    EXPECT_FALSE(removeEnabled);
    EXPECT_EQ(listed,
              (std::vector<std::string>{"C:\\Earlier", Folder("Zeta"), Folder("alpha"), "C:\\"}));
    EXPECT_EQ(result, IDOK);
    // A drive root comes back as "C:\": "C:" would mean the current folder of drive C.
    EXPECT_EQ(picker.selectedFolders, (std::vector<std::string>{Folder("Zeta"), "C:\\"}));
}

TEST_F(FolderPicker, CancelLeavesTheCallersFoldersAlone) {
    CKRVFolderPickerDlg picker(files, nullptr, Folder("Zeta"), cOnly);
    picker.selectedFolders = {"C:\\One", "C:\\Two\\"};
    const INT_PTR result = test::DriveModal([&] { return picker.DoModal(); },
                                            [&](HWND dialog) {
                                                test::Click(dialog, IDC_PICKER_ADD);
                                                test::Click(dialog, IDCANCEL);
                                            });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(picker.selectedFolders, (std::vector<std::string>{"C:\\One", "C:\\Two\\"}));
}

TEST_F(FolderPicker, OkNeedsAFolderOnceTheListWasChanged) {
    CKRVFolderPickerDlg picker(files, nullptr, Folder("Zeta"), cOnly);
    bool okAtFirst = false;
    bool okWhenEmptied = true;
    test::DriveModal([&] { return picker.DoModal(); },
                     [&](HWND dialog) {
                         okAtFirst = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
                         test::Click(dialog, IDC_PICKER_ADD);
                         fw::ListView(picker.list()).SetSelected(0, true);
                         test::Click(dialog, IDC_PICKER_REMOVE);
                         okWhenEmptied = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
                         test::Click(dialog, IDCANCEL);
                     });
    EXPECT_TRUE(okAtFirst);
    EXPECT_FALSE(okWhenEmptied);
}

TEST_F(FolderPicker, FoldersDroppedFromTheShellAreAddedAndFilesIgnored) {
    CKRVFolderPickerDlg picker(files, nullptr, "", cOnly);
    std::vector<std::string> listed;
    std::vector<std::string> refused;
    test::DriveModal(
        [&] { return picker.DoModal(); },
        [&](HWND dialog) {
            const HDROP drop = fw::MakeDropFiles(
                {Folder("Zeta"), Folder("Data\\file.txt"), Folder("alpha\\")}, {5, 5});
            SendMessageW(picker.list(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
            listed = picker.ListedFolders();
            // A folder on a drive that is not allowed is refused with 127, and the
            // others of the same drop are still taken.
            test::DriveModal(
                [&] {
                    const HDROP mixed = fw::MakeDropFiles({"Z:\\tmp", Folder("Data")}, {5, 5});
                    SendMessageW(picker.list(), WM_DROPFILES, reinterpret_cast<WPARAM>(mixed), 0);
                    return 0;
                },
                [&](HWND message) {
                    refused.push_back(test::ItemText(message, IDC_NOT_FIXED_DRIVE_HEADLINE));
                    test::Click(message, IDOK);
                });
            listed.push_back(picker.ListedFolders().back());
            test::Click(dialog, IDCANCEL);
        });
    EXPECT_EQ(listed, (std::vector<std::string>{Folder("Zeta"), Folder("alpha"), Folder("Data")}));
    EXPECT_EQ(refused,
              (std::vector<std::string>{"You must select a local fixed drive as your source."}));
}

TEST_F(FolderPicker, TheSameFolderOnAnotherDriveIsOnlyAddedWhenConfirmed) {
    CKRVFolderPickerDlg picker(files, nullptr, "", DriveBit('C') | DriveBit('Z'));
    picker.selectedFolders = {"C:\\tmp\\Data"};
    std::vector<bool> added;
    test::DriveModal([&] { return picker.DoModal(); },
                     [&](HWND dialog) {
                         for (const int answer : {IDCANCEL, IDOK}) {
                             bool asked = false;
                             added.push_back(test::DriveModal(
                                 [&] { return picker.AddFolder("Z:\\TMP\\data\\"); },
                                 [&](HWND message) {
                                     asked = true;
                                     test::Click(message, answer);
                                 }));
                             EXPECT_TRUE(asked);
                         }
                         test::Click(dialog, IDCANCEL);
                     });
    EXPECT_EQ(added, (std::vector<bool>{false, true}));
}

TEST_F(FolderPicker, NoMoreThan255FoldersAreTaken) {
    CKRVFolderPickerDlg picker(files, nullptr, "", cOnly);
    test::DriveModal([&] { return picker.DoModal(); },
                     [&](HWND dialog) {
                         // Wine's list measures every row at each insert while it redraws; the test
                         // does not
                         // need to watch 255 of them go in.
                         SendMessageW(picker.list(), WM_SETREDRAW, FALSE, 0);
                         for (int i = 0; i < CKRVFolderPickerDlg::kMaxFolders; ++i) {
                             ASSERT_TRUE(picker.AddFolder("C:\\Folder " + std::to_string(i)));
                         }
                         SendMessageW(picker.list(), WM_SETREDRAW, TRUE, 0);
                         EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_PICKER_ADD)));
                         EXPECT_FALSE(picker.AddFolder("C:\\One too many"));
                         EXPECT_EQ(picker.ListedFolders().size(), 255u);
                         fw::ListView(picker.list()).SetSelected(10, true);
                         test::Click(dialog, IDC_PICKER_REMOVE);
                         EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_PICKER_ADD)));
                         EXPECT_TRUE(picker.AddFolder("C:\\One more"));
                         test::Click(dialog, IDCANCEL);
                     });
}

TEST_F(FolderPicker, NewFolderRefusesABadNameWithItsReasonAndCreatesAGoodOne) {
    CKRVFolderPickerDlg picker(files, nullptr, Folder("Data"), cOnly);
    std::string preset;
    std::vector<std::string> reasons;
    std::string afterSlash;
    test::DriveModal(
        [&] { return picker.DoModal(); },
        [&](HWND dialog) {
            test::DriveModal(
                [&] {
                    test::Click(dialog, IDC_PICKER_NEW_FOLDER);
                    return 0;
                },
                [&](HWND create) {
                    const HWND edit = GetDlgItem(create, IDC_NEW_FOLDER_PATH);
                    preset = fw::GetText(edit);
                    // The key that types "/" does nothing.
                    SetFocus(edit);
                    SendMessageW(edit, EM_SETSEL, 1000, 1000);
                    test::PressKey(edit, LOBYTE(VkKeyScanW(L'/')));
                    afterSlash = fw::GetText(edit);
                    const std::vector<std::string> bad = {Folder("Data\\CON"), Folder("Data\\a|b"),
                                                          Folder("Data\\New\\\\Sub"), "Q:\\New"};
                    for (const std::string& path : bad) {
                        fw::SetText(edit, path);
                        test::DriveModal(
                            [&] {
                                test::Click(create, IDOK);
                                return 0;
                            },
                            [&](HWND invalid) {
                                reasons.push_back(test::ItemText(invalid, IDC_INVALID_PATH_REASON));
                                test::Click(invalid, IDOK);
                            });
                    }
                    fw::SetText(edit, Folder("Data\\New \xE6\x96\x87\\Sub"));
                    test::Click(create, IDOK);
                });
            EXPECT_EQ(picker.ListedFolders(),
                      (std::vector<std::string>{Folder("Data\\New \xE6\x96\x87\\Sub")}));
            EXPECT_TRUE(os::EqualsIgnoreCase(picker.SelectedTreePath(),
                                             Folder("Data\\New \xE6\x96\x87\\Sub\\")));
            test::Click(dialog, IDCANCEL);
        });
    EXPECT_TRUE(os::EqualsIgnoreCase(preset, Folder("Data")));
    EXPECT_EQ(afterSlash, preset);
    ASSERT_EQ(reasons.size(), 4u);
    EXPECT_EQ(reasons[0], "CON is a name that Windows keeps for a device.  Choose another name.");
    EXPECT_EQ(reasons[1], fw::LoadText(IDS_FOLDER_CHARACTER));
    EXPECT_EQ(reasons[2], fw::LoadText(IDS_FOLDER_DOUBLE_BACKSLASH));
    EXPECT_EQ(reasons[3], "Q: is not a local fixed drive or a network drive.");
    EXPECT_FALSE(IsFolder(Folder("Data\\CON")));
    EXPECT_TRUE(IsFolder(Folder("Data\\New \xE6\x96\x87\\Sub")));
}

TEST_F(FolderPicker, NewFolderTakesAFolderThatExistsAlready) {
    CKRVFolderPickerDlg picker(files, nullptr, Folder("Data"), cOnly);
    test::DriveModal([&] { return picker.DoModal(); },
                     [&](HWND dialog) {
                         test::DriveModal(
                             [&] {
                                 test::Click(dialog, IDC_PICKER_NEW_FOLDER);
                                 return 0;
                             },
                             [&](HWND create) {
                                 fw::SetText(GetDlgItem(create, IDC_NEW_FOLDER_PATH),
                                             Folder("Data\\Work\\"));
                                 test::Click(create, IDOK);
                             });
                         test::Click(dialog, IDOK);
                     });
    EXPECT_EQ(picker.selectedFolders, (std::vector<std::string>{Folder("Data\\Work")}));
}

TEST_F(FolderPicker, ATreeItemDraggedOntoTheListGoesWhereItIsDropped) {
    CKRVFolderPickerDlg picker(files, nullptr, Folder("alpha"), cOnly);
    picker.selectedFolders = {"C:\\First", "C:\\Second"};
    test::DriveModal(
        [&] { return picker.DoModal(); },
        [&](HWND dialog) {
            const fw::TreeView tree(picker.tree());
            const fw::ListView list(picker.list());
            ASSERT_TRUE(picker.SelectPath(Folder("Zeta")));
            const HTREEITEM zeta = tree.Selection();
            RECT itemRect = {};
            TreeView_GetItemRect(tree.hwnd(), zeta, &itemRect, TRUE);
            NMTREEVIEWW drag = {};
            drag.hdr.hwndFrom = tree.hwnd();
            drag.hdr.idFrom = IDC_PICKER_TREE;
            drag.hdr.code = TVN_BEGINDRAGW;
            drag.itemNew.hItem = zeta;
            drag.ptDrag = {itemRect.left + 4, itemRect.top + 4};
            SendMessageW(dialog, WM_NOTIFY, IDC_PICKER_TREE, reinterpret_cast<LPARAM>(&drag));
            EXPECT_EQ(GetCapture(), dialog);
            // Over the second row of the list: it is marked as the place of the drop.
            RECT rowRect = {};
            ListView_GetItemRect(list.hwnd(), 1, &rowRect, LVIR_LABEL);
            POINT over = {rowRect.left + 6, (rowRect.top + rowRect.bottom) / 2};
            // Another program's window lying over the list for a moment does not take the drop.
            RECT listRect = {};
            GetWindowRect(list.hwnd(), &listRect);
            const HWND cover = CreateWindowExW(
                WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"BUTTON", L"", WS_POPUP,
                listRect.left, listRect.top, listRect.right - listRect.left,
                listRect.bottom - listRect.top, nullptr, nullptr, nullptr, nullptr);
            ShowWindow(cover, SW_SHOWNOACTIVATE);
            MapWindowPoints(list.hwnd(), dialog, &over, 1);
            SendMessageW(dialog, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(over.x, over.y));
            EXPECT_TRUE(list.IsDropHighlighted(1));
            SendMessageW(dialog, WM_LBUTTONUP, 0, MAKELPARAM(over.x, over.y));
            EXPECT_NE(GetCapture(), dialog);
            DestroyWindow(cover);
            EXPECT_FALSE(list.IsDropHighlighted(1));
            EXPECT_EQ(picker.ListedFolders(),
                      (std::vector<std::string>{"C:\\First", Folder("Zeta"), "C:\\Second"}));
            EXPECT_EQ(list.ItemImage(1), tree.ItemImage(zeta));
            // Dropped anywhere but the list: nothing happens.
            ASSERT_TRUE(picker.SelectPath(Folder("alpha")));
            drag.itemNew.hItem = tree.Selection();
            SendMessageW(dialog, WM_NOTIFY, IDC_PICKER_TREE, reinterpret_cast<LPARAM>(&drag));
            SendMessageW(dialog, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
            EXPECT_EQ(picker.ListedFolders().size(), 3u);
            test::Click(dialog, IDCANCEL);
        });
}

// Searches of one folder wait until the test lets them go.
class HeldFiles final : public test::ForwardingFileSystem {
  public:
    using ForwardingFileSystem::ForwardingFileSystem;
    std::string held;
    std::atomic<bool> release{false};

    uint32_t FindFirst(const std::string& pattern, std::unique_ptr<os::DirectorySearch>& search,
                       os::FileInfo& first) override {
        while (pattern == held && !release) {
            std::this_thread::sleep_for(5ms);
        }
        return ForwardingFileSystem::FindFirst(pattern, search, first);
    }
};

TEST_F(FolderPicker, TheSizeIsSummedWhileTheWindowKeepsAnswering) {
    HeldFiles held(files);
    // Deep in the tree: the tree itself never opens it here, the size worker does.
    held.held = Folder("Data\\Work\\Deep\\*.*");
    CKRVFolderPickerDlg picker(held, nullptr, Folder("Data"), cOnly);
    std::string pending;
    std::string done;
    DWORD_PTR answer = 0;
    LRESULT answered = 0;
    test::DriveModal([&] { return picker.DoModal(); },
                     [&](HWND dialog) {
                         test::Click(dialog, IDC_PICKER_ADD);
                         pending = test::ItemText(dialog, IDC_PICKER_COPY_SIZE);
                         answered = SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                                        1000, &answer);
                         held.release = true;
                         EXPECT_TRUE(picker.WaitForSize(10000));
                         done = test::ItemText(dialog, IDC_PICKER_COPY_SIZE);
                         test::Click(dialog, IDCANCEL);
                     });
    EXPECT_EQ(pending, "Copy Size: ... MB");
    EXPECT_NE(answered, 0);
    EXPECT_EQ(done, "Copy Size: 3 MB");
}

// A network drive S: whose server does not answer for a while.
class SlowShare final : public test::ForwardingFileSystem {
  public:
    using ForwardingFileSystem::ForwardingFileSystem;
    uint32_t LogicalDrives() override {
        return ForwardingFileSystem::LogicalDrives() | DriveBit('S');
    }
    os::DriveType GetDriveType(const std::string& root) override {
        if (!root.empty() && (root[0] == 'S' || root[0] == 's')) {
            return os::DriveType::Remote;
        }
        return ForwardingFileSystem::GetDriveType(root);
    }
    uint32_t FindFirst(const std::string& pattern, std::unique_ptr<os::DirectorySearch>& search,
                       os::FileInfo& first) override {
        if (!pattern.empty() && (pattern[0] == 'S' || pattern[0] == 's')) {
            std::this_thread::sleep_for(3s);
            return os::kErrorPathNotFound;
        }
        return ForwardingFileSystem::FindFirst(pattern, search, first);
    }
};

TEST_F(FolderPicker, ANetworkDriveThatDoesNotAnswerHoldsTheWindowForASecondAtMost) {
    SlowShare share(files);
    CKRVFolderPickerDlg picker(share, nullptr, "", cOnly | DriveBit('S'));
    std::string message;
    std::chrono::milliseconds waited{};
    test::DriveModal([&] { return picker.DoModal(); },
                     [&](HWND dialog) {
                         const fw::TreeView tree(picker.tree());
                         HTREEITEM s = tree.Root();
                         while (s != nullptr && picker.TreeItemPath(s) != "S:\\") {
                             s = tree.Next(s);
                         }
                         ASSERT_NE(s, nullptr);
                         EXPECT_EQ(tree.ItemImage(s), 5);
                         const auto start = std::chrono::steady_clock::now();
                         test::DriveModal(
                             [&] {
                                 tree.Expand(s);
                                 return 0;
                             },
                             [&](HWND box) {
                                 waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start);
                                 message = test::ItemText(box, 0xFFFF);
                                 test::Click(box, IDCANCEL);
                             });
                         test::Click(dialog, IDCANCEL);
                     });
    EXPECT_LT(waited, 1800ms);
    EXPECT_EQ(message, "S:\\ is not accessible.\r\n\r\nThe network location cannot be reached.");
}

TEST_F(FolderPicker, HelpOpensThePickersPage) {
    std::wstring opened;
    CKRVFolderPickerDlg picker(
        files, [&opened](std::wstring_view page) { opened = page; }, "", cOnly);
    test::DriveModal([&] { return picker.DoModal(); },
                     [&](HWND dialog) {
                         test::Click(dialog, IDC_PICKER_HELP);
                         test::Click(dialog, IDCANCEL);
                     });
    EXPECT_EQ(opened, L"resource\\0201a.html");
}

TEST_F(FolderPicker, SourceDrivesAreTheFixedAndNetworkDrives) {
    const uint32_t mask = SourceDriveMask(files);
    EXPECT_NE(mask & DriveBit('C'), 0u);
    SlowShare share(files);
    EXPECT_NE(SourceDriveMask(share) & DriveBit('S'), 0u);
    for (int i = 0; i < 26; ++i) {
        if ((mask & (1u << i)) != 0) {
            const std::wstring rootPath = {static_cast<wchar_t>(L'A' + i), L':', L'\\'};
            const UINT type = GetDriveTypeW(rootPath.c_str());
            EXPECT_TRUE(type == DRIVE_FIXED || type == DRIVE_REMOTE) << i;
        }
    }
}

}  // namespace
}  // namespace ui
