// Renders every dialog of Corvant Ferrolin 2 with sample contents and saves each as a 24-bit
// BMP in the folder given as the argument (tools/screenshots.sh turns them into PNG files).
// Runs under Wine on the build's virtual desktop.

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drivekit/sim/sim_drive_backend.h"
#include "framework/application.h"
#include "framework/controls.h"
#include "framework/gdi.h"
#include "framework/property_sheet.h"
#include "framework/text.h"
#include "os/sim/sim_machine.h"
#include "os/win32/win32_clock.h"
#include "os/win32/win32_file_system.h"
#include "res/resource.h"
#include "tests/ui/settings_test_shell.h"
#include "tools/screenshots/wizard_screenshots.h"
#include "ui/common/drawing.h"
#include "ui/common/drive_list.h"
#include "ui/common/drive_protection.h"
#include "ui/common/etched_line.h"
#include "ui/common/folder_picker.h"
#include "ui/common/hyperlink.h"
#include "ui/common/pie_chart.h"
#include "ui/common/splash_text.h"
#include "ui/common/time_edit.h"
#include "ui/prompts/disk_prompts.h"
#include "ui/prompts/message_dialogs.h"
#include "ui/prompts/notice_prompts.h"
#include "ui/prompts/progress_dialog.h"
#include "ui/settings/file_exclusion_dialog.h"
#include "ui/settings/settings_dialog.h"
#include "ui/settings/settings_notice.h"

#include <shlobj.h>  // after the program's own Win32 headers

namespace {

std::wstring outputFolder;

void Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        fw::Application::PumpPending();
        Sleep(20);
    } while (GetTickCount() - start < milliseconds);
}

