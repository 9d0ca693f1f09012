#include "tests/ui/dialog_driver.h"

#include "framework/application.h"
#include "framework/text.h"

namespace test {

namespace {

thread_local std::function<void(HWND)> pendingDrive;
thread_local UINT_PTR timer = 0;
thread_local bool fired = false;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    wchar_t name[32] = L"";
    GetClassNameW(window, name, 32);
    if (IsWindowVisible(window) && IsWindowEnabled(window) && wcscmp(name, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) {
        return;
    }
    KillTimer(nullptr, timer);
    timer = 0;
    fired = true;
    auto drive = std::move(pendingDrive);
    pendingDrive = nullptr;
    if (drive) {
        drive(dialog);
    }
}

}  // namespace

void detail::Arm(std::function<void(HWND)> drive) {
    pendingDrive = std::move(drive);
    fired = false;
    if (timer != 0) {
        KillTimer(nullptr, timer);
    }
    timer = SetTimer(nullptr, 0, 10, &OnTimer);
}

bool detail::Fired() {
    return fired;
}

void InitialiseUserInterface() {
    fw::Application::Initialise();
}

void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string ItemText(HWND dialog, int id) {
    return fw::GetText(GetDlgItem(dialog, id));
}

void Pump() {
    fw::Application::PumpPending();
}

}  // namespace test
