#pragma once
// The base of every dialog of the program: a caption-less template under a painted blue title
// band with the logo, which drags the dialog, a close button at its right end, the program's
// title and icon, a trimmed system menu, and the shared heading font.

#include "framework/dialog.h"
#include "framework/gdi.h"
#include "ui/common/close_button.h"

namespace ui {

// The title band's colour.
inline constexpr COLORREF kTitleBandColour = RGB(70, 104, 228);
// Height of the band and its line, in pixels from the top of the client area at 96 dots per
// inch; it grows with the screen's scale, as the dialog's text does.
inline constexpr int kTitleBandHeight = 40;

class CKRVBaseDlg : public fw::Dialog {
  public:
    explicit CKRVBaseDlg(UINT templateId, HWND parent = nullptr)
        : fw::Dialog(templateId), parent_(parent) {}

    // Modal with the parent given at construction.
    INT_PTR DoModal() { return fw::Dialog::DoModal(parent_); }
    using fw::Dialog::DoModal;

    const RECT& titleBand() const { return titleBand_; }
    HWND closeButton() const { return closeButton_.hwnd(); }

    // The process-wide bold heading font (created by the first dialog that initialises; null
    // until then or when it could not be made).
    static HFONT HeadingFont();
    // Gives a control the heading font (a null font, that is the system font, when there is
    // none).
    static void SetHeadingFont(HWND control);

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Gives the heading font to the control with this id when the dialog has one.
    void SetHeadingFontOn(int id) const;

  private:
    // The band, the title font and the close button for the dialog's size and dots per inch.
    void LayOutTitleBand();
    void PaintTitleBand(HDC dc) const;

    HWND parent_;
    RECT titleBand_ = {};
    fw::Font titleFont_;
    CKRVCloseButton closeButton_;
};

// Removes the first, third and fifth items of a system menu with at least three items (the
// restore, size and maximise entries of a dialog's menu); fewer items are left alone.
void TrimSystemMenu(HMENU menu);

}  // namespace ui
