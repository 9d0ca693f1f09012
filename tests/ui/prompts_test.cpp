// Each prompt of the engine, shown through the prompt interface and driven with real window
// messages: its texts, its preset choice, its buttons and boxes, and what it reports.

#include <gtest/gtest.h>

#include "framework/text.h"
#include "res/resource.h"
#include "tests/ui/dialog_driver.h"
#include "ui/common/base_dialog.h"
#include "ui/prompts/disk_prompts.h"
#include "ui/prompts/message_dialogs.h"
#include "ui/prompts/prompt_views.h"

namespace ui {
namespace {

class Prompts : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }
    DialogPromptView view;
};

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

bool HasHeadingFont(HWND dialog, int id) {
    return reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog, id, WM_GETFONT, 0, 0)) ==
               CKRVBaseDlg::HeadingFont() &&
           CKRVBaseDlg::HeadingFont() != nullptr;
}

const os::SystemTime kFirst{2026, 3, 0, 14, 9, 30, 0, 0};
const os::SystemTime kLast{2026, 12, 0, 7, 18, 5, 0, 0};

TEST_F(Prompts, DiskFullShowsTheDatesAndTheStoreAndPresetsANewDisk) {
    std::string dates;
    std::string store;
    bool preset = false;
    bool bold = false;
    const auto choice = test::DriveModal([&] { return view.ShowDiskFull(kFirst, kLast); },
                                         [&](HWND dialog) {
                                             dates = test::ItemText(dialog, IDC_DISK_FULL_DATES);
                                             store = test::ItemText(dialog, IDC_DISK_FULL_STORE);
                                             preset = Checked(dialog, IDC_DISK_FULL_NEW_DISK);
                                             bold = HasHeadingFont(dialog, IDC_DISK_FULL_HEADLINE);
                                             test::Click(dialog, IDOK);
                                         });
    EXPECT_EQ(dates,
              "This disk contains files from 3/14/2026 to 12/7/2026.\n\r\n\rTip: To keep your "
              "files secure you should label and write protect this disk.");
    EXPECT_EQ(store, fw::LoadText(IDS_STORE_ADDRESS));
    EXPECT_TRUE(preset);
    EXPECT_TRUE(bold);
    EXPECT_TRUE(choice.ok);
    EXPECT_FALSE(choice.disable);
}

TEST_F(Prompts, DiskFullReportsDisableAndCancel) {
    CKRVDiskFullDlg disable(kFirst, kLast);
    const INT_PTR disabled = test::DriveModal([&] { return disable.DoModal(); },
                                              [](HWND dialog) {
                                                  test::Click(dialog, IDC_DISK_FULL_DISABLE);
                                                  test::Click(dialog, IDOK);
                                              });
    EXPECT_EQ(disabled, IDCANCEL);
    EXPECT_TRUE(disable.choice().ok);
    EXPECT_TRUE(disable.choice().disable);

    const auto cancelled = test::DriveModal([&] { return view.ShowDiskFull(kFirst, kLast); },
                                            [](HWND dialog) { test::Click(dialog, IDCANCEL); });
    EXPECT_FALSE(cancelled.ok);
}

TEST_F(Prompts, WrongDiskReportsEachChoiceWithItsResult) {
    const struct {
        int radio;
        engine::WrongDiskOption option;
        INT_PTR result;
    } cases[] = {
        {0, engine::WrongDiskOption::InsertMyDisk, 1},
        {IDC_WRONG_DISK_ADOPT, engine::WrongDiskOption::MakeCurrentDisk, 1045},
        {IDC_WRONG_DISK_DONT_WARN, engine::WrongDiskOption::DoNotWarnAgain, 2},
        {IDC_WRONG_DISK_DISABLE, engine::WrongDiskOption::Disable, 2},
    };
    for (const auto& c : cases) {
        CKRVWrongDiskDlg dialog;
        bool preset = false;
        const INT_PTR result = test::DriveModal([&] { return dialog.DoModal(); },
                                                [&](HWND window) {
                                                    preset = Checked(window, IDC_WRONG_DISK_INSERT);
                                                    if (c.radio != 0) {
                                                        test::Click(window, c.radio);
                                                    }
                                                    test::Click(window, IDOK);
                                                });
        EXPECT_TRUE(preset);
        EXPECT_EQ(result, c.result) << c.radio;
        EXPECT_TRUE(dialog.choice().ok);
        EXPECT_EQ(dialog.choice().option, c.option) << c.radio;
    }
    const auto cancelled = test::DriveModal([&] { return view.ShowWrongDisk(); },
                                            [](HWND window) { test::Click(window, IDCANCEL); });
    EXPECT_FALSE(cancelled.ok);
}

