#pragma once
// A property sheet that lives as a child window inside a dialog (the settings dialog places it
// over a placeholder), and its pages.

#include <string>
#include <vector>

#include "framework/dialog.h"

namespace fw {

class PropertyPage : public Dialog {
  public:
    using Dialog::Dialog;

  protected:
    // The page becomes the visible one; false refuses.
    virtual bool OnSetActive() { return true; }
    // The page is about to be left; false keeps it (the default pulls its data).
    virtual bool OnKillActive() { return UpdateData(true); }
    bool OnNotify(NMHDR& header, LRESULT& result) override;

  private:
    friend class PropertySheet;
    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

class PropertySheet : public Window {
  public:
    // Pages are shown in the order added; the sheet does not own them.
    void AddPage(PropertyPage& page) { pages_.push_back(&page); }
    // Creates the sheet as a visible child of parent at rect (parent's client coordinates),
    // with its own buttons removed and its tabs filling the rectangle.
    bool CreateChild(HWND parent, const std::string& caption, const RECT& rect);

    int PageCount() const { return static_cast<int>(pages_.size()); }
    bool SetActivePage(int index);
    int ActiveIndex() const;
    PropertyPage* Page(int index) const;
    // The tab control of the sheet.
    HWND TabControl() const { return PropSheet_GetTabControl(hwnd()); }

  private:
    static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);
    std::vector<PropertyPage*> pages_;
};

}  // namespace fw
