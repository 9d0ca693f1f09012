#pragma once
// The first-run flow: the splash, the setup wizard, and the first complete set of settings.

#include <functional>

#include "ui/common/shell_services.h"

namespace ui {

enum class SetupOutcome {
    NotRun,     // another window holds the prompt guard, or there is no drive of the maker
    Cancelled,  // the user left the wizard; what it stored on its way is gone again
    NotStored,  // the user finished but the settings could not be stored (the user was told)
    Finished,   // the settings are stored: the engine's first pass copies everything
};

// Takes the prompt guard first, so that an open request that arrives while the splash or its
// no-drive notice shows does not start a second wizard; then shows the splash (showSplash
// returns false when the wizard may not run, after the no-drive notice), runs the wizard and
// stores what the user chose.
SetupOutcome RunSetup(ShellServices& shell, const std::function<bool()>& showSplash);

}  // namespace ui
