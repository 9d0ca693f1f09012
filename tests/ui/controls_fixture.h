#pragma once
// What the tests of the shared controls share: a top-level host for the child page templates
// that hold the controls, and key presses sent as the keyboard sends them.

#include <initializer_list>

#include "framework/dialog.h"
#include "framework/windows_api.h"

namespace test {

// A child page template (the wizard's drive page, the Scheduling page ...) inside a visible
// top-level dialog, as the wizard and the settings show them.
class PageHost {
  public:
    explicit PageHost(UINT pageTemplate);
    ~PageHost();
    PageHost(const PageHost&) = delete;
    PageHost& operator=(const PageHost&) = delete;

    HWND host() const { return host_.hwnd(); }
    HWND page() const { return page_.hwnd(); }
    HWND Item(int id) const { return GetDlgItem(page_.hwnd(), id); }

  private:
    fw::Dialog host_;
    fw::Dialog page_;
};

// The keys this thread sees held down (the rest up).
void HoldKeys(std::initializer_list<int> keys);
// A key-down and its character, as a keyboard press reaches the focused window.
void PressKey(HWND window, UINT key);

}  // namespace test
