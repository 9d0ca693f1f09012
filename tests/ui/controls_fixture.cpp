#include "tests/ui/controls_fixture.h"

#include "framework/application.h"
#include "res/resource.h"

namespace test {

PageHost::PageHost(UINT pageTemplate) : host_(IDD_SETTINGS), page_(pageTemplate) {
    host_.CreateModeless(nullptr);
    page_.CreateModeless(host_.hwnd());
    // The settings pages' templates are disabled until their sheet shows them.
    EnableWindow(page_.hwnd(), TRUE);
    SetWindowPos(page_.hwnd(), HWND_TOP, 0, 30, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ShowWindow(host_.hwnd(), SW_SHOW);
    SetForegroundWindow(host_.hwnd());
    UpdateWindow(host_.hwnd());
}

PageHost::~PageHost() {
    if (host_.hwnd() != nullptr) {
        DestroyWindow(host_.hwnd());
    }
}

void HoldKeys(std::initializer_list<int> keys) {
    BYTE state[256] = {};
    for (const int key : keys) {
        state[key] = 0x80;
    }
    SetKeyboardState(state);
}

void PressKey(HWND window, UINT key) {
    const LPARAM lParam = 1 | (static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16);
    PostMessageW(window, WM_KEYDOWN, key, lParam);
    fw::Application::PumpPending();
    PostMessageW(window, WM_KEYUP, key, lParam | (3LL << 30));
    fw::Application::PumpPending();
}

}  // namespace test
