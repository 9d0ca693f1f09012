#include "ui/common/hyperlink.h"

#include <array>
#include <utility>

#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"

namespace ui {

namespace {

// The default value of a key, of any length; empty when there is none.
std::wstring ReadDefaultValue(HKEY root, const std::wstring& key) {
    DWORD size = 0;
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size < sizeof(wchar_t)) {
        return {};
    }
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value.data(), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value;
}

}  // namespace

// The command of the program that opens .htm files, with the target in place of "%1" (in quotes
// when the command has none around it, so that a target with spaces stays one argument).
std::wstring HtmlOpenCommand(const std::wstring& target) {
    const std::wstring kind = ReadDefaultValue(HKEY_CLASSES_ROOT, L".htm");
    if (kind.empty()) {
        return {};
    }
    std::wstring command = ReadDefaultValue(HKEY_CLASSES_ROOT, kind + L"\\shell\\open\\command");
    if (command.empty()) {
        return {};
    }
    const size_t quoted = command.find(L"\"%1\"");
    if (quoted != std::wstring::npos) {
        return command.replace(quoted, 4, L"\"" + target + L"\"");
    }
    const size_t bare = command.find(L"%1");
    if (bare != std::wstring::npos) {
        return command.replace(bare, 2, L"\"" + target + L"\"");
    }
    return command + L" \"" + target + L"\"";
}

INT_PTR OpenHyperlink(const std::string& target, int showCommand) {
    const std::wstring wide = fw::Wide(target);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, showCommand));
    if (result > 32) {
        return result;
    }
    std::wstring command = HtmlOpenCommand(wide);
    if (command.empty()) {
        return result;
    }
    // The browser's own command is the last resort; its failure leaves the shell's answer. The
    // command line is wide: a target or browser path in any script reaches the browser whole.
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return result;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 33;  // above 32: started, as the shell says it
}

std::string HyperlinkErrorText(INT_PTR code) {
    static constexpr std::array<std::pair<INT_PTR, UINT>, 13> kReasons = {{
        {0, IDS_LINK_ERROR_0},
        {2, IDS_LINK_ERROR_2},
        {3, IDS_LINK_ERROR_3},
        {5, IDS_LINK_ERROR_5},
        {8, IDS_LINK_ERROR_8},
        {11, IDS_LINK_ERROR_11},
        {26, IDS_LINK_ERROR_26},
        {27, IDS_LINK_ERROR_27},
        {28, IDS_LINK_ERROR_28},
        {29, IDS_LINK_ERROR_29},
        {30, IDS_LINK_ERROR_30},
        {31, IDS_LINK_ERROR_31},
        {32, IDS_LINK_ERROR_32},
    }};
    std::string reason;
    for (const auto& [known, text] : kReasons) {
        if (known == code) {
            reason = fw::LoadText(text);
        }
    }
    if (reason.empty()) {
        reason = fw::FormatText(fw::LoadText(IDS_LINK_ERROR_OTHER), {std::to_string(code)});
    }
    return fw::LoadText(IDS_LINK_FAILED) + reason;
}

