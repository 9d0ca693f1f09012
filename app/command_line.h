#pragma once
// The command line's one word and what the program does at start-up with it.

#include <cstdint>
#include <string_view>

namespace app {

// The first plain argument (one that does not begin with '/' or '-'), compared exactly and with
// case: "StartUp" (started with Windows) or "NoStartUp" (started by the installer).
enum class StartWord { None, StartUp, NoStartUp, Other };
// commandLine is the whole command line, the program's own name first.
StartWord StartWordOf(std::wstring_view commandLine);

enum class StartAction { Nothing, RunSetupWizard, OpenSettings };
// Not configured: the wizard unless the word is "NoStartUp". Configured: with either word
// nothing; otherwise the settings sheet when the program is switched off, so that the user can
// switch it on.
StartAction DecideStartAction(bool configured, StartWord word, uint32_t mirrorStatus);

}  // namespace app
