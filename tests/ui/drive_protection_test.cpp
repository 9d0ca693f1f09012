// The protect and unprotect dialogs over simulated disks, driven as the user would: what they
// offer, what they do to the disk through the drive library, and what they report.

#include "ui/common/drive_protection.h"

#include <gtest/gtest.h>

#include "drivekit/drvkit.h"
#include "drivekit/sim/sim_drive_backend.h"
#include "framework/controls.h"
#include "framework/text.h"
#include "os/sim/sim_machine.h"
#include "res/resource.h"
#include "tests/ui/dialog_driver.h"

namespace ui {
namespace {

using drvKit::EError;
using drvKit::EProtectState;

class DriveProtection : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::InitialiseUserInterface(); }

    DriveProtection() { kit->AddDrive('F'); }

    std::shared_ptr<drvKit::sim::SimDisk> Insert(EProtectState protection,
                                                 const std::string& password = "",
                                                 bool writeProtectSwitch = false) {
        drvKit::sim::SimDiskSpec setup;
        setup.label = "BACKUP1";
        setup.serialNumber = 0x1234ABCD;
        setup.protection = protection;
        setup.password = password;
        setup.writeProtectSwitch = writeProtectSwitch;
        auto disk = kit->CreateDisk(setup);
        kit->InsertDisk('F', disk);
        return disk;
    }
    EProtectState StateOf(const std::shared_ptr<drvKit::sim::SimDisk>& disk) {
        return kit->ProtectionOf(*disk);
    }
    static bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)); }
    static void Type(HWND dialog, int id, const std::string& text) {
        fw::SetText(GetDlgItem(dialog, id), text);
    }

    os::sim::SimMachine sim;
    drvKit::sim::SimDriveKit kit{sim.files()};
    CKRVDriveProtection dialogs;
};

TEST_F(DriveProtection, ProtectsWithoutAPasswordWhenThatIsChosen) {
    auto disk = Insert(drvKit::kProtectNone);
    drvKit::Drive drive('F');
    std::string shown;
    bool offersPassword = false;
    const EError result = test::DriveModal(
        [&] { return dialogs.protect(drive, true); },
        [&](HWND dialog) {
            shown = test::ItemText(dialog, IDC_PROTECT_DRIVE);
            offersPassword = Visible(dialog, IDC_PROTECT_WRITE_PASSWORD) &&
                             IsWindowEnabled(GetDlgItem(dialog, IDC_PROTECT_WRITE_PASSWORD));
            test::Click(dialog, IDOK);
        });
    EXPECT_EQ(result, drvKit::kErrNone);
    EXPECT_EQ(shown, "BACKUP1 (F:)");
    EXPECT_TRUE(offersPassword);
    EXPECT_EQ(StateOf(disk), drvKit::kProtectWrite);
}

TEST_F(DriveProtection, APasswordMustBeTypedTwiceTheSame) {
    auto disk = Insert(drvKit::kProtectNone);
    drvKit::Drive drive('F');
    std::vector<std::string> errors;
    const EError result =
        test::DriveModal([&] { return dialogs.protect(drive, true); },
                         [&](HWND dialog) {
                             test::Click(dialog, IDC_PROTECT_READ_WRITE_PASSWORD);
                             test::Click(dialog, IDOK);  // no password
                             errors.push_back(test::ItemText(dialog, IDC_PROTECT_ERROR));
                             Type(dialog, IDC_PROTECT_PASSWORD, "ivy");
                             Type(dialog, IDC_PROTECT_CONFIRM, "ivx");
                             test::Click(dialog, IDOK);
                             errors.push_back(test::ItemText(dialog, IDC_PROTECT_ERROR));
                             // The fields are emptied after each try.
                             errors.push_back(test::ItemText(dialog, IDC_PROTECT_PASSWORD));
                             Type(dialog, IDC_PROTECT_PASSWORD, "ivy \xC3\xA9t\xC3\xA9");
                             Type(dialog, IDC_PROTECT_CONFIRM, "ivy \xC3\xA9t\xC3\xA9");
                             test::Click(dialog, IDOK);
                         });
    EXPECT_EQ(result, drvKit::kErrNone);
    EXPECT_EQ(errors, (std::vector<std::string>{fw::LoadText(IDS_PASSWORD_MISSING),
                                                fw::LoadText(IDS_PASSWORDS_DIFFER), ""}));
    EXPECT_EQ(StateOf(disk), drvKit::kProtectReadWritePassword);
    EXPECT_EQ(kit->PasswordOf(*disk), "ivy \xC3\xA9t\xC3\xA9");
}

