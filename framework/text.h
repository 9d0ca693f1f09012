#pragma once
// Text at the window edge: the program's strings are UTF-8, the ...W calls take UTF-16.

#include <string>
#include <string_view>

#include "framework/windows_api.h"

namespace fw {

std::wstring Wide(std::string_view text);
std::string Utf8(std::wstring_view text);

// A string of the program's string table; empty when there is none with this id.
std::string LoadText(UINT id);
std::string GetText(HWND window);
void SetText(HWND window, std::string_view text);
// The system's message text for a Win32 error code, without the trailing line break; empty when
// the system has none.
std::string SystemErrorText(DWORD code, size_t maxChars = 260);

}  // namespace fw
