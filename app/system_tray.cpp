#include "app/system_tray.h"

#include <cwchar>

#include "app/main_window.h"
#include "framework/application.h"
#include "framework/text.h"
#include "res/resource.h"

namespace app {

namespace {

constexpr wchar_t kTrayWindowClass[] = L"FerrolinTrayIconWindow";
// A second key selection this soon after a keyboard menu closed is the same key press.
constexpr ULONGLONG kRepeatedKeySelectMs = 300;

}  // namespace

bool IsTrayCommandEnabled(UINT command, const TrayMenuFlags& flags) {
    if (flags.promptActive || flags.progressShown) {
        return false;
    }
    if (flags.enginePaused) {
        return command == static_cast<UINT>(kCommandResume);
    }
    return command != static_cast<UINT>(kCommandResume);
}

void SetTrayMenuStates(HMENU menu, const TrayMenuFlags& flags) {
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item) ||
            (item.fType & MFT_SEPARATOR) != 0) {
            continue;
        }
        bool enabled = false;
        if (item.hSubMenu != nullptr) {
            SetTrayMenuStates(item.hSubMenu, flags);
            const int inner = GetMenuItemCount(item.hSubMenu);
            for (int i = 0; i < inner && !enabled; ++i) {
                enabled = (GetMenuState(item.hSubMenu, static_cast<UINT>(i), MF_BYPOSITION) &
                           (MF_GRAYED | MF_DISABLED | MF_SEPARATOR)) == 0;
            }
        } else {
            enabled = IsTrayCommandEnabled(item.wID, flags);
        }
        EnableMenuItem(menu, static_cast<UINT>(position),
                       MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

CKRVSystemTray::CKRVSystemTray(engine::SharedState& shared) : shared_(shared) {
    record_.cbSize = sizeof record_;
}

CKRVSystemTray::~CKRVSystemTray() {
    if (timer_ != 0 && hwnd() != nullptr) {
        KillTimer(hwnd(), timer_);
    }
    Remove();
}

bool CKRVSystemTray::Create(HWND owner, UINT callbackMessage, const std::string& tip, HICON icon,
                            UINT id) {
    if (hwnd() == nullptr) {
        if (!RegisterClass(kTrayWindowClass, 0, nullptr, nullptr) ||
            !fw::Window::Create(kTrayWindowClass, "", WS_POPUP, 0, RECT{0, 0, 10, 10}, nullptr,
                                nullptr)) {
            return false;
        }
        taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    }
    record_.hWnd = owner != nullptr ? owner : hwnd();
    record_.uID = id;
    record_.hIcon = icon;
    record_.uCallbackMessage = callbackMessage;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    const std::wstring wideTip = fw::Wide(tip);
    wcsncpy(record_.szTip, wideTip.c_str(), std::size(record_.szTip) - 1);
    record_.szTip[std::size(record_.szTip) - 1] = L'\0';
    wanted_ = true;
    return AddToShell();
}

// NIM_ADD, then NIM_SETVERSION: with version 3 the callback keeps the classic form (wParam the
// identifier, lParam the mouse message).
bool CKRVSystemTray::AddToShell() {
    added_ = Shell_NotifyIconW(NIM_ADD, &record_) != FALSE;
    if (added_) {
        NOTIFYICONDATAW version = record_;
        version.uVersion = NOTIFYICON_VERSION;
        Shell_NotifyIconW(NIM_SETVERSION, &version);  // an older shell keeps version 0: the same
    }
    return added_;
}

void CKRVSystemTray::Remove() {
    wanted_ = false;
    if (added_) {
        Shell_NotifyIconW(NIM_DELETE, &record_);
        added_ = false;
    }
}

void CKRVSystemTray::SetIcon(HICON icon) {
    if (!added_) {
        return;
    }
    record_.hIcon = icon;
    record_.uFlags = NIF_ICON;
    Shell_NotifyIconW(NIM_MODIFY, &record_);
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
}

bool CKRVSystemTray::LoadAnimationIcons(UINT first, UINT last) {
    frames_.clear();
    const int size = GetSystemMetrics(SM_CXSMICON);
    for (UINT id = first; id <= last; ++id) {
        IconHandle icon(
            static_cast<HICON>(LoadImageW(fw::Application::ResourceInstance(), MAKEINTRESOURCEW(id),
                                          IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
        if (!icon) {
            frames_.clear();
            return false;
        }
        frames_.push_back(std::move(icon));
    }
    return true;
}

void CKRVSystemTray::SetDefaultMenuItem(UINT item, bool byPosition) {
    defaultItem_ = item;
    defaultByPosition_ = byPosition;
}

void CKRVSystemTray::StartAnimation(UINT frameMs, int durationSeconds) {
    if (!added_) {
        return;
    }
    StopAnimation();
    cycle_.Restart(frames_.size());
    startTick_ = GetTickCount64();
    durationSeconds_ = durationSeconds;
    savedIcon_ = record_.hIcon;
    timer_ = SetTimer(hwnd(), kAnimationTimerId, frameMs, nullptr);
}

void CKRVSystemTray::StopAnimation() {
    if (!added_ || timer_ == 0) {
        return;
    }
    KillTimer(hwnd(), timer_);
    timer_ = 0;
    SetIcon(savedIcon_);
}

void CKRVSystemTray::OnTimer() {
    if (timer_ == 0) {
        return;
    }
    if (durationSeconds_ > 0 &&
        GetTickCount64() - startTick_ > static_cast<ULONGLONG>(durationSeconds_) * 1000) {
        StopAnimation();
        return;
    }
    const size_t frame = cycle_.Advance();
    if (frame < frames_.size()) {
        SetIcon(frames_[frame].Get());
    }
}

HMENU CKRVSystemTray::BuildMenu() const {
    const HMENU bar =
        LoadMenuW(fw::Application::ResourceInstance(), MAKEINTRESOURCEW(IDR_TRAY_MENU));
    if (bar == nullptr) {
        return nullptr;
    }
    // The popup is taken out of the bar so that the caller owns it alone.
    const HMENU popup = GetSubMenu(bar, 0);
    RemoveMenu(bar, 0, MF_BYPOSITION);
    DestroyMenu(bar);
    if (popup == nullptr) {
        return nullptr;
    }
    if (defaultItem_ != 0 || defaultByPosition_) {
        SetMenuDefaultItem(popup, defaultItem_, defaultByPosition_ ? TRUE : FALSE);
    }
    const TrayMenuFlags flags{shared_.promptActive, shared_.progress.shown, shared_.enginePaused};
    SetTrayMenuStates(popup, flags);
    return popup;
}

// The menu belongs to the owner window, which receives its command. The owner comes to the
// foreground first and gets a WM_NULL afterwards, or the menu would not close when the user
// clicks elsewhere.
void CKRVSystemTray::ShowMenu(bool fromKeyboard) {
    const HMENU menu = BuildMenu();
    if (menu == nullptr) {
        return;
    }
    POINT at = {};
    GetCursorPos(&at);
    UINT alignment = TPM_LEFTBUTTON;
    if (fromKeyboard) {
        // The cursor may be anywhere: the menu opens over the icon.
        NOTIFYICONIDENTIFIER icon = {};
        icon.cbSize = sizeof icon;
        icon.hWnd = record_.hWnd;
        icon.uID = record_.uID;
        RECT place = {};
        if (SUCCEEDED(Shell_NotifyIconGetRect(&icon, &place))) {
            at = {place.left, place.top};
            alignment |= TPM_BOTTOMALIGN;
        }
    }
    const HWND owner = record_.hWnd;
    SetForegroundWindow(owner);
    TrackPopupMenu(menu, alignment, at.x, at.y, 0, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

LRESULT CKRVSystemTray::OnTrayNotification(WPARAM wParam, LPARAM lParam) {
    if (wParam != record_.uID) {
        return 0;
    }
    switch (LOWORD(lParam)) {
        case WM_RBUTTONUP:
            ShowMenu(false);
            break;
        case WM_CONTEXTMENU:
            ShowMenu(true);
            keyMenuClosedTick_ = GetTickCount64();
            break;
        case NIN_KEYSELECT:
            // The shell may report one Enter twice; the second arrives as the first menu closes
            // and must not open the menu again.
            if (GetTickCount64() - keyMenuClosedTick_ > kRepeatedKeySelectMs) {
                ShowMenu(true);
                keyMenuClosedTick_ = GetTickCount64();
            }
            break;
        case WM_LBUTTONDBLCLK:
            if (!shared_.progress.shown && !shared_.enginePaused) {
                UINT command = defaultItem_;
                if (defaultByPosition_) {
                    const HMENU menu = BuildMenu();
                    command = menu != nullptr ? GetMenuItemID(menu, static_cast<int>(command)) : 0;
                    DestroyMenu(menu);
                }
                SetForegroundWindow(record_.hWnd);
                SendMessageW(record_.hWnd, WM_COMMAND, command, 0);
            }
            break;
        default:
            break;
    }
    return 1;
}

LRESULT CKRVSystemTray::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kAnimationTimerId) {
        OnTimer();
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        // Explorer started again: its notification area knows no icons.
        if (wanted_) {
            AddToShell();
        }
        return 0;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace app