TEST_F(DriveProtection, WithoutThePasswordChoiceOnlyPlainProtectionIsOffered) {
    auto disk = Insert(drvKit::kProtectNone);
    drvKit::Drive drive('F');
    bool passwordEnabled = true;
    const EError result = test::DriveModal(
        [&] { return dialogs.protect(drive, false); },
        [&](HWND dialog) {
            passwordEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_PROTECT_WRITE_PASSWORD));
            test::Click(dialog, IDCANCEL);
        });
    EXPECT_FALSE(passwordEnabled);
    EXPECT_EQ(result, static_cast<EError>(995));
    EXPECT_EQ(StateOf(disk), drvKit::kProtectNone);
}

TEST_F(DriveProtection, ADiskThatCannotBeProtectedSaysSoInsteadOfOfferingChoices) {
    Insert(drvKit::kProtectUnsupported);
    drvKit::Drive drive('F');
    std::string note;
    bool choices = true;
    bool cancel = true;
    const EError result = test::DriveModal([&] { return dialogs.protect(drive, true); },
                                           [&](HWND dialog) {
                                               note = test::ItemText(dialog, IDC_PROTECT_NOTE);
                                               choices = Visible(dialog, IDC_PROTECT_WRITE);
                                               cancel = Visible(dialog, IDCANCEL);
                                               test::Click(dialog, IDOK);
                                           });
    EXPECT_EQ(result, drvKit::kErrNotSupported);
    EXPECT_EQ(note.rfind("This disk cannot be protected with a password.", 0), 0u) << note;
    EXPECT_FALSE(choices);
    EXPECT_FALSE(cancel);
    EXPECT_TRUE(kit->Requests().empty());  // nothing was asked of the disk
}

TEST_F(DriveProtection, WhenTheLibraryRefusesTheDialogTurnsToTheNote) {
    // A medium that is no disk of the maker's: it looks writable but cannot be protected.
    os::sim::SimMediumSpec plain;
    plain.label = "PLAIN";
    sim.files().InsertMedium("F:", sim.files().CreateMedium(plain));
    drvKit::Drive drive('F');
    std::string note;
    const EError result = test::DriveModal([&] { return dialogs.protect(drive, true); },
                                           [&](HWND dialog) {
                                               test::Click(dialog, IDOK);
                                               note = test::ItemText(dialog, IDC_PROTECT_NOTE);
                                               test::Click(dialog, IDOK);
                                           });
    EXPECT_EQ(result, drvKit::kErrNotSupported);
    EXPECT_EQ(note, fw::LoadText(IDS_PROTECT_UNSUPPORTED));
}

TEST_F(DriveProtection, NoDiskOrADiskProtectedAlreadyNeedsNoDialog) {
    drvKit::Drive empty('F');
    EXPECT_EQ(dialogs.protect(empty, true), drvKit::kErrNotReady);
    EXPECT_EQ(dialogs.unprotect(empty, false, true, nullptr, nullptr), drvKit::kErrNotReady);
    auto disk = Insert(drvKit::kProtectWrite);
    drvKit::Drive drive('F');
    EXPECT_EQ(dialogs.protect(drive, true), drvKit::kErrNone);
    EXPECT_EQ(StateOf(disk), drvKit::kProtectWrite);
    Insert(drvKit::kProtectNone);
    EProtectState previous = drvKit::kProtectUnknown;
    EXPECT_EQ(dialogs.unprotect(drive, false, true, nullptr, &previous), drvKit::kErrNone);
    EXPECT_EQ(previous, drvKit::kProtectNone);
    EXPECT_TRUE(kit->Requests().empty());
}

