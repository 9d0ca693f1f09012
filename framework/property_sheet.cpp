#include "framework/property_sheet.h"

#include "framework/application.h"
#include "framework/text.h"

namespace fw {

namespace {

// The dialog template header the sheet is made from, in both of its layouts.
struct ExtendedTemplateHeader {
    WORD version;
    WORD signature;
    DWORD helpId;
    DWORD exStyle;
    DWORD style;
};

}  // namespace

bool PropertyPage::OnNotify(NMHDR& header, LRESULT& result) {
    switch (header.code) {
        case PSN_SETACTIVE:
            UpdateData(false);
            result = OnSetActive() ? 0 : -1;
            return true;
        case PSN_KILLACTIVE:
            result = OnKillActive() ? FALSE : TRUE;
            return true;
        default:
            return Dialog::OnNotify(header, result);
    }
}

INT_PTR CALLBACK PropertyPage::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG && FromHandle(window) == nullptr) {
        // A page's WM_INITDIALOG carries its PROPSHEETPAGE, whose lParam is the object.
        const auto* description = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        auto* self =
            description != nullptr ? reinterpret_cast<PropertyPage*>(description->lParam) : nullptr;
        if (self == nullptr) {
            return FALSE;
        }
        const INT_PTR focus = InitialiseBound(self, window);
        self->UpdateData(false);
        return focus;
    }
    return DialogProc(window, message, wParam, lParam);
}

int CALLBACK PropertySheet::SheetCallback(HWND, UINT message, LPARAM lParam) {
    if (message != PSCB_PRECREATE || lParam == 0) {
        return 0;
    }
    // The sheet becomes a child control of its dialog instead of a pop-up window.
    const DWORD removed =
        WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_THICKFRAME | DS_CONTEXTHELP;
    const DWORD added = WS_CHILD | WS_TABSTOP | DS_CONTROL;
    auto* extended = reinterpret_cast<ExtendedTemplateHeader*>(lParam);
    if (extended->signature == 0xFFFF) {
        extended->style = (extended->style & ~removed) | added;
        extended->exStyle |= WS_EX_CONTROLPARENT;
    } else {
        auto* plain = reinterpret_cast<DLGTEMPLATE*>(lParam);
        plain->style = (plain->style & ~removed) | added;
        plain->dwExtendedStyle |= WS_EX_CONTROLPARENT;
    }
    return 0;
}

bool PropertySheet::CreateChild(HWND parent, const std::string& caption, const RECT& rect) {
    if (hwnd() != nullptr || pages_.empty()) {
        return false;
    }
    std::vector<HPROPSHEETPAGE> handles;
    for (PropertyPage* page : pages_) {
        PROPSHEETPAGEW description = {};
        description.dwSize = sizeof description;
        description.dwFlags = PSP_DEFAULT;
        description.hInstance = Application::ResourceInstance();
        description.pszTemplate = MAKEINTRESOURCEW(page->templateId());
        description.pfnDlgProc = &PropertyPage::PageProc;
        description.lParam = reinterpret_cast<LPARAM>(page);
        const HPROPSHEETPAGE handle = CreatePropertySheetPageW(&description);
        if (handle == nullptr) {
            for (HPROPSHEETPAGE made : handles) {
                DestroyPropertySheetPage(made);
            }
            return false;
        }
        handles.push_back(handle);
    }
    const std::wstring title = Wide(caption);
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW | PSH_USECALLBACK | PSH_NOCONTEXTHELP;
    header.hwndParent = parent;
    header.hInstance = Application::ResourceInstance();
    header.pszCaption = title.c_str();
    header.nPages = static_cast<UINT>(handles.size());
    header.phpage = handles.data();
    header.pfnCallback = &PropertySheet::SheetCallback;
    const auto sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    if (sheet == nullptr || sheet == reinterpret_cast<HWND>(-1)) {
        return false;
    }
    if (!Subclass(sheet)) {
        DestroyWindow(sheet);
        return false;
    }
    // The host dialog has the OK, Cancel and Help buttons; the sheet's own go.
    for (const int button : {IDOK, IDCANCEL, IDHELP, 0x3021 /* Apply */}) {
        if (const HWND control = GetDlgItem(sheet, button)) {
            ShowWindow(control, SW_HIDE);
            EnableWindow(control, FALSE);
        }
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    // The sheet keeps its tabs and pages as laid out; its window is cut to the rectangle, which
    // drops the empty row where its own buttons were.
    SetWindowPos(sheet, nullptr, rect.left, rect.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(sheet, SW_SHOW);
    // A modal dialog's own loop never asks the sheet about Ctrl+Tab; a filter of the thread's
    // messages does, in any loop.
    pagingKeys_.Start([this](MSG& message) { return HandlePagingKey(message); });
    return true;
}

bool PropertySheet::HandlePagingKey(const MSG& message) {
    if (hwnd() == nullptr || message.message != WM_KEYDOWN || PageCount() < 2 ||
        GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) {
        return false;
    }
    int step = 0;
    if (message.wParam == VK_TAB) {
        step = GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
    } else if (message.wParam == VK_NEXT) {
        step = 1;
    } else if (message.wParam == VK_PRIOR) {
        step = -1;
    } else {
        return false;
    }
    const HWND root = GetAncestor(hwnd(), GA_ROOT);
    if (message.hwnd == nullptr || GetAncestor(message.hwnd, GA_ROOT) != root ||
        !IsWindowEnabled(root)) {
        return false;
    }
    const int count = PageCount();
    const int current = ActiveIndex();
    const int next = ((current < 0 ? 0 : current) + step + count) % count;
    // The page being left may refuse (its data does not check out); the key is used either way.
    SetActivePage(next);
    // The focus never stays in a page that is hidden now: it goes to the tabs.
    HWND inSheet = GetFocus();
    while (inSheet != nullptr && GetParent(inSheet) != hwnd()) {
        inSheet = GetParent(inSheet);
    }
    if (inSheet == nullptr || (GetWindowLongW(inSheet, GWL_STYLE) & WS_VISIBLE) == 0) {
        SetFocus(TabControl());
    }
    return true;
}

bool PropertySheet::SetActivePage(int index) {
    if (hwnd() == nullptr || index < 0 || index >= PageCount()) {
        return false;
    }
    return PropSheet_SetCurSel(hwnd(), nullptr, index) != FALSE;
}

int PropertySheet::ActiveIndex() const {
    if (hwnd() == nullptr) {
        return -1;
    }
    return TabCtrl_GetCurSel(TabControl());
}

PropertyPage* PropertySheet::Page(int index) const {
    if (index < 0 || index >= PageCount()) {
        return nullptr;
    }
    return pages_[static_cast<size_t>(index)];
}

}  // namespace fw
