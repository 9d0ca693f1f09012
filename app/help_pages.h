#pragma once
// The help pages lie beside the program: "home.html", "index.html" and the pages under
// "resource\".

#include <string>
#include <string_view>

namespace app {

// The program's own full path, of any length; empty when the system cannot say.
std::wstring ProgramPath();
// The folder part of a path, up to and with its last backslash, followed by name.
std::wstring PathBeside(std::wstring_view path, std::wstring_view name);
// Opens a page beside the program with the shell's "open" verb. The shell's result is not
// checked: without a browser nothing opens, and nothing else is wrong.
void OpenHelpPage(std::wstring_view page);

}  // namespace app
