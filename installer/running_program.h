#pragma once
// Ends the running Corvant Ferrolin 2 of this desktop the way its user would: the Close command
// of its tray menu (40009) posted to its main window, and OK in the turn-off notice (135) that
// the program asks first while it is switched on. The program stops its engine and saves its
// retry list on the way out; nothing is terminated.

#include <windows.h>

namespace installer {

enum class EndResult {
    NotRunning,    // no main window on this desktop
    Ended,         // the program's process has ended
    StillRunning,  // it did not take the Close command (one of its windows is open) or did not end
};

struct EndTimeouts {
    DWORD accept = 10000;  // for the main window to go or the turn-off notice to appear
    DWORD exit = 20000;   // then for the process to end (its engine stops in about 2 s)
};

EndResult EndRunningProgram(const EndTimeouts& timeouts = {});

}  // namespace installer
