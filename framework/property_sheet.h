#pragma once
// A property sheet that lives as a child window inside a dialog (the settings dialog places it
// over a placeholder), and its pages.

#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/message_filter.h"

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

    // Ctrl+Tab and Ctrl+Page Down move to the next page, Ctrl+Shift+Tab and Ctrl+Page Up to the
    // previous one (wrapping around), while the keyboard focus is anywhere in the window that
    // holds the sheet. A sheet made by CreateChild takes these keys from the thread's messages
    // before any dialog's own keyboard handling, so it works inside a modal dialog too. True when
    // the message was such a key for this sheet.
    bool HandlePagingKey(const MSG& message);

  protected:
    void OnDestroyed() override { pagingKeys_.Stop(); }

  private:
    MessageFilter pagingKeys_;

    static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);
    std::vector<PropertyPage*> pages_;
};

}  // namespace fw