bool SaveWindow(HWND window, const std::string& name) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const HDC screen = GetDC(nullptr);
    fw::MemoryDc memory(CreateCompatibleDC(screen));
    fw::Bitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    {
        fw::Selection selected(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    }
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
    GetDIBits(memory.Get(), bitmap.Get(), 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    header.biSizeImage = static_cast<DWORD>(pixels.size());
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    const std::wstring path = outputFolder + L"\\" + fw::Wide(name) + L".bmp";
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (out == nullptr) {
        return false;
    }
    fwrite(&file, sizeof file, 1, out);
    fwrite(&header, sizeof header, 1, out);
    fwrite(pixels.data(), 1, pixels.size(), out);
    fclose(out);
    // A window larger than the work area (the screen less the taskbar) cannot be seen whole.
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const bool fits = width <= work.right - work.left && height <= work.bottom - work.top;
    std::printf("%s %dx%d%s\n", name.c_str(), width, height,
                fits ? "" : "  DOES NOT FIT the work area");
    return true;
}

// Shows a dialog created modeless, lets it paint, saves it and destroys it.
void Shoot(fw::Dialog& dialog, const std::string& name,
           const std::function<void(HWND)>& fill = nullptr) {
    if (!dialog.CreateModeless(nullptr)) {
        std::printf("%s: cannot create dialog %u\n", name.c_str(), dialog.templateId());
        return;
    }
    if (fill) {
        fill(dialog.hwnd());
    }
    ShowWindow(dialog.hwnd(), SW_SHOW);
    SetForegroundWindow(dialog.hwnd());
    UpdateWindow(dialog.hwnd());
    Pump(400);
    SaveWindow(dialog.hwnd(), name);
    DestroyWindow(dialog.hwnd());
    Pump(50);
}

// A dialog of the base without a class of its own yet: the template with its headings.
class PreviewDlg : public ui::CKRVBaseDlg {
  public:
    PreviewDlg(UINT templateId, std::vector<int> headings)
        : ui::CKRVBaseDlg(templateId), headings_(std::move(headings)) {}

  protected:
    bool OnInitDialog() override {
        ui::CKRVBaseDlg::OnInitDialog();
        for (int id : headings_) {
            SetHeadingFontOn(id);
        }
        return true;
    }

  private:
    std::vector<int> headings_;
};

// The splash picture with its texts, as the About window shows it.
class SplashPreview : public fw::Window {
  public:
    bool Show() {
        // The picture and the texts for the screen's scale, as the About window takes them.
        const UINT dpi = GetDpiForSystem();
        const wchar_t* name = dpi >= 192   ? L"IDB_SPLASH24_200"
                              : dpi >= 144 ? L"IDB_SPLASH24_150"
                                           : L"IDB_SPLASH24";
        text_.SetDpi(dpi);
        bitmap_.Reset(static_cast<HBITMAP>(LoadImageW(fw::Application::ResourceInstance(), name,
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        const SIZE size = ui::BitmapSize(bitmap_.Get());
        RegisterClass(L"FerrolinSplashPreview", 0, LoadCursorW(nullptr, IDC_ARROW), nullptr);
        const RECT rect = {300, 200, 300 + size.cx, 200 + size.cy};
        return Create(L"FerrolinSplashPreview", "", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, rect,
                      nullptr, nullptr);
    }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ERASEBKGND) {
            return TRUE;
        }
        if (message == WM_PAINT) {
            fw::PaintDc paint(hwnd());
            RECT client = {};
            GetClientRect(hwnd(), &client);
            ui::DrawTransparentBitmap(bitmap_.Get(), paint.get(), 0, 0, RGB(255, 0, 255));
            text_.Paint(paint.get(), client.right, false, false, true);
            return 0;
        }
        return DefaultProc(message, wParam, lParam);
    }

  private:
    fw::Bitmap bitmap_;
    ui::SplashText text_;
};

// The folder picker over a sample tree in the temporary folder, with two folders chosen and the
// size summed; the create-folder dialog over it; dialog 167 with its reason.
void ShootFolderPicker() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::string base = fw::Utf8(temp) + "Ferrolin pictures\\";
    for (const char* folder : {"Documents\\Letters", "Documents\\Reports\\2026", "Music",
                               "Pictures\\Holiday", "Videos"}) {
        SHCreateDirectoryExW(nullptr, fw::Wide(base + folder).c_str(), nullptr);
    }
    // Some data to count: 12 MB in the folders chosen.
    for (const char* file :
         {"Documents\\Reports\\2026\\Budget.xlsx", "Pictures\\Holiday\\Beach.jpg"}) {
        const HANDLE handle = CreateFileW(fw::Wide(base + file).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, 0, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            LARGE_INTEGER size = {};
            size.QuadPart = 6LL << 20;
            SetFilePointerEx(handle, size, nullptr, FILE_BEGIN);
            SetEndOfFile(handle);
            CloseHandle(handle);
        }
    }
    os::win32::Win32FileSystem files;
    {
        ui::CKRVFolderPickerDlg picker(files, nullptr, base + "Documents\\Reports",
                                       ui::SourceDriveMask(files));
        picker.selectedFolders = {base + "Documents", base + "Pictures\\Holiday"};
        Shoot(picker, "129-folder-picker", [&](HWND) { picker.WaitForSize(5000); });
    }
    {
        ui::CKRVFolderPickerDlg picker(files, nullptr, base + "Documents", 1u << 2);
        if (picker.CreateModeless(nullptr)) {
            ui::CKRVNewFolderDlg dialog(picker, base + "Documents\\Work");
            Shoot(dialog, "120-new-folder");
            DestroyWindow(picker.hwnd());
        }
    }
    {
        ui::CKRVMessageDlg dialog(IDD_INVALID_PATH, IDC_INVALID_PATH_HEADLINE);
        Shoot(dialog, "167-invalid-path-reason", [](HWND window) {
            fw::SetText(GetDlgItem(window, IDC_INVALID_PATH_REASON),
                        "CON is a name that Windows keeps for a device.  Choose another name.");
        });
    }
}

void ShootProtectionDialogs() {
    auto nothing = [](drvKit::EProtectState, const std::string&) { return drvKit::kErrNone; };
    {
        ui::CKRVProtectDiskDlg dialog("FERROLIN1 (E:)", ui::CKRVProtectDiskDlg::Mode::Offer, true,
                                      nothing);
        Shoot(dialog, "210-protect", [](HWND window) {
            CheckRadioButton(window, IDC_PROTECT_WRITE, IDC_PROTECT_READ_WRITE_PASSWORD,
                             IDC_PROTECT_WRITE_PASSWORD);
            EnableWindow(GetDlgItem(window, IDC_PROTECT_PASSWORD), TRUE);
            EnableWindow(GetDlgItem(window, IDC_PROTECT_CONFIRM), TRUE);
            EnableWindow(GetDlgItem(window, IDC_PROTECT_PASSWORD_LABEL), TRUE);
            EnableWindow(GetDlgItem(window, IDC_PROTECT_CONFIRM_LABEL), TRUE);
            fw::SetText(GetDlgItem(window, IDC_PROTECT_PASSWORD), "secret");
            fw::SetText(GetDlgItem(window, IDC_PROTECT_CONFIRM), "secrat");
            fw::SetText(GetDlgItem(window, IDC_PROTECT_ERROR),
                        "The two passwords are not the same.");
        });
    }
    {
        ui::CKRVProtectDiskDlg dialog("USB Drive (G:)", ui::CKRVProtectDiskDlg::Mode::CannotProtect,
                                      true, nothing);
        Shoot(dialog, "210-protect-unsupported");
    }
    {
        ui::CKRVUnprotectDiskDlg dialog("FERROLIN1 (E:)",
                                        ui::CKRVUnprotectDiskDlg::Mode::AskPassword, nothing);
        Shoot(dialog, "211-unprotect-password", [](HWND window) {
            fw::SetText(GetDlgItem(window, IDC_UNPROTECT_PASSWORD), "secret");
            fw::SetText(GetDlgItem(window, IDC_UNPROTECT_ERROR), "The password is not correct.");
        });
    }
    {
        ui::CKRVUnprotectDiskDlg dialog("FERROLIN1 (E:)", ui::CKRVUnprotectDiskDlg::Mode::Confirm,
                                        nothing);
        Shoot(dialog, "211-unprotect");
    }
    {
        ui::CKRVUnprotectDiskDlg dialog("Removable Disk (F:)",
                                        ui::CKRVUnprotectDiskDlg::Mode::Switch, nothing);
        Shoot(dialog, "211-unprotect-switch");
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    outputFolder = argc > 1 ? argv[1] : L".";
    fw::Application::Initialise();
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    std::printf("screen: %u dots per inch, %dx%d, work area %dx%d\n", GetDpiForSystem(),
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                static_cast<int>(work.right - work.left), static_cast<int>(work.bottom - work.top));

    const os::SystemTime first{2026, 3, 0, 14, 0, 0, 0, 0};
    const os::SystemTime last{2026, 12, 0, 7, 0, 0, 0, 0};
    {
        ui::CKRVDiskFullDlg dialog(first, last);
        Shoot(dialog, "104-disk-full");
    }
    {
        ui::CKRVWrongDiskDlg dialog;
        Shoot(dialog, "115-wrong-disk");
    }
    {
        ui::CKRVNoDiskDlg dialog;
        Shoot(dialog, "160-no-disk");
    }
    {
        ui::CKRVInsertDiskDlg dialog(IDI_DRIVE_1, "Corvant Removable Drive (F:)  FERROLIN1");
        Shoot(dialog, "136-insert-disk");
    }
    {
        ui::CKRVFileTooLargeDlg dialog("C:\\Users\\Ana\\...\\Holiday 2026\\Full film.mkv");
        Shoot(dialog, "162-file-too-large");
    }
    {
        engine::FileErrorDetails details{"C:\\Users\\Ana\\...\\Reports\\Budget.xlsx", 32,
                                         "The process cannot access the file because it is "
                                         "being used by another process.",
                                         false};
        ui::CKRVFileErrorDlg dialog(details);
        Shoot(dialog, "163-file-error");
    }
    {
        engine::FileErrorDetails details{"F:\\Documents\\Letter.docx", 15,
                                         "The system cannot find the drive specified.", true};
        ui::CKRVFileErrorDlg dialog(details);
        Shoot(dialog, "163-file-error-drive");
    }
    {
        ui::CKRVLongFileNameDlg dialog("F:\\Corvant Ferrolin 2 Revisions\\...\\A very long na");
        Shoot(dialog, "164-long-file-name");
    }
    {
        ui::CKRVDiskFillingDlg dialog;
        Shoot(dialog, "202-disk-filling");
    }
    {
        ui::CKRVPasswordDlg dialog;
        Shoot(dialog, "203-password");
    }
    const struct {
        UINT id;
        int headline;
        const char* name;
    } messages[] = {
        {IDD_PROTECTED, 0, "204-protected"},
        {IDD_WRITE_PROTECT_SWITCH, 0, "205-write-protect-switch"},
        {IDD_FOLDER_ELSEWHERE, 0, "208-folder-elsewhere"},
        {IDD_NO_DRIVE, 0, "209-no-drive"},
        {IDD_INVALID_PATH, IDC_INVALID_PATH_HEADLINE, "167-invalid-path"},
        {IDD_NOT_FIXED_DRIVE, IDC_NOT_FIXED_DRIVE_HEADLINE, "127-not-fixed-drive"},
        {IDD_TURN_OFF, 0, "135-turn-off"},
        {IDD_CREATE_SOURCE, 0, "113-create-source"},
    };
    for (const auto& message : messages) {
        ui::CKRVMessageDlg dialog(message.id, message.headline);
        Shoot(dialog, message.name);
    }
    {
        os::win32::Win32Clock clock;
        engine::ProgressState state;
        state.percent = 40;
        state.SetNames("C:\\Users\\Ana\\Documents\\Reports\\Budget 2026.xlsx",
                       "F:\\Users\\Ana\\Documents\\Reports\\Budget 2026.xlsx");
        ui::CKRVProgressDlg dialog(state, clock);
        Shoot(dialog, "192-progress", [&](HWND window) {
            dialog.Tick();
            fw::SetText(GetDlgItem(window, IDC_PROGRESS_TIME), "2 Minute(s) Remaining");
        });
    }
    {
        // Before the copy, when the disk is first compared with the source folders.
        os::win32::Win32Clock clock;
        engine::ProgressState state;
        state.comparing = true;
        state.foldersCompared = 1523;
        ui::CKRVProgressDlg dialog(state, clock);
        Shoot(dialog, "192-progress-comparing", [&](HWND) { dialog.Tick(); });
    }
    ShootFolderPicker();
    ShootProtectionDialogs();
    {
        // The settings window and its dialogs over a simulated machine: drives F: and G: with
        // their disks, the registered file types of a fresh Windows, and stored settings.
        test::SettingsShell shell;
        shell.Configure();
        shell.sim.files().PutFolder("C:\\Users\\Ana\\Documents");
        (void)shell.store.WriteSourceList({"D:\\Photos", "C:\\Users\\Ana\\Documents"});
        (void)shell.store.WriteRevisions(5);
        (void)shell.store.WriteFilterList({"tmp", "bak"});
        (void)shell.store.WriteSchedulerValue(settings::names::kSchedulerTimeOfDay, 1050);
        {
            ui::CKRVFileExclusionDlg dialog(shell, nullptr);
            Shoot(dialog, "200-file-exclusion");
        }
        const settings::CKRVSettingsStore& store = shell.store;
        const ui::SettingsAtOpen atOpen = ui::LoadSettingsAtOpen(store, 9 * 60);
        const char* names[] = {"101-settings-general", "101-settings-advanced",
                               "101-settings-scheduling"};
        for (int shown = 0; shown < 3; ++shown) {
            ui::CKRVSettingsDlg settings(shell, atOpen);
            Shoot(settings, names[shown], [&](HWND) { settings.sheet().SetActivePage(shown); });
        }
        ui::CKRVSettingsNoticeDlg notice(fw::LoadText(IDS_NO_DAY_CHOSEN), nullptr);
        Shoot(notice, "230-settings-notice");
    }
    screenshots::ShootSetupWizard(SaveWindow, Pump);
    {
        SplashPreview splash;
        if (splash.Show()) {
            UpdateWindow(splash.hwnd());
            Pump(400);
            SaveWindow(splash.hwnd(), "splash-about");
        }
    }
    return 0;
}
