#pragma once
// What the settings window and the setup wizard are given of the program around them: the
// machine, the shared state with its prompt guard, the process-wide drive list, the engine's copy
// requests, the tray icon and the help. The application object implements it; the windows' tests
// give their own, so no window reaches the shell through globals or app/ headers.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/shared_drives.h"
#include "engine/shared_state.h"
#include "os/machine.h"

namespace ui {

class ShellServices {
  public:
    virtual ~ShellServices() = default;

    // The machine's ports (files, registry, clock, system) the windows work through.
    virtual os::Machine& machine() = 0;
    // The prompt guard, the wizard-ran flag and the copy progress.
    virtual engine::SharedState& shared() = 0;
    // The one drive list of the process; rebuilt under its mutex.
    virtual engine::SharedDrives& drives() = 0;
    // The program's registry key under HKEY_CURRENT_USER (tests give their own).
    virtual std::string productKey() = 0;

    // The engine makes a complete copy (of everything) when it next starts.
    virtual void RequestFullCopy() = 0;
    // A complete copy of the given folders now, with the progress dialog when asked; 0 or the
    // pass's error. Runs on the caller's thread while the engine's worker is stopped.
    virtual uint32_t RunPassForFolders(const std::vector<std::string>& folders,
                                       bool showProgress) = 0;

    // Posts 0x403 (shown) or 0x404 (removed) to the main window.
    virtual void SetTrayIconShown(bool shown) = 0;
    // Opens a help page that lies beside the program ("resource\0201.html").
    virtual void OpenHelpPage(std::wstring_view page) = 0;
    // The user's own documents folder as the shell knows it; empty when it has none.
    virtual std::string DocumentsFolder() { return {}; }
};

}  // namespace ui
