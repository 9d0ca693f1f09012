#include "framework/application.h"

namespace fw {

namespace {
thread_local HWND activeModeless = nullptr;
}

bool Application::Initialise() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_ANIMATE_CLASS |
                     ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_UPDOWN_CLASS |
                     ICC_PROGRESS_CLASS | ICC_TAB_CLASSES | ICC_BAR_CLASSES;
    return InitCommonControlsEx(&controls) != FALSE;
}

HINSTANCE Application::ResourceInstance() {
    return GetModuleHandleW(nullptr);
}

bool Application::PreTranslate(MSG& message) {
    const HWND dialog = activeModeless;
    if (dialog == nullptr || !IsWindow(dialog)) {
        return false;
    }
    return IsDialogMessageW(dialog, &message) != FALSE;
}

int Application::Run() {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got == -1) {
            return -1;
        }
        if (PreTranslate(message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool Application::PumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        if (PreTranslate(message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

HWND Application::ActiveModeless() {
    return activeModeless;
}

void Application::SetActiveModeless(HWND dialog) {
    activeModeless = dialog;
}

}  // namespace fw
