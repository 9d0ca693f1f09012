#include "tests/ui/settings_test_shell.h"

#include <commctrl.h>

#include "framework/text.h"

namespace test {

SettingsShell::SettingsShell() {
    drivesKit->AddDrive('F');
    drivesKit->AddDrive('G');
    drivesKit->InsertDisk('F', NewDisk(1));
    drivesKit->InsertDisk('G', NewDisk(2));
    sharedDrives = std::make_unique<engine::SharedDrives>();
    std::lock_guard lock(sharedDrives->mutex);
    sharedDrives->RebuildLocked();
}

std::shared_ptr<drvKit::sim::SimDisk> SettingsShell::NewDisk(int number, uint64_t capacity) {
    drvKit::sim::SimDiskSpec setup;
    setup.label = "BACKUP" + std::to_string(number);
    setup.serialNumber = static_cast<uint32_t>(number);
    setup.identifier = "0000-000" + std::to_string(number);
    setup.capacityBytes = capacity;
    return drivesKit->CreateDisk(setup);
}

void SettingsShell::Configure() {
    sim.files().PutFolder("C:\\Data");
    (void)store.WriteDestination("F:\\");
    (void)store.WriteDiskId("0000-0001");
    (void)store.WriteSourceList({"C:\\Data"});
    (void)store.WriteStartTime(kSynced);
    (void)store.WriteRevisions(0);
    (void)store.WriteIconStatus(1);
    (void)store.WriteMirrorStatus(1);
    (void)store.WriteWarningStatus(1);
    (void)store.WriteTooLargeStatus(1);
    (void)store.WriteFileErrorStatus(1);
    (void)store.WriteFileNameStatus(1);
    (void)store.WriteNotCurrentStatus(1);
}

HWND SheetPage(HWND settingsDialog, int index) {
    HWND sheet = nullptr;
    for (HWND child = GetWindow(settingsDialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[32] = L"";
        GetClassNameW(child, name, 32);
        if (wcscmp(name, L"#32770") == 0) {
            sheet = child;
            break;
        }
    }
    return sheet != nullptr ? PropSheet_IndexToHwnd(sheet, index) : nullptr;
}

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool Visible(HWND dialog, int id) {
    return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

void SetItemText(HWND dialog, int id, const std::string& text) {
    fw::SetText(GetDlgItem(dialog, id), text);
}

}  // namespace test
