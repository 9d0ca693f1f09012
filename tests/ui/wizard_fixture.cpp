#include "tests/ui/wizard_fixture.h"

#include "framework/text.h"
#include "res/resource.h"
#include "tests/ui/dialog_driver.h"

namespace ui::testing {

std::optional<std::vector<std::string>> ScriptedSourcePage::PickFolders(
    const std::vector<std::string>& current) {
    pickerShown.push_back(current);
    if (picks.empty()) {
        return std::nullopt;
    }
    std::vector<std::string> pick = std::move(picks.front());
    picks.pop_front();
    return pick;
}

std::unique_ptr<CKRVSourcePage> TestWizard::MakeSourcePage(ShellServices& shell,
                                                           std::function<void()> foldersChanged) {
    return std::make_unique<ScriptedSourcePage>(shell, std::move(foldersChanged));
}

void WizardTest::SetUpTestSuite() {
    test::InitialiseUserInterface();
}

WizardTest::WizardTest() {
    drvKit::sim::SimDriveSpec removable;
    kit->AddDrive('F', removable);
    kit->AddDrive('G', removable);
    kit->AddDrive('H', removable);
    for (const auto& [letter, label, serial] :
         {std::tuple{'F', "BACKUP1", 0x1234ABCDu}, std::tuple{'G', "BACKUP2", 0x00000002u}}) {
        drvKit::sim::SimDiskSpec disk;
        disk.label = label;
        disk.serialNumber = serial;
        disk.capacityBytes = 100 * kMb;
        kit->InsertDisk(letter, kit->CreateDisk(disk));
    }
    journal = std::make_unique<SetupJournal>(shell.sim.registry(), kTestKey);
}

WizardTest::~WizardTest() {
    wizard_.reset();
}

TestWizard& WizardTest::Open() {
    wizard_ = std::make_unique<TestWizard>(shell, *journal);
    EXPECT_TRUE(wizard_->CreateModeless(nullptr));
    ShowWindow(wizard_->hwnd(), SW_SHOW);
    test::Pump();
    return *wizard_;
}

void WizardTest::Click(int id) {
    test::Click(Window(), id);
    test::Pump();
}

void WizardTest::Next(int times) {
    for (int i = 0; i < times; ++i) {
        Click(IDC_WIZARD_NEXT);
    }
}

void WizardTest::ChooseDrive(char letter) {
    CKRVDrivePage& page = wizard_->drivePage();
    const auto& rows = page.list().rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].rootPath[0] == letter) {
            const HWND list = page.Item(IDC_DRIVE_LIST);
            SendMessageW(list, LB_SETCURSEL, i, 0);
            SendMessageW(page.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DRIVE_LIST, LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(list));
            return;
        }
    }
    ADD_FAILURE() << "no drive " << letter << " in the list";
}

bool WizardTest::WaitForSize() {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        test::Pump();
        if (PageText(wizard_->sourcePage(), IDC_SOURCES_COPY_SIZE).find("...") ==
            std::string::npos) {
            return true;
        }
        Sleep(5);
    }
    return false;
}

std::string WizardTest::Text(int id) const {
    return test::ItemText(Window(), id);
}

std::string WizardTest::PageText(CKRVWizardPage& page, int id) const {
    return test::ItemText(page.hwnd(), id);
}

bool WizardTest::Visible(int id) const {
    return (GetWindowLongPtrW(GetDlgItem(Window(), id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool WizardTest::Enabled(int id) const {
    return IsWindowEnabled(GetDlgItem(Window(), id)) != FALSE;
}

std::string WizardTest::StoredDiskId() {
    std::string id;
    // No identity stored reads as the empty text the tests compare with.
    static_cast<void>(store.ReadDiskId(id));
    return id;
}

std::optional<std::string> WizardTest::StoredDestination() {
    std::string destination;
    if (store.ReadDestination(destination) != 0) {
        return std::nullopt;
    }
    return destination;
}

bool WizardTest::OptionsKeyExists() {
    std::unique_ptr<os::RegistryKey> key;
    return shell.sim.registry().OpenKey(os::Hive::CurrentUser,
                                        std::string(kTestKey) + "\\User Options", false, key) == 0;
}

}  // namespace ui::testing
