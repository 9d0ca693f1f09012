#pragma once
// A C++ object bound to a window: created by us (bound on WM_NCCREATE), an existing control taken
// over by subclassing, or a dialog (bound on WM_INITDIALOG, see dialog.h). Messages reach the
// object's WindowProc; owner-draw, measure, colour, notify and command messages that a parent
// receives from a bound child are first offered to the child's own object (reflection).

#include <string_view>

#include "framework/windows_api.h"

namespace fw {

class Window {
  public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // Destroys the window when this object created it; lets a subclassed control go.
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }
    // The object bound to a window, or null.
    static Window* FromHandle(HWND window);

    // Registers a window class whose procedure binds objects; true when it exists afterwards.
    static bool RegisterClass(const wchar_t* className, UINT style, HCURSOR cursor,
                              HBRUSH background);
    // Creates a window of a class registered with RegisterClass and binds it.
    bool Create(const wchar_t* className, std::string_view title, DWORD style, DWORD exStyle,
                const RECT& rect, HWND parent, HMENU menuOrId);
    // Creates a window of a system class (BUTTON, STATIC ...) and subclasses it.
    bool CreateControl(const wchar_t* className, std::string_view title, DWORD style, DWORD exStyle,
                       const RECT& rect, HWND parent, int id);
    // Takes over an existing control; false when it is already bound.
    bool Subclass(HWND control);
    bool SubclassItem(HWND dialog, int id) { return Subclass(GetDlgItem(dialog, id)); }
    void Destroy();

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(hwnd_, message, wParam, lParam);
    }

  protected:
    // Every message of the window; the default passes it on.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The handling the window would have without this object: the control's own procedure when
    // subclassed, DefWindowProc otherwise.
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // A message the parent received about this control (WM_DRAWITEM, WM_MEASUREITEM,
    // WM_CTLCOLOR..., WM_NOTIFY, WM_COMMAND); true when handled, with its result.
    virtual bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // After the window is gone (WM_NCDESTROY); the object is unbound by then.
    virtual void OnDestroyed() {}

    // Bookkeeping shared with Dialog.
    enum class Binding { None, Created, Subclassed, Dialog };
    void Bind(HWND window, Binding binding);
    void Unbind();
    Binding binding() const { return binding_; }

    friend bool ReflectToChild(HWND, UINT, WPARAM, LPARAM, LRESULT&);

  private:
    static LRESULT CALLBACK ClassProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    HWND hwnd_ = nullptr;
    Binding binding_ = Binding::None;
    bool owns_ = false;  // DestroyWindow with the object
};

// Offers a parent's message to the bound object of the child it is about; true when that object
// handled it. Window and dialog procedures call this before their own handling.
bool ReflectToChild(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace fw
