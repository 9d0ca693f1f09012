#pragma once
// The setup wizard's pages and the setup-done dialog, as the real windows show them over a
// simulated machine with a drive of the maker and a documents folder.

#include <functional>
#include <string>

#include "framework/windows_api.h"

namespace screenshots {

// save: writes a window's picture under a name; pump: lets the windows paint for a time (ms).
void ShootSetupWizard(const std::function<bool(HWND, const std::string&)>& save,
                      const std::function<void(DWORD)>& pump);

}  // namespace screenshots
