#pragma once
// The application object: the module whose resources the program uses, the common controls,
// and the message loop of the user-interface thread.

#include "framework/windows_api.h"

namespace fw {

class Application {
  public:
    // Registers the common control classes the program's templates use. Call once per process
    // before the first window; calling it again does no harm.
    static bool Initialise();
    // The module that holds the program's resources (the executable).
    static HINSTANCE ResourceInstance();

    // Runs the thread's message loop until WM_QUIT and returns its exit code. Keyboard messages
    // for the thread's active modeless dialog go through IsDialogMessage first.
    static int Run();
    // Handles every message that is already waiting on this thread; false after WM_QUIT.
    static bool PumpPending();
    // One message through the dialog navigation of the active modeless dialog (true when used).
    static bool PreTranslate(MSG& message);

    // The modeless dialog of this thread that has the activation, or null.
    static HWND ActiveModeless();
    static void SetActiveModeless(HWND dialog);
};

}  // namespace fw
