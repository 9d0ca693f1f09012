// Corvant Ferrolin 2: the program's entry point.
//
// For now the program is its hidden main window: it registers the window class by which a second
// instance finds the running one, creates the window titled "Corvant Ferrolin 2", keeps it hidden,
// runs the message loop and ends when the window is closed.

#include <windows.h>

#include "res/resource.h"

namespace {

constexpr wchar_t kMainWindowClass[] = L"Dizirazurovuviriz2arodorezarad";
// WS_POPUP | WS_CHILD without a parent: a top-level window that is never shown.
constexpr DWORD kMainWindowStyle = 0xC0000000;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APPLICATION_ICON));
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (!RegisterMainWindowClass(instance)) {
        return 1;
    }
    wchar_t title[128] = L"";
    LoadStringW(instance, IDS_TITLE, title, static_cast<int>(sizeof title / sizeof title[0]));
    HWND window = CreateWindowExW(0, kMainWindowClass, title, kMainWindowStyle, 0, 0, 0, 0, nullptr,
                                  nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);

    MSG message;
    BOOL got = 0;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) {
            return 1;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
