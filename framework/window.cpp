#include "framework/window.h"

#include "framework/application.h"
#include "framework/text.h"

namespace fw {

namespace {

// The object of a window is found through this property, whichever way it was bound.
constexpr wchar_t kObjectProperty[] = L"Ferrolin.Window";
constexpr UINT_PTR kSubclassId = 0x46524C32;  // "FRL2"

}  // namespace

Window::~Window() {
    if (hwnd_ == nullptr) {
        return;
    }
    const HWND window = hwnd_;
    const bool subclassed = binding_ == Binding::Subclassed;
    const bool owned = owns_;
    Unbind();
    if (subclassed) {
        RemoveWindowSubclass(window, &Window::SubclassProc, kSubclassId);
    }
    if (owned) {
        DestroyWindow(window);
    }
}

Window* Window::FromHandle(HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    return static_cast<Window*>(GetPropW(window, kObjectProperty));
}

void Window::Bind(HWND window, Binding binding) {
    hwnd_ = window;
    binding_ = binding;
    SetPropW(window, kObjectProperty, this);
}

void Window::Unbind() {
    if (hwnd_ != nullptr) {
        RemovePropW(hwnd_, kObjectProperty);
    }
    hwnd_ = nullptr;
    binding_ = Binding::None;
    owns_ = false;
}

bool Window::RegisterClass(const wchar_t* className, UINT style, HCURSOR cursor,
                           HBRUSH background) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(Application::ResourceInstance(), className, &existing)) {
        return true;
    }
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = &Window::ClassProc;
    windowClass.hInstance = Application::ResourceInstance();
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Window::Create(const wchar_t* className, std::string_view title, DWORD style, DWORD exStyle,
                    const RECT& rect, HWND parent, HMENU menuOrId) {
    if (hwnd_ != nullptr) {
        return false;
    }
    const HWND window = CreateWindowExW(exStyle, className, Wide(title).c_str(), style, rect.left,
                                        rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                        parent, menuOrId, Application::ResourceInstance(), this);
    if (window == nullptr || hwnd_ != window) {
        return false;
    }
    owns_ = true;
    return true;
}

bool Window::CreateControl(const wchar_t* className, std::string_view title, DWORD style,
                           DWORD exStyle, const RECT& rect, HWND parent, int id) {
    if (hwnd_ != nullptr) {
        return false;
    }
    const HWND window = CreateWindowExW(exStyle, className, Wide(title).c_str(), style, rect.left,
                                        rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                        Application::ResourceInstance(), nullptr);
    if (window == nullptr) {
        return false;
    }
    if (!Subclass(window)) {
        DestroyWindow(window);
        return false;
    }
    // A control we made goes with its object, like a created window.
    owns_ = true;
    return true;
}

bool Window::Subclass(HWND control) {
    if (control == nullptr || hwnd_ != nullptr || FromHandle(control) != nullptr) {
        return false;
    }
    if (!SetWindowSubclass(control, &Window::SubclassProc, kSubclassId,
                           reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    Bind(control, Binding::Subclassed);
    return true;
}

void Window::Destroy() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(message, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (binding_ == Binding::Subclassed) {
        return DefSubclassProc(hwnd_, message, wParam, lParam);
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool Window::OnReflected(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

LRESULT CALLBACK Window::ClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = FromHandle(window);
    if (self == nullptr && message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(create->lpCreateParams);
        if (self != nullptr) {
            self->Bind(window, Binding::Created);
        }
    }
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (ReflectToChild(window, message, wParam, lParam, result)) {
        return result;
    }
    result = self->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        self->Unbind();
        self->OnDestroyed();
    }
    return result;
}

LRESULT CALLBACK Window::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<Window*>(data);
    if (self == nullptr || self->hwnd_ != window) {
        return DefSubclassProc(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (ReflectToChild(window, message, wParam, lParam, result)) {
        return result;
    }
    result = self->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &Window::SubclassProc, kSubclassId);
        self->Unbind();
        self->OnDestroyed();
    }
    return result;
}

bool ReflectToChild(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND child = nullptr;
    switch (message) {
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item != nullptr && item->CtlType != ODT_MENU) {
                child = item->hwndItem;
            }
            break;
        }
        case WM_MEASUREITEM: {
            const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
            if (item != nullptr && item->CtlType != ODT_MENU) {
                child = GetDlgItem(parent, static_cast<int>(item->CtlID));
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            child = reinterpret_cast<HWND>(lParam);
            break;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header != nullptr) {
                child = header->hwndFrom;
            }
            break;
        }
        case WM_COMMAND:
            child = reinterpret_cast<HWND>(lParam);
            break;
        default:
            return false;
    }
    if (child == nullptr || child == parent) {
        return false;
    }
    Window* object = Window::FromHandle(child);
    if (object == nullptr) {
        return false;
    }
    return object->OnReflected(message, wParam, lParam, result);
}

}  // namespace fw
