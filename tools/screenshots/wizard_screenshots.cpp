#include "tools/screenshots/wizard_screenshots.h"

#include <array>
#include <cstdio>

#include "drivekit/sim/sim_drive_backend.h"
#include "framework/text.h"
#include "os/sim/sim_machine.h"
#include "res/resource.h"
#include "ui/common/shell_services.h"
#include "ui/wizard/setup_done.h"
#include "ui/wizard/setup_wizard.h"

namespace screenshots {

namespace {

constexpr uint64_t kMb = 1ULL << 20;
constexpr char kKey[] = "Software\\Corvant Ferrolin 2 Screenshots";

class PictureShell final : public ui::ShellServices {
  public:
    os::sim::SimMachine sim;
    engine::SharedState state;
    engine::SharedDrives driveList;

    os::Machine& machine() override { return sim.machine(); }
    engine::SharedState& shared() override { return state; }
    engine::SharedDrives& drives() override { return driveList; }
    std::string productKey() override { return kKey; }
    void RequestFullCopy() override {}
    uint32_t RunPassForFolders(const std::vector<std::string>&, bool) override { return 0; }
    void SetTrayIconShown(bool) override {}
    void OpenHelpPage(std::wstring_view) override {}
    std::string DocumentsFolder() override { return "C:\\Users\\Ana\\Documents"; }
};

// The setup-done dialog opens nothing while its picture is taken.
class QuietDoneDlg final : public ui::CKRVSetupDoneDlg {
  public:
    using ui::CKRVSetupDoneDlg::CKRVSetupDoneDlg;

  protected:
    void Open(const std::string&) override {}
};

}  // namespace

void ShootSetupWizard(const std::function<bool(HWND, const std::string&)>& save,
                      const std::function<void(DWORD)>& pump) {
    PictureShell shell;
    os::sim::SimFileSystem& files = shell.sim.files();
    drvKit::sim::SimDriveKit kit(files);
    drvKit::sim::SimDriveSpec usb;
    usb.subFamily = drvKit::kSubFamilyUsbStick;
    kit->AddDrive('F', usb);
    kit->AddDrive('G');
    drvKit::sim::SimDiskSpec disk;
    disk.label = "FERROLIN1";
    disk.serialNumber = 0x1234ABCD;
    disk.capacityBytes = 1890 * kMb;
    kit->InsertDisk('F', kit->CreateDisk(disk));
    files.PutSparseFile("F:\\Earlier\\archive.zip", 717 * kMb);
    files.PutSparseFile("C:\\Users\\Ana\\Documents\\Letters\\2024.doc", 380 * kMb);
    files.PutSparseFile("C:\\Users\\Ana\\Documents\\Photos\\summer.jpg", 2100 * kMb);

    const ui::SetupJournal journal(shell.sim.registry(), kKey);
    ui::CKRVSetupWizard wizard(shell, journal);
    if (!wizard.CreateModeless(nullptr)) {
        std::printf("134: cannot create the setup wizard\n");
        return;
    }
    ShowWindow(wizard.hwnd(), SW_SHOW);
    SetForegroundWindow(wizard.hwnd());
    const std::array<const char*, 7> names = {
        "134-wizard-109-intro",          "134-wizard-110-disk-label", "134-wizard-111-drive",
        "134-wizard-130-sources",        "134-wizard-131-revisions",  "134-wizard-132-review",
        "134-wizard-133-congratulations"};
    for (size_t page = 0; page < names.size(); ++page) {
        pump(page == 3 || page == 5 ? 900 : 400);  // the folders' size is summed meanwhile
        save(wizard.hwnd(), names[page]);
        SendMessageW(GetDlgItem(wizard.hwnd(), IDC_WIZARD_NEXT), BM_CLICK, 0, 0);
    }
    DestroyWindow(wizard.hwnd());
    pump(50);
    // The next picture starts from no settings; a key already gone is no failure here.
    static_cast<void>(shell.sim.registry().DeleteKeyTree(os::Hive::CurrentUser, kKey));

    QuietDoneDlg done("index.html");
    if (done.CreateModeless(nullptr)) {
        ShowWindow(done.hwnd(), SW_SHOW);
        SetForegroundWindow(done.hwnd());
        pump(400);
        save(done.hwnd(), "207-setup-done");
        DestroyWindow(done.hwnd());
        pump(50);
    }
}

}  // namespace screenshots
