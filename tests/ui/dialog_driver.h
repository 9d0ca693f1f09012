#pragma once
// Driving modal dialogs in tests: the dialog runs its own message loop on the test's thread, and
// a thread timer hands the dialog's window to the test's script once it is on screen.

#include <functional>
#include <string>

#include "framework/windows_api.h"

namespace test {

// Calls run (which shows a modal dialog and returns when it closes); once a dialog window of
// this thread is visible, calls drive with it. Returns what run returned.
template <typename Run>
auto DriveModal(Run run, std::function<void(HWND)> drive);

// Sets things up once per test program: the common controls.
void InitialiseUserInterface();
// Clicks a control of a dialog as the user would (BM_CLICK).
void Click(HWND dialog, int id);
std::string ItemText(HWND dialog, int id);
// Handles every message waiting on this thread.
void Pump();

namespace detail {
void Arm(std::function<void(HWND)> drive);
bool Fired();
}  // namespace detail

template <typename Run>
auto DriveModal(Run run, std::function<void(HWND)> drive) {
    detail::Arm(std::move(drive));
    return run();
}

}  // namespace test