TEST_F(Prompts, NoDiskReportsItsButtonsAndChoices) {
    using Button = engine::NoDiskButton;
    using Option = engine::NoDiskOption;
    const struct {
        int radio;
        int button;
        Button reported;
        Option option;
    } cases[] = {
        {0, IDOK, Button::Ok, Option::InsertMyDisk},
        {IDC_NO_DISK_DONT_WARN, IDOK, Button::Ok, Option::DoNotWarnAgain},
        {IDC_NO_DISK_DISABLE, IDOK, Button::Ok, Option::Disable},
        {0, IDCANCEL, Button::Cancel, Option::InsertMyDisk},
        {0, IDC_NO_DISK_REMIND_LATER, Button::RemindMeLater, Option::InsertMyDisk},
        {0, IDC_NO_DISK_DONT_REMIND, Button::DontRemindMe, Option::InsertMyDisk},
        {0, IDC_CLOSE_BUTTON, Button::Cancel, Option::InsertMyDisk},
    };
    for (const auto& c : cases) {
        CKRVNoDiskDlg dialog;
        const INT_PTR result = test::DriveModal([&] { return dialog.DoModal(); },
                                                [&](HWND window) {
                                                    if (c.radio != 0) {
                                                        test::Click(window, c.radio);
                                                    }
                                                    test::Click(window, c.button);
                                                });
        const bool looksAgain = c.reported == Button::Ok && c.option == Option::InsertMyDisk;
        EXPECT_EQ(result, looksAgain ? IDOK : IDCANCEL) << c.button << " " << c.radio;
        EXPECT_EQ(dialog.choice().button, c.reported) << c.button;
        EXPECT_EQ(dialog.choice().option, c.option) << c.radio;
    }
}

TEST_F(Prompts, InsertDiskShowsTheDriveAndItsLabel) {
    HICON icon = nullptr;
    std::string label;
    const bool ok = test::DriveModal(
        [&] { return view.ShowInsertDisk(IDI_DRIVE_1, "Corvant Drive (F:)  BACKUP-1"); },
        [&](HWND dialog) {
            icon = reinterpret_cast<HICON>(
                SendDlgItemMessageW(dialog, IDC_INSERT_DISK_DRIVE_ICON, STM_GETICON, 0, 0));
            label = test::ItemText(dialog, IDC_INSERT_DISK_LABEL);
            test::Click(dialog, IDOK);
        });
    EXPECT_TRUE(ok);
    EXPECT_NE(icon, nullptr);
    EXPECT_EQ(label, "Corvant Drive (F:)  BACKUP-1");

    HICON none = reinterpret_cast<HICON>(1);
    const bool later =
        test::DriveModal([&] { return view.ShowInsertDisk(0, "E:"); },
                         [&](HWND dialog) {
                             none = reinterpret_cast<HICON>(SendDlgItemMessageW(
                                 dialog, IDC_INSERT_DISK_DRIVE_ICON, STM_GETICON, 0, 0));
                             test::Click(dialog, IDCANCEL);  // Remind me later
                         });
    EXPECT_FALSE(later);
    EXPECT_EQ(none, nullptr);
}

TEST_F(Prompts, FileTooLargeTellsThePathAndItsBox) {
    std::string text;
    const auto ticked =
        test::DriveModal([&] { return view.ShowFileTooLarge("C:\\Films\\...\\Holiday.mkv"); },
                         [&](HWND dialog) {
                             text = test::ItemText(dialog, IDC_TOO_LARGE_TEXT);
                             test::Click(dialog, IDC_DONT_SHOW_AGAIN);
                             test::Click(dialog, IDOK);
                         });
    EXPECT_EQ(text,
              "The file C:\\Films\\...\\Holiday.mkv exceeds the maximum capacity of the media and "
              "will be skipped.");
    EXPECT_TRUE(ticked.ok);
    EXPECT_TRUE(ticked.dontShowAgain);

    const auto clear = test::DriveModal([&] { return view.ShowFileTooLarge("a"); },
                                        [](HWND dialog) { test::Click(dialog, IDOK); });
    EXPECT_TRUE(clear.ok);
    EXPECT_FALSE(clear.dontShowAgain);

    // A ticked box counts only when OK closes the notice.
    const auto closed = test::DriveModal([&] { return view.ShowFileTooLarge("a"); },
                                         [](HWND dialog) {
                                             test::Click(dialog, IDC_DONT_SHOW_AGAIN);
                                             test::Click(dialog, IDC_CLOSE_BUTTON);
                                         });
    EXPECT_FALSE(closed.ok);
}

TEST_F(Prompts, FileErrorShowsCodeTextAndTheDriveNoteOnlyForCode15) {
    std::string text;
    std::string note;
    engine::FileErrorDetails details{"C:\\Data\\Budget.xlsx", 32,
                                     "The process cannot access the file.", false};
    test::DriveModal([&] { return view.ShowFileError(details); },
                     [&](HWND dialog) {
                         text = test::ItemText(dialog, IDC_FILE_ERROR_TEXT);
                         note = test::ItemText(dialog, IDC_FILE_ERROR_NOTE);
                         test::Click(dialog, IDOK);
                     });
    EXPECT_EQ(text,
              "While processing file: C:\\Data\\Budget.xlsx Corvant Ferrolin 2 encountered an "
              "error: 32 The process cannot access the file.");
    EXPECT_EQ(note, " ");

    details = {"F:\\Letter.docx", 15, "??", true};
    const auto choice = test::DriveModal([&] { return view.ShowFileError(details); },
                                         [&](HWND dialog) {
                                             note = test::ItemText(dialog, IDC_FILE_ERROR_NOTE);
                                             test::Click(dialog, IDC_DONT_SHOW_AGAIN);
                                             test::Click(dialog, IDOK);
                                         });
    EXPECT_EQ(note, fw::LoadText(IDS_DRIVE_NOTE));
    EXPECT_TRUE(choice.dontShowAgain);
}