TEST_F(DriveProtection, UnprotectAsksForThePasswordUntilItFits) {
    auto disk = Insert(drvKit::kProtectWritePassword, "ivy");
    drvKit::Drive drive('F');
    std::string text;
    std::string wrong;
    std::string password;
    EProtectState previous = drvKit::kProtectNone;
    const EError result =
        test::DriveModal([&] { return dialogs.unprotect(drive, true, true, &password, &previous); },
                         [&](HWND dialog) {
                             text = test::ItemText(dialog, IDC_UNPROTECT_TEXT);
                             Type(dialog, IDC_UNPROTECT_PASSWORD, "oak");
                             test::Click(dialog, IDOK);
                             wrong = test::ItemText(dialog, IDC_UNPROTECT_ERROR);
                             Type(dialog, IDC_UNPROTECT_PASSWORD, "ivy");
                             test::Click(dialog, IDOK);
                         });
    EXPECT_EQ(result, drvKit::kErrNone);
    EXPECT_EQ(text, fw::LoadText(IDS_UNPROTECT_PASSWORD));
    EXPECT_EQ(wrong, fw::LoadText(IDS_PASSWORD_WRONG));
    EXPECT_EQ(StateOf(disk), drvKit::kProtectNone);
    // What the caller needs to put the protection back.
    EXPECT_EQ(password, "ivy");
    EXPECT_EQ(previous, drvKit::kProtectWritePassword);
}

TEST_F(DriveProtection, UnprotectWithoutAPasswordOnlyConfirmsAndCancelKeepsTheProtection) {
    auto disk = Insert(drvKit::kProtectWrite);
    drvKit::Drive drive('F');
    bool passwordShown = true;
    const EError cancelled =
        test::DriveModal([&] { return dialogs.unprotect(drive, false, true, nullptr, nullptr); },
                         [&](HWND dialog) {
                             passwordShown = Visible(dialog, IDC_UNPROTECT_PASSWORD);
                             test::Click(dialog, IDCANCEL);
                         });
    EXPECT_EQ(cancelled, static_cast<EError>(995));
    EXPECT_FALSE(passwordShown);
    EXPECT_EQ(StateOf(disk), drvKit::kProtectWrite);
    const EError result =
        test::DriveModal([&] { return dialogs.unprotect(drive, false, true, nullptr, nullptr); },
                         [](HWND dialog) { test::Click(dialog, IDOK); });
    EXPECT_EQ(result, drvKit::kErrNone);
    EXPECT_EQ(StateOf(disk), drvKit::kProtectNone);
}

TEST_F(DriveProtection, ADiskHeldByItsSwitchIsSaidToBeSoAndStaysProtected) {
    auto disk = Insert(drvKit::kProtectWrite, "", true);
    drvKit::Drive drive('F');
    std::string text;
    bool cancel = true;
    const EError result =
        test::DriveModal([&] { return dialogs.unprotect(drive, false, true, nullptr, nullptr); },
                         [&](HWND dialog) {
                             text = test::ItemText(dialog, IDC_UNPROTECT_TEXT);
                             cancel = Visible(dialog, IDCANCEL);
                             test::Click(dialog, IDOK);
                         });
    EXPECT_EQ(result, drvKit::kErrWriteProtect);
    EXPECT_EQ(text.rfind("This disk is write-protected by its switch.", 0), 0u) << text;
    EXPECT_FALSE(cancel);
    EXPECT_EQ(StateOf(disk), drvKit::kProtectWrite);
}

TEST_F(DriveProtection, ACallerThatKnowsThePasswordLiftsTheProtectionWithoutADialog) {
    auto disk = Insert(drvKit::kProtectReadWritePassword, "ivy");
    drvKit::Drive drive('F');
    std::string password = "ivy";
    EXPECT_EQ(dialogs.unprotect(drive, true, false, &password, nullptr), drvKit::kErrNone);
    EXPECT_EQ(StateOf(disk), drvKit::kProtectNone);
}

}  // namespace
}  // namespace ui
