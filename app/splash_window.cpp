#include "app/splash_window.h"

#include "framework/application.h"
#include "framework/text.h"
#include "res/resource.h"
#include "ui/common/drawing.h"
#include "ui/prompts/message_dialogs.h"

namespace app {

namespace {

constexpr wchar_t kSplashWindowClass[] = L"FerrolinSplashWindow";
// WS_POPUP | WS_BORDER, and WS_EX_STATICEDGE | WS_EX_TOOLWINDOW: no caption, no taskbar button.
constexpr DWORD kSplashStyle = 0x80800000;
constexpr DWORD kSplashExStyle = 0x00020080;
constexpr DWORD kAfterClickMs = 100;

}  // namespace

std::string SplashBaseName(const settings::CKRVSettingsStore& store) {
    return store.SpecialKeyExists() ? "IDB_SPLISH" : "IDB_SPLASH";
}

bool CheckForDrives(const SplashContext& context) {
    int count = 0;
    {
        std::lock_guard lock(context.drives.mutex);
        context.drives.RebuildLocked();
        count = context.drives.array.getCount();
    }
    if (count > 0) {
        return true;
    }
    // However the notice is closed, the user has read that the wizard cannot run now.
    ui::RunMessageDialog(IDD_NO_DRIVE);
    context.splashAllowed = false;
    return false;
}

CKRVSplashWnd::CKRVSplashWnd(const SplashContext& context, SplashKind kind)
    : context_(context), kind_(kind) {}

bool CKRVSplashWnd::CreateSplash(HWND owner) {
    if (!RegisterClass(kSplashWindowClass, 0, LoadCursorW(nullptr, IDC_ARROW), nullptr)) {
        return false;
    }
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT rect = {(work.left + work.right) / 2, (work.top + work.bottom) / 2,
                       (work.left + work.right) / 2, (work.top + work.bottom) / 2};
    if (!Create(kSplashWindowClass, "", kSplashStyle, kSplashExStyle, rect, owner, nullptr)) {
        return false;
    }
    if (kind_ != SplashKind::About) {
        driveSetBuilt_ = true;
        CheckForDrives(context_);
    }
    return true;
}

void CKRVSplashWnd::Centre() {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT window = {};
    GetWindowRect(hwnd(), &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    SetWindowPos(hwnd(), nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CKRVSplashWnd::Prepare(const std::string& baseName) {
    text_.SetDpi(ui::DpiOf(hwnd()));
    const bool loaded = LoadBitmap(baseName);
    SetTransparentColour(RGB(255, 0, 255));
    Centre();
    return loaded;
}

RECT CKRVSplashWnd::LinkRect() const {
    if (hwnd() == nullptr) {
        return {0, 0, 0, 0};
    }
    RECT client = {};
    GetClientRect(hwnd(), &client);
    fw::WindowDc dc(hwnd());
    return text_.LinkRect(dc.get(), client.right);
}

void CKRVSplashWnd::PaintOver(HDC dc, int width, int) {
    if (!driveSetBuilt_ && kind_ != SplashKind::About) {
        driveSetBuilt_ = true;
        CheckForDrives(context_);
    }
    if (context_.splashAllowed) {
        text_.Paint(dc, width, loadingMode_, hovering_, GetWindow(hwnd(), GW_OWNER) != nullptr);
    }
}

void CKRVSplashWnd::OnMouseMove(POINT point) {
    const RECT link = LinkRect();
    const bool now = !loadingMode_ && PtInRect(&link, point) != FALSE;
    if (now == hovering_) {
        return;
    }
    hovering_ = now;
    InvalidateRect(hwnd(), &link, TRUE);
    SetCursor(hovering_ ? LoadCursorW(fw::Application::ResourceInstance(),
                                      MAKEINTRESOURCEW(IDC_HAND_CURSOR))
                        : LoadCursorW(nullptr, IDC_ARROW));
}

int CKRVSplashWnd::RunModal(HWND owner) {
    if (hwnd() == nullptr) {
        return -1;
    }
    modal_ = true;
    ended_ = false;
    result_ = 0;
    const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        EnableWindow(owner, FALSE);
    }
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    SetFocus(hwnd());
    UpdateWindow(hwnd());
    MSG message;
    while (!ended_ && IsWindow(hwnd())) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
            break;
        }
        if (got == -1) {
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (ownerWasEnabled) {
        EnableWindow(owner, TRUE);
    }
    modal_ = false;
    Destroy();
    return result_;
}

void CKRVSplashWnd::EndModal(int result) {
    result_ = result;
    ended_ = true;
}

LRESULT CKRVSplashWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            OnMouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                SetCursor(hovering_ ? LoadCursorW(fw::Application::ResourceInstance(),
                                                  MAKEINTRESOURCEW(IDC_HAND_CURSOR))
                                    : LoadCursorW(nullptr, IDC_ARROW));
                return TRUE;
            }
            break;
        case WM_LBUTTONDOWN:
            if (kind_ == SplashKind::About && modal_) {
                if (hovering_) {
                    // The result of the shell is not checked: the About window stays either way.
                    ShellExecuteW(hwnd(), L"open", fw::Wide(text_.linkTarget()).c_str(), nullptr,
                                  nullptr, SW_SHOWDEFAULT);
                } else {
                    EndModal(2);
                    Sleep(kAfterClickMs);
                }
                return 0;
            }
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (kind_ == SplashKind::About && modal_) {
                EndModal(2);
                return 0;
            }
            break;
        default:
            break;
    }
    return CKRVBitmapWnd::WindowProc(message, wParam, lParam);
}

bool ShowSplash(const SplashContext& context, SplashKind kind, const std::string& baseName) {
    CKRVSplashWnd splash(context, kind);
    if (!splash.CreateSplash()) {
        return context.splashAllowed;
    }
    if (kind == SplashKind::BeforeWizard && !context.splashAllowed) {
        return false;
    }
    splash.SetLoadingMode(kind == SplashKind::BeforeSettings);
    splash.Prepare(baseName);
    ShowWindow(splash.hwnd(), SW_SHOWNOACTIVATE);
    UpdateWindow(splash.hwnd());
    // The splash holds the user-interface thread for its time, as it always has: nothing that
    // the user could start from the tray runs in the middle of opening a window.
    GdiFlush();
    Sleep(kind == SplashKind::BeforeSettings ? kSplashBeforeSettingsMs : kSplashBeforeWizardMs);
    splash.Destroy();
    Sleep(1);
    return context.splashAllowed;
}

}  // namespace app