TEST_F(Prompts, LongFileNameAndDiskBecomingFull) {
    std::string text;
    const auto name = test::DriveModal([&] { return view.ShowLongFileName("E:\\R\\x.(1).doc"); },
                                       [&](HWND dialog) {
                                           text = test::ItemText(dialog, IDC_NAME_TOO_LONG_TEXT);
                                           test::Click(dialog, IDOK);
                                       });
    EXPECT_EQ(text,
              "The file name: E:\\R\\x.(1).doc is too long.  Corvant Ferrolin 2 will only keep one "
              "copy of this file.");
    EXPECT_FALSE(name.dontShowAgain);

    std::string store;
    const auto filling = test::DriveModal([&] { return view.ShowDiskBecomingFull(); },
                                          [&](HWND dialog) {
                                              store =
                                                  test::ItemText(dialog, IDC_DISK_FILLING_STORE);
                                              test::Click(dialog, IDC_DISK_FILLING_DONT_SHOW);
                                              test::Click(dialog, IDOK);
                                          });
    EXPECT_EQ(store, fw::LoadText(IDS_STORE_ADDRESS));
    EXPECT_TRUE(filling.ok);
    EXPECT_TRUE(filling.dontShowAgain);
}

TEST_F(Prompts, PasswordIsHandedOverOnOkAndNotOnCancel) {
    std::string left;
    const auto password = test::DriveModal(
        [&] { return view.ShowPassword(); },
        [&](HWND dialog) {
            fw::SetText(GetDlgItem(dialog, IDC_PROTECTED_PASSWORD), "s\xC3\xA9same 42");
            test::Click(dialog, IDOK);
            left = test::ItemText(dialog, IDC_PROTECTED_PASSWORD);
        });
    ASSERT_TRUE(password.has_value());
    EXPECT_EQ(password->text(), "s\xC3\xA9same 42");
    EXPECT_EQ(left, "");  // the edit holds no copy once the dialog has taken it

    const auto cancelled =
        test::DriveModal([&] { return view.ShowPassword(); },
                         [](HWND dialog) {
                             fw::SetText(GetDlgItem(dialog, IDC_PROTECTED_PASSWORD), "secret");
                             test::Click(dialog, IDCANCEL);
                         });
    EXPECT_FALSE(cancelled.has_value());
}

TEST_F(Prompts, ProtectedDiskAsksForConfirmation) {
    EXPECT_TRUE(test::DriveModal([&] { return view.ShowProtected(); },
                                 [](HWND dialog) { test::Click(dialog, IDOK); }));
    EXPECT_FALSE(test::DriveModal([&] { return view.ShowProtected(); },
                                  [](HWND dialog) { test::Click(dialog, IDCANCEL); }));
}

TEST_F(Prompts, MessageDialogsShowTheirTextsAndEndWithTheirButton) {
    const struct {
        UINT id;
        int button;
    } cases[] = {
        {IDD_FOLDER_ELSEWHERE, IDOK}, {IDD_FOLDER_ELSEWHERE, IDCANCEL}, {IDD_NO_DRIVE, IDOK},
        {IDD_INVALID_PATH, IDOK},     {IDD_NOT_FIXED_DRIVE, IDOK},      {IDD_TURN_OFF, IDCANCEL},
        {IDD_CREATE_SOURCE, IDOK},
    };
    for (const auto& c : cases) {
        std::string title;
        const INT_PTR result = test::DriveModal([&] { return RunMessageDialog(c.id); },
                                                [&](HWND dialog) {
                                                    title = fw::GetText(dialog);
                                                    test::Click(dialog, c.button);
                                                });
        EXPECT_EQ(result, c.button) << c.id;
        EXPECT_EQ(title, "Corvant Ferrolin 2") << c.id;
    }
    bool bold = false;
    test::DriveModal([&] { return RunMessageDialog(IDD_INVALID_PATH); },
                     [&](HWND dialog) {
                         bold = HasHeadingFont(dialog, IDC_INVALID_PATH_HEADLINE);
                         test::Click(dialog, IDOK);
                     });
    EXPECT_TRUE(bold);
}

TEST_F(Prompts, PromptsHaveNoOwnerAndComeToTheTop) {
    HWND owner = reinterpret_cast<HWND>(1);
    LONG_PTR style = 0;
    test::DriveModal([&] { return view.ShowWrongDisk(); },
                     [&](HWND dialog) {
                         owner = GetWindow(dialog, GW_OWNER);
                         style = GetWindowLongPtrW(dialog, GWL_STYLE);
                         test::Click(dialog, IDCANCEL);
                     });
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_NE(style & WS_SYSMENU, 0);
}

}  // namespace
}  // namespace ui
