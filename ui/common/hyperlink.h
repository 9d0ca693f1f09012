#pragma once
// A static that is a web link: underlined in the link colour, a hand cursor and a tooltip with
// its target, opened by the shell on a click.

#include <string>

#include "framework/controls.h"
#include "framework/gdi.h"
#include "framework/window.h"

namespace ui {

// Opens a target with the shell; when the shell cannot, with the command of the program that
// opens .htm files. The shell's result (above 32 on success).
INT_PTR OpenHyperlink(const std::string& target, int showCommand);
// The command line of the program registered to open .htm files, with the target as its
// argument; empty when no such program is registered.
std::wstring HtmlOpenCommand(const std::wstring& target);
// The message shown when a link could not be opened: "Unable to open hyperlink:" and the reason
// for the shell's result code.
std::string HyperlinkErrorText(INT_PTR code);

class CKRVHyperLink : public fw::Window {
  public:
    static constexpr COLORREF kLinkColour = RGB(0, 0, 255);
    static constexpr COLORREF kVisitedColour = RGB(255, 0, 255);

    // Takes over a static of a dialog; its text is the target unless one was set.
    bool Attach(HWND dialog, int id);
    void SetTarget(const std::string& target);
    const std::string& target() const { return target_; }
    void SetVisited(bool visited);
    bool visited() const { return visited_; }
    bool hovering() const { return hovering_; }
    // The colour the text has now.
    COLORREF TextColour() const;
    HWND tooltip() const { return tooltip_.hwnd(); }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // Opens the target (the shell's result); a test replaces it.
    virtual INT_PTR Open(const std::string& target);
    // Tells the user that a target could not be opened.
    virtual void ReportFailure(INT_PTR code);

  private:
    void FitToText();
    void Redraw();
    void Clicked();

    COLORREF hoverColour_ = GetSysColor(COLOR_HIGHLIGHT);
    bool hovering_ = false;
    bool visited_ = false;
    bool underline_ = true;
    bool adjustToFit_ = true;
    std::string target_;
    fw::Font font_;
    fw::Cursor cursor_;
    HCURSOR sharedCursor_ = nullptr;
    fw::Tooltip tooltip_;
};

}  // namespace ui