bool CKRVHyperLink::Attach(HWND dialog, int id) {
    const HWND control = GetDlgItem(dialog, id);
    if (!Subclass(control)) {
        return false;
    }
    // A tab stop too, so that the keyboard reaches the link: Enter or Space opens it.
    SetWindowLongPtrW(control, GWL_STYLE,
                      GetWindowLongPtrW(control, GWL_STYLE) | SS_NOTIFY | WS_TABSTOP);
    const std::string text = fw::GetText(control);
    if (target_.empty()) {
        target_ = text;
    }
    if (text.empty()) {
        fw::SetText(control, target_);
    }
    auto current = reinterpret_cast<HFONT>(Send(WM_GETFONT));
    if (current == nullptr) {
        current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    LOGFONTW description = {};
    if (GetObjectW(current, sizeof description, &description) != 0) {
        description.lfUnderline = underline_ ? TRUE : FALSE;
        font_.Reset(CreateFontIndirectW(&description));
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    }
    FitToText();

    // The help viewer's hand when the system has it; otherwise the system's own hand.
    wchar_t windows[MAX_PATH] = L"";
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring viewer = std::wstring(windows) + L"\\winhlp32.exe";
    if (const HMODULE module = LoadLibraryExW(viewer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        if (const HCURSOR hand = LoadCursorW(module, MAKEINTRESOURCEW(106))) {
            cursor_.Reset(static_cast<HCURSOR>(CopyImage(hand, IMAGE_CURSOR, 0, 0, 0)));
        }
        FreeLibrary(module);
    }
    if (!cursor_) {
        sharedCursor_ = LoadCursorW(nullptr, IDC_HAND);
    }

    if (tooltip_.Create(control)) {
        RECT client = {};
        GetClientRect(control, &client);
        tooltip_.AddTool(control, 1, client, target_);
    }
    return true;
}

void CKRVHyperLink::SetTarget(const std::string& target) {
    target_ = target;
    if (hwnd() == nullptr) {
        return;
    }
    FitToText();
    tooltip_.UpdateText(hwnd(), 1, target_);
}

void CKRVHyperLink::SetVisited(bool visited) {
    visited_ = visited;
    if (hwnd() != nullptr) {
        Redraw();
    }
}

COLORREF CKRVHyperLink::TextColour() const {
    if (hovering_) {
        return hoverColour_;
    }
    return visited_ ? kVisitedColour : kLinkColour;
}

void CKRVHyperLink::FitToText() {
    if (!adjustToFit_ || hwnd() == nullptr) {
        return;
    }
    const HWND parent = GetParent(hwnd());
    RECT old = {};
    GetWindowRect(hwnd(), &old);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&old), 2);

    const std::wstring text = fw::Wide(fw::GetText(hwnd()));
    SIZE extent = {};
    if (const HDC dc = GetDC(hwnd())) {
        const HGDIOBJ previous =
            SelectObject(dc, font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(dc, previous);
        ReleaseDC(hwnd(), dc);
    }
    const LONG_PTR style = GetWindowLongPtrW(hwnd(), GWL_STYLE);
    const int width = extent.cx + 1;
    const int height = extent.cy;
    int top = old.top;
    if ((style & SS_CENTERIMAGE) != 0) {
        top = old.top + ((old.bottom - old.top) - height) / 2;
    }
    int left = old.left;
    const LONG_PTR alignment = style & SS_TYPEMASK;
    if (alignment == SS_RIGHT) {
        left = old.right - width;
    } else if (alignment == SS_CENTER) {
        left = old.left + ((old.right - old.left) - width) / 2;
    }
    SetWindowPos(hwnd(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CKRVHyperLink::Redraw() {
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    // The static is transparent: what lies under it must be painted again too.
    const HWND parent = GetParent(hwnd());
    RECT covered = {};
    GetWindowRect(hwnd(), &covered);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&covered), 2);
    RedrawWindow(parent, &covered, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CKRVHyperLink::Clicked() {
    const INT_PTR result = Open(target_);
    if (result > 32) {
        SetVisited(true);
        return;
    }
    ReportFailure(result);
}

INT_PTR CKRVHyperLink::Open(const std::string& target) {
    return OpenHyperlink(target, SW_SHOW);
}

void CKRVHyperLink::ReportFailure(INT_PTR code) {
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBoxW(GetParent(hwnd()), fw::Wide(HyperlinkErrorText(code)).c_str(), nullptr,
                MB_OK | MB_ICONEXCLAMATION);
}

LRESULT CKRVHyperLink::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        tooltip_.Relay(hwnd(), message, wParam, lParam);
    }
    switch (message) {
        case WM_MOUSEMOVE: {
            const LRESULT result = DefaultProc(message, wParam, lParam);
            if (!hovering_) {
                hovering_ = true;
                Redraw();
                SetCapture(hwnd());
            } else {
                RECT client = {};
                GetClientRect(hwnd(), &client);
                const POINT point = {static_cast<short>(LOWORD(lParam)),
                                     static_cast<short>(HIWORD(lParam))};
                if (!PtInRect(&client, point)) {
                    hovering_ = false;
                    ReleaseCapture();
                    Redraw();
                }
            }
            return result;
        }
        case WM_CAPTURECHANGED:
            if (hovering_ && reinterpret_cast<HWND>(lParam) != hwnd()) {
                hovering_ = false;
                Redraw();
            }
            return DefaultProc(message, wParam, lParam);
        case WM_GETDLGCODE: {
            // Enter and Space belong to the focused link, not to the dialog's default button.
            const auto* pending = reinterpret_cast<const MSG*>(lParam);
            LRESULT code = DefaultProc(message, wParam, lParam);
            if (pending != nullptr && pending->message == WM_KEYDOWN &&
                (pending->wParam == VK_RETURN || pending->wParam == VK_SPACE)) {
                code |= DLGC_WANTMESSAGE;
            }
            return code;
        }
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_SPACE) {
                Clicked();
                return 0;
            }
            return DefaultProc(message, wParam, lParam);
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            const LRESULT result = DefaultProc(message, wParam, lParam);
            Redraw();
            return result;
        }
        case WM_PAINT: {
            const LRESULT result = DefaultProc(message, wParam, lParam);
            if (GetFocus() == hwnd()) {
                fw::WindowDc dc(hwnd());
                RECT client = {};
                GetClientRect(hwnd(), &client);
                DrawFocusRect(dc.get(), &client);
            }
            return result;
        }
        case WM_SETCURSOR: {
            const HCURSOR hand = cursor_ ? cursor_.Get() : sharedCursor_;
            if (hand != nullptr) {
                SetCursor(hand);
                return TRUE;
            }
            return DefaultProc(message, wParam, lParam);
        }
        default:
            return DefaultProc(message, wParam, lParam);
    }
}

bool CKRVHyperLink::OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_CTLCOLORSTATIC) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, TextColour());
        SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return true;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
        Clicked();
        result = 0;
        return true;
    }
    (void)lParam;
    return false;
}

}  // namespace ui
