// Pictures of the running program: the desktop with the tray icon and its menu open, the About
// window, the splash before the settings, the settings' three pages with the file exclusion
// dialog (200), the offer to create a missing source (113) and the turn-off notice (135) over
// them, the turn-off notice of Close and the no-drive notice (209).
// Starts the real Ferrolin2.exe in the prefix of the build tree, drives it through its window's
// messages like the end-to-end tests, and saves each picture as a 24-bit BMP in the folder given
// as the argument (tools/screenshots.sh turns them into PNG files).

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/app/e2e_support.h"
#include "tests/app/program_runner.h"
#include "tests/drivekit/wine_media.h"

namespace {

using namespace endtoend;

std::wstring outputFolder = L".";

// window: a window of the program, which must fit the work area (the whole screen need not).
bool SaveRect(const RECT& rect, const char* name, bool window) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        std::printf("%s: nothing to save\n", name);
        return false;
    }
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    header.biSizeImage = static_cast<DWORD>(pixels.size());
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::wstring path = outputFolder + L"\\";
    for (const char* c = name; *c != '\0'; ++c) {
        path += static_cast<wchar_t>(*c);
    }
    path += L".bmp";
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
    const bool fits =
        !window || (width <= work.right - work.left && height <= work.bottom - work.top);
    std::printf("%s %dx%d%s\n", name, width, height, fits ? "" : "  DOES NOT FIT the work area");
    return true;
}

bool SaveWindow(HWND window, const char* name) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return SaveRect(rect, name, true);
}

bool SaveScreen(const char* name) {
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return SaveRect(screen, name, false);
}

HWND WaitForWindow(const RunningProgram& program, const wchar_t* className,
                   const std::wstring& text = L"") {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = program.FindWindowOfProcess(className, text);
            return found != nullptr;
        },
        15000, 10);
    return found;
}

HWND FindMenuWindow() {
    return FindWindowW(L"#32768", nullptr);
}

HWND ShowSheetPage(HWND settings, int index) {
    const HWND page = ShowSettingsPage(settings, index);
    Sleep(300);
    return page;
}

// A dialog the settings open over themselves: the screen area of both.
void SaveOver(HWND settings, HWND dialog, const char* name) {
    RECT under = {};
    RECT over = {};
    GetWindowRect(settings, &under);
    GetWindowRect(dialog, &over);
    RECT both = {};
    UnionRect(&both, &under, &over);
    SaveRect(both, name, true);
}

