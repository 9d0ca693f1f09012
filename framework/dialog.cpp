#include "framework/dialog.h"

#include "framework/application.h"

namespace fw {

Dialog::~Dialog() {
    // A modeless dialog still on screen goes with its object; a modal one cannot outlive its
    // DoModal call.
    if (hwnd() != nullptr && modeless_) {
        const HWND window = hwnd();
        Unbind();
        DestroyWindow(window);
    }
}

INT_PTR Dialog::DoModal(HWND owner) {
    if (hwnd() != nullptr) {
        return -1;
    }
    modal_ = true;
    const INT_PTR result =
        DialogBoxParamW(Application::ResourceInstance(), MAKEINTRESOURCEW(templateId_), owner,
                        &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
    modal_ = false;
    return result;
}

bool Dialog::CreateModeless(HWND parent) {
    if (hwnd() != nullptr) {
        return false;
    }
    modeless_ = true;
    const HWND window =
        CreateDialogParamW(Application::ResourceInstance(), MAKEINTRESOURCEW(templateId_), parent,
                           &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (window == nullptr) {
        modeless_ = false;
        return false;
    }
    return true;
}

void Dialog::EndDialog(INT_PTR result) {
    if (hwnd() == nullptr) {
        return;
    }
    if (modal_) {
        ::EndDialog(hwnd(), result);
    } else {
        DestroyWindow(hwnd());
    }
}

bool Dialog::UpdateData(bool pull) {
    DataExchange exchange(hwnd(), pull);
    Exchange(exchange);
    return exchange.ok();
}

bool Dialog::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED && code != 0) {
        return false;
    }
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool Dialog::OnNotify(NMHDR&, LRESULT&) {
    return false;
}

void Dialog::OnOK() {
    if (UpdateData(true)) {
        EndDialog(IDOK);
    }
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

INT_PTR Dialog::InitialiseBound(Dialog* self, HWND window) {
    self->Bind(window, Binding::Dialog);
    return self->OnInitDialog() ? TRUE : FALSE;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<Dialog*>(FromHandle(window));
    if (self == nullptr) {
        if (message != WM_INITDIALOG) {
            return FALSE;
        }
        self = reinterpret_cast<Dialog*>(lParam);
        if (self == nullptr) {
            return FALSE;
        }
        return InitialiseBound(self, window);
    }
    return self->Dispatch(message, wParam, lParam);
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = hwnd();
    LRESULT result = 0;
    bool handled = ReflectToChild(window, message, wParam, lParam, result);
    if (!handled) {
        switch (message) {
            case WM_COMMAND:
                handled = OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
                break;
            case WM_NOTIFY:
                handled = OnNotify(*reinterpret_cast<NMHDR*>(lParam), result);
                break;
            case WM_ACTIVATE:
                if (modeless_) {
                    if (LOWORD(wParam) != WA_INACTIVE) {
                        Application::SetActiveModeless(window);
                    } else if (Application::ActiveModeless() == window) {
                        Application::SetActiveModeless(nullptr);
                    }
                }
                handled = OnMessage(message, wParam, lParam, result);
                break;
            default:
                handled = OnMessage(message, wParam, lParam, result);
                break;
        }
    }
    if (message == WM_NCDESTROY) {
        if (Application::ActiveModeless() == window) {
            Application::SetActiveModeless(nullptr);
        }
        modeless_ = false;
        Unbind();
        OnDestroyed();
        return FALSE;
    }
    if (!handled) {
        return FALSE;
    }
    // These answer through the procedure's own result; every other message through
    // DWLP_MSGRESULT.
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return static_cast<INT_PTR>(result);
        default:
            SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
            return TRUE;
    }
}

}  // namespace fw
