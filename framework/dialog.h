#pragma once
// Dialogs from the program's dialog templates, modal or modeless, bound on WM_INITDIALOG.

#include "framework/data_exchange.h"
#include "framework/window.h"

namespace fw {

class Dialog : public Window {
  public:
    explicit Dialog(UINT templateId) : templateId_(templateId) {}
    ~Dialog() override;

    UINT templateId() const { return templateId_; }

    // Runs the dialog modally on this thread; the result EndDialog gave, or -1 when the
    // template could not be made into a window.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog modeless (a child when the template says so); false on failure.
    bool CreateModeless(HWND parent);
    // Ends a modal dialog with a result; destroys a modeless one.
    void EndDialog(INT_PTR result);
    bool IsModal() const { return modal_; }

    HWND Item(int id) const { return GetDlgItem(hwnd(), id); }
    // Moves data between the controls and the fields of Exchange; pull = controls to fields.
    bool UpdateData(bool pull);

  protected:
    // Returns true to let the system give the focus to the first control.
    virtual bool OnInitDialog() { return true; }
    // WM_COMMAND from a control or the keyboard; the default turns IDOK and IDCANCEL into OnOK
    // and OnCancel.
    virtual bool OnCommand(int id, int code, HWND control);
    virtual bool OnNotify(NMHDR& header, LRESULT& result);
    // Pulls the data and ends with IDOK when that succeeded.
    virtual void OnOK();
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void Exchange(DataExchange&) {}
    // Any other message; true when handled (with its result), false for the dialog default.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The procedure of dialog templates; pages of a property sheet use it too.
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // WM_INITDIALOG for an object found by the caller: binds and initialises.
    static INT_PTR InitialiseBound(Dialog* self, HWND window);

  private:
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    bool modal_ = false;
    bool modeless_ = false;
};

}  // namespace fw