void Click(HWND dialog, int id) {
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// The three pages; the file exclusion dialog (200), the offer to create a missing source (113)
// and the turn-off notice (135) over them; then Cancel, which keeps every setting.
void ShootSettings(const RunningProgram& program, HWND settings, const std::wstring& source) {
    Sleep(500);
    const char* pages[] = {"app-101-settings-general", "app-101-settings-advanced",
                           "app-101-settings-scheduling"};
    for (int index : {1, 2, 0}) {
        ShowSheetPage(settings, index);
        SaveWindow(settings, pages[index]);
    }

    const HWND advanced = ShowSheetPage(settings, 1);
    Click(advanced, 1135);  // "&File Exclusion..."
    if (const HWND exclusion = WaitForWindow(program, L"#32770", L"Select a file type")) {
        Sleep(400);
        SaveOver(settings, exclusion, "app-200-over-settings");
        Click(exclusion, IDCANCEL);
        WaitUntil([&] { return !IsWindow(exclusion); }, 5000);
    }

    // A source that is not there any more.
    const std::wstring moved = source + L" (moved)";
    MoveFileW(source.c_str(), moved.c_str());
    ShowSheetPage(settings, 0);
    Click(settings, IDOK);
    if (const HWND create = WaitForWindow(program, L"#32770", L"Source Does not Exist")) {
        Sleep(300);
        SaveOver(settings, create, "app-113-over-settings");
        Click(create, IDCANCEL);
        WaitUntil([&] { return !IsWindow(create); }, 5000);
    }
    MoveFileW(moved.c_str(), source.c_str());

    const HWND general = ShowSheetPage(settings, 0);
    Click(general, 1002);  // "O&ff"
    Sleep(200);
    Click(settings, IDOK);
    if (const HWND turnOff = WaitForWindow(program, L"#32770", L"You are about to turn")) {
        Sleep(300);
        SaveOver(settings, turnOff, "app-135-over-settings");
        Click(turnOff, IDCANCEL);
        WaitUntil([&] { return !IsWindow(turnOff); }, 5000);
    }
    Click(settings, IDCANCEL);
    WaitUntil([&] { return !IsWindow(settings); }, 5000);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1) {
        outputFolder = argv[1];
    }
    if (!winetest::RunningUnderWine()) {
        std::printf("the program's pictures are taken under Wine only\n");
        return 1;
    }
    EndLeftoverInstances();
    const std::wstring source = L"C:\\Ferrolin Screenshots";
    CreateFolders(source + L"\\Letters");
    WriteFileBytes(source + L"\\notes.txt", "Shopping list\r\n");
    WriteFileBytes(source + L"\\Letters\\Grüße.txt", "Liebe Zoë\r\n");
    Configuration configuration;
    configuration.destination = L"F:\\";
    configuration.diskId = L"1234-ABCD";
    configuration.sources = {source};
    configuration.startTime = 133485408000000000ULL;  // copied before: the program waits quietly
    if (!WriteConfiguration(configuration)) {
        std::printf("cannot write the program's settings\n");
        return 1;
    }

    RunningProgram program;
    const HWND window = program.WaitForMainWindow(20000);
    if (window == nullptr) {
        std::printf("the program did not start\n");
        return 1;
    }
    WaitUntil([&] { return TrayIconExists(window, kTrayIconId); }, 10000);
    Sleep(500);

    // The tray menu, opened as a right click on the icon opens it: at the cursor.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    SetCursorPos(width - 12, height - 10);
    PostMessageW(window, kTrayNotifyMessage, kTrayIconId, WM_RBUTTONUP);
    if (WaitUntil([] { return FindMenuWindow() != nullptr; }, 5000)) {
        Sleep(400);
        SaveScreen("desktop-tray-menu");
        PostMessageW(FindMenuWindow(), WM_KEYDOWN, VK_ESCAPE, 0);
        WaitUntil([] { return FindMenuWindow() == nullptr; }, 5000);
    } else {
        std::printf("desktop-tray-menu: the menu did not open\n");
    }
    SetCursorPos(width / 2, 40);

    // About.
    PostMessageW(window, WM_COMMAND, 57664, 0);
    if (const HWND about = WaitForWindow(program, L"FerrolinSplashWindow")) {
        Sleep(400);
        SaveWindow(about, "app-about");
        SaveScreen("desktop-about");
        PostMessageW(about, WM_KEYDOWN, VK_ESCAPE, 0);
        WaitUntil([&] { return !IsWindow(about); }, 5000);
    }

    // The splash before the settings (shown for 750 ms), then the settings with their pages and
    // the dialogs they open over them.
    PostMessageW(window, WM_COMMAND, 40008, 0);
    if (const HWND splash = WaitForWindow(program, L"FerrolinSplashWindow")) {
        Sleep(250);
        SaveWindow(splash, "app-splash-settings");
        WaitUntil([&] { return !IsWindow(splash); }, 5000);
    }
    if (const HWND settings = WaitForWindow(program, L"#32770", L"Sheet")) {
        ShootSettings(program, settings, source);
    } else {
        std::printf("app-101: the settings did not open\n");
    }
    Sleep(2500);  // the engine's restart after the settings

    // The turn-off notice; Cancel keeps the program running.
    PostMessageW(window, WM_COMMAND, 40009, 0);
    if (const HWND notice = WaitForWindow(program, L"#32770", L"You are about to turn")) {
        Sleep(300);
        SaveWindow(notice, "app-135-turn-off");
        PostMessageW(GetDlgItem(notice, IDCANCEL), BM_CLICK, 0, 0);
        WaitUntil([&] { return !IsWindow(notice); }, 5000);
    }

    // No drive of the maker: the splash's drive check shows dialog 209.
    const std::string backup = winetest::HostMediaFolder() + "/backup-1";
    winetest::RemoveDrive('F');
    PostMessageW(window, WM_COMMAND, 40008, 0);
    if (const HWND notice = WaitForWindow(program, L"#32770", L"Corvant Ferrolin 2 requires")) {
        Sleep(300);
        SaveWindow(notice, "app-209-no-drive");
        PostMessageW(GetDlgItem(notice, IDOK), BM_CLICK, 0, 0);
        WaitUntil([&] { return !IsWindow(notice); }, 5000);
    }
    if (const HWND settings = WaitForWindow(program, L"#32770", L"Sheet")) {
        PostMessageW(GetDlgItem(settings, IDCANCEL), BM_CLICK, 0, 0);
        WaitUntil([&] { return !IsWindow(settings); }, 5000);
    }
    Sleep(2500);
    winetest::InsertMedium('F', backup);

    // Switched off first, so that Close ends the program without asking.
    WriteDword(L"Mirror Status", 0);
    PostMessageW(window, WM_COMMAND, 40009, 0);
    DWORD exitCode = 0;
    program.WaitForExit(10000, exitCode);
    DeleteProgramKey();
    RemoveTree(source);
    return 0;
}
